// The program on a simulated desktop: its main window, ready to capture.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/Unit52.h"
#include "platform/sim/simulated_desktop.h"
#include "support/libpng_decoder.h"
#include "support/png_chunks.h"
#include "support/test_folder.h"

namespace apptest {

inline constexpr int VK_PRINT_SCREEN = 0x2C;
inline constexpr char ProgramFolder[] = "C:\\Program Files\\Tivalo\\";

class ProgramTest : public ::testing::Test {
protected:
    explicit ProgramTest(sim::DesktopSpec spec = {320, 240, 32}) : desktop(spec, root.Path()) {
        application.Title = "Tivalo";
        form = std::make_unique<app::TForm52>(application);
        application.Run();
    }

    // Presses Print Screen, lets one tick see it, and releases it.
    void PressPrintScreen() {
        desktop.PressKey(VK_PRINT_SCREEN);
        desktop.Tick();
        desktop.ReleaseKey(VK_PRINT_SCREEN);
    }

    std::filesystem::path HostFile(const std::string& windowsPath) const { return desktop.HostPath(windowsPath); }
    std::filesystem::path OutputFile(const std::string& name) const {
        return HostFile(std::string(ProgramFolder) + "Output\\" + name);
    }
    bool Exists(const std::filesystem::path& path) const { return std::filesystem::exists(path); }

    testsupport::DecodedPng Decode(const std::filesystem::path& path) const {
        return testsupport::DecodeWithLibpng(testsupport::ReadFileBytes(path.string()));
    }

    // The error boxes shown so far, as their texts.
    std::vector<std::string> ErrorTexts() const {
        std::vector<std::string> texts;
        for (const sim::MessageBoxRecord& box : desktop.MessageBoxes()) texts.push_back(box.text);
        return texts;
    }

    testsupport::TestFolder root;
    sim::SimulatedDesktop desktop;
    vcl::TApplication application{desktop};
    std::unique_ptr<app::TForm52> form;
};

// The pixel (x, y) of a decoded truecolour image as 0xRRGGBB.
inline std::uint32_t DecodedRgb(const testsupport::DecodedPng& image, std::uint32_t x, std::uint32_t y) {
    return (std::uint32_t{image.Sample(x, y, 0)} << 16) | (std::uint32_t{image.Sample(x, y, 1)} << 8) |
           image.Sample(x, y, 2);
}

}  // namespace apptest
