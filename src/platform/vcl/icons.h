// Icons: an image from the program's icon resources, shown at a requested size.
#pragma once

#include <functional>
#include <memory>

#include "platform/platform.h"

namespace vcl {

class TIcon {
public:
    explicit TIcon(Platform& platform) : FPlatform(platform) {}

    // The size of the image taken from a resource that holds several.
    void SetSize(int width, int height);
    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }

    bool Empty() const noexcept { return FResource == 0; }
    int Resource() const noexcept { return FResource; }
    void LoadFromResource(int resource);
    // Copies the other icon's image; the requested size stays this icon's own.
    void Assign(const TIcon& source);

    // The system's icon, made when first asked for; 0 while empty.
    HICON Handle();

    std::function<void()> OnChange;

private:
    void Changed();

    Platform& FPlatform;
    int FResource = 0;
    int FWidth = 32;
    int FHeight = 32;
    std::unique_ptr<NativeIcon> FHandle;
};

}  // namespace vcl
