#include "platform/vcl/icons.h"

namespace vcl {

void TIcon::SetSize(int width, int height) {
    FWidth = width;
    FHeight = height;
    FHandle.reset();
}

void TIcon::LoadFromResource(int resource) {
    FResource = resource;
    Changed();
}

void TIcon::Assign(const TIcon& source) {
    FResource = source.FResource;
    Changed();
}

HICON TIcon::Handle() {
    if (Empty()) return 0;
    if (!FHandle) FHandle = FPlatform.LoadIcon(FResource, FWidth, FHeight);
    return FHandle->Handle();
}

void TIcon::Changed() {
    FHandle.reset();
    if (OnChange) OnChange();
}

}  // namespace vcl
