// The program started on a simulated desktop of its own, for tests that
// start it many times: everything it holds goes with the session.
#pragma once

#include <memory>

#include "app/Unit52.h"
#include "app/program_fixture.h"
#include "platform/sim/simulated_desktop.h"
#include "support/test_folder.h"

namespace reliability {

struct ProgramSession {
    explicit ProgramSession(const sim::DesktopSpec& spec) : desktop(spec, root.Path()) {
        application.Title = "Tivalo";
        form = std::make_unique<app::TForm52>(application);
        application.Run();
    }

    void PressPrintScreen() {
        desktop.PressKey(apptest::VK_PRINT_SCREEN);
        desktop.Tick();
        desktop.ReleaseKey(apptest::VK_PRINT_SCREEN);
    }

    std::filesystem::path OutputFolder() const {
        return desktop.HostPath(std::string(apptest::ProgramFolder) + "Output");
    }

    testsupport::TestFolder root;
    sim::SimulatedDesktop desktop;
    vcl::TApplication application{desktop};
    std::unique_ptr<app::TForm52> form;
};

}  // namespace reliability
