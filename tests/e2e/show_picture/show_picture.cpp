// Shows a BMP file in a borderless window (at the screen's top-left corner,
// or at X Y), so that Windows programs under Wine see known pixels on screen.
// It comes up in front without taking the activation.
//   show-picture FILE [X Y]
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

HBITMAP Picture = nullptr;

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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || (count != 2 && count != 4)) return 2;
    const std::wstring file = arguments[1];
    const int x = count == 4 ? std::stoi(arguments[2]) : 0;
    const int y = count == 4 ? std::stoi(arguments[3]) : 0;
    LocalFree(arguments);
    Picture = static_cast<HBITMAP>(
        LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (Picture == nullptr) return 1;
    BITMAP info;
    GetObjectW(Picture, sizeof info, &info);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PictureProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ShowPicture";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_NOACTIVATE, L"ShowPicture", L"Picture", WS_POPUP, x, y,
                                        info.bmWidth, info.bmHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DeleteObject(Picture);
    return 0;
}
