#include <gtest/gtest.h>

#include "app/capture_paths.h"

namespace {

TEST(CapturePathsTest, TheOutputFolderEndsWithABackslashAndSitsInTheProgramFolderUnlessItHasADrive) {
    const std::string appDir = "C:\\Tools\\";
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Shots", "D:\\Shots\\"},
        {"D:\\Shots\\", "D:\\Shots\\"},
        {"Output", "C:\\Tools\\Output\\"},
        {"", "C:\\Tools\\\\"},
        {"\\Shots", "C:\\Tools\\\\Shots\\"},
        {"\\\\server\\share", "C:\\Tools\\\\\\server\\share\\"},
        {"a\\b", "C:\\Tools\\a\\b\\"},
        {"x:", "x:\\"},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(app::ResolveOutputFolder(text, appDir), expected) << text;
}

TEST(CapturePathsTest, TheProgramFolderKeepsItsLastSeparator) {
    EXPECT_EQ(app::ExtractFilePath("C:\\Tools\\shot.exe"), "C:\\Tools\\");
    EXPECT_EQ(app::ExtractFilePath("C:shot.exe"), "C:");
    EXPECT_EQ(app::ExtractFilePath("shot.exe"), "");
}

TEST(CapturePathsTest, ShotNumbersHaveAtLeastThreeDigitsAndWrapAtThe32BitLimit) {
    constexpr std::int32_t Largest = 2147483647;
    const std::pair<std::int32_t, const char*> names[] = {
        {1, "shot001.png"},          {999, "shot999.png"},
        {1000, "shot1000.png"},      {Largest, "shot2147483647.png"},
        {-Largest - 1, "shot-2147483648.png"},
    };
    for (const auto& [number, name] : names) EXPECT_EQ(app::ShotFileName("shot", number), name) << number;
    EXPECT_EQ(app::NextShotNumber(999), 1000);
    EXPECT_EQ(app::NextShotNumber(Largest - 1), Largest);
    EXPECT_EQ(app::NextShotNumber(Largest), -Largest - 1) << "no earlier number of the run comes back";
}

TEST(CapturePathsTest, DeviceNamesAreFoundInAnyPartOfThePath) {
    const std::pair<const char*, bool> cases[] = {
        {"C:\\Out\\NUL001.png", false}, {"C:\\Out\\NUL.png", true},       {"C:\\Out\\nul", true},
        {"C:\\Out\\con.txt.png", true},  {"C:\\CON\\shot001.png", true},  {"C:\\Out\\COM1.png", true},
        {"C:\\Out\\lpt9", true},         {"C:\\Out\\COM0.png", false},    {"C:\\Out\\COM10.png", false},
        {"C:\\Out\\AUX .png", true},     {"C:\\Out\\prn\\x.png", true},   {"C:\\Out\\CONSOLE.png", false},
        {"C:\\Out\\screen001.png", false}, {"C:\\Out\\CONOUT$", true},
    };
    for (const auto& [path, device] : cases) EXPECT_EQ(app::NamesDevice(path), device) << path;
}

}  // namespace
