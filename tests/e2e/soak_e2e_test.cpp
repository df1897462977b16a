// Many captures in a row under Wine: the program's memory and open files stay
// flat once it has warmed up.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "e2e/program_test.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"

namespace {

namespace fs = std::filesystem;

// What a host process holds: resident memory and open file descriptors (Wine
// keeps a descriptor for each file handle that the process has used).
struct ProcessUse {
    long residentKiB = 0;
    long openFiles = 0;
};

ProcessUse UseOf(pid_t process) {
    const fs::path proc = "/proc/" + std::to_string(process);
    ProcessUse use;
    std::ifstream status(proc / "status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:")) use.residentKiB = std::stol(line.substr(6));
    use.openFiles = std::distance(fs::directory_iterator(proc / "fd"), fs::directory_iterator());
    return use;
}

std::string CommandLineOf(pid_t process) {
    std::ifstream in("/proc/" + std::to_string(process) + "/cmdline");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

using e2e::ProgramE2eTest;

// A leaked screen bitmap or image buffer would add 3 MiB per capture.
TEST_F(ProgramE2eTest, TwoHundredCapturesInARowKeepMemoryAndFilesFlat) {
    constexpr int Captures = 200;
    constexpr int WarmUp = 20;
    constexpr long AllowanceKiB = 8 * 1024;
    const pid_t program = session->ProgramProcess();
    ASSERT_NE(CommandLineOf(program).find("tivalo.exe"), std::string::npos);

    const ProcessUse start = UseOf(program);
    ProcessUse warm, peak;
    for (int shot = 1; shot <= Captures; ++shot) {
        session->HoldKey("Print");
        ASSERT_TRUE(Saved(shot)) << shot;
        if (shot > 1) fs::remove(Shot(shot - 1));  // only the newest is kept
        const ProcessUse now = UseOf(program);
        if (shot == WarmUp) warm = now;
        if (shot > WarmUp && now.residentKiB > peak.residentKiB) peak = now;
        if (shot % 20 == 0) std::printf("shot %d: %ld KiB resident, %ld files open\n", shot, now.residentKiB, now.openFiles);
    }
    const ProcessUse end = UseOf(program);
    std::printf("start %ld KiB, after %d shots %ld KiB, peak after %ld KiB, end %ld KiB; files %ld, %ld, %ld\n",
                start.residentKiB, WarmUp, warm.residentKiB, peak.residentKiB, end.residentKiB, start.openFiles,
                warm.openFiles, end.openFiles);
    EXPECT_LE(peak.residentKiB, warm.residentKiB + AllowanceKiB);
    EXPECT_LE(end.openFiles, warm.openFiles);
    const auto last = testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(Shot(Captures).string()));
    EXPECT_EQ(last.width, static_cast<std::uint32_t>(e2e::ScreenWidth));
    EXPECT_EQ(last.height, static_cast<std::uint32_t>(e2e::ScreenHeight));
}

}  // namespace
