// The program's tray icon with its menu, and the show-window hotkey.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace {

using apptest::ProgramTest;

constexpr std::uint32_t VK_F6 = 0x75;
constexpr std::uint32_t VK_S = 0x53;
constexpr std::uint16_t HOTKEYF_SHIFT = 0x100, HOTKEYF_CONTROL = 0x200, HOTKEYF_ALT = 0x400, HOTKEYF_EXT = 0x800;
constexpr std::intptr_t WM_RBUTTONDOWN = 0x204;

TEST_F(ProgramTest, TheTrayIconIsAddedThenGivenItsIconAndHint) {
    const std::vector<sim::NotifyCall>& calls = desktop.NotifyCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].message, vcl::NIM_ADD);
    EXPECT_EQ(calls[0].data.hIcon, desktop.ApplicationIcon());
    EXPECT_STREQ(calls[0].data.szTip, "");
    EXPECT_EQ(calls[1].message, vcl::NIM_MODIFY);
    EXPECT_EQ(calls[2].message, vcl::NIM_MODIFY);
    EXPECT_STREQ(calls[2].data.szTip, "Tivalo");

    ASSERT_EQ(desktop.TrayIcons().size(), 1u);
    const vcl::NotifyIconData& shown = desktop.TrayIcons().begin()->second;
    const auto icon = desktop.IconOf(shown.hIcon);
    EXPECT_EQ(icon.resource, 1);
    EXPECT_EQ(icon.width, 16);
    EXPECT_STREQ(shown.szTip, "Tivalo");
    EXPECT_EQ(form->TrayIcon1.PopupMenu(), &form->PopupMenu1);
}

TEST_F(ProgramTest, TheTrayMenuShowsTheHiddenWindowAndQuits) {
    form->Button1.SetOnClick(nullptr);  // keep Exit from interfering: close through the system instead
    desktop.CloseWindow(form->Handle());
    ASSERT_FALSE(desktop.IsVisible(form->Handle()));
    const auto& [key, icon] = *desktop.TrayIcons().begin();

    desktop.ChooseMenuItem = [](const sim::PopupMenuRecord& menu) {
        return menu.captions == std::vector<std::string>{"Show", "Quit"} ? 0 : -1;
    };
    desktop.TrayMouse(key.first, key.second, WM_RBUTTONDOWN);
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.Foreground(), form->Handle());
    EXPECT_FALSE(desktop.Terminated());

    desktop.ChooseMenuItem = [](const sim::PopupMenuRecord&) { return 1; };
    desktop.TrayMouse(key.first, key.second, WM_RBUTTONDOWN);
    EXPECT_TRUE(desktop.Terminated());
}

TEST_F(ProgramTest, EndingTheProgramRemovesTheIconTheHotkeyAndTheAtom) {
    form.reset();
    EXPECT_TRUE(desktop.TrayIcons().empty());
    EXPECT_TRUE(desktop.HotKeys().empty());
    EXPECT_EQ(desktop.AtomReferences("Hotkey1"), 0);
    EXPECT_EQ(desktop.LiveUtilityWindows(), 0);
    EXPECT_EQ(desktop.LiveIcons(), 0);
}

TEST_F(ProgramTest, F6IsRegisteredUnderTheAtomOfHotkey1AndShowsTheWindow) {
    const auto& registrations = desktop.HotKeys();
    ASSERT_EQ(registrations.size(), 1u);
    const auto& [key, combination] = *registrations.begin();
    EXPECT_EQ(key.first, form->Handle());
    EXPECT_EQ(key.second, form->HotkeyId());
    EXPECT_GE(form->HotkeyId(), 0xC000);
    EXPECT_EQ(combination.modifiers, 0u);
    EXPECT_EQ(combination.virtualKey, VK_F6);
    EXPECT_EQ(desktop.AtomReferences("Hotkey1"), 1);

    form->Hide();
    const vcl::HWND other = desktop.AddWindow({{0, 0, 100, 100}});
    desktop.Activate(other);
    EXPECT_TRUE(desktop.PressHotKey(0, VK_F6));
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_EQ(desktop.ZOrder().front(), form->Handle());

    // Behind another window, the hotkey brings it to the front.
    desktop.Activate(other);
    desktop.PressHotKey(0, VK_F6);
    EXPECT_EQ(desktop.ZOrder().front(), form->Handle());
}

TEST_F(ProgramTest, EachStateTypedIntoTheHotKeyControlIsRegisteredInTurn) {
    const vcl::HWND window = form->Handle();
    // Ctrl, then Ctrl+Alt (no key yet: the control reports 0), then Ctrl+Alt+S.
    desktop.SetHotKeyValue(window, "HotKey2", 0);
    EXPECT_TRUE(desktop.HotKeys().empty()) << "a control holding no key registers nothing";
    desktop.SetHotKeyValue(window, "HotKey2", HOTKEYF_CONTROL | HOTKEYF_ALT | VK_S);
    ASSERT_EQ(desktop.HotKeys().size(), 1u);
    const sim::HotKeyRegistration registered = desktop.HotKeys().begin()->second;
    EXPECT_EQ(registered.modifiers, app::MOD_CONTROL | app::MOD_ALT);
    EXPECT_EQ(registered.virtualKey, VK_S);
    EXPECT_EQ(desktop.HotKeys().begin()->first.second, form->HotkeyId());
    // One reference, however many changes.
    EXPECT_EQ(desktop.AtomReferences("Hotkey1"), 1);

    form->Hide();
    EXPECT_FALSE(desktop.PressHotKey(0, VK_F6));
    EXPECT_FALSE(desktop.IsVisible(window));
    EXPECT_TRUE(desktop.PressHotKey(app::MOD_CONTROL | app::MOD_ALT, VK_S));
    EXPECT_TRUE(desktop.IsVisible(window));
}

TEST_F(ProgramTest, ACombinationTakenElsewhereGivesNoMessageAndNoHotkey) {
    desktop.RegisterForeignHotKey(app::MOD_SHIFT, VK_F6);
    desktop.SetHotKeyValue(form->Handle(), "HotKey2", HOTKEYF_SHIFT | VK_F6);
    EXPECT_TRUE(desktop.HotKeys().empty());
    EXPECT_TRUE(desktop.MessageBoxes().empty());
    // Another combination works again.
    desktop.SetHotKeyValue(form->Handle(), "HotKey2", HOTKEYF_ALT | VK_F6);
    ASSERT_EQ(desktop.HotKeys().size(), 1u);
    EXPECT_EQ(desktop.HotKeys().begin()->second.modifiers, app::MOD_ALT);
}

TEST_F(ProgramTest, TheHotkeyLeavesARegionSelectorWhereItIs) {
    desktop.SelectItem(form->Handle(), "AreaCombo", 1);
    ASSERT_NE(form->CurrentSelector, nullptr);
    const vcl::TRect before = form->CurrentSelector->BoundsRect();
    desktop.PressHotKey(0, VK_F6);
    EXPECT_TRUE(desktop.IsVisible(form->Handle()));
    EXPECT_TRUE(desktop.IsVisible(form->CurrentSelector->Handle()));
    EXPECT_EQ(form->CurrentSelector->BoundsRect(), before);
}

struct ShortCutCase {
    std::uint16_t controlValue;
    vcl::TShortCut shortCut;
    std::uint16_t key;
    std::uint32_t modifiers;
};

class ShortCutTranslation : public ::testing::TestWithParam<ShortCutCase> {};

TEST_P(ShortCutTranslation, ControlValueToShortCutToHotkey) {
    const ShortCutCase& c = GetParam();
    EXPECT_EQ(vcl::HotKeyToShortCut(c.controlValue), c.shortCut);
    const app::SplitKey split = app::SplitShortCut(c.shortCut);
    EXPECT_EQ(split.key, c.key);
    EXPECT_EQ(split.modifiers, c.modifiers);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ShortCutTranslation,
    ::testing::Values(ShortCutCase{VK_F6, VK_F6, VK_F6, 0},
                      ShortCutCase{HOTKEYF_SHIFT | VK_S, 0x2000 | VK_S, VK_S, app::MOD_SHIFT},
                      ShortCutCase{HOTKEYF_CONTROL | HOTKEYF_ALT | VK_S, 0xC000 | VK_S, VK_S,
                                   app::MOD_CONTROL | app::MOD_ALT},
                      ShortCutCase{HOTKEYF_SHIFT | HOTKEYF_CONTROL | HOTKEYF_ALT | VK_F6, 0xE000 | VK_F6, VK_F6,
                                   app::MOD_SHIFT | app::MOD_CONTROL | app::MOD_ALT},
                      // The extended-key flag is dropped.
                      ShortCutCase{HOTKEYF_EXT | 0x2E, 0x2E, 0x2E, 0}, ShortCutCase{0, 0, 0, 0}));

}  // namespace
