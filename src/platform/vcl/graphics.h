// Graphics of the framework: colours, device-independent bitmap records,
// device bitmaps, TGraphic with its picture-format registry, and TBitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/classes.h"

namespace vcl {

// An RGB colour as 0x00BBGGRR, or with 0xFF in the high byte a system
// colour by its index.
using TColor = std::int32_t;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);  // the system's dialog colour

// A window of the desktop, as the system names it; 0 is no window.
using HWND = std::uintptr_t;
// An icon, as the system names it; 0 is none.
using HICON = std::uintptr_t;

struct TPoint {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Screen coordinates; right and bottom are exclusive.
struct TRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    std::int32_t Width() const { return Right - Left; }
    std::int32_t Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Raster operation of a plain block copy: layered windows are not copied.
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// The colour as a 32-bit RGB value (red in the low byte); the high byte is dropped.
std::uint32_t ColorToRGB(TColor color);

// Layouts of the Windows DIB records, so a DibInfo can be handed to GDI as is.
struct BitmapInfoHeader {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: bottom-up rows; negative: top-down
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

struct RGBQuad {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
    friend bool operator==(const RGBQuad&, const RGBQuad&) = default;
};

// A DIB header followed by a full 256-entry colour table.
struct BitmapInfo {
    BitmapInfoHeader bmiHeader;
    RGBQuad bmiColors[256];
};

inline constexpr std::uint32_t BI_RGB = 0;

// The fields of a bitmap's BITMAP record that callers read.
struct BitmapRecord {
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::uint16_t bmBitsPixel = 0;
};

// A bitmap owned by the display system, reached as GDI reaches an HBITMAP:
// its record (GetObject) and its pixels converted to a DIB format (GetDIBits).
class DeviceBitmap {
public:
    virtual ~DeviceBitmap() = default;

    virtual BitmapRecord GetObject() const = 0;

    // Converts scan lines [startScan, startScan + scanLines) into `bits`,
    // laid out as `info` describes: 24 bits per pixel (blue, green, red), or
    // 1, 4 or 8 bits per pixel with the colour table written into `info`.
    // Rows are bottom-up for a positive biHeight, each padded to 32 bits.
    // Returns the number of lines copied, 0 when the format is not supported.
    virtual int GetDIBits(int startScan, int scanLines, void* bits, BitmapInfo& info) const = 0;
};

class TGraphic;

// The class of a graphic, as the picture-format registry holds it.
struct TGraphicClass {
    const char* className;
};

// Registry of graphic classes by file extension.
class TPicture {
public:
    struct FileFormat {
        std::string extension;
        std::string description;
        const TGraphicClass* graphicClass;
    };

    static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                   const TGraphicClass& graphicClass);
    static void UnregisterGraphicClass(const TGraphicClass& graphicClass);

    // The format registered for an extension (case-insensitive), or null.
    static const FileFormat* FindFileFormat(const std::string& extension);
};

class TGraphic : public TPersistent {
public:
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual bool GetTransparent() const = 0;

    // Creates (or truncates) the file and writes the graphic to it.
    void SaveToFile(const std::string& fileName);
    virtual void SaveToStream(TStream& stream) = 0;
};

class Platform;
class WindowDC;
class TBitmap;

// A drawing surface: a bitmap's, or one attached to a window's device context.
class TCanvas {
public:
    explicit TCanvas(Platform& platform) : FPlatform(platform) {}

    // Attaches a device context, which the canvas does not own; null detaches.
    void SetHandle(WindowDC* dc) noexcept { FDC = dc; }

    std::uint32_t CopyMode = SRCCOPY;

    // Copies a rectangle of `source` onto a rectangle of this canvas of the same size.
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& sourceRect);

private:
    friend class TBitmap;
    Platform& FPlatform;
    WindowDC* FDC = nullptr;
    TBitmap* FBitmap = nullptr;
};

// A bitmap of the framework: a device bitmap plus its transparency settings.
// Made through the platform, it is in the screen's own format and is
// recreated when its size changes.
class TBitmap : public TPersistent {
public:
    TBitmap() = default;
    explicit TBitmap(std::unique_ptr<DeviceBitmap> handle) : FHandle(std::move(handle)) {}
    explicit TBitmap(Platform& platform);
    ~TBitmap() override;

    const char* ClassName() const override { return "TBitmap"; }

    // The device bitmap, null while the bitmap is empty.
    DeviceBitmap* Handle() const noexcept { return FHandle.get(); }

    int Width() const noexcept { return FWidth; }
    int Height() const noexcept { return FHeight; }
    void SetWidth(int width);
    void SetHeight(int height);
    TCanvas& Canvas();

    bool Transparent = false;
    TColor TransparentColor = 0;

private:
    void Recreate();

    Platform* FPlatform = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    std::unique_ptr<DeviceBitmap> FHandle;
    std::unique_ptr<TCanvas> FCanvas;
};

}  // namespace vcl
