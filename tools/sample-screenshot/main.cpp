// sample-screenshot: writes a made-up desktop as a 32-bit BMP file, the same
// bytes on every run, for trying the encoder on something screen-like.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/common/write_file.h"

namespace {

constexpr std::string_view Usage = "usage: sample-screenshot OUT.bmp [WIDTH HEIGHT]";
constexpr int MaxSide = 8192;

using Pixel = std::uint32_t;  // 0x00RRGGBB, as a 32-bit BMP stores it

constexpr Pixel Rgb(int r, int g, int b) {
    return static_cast<Pixel>((r & 0xFF) << 16 | (g & 0xFF) << 8 | (b & 0xFF));
}

struct Rect {
    int left, top, right, bottom;
};

class Canvas {
public:
    Canvas(int width, int height) : FWidth(width), FHeight(height), FPixels(std::size_t(width) * height) {}

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    Pixel At(int x, int y) const { return FPixels[std::size_t(y) * FWidth + x]; }
    void Set(int x, int y, Pixel color) { FPixels[std::size_t(y) * FWidth + x] = color; }

    void Fill(Rect r, Pixel color) {
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, FHeight); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, FWidth); ++x)
                Set(x, y, color);
    }

private:
    int FWidth;
    int FHeight;
    std::vector<Pixel> FPixels;
};

// A diagonal blue-to-teal wallpaper.
void PaintWallpaper(Canvas& canvas) {
    const int span = canvas.Width() + canvas.Height();
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x) {
            const int t = 255 * (x + y) / span;
            canvas.Set(x, y, Rgb(20 + t / 6, 60 + t / 2, 140 + t / 3));
        }
}

// Lines of "words": dark runs of varying length, from a fixed pseudo-random sequence.
void PaintText(Canvas& canvas, Rect area, std::uint32_t seed) {
    std::uint32_t state = seed;
    auto next = [&state](int range) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 16) % static_cast<std::uint32_t>(range));
    };
    const int width = area.right - area.left;
    for (int y = area.top + 8, line = 0; y + 8 <= area.bottom; y += 16, ++line) {
        if (line % 6 == 5) continue;  // paragraph break
        const int lineEnd = area.right - 8 - next(std::max(width / 3, 1));
        for (int x = area.left + 8; x < lineEnd;) {
            const int word = 12 + next(50);
            canvas.Fill({x, y, std::min(x + word, lineEnd), y + 8}, Rgb(40, 40, 48));
            x += word + 6;
        }
    }
}

void PaintWindow(Canvas& canvas, Rect frame, Pixel titleColor, std::uint32_t seed) {
    constexpr int TitleHeight = 24;
    canvas.Fill(frame, Rgb(90, 90, 100));
    canvas.Fill({frame.left + 1, frame.top + 1, frame.right - 1, frame.top + TitleHeight}, titleColor);
    for (int i = 0; i < 3; ++i) {
        const int right = frame.right - 6 - i * 22;
        canvas.Fill({right - 16, frame.top + 5, right, frame.top + 19}, i == 0 ? Rgb(200, 60, 50) : Rgb(220, 220, 225));
    }
    const Rect client{frame.left + 1, frame.top + TitleHeight, frame.right - 1, frame.bottom - 1};
    canvas.Fill(client, Rgb(250, 250, 248));
    PaintText(canvas, client, seed);
}

void PaintTaskbar(Canvas& canvas) {
    const int top = canvas.Height() - 40;
    canvas.Fill({0, top, canvas.Width(), canvas.Height()}, Rgb(32, 34, 40));
    canvas.Fill({6, top + 6, 46, top + 34}, Rgb(0, 120, 215));
    for (int i = 0; i < 4; ++i) canvas.Fill({60 + i * 48, top + 8, 96 + i * 48, top + 32}, Rgb(70, 74, 84));
    canvas.Fill({canvas.Width() - 90, top + 14, canvas.Width() - 12, top + 26}, Rgb(200, 200, 205));
}

Canvas PaintDesktop(int width, int height) {
    Canvas canvas(width, height);
    PaintWallpaper(canvas);
    PaintWindow(canvas, {width / 12, height / 10, width * 7 / 12, height * 7 / 10}, Rgb(0, 90, 170), 1);
    PaintWindow(canvas, {width * 5 / 12, height / 4, width * 11 / 12, height * 17 / 20}, Rgb(60, 130, 60), 2);
    PaintTaskbar(canvas);
    return canvas;
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// BITMAPFILEHEADER and BITMAPINFOHEADER, then bottom-up BI_RGB rows.
std::vector<std::uint8_t> EncodeBmp(const Canvas& canvas) {
    constexpr std::uint32_t HeadersSize = 14 + 40;
    const std::uint32_t pixelBytes = 4u * canvas.Width() * canvas.Height();
    std::vector<std::uint8_t> out;
    out.reserve(HeadersSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    for (std::uint32_t value : {HeadersSize + pixelBytes, 0u, HeadersSize}) Put(out, value, 4);
    Put(out, 40, 4);
    Put(out, static_cast<std::uint32_t>(canvas.Width()), 4);
    Put(out, static_cast<std::uint32_t>(canvas.Height()), 4);
    Put(out, 1, 2);   // planes
    Put(out, 32, 2);  // bits per pixel
    for (std::uint32_t value : {0u, pixelBytes, 3780u, 3780u, 0u, 0u}) Put(out, value, 4);  // 96 dpi
    for (int y = canvas.Height() - 1; y >= 0; --y)
        for (int x = 0; x < canvas.Width(); ++x) Put(out, canvas.At(x, y), 4);
    return out;
}

bool ParseSide(std::string_view text, int& side) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, side);
    return error == std::errc() && stop == end && side >= 1 && side <= MaxSide;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 1280;
    int height = 720;
    if ((argc != 2 && argc != 4) || std::string_view(argv[1]).starts_with('-')) {
        std::cerr << Usage << '\n';
        return 1;
    }
    if (argc == 4 && !(ParseSide(argv[2], width) && ParseSide(argv[3], height))) {
        std::cerr << "sample-screenshot: WIDTH and HEIGHT must be whole numbers from 1 to " << MaxSide << '\n';
        return 1;
    }
    if (!tools::WriteFileBytes(argv[1], EncodeBmp(PaintDesktop(width, height)))) {
        std::cerr << "sample-screenshot: cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
