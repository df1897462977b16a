// Prints, in UTF-8, what X cannot tell about the visible top-level window
// whose title is TITLE:
//   window-probe controls TITLE    one line per child control, with tabs:
//                                  class, left, top (in the window's client
//                                  area) and text
//   window-probe placement TITLE   "LEFT TOP RIGHT BOTTOM ZOOMED" of its outer
//                                  rectangle, ZOOMED 1 when maximised
//   window-probe message TITLE     the text of the message box whose title is
//                                  TITLE (a program's main window may share it)
// Exits with 1 when no such window is shown, 2 on a wrong command line.
#include <windows.h>

#include <string>

namespace {

// The window class of dialogs, message boxes among them.
constexpr const wchar_t* DialogClass = L"#32770";
// The identifier of a message box's text.
constexpr int MessageTextId = 0xFFFF;

struct Search {
    const wchar_t* title;
    const wchar_t* className;  // nullptr: any class
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    wchar_t title[256], className[256];
    GetWindowTextW(window, title, 256);
    GetClassNameW(window, className, 256);
    if (!IsWindowVisible(window) || std::wstring(title) != search.title) return TRUE;
    if (search.className != nullptr && std::wstring(className) != search.className) return TRUE;
    search.found = window;
    return FALSE;
}

// The hidden windows of a program may share its main window's title.
HWND VisibleWindow(const wchar_t* title, const wchar_t* className = nullptr) {
    Search search{title, className, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Print(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

// WM_GETTEXT rather than GetWindowTextW, which does not ask another process's controls.
std::wstring ControlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    const LRESULT length = SendMessageW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM lParam) {
    const HWND top = reinterpret_cast<HWND>(lParam);
    wchar_t className[256];
    GetClassNameW(control, className, 256);
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    Print(std::wstring(className) + L"\t" + std::to_wstring(rect.left) + L"\t" + std::to_wstring(rect.top) + L"\t" +
          ControlText(control) + L"\n");
    return TRUE;
}

void PrintPlacement(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    Print(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " + std::to_wstring(rect.right) + L" " +
          std::to_wstring(rect.bottom) + L" " + (IsZoomed(window) ? L"1" : L"0") + L"\n");
}

}  // namespace

int wmain(int count, wchar_t** arguments) {
    if (count != 3) return 2;
    const std::wstring command = arguments[1];
    const HWND window = VisibleWindow(arguments[2], command == L"message" ? DialogClass : nullptr);
    if (window == nullptr) return 1;
    if (command == L"controls")
        EnumChildWindows(window, PrintControl, reinterpret_cast<LPARAM>(window));
    else if (command == L"placement")
        PrintPlacement(window);
    else if (command == L"message")
        Print(ControlText(GetDlgItem(window, MessageTextId)) + L"\n");
    else
        return 2;
    return 0;
}
