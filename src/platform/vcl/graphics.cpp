#include "platform/vcl/graphics.h"

#include <algorithm>
#include <cctype>

namespace vcl {
namespace {

std::vector<TPicture::FileFormat>& FileFormats() {
    static std::vector<TPicture::FileFormat> formats;
    return formats;
}

bool SameText(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::uint32_t ColorToRGB(TColor color) { return static_cast<std::uint32_t>(color) & 0xFFFFFF; }

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  const TGraphicClass& graphicClass) {
    FileFormats().push_back({extension, description, &graphicClass});
}

void TPicture::UnregisterGraphicClass(const TGraphicClass& graphicClass) {
    std::erase_if(FileFormats(), [&](const FileFormat& format) { return format.graphicClass == &graphicClass; });
}

const TPicture::FileFormat* TPicture::FindFileFormat(const std::string& extension) {
    for (const FileFormat& format : FileFormats())
        if (SameText(format.extension, extension)) return &format;
    return nullptr;
}

void TGraphic::SaveToFile(const std::string& fileName) {
    TFileStream stream(fileName, TFileStream::fmCreate);
    SaveToStream(stream);
}

}  // namespace vcl
