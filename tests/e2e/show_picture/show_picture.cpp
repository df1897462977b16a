// Shows a BMP file in a window, so that Windows programs under Wine see known
// pixels on screen:
//   show-picture FILE [X Y]          borderless at the screen's top-left corner
//                                    (or at X Y), in front but not active:
//                                    "Picture"
//   show-picture FILE X Y --rounded  borderless at X Y, cut to an ellipse by its
//                                    window region, active: "Rounded picture"
//   show-picture FILE --maximized    in a framed window, maximised and active:
//                                    "Maximized picture"
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

namespace {

HBITMAP Picture = nullptr;

enum class Look { Plain, Rounded, Maximized };

struct Options {
    std::wstring file;
    int x = 0, y = 0;
    Look look = Look::Plain;
};

LRESULT CALLBACK PictureProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC target = BeginPaint(window, &paint);
        const HDC source = CreateCompatibleDC(target);
        const HGDIOBJ previous = SelectObject(source, Picture);
        BITMAP info;
        GetObjectW(Picture, sizeof info, &info);
        BitBlt(target, 0, 0, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

bool Parse(const std::vector<std::wstring>& arguments, Options& options) {
    if (arguments.size() < 2) return false;
    options.file = arguments[1];
    if (arguments.size() == 3 && arguments[2] == L"--maximized") {
        options.look = Look::Maximized;
        return true;
    }
    if (arguments.size() != 2 && arguments.size() != 4 && arguments.size() != 5) return false;
    if (arguments.size() >= 4) {
        options.x = std::stoi(arguments[2]);
        options.y = std::stoi(arguments[3]);
    }
    if (arguments.size() == 5) {
        if (arguments[4] != L"--rounded") return false;
        options.look = Look::Rounded;
    }
    return true;
}

std::vector<std::wstring> Arguments() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) return {};
    std::vector<std::wstring> result(arguments, arguments + count);
    LocalFree(arguments);
    return result;
}

HWND CreatePictureWindow(HINSTANCE instance, const Options& options, int width, int height) {
    switch (options.look) {
        case Look::Plain:
            return CreateWindowExW(WS_EX_NOACTIVATE, L"ShowPicture", L"Picture", WS_POPUP, options.x, options.y, width,
                                   height, nullptr, nullptr, instance, nullptr);
        case Look::Rounded: {
            const HWND window = CreateWindowExW(0, L"ShowPicture", L"Rounded picture", WS_POPUP, options.x, options.y,
                                                width, height, nullptr, nullptr, instance, nullptr);
            // The window owns the region from here on.
            if (window != nullptr) SetWindowRgn(window, CreateEllipticRgn(0, 0, width + 1, height + 1), FALSE);
            return window;
        }
        case Look::Maximized:
            return CreateWindowExW(0, L"ShowPicture", L"Maximized picture", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                   CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
    }
    return nullptr;
}

int ShowCommand(Look look) {
    switch (look) {
        case Look::Plain: return SW_SHOWNOACTIVATE;
        case Look::Rounded: return SW_SHOW;
        case Look::Maximized: return SW_SHOWMAXIMIZED;
    }
    return SW_SHOW;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    Options options;
    if (!Parse(Arguments(), options)) return 2;
    Picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, options.file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (Picture == nullptr) return 1;
    BITMAP info;
    GetObjectW(Picture, sizeof info, &info);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PictureProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ShowPicture";
    RegisterClassW(&windowClass);
    const HWND window = CreatePictureWindow(instance, options, info.bmWidth, info.bmHeight);
    if (window == nullptr) return 1;
    ShowWindow(window, ShowCommand(options.look));
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DeleteObject(Picture);
    return 0;
}
