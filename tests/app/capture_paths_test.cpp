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
