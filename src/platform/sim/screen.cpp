// Monitors and what they show: the windows composed back to front over the
// desktop colour, layered windows blended with their opacity.
#include <algorithm>
#include <stdexcept>

#include "platform/sim/desktop_state.h"

namespace sim {
namespace {

bool Contains(const TRect& rect, int x, int y) {
    return x >= rect.Left && x < rect.Right && y >= rect.Top && y < rect.Bottom;
}

std::int64_t IntersectionArea(const TRect& a, const TRect& b) {
    const std::int64_t width = std::min(a.Right, b.Right) - std::max(a.Left, b.Left);
    const std::int64_t height = std::min(a.Bottom, b.Bottom) - std::max(a.Top, b.Top);
    return width > 0 && height > 0 ? width * height : 0;
}

// Squared gap between two rectangles; 0 when they touch or overlap.
std::int64_t SquaredDistance(const TRect& a, const TRect& b) {
    const std::int64_t dx = std::max<std::int64_t>({0, b.Left - a.Right, a.Left - b.Right});
    const std::int64_t dy = std::max<std::int64_t>({0, b.Top - a.Bottom, a.Top - b.Bottom});
    return dx * dx + dy * dy;
}

// Per channel: (src * a + dst * (255 - a) + 127) / 255.
Rgb Blend(Rgb source, Rgb target, unsigned alpha) {
    Rgb out = 0;
    for (const int shift : {0, 8, 16}) {
        const unsigned s = (source >> shift) & 0xFF;
        const unsigned d = (target >> shift) & 0xFF;
        out |= ((s * alpha + d * (255 - alpha) + 127) / 255) << shift;
    }
    return out;
}

Rgb FromColorRef(std::uint32_t bgr) {
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

// The default values of the system colours that forms are painted with.
Rgb SystemColor(int index) {
    switch (index) {
        case 5: return 0xFFFFFF;   // COLOR_WINDOW
        case 8: return 0x000000;   // COLOR_WINDOWTEXT
        case 13: return 0x0078D7;  // COLOR_HIGHLIGHT
        case 14: return 0xFFFFFF;  // COLOR_HIGHLIGHTTEXT
        case 15: return 0xF0F0F0;  // COLOR_BTNFACE
        case 16: return 0xA0A0A0;  // COLOR_BTNSHADOW
        case 18: return 0x000000;  // COLOR_BTNTEXT
        case 20: return 0xFFFFFF;  // COLOR_BTNHIGHLIGHT
        default: throw std::invalid_argument("system colour not simulated: " + std::to_string(index));
    }
}

}  // namespace

Rgb ColorOf(vcl::TColor color) {
    const auto value = static_cast<std::uint32_t>(color);
    if ((value >> 24) == 0xFF) return SystemColor(static_cast<int>(value & 0xFF));
    return FromColorRef(value & 0xFFFFFF);
}

Rgb WindowRecord::PixelAt(int x, int y) const {
    if (pixels.empty()) return fill;
    const auto row = static_cast<std::size_t>(y - bounds.Top);
    return pixels[row * static_cast<std::size_t>(bounds.Width()) + static_cast<std::size_t>(x - bounds.Left)];
}

bool DesktopState::OnAnyMonitor(int x, int y) const {
    return std::any_of(monitors.begin(), monitors.end(),
                       [&](const MonitorSpec& monitor) { return Contains(monitor.bounds, x, y); });
}

std::vector<const WindowRecord*> DesktopState::Layers(bool withLayered) const {
    std::vector<const WindowRecord*> layers;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        const WindowRecord& window = Window(*it);
        if (window.visible && (withLayered || !window.layered)) layers.push_back(&window);
    }
    return layers;
}

Rgb DesktopState::Compose(const std::vector<const WindowRecord*>& layers, int x, int y) const {
    if (!OnAnyMonitor(x, y)) return 0;
    Rgb out = desktopColor;
    for (const WindowRecord* window : layers) {
        if (!Contains(window->bounds, x, y)) continue;
        const Rgb pixel = window->PixelAt(x, y);
        out = window->layered ? Blend(pixel, out, window->alpha) : pixel;
    }
    return out;
}

// --- SimulatedDesktop: monitors and pixels -----------------------------------

void SimulatedDesktop::AddMonitor(const MonitorSpec& monitor) { FState->monitors.push_back(monitor); }
void SimulatedDesktop::SetDesktopColor(Rgb color) { FState->desktopColor = color; }

Rgb SimulatedDesktop::SeenPixel(int x, int y) const { return FState->Compose(FState->Layers(true), x, y); }
Rgb SimulatedDesktop::CopiedPixel(int x, int y) const { return FState->Compose(FState->Layers(false), x, y); }

int SimulatedDesktop::GetSystemMetrics(int index) const {
    const TRect& primary = FState->monitors.front().bounds;
    switch (index) {
        case vcl::SM_CXSCREEN: return primary.Width();
        case vcl::SM_CYSCREEN: return primary.Height();
        case vcl::SM_CXSMICON:
        case vcl::SM_CYSMICON: return 16;
        default: return 0;  // as the system answers an index it does not know
    }
}

TRect SimulatedDesktop::PrimaryWorkArea() const { return FState->monitors.front().workArea; }

// The monitor sharing the most area with the rectangle, or else the nearest;
// the earlier monitor wins a tie.
TRect SimulatedDesktop::WorkAreaFor(const TRect& rect) const {
    const std::vector<MonitorSpec>& monitors = FState->monitors;
    const auto best = std::min_element(monitors.begin(), monitors.end(), [&](const MonitorSpec& a, const MonitorSpec& b) {
        const std::int64_t areaA = IntersectionArea(a.bounds, rect), areaB = IntersectionArea(b.bounds, rect);
        if (areaA != areaB) return areaA > areaB;
        return areaA == 0 && SquaredDistance(a.bounds, rect) < SquaredDistance(b.bounds, rect);
    });
    return best->workArea;
}

}  // namespace sim
