// Child controls of the program's windows: system control windows placed at
// their description's bounds (96 pixels per inch, scaled to the window), and
// the rectangle shape, which the window paints itself.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/window.h"

namespace win32 {

class ChildControl final : public vcl::NativeControl {
public:
    // `designBounds` are in the window's client coordinates at 96 pixels per inch.
    ChildControl(Win32Window& window, const vcl::ControlSpec& spec, const vcl::TRect& designBounds, int id,
                 vcl::ControlEvents& events);
    ~ChildControl() override;
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    std::string Text() const override;
    void SetText(const std::string& text) override;  // reports no change
    int ItemIndex() const override;
    void SetItemIndex(int index) override;  // reports no change

    const std::string& Name() const noexcept { return FName; }
    const vcl::TRect& DesignBounds() const noexcept { return FDesignBounds; }
    HWND Hwnd() const noexcept { return FHandle.get(); }

    // A WM_COMMAND notification from the control.
    void Notify(WORD code);
    // The window was recreated: the control moves onto the new one, keeping
    // its text, selection and key.
    void MoveTo(HWND parent);
    // The window's density changed: new place, size and font.
    void Rescale();

private:
    void Create(HWND parent, const std::wstring& text);
    void FitToContent();

    Win32Window& FWindow;
    vcl::ControlKind FKind;
    std::string FName;
    vcl::TRect FDesignBounds;
    std::vector<std::string> FItems;  // of a combo box
    int FId;
    vcl::ControlEvents& FEvents;
    UniqueWindow FHandle;
    bool FSilent = false;  // the program is changing the control: no change reports
};

// A rectangle drawn on the window itself, filling its client area: solid
// light grey with a dotted black outline along the outermost pixels. Mouse
// input over it is the window's.
class ShapeControl final : public vcl::NativeControl {
public:
    explicit ShapeControl(Win32Window& window);
    ~ShapeControl() override;
    ShapeControl(const ShapeControl&) = delete;
    ShapeControl& operator=(const ShapeControl&) = delete;

    std::string Text() const override { return {}; }
    void SetText(const std::string&) override {}
    int ItemIndex() const override { return -1; }
    void SetItemIndex(int) override {}

    static void Draw(HDC dc, int width, int height);

private:
    Win32Window& FWindow;
};

}  // namespace win32
