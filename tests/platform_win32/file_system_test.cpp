#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/vcl/sysutils.h"
#include "platform/win32/file_system.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_api.h"
#include "support/error_message.h"
#include "support/test_folder.h"

namespace {

// What the system itself sees, read through \\?\ so that length is no limit.
std::wstring Verbatim(const std::string& absolute) { return L"\\\\?\\" + win32::Widen(absolute); }

bool IsFolder(const std::string& absolute) {
    const DWORD attributes = GetFileAttributesW(Verbatim(absolute).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Content(const std::string& absolute) {
    const HANDLE file = CreateFileW(Verbatim(absolute).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text(4096, '\0');
    DWORD read = 0;
    ReadFile(file, text.data(), static_cast<DWORD>(text.size()), &read, nullptr);
    CloseHandle(file);
    text.resize(read);
    return text;
}

// Removes a tree whatever its depth, through \\?\ paths.
void RemoveTree(const std::wstring& verbatim) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileW((verbatim + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = verbatim + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(verbatim.c_str());
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    // The folders made here can be too long for a plain removal, and the
    // current folder cannot be removed.
    ~Win32FileSystemTest() override {
        std::error_code ignored;
        std::filesystem::current_path(FCurrentFolder, ignored);
        RemoveTree(Verbatim(root));
    }

    void Write(const std::string& path, const std::string& text) {
        auto stream = files.CreateFile(path);
        stream->WriteBuffer(text.data(), text.size());
    }

    // The message of the EOSError that `operation` raises.
    template <typename Operation>
    std::string ErrorOf(Operation operation) {
        return testsupport::MessageOf<vcl::EOSError>(operation);
    }

    const std::filesystem::path FCurrentFolder = std::filesystem::current_path();
    testsupport::TestFolder folder;
    const std::string root = win32::Narrow(folder.Path().wstring());
    win32::Win32FileSystem files;
};

// A folder chain of over 400 characters, past what the plain Win32 path
// functions accept.
std::string LongChain() {
    std::string chain;
    for (int i = 0; i < 12; ++i) chain += "\\a folder with a rather long name " + std::to_string(i);
    return chain;
}

TEST_F(Win32FileSystemTest, ForceDirectoriesMakesEveryMissingFolder) {
    const struct {
        std::string path;     // below the test folder
        std::string made;     // the deepest folder that must exist afterwards
    } cases[] = {
        {"\\Output\\", "\\Output"},
        {"\\one\\two\\three", "\\one\\two\\three"},
        {"/slashes/and\\\\doubled//", "\\slashes\\and\\doubled"},
        {"\\dots\\.\\x\\..\\y\\", "\\dots\\y"},
        {LongChain() + "\\", LongChain()},
        {"\\Output\\", "\\Output"},  // already there: nothing to do
    };
    for (const auto& c : cases) {
        files.ForceDirectories(root + c.path);
        EXPECT_TRUE(IsFolder(root + c.made)) << c.path;
    }
    // A trailing space belongs to the folder's name.
    files.ForceDirectories(root + "\\Shots \\");
    EXPECT_TRUE(IsFolder(root + "\\Shots \\"));
    EXPECT_FALSE(IsFolder(root + "\\Shots\\"));
    // Relative paths are taken against the current folder.
    SetCurrentDirectoryW(folder.Path().wstring().c_str());
    files.ForceDirectories("relative\\sub\\");
    EXPECT_TRUE(IsFolder(root + "\\relative\\sub"));
}

TEST_F(Win32FileSystemTest, ForceDirectoriesReportsNothing) {
    Write(root + "\\file", "in the way");
    // Below a file, on a drive that does not exist, with a name Windows refuses.
    for (const std::string& path : {root + "\\file\\sub\\", std::string("Q:\\no\\such\\drive\\"), root + "\\a<b\\"})
        EXPECT_NO_THROW(files.ForceDirectories(path)) << path;
    EXPECT_FALSE(IsFolder(root + "\\file\\sub"));
}

// Folders under a user name in any script: UTF-8 inside, UTF-16 for the system.
const std::string UnicodeFolder = "\\Пользователь\\スクリーン 截图\\📷 Ελληνικά";

TEST_F(Win32FileSystemTest, WritesReplacesAndDeletesAtAnyLengthAndInAnyScript) {
    for (const std::string& base : {root, root + LongChain(), root + UnicodeFolder}) {
        files.ForceDirectories(base);
        Write(base + "\\shot.png", "old");
        Write(base + "\\~shot.png.tmp", "new picture");
        files.ReplaceFile(base + "\\~shot.png.tmp", base + "\\shot.png");
        EXPECT_EQ(Content(base + "\\shot.png"), "new picture") << base.size();
        EXPECT_EQ(Content(base + "\\~shot.png.tmp"), "<missing>");
        files.DeleteFile(base + "\\shot.png");
        EXPECT_EQ(Content(base + "\\shot.png"), "<missing>");
        EXPECT_NO_THROW(files.DeleteFile(base + "\\shot.png"));  // failures are not reported
    }
}

TEST_F(Win32FileSystemTest, FailuresCarryTheSystemsText) {
    Write(root + "\\exists.png", "x");
    Write(root + "\\read-only.png", "x");
    SetFileAttributesW(Verbatim(root + "\\read-only.png").c_str(), FILE_ATTRIBUTE_READONLY);
    Write(root + "\\new.tmp", "new");
    auto held = files.CreateFile(root + "\\held.png");
    const struct {
        const char* what;
        std::string message;
        DWORD code;
    } cases[] = {
        {"a file in a missing folder", ErrorOf([&] { files.CreateFile(root + "\\missing\\a.png"); }),
         ERROR_PATH_NOT_FOUND},
        {"a file open without sharing", ErrorOf([&] { files.CreateFile(root + "\\held.png"); }),
         ERROR_SHARING_VIOLATION},
        {"a file where a folder is", ErrorOf([&] { files.CreateFile(root); }), ERROR_ACCESS_DENIED},
        {"moving a missing file", ErrorOf([&] { files.ReplaceFile(root + "\\none.tmp", root + "\\exists.png"); }),
         ERROR_FILE_NOT_FOUND},
        {"replacing a read-only file",
         ErrorOf([&] { files.ReplaceFile(root + "\\new.tmp", root + "\\read-only.png"); }), ERROR_ACCESS_DENIED},
        {"replacing a file open without sharing",
         ErrorOf([&] { files.ReplaceFile(root + "\\new.tmp", root + "\\held.png"); }), ERROR_ACCESS_DENIED},
    };
    for (const auto& c : cases) EXPECT_EQ(c.message, win32::SystemErrorText(c.code)) << c.what;
    EXPECT_EQ(Content(root + "\\exists.png"), "x");
    EXPECT_EQ(Content(root + "\\read-only.png"), "x");
    EXPECT_EQ(Content(root + "\\new.tmp"), "new") << "a refused move keeps its source";
    SetFileAttributesW(Verbatim(root + "\\read-only.png").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FileSystemTest, ExpandsRelativeToTheCurrentFolder) {
    SetCurrentDirectoryW(folder.Path().wstring().c_str());
    EXPECT_EQ(files.ExpandFileName("sub\\..\\shot.png"), root + "\\shot.png");
    EXPECT_EQ(files.ExpandFileName("a/b"), root + "\\a\\b");
    EXPECT_EQ(files.ExpandFileName(""), "");
}

}  // namespace
