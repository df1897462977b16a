#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/vcl/classes.h"
#include "platform/vcl/sysutils.h"
#include "support/limited_stream.h"

namespace {

namespace fs = std::filesystem;

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() / ("tivalo-streams-" + std::to_string(::getpid()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }
    fs::path folder;
};

TEST_F(FileStreamTest, CreateTruncatesAnExistingFile) {
    const fs::path file = folder / "shot.png";
    std::ofstream(file) << "an older and longer content";
    {
        vcl::TFileStream stream(file.string(), vcl::TFileStream::fmCreate);
        stream.WriteBuffer("new", 3);
    }
    EXPECT_EQ(fs::file_size(file), 3u);
}

TEST_F(FileStreamTest, FailureNamesTheExpandedFileAndTheSystemReason) {
    const fs::path missing = folder / "no-such-folder" / "shot.png";
    try {
        vcl::TFileStream stream(missing.string(), vcl::TFileStream::fmCreate);
        FAIL() << "created a file in a missing folder";
    } catch (const vcl::EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + missing.string() + "\". No such file or directory");
    }
}

TEST(ExpandFileNameTest, PrefixesRelativeNamesWithTheCurrentFolder) {
    EXPECT_EQ(vcl::ExpandFileName("/abs/name.png"), "/abs/name.png");
    EXPECT_EQ(vcl::ExpandFileName("name.png"), (fs::current_path() / "name.png").string());
}

TEST(StreamTest, WriteBufferRaisesOnAShortWrite) {
    testsupport::LimitedStream stream(5);
    EXPECT_NO_THROW(stream.WriteBuffer("1234", 4));
    EXPECT_THROW(stream.WriteBuffer("5678", 4), vcl::EWriteError);
}

}  // namespace
