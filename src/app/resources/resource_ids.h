// Identifiers of the program's resources, shared by the resource script and the code.
#pragma once

// The application's icon: the first icon group, which the shell shows for the
// file and the program loads as its window and notification-area icon.
#define MAINICON 1
// The About dialog's picture: one 64 x 64 image.
#define ABOUTICON 2

#ifdef __cplusplus
namespace app {
inline constexpr int MainIconResource = MAINICON;
inline constexpr int AboutIconResource = ABOUTICON;
}  // namespace app
#endif
