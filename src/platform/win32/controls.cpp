#include "platform/win32/controls.h"

#include <algorithm>
#include <utility>

#include "platform/vcl/sysutils.h"
#include "platform/win32/shell.h"
#include "platform/win32/wide_text.h"

namespace win32 {
namespace {

// A drop-down list opens this many rows before it scrolls.
constexpr int kDroppedRows = 8;

constexpr COLORREF kShapeFill = RGB(188, 188, 188);
constexpr COLORREF kShapeOutline = RGB(0, 0, 0);

struct ControlClass {
    const wchar_t* name;
    DWORD style;
    DWORD exStyle;
};

// Labels report clicks. Edits get the sunken client edge of the system's own
// dialogs (which turn a resource's WS_BORDER into it); a plain WS_BORDER
// would draw a flat black line.
ControlClass ClassOf(vcl::ControlKind kind, bool wordWrap, bool centered) {
    using vcl::ControlKind;
    switch (kind) {
        case ControlKind::GroupBox: return {WC_BUTTONW, BS_GROUPBOX, 0};
        case ControlKind::Label: {
            const DWORD alignment = wordWrap ? SS_LEFT : centered ? SS_CENTER : SS_LEFTNOWORDWRAP;
            return {WC_STATICW, alignment | SS_NOTIFY, 0};
        }
        case ControlKind::Image: return {WC_STATICW, SS_ICON | SS_REALSIZECONTROL, 0};
        case ControlKind::ComboBox: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::Edit: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::HotKey: return {HOTKEY_CLASSW, WS_TABSTOP, 0};
        case ControlKind::Shape:
        case ControlKind::Panel: break;
    }
    throw vcl::EInvalidOperation("A shape or panel is not a control window");
}

// The hot key control refuses a key without modifiers other than Shift, as
// the framework's does, and then shows the key with no modifiers at all.
void SetHotKeyRules(HWND control) {
    ::SendMessageW(control, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, 0);
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Marks a change made by the program for as long as it lasts.
class Silence {
public:
    explicit Silence(bool& flag) : FFlag(flag), FBefore(std::exchange(flag, true)) {}
    ~Silence() { FFlag = FBefore; }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;

private:
    bool& FFlag;
    bool FBefore;
};

}  // namespace

ChildControl::ChildControl(Win32Window& window, const vcl::ControlSpec& spec, const vcl::TRect& designBounds, int id,
                           vcl::ControlEvents& events, std::optional<COLORREF> background)
    : FWindow(window),
      FKind(spec.kind),
      FName(spec.name),
      FDesignBounds(designBounds),
      FItems(spec.items),
      FFontSpec(spec.font),
      FWordWrap(spec.wordWrap),
      FCentered(spec.centered),
      FHotKey(spec.hotKey),
      FIconResource(spec.iconResource),
      FId(id),
      FEvents(events) {
    if (spec.cursor != vcl::crDefault) FCursor = SystemCursor(spec.cursor);
    if (background) {
        FBackgroundColor = *background;
        FBackground.reset(CheckOS(::CreateSolidBrush(FBackgroundColor)));
    }
    Create(window.Hwnd(), Widen(spec.text));
    FWindow.Attach(*this);
}

ChildControl::~ChildControl() { FWindow.Detach(*this); }

void ChildControl::Create(HWND parent, const std::wstring& text) {
    const Silence silence(FSilent);
    const ControlClass control = ClassOf(FKind, FWordWrap, FCentered);
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    FHandle.reset(CheckOS(::CreateWindowExW(control.exStyle, control.name, text.c_str(),
                                            control.style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FId)), instance, nullptr)));
    for (const std::string& item : FItems)
        ::SendMessageW(FHandle.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    if (FKind == vcl::ControlKind::HotKey) {
        SetHotKeyRules(FHandle.get());
        ::SendMessageW(FHandle.get(), HKM_SETHOTKEY, FHotKey, 0);
    }
    Rescale();
}

// A font of the control's own, at the window's density, or the window's.
HFONT ChildControl::Font() {
    if (FFontSpec.name.empty()) return FWindow.ControlFont();
    if (!FFont) FFont = FWindow.MakeFont(FFontSpec);
    return FFont.get();
}

// The control does not take the icon over: it is kept until the next one.
void ChildControl::ShowIcon() {
    const int size = FWindow.Scale(FDesignBounds.Width());
    UniqueIcon icon = LoadIconImage(FIconResource, size, size);
    ::SendMessageW(FHandle.get(), STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
    FIcon = std::move(icon);
}

void ChildControl::Rescale() {
    FFont.reset();
    ::SendMessageW(FHandle.get(), WM_SETFONT, reinterpret_cast<WPARAM>(Font()), TRUE);
    if (FKind == vcl::ControlKind::Image) ShowIcon();
    const vcl::TRect& b = FDesignBounds;
    const int left = FWindow.Scale(b.Left);
    const int top = FWindow.Scale(b.Top);
    ::SetWindowPos(FHandle.get(), nullptr, left, top, FWindow.Scale(b.Right) - left, FWindow.Scale(b.Bottom) - top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    FitToContent();
}

// A label grows to show its whole text in the control font, as the
// framework's self-sizing labels do; a combo box's height includes its list.
void ChildControl::FitToContent() {
    RECT bounds;
    ::GetWindowRect(FHandle.get(), &bounds);
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    if (FKind == vcl::ControlKind::Label) {
        if (FWordWrap || FCentered) return;  // a fixed box
        const ClientContext dc(FHandle.get());
        const SelectedObject font(dc.get(), Font());
        const std::wstring text = WindowText(FHandle.get());
        RECT needed{0, 0, 0, 0};
        ::DrawTextW(dc.get(), text.c_str(), static_cast<int>(text.size()), &needed, DT_CALCRECT | DT_SINGLELINE);
        width = std::max(width, static_cast<int>(needed.right));
        height = std::max(height, static_cast<int>(needed.bottom));
    } else if (FKind == vcl::ControlKind::ComboBox) {
        const auto itemHeight = static_cast<int>(::SendMessageW(FHandle.get(), CB_GETITEMHEIGHT, 0, 0));
        const int rows = std::clamp(static_cast<int>(FItems.size()), 1, kDroppedRows);
        height += rows * itemHeight + FWindow.Scale(2);
    } else {
        return;
    }
    ::SetWindowPos(FHandle.get(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ChildControl::MoveTo(HWND parent) {
    const std::wstring text = WindowText(FHandle.get());
    const int index = ItemIndex();
    FHotKey = HotKeyValue();
    FHandle.reset();
    Create(parent, FKind == vcl::ControlKind::ComboBox ? std::wstring() : text);
    SetItemIndex(index);
}

std::string ChildControl::Text() const { return Narrow(WindowText(FHandle.get())); }

void ChildControl::SetText(const std::string& text) {
    const Silence silence(FSilent);
    ::SetWindowTextW(FHandle.get(), Widen(text).c_str());
    if (FKind == vcl::ControlKind::Label) FitToContent();
}

int ChildControl::ItemIndex() const {
    if (FKind != vcl::ControlKind::ComboBox) return -1;
    return static_cast<int>(::SendMessageW(FHandle.get(), CB_GETCURSEL, 0, 0));
}

void ChildControl::SetItemIndex(int index) {
    if (FKind != vcl::ControlKind::ComboBox) return;
    const Silence silence(FSilent);
    ::SendMessageW(FHandle.get(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::uint16_t ChildControl::HotKeyValue() const {
    if (FKind != vcl::ControlKind::HotKey) return 0;
    return LOWORD(::SendMessageW(FHandle.get(), HKM_GETHOTKEY, 0, 0));
}

void ChildControl::Notify(WORD code) {
    if (FSilent) return;
    using vcl::ControlKind;
    switch (FKind) {
        case ControlKind::Edit:
        case ControlKind::HotKey:
            if (code == EN_CHANGE) FEvents.Changed();
            break;
        case ControlKind::ComboBox:
            if (code == CBN_SELCHANGE) FEvents.Changed();
            break;
        case ControlKind::Button:
            if (code == BN_CLICKED) FEvents.Clicked();
            break;
        case ControlKind::Label:
            if (code == STN_CLICKED) FEvents.Clicked();
            break;
        default: break;
    }
}

PanelControl::PanelControl(Win32Window& window, const vcl::ControlSpec& spec) : FWindow(window), FName(spec.name) {
    FWindow.AttachPanel(spec.name, spec.bounds, spec.color);
}

PanelControl::~PanelControl() { FWindow.DetachPanel(FName); }

ShapeControl::ShapeControl(Win32Window& window) : FWindow(window) { FWindow.AttachShape(); }

ShapeControl::~ShapeControl() { FWindow.DetachShape(); }

// Solid fill and a dotted outline on the fill colour, as one rectangle.
void ShapeControl::Draw(HDC dc, int width, int height) {
    const UniqueBrush fill(::CreateSolidBrush(kShapeFill));
    const UniquePen outline(::CreatePen(PS_DOT, 1, kShapeOutline));
    const SelectedObject brush(dc, fill.get());
    const SelectedObject pen(dc, outline.get());
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, kShapeFill);
    ::Rectangle(dc, 0, 0, width, height);
}

}  // namespace win32
