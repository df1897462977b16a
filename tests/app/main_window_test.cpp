#include <gtest/gtest.h>

#include <fstream>

#include "program_fixture.h"

namespace {

using apptest::ProgramTest;
using apptest::VK_PRINT_SCREEN;

constexpr int VK_A = 0x41;
constexpr int VK_7 = 0x37;
constexpr int VK_F5 = 0x74;
constexpr int VK_SPACE = 0x20;

TEST_F(ProgramTest, StartsWithTheDefaultsInAVisibleCentredWindow) {
    const vcl::HWND window = form->Handle();
    EXPECT_EQ(desktop.Caption(window), "Tivalo");
    EXPECT_EQ(form->AreaCombo.ItemIndex(), 0);
    EXPECT_EQ(form->FolderEdit.Text(), "Output");
    EXPECT_EQ(form->Edit1.Text(), "screen");
    EXPECT_EQ(form->ShotNumber(), 0);
    EXPECT_EQ(form->AppDir(), apptest::ProgramFolder);
    EXPECT_EQ(form->CurrentSelector, nullptr);
    EXPECT_TRUE(desktop.IsVisible(window));
    EXPECT_TRUE(desktop.IsLayered(window));
    EXPECT_EQ(desktop.Alpha(window), 255);
    EXPECT_EQ(application.MainForm, form.get());
    vcl::TRect bounds;
    ASSERT_TRUE(desktop.GetWindowRect(window, bounds));
    EXPECT_EQ(bounds.Left, (320 - bounds.Width()) / 2);
    EXPECT_EQ(bounds.Top, (240 - bounds.Height()) / 2);
    EXPECT_EQ(form->Window().ClientRect().Width(), 362);
    EXPECT_EQ(form->Window().ClientRect().Height(), 287);
}

TEST_F(ProgramTest, OnePressWritesOneFileAndReportsItInTheCaption) {
    PressPrintScreen();
    desktop.Tick(3);
    ASSERT_TRUE(Exists(OutputFile("screen001.png")));
    EXPECT_FALSE(Exists(OutputFile("screen002.png")));
    EXPECT_EQ(desktop.Caption(form->Handle()), "Brendal, saved: screen001.png");
    EXPECT_TRUE(ErrorTexts().empty());
}

struct KeyScript {
    const char* name;
    std::function<void(sim::SimulatedDesktop&)> play;
    int files;
};

TEST_F(ProgramTest, OnlyFreshPressesOfPolledKeysWhilePrintScreenCountsCapture) {
    const KeyScript scripts[] = {
        {"a letter alone", [](sim::SimulatedDesktop& d) { d.PressKey(VK_A); d.Tick(); }, 0},
        {"a press between two ticks",
         [](sim::SimulatedDesktop& d) { d.PressKey(VK_PRINT_SCREEN); d.ReleaseKey(VK_PRINT_SCREEN); d.Tick(); }, 0},
        {"a held key is one press",
         [](sim::SimulatedDesktop& d) { d.PressKey(VK_PRINT_SCREEN); d.Tick(5); }, 1},
        {"held Print Screen and a letter",
         [](sim::SimulatedDesktop& d) { d.PressKey(VK_PRINT_SCREEN); d.Tick(); d.PressKey(VK_A); d.Tick(); }, 2},
        {"two fresh presses in one tick",
         [](sim::SimulatedDesktop& d) { d.PressKey(VK_PRINT_SCREEN); d.PressKey(VK_7); d.Tick(); }, 2},
        {"keys outside the scan",
         [](sim::SimulatedDesktop& d) {
             d.PressKey(VK_PRINT_SCREEN); d.Tick();
             d.PressKey(VK_F5); d.PressKey(VK_SPACE); d.Tick();
         }, 1},
        {"a letter released before the tick",
         [](sim::SimulatedDesktop& d) {
             d.PressKey(VK_PRINT_SCREEN); d.Tick();
             d.PressKey(VK_A); d.ReleaseKey(VK_A); d.Tick();
         }, 1},
    };
    for (const KeyScript& script : scripts) {
        testsupport::TestFolder folder;
        sim::SimulatedDesktop fresh({64, 48, 32}, folder.Path());
        vcl::TApplication freshApplication(fresh);
        app::TForm52 freshForm(freshApplication);
        script.play(fresh);
        int files = 0;
        for (int n = 1; n <= 3; ++n)
            files += std::filesystem::exists(fresh.HostPath(std::string(apptest::ProgramFolder) + "Output\\screen00" +
                                                            std::to_string(n) + ".png"));
        EXPECT_EQ(files, script.files) << script.name;
        EXPECT_EQ(freshForm.ShotNumber(), script.files) << script.name;
    }
}

TEST_F(ProgramTest, ShotNumbersGrowPastThreeDigits) {
    for (int shot = 1; shot <= 1000; ++shot) PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("screen999.png")));
    EXPECT_TRUE(Exists(OutputFile("screen1000.png")));
    EXPECT_EQ(desktop.Caption(form->Handle()), "Brendal, saved: screen1000.png");
}

TEST_F(ProgramTest, EveryPrefixEditRestartsTheNumbering) {
    PressPrintScreen();
    PressPrintScreen();
    desktop.TypeText(form->Handle(), "Edit1", "scree");
    desktop.TypeText(form->Handle(), "Edit1", "screen");
    EXPECT_EQ(form->ShotNumber(), 0);
    std::filesystem::resize_file(OutputFile("screen001.png"), 0);
    PressPrintScreen();
    EXPECT_GT(std::filesystem::file_size(OutputFile("screen001.png")), 0u) << "overwritten";
}

TEST_F(ProgramTest, FoldersAreResolvedAndCreatedWithTheirParents) {
    desktop.MapDrive('D');
    const std::pair<const char*, const char*> cases[] = {
        {"D:\\Shots\\2026\\December", "D:\\Shots\\2026\\December\\screen001.png"},
        {"Deep\\Er", "C:\\Program Files\\Tivalo\\Deep\\Er\\screen001.png"},
        {"", "C:\\Program Files\\Tivalo\\screen001.png"},
        {"\\Shots", "C:\\Program Files\\Tivalo\\Shots\\screen001.png"},
        {"\\\\server\\share", "C:\\Program Files\\Tivalo\\server\\share\\screen001.png"},
        {"D:\\Снимки\\截图 📷", "D:\\Снимки\\截图 📷\\screen001.png"},
    };
    for (const auto& [folder, file] : cases) {
        desktop.TypeText(form->Handle(), "FolderEdit", folder);
        desktop.TypeText(form->Handle(), "Edit1", "screen");  // back to shot 1
        PressPrintScreen();
        EXPECT_TRUE(Exists(HostFile(file))) << folder;
    }
}

TEST_F(ProgramTest, AFolderThatCannotBeMadeShowsTheBoxAndUsesTheNumber) {
    desktop.TypeText(form->Handle(), "FolderEdit", "Q:\\Nowhere");
    PressPrintScreen();
    ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = desktop.MessageBoxes()[0];
    EXPECT_EQ(box.title, "Tivalo");
    EXPECT_TRUE(box.errorIcon);
    EXPECT_TRUE(box.okButton);
    EXPECT_EQ(box.text, "Cannot create file \"Q:\\Nowhere\\screen001.png\". The system cannot find the path specified.");
    EXPECT_EQ(desktop.Caption(form->Handle()), "Tivalo");

    desktop.TypeText(form->Handle(), "FolderEdit", "Output");
    PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("screen002.png"))) << "the timer goes on and the number stays used";
}

TEST_F(ProgramTest, APrefixNamingASubfolderWritesThereOnlyWhenItExists) {
    desktop.TypeText(form->Handle(), "Edit1", "sub\\shot");
    PressPrintScreen();
    ASSERT_EQ(ErrorTexts().size(), 1u);
    EXPECT_EQ(ErrorTexts()[0], "Cannot create file \"C:\\Program Files\\Tivalo\\Output\\sub\\shot001.png\". "
                               "The system cannot find the path specified.");
    std::filesystem::create_directories(OutputFile("sub"));
    PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("sub/shot002.png")));
}

// The shot number follows the prefix, so a prefix names a device only
// through an extension ("NUL." gives NUL.001.png) or a folder part.
TEST_F(ProgramTest, DeviceNamesAreRefusedInsteadOfLosingThePicture) {
    const std::pair<const char*, const char*> cases[] = {{"Edit1", "NUL."},           {"Edit1", "com1.shot"},
                                                         {"Edit1", "aux\\shot"},      {"FolderEdit", "C:\\Out\\CON"},
                                                         {"FolderEdit", "lpt2.txt"}};
    for (const auto& [control, text] : cases) {
        desktop.TypeText(form->Handle(), control, text);
        PressPrintScreen();
        ASSERT_FALSE(ErrorTexts().empty()) << text;
        EXPECT_NE(ErrorTexts().back().find("The name is reserved for a device."), std::string::npos) << text;
        EXPECT_EQ(ErrorTexts().back().rfind("Cannot create file \"", 0), 0u) << text;
        desktop.TypeText(form->Handle(), "Edit1", "screen");
        desktop.TypeText(form->Handle(), "FolderEdit", "Output");
    }
}

TEST_F(ProgramTest, AFailedSaveKeepsThePreviousFile) {
    PressPrintScreen();
    const auto previous = testsupport::ReadFileBytes(OutputFile("screen001.png").string());
    std::filesystem::create_directories(OutputFile("~screen001.png.tmp"));  // no room for the new picture
    desktop.TypeText(form->Handle(), "Edit1", "screen");
    desktop.AddWindow({{10, 10, 100, 100}, 0x123456});
    PressPrintScreen();
    ASSERT_EQ(ErrorTexts().size(), 1u);
    EXPECT_EQ(ErrorTexts()[0], "Cannot create file \"C:\\Program Files\\Tivalo\\Output\\screen001.png\". Access is denied.");
    EXPECT_EQ(testsupport::ReadFileBytes(OutputFile("screen001.png").string()), previous);
}

TEST_F(ProgramTest, ATargetThatCannotBeReplacedLeavesNoTemporaryFile) {
    std::filesystem::create_directories(OutputFile("screen001.png"));  // a folder in the way
    PressPrintScreen();
    ASSERT_EQ(ErrorTexts().size(), 1u);
    EXPECT_EQ(ErrorTexts()[0], "Cannot create file \"C:\\Program Files\\Tivalo\\Output\\screen001.png\". Access is denied.");
    for (const auto& entry : std::filesystem::directory_iterator(OutputFile("")))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
    PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("screen002.png"))) << "the next capture succeeds";
}

TEST_F(ProgramTest, ClosingHidesTheWindowAndCapturingGoesOn) {
    desktop.CloseWindow(form->Handle());
    EXPECT_FALSE(desktop.IsVisible(form->Handle()));
    ASSERT_EQ(form->PopupMenu1.Items.size(), 2u);
    EXPECT_EQ(form->PopupMenu1.Items[0].Caption(), "Show");
    EXPECT_EQ(form->PopupMenu1.Items[1].Caption(), "Quit");
    form->PopupMenu1.Items[0].Click(application);
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.Foreground(), form->Handle());
    desktop.Click(form->Handle(), "Button1");
    EXPECT_FALSE(desktop.IsVisible(form->Handle()));
    PressPrintScreen();
    EXPECT_TRUE(Exists(OutputFile("screen001.png")));
    EXPECT_FALSE(desktop.Terminated());
    form->PopupMenu1.Items[1].Click(application);
    EXPECT_TRUE(desktop.Terminated());
}

TEST_F(ProgramTest, ErrorBoxesAddAFullStopOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(vcl::ErrorBoxText("Stream write error"), "Stream write error.");
    EXPECT_EQ(vcl::ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(vcl::ErrorBoxText("Really!"), "Really!");
    EXPECT_EQ(vcl::ErrorBoxText("(crc error)"), "(crc error)");
    EXPECT_EQ(vcl::ErrorBoxText("see 1.2"), "see 1.2.");
    EXPECT_EQ(vcl::ErrorBoxText(""), "");
}

}  // namespace
