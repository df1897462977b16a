#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vcl/memory_dib.h"
#include "png/pngimage.h"
#include "png_test_image.h"
#include "support/png_chunks.h"

namespace {

using namespace png;
using Bytes = std::vector<std::uint8_t>;

vcl::TBitmap BitmapOf(vcl::DibFormat format) { return vcl::TBitmap(std::make_unique<vcl::MemoryDib>(std::move(format))); }

vcl::MemoryDib& Dib(vcl::TBitmap& bitmap) { return static_cast<vcl::MemoryDib&>(*bitmap.Handle()); }

std::vector<const TChunkClass*> ClassesOf(const TPNGObject& image) {
    std::vector<const TChunkClass*> classes;
    for (std::uint32_t i = 0; i < image.ChunkSequence.ItemCount(); ++i) classes.push_back(&image.ChunkSequence.ItemAt(i)->ClassType());
    return classes;
}

// The data of the tRNS chunk that a save writes.
Bytes SavedTransparency(TPNGObject& image) {
    for (const auto& chunk : testsupport::ReadChunks(pngtest::SaveToBytes(image)))
        if (chunk.type == "tRNS") return chunk.data;
    return {};
}

TEST(BitmapImportTest, TruecolourBitmapsBecomeEightBitRgbWithoutPalette) {
    for (const std::uint16_t bits : {16, 24, 32}) {
        vcl::TBitmap bitmap = BitmapOf({3, 2, bits});
        TPNGObject image;
        image.Assign(&bitmap);
        const TChunkIHDR& header = image.HeaderChunk();
        EXPECT_EQ(header.Width, 3u);
        EXPECT_EQ(header.Height, 2u);
        EXPECT_EQ(header.ColorType, 2);
        EXPECT_EQ(header.BitDepth, 8);
        EXPECT_EQ(header.DibRowBytes, 12u);
        EXPECT_EQ(header.AlphaData, nullptr);
        EXPECT_EQ(header.ExtraData, nullptr);
        EXPECT_EQ(header.DibPalette, nullptr);
        EXPECT_EQ(ClassesOf(image), (std::vector<const TChunkClass*>{&TChunkIHDR::Class, &TChunkIDAT::Class, &TChunkIEND::Class}));
    }
}

TEST(BitmapImportTest, ThirtyTwoBitPixelsKeepThreeBytes) {
    vcl::TBitmap bitmap = BitmapOf({2, 1, 32});
    const std::uint8_t pixels[8] = {1, 2, 3, 99, 4, 5, 6, 99};
    std::copy(pixels, pixels + 8, Dib(bitmap).ScanLine(0));
    TPNGObject image;
    image.Assign(&bitmap);
    EXPECT_EQ(Bytes(image.PixelRow(0), image.PixelRow(0) + 8), (Bytes{1, 2, 3, 4, 5, 6, 0, 0}));
}

TEST(BitmapImportTest, IndexedBitmapsGetAFullPaletteFromTheirColourTable) {
    for (const std::uint16_t bits : {1, 4, 8}) {
        vcl::DibFormat format{5, 3, bits};
        format.colors = {{10, 20, 30, 0}, {40, 50, 60, 0}};
        vcl::TBitmap bitmap = BitmapOf(format);
        TPNGObject image;
        image.Assign(&bitmap);
        const TChunkIHDR& header = image.HeaderChunk();
        EXPECT_EQ(header.ColorType, 3);
        EXPECT_EQ(header.BitDepth, bits);
        auto* palette = image.ChunkSequence.FindByClass<TChunkPLTE>();
        ASSERT_NE(palette, nullptr);
        EXPECT_EQ(palette->EntryCount, 1u << bits);
        ASSERT_EQ(image.GetPalette()->EntryCount(), 1u << bits);
        PaletteEntry second{};
        image.GetPalette()->GetEntries(1, 1, &second);
        EXPECT_EQ(second, (PaletteEntry{60, 50, 40, 0}));
        EXPECT_EQ(ClassesOf(image), (std::vector<const TChunkClass*>{&TChunkIHDR::Class, &TChunkPLTE::Class,
                                                                     &TChunkIDAT::Class, &TChunkIEND::Class}));
    }
}

TEST(BitmapImportTest, TopDownBitmapsArriveBottomUp) {
    vcl::TBitmap bitmap = BitmapOf({1, -2, 24});
    Dib(bitmap).ScanLine(0)[0] = 11;  // top row
    Dib(bitmap).ScanLine(1)[0] = 22;
    TPNGObject image;
    image.Assign(&bitmap);
    EXPECT_EQ(image.HeaderChunk().Height, 2u);
    EXPECT_EQ(image.PixelRow(0)[0], 11);
    EXPECT_EQ(image.HeaderChunk().PixelData[0], 22);
}

TEST(BitmapImportTest, AnImportReplacesEveryChunkButKeepsTheSettings) {
    TPNGObject image;
    pngtest::BuildImage(image, 2, 2, 6, 16);
    image.ChunkSequence.Append(new TChunktEXt(image));
    image.RowFilters = AllFilters;
    image.InterlaceMode = 1;
    image.DeflateLevel = 3;
    vcl::TBitmap bitmap = BitmapOf({4, 4, 24});
    image.Assign(&bitmap);
    EXPECT_EQ(image.ChunkSequence.ItemCount(), 3u);
    EXPECT_EQ(image.HeaderChunk().ColorType, 2);
    EXPECT_EQ(image.RowFilters, AllFilters);
    EXPECT_EQ(image.InterlaceMode, 1);
    EXPECT_EQ(image.DeflateLevel, 3);
}

TEST(BitmapImportTest, TransparentBitmapsGetATransparencyChunk) {
    vcl::TBitmap truecolour = BitmapOf({2, 2, 32});
    truecolour.Transparent = true;
    truecolour.TransparentColor = 0x1E140A;  // red 10, green 20, blue 30
    TPNGObject image;
    image.Assign(&truecolour);
    EXPECT_EQ(SavedTransparency(image), (Bytes{0, 10, 0, 20, 0, 30}));
    EXPECT_EQ(image.TransparencyKind(), 1);

    vcl::DibFormat format{2, 2, 4};
    format.colors = {{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}, {30, 20, 10, 0}, {30, 20, 10, 0}};
    vcl::TBitmap indexed = BitmapOf(format);
    indexed.Transparent = true;
    indexed.TransparentColor = 0x1E140A;
    image.Assign(&indexed);
    EXPECT_EQ(SavedTransparency(image), (Bytes{255, 255, 255, 0}));
}

TEST(BitmapImportTest, AnUnmatchedTransparentColourLeavesEveryEntryOpaque) {
    vcl::DibFormat format{2, 2, 1};
    format.colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
    vcl::TBitmap bitmap = BitmapOf(format);
    bitmap.Transparent = true;
    bitmap.TransparentColor = 0x123456;
    TPNGObject image;
    image.Assign(&bitmap);
    EXPECT_EQ(SavedTransparency(image), (Bytes{255})) << "no more entries than the palette's two";
}

// A device bitmap that reports any record and may fail to deliver its pixels.
class FakeBitmap : public vcl::DeviceBitmap {
public:
    FakeBitmap(vcl::BitmapRecord record, bool delivers) : FRecord(record), FDelivers(delivers) {}
    vcl::BitmapRecord GetObject() const override { return FRecord; }
    int GetDIBits(int, int scanLines, void*, vcl::BitmapInfo&) const override { return FDelivers ? scanLines : 0; }

private:
    vcl::BitmapRecord FRecord;
    bool FDelivers;
};

TEST(BitmapImportTest, BitmapsWithoutUsablePixelsAreRefusedAndTheImageKept) {
    struct Case {
        const char* name;
        vcl::BitmapRecord record;
        bool delivers;
        std::string_view message;
    };
    const Case cases[] = {
        {"zero width", {0, 5, 32}, true, pnglang::EPNGEmptyBitmapText},
        {"zero height", {5, 0, 32}, true, pnglang::EPNGEmptyBitmapText},
        {"unset record", {}, true, pnglang::EPNGEmptyBitmapText},
        {"two bits per pixel", {5, 5, 2}, true, pnglang::EPNGUnsupportedBitmapText},
        {"unreadable pixels", {5, 5, 24}, false, pnglang::EPNGBitmapUnreadableText},
        {"too large", {70000, 70000, 32}, true, pnglang::EPNGImageTooLargeText},
    };
    for (const Case& c : cases) {
        TPNGObject image;
        vcl::TBitmap original = BitmapOf({3, 3, 24});
        image.Assign(&original);
        vcl::TBitmap bitmap(std::make_unique<FakeBitmap>(c.record, c.delivers));
        try {
            image.Assign(&bitmap);
            ADD_FAILURE() << c.name << ": imported";
        } catch (const vcl::Exception& e) {
            EXPECT_EQ(e.what(), std::string(c.message)) << c.name;
        }
        EXPECT_EQ(image.GetWidth(), 3) << c.name << ": the previous image is kept";
    }
    TPNGObject image;
    vcl::TBitmap empty;
    EXPECT_THROW(image.Assign(&empty), EPngError);
}

}  // namespace
