// The Windows program: the settings window over the real desktop.
#include "app/Unit52.h"
#include "platform/vcl/forms.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/window_api.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        win32::Win32Platform platform;
        vcl::TApplication application(platform);
        application.Title = "Tivalo";
        app::TForm52 form(application);
        application.Run();
        return 0;
    } catch (const std::exception& error) {
        // Errors of event handlers are shown by the message loop; this one
        // kept the program from starting, or ended it.
        MessageBoxW(nullptr, win32::Widen(vcl::ErrorBoxText(error.what())).c_str(), L"Tivalo", MB_OK | MB_ICONERROR);
        return 1;
    }
}
