// Window events for the simulated desktop's tests.
#pragma once

#include <functional>
#include <vector>

#include "platform/platform.h"

namespace sim_test {

// Window events that record what the system reported; PositionChanging
// hands each proposal to `adjust`.
class RecordingEvents : public vcl::WindowEvents {
public:
    void CloseRequested() override { ++closeRequests; }
    void MouseMoved(vcl::TPoint client) override { moves.push_back(client); }
    void MousePressed(vcl::TMouseButton button, vcl::TPoint client) override {
        presses.push_back({button, client});
        if (onPress) onPress(button);
    }
    void PositionChanging(vcl::TRect& proposed) override {
        proposals.push_back(proposed);
        if (adjust) adjust(proposed);
    }
    void HotKeyPressed(vcl::TMessage& message) override { hotKeys.push_back(message.WParam); }

    struct Press {
        vcl::TMouseButton button;
        vcl::TPoint client;
    };
    int closeRequests = 0;
    std::vector<vcl::TPoint> moves;
    std::vector<Press> presses;
    std::vector<vcl::TRect> proposals;
    std::vector<std::uintptr_t> hotKeys;
    std::function<void(vcl::TMouseButton)> onPress;
    std::function<void(vcl::TRect&)> adjust;
};

}  // namespace sim_test
