// Child controls of the program's windows: system control windows placed at
// their description's bounds (96 pixels per inch, scaled to the window), and
// the rectangle shape, which the window paints itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32/window.h"

namespace win32 {

class ChildControl final : public vcl::NativeControl {
public:
    // `designBounds` are in the window's client coordinates at 96 pixels per inch.
    // `background` is the colour behind a control placed on a panel.
    ChildControl(Win32Window& window, const vcl::ControlSpec& spec, const vcl::TRect& designBounds, int id,
                 vcl::ControlEvents& events, std::optional<COLORREF> background = std::nullopt);
    ~ChildControl() override;
    ChildControl(const ChildControl&) = delete;
    ChildControl& operator=(const ChildControl&) = delete;

    std::string Text() const override;
    void SetText(const std::string& text) override;  // reports no change
    int ItemIndex() const override;
    void SetItemIndex(int index) override;  // reports no change
    std::uint16_t HotKeyValue() const override;

    const std::string& Name() const noexcept { return FName; }
    const vcl::TRect& DesignBounds() const noexcept { return FDesignBounds; }
    HWND Hwnd() const noexcept { return FHandle.get(); }
    // The cursor over the control; null: the window's.
    HCURSOR Cursor() const noexcept { return FCursor; }
    // The brush of a control on a panel; null: the window's.
    HBRUSH Background() const noexcept { return FBackground.get(); }
    COLORREF BackgroundColor() const noexcept { return FBackgroundColor; }

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
    HFONT Font();
    void ShowIcon();

    Win32Window& FWindow;
    vcl::ControlKind FKind;
    std::string FName;
    vcl::TRect FDesignBounds;
    std::vector<std::string> FItems;  // of a combo box
    vcl::FontSpec FFontSpec;
    bool FWordWrap;
    bool FCentered;
    std::uint16_t FHotKey;
    int FIconResource;
    HCURSOR FCursor = nullptr;
    COLORREF FBackgroundColor = 0;
    UniqueBrush FBackground;
    UniqueFont FFont;
    UniqueIcon FIcon;
    int FId;
    vcl::ControlEvents& FEvents;
    UniqueWindow FHandle;
    bool FSilent = false;  // the program is changing the control: no change reports
};

// A control that the window paints itself: it holds no text and no selection.
class PaintedControl : public vcl::NativeControl {
public:
    std::string Text() const override { return {}; }
    void SetText(const std::string&) override {}
    int ItemIndex() const override { return -1; }
    void SetItemIndex(int) override {}
};

// A rectangle drawn on the window itself, filling its client area: solid
// light grey with a dotted black outline along the outermost pixels. Mouse
// input over it is the window's.
class ShapeControl final : public PaintedControl {
public:
    explicit ShapeControl(Win32Window& window);
    ~ShapeControl() override;
    ShapeControl(const ShapeControl&) = delete;
    ShapeControl& operator=(const ShapeControl&) = delete;

    static void Draw(HDC dc, int width, int height);

private:
    Win32Window& FWindow;
};

// A coloured rectangle that the window paints under its controls; controls
// placed on it are positioned relative to it and drawn on its colour.
class PanelControl final : public PaintedControl {
public:
    PanelControl(Win32Window& window, const vcl::ControlSpec& spec);
    ~PanelControl() override;
    PanelControl(const PanelControl&) = delete;
    PanelControl& operator=(const PanelControl&) = delete;

private:
    Win32Window& FWindow;
    std::string FName;
};

}  // namespace win32
