#include "platform/win32/controls.h"

#include <algorithm>
#include <utility>

#include "platform/vcl/sysutils.h"
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

// Edits get the sunken client edge of the system's own dialogs (which turn a
// resource's WS_BORDER into it); a plain WS_BORDER would draw a flat black line.
ControlClass ClassOf(vcl::ControlKind kind) {
    using vcl::ControlKind;
    switch (kind) {
        case ControlKind::GroupBox: return {WC_BUTTONW, BS_GROUPBOX, 0};
        case ControlKind::Label: return {WC_STATICW, SS_LEFTNOWORDWRAP, 0};
        case ControlKind::ComboBox: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::Edit: return {WC_EDITW, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::Button: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::HotKey: return {HOTKEY_CLASSW, WS_TABSTOP, 0};
        case ControlKind::Shape: break;
    }
    throw vcl::EInvalidOperation("A shape is not a control window");
}

// The key of a hot key description: "F1" to "F24"; 0 for anything else.
WORD HotKeyOf(const std::string& text) {
    if (text.size() < 2 || text.size() > 3 || text[0] != 'F') return 0;
    int number = 0;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        number = number * 10 + (text[i] - '0');
    }
    return number >= 1 && number <= 24 ? static_cast<WORD>(VK_F1 + number - 1) : 0;
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
                           vcl::ControlEvents& events)
    : FWindow(window),
      FKind(spec.kind),
      FName(spec.name),
      FDesignBounds(designBounds),
      FItems(spec.items),
      FId(id),
      FEvents(events) {
    Create(window.Hwnd(), FKind == vcl::ControlKind::HotKey ? std::wstring() : Widen(spec.text));
    if (FKind == vcl::ControlKind::HotKey)
        ::SendMessageW(FHandle.get(), HKM_SETHOTKEY, MAKEWORD(HotKeyOf(spec.text), 0), 0);
    FWindow.Attach(*this);
}

ChildControl::~ChildControl() { FWindow.Detach(*this); }

void ChildControl::Create(HWND parent, const std::wstring& text) {
    const Silence silence(FSilent);
    const ControlClass control = ClassOf(FKind);
    const auto instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(parent, GWLP_HINSTANCE));
    FHandle.reset(CheckOS(::CreateWindowExW(control.exStyle, control.name, text.c_str(),
                                            control.style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(FId)), instance, nullptr)));
    for (const std::string& item : FItems)
        ::SendMessageW(FHandle.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    Rescale();
}

void ChildControl::Rescale() {
    ::SendMessageW(FHandle.get(), WM_SETFONT, reinterpret_cast<WPARAM>(FWindow.ControlFont()), TRUE);
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
        const ClientContext dc(FHandle.get());
        const SelectedObject font(dc.get(), FWindow.ControlFont());
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
    const LRESULT key = FKind == vcl::ControlKind::HotKey ? ::SendMessageW(FHandle.get(), HKM_GETHOTKEY, 0, 0) : 0;
    FHandle.reset();
    Create(parent, FKind == vcl::ControlKind::ComboBox ? std::wstring() : text);
    SetItemIndex(index);
    if (FKind == vcl::ControlKind::HotKey) ::SendMessageW(FHandle.get(), HKM_SETHOTKEY, static_cast<WPARAM>(key), 0);
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
        default: break;
    }
}

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
