#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sim/simulated_desktop.h"
#include "platform/vcl/sysutils.h"
#include "platform_sim/recording_events.h"
#include "support/error_message.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPathNotFound = "The system cannot find the path specified.";
constexpr const char* kAccessDenied = "Access is denied.";

class FileSystemTest : public ::testing::Test {
protected:
    std::string Read(const fs::path& host) {
        std::ifstream in(host, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    void Write(const std::string& path, const std::string& text) {
        auto stream = files.CreateFile(path);
        ASSERT_EQ(stream->Write(text.data(), text.size()), text.size());
    }

    // The message of the EOSError that `operation` raises.
    template <typename Operation>
    std::string ErrorOf(Operation operation) {
        return testsupport::MessageOf<vcl::EOSError>(operation);
    }

    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{}, folder.Path()};
    vcl::FileSystem& files = desktop.Files();
};

TEST_F(FileSystemTest, ExpandsPathsAsTheSystemDoes) {
    const struct {
        const char* path;
        const char* expanded;
    } cases[] = {
        {"Output\\", "C:\\Users\\Tivalo\\Output\\"},
        {"..\\shots\\a.png", "C:\\Users\\shots\\a.png"},
        {"\\Shots", "C:\\Shots"},
        {"C:/a//b/./c/../d", "C:\\a\\b\\d"},
        {"D:\\Shots\\", "D:\\Shots\\"},
        {"d:Shots", "d:\\Shots"},  // another drive's current folder is its root
        {"C:rel", "C:\\Users\\Tivalo\\rel"},
        {"C:\\..\\..", "C:\\"},
        {"C:\\a\\..", "C:\\"},
        {"\\\\server\\share\\a\\..\\..\\b", "\\\\server\\share\\b"},
        {"//server/share/", "\\\\server\\share\\"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(files.ExpandFileName(c.path), c.expanded) << c.path;
}

TEST_F(FileSystemTest, MapsVolumesOntoTheHostFolder) {
    const fs::path root = folder.Path();
    const struct {
        const char* path;
        fs::path host;
    } cases[] = {
        {"C:\\Program Files\\Tivalo", root / "C" / "Program Files" / "Tivalo"},
        {"c:\\x.png", root / "C" / "x.png"},
        {"Output\\a.png", root / "C" / "Users" / "Tivalo" / "Output" / "a.png"},
        {"E:\\Shots\\..\\b", root / "E" / "b"},
        {"\\\\server\\share\\a", root / "UNC" / "server" / "share" / "a"},
    };
    for (const auto& c : cases) EXPECT_EQ(desktop.HostPath(c.path), c.host) << c.path;
}

TEST_F(FileSystemTest, CreateFileWritesThroughAndTruncates) {
    Write("C:\\a.png", "first, longer");
    {
        auto stream = files.CreateFile("c:\\A.PNG");
        EXPECT_EQ(Read(folder.Path() / "C" / "a.png"), "") << "names match without regard to case";
        stream->Write("new", 3);
        EXPECT_EQ(Read(folder.Path() / "C" / "a.png"), "new") << "written through before the stream is closed";
    }
    EXPECT_FALSE(fs::exists(folder.Path() / "C" / "A.PNG"));
}

TEST_F(FileSystemTest, FailuresCarryTheSystemsTexts) {
    files.ForceDirectories("C:\\Shots\\Folder");
    Write("C:\\Shots\\file", "x");
    const struct {
        const char* path;
        std::string message;
    } cases[] = {
        {"Q:\\Shots\\a.png", kPathNotFound},
        {"C:\\Missing\\a.png", kPathNotFound},
        {"C:\\Shots\\file\\a.png", kPathNotFound},  // a parent that is a file
        {"C:\\Shots\\Folder", kAccessDenied},
        {"C:\\Shots\\a?.png", "The filename, directory name, or volume label syntax is incorrect."},
        {"C:\\Shots\\a:b.png", "The filename, directory name, or volume label syntax is incorrect."},
        {"C:\\Shots\\new\\", "The filename, directory name, or volume label syntax is incorrect."},
        {"\\\\server\\share\\a.png", "The network path was not found."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorOf([&] { files.CreateFile(c.path); }), c.message) << c.path;
}

TEST_F(FileSystemTest, AFileIsOpenedWithoutSharing) {
    auto first = files.CreateFile("C:\\held.png");
    EXPECT_EQ(ErrorOf([&] { files.CreateFile("C:\\HELD.png"); }),
              "The process cannot access the file because it is being used by another process.");
    files.DeleteFile("C:\\held.png");
    EXPECT_TRUE(fs::exists(folder.Path() / "C" / "held.png")) << "an open file is not deleted";
    Write("C:\\other.png", "x");
    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\other.png", "C:\\held.png"); }),
              "The process cannot access the file because it is being used by another process.");
    first.reset();
    EXPECT_NO_THROW(files.CreateFile("C:\\held.png"));
}

TEST_F(FileSystemTest, MappedDrivesAndSharesExist) {
    EXPECT_EQ(ErrorOf([&] { Write("D:\\a.png", "x"); }), kPathNotFound);
    desktop.MapDrive('d');
    Write("d:\\a.png", "x");
    EXPECT_EQ(Read(folder.Path() / "D" / "a.png"), "x");

    fs::create_directories(desktop.HostPath("\\\\server\\share"));
    Write("\\\\server\\share\\b.png", "y");
    EXPECT_EQ(Read(folder.Path() / "UNC" / "server" / "share" / "b.png"), "y");
}

TEST_F(FileSystemTest, ForceDirectoriesMakesParentsAndIgnoresFailures) {
    files.ForceDirectories("C:\\Users\\Tivalo\\Output\\Deep\\er\\");
    EXPECT_TRUE(fs::is_directory(folder.Path() / "C" / "Users" / "Tivalo" / "Output" / "Deep" / "er"));
    files.ForceDirectories("output\\deep\\more");
    EXPECT_TRUE(fs::is_directory(folder.Path() / "C" / "Users" / "Tivalo" / "Output" / "Deep" / "more"))
        << "existing folders are found whatever the case";

    Write("C:\\file", "x");
    EXPECT_NO_THROW(files.ForceDirectories("C:\\file\\sub"));
    EXPECT_NO_THROW(files.ForceDirectories("Z:\\nowhere"));
    EXPECT_NO_THROW(files.ForceDirectories("C:\\bad|name"));
    EXPECT_FALSE(fs::exists(folder.Path() / "Z"));
    EXPECT_FALSE(fs::exists(folder.Path() / "C" / "bad|name"));
}

TEST_F(FileSystemTest, ReplaceFileMovesOverAnExistingFile) {
    Write("C:\\old.png", "old contents");
    Write("C:\\new.tmp", "new");
    files.ReplaceFile("C:\\new.tmp", "C:\\old.png");
    EXPECT_EQ(Read(folder.Path() / "C" / "old.png"), "new");
    EXPECT_FALSE(fs::exists(folder.Path() / "C" / "new.tmp"));

    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\new.tmp", "C:\\old.png"); }),
              "The system cannot find the file specified.");
    desktop.MapDrive('D');
    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\old.png", "D:\\old.png"); }),
              "The system cannot move the file to a different disk drive.");
    files.ForceDirectories("C:\\dir");
    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\old.png", "C:\\dir"); }), kAccessDenied);
}

TEST_F(FileSystemTest, AReadOnlyFileIsNeitherRewrittenNorReplaced) {
    Write("C:\\kept.png", "kept");
    const fs::perms write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(folder.Path() / "C" / "kept.png", write, fs::perm_options::remove);
    Write("C:\\new.tmp", "new");
    EXPECT_EQ(ErrorOf([&] { files.CreateFile("C:\\kept.png"); }), kAccessDenied);
    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\new.tmp", "C:\\kept.png"); }), kAccessDenied);
    EXPECT_EQ(Read(folder.Path() / "C" / "kept.png"), "kept");
}

TEST_F(FileSystemTest, DeleteFileRemovesFilesAndIgnoresFailures) {
    Write("C:\\gone.png", "x");
    files.DeleteFile("C:\\GONE.png");
    EXPECT_FALSE(fs::exists(folder.Path() / "C" / "gone.png"));
    files.ForceDirectories("C:\\dir");
    EXPECT_NO_THROW(files.DeleteFile("C:\\gone.png"));
    EXPECT_NO_THROW(files.DeleteFile("Q:\\x"));
    EXPECT_NO_THROW(files.DeleteFile("C:\\dir"));
    EXPECT_TRUE(fs::is_directory(folder.Path() / "C" / "dir")) << "folders are not files";
}

TEST_F(FileSystemTest, AFullDiskRaisesTheSystemsError) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "the host has no /dev/full";
    fs::create_symlink("/dev/full", folder.Path() / "C" / "full.png");
    auto stream = files.CreateFile("C:\\full.png");
    EXPECT_EQ(ErrorOf([&] { stream->Write("0123456789", 10); }), "There is not enough space on the disk.");
}

TEST_F(FileSystemTest, TheDiskFillsUpAfterTheFreeSpaceIsWritten) {
    desktop.SetFreeDiskSpace(7);
    auto first = files.CreateFile("C:\\a.png");
    EXPECT_EQ(first->Write("abcd", 4), 4u);
    auto second = files.CreateFile("C:\\b.png");
    EXPECT_EQ(ErrorOf([&] { second->Write("efgh", 4); }), "There is not enough space on the disk.");
    EXPECT_EQ(Read(folder.Path() / "C" / "b.png"), "efg") << "what fits is written";
    EXPECT_EQ(ErrorOf([&] { first->Write("x", 1); }), "There is not enough space on the disk.");
    EXPECT_EQ(desktop.OpenFiles(), 2);

    desktop.SetFreeDiskSpace(std::nullopt);
    EXPECT_EQ(first->Write("more", 4), 4u);
    first.reset();
    second.reset();
    EXPECT_EQ(desktop.OpenFiles(), 0);
}

TEST_F(FileSystemTest, PathsAreNormalisedAsWin32DoesWithTrailingDotsAndSpaces) {
    const struct {
        const char* path;
        const char* expanded;
    } cases[] = {
        {"C:\\Shots.\\a.png", "C:\\Shots\\a.png"},      // a folder loses one trailing dot
        {"C:\\Shots \\a.png", "C:\\Shots \\a.png"},     // and keeps a trailing space
        {"C:\\Shots.\\", "C:\\Shots\\"},
        {"C:\\Shots\\a.png. . ", "C:\\Shots\\a.png"},   // the last name loses both
        {"C:\\Shots\\...\\a", "C:\\Shots\\...\\a"},  // names of dots only are kept
    };
    for (const auto& c : cases) EXPECT_EQ(files.ExpandFileName(c.path), c.expanded) << c.path;
    Write("C:\\Users\\Tivalo\\a.png. ", "x");
    EXPECT_EQ(Read(folder.Path() / "C" / "Users" / "Tivalo" / "a.png"), "x");
}

TEST_F(FileSystemTest, DeviceNamesReachTheDeviceAndMakeNoFileOrFolder) {
    for (const char* device : {"C:\\NUL", "C:\\con.txt", "C:\\Shots\\COM3.png", "C:\\lpt1 .log"}) {
        files.ForceDirectories("C:\\Shots");
        auto stream = files.CreateFile(device);
        EXPECT_EQ(stream->Write("bytes", 5), 5u) << device;
    }
    files.ForceDirectories("C:\\AUX\\below");
    EXPECT_EQ(ErrorOf([&] { files.CreateFile("C:\\AUX\\below\\a.png"); }), kPathNotFound);
    Write("C:\\a.tmp", "x");
    EXPECT_EQ(ErrorOf([&] { files.ReplaceFile("C:\\a.tmp", "C:\\PRN.png"); }), kAccessDenied);
    const fs::path c = folder.Path() / "C";
    for (const fs::path& absent : {c / "NUL", c / "con.txt", c / "Shots" / "COM3.png", c / "lpt1 .log", c / "lpt1",
                                   c / "AUX", c / "PRN.png"})
        EXPECT_FALSE(fs::exists(absent)) << absent;
}

TEST_F(FileSystemTest, NamesHoldAtMost255Utf16Units) {
    const std::string longest(255, 'n');
    Write("C:\\" + longest, "x");
    for (const std::string& path : {"C:\\" + longest + "n", "C:\\" + longest + "n\\a.png"})
        EXPECT_EQ(ErrorOf([&] { files.CreateFile(path); }), "The filename or extension is too long.") << path;
    EXPECT_NO_THROW(files.ForceDirectories("C:\\" + longest + "n\\below"));
}

TEST_F(FileSystemTest, TheCurrentAndProgramFoldersExist) {
    EXPECT_TRUE(fs::is_directory(desktop.HostPath(files.ExpandFileName("."))));
    desktop.MapDrive('E');
    desktop.SetExecutableName("e:\\Tools\\shot.exe");
    EXPECT_EQ(desktop.ExecutableName(), "e:\\Tools\\shot.exe");
    EXPECT_TRUE(fs::is_directory(folder.Path() / "E" / "Tools"));
}

}  // namespace
