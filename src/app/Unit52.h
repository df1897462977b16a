// The main window: the capture settings, the key watch that captures on every
// Print Screen press, and the three capture sources.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/controls.h"
#include "platform/vcl/menus.h"
#include "png/pngimage.h"
#include "selector/Unit53.h"
#include "tray/SysTray.h"

namespace app {

inline constexpr int VK_SNAPSHOT = 0x2C;

// A shortcut's key code and RegisterHotKey's modifier flags.
struct SplitKey {
    std::uint16_t key = 0;
    std::uint32_t modifiers = 0;
};
inline constexpr std::uint32_t MOD_ALT = 1;
inline constexpr std::uint32_t MOD_CONTROL = 2;
inline constexpr std::uint32_t MOD_SHIFT = 4;
SplitKey SplitShortCut(vcl::TShortCut shortCut);

class TForm52 : public vcl::TForm {
public:
    explicit TForm52(vcl::TApplication& application);
    ~TForm52() override;

    vcl::TGroupBox GroupBox1;
    vcl::TLabel Label5;
    vcl::TComboBox AreaCombo;
    vcl::TGroupBox GroupBox2;
    vcl::TLabel Label1;
    vcl::TLabel Label2;
    vcl::TEdit Edit1;
    vcl::TEdit FolderEdit;
    vcl::TButton Button2;
    vcl::TGroupBox GroupBox3;
    vcl::TLabel Label3;
    vcl::TLabel Label6;
    vcl::TLabel Label4;
    vcl::THotKey HotKey2;
    vcl::TButton Button1;
    vcl::TButton Button3;
    vcl::TTimer Timer1;
    vcl::TPopupMenu PopupMenu1;  // the tray icon's menu: "Show", "Quit"
    tray::TSysTray TrayIcon1;

    void FormCreate();
    void FormClose(vcl::TCloseAction& action);
    void FormDestroy();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Show1Click();
    void Quit1Click();
    void AreaComboChange();
    void Edit1Change();
    void HotKey2Change();
    void Timer1Timer();
    void RegHotkey(const std::string& atomName, std::int32_t& hotkeyId, const vcl::THotKey& hotKey);

    void ShotScreen(vcl::TBitmap& screen);
    void ShotRegion(vcl::TBitmap& screen);
    void ShotWindow(vcl::TBitmap& screen);

    // The newest region selector; null until "Selected Region" is first picked.
    selector::TForm53* CurrentSelector = nullptr;

    std::int32_t ShotNumber() const noexcept { return FShotNumber; }
    const std::string& AppDir() const noexcept { return FAppDir; }
    std::int32_t HotkeyId() const noexcept { return FHotkeyId; }

protected:
    void WMHotKey(vcl::TMessage& message) override;

private:
    void LoadTrayIcon();
    void Capture(png::TPNGObject& image, vcl::TBitmap& screen);
    void FillFromSource(vcl::TBitmap& screen);
    std::string PrepareOutputFolder();
    void RefuseHiddenTarget(const std::string& path, const std::string& fileName);
    void CopyRegion(vcl::TBitmap& screen);
    void FinishRegionCapture(selector::TForm53& selector);
    vcl::TRect ForegroundRect(vcl::HWND window) const;

    std::uint8_t FScanKey = 0;
    std::string FAppDir;
    std::int32_t FShotNumber = 0;
    std::int32_t FHotkeyId = 0;
    // Selectors have no owner component: they live as long as the program.
    std::vector<std::unique_ptr<selector::TForm53>> FSelectors;
};

}  // namespace app
