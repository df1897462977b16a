// Timers: SetTimer on one hidden message-only window, whose WM_TIMER runs the
// callback registered under the timer's identifier.
#pragma once

#include <functional>
#include <map>
#include <memory>

#include "platform/win32/window_handles.h"

namespace win32 {

class TimerWindow {
public:
    explicit TimerWindow(HINSTANCE instance);
    TimerWindow(const TimerWindow&) = delete;
    TimerWindow& operator=(const TimerWindow&) = delete;

    // A timer that calls `onTick` about every `intervalMs` milliseconds, at
    // the system's timer resolution, until it is destroyed.
    std::unique_ptr<vcl::NativeTimer> Start(unsigned intervalMs, std::function<void()> onTick);

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

private:
    friend class Win32Timer;
    void Stop(UINT_PTR id) noexcept;

    WindowClass FClass;
    UniqueWindow FWindow;
    // Shared, so that a callback that stops its own timer finishes its run.
    std::map<UINT_PTR, std::shared_ptr<const std::function<void()>>> FCallbacks;
    UINT_PTR FNextId = 1;
};

}  // namespace win32
