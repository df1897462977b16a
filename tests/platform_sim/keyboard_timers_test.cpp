#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/simulated_desktop.h"
#include "platform_sim/recording_events.h"
#include "support/test_folder.h"

namespace {

constexpr int VK_SNAPSHOT = 0x2C;

class KeyboardTimersTest : public ::testing::Test {
protected:
    testsupport::TestFolder folder;
    sim::SimulatedDesktop desktop{{}, folder.Path()};
};

// What the test does between queries, and what two queries in a row answer.
struct KeyCase {
    const char* name;
    std::vector<std::string> steps;  // "press", "release", "query"
    std::vector<std::uint16_t> answers;
};

TEST_F(KeyboardTimersTest, AsyncKeyStateBits) {
    const KeyCase cases[] = {
        {"never pressed", {"query", "query"}, {0, 0}},
        {"pressed since the last query", {"press", "query", "query"}, {0x8001, 0x8000}},
        {"pressed and released between queries", {"press", "release", "query", "query"}, {0x0001, 0}},
        {"held across queries", {"press", "query", "query", "query"}, {0x8001, 0x8000, 0x8000}},
        {"released after a query", {"press", "query", "release", "query"}, {0x8001, 0}},
        {"pressed again while held", {"press", "query", "press", "query"}, {0x8001, 0x8001}},
    };
    for (const KeyCase& c : cases) {
        sim::SimulatedDesktop fresh{{}, folder.Path()};
        std::vector<std::uint16_t> answers;
        for (const std::string& step : c.steps) {
            if (step == "press") fresh.PressKey(VK_SNAPSHOT);
            if (step == "release") fresh.ReleaseKey(VK_SNAPSHOT);
            if (step == "query") answers.push_back(fresh.GetAsyncKeyState(VK_SNAPSHOT));
        }
        EXPECT_EQ(answers, c.answers) << c.name;
    }
}

TEST_F(KeyboardTimersTest, KeysAreIndependent) {
    desktop.PressKey(VK_SNAPSHOT);
    desktop.PressKey('A');
    EXPECT_EQ(desktop.GetAsyncKeyState('A'), 0x8001);
    EXPECT_EQ(desktop.GetAsyncKeyState(VK_SNAPSHOT), 0x8001) << "querying A left Print Screen's bit alone";
    EXPECT_EQ(desktop.GetAsyncKeyState(0x1234), 0) << "no such key";
}

TEST_F(KeyboardTimersTest, TimersRunOncePerTickUntilDestroyed) {
    std::vector<std::string> log;
    auto a = desktop.CreateTimer(1, [&] { log.push_back("a"); });
    auto b = desktop.CreateTimer(1, [&] { log.push_back("b"); });
    desktop.Tick(2);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "a", "b"}));
    a.reset();
    EXPECT_EQ(desktop.LiveTimers(), 1);
    log.clear();
    desktop.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"b"}));
}

TEST_F(KeyboardTimersTest, CallbacksMayCreateAndDestroyTimers) {
    std::vector<std::string> log;
    std::unique_ptr<vcl::NativeTimer> self, victim, child;
    self = desktop.CreateTimer(1, [&] {
        log.push_back("self");
        victim.reset();
        child = desktop.CreateTimer(1, [&] { log.push_back("child"); });
        self.reset();  // destroys the running callback's own timer
    });
    victim = desktop.CreateTimer(1, [&] { log.push_back("victim"); });
    desktop.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"self"})) << "the destroyed timer and the new one wait";
    desktop.Tick();
    EXPECT_EQ(log, (std::vector<std::string>{"self", "child"}));
}

TEST_F(KeyboardTimersTest, ErrorBoxesRecordAndRunTheModalLoopNested) {
    std::vector<std::size_t> boxesSeenInLoop;
    desktop.DuringModalLoop = [&] {
        boxesSeenInLoop.push_back(desktop.MessageBoxes().size());
        // A timer tick inside the first box fails and opens a second box.
        if (boxesSeenInLoop.size() == 1) desktop.ShowErrorBox("Tivalo", "second");
    };
    desktop.ShowErrorBox("Tivalo", "first");
    EXPECT_EQ(boxesSeenInLoop, (std::vector<std::size_t>{1, 2}));
    ASSERT_EQ(desktop.MessageBoxes().size(), 2u);
    const sim::MessageBoxRecord& first = desktop.MessageBoxes()[0];
    EXPECT_EQ(first.title, "Tivalo");
    EXPECT_EQ(first.text, "first");
    EXPECT_TRUE(first.errorIcon);
    EXPECT_TRUE(first.okButton);
    EXPECT_EQ(desktop.MessageBoxes()[1].text, "second");
}

TEST_F(KeyboardTimersTest, TheModalLoopHookMayReplaceItself) {
    int runs = 0;
    desktop.DuringModalLoop = [&] {
        ++runs;
        desktop.DuringModalLoop = nullptr;
    };
    desktop.ShowErrorBox("Tivalo", "once");
    desktop.ShowErrorBox("Tivalo", "twice");
    EXPECT_EQ(runs, 1);
}

TEST_F(KeyboardTimersTest, ApplicationServices) {
    EXPECT_EQ(desktop.ExecutableName(), "C:\\Program Files\\Tivalo\\tivalo.exe");
    EXPECT_TRUE(std::filesystem::is_directory(folder.Path() / "C" / "Program Files" / "Tivalo"));
    desktop.RunMessageLoop();
    EXPECT_FALSE(desktop.Terminated());
    desktop.Terminate();
    EXPECT_TRUE(desktop.Terminated());
}

}  // namespace
