// Runs the built png-encode and sample-screenshot programs and checks their
// files with libpng and zlib.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/vcl/classes.h"
#include "png/png_image.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"
#include "tools/bmp_test_image.h"
#include "tools/png-encode/bmp_reader.h"

namespace {

namespace fs = std::filesystem;
using bmptest::HeaderKind;
using bmptest::TestImage;
using Bytes = std::vector<std::uint8_t>;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "tivalo-tools-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        FPath = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const fs::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return (FPath / name).string(); }

private:
    fs::path FPath;
};

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return text;
}

// Runs a program; a file size limit makes its writes past that size fail.
RunResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        close(out[0]), close(out[1]), close(err[0]), close(err[1]);
        if (fileSizeLimit) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
            const rlimit limit{*fileSizeLimit, *fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]), close(err[1]);
    RunResult result;
    result.out = ReadAll(out[0]);
    result.err = ReadAll(err[0]);
    int status = 0;
    waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

RunResult PngEncode(const std::vector<std::string>& arguments, std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    return RunProgram(PNG_ENCODE_PATH, arguments, fileSizeLimit);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

bool IsOneLine(const std::string& text) { return !text.empty() && text.find('\n') == text.size() - 1; }

// What the capture path writes for the same bitmap, built without the BMP reader.
Bytes InProcessPng(const TestImage& image) {
    vcl::TBitmap bitmap(std::make_unique<vcl::MemoryDib>(bmptest::MakeDib(image)));
    png::TPNGObject png;
    png.Assign(&bitmap);
    vcl::TMemoryStream stream;
    png.SaveToStream(stream);
    return stream.Bytes();
}

void ExpectPixels(const testsupport::DecodedPng& decoded, const TestImage& image) {
    ASSERT_EQ(decoded.width, static_cast<std::uint32_t>(image.width));
    ASSERT_EQ(decoded.height, static_cast<std::uint32_t>(image.height));
    if (image.bitCount <= 8) {
        ASSERT_EQ(decoded.colorType, 3);
        ASSERT_EQ(decoded.bitDepth, image.bitCount);
        ASSERT_EQ(decoded.palette.size(), std::size_t{1} << image.bitCount);
        for (std::size_t i = 0; i < image.colors.size(); ++i) {
            const vcl::RGBQuad& color = image.colors[i];
            EXPECT_EQ(decoded.palette[i], (std::array<std::uint8_t, 3>{color.rgbRed, color.rgbGreen, color.rgbBlue})) << i;
        }
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x)
                ASSERT_EQ(decoded.Sample(x, y, 0), image.pixels[static_cast<std::size_t>(y) * image.width + x])
                    << "x " << x << " y " << y;
        return;
    }
    ASSERT_EQ(decoded.colorType, 2);
    ASSERT_EQ(decoded.bitDepth, 8);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const auto rgb = bmptest::ExpectedRgb(image, x, y);
            for (int c = 0; c < 3; ++c) ASSERT_EQ(decoded.Sample(x, y, c), rgb[c]) << "x " << x << " y " << y << " c " << c;
        }
}

// A picture that barely compresses, for tests that need many IDAT bytes.
TestImage NoisyImage(int width, int height) {
    TestImage image = bmptest::MakeImage("Noisy", 24, width, height, false, HeaderKind::Info);
    std::uint32_t state = 12345;
    for (std::uint32_t& pixel : image.pixels) {
        state = state * 1103515245u + 12345u;
        pixel = state >> 8;
    }
    return image;
}

struct Encoded {
    RunResult run;
    Bytes file;
};

Encoded EncodeWith(const TempFolder& folder, const TestImage& image, std::vector<std::string> options) {
    WriteFile(folder.File("in.bmp"), bmptest::WriteBmp(image));
    std::vector<std::string> arguments{folder.File("in.bmp"), folder.File("out.png")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    Encoded encoded{PngEncode(arguments), {}};
    if (fs::exists(folder.File("out.png"))) encoded.file = testsupport::ReadFileBytes(folder.File("out.png"));
    return encoded;
}

std::vector<std::size_t> IdatSizes(const Bytes& file) {
    std::vector<std::size_t> sizes;
    for (const testsupport::RawChunk& chunk : testsupport::ReadChunks(file))
        if (chunk.type == "IDAT") sizes.push_back(chunk.data.size());
    return sizes;
}

// ---- Output of png-encode without options ----

std::vector<TestImage> CliCases() {
    using bmptest::Masks565;
    std::vector<TestImage> cases = {
        bmptest::MakeImage("Bits1", 1, 13, 5, false, HeaderKind::Info),
        bmptest::MakeImage("Bits4ShortTableTopDown", 4, 13, 5, true, HeaderKind::V4, false, {}, 6),
        bmptest::MakeImage("Bits8V5", 8, 13, 5, false, HeaderKind::V5),
        bmptest::MakeImage("Bits16Rgb555", 16, 13, 5, false, HeaderKind::Info),
        bmptest::MakeImage("Bits16Fields565TopDown", 16, 13, 5, true, HeaderKind::Info, true, Masks565),
        bmptest::MakeImage("Bits24", 24, 13, 5, false, HeaderKind::Info),
        bmptest::MakeImage("Bits32RgbTopDown", 32, 13, 5, true, HeaderKind::V5),
        bmptest::MakeImage("Bits32FieldsSwapped", 32, 13, 5, false, HeaderKind::V4, true, {0xFF, 0xFF00, 0xFF0000}),
    };
    for (TestImage& image : cases) image.paddingByte = 0xA5;
    return cases;
}

class PngEncodeDefaults : public testing::TestWithParam<TestImage> {};

TEST_P(PngEncodeDefaults, WritesWhatTheCapturePathWritesWithTheBitmapsPixels) {
    const TempFolder folder;
    const Encoded encoded = EncodeWith(folder, GetParam(), {});
    ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
    EXPECT_EQ(encoded.run.err, "");
    EXPECT_EQ(encoded.run.out, "");
    EXPECT_EQ(encoded.file, InProcessPng(GetParam()));
    const testsupport::DecodedPng decoded = testsupport::DecodeWithLibpng(encoded.file);
    EXPECT_EQ(decoded.interlace, 0);
    ExpectPixels(decoded, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Layouts, PngEncodeDefaults, testing::ValuesIn(CliCases()),
                         [](const testing::TestParamInfo<TestImage>& info) { return info.param.name; });

// ---- Options ----

TEST(PngEncodeOptions, InterlaceSetsTheHeaderAndKeepsThePixels) {
    for (const TestImage& image : {CliCases()[2], CliCases()[5]}) {
        const TempFolder folder;
        const Encoded encoded = EncodeWith(folder, image, {"--interlace"});
        ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
        const std::vector<testsupport::RawChunk> chunks = testsupport::ReadChunks(encoded.file);
        ASSERT_EQ(chunks.front().type, "IHDR");
        EXPECT_EQ(chunks.front().data[12], 1) << image.name;
        const testsupport::DecodedPng decoded = testsupport::DecodeWithLibpng(encoded.file);
        EXPECT_EQ(decoded.interlace, 1);
        ExpectPixels(decoded, image);
    }
}

TEST(PngEncodeOptions, IdatLimitCutsTheImageData) {
    const TempFolder folder;
    const TestImage image = NoisyImage(64, 48);
    const Encoded encoded = EncodeWith(folder, image, {"--idat-limit", "100"});
    ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
    const std::vector<std::size_t> sizes = IdatSizes(encoded.file);
    ASSERT_GE(sizes.size(), 3u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 100u) << "chunk " << i;
    EXPECT_GE(sizes.back(), 1u);
    EXPECT_LE(sizes.back(), 100u);
    ExpectPixels(testsupport::DecodeWithLibpng(encoded.file), image);
}

struct FilterCase {
    const char* name;
    const char* option;
    std::set<int> allowed;
};

void PrintTo(const FilterCase& filters, std::ostream* out) { *out << filters.option; }

class PngEncodeFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(PngEncodeFilters, UsesOnlyTheChosenFilters) {
    const TempFolder folder;
    const TestImage image = bmptest::MakeImage("", 24, 13, 9, false, HeaderKind::Info);
    const Encoded encoded = EncodeWith(folder, image, {"--filters", GetParam().option});
    ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
    const Bytes raw = testsupport::Inflate(testsupport::JoinedIdat(testsupport::ReadChunks(encoded.file)));
    const std::size_t lineBytes = 1 + 3 * static_cast<std::size_t>(image.width);
    ASSERT_EQ(raw.size(), lineBytes * image.height);
    for (int y = 0; y < image.height; ++y)
        EXPECT_TRUE(GetParam().allowed.contains(raw[y * lineBytes])) << "line " << y << " filter " << int(raw[y * lineBytes]);
    ExpectPixels(testsupport::DecodeWithLibpng(encoded.file), image);
}

INSTANTIATE_TEST_SUITE_P(Sets, PngEncodeFilters,
                         testing::Values(FilterCase{"None", "none", {0}}, FilterCase{"Sub", "sub", {1}},
                                         FilterCase{"Up", "up", {2}}, FilterCase{"Average", "average", {3}},
                                         FilterCase{"Paeth", "paeth", {4}},
                                         FilterCase{"NoneAndPaeth", "paeth,none", {0, 4}},
                                         FilterCase{"All", "none,sub,up,average,paeth", {0, 1, 2, 3, 4}}),
                         [](const testing::TestParamInfo<FilterCase>& info) { return info.param.name; });

struct LevelCase {
    const char* level;
    int zlibLevelFlag;  // the FLEVEL field zlib writes into the stream header
};

void PrintTo(const LevelCase& level, std::ostream* out) { *out << level.level; }

class PngEncodeLevels : public testing::TestWithParam<LevelCase> {};

TEST_P(PngEncodeLevels, ReachesZlib) {
    const TempFolder folder;
    const TestImage image = NoisyImage(32, 16);
    const Encoded encoded = EncodeWith(folder, image, {"--level", GetParam().level});
    ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
    const Bytes idat = testsupport::JoinedIdat(testsupport::ReadChunks(encoded.file));
    ASSERT_GE(idat.size(), 2u);
    EXPECT_EQ(idat[1] >> 6, GetParam().zlibLevelFlag);
    if (std::string(GetParam().level) == "0") {
        EXPECT_GT(idat.size(), testsupport::Inflate(idat).size());  // stored, not compressed
    }
    ExpectPixels(testsupport::DecodeWithLibpng(encoded.file), image);
}

INSTANTIATE_TEST_SUITE_P(Levels, PngEncodeLevels,
                         testing::Values(LevelCase{"0", 0}, LevelCase{"3", 1}, LevelCase{"6", 2}, LevelCase{"9", 3}),
                         [](const testing::TestParamInfo<LevelCase>& info) { return std::string("Level") + info.param.level; });

TEST(PngEncodeOptions, CombineInAnyOrder) {
    const TempFolder folder;
    const TestImage image = CliCases()[1];
    const Encoded encoded =
        EncodeWith(folder, image, {"--idat-limit", "20", "--interlace", "--level", "1", "--filters", "paeth,up"});
    ASSERT_EQ(encoded.run.exitCode, 0) << encoded.run.err;
    EXPECT_GE(IdatSizes(encoded.file).size(), 2u);
    ExpectPixels(testsupport::DecodeWithLibpng(encoded.file), image);
}

// ---- Refusals ----

struct BadRun {
    const char* name;
    std::vector<std::string> arguments;  // IN, OUT and DIR stand for paths in the test's folder
    std::optional<Bytes> input;          // written to IN when present
    bool usage = false;                  // answered with the usage line
};

Bytes GoodBmp() { return bmptest::WriteBmp(bmptest::MakeImage("", 8, 13, 5, false, HeaderKind::Info)); }
Bytes BmpWith(std::size_t at, std::uint32_t value) {
    Bytes file = GoodBmp();
    bmptest::Poke32(file, at, value);
    return file;
}
Bytes HalfBmp() {
    Bytes file = GoodBmp();
    file.resize(file.size() / 2);
    return file;
}

const BadRun BadRuns[] = {
    {"NotABmp", {"IN", "OUT"}, Bytes{'h', 'e', 'l', 'l', 'o', '\n'}},
    {"EmptyInput", {"IN", "OUT"}, Bytes{}},
    {"Truncated", {"IN", "OUT"}, HalfBmp()},
    {"Rle8", {"IN", "OUT"}, BmpWith(bmptest::offset::Compression, 1)},
    {"AbsurdSize", {"IN", "OUT"}, BmpWith(bmptest::offset::Width, 0x7FFFFFFF)},
    {"MissingInput", {"IN", "OUT"}, std::nullopt},
    {"InputIsAFolder", {"DIR", "OUT"}, std::nullopt},
    {"LevelTooHigh", {"IN", "OUT", "--level", "10"}, GoodBmp()},
    {"LevelNegative", {"IN", "OUT", "--level", "-1"}, GoodBmp()},
    {"LevelNotANumber", {"IN", "OUT", "--level", "7x"}, GoodBmp()},
    {"IdatLimitZero", {"IN", "OUT", "--idat-limit", "0"}, GoodBmp()},
    {"IdatLimitTooBig", {"IN", "OUT", "--idat-limit", "2147483648"}, GoodBmp()},
    {"UnknownFilter", {"IN", "OUT", "--filters", "sub,fast"}, GoodBmp()},
    {"NoFilters", {"IN", "OUT", "--filters", ""}, GoodBmp()},
    {"TrailingComma", {"IN", "OUT", "--filters", "sub,"}, GoodBmp()},
    {"UnknownOption", {"IN", "OUT", "--fast"}, GoodBmp(), true},
    {"OptionWithoutValue", {"IN", "OUT", "--level"}, GoodBmp(), true},
    {"NoArguments", {}, std::nullopt, true},
    {"OneFile", {"IN"}, GoodBmp(), true},
    {"ThreeFiles", {"IN", "OUT", "DIR/more.png"}, GoodBmp(), true},
    {"OutputFolderMissing", {"IN", "DIR/missing/out.png"}, GoodBmp()},
    {"OutputIsAFolder", {"IN", "DIR"}, GoodBmp()},
};

void PrintTo(const BadRun& run, std::ostream* out) { *out << run.name; }

class PngEncodeRefuses : public testing::TestWithParam<BadRun> {};

TEST_P(PngEncodeRefuses, WithOneLineAndNoOutput) {
    const TempFolder folder;
    const BadRun& bad = GetParam();
    if (bad.input) WriteFile(folder.File("in.bmp"), *bad.input);
    std::vector<std::string> arguments;
    std::vector<std::string> outputs;
    for (const std::string& argument : bad.arguments) {
        std::string path = argument == "IN" ? folder.File("in.bmp") : argument == "OUT" ? folder.File("out.png") : argument;
        if (path.starts_with("DIR")) path = folder.Path().string() + path.substr(3);
        arguments.push_back(path);
        if (&argument != &bad.arguments.front()) outputs.push_back(path);
    }
    const RunResult run = PngEncode(arguments);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(IsOneLine(run.err)) << run.err;
    EXPECT_TRUE(run.err.starts_with(bad.usage ? "usage: png-encode " : "png-encode: ")) << run.err;
    EXPECT_EQ(run.out, "");
    for (const std::string& output : outputs) EXPECT_FALSE(fs::is_regular_file(output)) << output;
}

INSTANTIATE_TEST_SUITE_P(BadRuns, PngEncodeRefuses, testing::ValuesIn(BadRuns),
                         [](const testing::TestParamInfo<BadRun>& info) { return info.param.name; });

TEST(PngEncode, LeavesAnExistingOutputAloneWhenTheInputIsBad) {
    const TempFolder folder;
    WriteFile(folder.File("in.bmp"), HalfBmp());
    const Bytes previous{'k', 'e', 'e', 'p'};
    WriteFile(folder.File("out.png"), previous);
    const RunResult run = PngEncode({folder.File("in.bmp"), folder.File("out.png")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(testsupport::ReadFileBytes(folder.File("out.png")), previous);
}

TEST(PngEncode, RemovesThePartialOutputWhenWritingFails) {
    const TempFolder folder;
    WriteFile(folder.File("in.bmp"), bmptest::WriteBmp(NoisyImage(64, 48)));
    const RunResult run = PngEncode({folder.File("in.bmp"), folder.File("out.png")}, 1000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(IsOneLine(run.err)) << run.err;
    EXPECT_FALSE(fs::exists(folder.File("out.png")));
}

// ---- sample-screenshot ----

RunResult SampleScreenshot(const std::vector<std::string>& arguments) {
    return RunProgram(SAMPLE_SCREENSHOT_PATH, arguments);
}

TEST(SampleScreenshot, WritesTheSameDesktopEveryTime) {
    const TempFolder folder;
    ASSERT_EQ(SampleScreenshot({folder.File("a.bmp"), "320", "200"}).exitCode, 0);
    ASSERT_EQ(SampleScreenshot({folder.File("b.bmp"), "320", "200"}).exitCode, 0);
    const Bytes file = testsupport::ReadFileBytes(folder.File("a.bmp"));
    EXPECT_EQ(file, testsupport::ReadFileBytes(folder.File("b.bmp")));
    const vcl::MemoryDib dib = bmp::ReadBmp(file);
    EXPECT_EQ(dib.Format().width, 320);
    EXPECT_EQ(dib.Format().height, 200);
    EXPECT_EQ(dib.Format().bitCount, 32);
    std::set<std::uint32_t> colours;
    for (std::size_t at = 54; at + 4 <= file.size(); at += 4)
        colours.insert(file[at] | file[at + 1] << 8 | file[at + 2] << 16);
    EXPECT_GT(colours.size(), 20u);  // wallpaper shades, windows, text and taskbar
}

TEST(SampleScreenshot, DefaultsTo1280By720) {
    const TempFolder folder;
    ASSERT_EQ(SampleScreenshot({folder.File("a.bmp")}).exitCode, 0);
    const vcl::MemoryDib dib = bmp::ReadBmp(testsupport::ReadFileBytes(folder.File("a.bmp")));
    EXPECT_EQ(dib.Format().width, 1280);
    EXPECT_EQ(dib.Format().height, 720);
}

TEST(SampleScreenshot, EncodesToThePixelsOfTheBmp) {
    const TempFolder folder;
    constexpr int Width = 300, Height = 180;
    ASSERT_EQ(SampleScreenshot({folder.File("a.bmp"), std::to_string(Width), std::to_string(Height)}).exitCode, 0);
    ASSERT_EQ(PngEncode({folder.File("a.bmp"), folder.File("a.png")}).exitCode, 0);
    const Bytes bmpFile = testsupport::ReadFileBytes(folder.File("a.bmp"));
    const testsupport::DecodedPng decoded = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(folder.File("a.png")));
    ASSERT_EQ(decoded.width, static_cast<std::uint32_t>(Width));
    ASSERT_EQ(decoded.height, static_cast<std::uint32_t>(Height));
    ASSERT_EQ(decoded.colorType, 2);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const std::uint8_t* bgra = &bmpFile[54 + 4 * (static_cast<std::size_t>(Height - 1 - y) * Width + x)];
            for (int c = 0; c < 3; ++c) ASSERT_EQ(decoded.Sample(x, y, c), bgra[2 - c]) << x << "," << y;
        }
}

TEST(SampleScreenshot, RefusesBadArguments) {
    const TempFolder folder;
    const std::vector<std::vector<std::string>> badArguments = {
        {}, {folder.File("a.bmp"), "320"}, {folder.File("a.bmp"), "0", "10"}, {folder.File("a.bmp"), "10", "wide"},
        {folder.File("a.bmp"), "99999", "10"}, {folder.File("missing/a.bmp")}};
    for (const std::vector<std::string>& arguments : badArguments) {
        const RunResult run = SampleScreenshot(arguments);
        EXPECT_EQ(run.exitCode, 1) << testing::PrintToString(arguments);
        EXPECT_TRUE(IsOneLine(run.err)) << run.err;
    }
    EXPECT_TRUE(fs::is_empty(folder.Path()));
}

}  // namespace
