#include "platform/vcl/controls.h"

namespace vcl {

TControl::TControl(TForm& form, const ControlSpec& spec)
    : FApplication(form.Application()), FName(spec.name), FNative(form.Window().CreateControl(spec, *this)) {}

TControl::~TControl() = default;

void TControl::Changed() {
    if (FOnChange) FApplication.Dispatch(FOnChange);
}

void TControl::Clicked() {
    if (FOnClick) FApplication.Dispatch(FOnClick);
}

TTimer::TTimer(TApplication& application, unsigned intervalMs, std::function<void()> onTimer)
    : FNative(application.System().CreateTimer(
          intervalMs, [&application, handler = std::move(onTimer)] { application.Dispatch(handler); })) {}

}  // namespace vcl
