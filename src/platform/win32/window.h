// The program's top-level windows: one object per window, which owns the
// window's handle and receives its messages through HandleMessage.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win32/window_handles.h"

namespace win32 {

class ChildControl;

HCURSOR SystemCursor(vcl::TCursor cursor);

class Win32Window final : public vcl::NativeWindow {
public:
    // The class every window of this kind is made of.
    static WNDCLASSEXW ClassDescription(HINSTANCE instance);

    // A hidden window of `windowClass` at the outer rectangle `outer`.
    Win32Window(const WindowClass& windowClass, const vcl::WindowStyle& style, const vcl::TRect& outer,
                vcl::WindowEvents& events);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    vcl::HWND Handle() const override { return FromHwnd(FHandle.get()); }
    void SetStyle(const vcl::WindowStyle& style) override;
    vcl::TRect Bounds() const override;
    void SetBounds(const vcl::TRect& outer) override;
    vcl::TRect ClientRect() const override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    void BringToFront() override;
    void SetCursor(vcl::TCursor cursor) override;
    void SystemCommand(std::uint32_t command) override;
    void ReleaseCapture() override;
    int PixelsPerInch() const override { return static_cast<int>(FDpi); }
    std::unique_ptr<vcl::NativeControl> CreateControl(const vcl::ControlSpec& spec,
                                                      vcl::ControlEvents& events) override;

    LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

    // What its controls need of the window.
    HWND Hwnd() const noexcept { return FHandle.get(); }
    int Scale(int pixelsAt96) const noexcept { return ::MulDiv(pixelsAt96, static_cast<int>(FDpi), 96); }
    HFONT ControlFont();  // "Tahoma" at the window's density, made when first asked for
    UniqueFont MakeFont(const vcl::FontSpec& font) const;  // at the window's density
    void Attach(ChildControl& control);
    void Detach(ChildControl& control) noexcept;
    void AttachShape();
    void DetachShape() noexcept;
    void AttachPanel(const std::string& name, const vcl::TRect& designBounds, vcl::TColor color);
    void DetachPanel(const std::string& name) noexcept;

private:
    UniqueWindow CreateHandle(const vcl::WindowStyle& style, const vcl::TRect& outer);
    void Recreate(const vcl::WindowStyle& style);
    void Restyle(const vcl::WindowStyle& style);
    void SetBackground(vcl::TColor color);
    vcl::TPoint DesignOrigin(const std::string& controlName) const;

    void PositionChanging(HWND window, WINDOWPOS& position);
    void MousePressed(HWND window, UINT message, LPARAM lParam);
    void Activated(HWND window, WPARAM wParam);
    void DpiChanged(HWND window, UINT dpi, const RECT& suggested);
    void EraseBackground(HWND window, HDC dc) const;
    void PaintShape(HWND window) const;
    void Command(HWND from, WORD code);
    ChildControl* ControlOf(HWND control) const;
    bool SetControlCursor(HWND control) const;

    struct Panel {
        std::string name;
        vcl::TRect designBounds;
        COLORREF color;
        UniqueBrush brush;
    };

    const WindowClass& FClass;
    vcl::WindowEvents& FEvents;
    vcl::WindowStyle FStyle;
    COLORREF FBackgroundColor = 0;
    UniqueBrush FBackground;
    HCURSOR FCursor;
    UniqueWindow FHandle;
    UINT FDpi = 96;
    UniqueFont FFont;
    std::vector<ChildControl*> FControls;  // in creation order, which is the tab order
    int FShapes = 0;
    std::vector<Panel> FPanels;
    int FNextControlId = 100;  // clear of IDOK and IDCANCEL, which dialog keys send
    HWND FFocus = nullptr;     // the control that had the focus when the window was last deactivated
};

}  // namespace win32
