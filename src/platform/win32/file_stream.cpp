// TFileStream over Win32 file handles, with Unicode names.
#include <windows.h>

#include <algorithm>

#include "platform/vcl/classes.h"
#include "platform/vcl/sysutils.h"
#include "platform/win32/wide_text.h"

namespace vcl {

std::string ExpandFileName(const std::string& fileName) {
    const std::wstring wide = win32::Widen(fileName);
    const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (length == 0) return fileName;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), length, full.data(), nullptr);
    full.resize(written);
    return win32::Narrow(full);
}

TFileStream::TFileStream(const std::string& fileName, Mode) {
    const HANDLE file = CreateFileW(win32::Widen(fileName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw EFCreateError(
            Format("Cannot create file \"%s\". %s", {ExpandFileName(fileName), win32::SystemErrorText(error)}));
    }
    FHandle = reinterpret_cast<std::intptr_t>(file);
}

TFileStream::~TFileStream() { CloseHandle(reinterpret_cast<HANDLE>(FHandle)); }

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    const auto* bytes = static_cast<const char*>(buffer);
    std::size_t written = 0;
    while (written < count) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count - written, 1u << 30));
        DWORD done = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(FHandle), bytes + written, chunk, &done, nullptr) || done == 0) break;
        written += done;
    }
    return written;
}

}  // namespace vcl
