#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/vcl/memory_dib.h"
#include "png/pngimage.h"
#include "png_test_image.h"
#include "support/error_message.h"

namespace {

using namespace png;
using testsupport::MessageOf;

std::array<std::uint8_t, 256> Identity() {
    std::array<std::uint8_t, 256> table;
    std::iota(table.begin(), table.end(), 0);
    return table;
}

TEST(ImageObjectTest, ANewImageIsEmptyWithDefaultSettings) {
    TPNGObject image;
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_EQ(image.GetHeight(), 0);
    EXPECT_EQ(image.RowFilters, FilterBit(pfSub));
    EXPECT_EQ(image.DeflateLevel, 7);
    EXPECT_EQ(image.IdatLimit, 65535);
    EXPECT_EQ(image.InterlaceMode, 0);
    EXPECT_EQ(MessageOf<EPNGHeaderNotPresent>([&] { image.GetPalette(); }),
              "This operation is not valid because the current image contains no valid header.");
    EXPECT_THROW(image.GetTransparent(), EPNGHeaderNotPresent);
    EXPECT_THROW(image.PixelRow(0), EPNGHeaderNotPresent);
    EXPECT_EQ(image.RowGeometry().rowBytes, 0u);
    EXPECT_EQ(image.RowGeometry().pixelStride, 0u);
}

TEST(ImageObjectTest, AssigningNullEmptiesTheImageButKeepsItsSettings) {
    TPNGObject image;
    pngtest::BuildImage(image, 3, 3, 2, 8);
    image.InverseGammaTable.fill(9);
    image.RowFilters = AllFilters;
    image.DeflateLevel = 2;
    image.Assign(nullptr);
    EXPECT_TRUE(image.GetEmpty());
    EXPECT_EQ(image.InverseGammaTable, Identity());
    EXPECT_EQ(image.DecodeGammaTable, Identity());
    EXPECT_EQ(image.RowFilters, AllFilters);
    EXPECT_EQ(image.DeflateLevel, 2);
}

TEST(ImageObjectTest, OnlyAHeaderInFirstPlaceCountsAsHeader) {
    TPNGObject image;
    image.ChunkSequence.Append(new TChunkIEND(image));
    image.ChunkSequence.Append(new TChunkIHDR(image));
    EXPECT_FALSE(image.HasHeader());
    EXPECT_EQ(image.GetWidth(), 0);
    EXPECT_THROW(image.HeaderChunk(), EPNGHeaderNotPresent);
    EXPECT_THROW(image.ChunkSequence.ItemAt(0)->OwnerHeader(), vcl::EInvalidCast);
}

TEST(ChunkRegistryTest, TypesMapToTheirClassesExactly) {
    TPNGObject image;
    const std::pair<const char*, const TChunkClass*> known[] = {
        {"IEND", &TChunkIEND::Class}, {"IHDR", &TChunkIHDR::Class}, {"IDAT", &TChunkIDAT::Class},
        {"PLTE", &TChunkPLTE::Class}, {"gAMA", &TChunkgAMA::Class}, {"tRNS", &TChunktRNS::Class},
        {"pHYs", &TChunkpHYs::Class}, {"tIME", &TChunktIME::Class}, {"tEXt", &TChunktEXt::Class},
        {"zTXt", &TChunkzTXt::Class}, {"ihdr", &TChunk::Class},      {"abCd", &TChunk::Class},
    };
    for (const auto& [type, chunkClass] : known) {
        const ChunkTypeBytes bytes{std::uint8_t(type[0]), std::uint8_t(type[1]), std::uint8_t(type[2]), std::uint8_t(type[3])};
        const auto chunk = CreateChunkForType(image, bytes);
        EXPECT_EQ(&chunk->ClassType(), chunkClass) << type;
        EXPECT_EQ(chunk->ChunkType, bytes) << type;
        EXPECT_EQ(chunk->PayloadSize(), chunkClass == &TChunkgAMA::Class ? 4u : 0u) << type;
    }
    EXPECT_EQ(TChunkzTXt::TypeFromClass(), "zTXt");
    EXPECT_EQ(TChunk::TypeFromClass(), "");
}

TEST(ChunkRegistryTest, WithoutTheRegistryEveryTypeGetsThePlainChunk) {
    TPNGObject image;
    ReleaseChunkClasses();
    const auto chunk = CreateChunkForType(image, {'I', 'H', 'D', 'R'});
    RegisterStandardChunks();
    EXPECT_EQ(&chunk->ClassType(), &TChunk::Class);
    EXPECT_EQ(chunk->ChunkType, (ChunkTypeBytes{'I', 'H', 'D', 'R'}));
}

TEST(PictureRegistryTest, ThePngClassIsRegisteredForItsExtension) {
    const vcl::TPicture::FileFormat* format = vcl::TPicture::FindFileFormat("png");
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->description, "Portable Network Graphics");
    EXPECT_EQ(format->graphicClass, &TPNGObject::GraphicClass);
}

TEST(PointerListTest, ExtractRemovesTheLastPlaceHoldingThePointer) {
    int a, b, c;
    TPNGPointerList list(nullptr);
    for (void* item : {(void*)&a, (void*)&b, (void*)&c, (void*)&b, (void*)&a}) list.Append(item);
    EXPECT_EQ(list.Extract(&b), &b);
    ASSERT_EQ(list.ItemCount(), 4u);
    EXPECT_EQ(list.ItemAt(1), &b);
    EXPECT_EQ(list.ItemAt(3), &a);

    int stranger;
    EXPECT_EQ(list.Extract(&stranger), nullptr);
    EXPECT_EQ(list.ItemCount(), 4u);
    EXPECT_EQ(list.ItemAt(-1), nullptr);
    EXPECT_EQ(list.ItemAt(4), nullptr);
    list.SetItemAt(4, &stranger);
    list.SetItemAt(-1, &stranger);
    EXPECT_EQ(list.ItemAt(3), &a);
    list.SetItemCount(0);
    EXPECT_EQ(list.ItemCount(), 0u);
}

TEST(PointerListTest, FindByClassFindsDescendantsToo) {
    TPNGObject image;
    pngtest::BuildImage(image, 1, 1, 2, 8);
    auto* compressed = new TChunkzTXt(image);
    image.ChunkSequence.Append(compressed);
    EXPECT_EQ(image.ChunkSequence.FindByClass<TChunktEXt>(), compressed);
    EXPECT_EQ(image.ChunkSequence.FindByClass<TChunkPLTE>(), nullptr);
}

// An image with a chunk of every kind the writer knows, in file order.
void FillRichImage(TPNGObject& image) {
    TChunkIHDR& header = pngtest::BuildImage(image, 5, 4, 3, 4);
    for (std::uint32_t i = 0; i < header.DibRowBytes * header.Height; ++i) header.PixelData[i] = static_cast<std::uint8_t>(i * 29);
    const PaletteEntry entry{1, 2, 3, 0};
    header.DibPalette->SetEntries(5, 1, &entry);
    header.PaletteToDibColors(*header.DibPalette);
    TChunk* data = image.ChunkSequence.ItemAt(2);
    TChunk* end = image.ChunkSequence.ItemAt(3);
    image.ChunkSequence.Extract(data);
    image.ChunkSequence.Extract(end);
    auto* transparency = new TChunktRNS(image);
    image.ChunkSequence.Append(transparency);
    transparency->SetKeyColor(0x030201);
    auto* gamma = new TChunkgAMA(image);
    gamma->SetGammaValue(45455);
    auto* text = new TChunktEXt(image);
    text->Keyword = "Software";
    text->Text = "Tivalo";
    auto unknown = CreateChunkForType(image, {'v', 'p', 'A', 'g'});
    unknown->ResizePayload(2);
    for (TChunk* chunk : {static_cast<TChunk*>(gamma), static_cast<TChunk*>(text), unknown.release(), data, end})
        image.ChunkSequence.Append(chunk);
}

TEST(ImageCopyTest, CopiesChunksSettingsAndPixelsButNotTheGammaTables) {
    TPNGObject source;
    FillRichImage(source);
    source.InterlaceMode = 1;
    source.IdatLimit = 1000;
    source.DeflateLevel = 9;
    source.RowFilters = AllFilters;
    source.InverseGammaTable.fill(3);

    TPNGObject copy;
    copy.Assign(&source);
    ASSERT_EQ(copy.ChunkSequence.ItemCount(), source.ChunkSequence.ItemCount());
    for (std::uint32_t i = 0; i < copy.ChunkSequence.ItemCount(); ++i) {
        EXPECT_EQ(&copy.ChunkSequence.ItemAt(i)->ClassType(), &source.ChunkSequence.ItemAt(i)->ClassType()) << i;
        EXPECT_EQ(&copy.ChunkSequence.ItemAt(i)->OwnerImage, &copy);
    }
    EXPECT_EQ(copy.InterlaceMode, 1);
    EXPECT_EQ(copy.IdatLimit, 65535) << "a limit below 65535 is raised";
    EXPECT_EQ(copy.DeflateLevel, 9);
    EXPECT_EQ(copy.RowFilters, AllFilters);
    EXPECT_EQ(copy.InverseGammaTable, Identity());

    const TChunkIHDR& from = source.HeaderChunk();
    const TChunkIHDR& to = copy.HeaderChunk();
    EXPECT_NE(to.PixelData, from.PixelData);
    EXPECT_TRUE(std::equal(from.PixelData, from.PixelData + from.DibRowBytes * from.Height, to.PixelData));
    EXPECT_TRUE(std::equal(std::begin(from.DibInfo.bmiColors), std::end(from.DibInfo.bmiColors), std::begin(to.DibInfo.bmiColors)));
    PaletteEntry copied{};
    to.DibPalette->GetEntries(5, 1, &copied);
    EXPECT_EQ(copied, (PaletteEntry{1, 2, 3, 0}));

    source.InverseGammaTable = Identity();
    source.IdatLimit = 65535;
    EXPECT_EQ(pngtest::SaveToBytes(copy), pngtest::SaveToBytes(source)) << "the copy saves as the original";
}

TEST(ImageCopyTest, AlphaPlanesAreCopied) {
    TPNGObject source;
    TChunkIHDR& header = pngtest::BuildImage(source, 3, 2, 6, 8);
    for (int i = 0; i < 6; ++i) header.AlphaData[i] = static_cast<std::uint8_t>(40 * i);
    TPNGObject copy;
    copy.Assign(&source);
    EXPECT_TRUE(std::equal(header.AlphaData, header.AlphaData + 6, copy.HeaderChunk().AlphaData));
    EXPECT_EQ(copy.TransparencyKind(), 2);
}

TEST(ImageCopyTest, AssignToAnotherImageCopiesAndToOtherClassesFails) {
    TPNGObject source;
    pngtest::BuildImage(source, 2, 2, 0, 8);
    vcl::TBitmap bitmap;
    EXPECT_EQ(MessageOf<vcl::EConvertError>([&] { bitmap.Assign(&source); }), "Cannot assign a TPNGObject to a TBitmap");
}

TEST(ChunkCopyTest, ChunksWithAClassTestRefuseOtherClasses) {
    TPNGObject image;
    TChunkIEND end(image);
    TChunkIHDR header(image);
    TChunkPLTE palette(image);
    TChunkgAMA gamma(image);
    const std::string expected = "The chunks must be compatible to be assigned.";
    EXPECT_EQ(MessageOf<EPngError>([&] { header.CopyFrom(end); }), expected);
    EXPECT_EQ(MessageOf<EPngError>([&] { palette.CopyFrom(end); }), expected);
    EXPECT_EQ(MessageOf<EPngError>([&] { gamma.CopyFrom(end); }), expected);
}

TEST(TransparencyKindTest, FollowsColourTypeAndTransparencyChunk) {
    struct Case {
        std::uint8_t colorType;
        std::uint8_t bitDepth;
        int transparency;  // 0 none, 1 key colour, 2 partial tRNS
        int expected;
    };
    const Case cases[] = {{0, 8, 0, 0}, {0, 8, 1, 1}, {2, 8, 0, 0}, {2, 8, 1, 1}, {3, 8, 0, 0},
                          {3, 8, 1, 1}, {3, 8, 2, 2}, {4, 8, 0, 2}, {6, 8, 0, 2}};
    for (const Case& c : cases) {
        TPNGObject image;
        pngtest::BuildImage(image, 1, 1, c.colorType, c.bitDepth);
        if (c.transparency) {
            auto* chunk = new TChunktRNS(image);
            chunk->KeyColorTransparency = c.transparency == 1;
            image.ChunkSequence.Append(chunk);
        }
        EXPECT_EQ(image.TransparencyKind(), c.expected) << int(c.colorType) << "/" << c.transparency;
        EXPECT_EQ(image.GetTransparent(), c.expected != 0);
    }
}

TEST(ErrorsTest, EveryClassCarriesItsMessageThroughSignalError) {
    auto check = [](auto tag, std::string_view text) {
        using E = decltype(tag);
        static_assert(std::is_base_of_v<vcl::Exception, E>);
        EXPECT_EQ(MessageOf<E>([&] { SignalError<E>(text); }), std::string(text)) << typeid(E).name();
    };
    check(EPNGHeaderNotPresent(""), pnglang::EPNGHeaderNotPresentText);
    check(EPngError(""), pnglang::EPNGCannotAssignChunkText);
    check(EPngError(""), pnglang::EPNGUnknownPalEntryText);
    check(EPNGOutMemory(""), pnglang::EPNGOutMemoryText);
    check(EPNGInvalidNewSize(""), pnglang::EPNGInvalidNewSizeText);
    check(EPngInvalidCRC(""), pnglang::EPngInvalidCRCText);
    check(EPngInvalidIHDR(""), pnglang::EPNGInvalidIHDRText);
    check(EPNGSizeExceeds(""), pnglang::EPNGSizeExceedsText);
    check(EPNGUnknownCompression(""), pnglang::EPNGUnknownCompressionText);
    check(EPNGUnknownInterlace(""), pnglang::EPNGUnknownInterlaceText);
    check(EPNGInvalidPalette(""), pnglang::EPNGInvalidPaletteText);
    check(EPNGMissingMultipleIDAT(""), pnglang::EPNGMissingMultipleIDATText);
    check(EPNGZLIBError(""), std::string(pnglang::EPNGZLIBErrorText) + std::string(pnglang::ZlibStatusText(-3)));
    check(EPNGInvalidFileHeader(""), pnglang::EPNGInvalidFileHeaderText);
    check(EPngUnexpectedEnd(""), pnglang::EPNGUnexpectedEndText);
    check(EPNGIHDRNotFirst(""), pnglang::EPNGIHDRNotFirstText);
    check(EPNGUnknownCriticalChunk(""), pnglang::EPNGUnknownCriticalChunkText);
    check(EPNGNoImageData(""), pnglang::EPNGNoImageDataText);
    EXPECT_EQ(pnglang::ZlibStatusText(-6), "incompatible version (-6)");
    EXPECT_EQ(pnglang::ZlibStatusText(2), "need dictionary (2)");
}

}  // namespace
