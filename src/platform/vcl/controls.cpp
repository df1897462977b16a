#include "platform/vcl/controls.h"

namespace vcl {

ControlSpec DescribeControl(ControlKind kind, std::string name, int left, int top, int width, int height,
                            std::string text, std::string parent) {
    ControlSpec spec;
    spec.kind = kind;
    spec.name = std::move(name);
    spec.bounds = {left, top, left + width, top + height};
    spec.text = std::move(text);
    spec.parentName = std::move(parent);
    return spec;
}

TControl::TControl(TForm& form, const ControlSpec& spec)
    : FApplication(form.Application()), FName(spec.name), FNative(form.Window().CreateControl(spec, *this)) {}

TControl::~TControl() = default;

void TControl::Changed() {
    if (FOnChange) FApplication.Dispatch(FOnChange);
}

void TControl::Clicked() {
    if (FOnClick) FApplication.Dispatch(FOnClick);
}

TShortCut HotKeyToShortCut(std::uint16_t hotKeyValue) {
    constexpr std::uint8_t HOTKEYF_SHIFT = 1, HOTKEYF_CONTROL = 2, HOTKEYF_ALT = 4;
    const std::uint8_t flags = static_cast<std::uint8_t>(hotKeyValue >> 8);
    TShortCut shortCut = hotKeyValue & 0xFF;
    if (flags & HOTKEYF_SHIFT) shortCut |= scShift;
    if (flags & HOTKEYF_CONTROL) shortCut |= scCtrl;
    if (flags & HOTKEYF_ALT) shortCut |= scAlt;
    return shortCut;
}

TTimer::TTimer(TApplication& application, unsigned intervalMs, std::function<void()> onTimer)
    : FNative(application.System().CreateTimer(
          intervalMs, [&application, handler = std::move(onTimer)] { application.Dispatch(handler); })) {}

}  // namespace vcl
