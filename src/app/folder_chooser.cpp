#include "app/folder_chooser.h"

namespace app {

void BrowseForFolder(vcl::Platform& platform, const std::string& title, std::uint32_t flags, std::string& result) {
    result.clear();
    vcl::BrowseInfo info;
    info.owner = platform.ApplicationWindow();
    info.title = title;
    info.flags = flags;
    info.callback = [&platform](vcl::HWND dialog, std::uint32_t message, std::intptr_t parameter,
                                std::intptr_t data) { return BrowseCallback(platform, dialog, message, parameter, data); };
    const std::unique_ptr<vcl::ItemIdList> chosen = platform.SHBrowseForFolder(info);
    if (chosen) result = chosen->Path();
}

// The work area's own left and top are not added: with the task bar at the
// left or top the dialog sits displaced toward it.
int BrowseCallback(vcl::Platform& platform, vcl::HWND dialog, std::uint32_t message, std::intptr_t, std::intptr_t) {
    if (message != vcl::BFFM_INITIALIZED) return 0;
    const vcl::TRect workArea = platform.PrimaryWorkArea();
    vcl::TRect outer;
    platform.GetWindowRect(dialog, outer);
    const int x = workArea.Width() / 2 - outer.Width() / 2;
    const int y = workArea.Height() / 2 - outer.Height() / 2;
    platform.MoveWindow(dialog, x, y, outer.Width(), outer.Height(), true);
    return 0;
}

}  // namespace app
