// Timers and the modal loops that keep them ticking: message boxes and the
// system's move and size loop.
#include <algorithm>
#include <stdexcept>

#include "platform/sim/desktop_state.h"

namespace sim {
namespace {

constexpr std::uint32_t SC_SIZE = 0xF000;
constexpr std::uint32_t SC_MOVE = 0xF010;
constexpr int kMinimumSize = 20;

struct Edges {
    bool left = false, right = false, top = false, bottom = false;
};

// SC_SIZE + WMSZ_*: 1 left, 2 right, 3 top, 4 top-left, 5 top-right,
// 6 bottom, 7 bottom-left, 8 bottom-right.
Edges SizingEdges(std::uint32_t command) {
    const std::uint32_t edge = command - SC_SIZE;
    if (edge < 1 || edge > 8) throw std::invalid_argument("system command not simulated: " + std::to_string(command));
    return {edge == 1 || edge == 4 || edge == 7, edge == 2 || edge == 5 || edge == 8, edge >= 3 && edge <= 5,
            edge >= 6};
}

// Sizing keeps at least 20 x 20 pixels, and always at least one client pixel.
TRect Sized(TRect rect, const Edges& edges, TPoint offset, const Frame& frame) {
    const int minWidth = std::max(kMinimumSize, 2 * frame.border + 1);
    const int minHeight = std::max(kMinimumSize, 2 * frame.border + frame.caption + 1);
    if (edges.left) rect.Left = std::min(rect.Left + offset.X, rect.Right - minWidth);
    if (edges.right) rect.Right = std::max(rect.Right + offset.X, rect.Left + minWidth);
    if (edges.top) rect.Top = std::min(rect.Top + offset.Y, rect.Bottom - minHeight);
    if (edges.bottom) rect.Bottom = std::max(rect.Bottom + offset.Y, rect.Top + minHeight);
    return rect;
}

TRect Moved(TRect rect, TPoint offset) {
    return {rect.Left + offset.X, rect.Top + offset.Y, rect.Right + offset.X, rect.Bottom + offset.Y};
}

class SimTimer final : public vcl::NativeTimer {
public:
    SimTimer(DesktopState& state, int id) : FState(state), FId(id) {}
    ~SimTimer() override { FState.timers.erase(FId); }
    SimTimer(const SimTimer&) = delete;
    SimTimer& operator=(const SimTimer&) = delete;

private:
    DesktopState& FState;
    int FId;
};

}  // namespace

void DesktopState::RunModalLoop() {
    // A copy, so that the hook may replace itself while it runs.
    const std::function<void()> hook = desktop.DuringModalLoop;
    if (hook) hook();
}

// Each point of the drag path proposes a rectangle from the one the loop
// began with; the window's owner may adjust it before it is applied. The
// loop's own message pump runs once the path is done, while the button is
// still held.
void DesktopState::RunSystemLoop(HWND window, std::uint32_t command) {
    const bool move = (command & 0xFFF0) == SC_MOVE;
    const Edges edges = move ? Edges{} : SizingEdges(command);
    if (capture != 0) return;  // the loop cannot take the mouse: it ends at once
    const WindowRecord& record = Window(window);
    const TRect start = record.bounds;
    const Frame frame = FrameOf(record.border);
    const std::vector<TPoint> path = dragPath;
    for (const TPoint offset : path)
        SetBounds(window, move ? Moved(start, offset) : Sized(start, edges, offset, frame));
    RunModalLoop();
}

std::unique_ptr<vcl::NativeTimer> SimulatedDesktop::CreateTimer(unsigned, std::function<void()> onTick) {
    if (!onTick) throw std::invalid_argument("a timer needs a callback");
    const int id = FState->nextTimer++;
    FState->timers.emplace(id, std::make_shared<const std::function<void()>>(std::move(onTick)));
    return std::make_unique<SimTimer>(*FState, id);
}

// Every timer that is live when a tick begins runs once, unless an earlier
// callback of the same tick destroyed it; timers made during a tick first
// run on the next one. Ticking allocates nothing, so a test that counts
// allocations sees only the program's.
void SimulatedDesktop::Tick(int count) {
    for (int tick = 0; tick < count; ++tick) {
        const int firstNew = FState->nextTimer;
        for (auto timer = FState->timers.begin(); timer != FState->timers.end() && timer->first < firstNew;) {
            const int id = timer->first;
            const auto callback = timer->second;  // kept alive while it runs
            (*callback)();
            timer = FState->timers.upper_bound(id);
        }
    }
}

int SimulatedDesktop::LiveTimers() const { return static_cast<int>(FState->timers.size()); }

// The test's hook plays the user, who must end the loop: a loop that would
// never end is a fault of the test or the program.
void SimulatedDesktop::RunModal(vcl::NativeWindow&, const std::function<bool()>& finished) {
    FState->RunModalLoop();
    if (!finished()) throw std::logic_error("a modal loop was left running with nobody to end it");
}

void SimulatedDesktop::ShowErrorBox(const std::string& title, const std::string& text) {
    FMessageBoxes.push_back({title, text, true, true});
    FState->RunModalLoop();
}

}  // namespace sim
