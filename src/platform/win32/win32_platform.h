// The platform over the real Win32 API.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/win32/file_system.h"

namespace win32 {

class WindowClass;
class TimerWindow;

class Win32Platform final : public vcl::Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    std::string ExecutableName() const override;
    void RunMessageLoop() override;
    void Terminate() override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    std::unique_ptr<vcl::NativeWindow> CreateWindow(const vcl::WindowStyle& style, const vcl::TRect& bounds,
                                                    vcl::WindowEvents& events) override;
    std::unique_ptr<vcl::NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;
    vcl::FileSystem& Files() override { return FFiles; }
    std::uint16_t GetAsyncKeyState(int virtualKey) override;
    vcl::HWND GetForegroundWindow() const override;
    vcl::HWND GetDesktopWindow() const override;
    bool GetWindowRect(vcl::HWND window, vcl::TRect& rect) const override;
    void ShowWindow(vcl::HWND window, int command) override;
    void BringWindowToTop(vcl::HWND window) override;
    int GetSystemMetrics(int index) const override;
    vcl::TRect WorkAreaFor(const vcl::TRect& rect) const override;
    std::unique_ptr<vcl::WindowDC> GetWindowDC(vcl::HWND window) override;
    std::unique_ptr<vcl::DeviceBitmap> CreateCompatibleBitmap(int width, int height) override;
    void BlockCopy(vcl::DeviceBitmap& target, vcl::TPoint targetAt, vcl::WindowDC& source, const vcl::TRect& sourceRect,
                   std::uint32_t rasterOperation) override;

private:
    std::unique_ptr<WindowClass> FFormClass;
    std::unique_ptr<TimerWindow> FTimers;
    Win32FileSystem FFiles;
};

}  // namespace win32
