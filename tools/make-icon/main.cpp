// make-icon: draws the program's icon, a viewfinder mark (a rounded square
// in a teal-to-blue gradient with a white lens ring and, where there is room,
// viewfinder corners), and writes it as an ICO file of 32-bit images with
// alpha, the same bytes on every run.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/write_file.h"

namespace {

constexpr std::string_view Usage = "usage: make-icon OUT.ico [SIZE...]";

// 16 for the notification area and small icons; 20 and 24 for those at 125 %
// and 150 %; 32 and 48 for the desktop and Explorer.
constexpr std::array<int, 5> ProgramIconSizes = {16, 20, 24, 32, 48};
constexpr int LargestSize = 256;

// Each pixel is the mean of Samples x Samples points.
constexpr int Samples = 16;

struct Colour {
    double r, g, b, a;
};

constexpr Colour Teal{0x12 / 255.0, 0xB5 / 255.0, 0xA5 / 255.0, 1};
constexpr Colour Blue{0x1D / 255.0, 0x4E / 255.0, 0xD8 / 255.0, 1};
constexpr Colour White{1, 1, 1, 1};
constexpr Colour Clear{0, 0, 0, 0};

Colour Mix(const Colour& from, const Colour& to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
            from.a + (to.a - from.a) * t};
}

// The mark at one point, in pixels of an icon `size` wide, (0, 0) at the top left.
class Mark {
public:
    explicit Mark(int size)
        : FSize(size),
          FMargin(size / 32.0),
          FCorner(size * 0.21),
          FRingOuter(size * 0.29),
          FRingWidth(std::max(1.75, size * 0.075)),
          FDot(std::max(1.1, size * 0.075)),
          FBrackets(size >= 32) {}

    Colour At(double x, double y) const {
        if (!InRoundedSquare(x, y)) return Clear;
        if (InRing(x, y) || InDot(x, y) || (FBrackets && InBracket(x, y))) return White;
        // Teal at the top left to blue at the bottom right.
        return Mix(Teal, Blue, std::clamp((x + y) / (2.0 * FSize), 0.0, 1.0));
    }

private:
    bool InRoundedSquare(double x, double y) const {
        const double low = FMargin + FCorner, high = FSize - FMargin - FCorner;
        const double dx = std::max({low - x, 0.0, x - high});
        const double dy = std::max({low - y, 0.0, y - high});
        if (x < FMargin || y < FMargin || x > FSize - FMargin || y > FSize - FMargin) return false;
        return dx * dx + dy * dy <= FCorner * FCorner;
    }

    double FromCentre(double x, double y) const { return std::hypot(x - FSize / 2.0, y - FSize / 2.0); }

    bool InRing(double x, double y) const {
        const double d = FromCentre(x, y);
        return d <= FRingOuter && d >= FRingOuter - FRingWidth;
    }

    // The lens's glint, up and left of the centre.
    bool InDot(double x, double y) const {
        return std::hypot(x - FSize * 0.44, y - FSize * 0.44) <= FDot;
    }

    // Four L-shaped corner marks of a viewfinder.
    bool InBracket(double x, double y) const {
        const double inset = FSize * 0.145, arm = FSize * 0.13, width = FSize * 0.05;
        // Fold the four corners onto the top-left one.
        const double fx = std::min(x, FSize - x), fy = std::min(y, FSize - y);
        const bool horizontal = fy >= inset && fy <= inset + width && fx >= inset && fx <= inset + arm;
        const bool vertical = fx >= inset && fx <= inset + width && fy >= inset && fy <= inset + arm;
        return horizontal || vertical;
    }

    int FSize;
    double FMargin, FCorner, FRingOuter, FRingWidth, FDot;
    bool FBrackets;
};

// Rows top-down, each pixel blue, green, red, alpha (straight, not premultiplied).
std::vector<std::uint8_t> Draw(int size) {
    const Mark mark(size);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            // Premultiplied sums, so edges blend toward the shape's colour, not black.
            Colour sum{0, 0, 0, 0};
            for (int sy = 0; sy < Samples; ++sy)
                for (int sx = 0; sx < Samples; ++sx) {
                    const Colour c = mark.At(x + (sx + 0.5) / Samples, y + (sy + 0.5) / Samples);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            const auto byte = [](double v) {
                return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
            };
            const double alpha = sum.a / (Samples * Samples);
            const double unpremultiply = sum.a > 0 ? 1.0 / sum.a : 0;
            pixels.push_back(byte(sum.b * unpremultiply));
            pixels.push_back(byte(sum.g * unpremultiply));
            pixels.push_back(byte(sum.r * unpremultiply));
            pixels.push_back(byte(alpha));
        }
    return pixels;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// An icon image: BITMAPINFOHEADER of twice the height, the colour pixels
// bottom-up, then the 1-bit AND mask bottom-up (set where fully transparent),
// its rows padded to 32 bits.
std::vector<std::uint8_t> IconImage(int size) {
    const std::vector<std::uint8_t> pixels = Draw(size);
    const std::uint32_t maskStride = (static_cast<std::uint32_t>(size) + 31) / 32 * 4;
    const std::uint32_t colourBytes = 4u * size * size;
    const std::uint32_t maskBytes = maskStride * size;
    std::vector<std::uint8_t> out;
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(size), 4);
    Put(out, static_cast<std::uint32_t>(2 * size), 4);
    Put(out, 1, 2);   // planes
    Put(out, 32, 2);  // bits per pixel
    for (std::uint32_t value : {0u, colourBytes + maskBytes, 0u, 0u, 0u, 0u}) Put(out, value, 4);
    for (int y = size - 1; y >= 0; --y)
        out.insert(out.end(), pixels.begin() + 4 * y * size, pixels.begin() + 4 * (y + 1) * size);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < size; ++x)
            if (pixels[4 * (y * size + x) + 3] == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// ICONDIR, one ICONDIRENTRY per image, then the images.
std::vector<std::uint8_t> IconFile(const std::vector<int>& sizes) {
    std::vector<std::vector<std::uint8_t>> images;
    for (int size : sizes) images.push_back(IconImage(size));
    std::vector<std::uint8_t> out;
    Put(out, 0, 2);  // reserved
    Put(out, 1, 2);  // type: icon
    Put(out, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        // 0 stands for 256.
        Put(out, static_cast<std::uint32_t>(sizes[i] % 256), 1);  // width
        Put(out, static_cast<std::uint32_t>(sizes[i] % 256), 1);  // height
        Put(out, 0, 1);                                     // no colour table
        Put(out, 0, 1);                                     // reserved
        Put(out, 1, 2);                                     // planes
        Put(out, 32, 2);                                    // bits per pixel
        Put(out, static_cast<std::uint32_t>(images[i].size()), 4);
        Put(out, offset, 4);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& image : images) out.insert(out.end(), image.begin(), image.end());
    return out;
}

}  // namespace

// The sizes named on the command line, or the program icon's.
bool ParseSizes(int argc, char** argv, std::vector<int>& sizes) {
    sizes.assign(ProgramIconSizes.begin(), ProgramIconSizes.end());
    if (argc == 2) return true;
    sizes.clear();
    for (int i = 2; i < argc; ++i) {
        const std::string text = argv[i];
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 3) return false;
        const int size = std::stoi(text);
        if (size < 1 || size > LargestSize) return false;
        sizes.push_back(size);
    }
    return true;
}

int main(int argc, char** argv) {
    std::vector<int> sizes;
    if (argc < 2 || std::string_view(argv[1]).starts_with('-') || !ParseSizes(argc, argv, sizes)) {
        std::cerr << Usage << '\n';
        return 1;
    }
    if (!tools::WriteFileBytes(argv[1], IconFile(sizes))) {
        std::cerr << "make-icon: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
