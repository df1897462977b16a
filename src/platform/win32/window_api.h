// The Win32 user-interface headers, included after the platform interface,
// and the one way a failed Win32 call becomes an error.
//
// windows.h defines macros under names the interface also uses: SRCCOPY and
// the SW_ and SM_ constants must already be declared when it arrives (use the
// system's macros below this header), and the A/W function-name macros that
// would rename the interface's methods are taken back.
#pragma once

#include "platform/platform.h"
#include "platform/win32/wide_text.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#undef CreateWindow
#undef GetObject
#undef CreateFile
#undef DeleteFile
#undef ReplaceFile
#undef DefWindowProc
#undef RegisterWindowMessage
#undef LoadIcon
#undef GlobalAddAtom
#undef Shell_NotifyIcon
#undef ShellExecute
#undef SHBrowseForFolder

namespace win32 {

inline ::HWND ToHwnd(vcl::HWND window) noexcept { return reinterpret_cast<::HWND>(window); }
inline vcl::HWND FromHwnd(::HWND window) noexcept { return reinterpret_cast<vcl::HWND>(window); }

inline vcl::TRect FromRect(const RECT& rect) noexcept { return {rect.left, rect.top, rect.right, rect.bottom}; }

// Returns `result`, or raises the last error (RaiseLastOSError) when it is
// the failure value: 0, null or FALSE.
template <class T>
T CheckOS(T result) {
    if (!result) RaiseLastOSError();
    return result;
}

}  // namespace win32
