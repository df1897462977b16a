#include "app/Unit52.h"

#include "app/About.h"
#include "app/Unit54.h"
#include "app/capture_paths.h"
#include "app/folder_chooser.h"
#include "app/resources/resource_ids.h"
#include "platform/vcl/file_save.h"

namespace app {
namespace {

using vcl::ControlKind;
using vcl::ControlSpec;


constexpr std::uint8_t FirstPolledKey = 0x29;
constexpr std::uint8_t EndOfScan = 0x5B;
constexpr std::uint16_t FreshPress = 0x8001;

// The system's description of a malformed name (ERROR_INVALID_NAME).
constexpr const char* InvalidNameText = "The filename, directory name, or volume label syntax is incorrect.";

// The backdrop reaches 7 pixels beyond the window on the left, 8 on the right,
// 8 above and 7 below.
constexpr int BackdropLeft = 7;
constexpr int BackdropTop = 8;
constexpr int BackdropGrowth = 15;

vcl::FormDescription Form52Description() {
    vcl::FormDescription d;
    d.caption = "Tivalo";
    d.clientWidth = 362;
    d.clientHeight = 287;
    d.borderStyle = vcl::TBorderStyle::bsSingle;
    d.position = vcl::TPosition::poScreenCenter;
    d.alphaBlend = true;
    d.alphaBlendValue = 255;
    d.color = vcl::clBtnFace;
    return d;
}

ControlSpec Box(const char* name, int left, int top, int width, int height, const char* text) {
    return vcl::DescribeControl(ControlKind::GroupBox, name, left, top, width, height, text);
}

ControlSpec Text(ControlKind kind, const char* name, int left, int top, int width, int height, const char* text,
                 const char* parent) {
    return vcl::DescribeControl(kind, name, left, top, width, height, text, parent);
}

ControlSpec HotKeySpec() {
    constexpr std::uint16_t VK_F6 = 117;
    ControlSpec spec = Text(ControlKind::HotKey, "HotKey2", 96, 40, 121, 19, "", "GroupBox3");
    spec.hotKey = VK_F6;
    return spec;
}

ControlSpec AreaComboSpec() {
    ControlSpec spec = Text(ControlKind::ComboBox, "AreaCombo", 96, 19, 241, 21, "", "GroupBox1");
    spec.items = {"Whole Screen", "Selected Region", "Active Window"};
    return spec;
}

}  // namespace

TForm52::TForm52(vcl::TApplication& application)
    : TForm(application, Form52Description()),
      GroupBox1(*this, Box("GroupBox1", 8, 8, 345, 57, "Area")),
      Label5(*this, Text(ControlKind::Label, "Label5", 24, 18, 25, 13, "Area", "GroupBox1")),
      AreaCombo(*this, AreaComboSpec()),
      GroupBox2(*this, Box("GroupBox2", 8, 72, 345, 81, "Output")),
      Label1(*this, Text(ControlKind::Label, "Label1", 24, 18, 44, 13, "Directory", "GroupBox2")),
      Label2(*this, Text(ControlKind::Label, "Label2", 24, 46, 30, 13, "Prefix", "GroupBox2")),
      Edit1(*this, Text(ControlKind::Edit, "Edit1", 96, 44, 241, 21, "screen", "GroupBox2")),
      FolderEdit(*this, Text(ControlKind::Edit, "FolderEdit", 96, 16, 177, 21, "Output", "GroupBox2")),
      Button2(*this, Text(ControlKind::Button, "Button2", 272, 15, 64, 21, "Browse", "GroupBox2")),
      GroupBox3(*this, Box("GroupBox3", 8, 160, 345, 89, "Hotkeys")),
      Label3(*this, Text(ControlKind::Label, "Label3", 24, 18, 60, 13, "Save screen", "GroupBox3")),
      Label6(*this, Text(ControlKind::Label, "Label6", 96, 16, 70, 13, "[Print Screen]", "GroupBox3")),
      Label4(*this, Text(ControlKind::Label, "Label4", 24, 46, 65, 13, "Show window", "GroupBox3")),
      HotKey2(*this, HotKeySpec()),
      Button1(*this, Text(ControlKind::Button, "Button1", 280, 256, 75, 25, "Exit", "")),
      Button3(*this, Text(ControlKind::Button, "Button3", 200, 256, 75, 25, "About", "")),
      Timer1(application, 1, [this] { Timer1Timer(); }),
      PopupMenu1(this, application, {{"Show1", "Show"}, {"Quit1", "Quit"}}),
      TrayIcon1(this, application) {
    if (application.MainForm == nullptr) application.MainForm = this;
    OnClose = [this](vcl::TCloseAction& action) { FormClose(action); };
    AreaCombo.SetOnChange([this] { AreaComboChange(); });
    Edit1.SetOnChange([this] { Edit1Change(); });
    HotKey2.SetOnChange([this] { HotKey2Change(); });
    Button1.SetOnClick([this] { Button1Click(); });
    Button2.SetOnClick([this] { Button2Click(); });
    Button3.SetOnClick([this] { Button3Click(); });
    PopupMenu1.Items[0].OnClick = [this] { Show1Click(); };
    PopupMenu1.Items[1].OnClick = [this] { Quit1Click(); };
    LoadTrayIcon();
    FormCreate();
}

TForm52::~TForm52() { FormDestroy(); }

// The tray icon's settings take effect in this order, as a loaded
// description applies them: the icon is added at once, then modified.
void TForm52::LoadTrayIcon() {
    TrayIcon1.Name = "TrayIcon1";
    TrayIcon1.SetVisible(true);
    TrayIcon1.SetPopupMenu(&PopupMenu1);
    vcl::TIcon image(System());
    image.LoadFromResource(MainIconResource);
    TrayIcon1.SetIcon(image);
    TrayIcon1.SetHint("Tivalo");
}

void TForm52::FormCreate() {
    FShotNumber = 0;
    FAppDir = ExtractFilePath(System().ExecutableName());
    AreaCombo.SetItemIndex(0);
    RegHotkey("Hotkey1", FHotkeyId, HotKey2);
}

void TForm52::FormDestroy() {
    System().UnregisterHotKey(Handle(), FHotkeyId);
    System().GlobalDeleteAtom(static_cast<std::uint16_t>(FHotkeyId & 0xFFFF));
}

// Closing only hides the window; the program goes on capturing.
void TForm52::FormClose(vcl::TCloseAction& action) {
    action = vcl::TCloseAction::caNone;
    Hide();
}

void TForm52::Button1Click() { Close(); }

void TForm52::Button2Click() {
    std::string folder;
    BrowseForFolder(System(), "Select output folder", vcl::BIF_RETURNONLYFSDIRS, folder);
    FolderEdit.SetText(folder);
    if (!FolderEdit.Text().empty()) FolderEdit.SetText(FolderEdit.Text() + "\\");
}

void TForm52::Button3Click() { ShowAboutDialog(Application()); }

void TForm52::Show1Click() { Show(); }

void TForm52::Quit1Click() { Application().Terminate(); }

void TForm52::AreaComboChange() {
    if (AreaCombo.ItemIndex() != 1) return;
    FSelectors.push_back(std::make_unique<selector::TForm53>(Application()));
    CurrentSelector = FSelectors.back().get();
    Hide();
    CurrentSelector->Show();
}

void TForm52::Edit1Change() { FShotNumber = 0; }

SplitKey SplitShortCut(vcl::TShortCut shortCut) {
    SplitKey split;
    split.key = shortCut & ~(vcl::scShift | vcl::scCtrl | vcl::scAlt);
    if (shortCut & vcl::scShift) split.modifiers |= MOD_SHIFT;
    if (shortCut & vcl::scCtrl) split.modifiers |= MOD_CONTROL;
    if (shortCut & vcl::scAlt) split.modifiers |= MOD_ALT;
    return split;
}

// Adding a name already in the atom table gives the same atom with one more
// reference. A control holding no key registers nothing.
void TForm52::RegHotkey(const std::string& atomName, std::int32_t& hotkeyId, const vcl::THotKey& hotKey) {
    const SplitKey split = SplitShortCut(hotKey.HotKey());
    hotkeyId = System().GlobalAddAtom(atomName);
    if (split.key == 0) return;
    System().RegisterHotKey(Handle(), hotkeyId, split.modifiers, split.key);
}

// Replaces the registration with the control's combination. The reference
// the new registration adds to the atom is given back, so the atom table
// does not grow with every keystroke in the control.
void TForm52::HotKey2Change() {
    System().UnregisterHotKey(Handle(), FHotkeyId);
    const std::int32_t previous = FHotkeyId;
    RegHotkey("Hotkey1", FHotkeyId, HotKey2);
    System().GlobalDeleteAtom(static_cast<std::uint16_t>(previous & 0xFFFF));
}

void TForm52::WMHotKey(vcl::TMessage& message) {
    if (message.WParam == static_cast<std::uintptr_t>(FHotkeyId)) Show();
}

// Polls the keys 0x29 to 0x5A. A key freshly pressed while Print Screen
// counts as pressed captures once; the key is then polled again, which finds
// its pressed-since bit cleared, and the scan moves on.
void TForm52::Timer1Timer() {
    png::TPNGObject image;
    vcl::TBitmap screen(System());
    FScanKey = FirstPolledKey;
    do {
        if (System().GetAsyncKeyState(FScanKey) != FreshPress)
            ++FScanKey;
        else if (System().GetAsyncKeyState(VK_SNAPSHOT) != 0)
            Capture(image, screen);
    } while (FScanKey != EndOfScan);
}

void TForm52::Capture(png::TPNGObject& image, vcl::TBitmap& screen) {
    FShotNumber = NextShotNumber(FShotNumber);
    FillFromSource(screen);
    const std::string folder = PrepareOutputFolder();
    image.Assign(&screen);
    const std::string fileName = ShotFileName(Edit1.Text(), FShotNumber);
    const std::string path = folder + fileName;
    RefuseHiddenTarget(path, fileName);
    vcl::SaveGraphicSafely(image, System().Files(), path);
    SetCaption("Brendal, saved: " + fileName);
}

// Windows would take these names for something other than a plain file: a
// device swallows the picture, and a colon in the name stores it as a
// stream of another file, where nobody finds it.
void TForm52::RefuseHiddenTarget(const std::string& path, const std::string& fileName) {
    const char* reason = NamesDevice(path)                          ? "The name is reserved for a device."
                         : fileName.find(':') != std::string::npos ? InvalidNameText
                                                                   : nullptr;
    if (reason != nullptr)
        throw vcl::EFCreateError(
            vcl::Format("Cannot create file \"%s\". %s", {System().Files().ExpandFileName(path), reason}));
}

void TForm52::FillFromSource(vcl::TBitmap& screen) {
    switch (AreaCombo.ItemIndex()) {
        case 0: ShotScreen(screen); break;
        case 1: ShotRegion(screen); break;
        case 2: ShotWindow(screen); break;
        default: break;
    }
}

std::string TForm52::PrepareOutputFolder() {
    const std::string folder = ResolveOutputFolder(FolderEdit.Text(), FAppDir);
    System().Files().ForceDirectories(folder);
    return folder;
}

namespace {

// A canvas on a window's device context; the canvas lets go of the context
// before the context is released.
class WindowCanvas {
public:
    WindowCanvas(vcl::Platform& platform, vcl::HWND window)
        : FContext(platform.GetWindowDC(window)), FCanvas(platform) {
        FCanvas.SetHandle(FContext.get());
    }
    ~WindowCanvas() { FCanvas.SetHandle(nullptr); }
    vcl::TCanvas& Canvas() noexcept { return FCanvas; }

private:
    std::unique_ptr<vcl::WindowDC> FContext;
    vcl::TCanvas FCanvas;
};

// Sizes the bitmap to the rectangle and copies the rectangle's pixels into it.
void CopyBlock(vcl::TBitmap& screen, vcl::TCanvas& source, const vcl::TRect& rect) {
    screen.SetWidth(rect.Width());
    screen.SetHeight(rect.Height());
    screen.Canvas().CopyRect({0, 0, rect.Width(), rect.Height()}, source, rect);
}

}  // namespace

void TForm52::ShotScreen(vcl::TBitmap& screen) {
    WindowCanvas source(System(), System().GetDesktopWindow());
    const vcl::TRect primary{0, 0, System().GetSystemMetrics(vcl::SM_CXSCREEN),
                             System().GetSystemMetrics(vcl::SM_CYSCREEN)};
    CopyBlock(screen, source.Canvas(), primary);
}

// Without a foreground window, or with one of no area, there is nothing to capture.
vcl::TRect TForm52::ForegroundRect(vcl::HWND window) const {
    vcl::TRect rect;
    if (window == 0 || !System().GetWindowRect(window, rect))
        throw vcl::EInvalidOperation("There is no active window to capture");
    if (rect.Width() <= 0 || rect.Height() <= 0)
        throw vcl::EInvalidOperation("The active window has no area to capture");
    return rect;
}

void TForm52::ShotRegion(vcl::TBitmap& screen) {
    if (CurrentSelector == nullptr) throw vcl::EInvalidOperation("No region has been selected");
    selector::TForm53& selector = *CurrentSelector;
    selector.SetBorderStyle(vcl::TBorderStyle::bsNone);
    try {
        CopyRegion(screen);
    } catch (...) {
        FinishRegionCapture(selector);
        throw;
    }
    FinishRegionCapture(selector);
}

void TForm52::CopyRegion(vcl::TBitmap& screen) {
    const vcl::HWND foreground = System().GetForegroundWindow();
    WindowCanvas source(System(), 0);
    CopyBlock(screen, source.Canvas(), ForegroundRect(foreground));
}

// The selector hides and the main window comes back; the selector gets a
// frame again while nobody sees it.
void TForm52::FinishRegionCapture(selector::TForm53& selector) {
    selector.Close();
    Show();
    selector.SetBorderStyle(vcl::TBorderStyle::bsSizeToolWin);
}

void TForm52::ShotWindow(vcl::TBitmap& screen) {
    const vcl::HWND target = System().GetForegroundWindow();
    const vcl::TRect rect = ForegroundRect(target);
    TForm54 backdrop(Application());
    const int left = rect.Left - BackdropLeft;
    const int top = rect.Top - BackdropTop;
    backdrop.SetBoundsRect({left, top, left + rect.Width() + BackdropGrowth, top + rect.Height() + BackdropGrowth});
    backdrop.Show();
    System().ShowWindow(target, vcl::SW_SHOWNOACTIVATE);
    System().BringWindowToTop(target);
    // Taken once the windows are in place: on some systems a screen context
    // taken earlier does not see what was painted since.
    WindowCanvas source(System(), System().GetDesktopWindow());
    CopyBlock(screen, source.Canvas(), rect);
}

}  // namespace app
