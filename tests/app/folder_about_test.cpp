// The output folder chooser and the About dialog.
#include <gtest/gtest.h>

#include "app/About.h"
#include "app/folder_chooser.h"
#include "program_fixture.h"

namespace {

using apptest::ProgramTest;

class FolderChooserTest : public ProgramTest {
protected:
    std::string Choose(std::optional<std::string> answer) {
        desktop.NextFolderDialog.answer = std::move(answer);
        desktop.Click(form->Handle(), "Button2");
        return form->FolderEdit.Text();
    }
};

TEST_F(FolderChooserTest, TheChosenFolderGetsOneTrailingBackslash) {
    EXPECT_EQ(Choose("C:\\Users\\me\\Pictures"), "C:\\Users\\me\\Pictures\\");
    // A drive root already ends with one: a second is appended.
    EXPECT_EQ(Choose("D:\\"), "D:\\\\");
    EXPECT_EQ(Choose(std::nullopt), "");
    ASSERT_EQ(desktop.FolderDialogs().size(), 3u);
    const sim::FolderDialogRecord& dialog = desktop.FolderDialogs()[0];
    EXPECT_EQ(dialog.title, "Select output folder");
    EXPECT_EQ(dialog.flags, vcl::BIF_RETURNONLYFSDIRS);
    EXPECT_EQ(dialog.owner, desktop.ApplicationWindow());
}

TEST_F(FolderChooserTest, NumberingGoesOnInTheNewFolder) {
    PressPrintScreen();
    Choose("C:\\Shots");
    PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("screen001.png")));
    EXPECT_TRUE(Exists(HostFile("C:\\Shots\\screen002.png")));
}

TEST_F(FolderChooserTest, CapturesDuringTheDialogUseTheFolderShownAtThatMoment) {
    desktop.DuringModalLoop = [this] { PressPrintScreen(); };
    Choose("C:\\Later");
    EXPECT_TRUE(Exists(OutputFile("screen001.png")));
    EXPECT_EQ(form->FolderEdit.Text(), "C:\\Later\\");
}

struct PlacementCase {
    const char* name;
    sim::TaskbarEdge edge;
    vcl::TPoint expected;
};

class DialogPlacement : public ::testing::TestWithParam<PlacementCase> {};

// A 320 x 380 dialog on a 1280 x 1024 screen with a 40-pixel task bar: it is
// centred in a rectangle of the work area's size at the screen's origin.
TEST_P(DialogPlacement, CentresTheDialogInTheWorkAreaSizeFromTheOrigin) {
    testsupport::TestFolder root;
    sim::DesktopSpec spec{1280, 1024, 32, 40, GetParam().edge};
    sim::SimulatedDesktop desktop(spec, root.Path());
    desktop.NextFolderDialog = {"C:\\", {5, 5, 325, 385}};
    std::string result;
    app::BrowseForFolder(desktop, "Select output folder", vcl::BIF_RETURNONLYFSDIRS, result);
    EXPECT_EQ(result, "C:\\");
    ASSERT_EQ(desktop.FolderDialogs().size(), 1u);
    const vcl::TRect placed = desktop.FolderDialogs()[0].initialBounds;
    EXPECT_EQ((vcl::TPoint{placed.Left, placed.Top}), GetParam().expected);
    EXPECT_EQ(placed.Width(), 320);
    EXPECT_EQ(placed.Height(), 380);
}

INSTANTIATE_TEST_SUITE_P(TaskBar, DialogPlacement,
                         ::testing::Values(PlacementCase{"Bottom", sim::TaskbarEdge::Bottom, {480, 302}},
                                           PlacementCase{"Left", sim::TaskbarEdge::Left, {460, 322}},
                                           PlacementCase{"Top", sim::TaskbarEdge::Top, {480, 302}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BrowseCallback, IgnoresEveryMessageButInitialized) {
    testsupport::TestFolder root;
    sim::SimulatedDesktop desktop({640, 480, 32}, root.Path());
    const vcl::HWND dialog = desktop.AddWindow({{10, 10, 110, 110}});
    for (std::uint32_t message : {0u, 2u, 3u, 4u}) EXPECT_EQ(app::BrowseCallback(desktop, dialog, message, 0, 0), 0);
    vcl::TRect rect;
    desktop.GetWindowRect(dialog, rect);
    EXPECT_EQ(rect, (vcl::TRect{10, 10, 110, 110}));
}

class AboutDialogTest : public ProgramTest {
protected:
    // Opens the dialog with the About button; `user` acts while it is open.
    void OpenAbout(std::function<void(vcl::HWND dialog)> user) {
        desktop.DuringModalLoop = [this, user] {
            const vcl::HWND dialog = desktop.Foreground();
            dialogs.push_back(dialog);
            user(dialog);
        };
        desktop.Click(form->Handle(), "Button3");
        desktop.DuringModalLoop = nullptr;
    }

    std::vector<vcl::HWND> dialogs;
};

TEST_F(AboutDialogTest, ShowsNameVersionAndLinkInAStayOnTopDialog) {
    OpenAbout([this](vcl::HWND dialog) {
        EXPECT_EQ(desktop.Caption(dialog), "About");
        EXPECT_TRUE(desktop.IsTopmost(dialog));
        EXPECT_EQ(desktop.Border(dialog), vcl::TBorderStyle::bsDialog);
        EXPECT_EQ(desktop.Control(dialog, "Label1").Text(), "Tivalo 1.0");
        EXPECT_EQ(desktop.Control(dialog, "Label5").Text(), app::ProductAddress);
        EXPECT_EQ(desktop.Control(dialog, "Button4").Text(), "OK");
        EXPECT_FALSE(desktop.Control(dialog, "Label3").Text().empty());
        EXPECT_FALSE(desktop.Control(dialog, "Label4").Text().empty());
        desktop.Click(dialog, "Button4");
    });
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_FALSE(desktop.IsWindow(dialogs[0]));
    EXPECT_EQ(desktop.Foreground(), form->Handle());
}

TEST_F(AboutDialogTest, TheLinkOpensThePageEachTimeAndTheDialogStaysOpen) {
    OpenAbout([this](vcl::HWND dialog) {
        desktop.Click(dialog, "Label5");
        EXPECT_TRUE(desktop.IsVisible(dialog));
        desktop.Click(dialog, "Label5");
        EXPECT_TRUE(desktop.IsVisible(dialog));
        desktop.CloseWindow(dialog);  // the caption's close button
    });
    ASSERT_EQ(desktop.ShellExecutes().size(), 2u);
    for (const sim::ShellExecuteRecord& opened : desktop.ShellExecutes()) {
        EXPECT_EQ(opened.parent, dialogs[0]);
        EXPECT_EQ(opened.verb, "open");
        EXPECT_EQ(opened.file, std::string("http://") + app::ProductAddress);
        EXPECT_EQ(opened.parameters, "");
        EXPECT_EQ(opened.directory, "");
        EXPECT_EQ(opened.showCommand, 5);
    }
    EXPECT_FALSE(desktop.IsWindow(dialogs[0]));
}

TEST_F(AboutDialogTest, EachOpeningBuildsANewDialogAndCapturesGoOnMeanwhile) {
    OpenAbout([this](vcl::HWND dialog) {
        PressPrintScreen();
        desktop.Click(dialog, "Button4");
    });
    OpenAbout([this](vcl::HWND dialog) { desktop.Click(dialog, "Button4"); });
    ASSERT_EQ(dialogs.size(), 2u);
    EXPECT_NE(dialogs[0], dialogs[1]);
    EXPECT_TRUE(Exists(OutputFile("screen001.png")));
    EXPECT_TRUE(desktop.MessageBoxes().empty());
}

}  // namespace
