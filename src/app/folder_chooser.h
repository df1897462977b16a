// The system's folder dialog, opened in the middle of the work area.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace app {

// Runs the folder dialog; `result` is the chosen folder's path (a drive root
// keeps its backslash), or empty when the dialog is cancelled.
void BrowseForFolder(vcl::Platform& platform, const std::string& title, std::uint32_t flags, std::string& result);

// The dialog's callback: once the dialog exists, centres it in a rectangle of
// the work area's size placed at the screen's origin. Always 0.
int BrowseCallback(vcl::Platform& platform, vcl::HWND dialog, std::uint32_t message, std::intptr_t parameter,
                   std::intptr_t data);

}  // namespace app
