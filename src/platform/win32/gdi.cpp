#include "platform/win32/gdi.h"

#include <cstddef>
#include <stdexcept>
#include <utility>

#include "platform/vcl/sysutils.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_api.h"
#include "platform/win32/window_handles.h"

namespace win32 {
namespace {

// The framework's DIB records are handed to GDI as they are.
static_assert(sizeof(vcl::BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(offsetof(vcl::BitmapInfoHeader, biWidth) == offsetof(BITMAPINFOHEADER, biWidth));
static_assert(offsetof(vcl::BitmapInfoHeader, biHeight) == offsetof(BITMAPINFOHEADER, biHeight));
static_assert(offsetof(vcl::BitmapInfoHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(vcl::BitmapInfoHeader, biCompression) == offsetof(BITMAPINFOHEADER, biCompression));
static_assert(offsetof(vcl::BitmapInfoHeader, biClrUsed) == offsetof(BITMAPINFOHEADER, biClrUsed));
static_assert(offsetof(vcl::BitmapInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant));
static_assert(sizeof(vcl::RGBQuad) == sizeof(RGBQUAD));
static_assert(offsetof(vcl::RGBQuad, rgbRed) == offsetof(RGBQUAD, rgbRed));
static_assert(offsetof(vcl::BitmapInfo, bmiColors) == offsetof(BITMAPINFO, bmiColors));

// GDI does not always set a last error when it fails; `unset` describes the
// failure then.
[[noreturn]] void RaiseGdiError(DWORD unset) {
    const DWORD error = GetLastError();
    RaiseOSError(error != ERROR_SUCCESS ? error : unset);
}

// The device context of a whole window, frame included (GetWindowDC),
// released with ReleaseDC for the same window.
class Win32WindowDC final : public vcl::WindowDC {
public:
    explicit Win32WindowDC(HWND window) : FWindow(window), FDC(::GetWindowDC(window)) {
        if (!FDC) RaiseGdiError(ERROR_INVALID_WINDOW_HANDLE);
    }
    ~Win32WindowDC() override { ::ReleaseDC(FWindow, FDC); }
    Win32WindowDC(const Win32WindowDC&) = delete;
    Win32WindowDC& operator=(const Win32WindowDC&) = delete;

    HDC Handle() const noexcept { return FDC; }
    bool IsScreen() const noexcept { return FWindow == nullptr || FWindow == ::GetDesktopWindow(); }

private:
    HWND FWindow;
    HDC FDC;
};

// The part of a rectangle that lies on the desktop's monitors' bounding box.
RECT OnVirtualScreen(const vcl::TRect& rect) {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT screen{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                      top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const RECT wanted{rect.Left, rect.Top, rect.Right, rect.Bottom};
    RECT visible{};
    ::IntersectRect(&visible, &wanted, &screen);
    return visible;
}

// A device-dependent bitmap in the screen's format. GetDIBits needs it
// unselected, which BlockCopy guarantees by selecting it only for the copy.
class ScreenBitmap final : public vcl::DeviceBitmap {
public:
    explicit ScreenBitmap(UniqueBitmap bitmap) noexcept : FBitmap(std::move(bitmap)) {}
    HBITMAP Handle() const noexcept { return FBitmap.get(); }

    vcl::BitmapRecord GetObject() const override {
        BITMAP record{};
        if (GetObjectW(FBitmap.get(), sizeof record, &record) != sizeof record) return {};
        return {static_cast<std::int32_t>(record.bmWidth), static_cast<std::int32_t>(record.bmHeight),
                record.bmBitsPixel};
    }

    int GetDIBits(int startScan, int scanLines, void* bits, vcl::BitmapInfo& info) const override {
        // The default palette of a fresh memory DC gives indexed formats
        // the system's colours.
        const UniqueMemoryDC dc(CreateCompatibleDC(nullptr));
        if (!dc) return 0;
        return ::GetDIBits(dc.get(), FBitmap.get(), static_cast<UINT>(startScan), static_cast<UINT>(scanLines), bits,
                           reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    }

private:
    UniqueBitmap FBitmap;
};

}  // namespace

std::unique_ptr<vcl::WindowDC> GetWindowDC(vcl::HWND window) {
    return std::make_unique<Win32WindowDC>(ToHwnd(window));
}

std::unique_ptr<vcl::DeviceBitmap> CreateScreenBitmap(int width, int height) {
    // GDI would answer a zero size with a 1 x 1 monochrome bitmap.
    if (width <= 0 || height <= 0) throw vcl::EConvertError("Invalid bitmap size");
    const ClientContext screen(nullptr);
    if (!screen.get()) RaiseGdiError(ERROR_DC_NOT_FOUND);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!bitmap) RaiseGdiError(ERROR_NOT_ENOUGH_MEMORY);
    return std::make_unique<ScreenBitmap>(std::move(bitmap));
}

void BlockCopy(vcl::DeviceBitmap& target, vcl::TPoint targetAt, vcl::WindowDC& source, const vcl::TRect& sourceRect,
               std::uint32_t rasterOperation) {
    auto* bitmap = dynamic_cast<ScreenBitmap*>(&target);
    auto* window = dynamic_cast<Win32WindowDC*>(&source);
    if (!bitmap || !window) throw std::invalid_argument("BlockCopy needs a bitmap and a device context of GDI");

    const UniqueMemoryDC dc(CreateCompatibleDC(window->Handle()));
    if (!dc) RaiseGdiError(ERROR_NOT_ENOUGH_MEMORY);
    // Selected for the copy only: GetDIBits needs the bitmap unselected.
    const SelectedObject selection(dc.get(), bitmap->Handle());
    RECT copied{sourceRect.Left, sourceRect.Top, sourceRect.Right, sourceRect.Bottom};
    if (window->IsScreen()) {
        // Some systems refuse a screen copy that reaches past the screen
        // (a maximised window's frame does) and give black for all of it:
        // only the part on screen is copied, the rest stays black.
        copied = OnVirtualScreen(sourceRect);
        if (copied.right - copied.left != sourceRect.Width() || copied.bottom - copied.top != sourceRect.Height())
            PatBlt(dc.get(), targetAt.X, targetAt.Y, sourceRect.Width(), sourceRect.Height(), BLACKNESS);
        if (IsRectEmpty(&copied)) return;
    }
    if (!BitBlt(dc.get(), targetAt.X + (copied.left - sourceRect.Left), targetAt.Y + (copied.top - sourceRect.Top),
                copied.right - copied.left, copied.bottom - copied.top, window->Handle(), copied.left, copied.top,
                rasterOperation))
        RaiseGdiError(ERROR_ACCESS_DENIED);
}

}  // namespace win32
