// Graphics of the framework: colours, device-independent bitmap records,
// device bitmaps, TGraphic with its picture-format registry, and TBitmap.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/classes.h"

namespace vcl {

// An RGB colour as 0x00BBGGRR.
using TColor = std::int32_t;

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

// A bitmap of the framework: a device bitmap plus its transparency settings.
class TBitmap : public TPersistent {
public:
    TBitmap() = default;
    explicit TBitmap(std::unique_ptr<DeviceBitmap> handle) : FHandle(std::move(handle)) {}

    const char* ClassName() const override { return "TBitmap"; }

    // The device bitmap, null while the bitmap is empty.
    DeviceBitmap* Handle() const noexcept { return FHandle.get(); }

    bool Transparent = false;
    TColor TransparentColor = 0;

private:
    std::unique_ptr<DeviceBitmap> FHandle;
};

}  // namespace vcl
