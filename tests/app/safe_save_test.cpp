#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/sim/simulated_desktop.h"
#include "platform/vcl/file_save.h"
#include "platform/vcl/sysutils.h"
#include "support/error_message.h"
#include "support/png_chunks.h"
#include "support/test_folder.h"

namespace {

namespace fs = std::filesystem;

// A graphic that writes some bytes and then fails, or writes them all.
class ScriptedGraphic : public vcl::TGraphic {
public:
    explicit ScriptedGraphic(bool fails) : FFails(fails) {}
    const char* ClassName() const override { return "ScriptedGraphic"; }
    bool GetEmpty() const override { return false; }
    int GetWidth() const override { return 1; }
    int GetHeight() const override { return 1; }
    bool GetTransparent() const override { return false; }
    void SaveToStream(vcl::TStream& stream) override {
        stream.WriteBuffer("new content", 11);
        if (FFails) throw vcl::EWriteError();
    }

private:
    bool FFails;
};

class SafeSaveTest : public ::testing::Test {
protected:
    std::string Read(const std::string& windowsPath) {
        const auto bytes = testsupport::ReadFileBytes(desktop.HostPath(windowsPath).string());
        return {bytes.begin(), bytes.end()};
    }
    void Write(const std::string& windowsPath, const std::string& content) {
        fs::create_directories(desktop.HostPath(windowsPath).parent_path());
        std::ofstream(desktop.HostPath(windowsPath), std::ios::binary) << content;
    }
    bool NoTemporaryFiles(const std::string& windowsFolder) {
        for (const auto& entry : fs::directory_iterator(desktop.HostPath(windowsFolder)))
            if (entry.path().extension() == ".tmp") return false;
        return true;
    }

    testsupport::TestFolder root;
    sim::SimulatedDesktop desktop{{}, root.Path()};
};

TEST_F(SafeSaveTest, ASuccessfulSaveReplacesTheFileAndLeavesNoTemporaryFile) {
    Write("C:\\Out\\a.png", "old");
    ScriptedGraphic graphic(false);
    vcl::SaveGraphicSafely(graphic, desktop.Files(), "C:\\Out\\a.png");
    EXPECT_EQ(Read("C:\\Out\\a.png"), "new content");
    EXPECT_TRUE(NoTemporaryFiles("C:\\Out"));
}

TEST_F(SafeSaveTest, AFailedWriteKeepsTheOldFileAndNamesTheTarget) {
    Write("C:\\Out\\a.png", "old");
    ScriptedGraphic graphic(true);
    EXPECT_EQ(testsupport::MessageOf<vcl::EWriteError>(
                  [&] { vcl::SaveGraphicSafely(graphic, desktop.Files(), "C:\\Out\\a.png"); }),
              "Cannot write file \"C:\\Out\\a.png\". Stream write error");
    EXPECT_EQ(Read("C:\\Out\\a.png"), "old");
    EXPECT_TRUE(NoTemporaryFiles("C:\\Out"));
}

TEST_F(SafeSaveTest, ATargetThatCannotBeReplacedIsReportedAndLeftAlone) {
    fs::create_directories(desktop.HostPath("C:\\Out\\a.png"));  // a folder of that name
    ScriptedGraphic graphic(false);
    EXPECT_EQ(testsupport::MessageOf<vcl::EFCreateError>(
                  [&] { vcl::SaveGraphicSafely(graphic, desktop.Files(), "C:\\Out\\a.png"); }),
              "Cannot create file \"C:\\Out\\a.png\". Access is denied.");
    EXPECT_TRUE(fs::is_directory(desktop.HostPath("C:\\Out\\a.png")));
    EXPECT_TRUE(NoTemporaryFiles("C:\\Out"));
}

TEST_F(SafeSaveTest, AMissingFolderIsReportedWithTheFullPath) {
    ScriptedGraphic graphic(false);
    EXPECT_EQ(testsupport::MessageOf<vcl::EFCreateError>(
                  [&] { vcl::SaveGraphicSafely(graphic, desktop.Files(), "C:\\Missing\\a.png"); }),
              "Cannot create file \"C:\\Missing\\a.png\". The system cannot find the path specified.");
}

}  // namespace
