#include "selector/Unit53.h"

namespace selector {
namespace {

constexpr int BandWidth = 20;

// Commands of the system's move and size loop (WM_SYSCOMMAND).
constexpr std::uint32_t SizeLeft = 0xF001;
constexpr std::uint32_t SizeRight = 0xF002;
constexpr std::uint32_t SizeTop = 0xF003;
constexpr std::uint32_t SizeBottom = 0xF006;
constexpr std::uint32_t SizeBottomRight = 0xF008;
constexpr std::uint32_t MoveByCaption = 0xF012;

vcl::FormDescription Form53Description() {
    vcl::FormDescription d;
    d.caption = "Select area";
    d.clientWidth = 455;
    d.clientHeight = 232;
    d.borderStyle = vcl::TBorderStyle::bsNone;
    d.minimizeBox = false;
    d.position = vcl::TPosition::poScreenCenter;
    d.formStyle = vcl::TFormStyle::fsStayOnTop;
    d.alphaBlend = true;
    d.alphaBlendValue = 128;
    d.color = vcl::clBlack;
    d.visible = true;
    return d;
}

vcl::ControlSpec Shape1Spec() {
    vcl::ControlSpec spec;
    spec.kind = vcl::ControlKind::Shape;
    spec.name = "Shape1";
    spec.bounds = {0, 0, 455, 232};
    return spec;
}

}  // namespace

TForm53::TForm53(vcl::TApplication& application)
    : TForm(application, Form53Description()), Shape1(*this, Shape1Spec()) {
    ScreenSnap = true;
    SnapBuffer = 10;
    OnMouseMove = [this](vcl::TPoint point) { Shape1MouseMove(point); };
    OnMouseDown = [this](vcl::TMouseButton button, vcl::TPoint) { Shape1MouseDown(button); };
    OnClose = [this](vcl::TCloseAction& action) { FormClose(action); };
    FormCreate();
}

void TForm53::FormCreate() {
    FAtLeftEdge = FAtRightEdge = FAtTopEdge = FAtBottomEdge = FAtBottomRightCorner = false;
}

// The right and bottom bands are 19 pixels wide, the left and top ones 20:
// the comparisons are strict. Only the bottom-right corner sizes diagonally.
void TForm53::Shape1MouseMove(vcl::TPoint point) {
    FormCreate();
    const vcl::TRect bounds = BoundsRect();
    const int w = bounds.Width();
    const int h = bounds.Height();
    vcl::TCursor cursor = vcl::crSizeAll;
    if (point.X > w - BandWidth && point.Y > h - BandWidth) {
        FAtBottomRightCorner = true;
        cursor = vcl::crSizeNWSE;
    } else if (point.X > w - BandWidth) {
        FAtRightEdge = true;
        cursor = vcl::crSizeWE;
    } else if (point.X < BandWidth) {
        FAtLeftEdge = true;
        cursor = vcl::crSizeWE;
    } else if (point.Y > h - BandWidth) {
        FAtBottomEdge = true;
        cursor = vcl::crSizeNS;
    } else if (point.Y < BandWidth) {
        FAtTopEdge = true;
        cursor = vcl::crSizeNS;
    }
    SetCursor(cursor);
}

std::uint32_t TForm53::PressCommand() const {
    if (FAtLeftEdge) return SizeLeft;
    if (FAtRightEdge) return SizeRight;
    if (FAtTopEdge) return SizeTop;
    if (FAtBottomEdge) return SizeBottom;
    if (FAtBottomRightCorner) return SizeBottomRight;
    return MoveByCaption;
}

// Any button starts the same move or resize.
void TForm53::Shape1MouseDown(vcl::TMouseButton) {
    Window().ReleaseCapture();
    Window().SystemCommand(PressCommand());
}

void TForm53::FormClose(vcl::TCloseAction&) {
    if (Application().MainForm) Application().MainForm->Show();
}

}  // namespace selector
