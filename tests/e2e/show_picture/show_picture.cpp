// Shows a BMP file in a borderless window at the top-left corner of the
// screen, so that Windows programs under Wine see known pixels on screen.
#include <windows.h>

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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR file, int) {
    Picture = static_cast<HBITMAP>(LoadImageW(nullptr, file, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (Picture == nullptr) return 1;
    BITMAP info;
    GetObjectW(Picture, sizeof info, &info);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = PictureProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"ShowPicture";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowExW(WS_EX_NOACTIVATE, L"ShowPicture", L"Picture", WS_POPUP | WS_VISIBLE, 0, 0,
                                        info.bmWidth, info.bmHeight, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    DeleteObject(Picture);
    return 0;
}
