#include "platform/vcl/forms.h"

#include <cstdlib>
#include <new>

#include "platform/vcl/sysutils.h"

namespace vcl {

std::string ErrorBoxText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > static_cast<unsigned char>('.'))
        return message + ".";
    return message;
}

void TApplication::Run() {
    if (MainForm) MainForm->Show();
    FPlatform.RunMessageLoop();
}

void TApplication::Terminate() { FPlatform.Terminate(); }

// A failed allocation of the standard library reads as the framework's own
// out-of-memory error rather than as the library's class name.
void TApplication::ShowException(const std::exception& error) {
    const bool outOfMemory = dynamic_cast<const std::bad_alloc*>(&error) != nullptr;
    FPlatform.ShowErrorBox(Title, ErrorBoxText(outOfMemory ? EOutOfMemory().Message() : error.what()));
}

namespace {

WindowStyle StyleOf(const FormDescription& d) {
    WindowStyle style;
    style.caption = d.caption;
    style.border = d.borderStyle;
    style.systemMenu = d.systemMenu;
    style.minimizeBox = d.minimizeBox;
    style.stayOnTop = d.formStyle == TFormStyle::fsStayOnTop;
    style.layered = d.alphaBlend;
    style.alpha = d.alphaBlendValue;
    style.color = d.color;
    return style;
}

}  // namespace

TForm::TForm(TApplication& application, const FormDescription& description)
    : TComponent(nullptr),
      FApplication(application), FStyle(StyleOf(description)) {
    const TRect designed{description.left, description.top, description.left + description.clientWidth,
                         description.top + description.clientHeight};
    FWindow = System().CreateWindow(FStyle, designed, *this);
    // The description gives the client size at 96 pixels per inch; the frame comes around it.
    const int ppi = FWindow->PixelsPerInch();
    const int clientWidth = (description.clientWidth * ppi + 48) / 96;
    const int clientHeight = (description.clientHeight * ppi + 48) / 96;
    const TRect client = FWindow->ClientRect();
    const TRect outer = FWindow->Bounds();
    FWindow->SetBounds({outer.Left, outer.Top, outer.Right + (clientWidth - client.Width()),
                        outer.Bottom + (clientHeight - client.Height())});
    if (description.position == TPosition::poScreenCenter) CenterOnScreen();
    if (description.visible) Show();
}

TForm::~TForm() = default;

void TForm::SetCaption(const std::string& caption) {
    FStyle.caption = caption;
    FWindow->SetStyle(FStyle);
}

void TForm::SetBorderStyle(TBorderStyle border) {
    if (FStyle.border == border) return;
    FStyle.border = border;
    FWindow->SetStyle(FStyle);
}

void TForm::SetCursor(TCursor cursor) { FWindow->SetCursor(cursor); }

void TForm::Show() {
    FWindow->SetVisible(true);
    FWindow->BringToFront();
}

void TForm::Hide() { FWindow->SetVisible(false); }

void TForm::Close() {
    if (FModal) {
        ModalResult = mrCancel;
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    if (OnClose) OnClose(action);
    if (action == TCloseAction::caHide) Hide();
}

int TForm::ShowModal() {
    struct ModalState {
        TForm& form;
        explicit ModalState(TForm& f) : form(f) { form.FModal = true; }
        ~ModalState() {
            form.FModal = false;
            form.Hide();
        }
    } modal(*this);
    ModalResult = mrNone;
    Show();
    System().RunModal(*FWindow, [this] { return ModalResult != mrNone; });
    return ModalResult;
}

void TForm::CenterOnScreen() {
    const TRect outer = FWindow->Bounds();
    const int screenWidth = System().GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = System().GetSystemMetrics(SM_CYSCREEN);
    const int left = (screenWidth - outer.Width()) / 2;
    const int top = (screenHeight - outer.Height()) / 2;
    FWindow->SetBounds({left, top, left + outer.Width(), top + outer.Height()});
}

void TForm::CloseRequested() {
    FApplication.Dispatch([&] { Close(); });
}

void TForm::MouseMoved(TPoint client) {
    if (OnMouseMove) FApplication.Dispatch([&] { OnMouseMove(client); });
}

void TForm::MousePressed(TMouseButton button, TPoint client) {
    if (OnMouseDown) FApplication.Dispatch([&] { OnMouseDown(button, client); });
}

void TForm::HotKeyPressed(TMessage& message) {
    FApplication.Dispatch([&] { WMHotKey(message); });
}

void TForm::WMHotKey(TMessage&) {}

void TForm::PositionChanging(TRect& proposed) {
    const TRect current = FWindow->Bounds();
    const bool moveOnly = proposed.Width() == current.Width() && proposed.Height() == current.Height();
    if (!ScreenSnap || !moveOnly || (proposed.Left == 0 && proposed.Top == 0)) return;
    proposed = SnapToWorkArea(proposed, System().WorkAreaFor(proposed), SnapBuffer);
}

TRect SnapToWorkArea(const TRect& proposed, const TRect& workArea, int buffer) {
    const int width = proposed.Width();
    const int height = proposed.Height();
    int left = proposed.Left;
    int top = proposed.Top;
    if (std::abs(left - workArea.Left) < buffer) left = workArea.Left;
    if (std::abs(top - workArea.Top) < buffer) top = workArea.Top;
    if (std::abs(left + width - workArea.Right) < buffer) left = workArea.Right - width;
    if (std::abs(top + height - workArea.Bottom) < buffer) top = workArea.Bottom - height;
    return {left, top, left + width, top + height};
}

}  // namespace vcl
