#include "platform/win32/file_system.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/vcl/sysutils.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_api.h"

namespace win32 {
namespace {

// Paths past this length need the \\?\ form: it is what CreateDirectoryW
// accepts without it (room for an 8.3 file name).
constexpr std::size_t LongPathFrom = MAX_PATH - 12;

constexpr std::wstring_view VerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view VerbatimUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view DevicePrefix = L"\\\\.\\";
constexpr std::wstring_view UncPrefix = L"\\\\";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring FullPath(const std::wstring& path) {
    DWORD size = MAX_PATH;
    for (;;) {
        std::wstring full(size, L'\0');
        const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
        if (length == 0) RaiseLastOSError();
        if (length < size) {
            full.resize(length);
            return full;
        }
        size = length;  // the size needed, with the terminating zero
    }
}

// The form of an absolute path that the file functions accept at any length.
std::wstring SystemForm(const std::wstring& full) {
    if (full.size() <= LongPathFrom || full.starts_with(VerbatimPrefix) || full.starts_with(DevicePrefix)) return full;
    if (full.starts_with(UncPrefix)) return std::wstring(VerbatimUncPrefix) + full.substr(UncPrefix.size());
    return std::wstring(VerbatimPrefix) + full;
}

std::wstring SystemPath(const std::string& path) { return SystemForm(FullPath(Widen(path))); }

// Past `count` names, each ended by a separator or by the end of the path.
std::size_t SkipNames(const std::wstring& path, std::size_t at, int count) {
    for (int i = 0; i < count && at < path.size(); ++i) {
        while (at < path.size() && !IsSeparator(path[at])) ++at;
        if (at < path.size()) ++at;
    }
    return at;
}

// The length of the volume part of an absolute path, which cannot be
// created: C:\, \\server\share\, \\?\C:\, \\?\UNC\server\share\.
std::size_t VolumeLength(const std::wstring& path) {
    if (path.starts_with(VerbatimUncPrefix)) return SkipNames(path, VerbatimUncPrefix.size(), 2);
    if (path.starts_with(VerbatimPrefix) || path.starts_with(DevicePrefix)) return SkipNames(path, 4, 1);
    if (path.starts_with(UncPrefix)) return SkipNames(path, UncPrefix.size(), 2);
    if (path.size() >= 2 && path[1] == L':') return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
    return 0;
}

bool IsFolder(const std::wstring& systemPath) {
    const DWORD attributes = GetFileAttributesW(systemPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A file handle, closed with CloseHandle.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) noexcept : FHandle(handle) {}
    ~FileHandle() {
        if (FHandle != INVALID_HANDLE_VALUE) CloseHandle(FHandle);
    }
    FileHandle(FileHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, INVALID_HANDLE_VALUE)) {}
    FileHandle& operator=(FileHandle&&) = delete;

    HANDLE Get() const noexcept { return FHandle; }
    explicit operator bool() const noexcept { return FHandle != INVALID_HANDLE_VALUE; }

private:
    HANDLE FHandle;
};

// A file opened for writing. A failed write raises the system's error, so
// a full disk reads "There is not enough space on the disk."
class Win32FileStream final : public vcl::TStream {
public:
    explicit Win32FileStream(FileHandle file) noexcept : FFile(std::move(file)) {}

    std::size_t Write(const void* buffer, std::size_t count) override {
        // WriteFile takes 32-bit counts.
        constexpr std::size_t MaxPiece = std::size_t{1} << 30;
        const auto* bytes = static_cast<const char*>(buffer);
        std::size_t written = 0;
        while (written < count) {
            const auto piece = static_cast<DWORD>(std::min(count - written, MaxPiece));
            DWORD done = 0;
            if (!WriteFile(FFile.Get(), bytes + written, piece, &done, nullptr)) RaiseLastOSError();
            if (done == 0) break;
            written += done;
        }
        return written;
    }

private:
    FileHandle FFile;
};

}  // namespace

std::string Win32FileSystem::ExpandFileName(const std::string& path) const {
    if (path.empty()) return {};
    return Narrow(FullPath(Widen(path)));
}

void Win32FileSystem::ForceDirectories(const std::string& path) {
    if (path.empty()) return;
    std::wstring full;
    try {
        full = FullPath(Widen(path));
    } catch (const vcl::EOSError&) {
        return;  // the outcome is not reported: saving into the folder will fail
    }
    if (IsFolder(SystemForm(full))) return;
    // Parents first. Failures are ignored: existing folders and ones that
    // cannot be made alike; a missing folder shows when a file is created.
    // Each keeps its closing separator: without it the system would trim a
    // trailing space or dot from the name and make another folder.
    const std::size_t volume = VolumeLength(full);
    for (std::size_t end = volume; end < full.size();) {
        end = SkipNames(full, end, 1);
        const std::wstring folder = full.substr(0, end);
        if (folder.size() > volume) CreateDirectoryW(SystemForm(folder).c_str(), nullptr);
    }
}

std::unique_ptr<vcl::TStream> Win32FileSystem::CreateFile(const std::string& path) {
    FileHandle file(CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseLastOSError();
    return std::make_unique<Win32FileStream>(std::move(file));
}

// Windows refuses to replace a read-only file; Wine's MoveFileExW replaces
// it all the same, so the refusal is made here for both.
void Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
    const std::wstring target = SystemPath(to);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0)
        RaiseOSError(ERROR_ACCESS_DENIED);
    if (!MoveFileExW(SystemPath(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseLastOSError();
}

void Win32FileSystem::DeleteFile(const std::string& path) {
    try {
        DeleteFileW(SystemPath(path).c_str());
    } catch (const vcl::EOSError&) {
        // Failures are not reported.
    }
}

}  // namespace win32
