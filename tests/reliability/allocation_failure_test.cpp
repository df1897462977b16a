// Every allocation of one capture fails in turn: each time the user gets a
// clear message and nothing leaks. Nothing is written either, unless the
// allocation came after the complete picture was in place (for the caption).
#include <gtest/gtest.h>

#include <filesystem>

#include "reliability/allocation_counter.h"
#include "reliability/file_snapshot.h"
#include "reliability/program_session.h"
#include "support/libpng_decoder.h"

namespace {

namespace fs = std::filesystem;

// Small, and in the common 32-bit format.
const sim::DesktopSpec Screen{48, 32, 32, 0};

// Allocations made by one press of Print Screen in a fresh session.
std::uint64_t AllocationsOfOneCapture() {
    reliability::ProgramSession session(Screen);
    const std::uint64_t before = reliability::AllocationCount();
    session.PressPrintScreen();
    const std::uint64_t count = reliability::AllocationCount() - before;
    EXPECT_TRUE(session.desktop.MessageBoxes().empty());
    EXPECT_TRUE(fs::exists(session.OutputFolder() / "screen001.png"));
    return count;
}

reliability::FileSnapshot FilesIn(const fs::path& folder) {
    return fs::exists(folder) ? reliability::SnapshotFiles(folder) : reliability::FileSnapshot{};
}

TEST(AllocationFailureTest, EachFailedAllocationOfACaptureIsReportedAndLeavesNothing) {
    // The first capture of the process also builds what lives for the whole
    // run (tables, registries); those are not part of the sweep.
    AllocationsOfOneCapture();
    const std::uint64_t total = AllocationsOfOneCapture();
    ASSERT_GT(total, 0u);
    RecordProperty("allocations", static_cast<int>(total));
    int afterTheSave = 0;

    for (std::uint64_t failing = 1; failing <= total; ++failing) {
        SCOPED_TRACE("allocation " + std::to_string(failing) + " of " + std::to_string(total) + " fails");
        const std::int64_t liveBefore = reliability::LiveAllocations();
        {
            reliability::ProgramSession session(Screen);
            reliability::FailAllocation(failing);
            session.PressPrintScreen();
            reliability::FailAllocation(0);
            ASSERT_TRUE(reliability::AllocationFailed());

            std::vector<std::string> texts;
            for (const sim::MessageBoxRecord& box : session.desktop.MessageBoxes()) texts.push_back(box.text);
            ASSERT_EQ(texts, std::vector<std::string>{"Out of memory."});
            ASSERT_EQ(reliability::TemporaryFiles(session.root.Path()), std::vector<fs::path>{});
            ASSERT_EQ(session.desktop.OpenFiles(), 0);
            const reliability::FileSnapshot written = FilesIn(session.OutputFolder());
            if (!written.empty()) {
                ++afterTheSave;
                ASSERT_EQ(written.size(), 1u);
                ASSERT_EQ(written.begin()->first.filename(), "screen001.png");
                ASSERT_EQ(testsupport::DecodeWithLibpng(written.begin()->second).width, Screen.width);
            }
            ASSERT_EQ(session.desktop.LiveDeviceContexts(), 0);
        }
        ASSERT_EQ(reliability::LiveAllocations(), liveBefore) << "blocks leaked";
    }
    RecordProperty("failuresAfterTheSave", afterTheSave);
    EXPECT_LE(afterTheSave, 5) << "only the caption comes after the save";
}

}  // namespace
