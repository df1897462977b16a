// Child controls of forms, and the timer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/forms.h"

namespace vcl {

// A control's description: kind, name, place and size at 96 pixels per inch
// in its parent's client area, text, and the parent (empty: the form).
ControlSpec DescribeControl(ControlKind kind, std::string name, int left, int top, int width, int height,
                            std::string text, std::string parent = "");

// A control on a form; the form's native window holds its native twin.
class TControl : protected ControlEvents {
public:
    TControl(TForm& form, const ControlSpec& spec);
    ~TControl() override;
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    const std::string& Name() const noexcept { return FName; }

protected:
    void Changed() override;
    void Clicked() override;
    NativeControl& Native() const noexcept { return *FNative; }
    TApplication& Application() const noexcept { return FApplication; }

    std::function<void()> FOnChange;
    std::function<void()> FOnClick;

private:
    TApplication& FApplication;
    std::string FName;
    std::unique_ptr<NativeControl> FNative;
};

// Controls that show text or a picture: labels, group boxes, panels, images.
class TLabel : public TControl {
public:
    using TControl::TControl;
    std::string Caption() const { return Native().Text(); }
    void SetOnClick(std::function<void()> handler) { FOnClick = std::move(handler); }
};
using TGroupBox = TLabel;
using TShape = TLabel;
using TPanel = TLabel;
using TImage = TLabel;

class TEdit : public TControl {
public:
    using TControl::TControl;
    std::string Text() const { return Native().Text(); }
    void SetText(const std::string& text) { Native().SetText(text); }
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }
};

class TComboBox : public TControl {
public:
    using TControl::TControl;
    int ItemIndex() const { return Native().ItemIndex(); }
    // Selecting from code does not report a change.
    void SetItemIndex(int index) { Native().SetItemIndex(index); }
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }
};

class TButton : public TControl {
public:
    using TControl::TControl;
    void SetOnClick(std::function<void()> handler) { FOnClick = std::move(handler); }
};

// A shortcut: the key code in bits 0 to 12, scShift, scCtrl and scAlt above.
using TShortCut = std::uint16_t;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

// The shortcut of a hot key control's value (key code, HOTKEYF_* flags in the
// high byte); the extended-key flag has no place in it.
TShortCut HotKeyToShortCut(std::uint16_t hotKeyValue);

// A control that records a key combination.
class THotKey : public TControl {
public:
    using TControl::TControl;
    TShortCut HotKey() const { return HotKeyToShortCut(Native().HotKeyValue()); }
    void SetOnChange(std::function<void()> handler) { FOnChange = std::move(handler); }
};

// Calls its handler at every tick of the system timer while it exists.
class TTimer {
public:
    TTimer(TApplication& application, unsigned intervalMs, std::function<void()> onTimer);

private:
    std::unique_ptr<NativeTimer> FNative;
};

}  // namespace vcl
