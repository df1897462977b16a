// Bitmaps made by the platform, and the block copy between canvases.
#include "platform/platform.h"
#include "platform/vcl/sysutils.h"

namespace vcl {

TBitmap::TBitmap(Platform& platform) : FPlatform(&platform) {}

TBitmap::~TBitmap() = default;

void TBitmap::SetWidth(int width) {
    FWidth = width;
    Recreate();
}

void TBitmap::SetHeight(int height) {
    FHeight = height;
    Recreate();
}

void TBitmap::Recreate() {
    if (FPlatform == nullptr) throw EInvalidOperation("A bitmap without a display cannot be resized");
    FHandle = FWidth > 0 && FHeight > 0 ? FPlatform->CreateCompatibleBitmap(FWidth, FHeight) : nullptr;
}

TCanvas& TBitmap::Canvas() {
    if (FPlatform == nullptr) throw EInvalidOperation("A bitmap without a display has no canvas");
    if (!FCanvas) {
        FCanvas = std::make_unique<TCanvas>(*FPlatform);
        FCanvas->FBitmap = this;
    }
    return *FCanvas;
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect) {
    if (dest.Width() != sourceRect.Width() || dest.Height() != sourceRect.Height())
        throw EInvalidOperation("Stretching copies are not supported");
    if (FBitmap == nullptr || source.FDC == nullptr)
        throw EInvalidOperation("Copies go from a device context to a bitmap");
    if (FBitmap->Handle() == nullptr || dest.Width() <= 0 || dest.Height() <= 0) return;
    FPlatform.BlockCopy(*FBitmap->Handle(), {dest.Left, dest.Top}, *source.FDC, sourceRect, CopyMode);
}

}  // namespace vcl
