// Message texts of the PNG classes.
#pragma once

#include <string_view>

namespace png::pnglang {

inline constexpr std::string_view EPngInvalidCRCText =
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc error)";
inline constexpr std::string_view EPNGInvalidIHDRText =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data (ihdr) might be corrupted";
inline constexpr std::string_view EPNGMissingMultipleIDATText =
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
inline constexpr std::string_view EPNGZLIBErrorText =
    "Could not decompress the image because it contains invalid compressed data.\r\n Description: ";
inline constexpr std::string_view EPNGInvalidPaletteText =
    "The \"Portable Network Graphics\" image contains an invalid palette.";
inline constexpr std::string_view EPNGInvalidFileHeaderText =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid header. "
    "This file may be corruped, try obtaining it again.";
inline constexpr std::string_view EPNGIHDRNotFirstText =
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n(IHDR chunk is not the first)";
inline constexpr std::string_view EPNGSizeExceedsText =
    "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds the maximum "
    "size, which is 65535 pixels length.";
inline constexpr std::string_view EPNGUnknownPalEntryText = "There is no such palette entry.";
inline constexpr std::string_view EPNGUnknownCriticalChunkText =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could not be decoded.";
inline constexpr std::string_view EPNGUnknownCompressionText =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be decoded.";
inline constexpr std::string_view EPNGUnknownInterlaceText =
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded.";
inline constexpr std::string_view EPNGCannotAssignChunkText = "The chunks must be compatible to be assigned.";
inline constexpr std::string_view EPNGUnexpectedEndText =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.";
inline constexpr std::string_view EPNGNoImageDataText = "This \"Portable Network Graphics\" image contains no data.";
inline constexpr std::string_view EPNGHeaderNotPresentText =
    "This operation is not valid because the current image contains no valid header.";
inline constexpr std::string_view EPNGOutMemoryText =
    "Some operation could not be performed because the system is out of resources. Close some windows and try again.";
inline constexpr std::string_view EPNGInvalidNewSizeText = "The new size provided for image resizing is invalid.";

// Failures of the writing side that the texts above do not cover.
inline constexpr std::string_view EPNGEmptyBitmapText =
    "The bitmap cannot be converted to a \"Portable Network Graphics\" image because it has no pixels.";
inline constexpr std::string_view EPNGUnsupportedBitmapText =
    "The bitmap cannot be converted to a \"Portable Network Graphics\" image because its pixel format is not supported.";
inline constexpr std::string_view EPNGBitmapUnreadableText =
    "The pixels of the bitmap could not be read.";
inline constexpr std::string_view EPNGImageTooLargeText =
    "This \"Portable Network Graphics\" image is too large: its pixels do not fit in memory.";
inline constexpr std::string_view EPNGDeflateErrorText =
    "Could not compress the image data.\r\n Description: ";
inline constexpr std::string_view EPNGCannotEncodeText =
    "This \"Portable Network Graphics\" image cannot be encoded because its header describes no supported format.";

// zlib's status texts, for result codes -6 to 2.
std::string_view ZlibStatusText(int result);

}  // namespace png::pnglang
