// A disk that fills up at every byte offset of one save: each failure is
// reported, the earlier file of that name survives, nothing is left behind,
// and the next capture works.
#include <gtest/gtest.h>

#include <string>

#include "app/program_fixture.h"
#include "reliability/file_snapshot.h"

namespace {

using apptest::ProgramFolder;

// A desktop whose picture compresses to a file of a few kilobytes, so that
// every offset of the sweep is cheap.
class SinkFailureTest : public apptest::ProgramTest, public ::testing::WithParamInterface<int> {
protected:
    SinkFailureTest() : ProgramTest({64, 48, GetParam()}) {
        sim::ForeignWindow window{{8, 4, 56, 44}};
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 48; ++x) window.pixels.push_back(static_cast<sim::Rgb>(((x / 4) ^ (y / 3)) * 0x0A1429));
        desktop.AddWindow(window);
    }

    // The next capture is shot 1 again, saved over screen001.png.
    void RestartNumbering() { desktop.TypeText(form->Handle(), "Edit1", "screen"); }

    std::vector<std::uint8_t> Bytes(const std::string& name) const {
        return testsupport::ReadFileBytes(OutputFile(name).string());
    }
};

TEST_P(SinkFailureTest, AWriteFailingAtAnyByteKeepsTheEarlierFileAndLeavesNothingBehind) {
    PressPrintScreen();
    const std::vector<std::uint8_t> earlier = Bytes("screen001.png");
    ASSERT_EQ(Decode(OutputFile("screen001.png")).width, 64u);
    RecordProperty("offsets", static_cast<int>(earlier.size()));
    const std::string expected = std::string("Cannot write file \"") + ProgramFolder +
                                 "Output\\screen001.png\". There is not enough space on the disk.";

    for (std::size_t offset = 0; offset < earlier.size(); ++offset) {
        SCOPED_TRACE("disk full after " + std::to_string(offset) + " of " + std::to_string(earlier.size()) + " bytes");
        RestartNumbering();
        const std::size_t boxes = desktop.MessageBoxes().size();
        desktop.SetFreeDiskSpace(offset);
        PressPrintScreen();
        desktop.SetFreeDiskSpace(std::nullopt);
        ASSERT_EQ(desktop.MessageBoxes().size(), boxes + 1);
        ASSERT_EQ(desktop.MessageBoxes().back().text, expected);
        ASSERT_EQ(Bytes("screen001.png"), earlier);
        ASSERT_TRUE(reliability::TemporaryFiles(root.Path()).empty());
        ASSERT_EQ(desktop.OpenFiles(), 0);

        PressPrintScreen();
        ASSERT_EQ(desktop.MessageBoxes().size(), boxes + 1);
        ASSERT_EQ(Bytes("screen002.png"), earlier) << "the same screen gives the same file";
    }
    EXPECT_EQ(Decode(OutputFile("screen002.png")).height, 48u);
}

INSTANTIATE_TEST_SUITE_P(DisplayDepths, SinkFailureTest, ::testing::Values(32, 8),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return "Bits" + std::to_string(info.param);
                         });

}  // namespace
