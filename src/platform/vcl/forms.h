// The application object and forms: top-level windows whose settings come
// from a description and whose events reach handlers of the form.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/vcl/components.h"

namespace vcl {

class TForm;

// The message box text of an error: its message, followed by a full stop
// when the last character sorts after ".".
std::string ErrorBoxText(const std::string& message);

class TApplication {
public:
    explicit TApplication(Platform& platform) : FPlatform(platform) {}
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    Platform& System() const noexcept { return FPlatform; }

    std::string Title;
    TForm* MainForm = nullptr;

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();

    // The default error handler: a box titled with the application's title.
    void ShowException(const std::exception& error);

    // Runs an event handler; an error that leaves it is shown and the
    // program carries on, as the message loop does for every event.
    template <class Handler>
    void Dispatch(Handler&& handler) noexcept {
        try {
            handler();
        } catch (const std::exception& error) {
            ShowException(error);
        }
    }

private:
    Platform& FPlatform;
};

enum class TCloseAction { caNone, caHide, caFree, caMinimize };
enum class TPosition { poDesigned, poScreenCenter };
enum class TFormStyle { fsNormal, fsStayOnTop };

// The settings a form is created with, at 96 pixels per inch.
struct FormDescription {
    std::string caption;
    int clientWidth = 0;
    int clientHeight = 0;
    int left = 0;
    int top = 0;
    TBorderStyle borderStyle = TBorderStyle::bsSizeable;
    bool systemMenu = true;
    bool minimizeBox = true;
    TPosition position = TPosition::poDesigned;
    TFormStyle formStyle = TFormStyle::fsNormal;
    bool alphaBlend = false;
    std::uint8_t alphaBlendValue = 255;
    TColor color = 0;
    bool visible = false;
};

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrCancel = 2;

class TForm : public TComponent, protected WindowEvents {
public:
    TForm(TApplication& application, const FormDescription& description);
    ~TForm() override;
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return FWindow->Handle(); }
    TApplication& Application() const noexcept { return FApplication; }
    Platform& System() const noexcept { return FApplication.System(); }
    NativeWindow& Window() const noexcept { return *FWindow; }

    const std::string& Caption() const noexcept { return FStyle.caption; }
    void SetCaption(const std::string& caption);
    TBorderStyle BorderStyle() const noexcept { return FStyle.border; }
    void SetBorderStyle(TBorderStyle border);  // recreates the window at the same place
    void SetCursor(TCursor cursor);
    TRect BoundsRect() const { return FWindow->Bounds(); }
    void SetBoundsRect(const TRect& bounds) { FWindow->SetBounds(bounds); }

    bool Visible() const { return FWindow->Visible(); }
    void Show();  // visible, then to the front
    void Hide();
    void BringToFront() { FWindow->BringToFront(); }
    // A close request: a modal form ends its modal loop with mrCancel;
    // otherwise OnClose decides what happens (hiding by default).
    void Close();

    // Shows the form and runs a modal loop until ModalResult is set; the
    // form is hidden again when it ends. Gives the modal result.
    int ShowModal();
    int ModalResult = mrNone;

    std::function<void(TCloseAction&)> OnClose;
    std::function<void(TPoint)> OnMouseMove;
    std::function<void(TMouseButton, TPoint)> OnMouseDown;

    // Edge snapping while the window is moved.
    bool ScreenSnap = false;
    int SnapBuffer = 10;

protected:
    void CloseRequested() override;
    void MouseMoved(TPoint client) override;
    void MousePressed(TMouseButton button, TPoint client) override;
    void PositionChanging(TRect& proposed) override;
    void HotKeyPressed(TMessage& message) override;

    // The window's WM_HOTKEY handler; the default ignores the message.
    virtual void WMHotKey(TMessage& message);

    // Centres the window on the primary screen.
    void CenterOnScreen();

private:
    TApplication& FApplication;
    WindowStyle FStyle;
    std::unique_ptr<NativeWindow> FWindow;
    bool FModal = false;
};

// Pulls a moved window's edges onto the work area's edges when they lie
// closer than `buffer` pixels: left, top, right, bottom, in that order.
TRect SnapToWorkArea(const TRect& proposed, const TRect& workArea, int buffer);

}  // namespace vcl
