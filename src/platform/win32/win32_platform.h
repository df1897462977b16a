// The platform over the real Win32 API.
#pragma once

#include <memory>

#include "platform/platform.h"
#include "platform/win32/file_system.h"

namespace win32 {

class WindowClass;
class TimerWindow;
class UtilityWindows;
class ComApartment;

class Win32Platform final : public vcl::Platform {
public:
    Win32Platform();
    ~Win32Platform() override;

    std::string ExecutableName() const override;
    void RunMessageLoop() override;
    void Terminate() override;
    void ShowErrorBox(const std::string& title, const std::string& text) override;
    vcl::HWND ApplicationWindow() const override;
    vcl::HICON ApplicationIcon() const override;
    vcl::OsVersion Version() const override;
    void RunModal(vcl::NativeWindow& window, const std::function<bool()>& finished) override;
    std::unique_ptr<vcl::NativeWindow> CreateWindow(const vcl::WindowStyle& style, const vcl::TRect& bounds,
                                                    vcl::WindowEvents& events) override;
    std::unique_ptr<vcl::NativeTimer> CreateTimer(unsigned intervalMs, std::function<void()> onTick) override;
    vcl::FileSystem& Files() override { return FFiles; }
    std::unique_ptr<vcl::UtilityWindow> AllocateHWnd(std::function<void(vcl::TMessage&)> windowProc) override;
    std::intptr_t DefWindowProc(vcl::HWND window, const vcl::TMessage& message) override;
    std::uint32_t RegisterWindowMessage(const std::string& name) override;
    std::unique_ptr<vcl::NativeIcon> LoadIcon(int resource, int width, int height) override;
    std::uint16_t GetAsyncKeyState(int virtualKey) override;
    std::int16_t GetKeyState(int virtualKey) override;
    vcl::TPoint GetCursorPos() const override;
    bool RegisterHotKey(vcl::HWND window, int id, std::uint32_t modifiers, std::uint32_t virtualKey) override;
    bool UnregisterHotKey(vcl::HWND window, int id) override;
    std::uint16_t GlobalAddAtom(const std::string& name) override;
    std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;
    vcl::HWND GetForegroundWindow() const override;
    vcl::HWND GetDesktopWindow() const override;
    bool GetWindowRect(vcl::HWND window, vcl::TRect& rect) const override;
    void ShowWindow(vcl::HWND window, int command) override;
    void BringWindowToTop(vcl::HWND window) override;
    int GetSystemMetrics(int index) const override;
    vcl::TRect WorkAreaFor(const vcl::TRect& rect) const override;
    vcl::TRect PrimaryWorkArea() const override;
    void MoveWindow(vcl::HWND window, int x, int y, int width, int height, bool repaint) override;
    int TrackPopupMenu(vcl::HWND owner, const std::vector<std::string>& captions, vcl::TPoint at) override;
    bool Shell_NotifyIcon(std::uint32_t message, const vcl::NotifyIconData& data) override;
    std::unique_ptr<vcl::ItemIdList> SHBrowseForFolder(const vcl::BrowseInfo& info) override;
    std::intptr_t ShellExecute(vcl::HWND parent, const std::string& verb, const std::string& file,
                               const std::string& parameters, const std::string& directory,
                               int showCommand) override;
    std::unique_ptr<vcl::WindowDC> GetWindowDC(vcl::HWND window) override;
    std::unique_ptr<vcl::DeviceBitmap> CreateCompatibleBitmap(int width, int height) override;
    void BlockCopy(vcl::DeviceBitmap& target, vcl::TPoint targetAt, vcl::WindowDC& source, const vcl::TRect& sourceRect,
                   std::uint32_t rasterOperation) override;

private:
    // One step of a message loop; false once WM_QUIT arrives.
    bool DispatchOneMessage();

    std::unique_ptr<ComApartment> FCom;
    std::unique_ptr<WindowClass> FFormClass;
    std::unique_ptr<TimerWindow> FTimers;
    std::unique_ptr<UtilityWindows> FUtilityWindows;
    std::unique_ptr<vcl::UtilityWindow> FApplicationWindow;
    Win32FileSystem FFiles;
};

}  // namespace win32
