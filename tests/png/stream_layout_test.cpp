#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

#include "png/pngimage.h"
#include "png_test_image.h"
#include "support/limited_stream.h"
#include "support/png_chunks.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using testsupport::ReadChunks;

Bytes Save(png::TChunk& chunk) {
    vcl::TMemoryStream stream;
    chunk.WriteChunk(stream);
    return stream.Bytes();
}

// The payload of a single framed chunk, after checking its frame.
Bytes PayloadOf(png::TChunk& chunk, const char* type) {
    const Bytes framed = Save(chunk);
    Bytes file(8 + framed.size());
    std::copy(std::begin(png::PngSignature), std::end(png::PngSignature), file.begin());
    std::copy(framed.begin(), framed.end(), file.begin() + 8);
    const auto chunks = ReadChunks(file);
    EXPECT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].type, type);
    EXPECT_TRUE(chunks[0].crcOk);
    return chunks[0].data;
}

TEST(CrcTest, MatchesTheStandardCheckValueAndAnyWayOfSplittingTheInput) {
    const std::string fox = "The quick brown fox jumps over the lazy dog";
    EXPECT_EQ(~png::UpdateCrc(0xFFFFFFFFu, fox.data(), fox.size()), 0x414FA339u);

    std::mt19937 random(7);
    Bytes data(1000);
    for (auto& b : data) b = static_cast<std::uint8_t>(random());
    for (std::size_t split : {0, 1, 7, 8, 9, 63, 500, 999}) {
        const std::uint32_t head = png::UpdateCrc(0xFFFFFFFFu, data.data(), split);
        const std::uint32_t whole = ~png::UpdateCrc(head, data.data() + split, data.size() - split);
        EXPECT_EQ(whole, ::crc32(0, data.data(), static_cast<uInt>(data.size()))) << split;
    }
}

TEST(ByteOrderTest, SwapsBytes) {
    EXPECT_EQ(png::SwapBytes32(0x11223344u), 0x44332211u);
    EXPECT_EQ(png::SwapBytes16(0xAABB1122u), 0x2211u);
}

TEST(StreamLayoutTest, AnImageWithoutChunksSavesAsTheSignatureAlone) {
    png::TPNGObject image;
    EXPECT_EQ(pngtest::SaveToBytes(image), (Bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A}));
}

TEST(StreamLayoutTest, IendAndHeaderHaveTheirFixedBytes) {
    png::TPNGObject image;
    png::TChunkIHDR& header = pngtest::BuildImage(image, 640, 480, 2, 8);
    EXPECT_EQ(Save(*image.ChunkSequence.ItemAt(2)),
              (Bytes{0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82}));
    EXPECT_EQ(Save(header), (Bytes{0x00, 0x00, 0x00, 0x0D, 'I', 'H', 'D', 'R', 0x00, 0x00, 0x02, 0x80, 0x00, 0x00, 0x01,
                                   0xE0, 0x08, 0x02, 0x00, 0x00, 0x00, 0xBA, 0xB3, 0x4B, 0xB3}));
}

TEST(StreamLayoutTest, HeaderTakesInterlaceFromTheImageAndWritesDepthTwoAsFour) {
    png::TPNGObject image;
    png::TChunkIHDR& header = pngtest::BuildImage(image, 5, 3, 0, 2);
    image.InterlaceMode = 1;
    const Bytes payload = PayloadOf(header, "IHDR");
    EXPECT_EQ(payload[8], 4) << "bit depth";
    EXPECT_EQ(payload[12], 1) << "interlace";
    EXPECT_EQ(header.BitDepth, 4);
    EXPECT_EQ(header.InterlaceMethod, 0);
}

TEST(StreamLayoutTest, PaletteTakesItsSizeFromTheHeaderAndMapsColoursThroughTheInverseGamma) {
    png::TPNGObject image;
    png::TChunkIHDR& header = pngtest::BuildImage(image, 4, 4, 3, 4);
    for (int i = 0; i < 256; ++i) image.InverseGammaTable[i] = static_cast<std::uint8_t>(255 - i);
    const png::PaletteEntry first{10, 20, 30, 0};
    header.DibPalette->SetEntries(0, 1, &first);
    auto& palette = *image.ChunkSequence.FindByClass<png::TChunkPLTE>();
    ASSERT_EQ(palette.EntryCount, 0u);

    const Bytes payload = PayloadOf(palette, "PLTE");
    ASSERT_EQ(payload.size(), 48u);
    EXPECT_EQ(palette.EntryCount, 16u);
    EXPECT_EQ((Bytes(payload.begin(), payload.begin() + 3)), (Bytes{245, 235, 225}));
}

TEST(StreamLayoutTest, TextChunksJoinKeywordAndTextWithOneZero) {
    png::TPNGObject image;
    png::TChunktEXt text(image);
    text.Keyword = "Title";
    text.Text = "abc";
    EXPECT_EQ(PayloadOf(text, "tEXt"), (Bytes{'T', 'i', 't', 'l', 'e', 0, 'a', 'b', 'c'}));
    text.Keyword.clear();
    text.Text.clear();
    EXPECT_EQ(PayloadOf(text, "tEXt"), (Bytes{0}));
}

TEST(StreamLayoutTest, CompressedTextHoldsACompleteZlibStream) {
    png::TPNGObject image;
    png::TChunkzTXt text(image);
    text.Keyword = "Comment";
    Bytes payload = PayloadOf(text, "zTXt");
    EXPECT_EQ(text.Text, " ") << "an empty text is stored as one space";
    ASSERT_GT(payload.size(), 9u);
    EXPECT_EQ(std::string(payload.begin(), payload.begin() + 7), "Comment");
    EXPECT_EQ(payload[7], 0);
    EXPECT_EQ(payload[8], 0);
    EXPECT_EQ(testsupport::Inflate(Bytes(payload.begin() + 9, payload.end())), (Bytes{' '}));

    std::mt19937 random(3);
    text.Text.clear();
    for (int i = 0; i < 2000; ++i) text.Text += static_cast<char>('!' + random() % 90);
    payload = PayloadOf(text, "zTXt");
    ASSERT_GT(payload.size(), 9u + 256u);
    const Bytes inflated = testsupport::Inflate(Bytes(payload.begin() + 9, payload.end()));
    EXPECT_EQ(std::string(inflated.begin(), inflated.end()), text.Text);
}

TEST(StreamLayoutTest, SmallChunksLayTheirFieldsOutBigEndian) {
    png::TPNGObject image;
    png::TChunktIME time(image);
    time.Year = 2005;
    time.Month = 12;
    time.Day = 31;
    time.Hour = 23;
    time.Minute = 59;
    time.Second = 60;
    EXPECT_EQ(PayloadOf(time, "tIME"), (Bytes{0x07, 0xD5, 12, 31, 23, 59, 60}));

    png::TChunkgAMA gamma(image);
    EXPECT_EQ(PayloadOf(gamma, "gAMA"), (Bytes{0, 0, 0, 1}));

    png::TChunkpHYs physical(image);
    physical.PixelsPerUnitX = 3780;
    physical.PixelsPerUnitY = 0x01020304;
    physical.UnitSpecifier = 1;
    EXPECT_EQ(PayloadOf(physical, "pHYs"), (Bytes{0, 0, 0x0E, 0xC4, 1, 2, 3, 4, 1}));
}

TEST(StreamLayoutTest, AChunkOfAnUnknownTypeIsWrittenBackUnchanged) {
    png::TPNGObject image;
    auto chunk = png::CreateChunkForType(image, {'v', 'p', 'A', 'g'});
    chunk->ResizePayload(3);
    chunk->Payload()[0] = 1;
    chunk->Payload()[1] = 2;
    chunk->Payload()[2] = 3;
    EXPECT_EQ(PayloadOf(*chunk, "vpAg"), (Bytes{1, 2, 3}));
}

TEST(StreamLayoutTest, SavingTwiceWritesTheSameBytes) {
    png::TPNGObject image;
    png::TChunkIHDR& header = pngtest::BuildImage(image, 9, 7, 0, 2);
    for (std::uint32_t i = 0; i < header.DibRowBytes * header.Height; ++i) header.PixelData[i] = static_cast<std::uint8_t>(i * 37);
    const Bytes first = pngtest::SaveToBytes(image);
    EXPECT_EQ(pngtest::SaveToBytes(image), first);
}

// A sink that runs out of room anywhere in the file must fail the save:
// a truncated file is never reported as written.
TEST(StreamLayoutTest, EveryShortWriteFailsTheSave) {
    png::TPNGObject image;
    png::TChunkIHDR& header = pngtest::BuildImage(image, 40, 30, 3, 8);
    for (std::uint32_t i = 0; i < header.DibRowBytes * header.Height; ++i) header.PixelData[i] = static_cast<std::uint8_t>(i % 7);
    image.IdatLimit = 64;
    const std::size_t size = pngtest::SaveToBytes(image).size();
    for (std::size_t room = 0; room < size; ++room) {
        testsupport::LimitedStream sink(room);
        EXPECT_THROW(image.SaveToStream(sink), vcl::EWriteError) << "room for " << room << " of " << size << " bytes";
    }
    testsupport::LimitedStream enough(size);
    EXPECT_NO_THROW(image.SaveToStream(enough));
}

}  // namespace
