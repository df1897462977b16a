// The image data writer: packs, filters and deflates the header's pixels and
// cuts the zlib stream into IDAT chunks.
#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>

#include "png/line_filters.h"
#include "png/png_chunks.h"
#include "png/png_errors.h"
#include "png/png_image.h"
#include "png/png_stream.h"
#include "png/pnglang.h"
#include "png/zlib_deflater.h"

namespace png {
namespace {

constexpr std::uint8_t IdatType[4] = {'I', 'D', 'A', 'T'};

// A zlib stream whose output buffer is laid out as a whole IDAT chunk:
// length and type, up to `limit` data bytes, room for the CRC. A full
// buffer is written as one chunk, so the stream is cut into chunks of
// `limit` bytes and a last one with the rest, never an empty one.
class IdatDeflater {
public:
    IdatDeflater(vcl::TStream& target, int level, std::uint32_t limit)
        : FTarget(target), FLimit(limit), FChunk(new std::uint8_t[std::size_t{limit} + 12]) {
        Check(FDeflater.Init(level));
        ResetOutput();
    }

    void Feed(const std::uint8_t* data, std::size_t count) {
        z_stream& z = FDeflater.Stream();
        z.next_in = const_cast<Bytef*>(data);
        z.avail_in = static_cast<uInt>(count);
        while (z.avail_in > 0) {
            Check(deflate(&z, Z_NO_FLUSH));
            if (z.avail_out == 0) EmitAndReset();
        }
    }

    void Finish() {
        z_stream& z = FDeflater.Stream();
        z.next_in = nullptr;
        z.avail_in = 0;
        int result;
        while ((result = deflate(&z, Z_FINISH)) != Z_STREAM_END) {
            Check(result);
            EmitAndReset();
        }
        if (z.avail_out < FLimit) EmitAndReset();
    }

private:
    // Any zlib error ends the save; it never loops or writes a broken stream.
    void Check(int result) {
        if (result == Z_MEM_ERROR) throw vcl::EOutOfMemory();
        if (result < 0) SignalError<EPngError>(std::string(pnglang::EPNGDeflateErrorText) + FDeflater.ErrorText(result));
    }

    void ResetOutput() {
        z_stream& z = FDeflater.Stream();
        z.next_out = FChunk.get() + 8;
        z.avail_out = FLimit;
    }

    void EmitAndReset() {
        const std::uint32_t length = FLimit - FDeflater.Stream().avail_out;
        if (length == 0) SignalError<EPngError>(std::string(pnglang::EPNGDeflateErrorText) + "no progress");
        std::uint8_t* chunk = FChunk.get();
        PutBigEndian32(chunk, length);
        std::memcpy(chunk + 4, IdatType, 4);
        PutBigEndian32(chunk + 8 + length, ~UpdateCrc(0xFFFFFFFFu, chunk + 4, std::size_t{length} + 4));
        FTarget.WriteBuffer(chunk, std::size_t{length} + 12);
        ResetOutput();
    }

    vcl::TStream& FTarget;
    std::uint32_t FLimit;
    std::unique_ptr<std::uint8_t[]> FChunk;
    ZlibDeflater FDeflater;
};

struct Adam7Pass {
    std::uint32_t rowStart, columnStart, rowStep, columnStep;
};
constexpr Adam7Pass Adam7Passes[7] = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                      {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};

[[noreturn]] void RefuseImage() { SignalError<EPngError>(pnglang::EPNGCannotEncodeText); }

bool IsIdentity(const GammaTable& table) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (table[i] != i) return false;
    return true;
}

// Everything one save reads from the image, checked before any byte is written.
struct ImageSource {
    ImageSource(const TPNGObject& image, const TChunkIHDR& header)
        : header(header), gamma(image.InverseGammaTable), packer(PackerFor(header.ColorType, header.BitDepth)) {
        const bool hasAlpha = header.ColorType == 4 || header.ColorType == 6;
        const RowGeometryResult geometry = image.RowGeometry();
        if (packer == nullptr || image.InterlaceMode > 1 || header.Width == 0 || header.Height == 0 ||
            header.PixelData == nullptr || (hasAlpha && header.AlphaData == nullptr) || !BuffersMatchHeader() ||
            image.IdatLimit < 1 || geometry.rowBytes > std::numeric_limits<std::uint32_t>::max() - 64)
            RefuseImage();
        lineBytes = static_cast<std::size_t>(geometry.rowBytes);
        pixelStride = geometry.pixelStride;
    }

    // The header values must still describe the buffers they were made for.
    bool BuffersMatchHeader() const {
        const vcl::BitmapInfoHeader& info = header.DibInfo.bmiHeader;
        const int expectedBits = header.ColorType == 2 || header.ColorType == 6 ? 24
                                 : header.BitDepth == 16                      ? 8
                                 : header.BitDepth == 2                       ? 4
                                                                              : header.BitDepth;
        return info.biWidth == static_cast<std::int32_t>(header.Width) &&
               info.biHeight == static_cast<std::int32_t>(header.Height) && info.biBitCount == expectedBits;
    }

    const std::uint8_t* Row(std::uint32_t y) const {
        return header.PixelData + std::size_t{header.DibRowBytes} * (header.Height - 1 - y);
    }
    const std::uint8_t* AlphaRow(std::uint32_t y) const {
        return header.AlphaData ? header.AlphaData + std::size_t{header.Width} * y : nullptr;
    }

    PackJob Job(std::uint32_t y, std::uint8_t* line, std::size_t bytes, ColumnSpan columns) const {
        return {Row(y), AlphaRow(y), line, bytes, columns, header.DibInfo.bmiHeader.biBitCount, &gamma};
    }

    const TChunkIHDR& header;
    const GammaTable& gamma;
    LinePacker packer;
    std::size_t lineBytes = 0;
    std::uint32_t pixelStride = 0;
};

void EncodeSequential(const ImageSource& source, LineFilter& filter, IdatDeflater& deflater) {
    const std::size_t lineBytes = source.lineBytes;
    filter.StartPass(lineBytes);
    const bool fusedBgr = filter.SubOnly() && source.header.ColorType == 2 && source.header.BitDepth == 8 &&
                          IsIdentity(source.gamma);
    const ColumnSpan allColumns{0, 1, source.header.Width};
    for (std::uint32_t y = 0; y < source.header.Height; ++y) {
        const std::uint8_t* line;
        if (fusedBgr) {
            line = filter.FilterSubBgrRow(source.Row(y));
        } else {
            source.packer(source.Job(y, filter.RawLine(), lineBytes, allColumns));
            line = filter.FilterLine();
        }
        deflater.Feed(line, lineBytes + 1);
    }
}

void EncodeAdam7(const ImageSource& source, LineFilter& filter, IdatDeflater& deflater) {
    const TChunkIHDR& header = source.header;
    for (const Adam7Pass& pass : Adam7Passes) {
        if (header.Width <= pass.columnStart) continue;
        const std::uint32_t passWidth = (header.Width - pass.columnStart + pass.columnStep - 1) / pass.columnStep;
        const auto lineBytes = static_cast<std::size_t>(PackedRowBytes(passWidth, header.ColorType, header.BitDepth));
        filter.StartPass(lineBytes);
        const ColumnSpan columns{pass.columnStart, pass.columnStep, passWidth};
        for (std::uint32_t y = pass.rowStart; y < header.Height; y += pass.rowStep) {
            source.packer(source.Job(y, filter.RawLine(), lineBytes, columns));
            deflater.Feed(filter.FilterLine(), lineBytes + 1);
        }
    }
}

}  // namespace

bool TChunkIDAT::WriteChunk(vcl::TStream& stream) {
    const ImageSource source(OwnerImage, OwnerHeader());
    LineFilter filter(OwnerImage.RowFilters, source.lineBytes, source.pixelStride);
    IdatDeflater deflater(stream, OwnerImage.DeflateLevel, static_cast<std::uint32_t>(OwnerImage.IdatLimit));
    if (OwnerImage.InterlaceMode == 0)
        EncodeSequential(source, filter, deflater);
    else
        EncodeAdam7(source, filter, deflater);
    deflater.Finish();
    return true;
}

}  // namespace png
