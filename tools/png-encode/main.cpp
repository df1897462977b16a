// png-encode: saves a BMP file as a PNG file the way a capture is saved: a
// fresh image with default settings imports the bitmap and saves itself.
// Options change the image's encoder settings before the save.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/vcl/graphics.h"
#include "png/pngimage.h"
#include "tools/png-encode/bmp_reader.h"

namespace {

constexpr std::string_view Usage =
    "usage: png-encode IN.bmp OUT.png [--filters none,sub,up,average,paeth] [--level 0-9] [--interlace] "
    "[--idat-limit N]";

// A malformed command line: answered with the usage line.
struct UsageError {};

// Any other failure, reported as one line.
class Failure : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Options {
    std::string input;
    std::string output;
    std::optional<std::uint8_t> rowFilters;
    std::optional<std::uint8_t> deflateLevel;
    std::optional<std::int32_t> idatLimit;
    bool interlace = false;
};

std::int64_t ParseNumber(std::string_view option, std::string_view text, std::int64_t min, std::int64_t max) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || value < min || value > max)
        throw Failure(std::string(option) + " wants a whole number from " + std::to_string(min) + " to " +
                      std::to_string(max) + ", not \"" + std::string(text) + "\"");
    return value;
}

std::uint8_t ParseFilters(std::string_view list) {
    static constexpr std::pair<std::string_view, png::TFilter> Names[] = {
        {"none", png::pfNone}, {"sub", png::pfSub}, {"up", png::pfUp}, {"average", png::pfAverage}, {"paeth", png::pfPaeth}};
    std::uint8_t filters = 0;
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        const std::string_view name = list.substr(start, comma == std::string_view::npos ? comma : comma - start);
        const auto* known = std::ranges::find(Names, name, &std::pair<std::string_view, png::TFilter>::first);
        if (known == std::end(Names))
            throw Failure("unknown filter \"" + std::string(name) + "\" (known: none, sub, up, average, paeth)");
        filters |= png::FilterBit(known->second);
        if (comma == std::string_view::npos) return filters;
        start = comma + 1;
    }
}

Options ParseArguments(const std::vector<std::string_view>& arguments) {
    Options options;
    std::vector<std::string_view> files;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 == arguments.size()) throw UsageError();
            return arguments[++i];
        };
        if (argument == "--filters")
            options.rowFilters = ParseFilters(value());
        else if (argument == "--level")
            options.deflateLevel = static_cast<std::uint8_t>(ParseNumber(argument, value(), 0, 9));
        else if (argument == "--idat-limit")
            options.idatLimit = static_cast<std::int32_t>(ParseNumber(argument, value(), 1, INT32_MAX));
        else if (argument == "--interlace")
            options.interlace = true;
        else if (argument.size() > 1 && argument.front() == '-')
            throw UsageError();
        else
            files.push_back(argument);
    }
    if (files.size() != 2) throw UsageError();
    options.input = files[0];
    options.output = files[1];
    return options;
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) throw Failure(path + ": " + std::strerror(errno));
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[1 << 16];
    while (const std::size_t count = std::fread(block, 1, sizeof block, file.get()))
        bytes.insert(bytes.end(), block, block + count);
    if (std::ferror(file.get())) throw Failure(path + ": " + std::strerror(errno));
    return bytes;
}

// Removes what a failed save left behind; devices and other special files stay.
void RemovePartialFile(const std::string& path) {
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
}

void SavePng(vcl::TBitmap& bitmap, const Options& options) {
    png::TPNGObject image;
    image.Assign(&bitmap);
    if (options.rowFilters) image.RowFilters = *options.rowFilters;
    if (options.deflateLevel) image.DeflateLevel = *options.deflateLevel;
    if (options.idatLimit) image.IdatLimit = *options.idatLimit;
    if (options.interlace) image.InterlaceMode = 1;
    try {
        image.SaveToFile(options.output);
    } catch (const vcl::EFCreateError&) {
        throw;  // its message names the file, and nothing was created
    } catch (const std::exception& error) {
        RemovePartialFile(options.output);
        throw Failure(options.output + ": " + error.what());
    }
}

void Run(const Options& options) {
    const std::vector<std::uint8_t> bytes = ReadFile(options.input);
    std::unique_ptr<vcl::MemoryDib> dib;
    try {
        dib = std::make_unique<vcl::MemoryDib>(bmp::ReadBmp(bytes));
    } catch (const bmp::EBmpError& error) {
        throw Failure(options.input + ": " + error.what());
    }
    vcl::TBitmap bitmap(std::move(dib));
    bitmap.Transparent = false;
    SavePng(bitmap, options);
}

// Error texts may span lines (some carry "\r\n"); the report stays on one.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        std::cout << Usage << '\n';
        return 0;
    }
    try {
        Run(ParseArguments(arguments));
        return 0;
    } catch (const UsageError&) {
        std::cerr << Usage << '\n';
    } catch (const std::exception& error) {
        std::cerr << "png-encode: " << OneLine(error.what()) << '\n';
    }
    return 1;
}
