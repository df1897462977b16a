// Text at the Win32 boundary: UTF-8 inside the program, UTF-16 for the system.
#pragma once

#include <string>

namespace win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);

// The system's description of an error code, without the trailing line break.
std::string SystemErrorText(unsigned long code);

// The one way a failed system call becomes an error of the program:
// vcl::EOSError with the system's description of the error code.
[[noreturn]] void RaiseOSError(unsigned long code);

// The same for the calling thread's last error (GetLastError).
[[noreturn]] void RaiseLastOSError();

}  // namespace win32
