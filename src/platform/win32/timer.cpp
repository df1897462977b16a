#include "platform/win32/timer.h"

#include "platform/win32/message_window.h"

namespace win32 {

class Win32Timer final : public vcl::NativeTimer {
public:
    Win32Timer(TimerWindow& owner, UINT_PTR id) : FOwner(owner), FId(id) {}
    ~Win32Timer() override { FOwner.Stop(FId); }
    Win32Timer(const Win32Timer&) = delete;
    Win32Timer& operator=(const Win32Timer&) = delete;

private:
    TimerWindow& FOwner;
    UINT_PTR FId;
};

TimerWindow::TimerWindow(HINSTANCE instance) : FClass(OwnedWindowClass<TimerWindow>(instance, L"TivaloTimers")) {
    FWindow.reset(CheckOS(::CreateWindowExW(0, FClass.Name(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this)));
}

std::unique_ptr<vcl::NativeTimer> TimerWindow::Start(unsigned intervalMs, std::function<void()> onTick) {
    const UINT_PTR id = FNextId++;
    auto timer = std::make_unique<Win32Timer>(*this, id);  // stops it again if SetTimer fails
    FCallbacks.emplace(id, std::make_shared<const std::function<void()>>(std::move(onTick)));
    CheckOS(::SetTimer(FWindow.get(), id, intervalMs, nullptr));
    return timer;
}

void TimerWindow::Stop(UINT_PTR id) noexcept {
    ::KillTimer(FWindow.get(), id);
    FCallbacks.erase(id);
}

LRESULT TimerWindow::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message != WM_TIMER) return ::DefWindowProcW(window, message, wParam, lParam);
    const auto entry = FCallbacks.find(wParam);
    if (entry != FCallbacks.end()) {
        const auto callback = entry->second;
        if (*callback) (*callback)();
    }
    return 0;
}

}  // namespace win32
