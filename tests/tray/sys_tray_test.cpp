// The notification-area icon component on the simulated desktop.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/simulated_desktop.h"
#include "support/test_folder.h"
#include "tray/SysTray.h"

namespace {

using tray::TSysTray;
using vcl::TMouseButton;

constexpr int VK_MENU = 0x12;

enum MouseMessage : std::intptr_t {
    MouseMove = 0x200,
    LeftDown,
    LeftUp,
    LeftDouble,
    RightDown,
    RightUp,
    RightDouble,
    MiddleDown,
    MiddleUp,
    MiddleDouble
};

std::string ButtonName(TMouseButton button) {
    switch (button) {
        case TMouseButton::mbLeft: return "left";
        case TMouseButton::mbRight: return "right";
        case TMouseButton::mbMiddle: return "middle";
    }
    return "?";
}

// Writes each event as a line such as "down left alt double @0,0".
std::string Shift(tray::TShiftState shift) {
    std::string text;
    if (shift & tray::ssAlt) text += " alt";
    if (shift & tray::ssDouble) text += " double";
    return text;
}

class SysTrayTest : public ::testing::Test {
protected:
    SysTrayTest() { tray = MakeTray(); }

    std::unique_ptr<TSysTray> MakeTray() {
        auto made = std::make_unique<TSysTray>(nullptr, application);
        made->OnMouseDown = [this](vcl::TComponent* sender, TMouseButton button, tray::TShiftState shift, int x,
                                   int y) { Log(sender, "down " + ButtonName(button) + Shift(shift), x, y); };
        made->OnMouseUp = [this](vcl::TComponent* sender, TMouseButton button, tray::TShiftState shift, int x,
                                 int y) { Log(sender, "up " + ButtonName(button) + Shift(shift), x, y); };
        made->OnMouseMove = [this](vcl::TComponent* sender, tray::TShiftState shift, int x, int y) {
            Log(sender, "move" + Shift(shift), x, y);
        };
        made->OnClick = [this](vcl::TComponent* sender) { Log(sender, "click", 0, 0); };
        made->OnDblClick = [this](vcl::TComponent* sender) { Log(sender, "dblclick", 0, 0); };
        return made;
    }

    void Log(vcl::TComponent* sender, const std::string& event, int x, int y) {
        EXPECT_EQ(sender, tray.get());
        events.push_back(event + " @" + std::to_string(x) + "," + std::to_string(y));
    }

    void Mouse(std::intptr_t message) { desktop.TrayMouse(tray->NotifyWindow(), tray->NotifyData().uID, message); }

    std::vector<std::uint32_t> CallMessages() const {
        std::vector<std::uint32_t> messages;
        for (const sim::NotifyCall& call : desktop.NotifyCalls()) messages.push_back(call.message);
        return messages;
    }

    testsupport::TestFolder root;
    sim::SimulatedDesktop desktop{{640, 480, 32}, root.Path()};
    vcl::TApplication application{desktop};
    vcl::TPopupMenu menu{nullptr, application, {{"Show1", "Show"}, {"Quit1", "Quit"}}};
    std::unique_ptr<TSysTray> tray;
    std::vector<std::string> events;
};

TEST_F(SysTrayTest, ShowingAddsOneIconWithTheRecordOfThisComponent) {
    tray->SetVisible(true);
    tray->SetVisible(true);
    ASSERT_EQ(CallMessages(), (std::vector<std::uint32_t>{vcl::NIM_ADD}));
    const vcl::NotifyIconData& added = desktop.NotifyCalls()[0].data;
    EXPECT_EQ(added.cbSize, 88u);
    EXPECT_EQ(added.hWnd, tray->NotifyWindow());
    EXPECT_EQ(added.uID, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tray.get())));
    EXPECT_EQ(added.uFlags, 7u);
    EXPECT_EQ(added.uCallbackMessage, 1323u);
    // No image of its own: the application's icon.
    EXPECT_EQ(added.hIcon, desktop.ApplicationIcon());
    EXPECT_STREQ(added.szTip, "");
    EXPECT_EQ(desktop.TrayIcons().size(), 1u);
}

TEST_F(SysTrayTest, HidingDeletesTheIconOnceAndHidingAgainDoesNothing) {
    tray->SetVisible(false);
    EXPECT_TRUE(desktop.NotifyCalls().empty());
    tray->SetVisible(true);
    tray->SetVisible(false);
    tray->SetVisible(false);
    EXPECT_EQ(CallMessages(), (std::vector<std::uint32_t>{vcl::NIM_ADD, vcl::NIM_DELETE}));
    EXPECT_TRUE(desktop.TrayIcons().empty());
}

TEST_F(SysTrayTest, HintKeepsSixtyThreeCharactersAndSendsOnlyChanges) {
    tray->SetVisible(true);
    const std::string seventy(70, 'h');
    tray->SetHint(seventy);
    EXPECT_EQ(tray->Hint(), std::string(63, 'h'));
    EXPECT_EQ(std::string(desktop.TrayIcons().begin()->second.szTip), std::string(63, 'h'));
    tray->SetHint(std::string(63, 'h'));
    EXPECT_EQ(CallMessages(), (std::vector<std::uint32_t>{vcl::NIM_ADD, vcl::NIM_MODIFY}));

    // While hidden a changed hint is still sent (and refused by the shell).
    tray->SetVisible(false);
    tray->SetHint("Tivalo");
    ASSERT_EQ(CallMessages().back(), vcl::NIM_MODIFY);
    EXPECT_FALSE(desktop.NotifyCalls().back().succeeded);
    EXPECT_EQ(tray->Hint(), "Tivalo");
}

TEST_F(SysTrayTest, AnIconOfItsOwnIsShownAtTheSmallIconSize) {
    tray->SetVisible(true);
    vcl::TIcon image(desktop);
    image.LoadFromResource(1);
    tray->SetIcon(image);
    ASSERT_EQ(CallMessages().back(), vcl::NIM_MODIFY);
    const vcl::HICON shown = desktop.TrayIcons().begin()->second.hIcon;
    ASSERT_NE(shown, desktop.ApplicationIcon());
    const auto icon = desktop.IconOf(shown);
    EXPECT_EQ(icon.resource, 1);
    EXPECT_EQ(icon.width, 16);
    EXPECT_EQ(icon.height, 16);
}

struct EventCase {
    const char* name;
    std::vector<std::intptr_t> messages;
    bool altDown;
    std::vector<std::string> expected;
};

class SysTrayEvents : public SysTrayTest, public ::testing::WithParamInterface<EventCase> {};

TEST_P(SysTrayEvents, MouseNotificationsBecomeEventsInOrder) {
    tray->SetVisible(true);
    if (GetParam().altDown) desktop.PressKey(VK_MENU);
    for (const std::intptr_t message : GetParam().messages) Mouse(message);
    EXPECT_EQ(events, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clicks, SysTrayEvents,
    ::testing::Values(
        EventCase{"LeftClick", {LeftDown, LeftUp}, false, {"down left @0,0", "click @0,0", "up left @0,0"}},
        EventCase{"LeftDoubleClick",
                  {LeftDown, LeftUp, LeftDouble, LeftUp},
                  false,
                  {"down left @0,0", "click @0,0", "up left @0,0", "dblclick @0,0", "down left double @0,0",
                   "click @0,0", "up left @0,0"}},
        EventCase{"RightDoubleClick",
                  {RightDown, RightUp, RightDouble, RightUp},
                  false,
                  {"down right @0,0", "up right @0,0", "down right double @0,0", "up right @0,0"}},
        EventCase{"MiddleDoubleClick",
                  {MiddleDown, MiddleUp, MiddleDouble, MiddleUp},
                  false,
                  {"down middle @0,0", "up middle @0,0", "down middle double @0,0", "up middle @0,0"}},
        EventCase{"MoveWithAlt", {MouseMove}, true, {"move alt @0,0"}},
        EventCase{"LeftClickWithAlt", {LeftDown, LeftUp}, true,
                  {"down left alt @0,0", "click @0,0", "up left alt @0,0"}},
        EventCase{"OtherMouseMessage", {0x20A}, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SysTrayTest, RightPressPopsTheMenuUpAtTheCursorAfterMouseDown) {
    tray->SetVisible(true);
    tray->SetPopupMenu(&menu);
    desktop.SetCursorPos({600, 470});
    desktop.ChooseMenuItem = [this](const sim::PopupMenuRecord&) {
        events.push_back("menu");
        return -1;
    };
    Mouse(RightDown);
    EXPECT_EQ(events, (std::vector<std::string>{"down right @0,0", "menu"}));
    ASSERT_EQ(desktop.PopupMenus().size(), 1u);
    EXPECT_EQ(desktop.PopupMenus()[0].at, (vcl::TPoint{600, 470}));
    EXPECT_EQ(desktop.PopupMenus()[0].captions, (std::vector<std::string>{"Show", "Quit"}));
    EXPECT_EQ(menu.PopupComponent, tray.get());

    // The chosen item runs once the menu has closed.
    int quits = 0;
    menu.Items[1].OnClick = [&] { ++quits; };
    desktop.ChooseMenuItem = [](const sim::PopupMenuRecord&) { return 1; };
    Mouse(RightDown);
    EXPECT_EQ(quits, 1);
}

TEST_F(SysTrayTest, NoMenuPopsUpWithoutAutoPopupOrWithoutAMenu) {
    tray->SetVisible(true);
    Mouse(RightDown);
    tray->SetPopupMenu(&menu);
    menu.AutoPopup = false;
    Mouse(RightDown);
    EXPECT_TRUE(desktop.PopupMenus().empty());
    EXPECT_EQ(events, (std::vector<std::string>{"down right @0,0", "down right @0,0"}));
}

TEST_F(SysTrayTest, DestroyingTheMenuClearsPopupMenu) {
    tray->SetVisible(true);
    {
        vcl::TPopupMenu shortLived(nullptr, application, {{"Item1", "Item"}});
        tray->SetPopupMenu(&shortLived);
    }
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    Mouse(RightDown);
    EXPECT_TRUE(desktop.PopupMenus().empty());
}

TEST_F(SysTrayTest, OtherMessagesGoToTheDefaultProcedureAndReturnItsResult) {
    tray->SetVisible(true);
    desktop.DefaultProcedureResult = 77;
    const std::uintptr_t otherIcon = tray->NotifyData().uID + 1;
    EXPECT_EQ(desktop.SendMessage(tray->NotifyWindow(), {tray::WM_TRAYNOTIFY, otherIcon, LeftDown, 0}), 77);
    EXPECT_EQ(desktop.SendMessage(tray->NotifyWindow(), {0x0010, 0, 0, 0}), 77);
    ASSERT_EQ(desktop.DefaultProcedureCalls().size(), 2u);
    EXPECT_EQ(desktop.DefaultProcedureCalls()[0].WParam, otherIcon);
    EXPECT_TRUE(events.empty());
    // A callback for this icon is answered with 0.
    EXPECT_EQ(desktop.SendMessage(tray->NotifyWindow(), {tray::WM_TRAYNOTIFY, tray->NotifyData().uID, LeftDown, 0}),
              0);
}

TEST_F(SysTrayTest, AnErrorInOnClickIsReportedAndTheIconGoesOn) {
    tray->SetVisible(true);
    tray->OnClick = [](vcl::TComponent*) { throw std::runtime_error("handler failed"); };
    Mouse(LeftUp);
    ASSERT_EQ(desktop.MessageBoxes().size(), 1u);
    EXPECT_EQ(desktop.MessageBoxes()[0].text, "handler failed.");
    Mouse(LeftDown);
    EXPECT_EQ(events.back(), "down left @0,0");
}

TEST_F(SysTrayTest, DestroyingAShownIconRemovesItAndItsWindow) {
    tray->SetVisible(true);
    tray.reset();
    EXPECT_EQ(CallMessages(), (std::vector<std::uint32_t>{vcl::NIM_ADD, vcl::NIM_DELETE}));
    EXPECT_TRUE(desktop.TrayIcons().empty());
    EXPECT_EQ(desktop.LiveUtilityWindows(), 0);
}

TEST_F(SysTrayTest, AVisibleIconComesBackWhenTheShellRestarts) {
    tray->SetVisible(true);
    tray->SetHint("Tivalo");
    auto hidden = MakeTray();
    desktop.RestartShell();
    ASSERT_EQ(desktop.TrayIcons().size(), 1u);
    const vcl::NotifyIconData& icon = desktop.TrayIcons().begin()->second;
    EXPECT_EQ(icon.uID, tray->NotifyData().uID);
    EXPECT_STREQ(icon.szTip, "Tivalo");
}

TEST_F(SysTrayTest, WithoutANotificationAreaOnlyTheIconChangeReachesTheShell) {
    desktop.SetVersion({2, 3});
    auto old = MakeTray();
    old->SetVisible(true);
    old->SetHint("Tivalo");
    EXPECT_TRUE(old->Visible());
    EXPECT_EQ(old->Hint(), "Tivalo");
    EXPECT_TRUE(desktop.NotifyCalls().empty());
    vcl::TIcon image(desktop);
    image.LoadFromResource(1);
    old->SetIcon(image);
    EXPECT_EQ(CallMessages(), (std::vector<std::uint32_t>{vcl::NIM_MODIFY}));
}

}  // namespace
