// Device contexts of windows, bitmaps in the screen's format and the block
// copy from the screen into them.
//
// Palettes of the indexed screen formats:
//   8 bits: indices 0-215 are the 6x6x6 colour cube, index = 36 r + 6 g + b
//           for channel levels 0, 51, 102, 153, 204, 255; indices 216-255 are
//           40 greys, 255 (k + 1) / 41 rounded, for k = 0..39.
//   4 bits: the 16 colours of the standard VGA palette, in the system's order.
//   1 bit:  black, white.
#include <bit>
#include <cmath>
#include <stdexcept>
#include <unordered_map>

#include "platform/sim/desktop_state.h"
#include "platform/vcl/memory_dib.h"
#include "platform/vcl/sysutils.h"

namespace sim {
namespace {

// Copies layered windows too.
constexpr std::uint32_t CAPTUREBLT = 0x40000000;

vcl::RGBQuad Quad(Rgb color) {
    return {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
            static_cast<std::uint8_t>(color >> 16), 0};
}

std::vector<vcl::RGBQuad> CubeAndGreys() {
    std::vector<vcl::RGBQuad> colors;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) colors.push_back(Quad(static_cast<Rgb>((51 * r << 16) | (51 * g << 8) | 51 * b)));
    for (int k = 0; k < 40; ++k) {
        const auto grey = static_cast<Rgb>(std::lround(255.0 * (k + 1) / 41));
        colors.push_back(Quad(grey * 0x010101));
    }
    return colors;
}

std::vector<vcl::RGBQuad> Vga() {
    const Rgb colors[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
                          0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::vector<vcl::RGBQuad> quads;
    for (const Rgb color : colors) quads.push_back(Quad(color));
    return quads;
}

vcl::DibFormat ScreenFormat(int bitsPerPixel, int width, int height) {
    vcl::DibFormat format{width, height, static_cast<std::uint16_t>(bitsPerPixel)};
    switch (bitsPerPixel) {
        case 32:
        case 24: break;
        case 16:  // 16-bit displays are 5-6-5
            format.redMask = 0xF800;
            format.greenMask = 0x07E0;
            format.blueMask = 0x001F;
            break;
        case 8: format.colors = CubeAndGreys(); break;
        case 4: format.colors = Vga(); break;
        case 1: format.colors = {Quad(0x000000), Quad(0xFFFFFF)}; break;
        default: throw std::invalid_argument("unsupported screen depth: " + std::to_string(bitsPerPixel));
    }
    return format;
}

// Stores colours into a DIB in its own format: the nearest palette entry
// for indexed bitmaps, each channel truncated to its mask otherwise.
class PixelWriter {
public:
    explicit PixelWriter(vcl::MemoryDib& dib) : FDib(dib), FFormat(dib.Format()) {}

    void Put(int x, int y, Rgb color) {
        std::uint8_t* row = FDib.ScanLine(y);
        const int bits = FFormat.bitCount;
        if (bits <= 8) {
            const int perByte = 8 / bits;
            const int shift = 8 - bits * (x % perByte + 1);
            std::uint8_t& byte = row[x / perByte];
            byte = static_cast<std::uint8_t>((byte & ~(((1 << bits) - 1) << shift)) | (NearestIndex(color) << shift));
        } else if (bits == 24) {
            row[3 * x] = static_cast<std::uint8_t>(color);
            row[3 * x + 1] = static_cast<std::uint8_t>(color >> 8);
            row[3 * x + 2] = static_cast<std::uint8_t>(color >> 16);
        } else {
            const std::uint32_t pixel = Packed(color >> 16, FFormat.redMask) | Packed(color >> 8, FFormat.greenMask) |
                                        Packed(color, FFormat.blueMask);
            for (int i = 0; i < bits / 8; ++i) row[x * bits / 8 + i] = static_cast<std::uint8_t>(pixel >> (8 * i));
        }
    }

private:
    static std::uint32_t Packed(std::uint32_t channel, std::uint32_t mask) {
        const int width = std::popcount(mask);
        channel &= 0xFF;
        const std::uint32_t value = width <= 8 ? channel >> (8 - width) : channel << (width - 8);
        return (value << std::countr_zero(mask)) & mask;
    }

    // By squared RGB distance; the first of equally near entries wins.
    unsigned NearestIndex(Rgb color) {
        const auto cached = FNearest.find(color);
        if (cached != FNearest.end()) return cached->second;
        const int r = static_cast<int>(color >> 16 & 0xFF), g = static_cast<int>(color >> 8 & 0xFF),
                  b = static_cast<int>(color & 0xFF);
        unsigned best = 0;
        int bestDistance = -1;
        for (std::size_t i = 0; i < FFormat.colors.size(); ++i) {
            const vcl::RGBQuad& entry = FFormat.colors[i];
            const int dr = entry.rgbRed - r, dg = entry.rgbGreen - g, db = entry.rgbBlue - b;
            const int distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                best = static_cast<unsigned>(i);
                bestDistance = distance;
            }
        }
        return FNearest[color] = best;
    }

    vcl::MemoryDib& FDib;
    const vcl::DibFormat& FFormat;
    std::unordered_map<Rgb, unsigned> FNearest;
};

class SimWindowDC final : public vcl::WindowDC {
public:
    SimWindowDC(DesktopState& state, HWND window) : FState(state), FWindow(window) { ++FState.liveDeviceContexts; }
    ~SimWindowDC() override { --FState.liveDeviceContexts; }
    SimWindowDC(const SimWindowDC&) = delete;
    SimWindowDC& operator=(const SimWindowDC&) = delete;

    // The screen point of the DC's (0, 0): a window's DC starts at its outer
    // top-left corner and follows the window when it moves.
    TPoint Origin() const {
        if (FWindow == 0 || FWindow == kDesktopWindow) return {};
        const TRect& bounds = FState.Window(FWindow).bounds;
        return {bounds.Left, bounds.Top};
    }

private:
    DesktopState& FState;
    HWND FWindow;
};

}  // namespace

int SimulatedDesktop::LiveDeviceContexts() const { return FState->liveDeviceContexts; }

std::unique_ptr<vcl::WindowDC> SimulatedDesktop::GetWindowDC(HWND window) {
    if (window != 0 && window != kDesktopWindow && !IsWindow(window))
        throw std::invalid_argument("GetWindowDC of an unknown window");
    return std::make_unique<SimWindowDC>(*FState, window);
}

std::unique_ptr<vcl::DeviceBitmap> SimulatedDesktop::CreateCompatibleBitmap(int width, int height) {
    if (width < 0 || height < 0) throw vcl::EConvertError("Invalid bitmap size");
    const std::uint64_t bytes =
        vcl::MemoryDib::RowBytes(width, FState->bitsPerPixel) * static_cast<std::uint64_t>(height);
    if (bytes > FState->bitmapMemory)
        throw vcl::EOSError("Not enough memory resources are available to process this command.");
    return std::make_unique<vcl::MemoryDib>(ScreenFormat(FState->bitsPerPixel, width, height));
}

void SimulatedDesktop::BlockCopy(vcl::DeviceBitmap& target, TPoint targetAt, vcl::WindowDC& source,
                                 const TRect& sourceRect, std::uint32_t rasterOperation) {
    auto* dib = dynamic_cast<vcl::MemoryDib*>(&target);
    auto* dc = dynamic_cast<SimWindowDC*>(&source);
    if (!dib || !dc) throw std::invalid_argument("BlockCopy needs a bitmap and a DC of this desktop");
    if ((rasterOperation & ~CAPTUREBLT) != vcl::SRCCOPY)
        throw std::invalid_argument("raster operation not simulated: " + std::to_string(rasterOperation));

    const auto layers = FState->Layers((rasterOperation & CAPTUREBLT) != 0);
    const TPoint origin = dc->Origin();
    const int width = dib->Format().width, height = dib->Height();
    PixelWriter writer(*dib);
    for (int row = std::max(0, -targetAt.Y); row < sourceRect.Height() && targetAt.Y + row < height; ++row) {
        for (int column = std::max(0, -targetAt.X); column < sourceRect.Width() && targetAt.X + column < width;
             ++column) {
            const Rgb color =
                FState->Compose(layers, origin.X + sourceRect.Left + column, origin.Y + sourceRect.Top + row);
            writer.Put(targetAt.X + column, targetAt.Y + row, color);
        }
    }
}

}  // namespace sim
