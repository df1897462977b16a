// Does to a file what another Windows program may do while Tivalo saves:
//   file-tool hold PATH             opens the file with no sharing at all,
//                                   prints "held" and keeps it open until ended
//   file-tool read-only PATH on|off sets or clears its read-only attribute
// Exits with 1 when the system refuses, 2 on a wrong command line.
#include <windows.h>

#include <string>

namespace {

// Printed through the handle itself: the C runtime's buffer would hold it
// back from a process that is then ended.
void Print(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::char_traits<char>::length(text)), &written,
              nullptr);
}

int Hold(const wchar_t* path) {
    const HANDLE file = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Print("held\n");
    Sleep(INFINITE);
    return 0;
}

int SetReadOnly(const wchar_t* path, bool readOnly) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
    const DWORD changed = readOnly ? attributes | FILE_ATTRIBUTE_READONLY : attributes & ~FILE_ATTRIBUTE_READONLY;
    return SetFileAttributesW(path, changed) ? 0 : 1;
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
    const std::wstring command = count > 1 ? arguments[1] : L"";
    if (command == L"hold" && count == 3) return Hold(arguments[2]);
    if (command == L"read-only" && count == 4) {
        const std::wstring state = arguments[3];
        if (state == L"on" || state == L"off") return SetReadOnly(arguments[2], state == L"on");
    }
    return 2;
}
