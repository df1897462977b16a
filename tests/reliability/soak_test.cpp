// A thousand captures in a row: nothing the program holds grows with them.
#include <gtest/gtest.h>

#include "reliability/allocation_counter.h"
#include "reliability/program_session.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"

namespace {

constexpr int WholeScreen = 0;
constexpr int ActiveWindow = 2;

// What the program holds of the system and of the heap.
struct Holdings {
    int deviceContexts, windows, timers, icons, utilityWindows, openFiles;
    std::int64_t heapBlocks;
    friend bool operator==(const Holdings&, const Holdings&) = default;
};

Holdings HoldingsOf(const sim::SimulatedDesktop& desktop) {
    return {desktop.LiveDeviceContexts(), desktop.LiveWindows(),        desktop.LiveTimers(),
            desktop.LiveIcons(),          desktop.LiveUtilityWindows(), desktop.OpenFiles(),
            reliability::LiveAllocations()};
}

void PrintTo(const Holdings& h, std::ostream* out) {
    *out << "{DCs " << h.deviceContexts << ", windows " << h.windows << ", timers " << h.timers << ", icons "
         << h.icons << ", utility windows " << h.utilityWindows << ", open files " << h.openFiles << ", heap blocks "
         << h.heapBlocks << "}";
}

class Soak {
public:
    Soak() : FWindow(FSession.desktop.AddWindow({{4, 4, 20, 14}, 0x804020})) {}

    // Whole screen and active window in turn, the backdrop coming and going.
    void Capture(int shot) {
        const int area = shot % 2 == 0 ? WholeScreen : ActiveWindow;
        FSession.desktop.SelectItem(FSession.form->Handle(), "AreaCombo", area);
        FSession.desktop.Activate(FWindow);
        FSession.PressPrintScreen();
    }

    reliability::ProgramSession& Session() { return FSession; }

private:
    reliability::ProgramSession FSession{sim::DesktopSpec{32, 24, 32, 0}};
    vcl::HWND FWindow;
};

TEST(SoakTest, AThousandCapturesInARowHoldNoMoreThanTheFirstFew) {
    Soak soak;
    constexpr int WarmUp = 10;
    constexpr int Shots = 1000;
    for (int shot = 1; shot <= WarmUp; ++shot) soak.Capture(shot);
    const Holdings settled = HoldingsOf(soak.Session().desktop);

    for (int shot = WarmUp + 1; shot <= WarmUp + Shots; ++shot) soak.Capture(shot);

    EXPECT_EQ(HoldingsOf(soak.Session().desktop), settled);
    EXPECT_TRUE(soak.Session().desktop.MessageBoxes().empty());
    EXPECT_EQ(soak.Session().form->ShotNumber(), WarmUp + Shots);
    const auto Width = [&](const char* name) {
        const auto bytes = testsupport::ReadFileBytes((soak.Session().OutputFolder() / name).string());
        return testsupport::DecodeWithLibpng(bytes).width;
    };
    EXPECT_EQ(Width("screen1009.png"), 16u) << "the active window";
    EXPECT_EQ(Width("screen1010.png"), 32u) << "the whole screen";
}

}  // namespace
