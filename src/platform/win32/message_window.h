// The window procedure of classes whose every window belongs to one object:
// the object arrives as the creation parameter, is kept in the window's user
// data and receives each message through its HandleMessage.
#pragma once

#include "platform/win32/window_api.h"

namespace win32 {

// `Owner` has `LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) noexcept`; no
// exception may travel back through the system's frames.
template <class Owner>
LRESULT CALLBACK MessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Owner* owner = nullptr;
    if (message == WM_NCCREATE) {
        owner = static_cast<Owner*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    } else {
        owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    // Messages before WM_NCCREATE (WM_GETMINMAXINFO) have no owner yet.
    if (owner == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    return owner->HandleMessage(window, message, wParam, lParam);
}

// A plain class whose windows each belong to one `Owner`.
template <class Owner>
WNDCLASSEXW OwnedWindowClass(HINSTANCE instance, const wchar_t* name) {
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = MessageProc<Owner>;
    description.hInstance = instance;
    description.lpszClassName = name;
    return description;
}

}  // namespace win32
