// Device contexts, screen-format bitmaps and the block copy, over GDI.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/platform.h"

namespace win32 {

// The window's device context (GetWindowDC; 0: the whole screen), released
// with ReleaseDC for the same window when destroyed.
std::unique_ptr<vcl::WindowDC> GetWindowDC(vcl::HWND window);

// A device-dependent bitmap compatible with the screen (CreateCompatibleBitmap
// on the screen's DC), whose GetObject and GetDIBits are GDI's.
std::unique_ptr<vcl::DeviceBitmap> CreateScreenBitmap(int width, int height);

// Copies sourceRect of the window DC to the bitmap at targetAt (BitBlt with
// the raster operation). Both objects must come from this file's functions.
void BlockCopy(vcl::DeviceBitmap& target, vcl::TPoint targetAt, vcl::WindowDC& source, const vcl::TRect& sourceRect,
               std::uint32_t rasterOperation);

}  // namespace win32
