#include "app/About.h"

#include "app/resources/resource_ids.h"

namespace app {
namespace {

using vcl::ControlKind;
using vcl::ControlSpec;
using vcl::DescribeControl;

constexpr const char* UsageNotice =
    "Tivalo is free for private and commercial use. It comes without any warranty; "
    "the authors accept no liability for any damage or loss arising from its use.\r\n\r\n"
    "Renting, leasing or reverse engineering the program is not permitted.\r\n\r\n"
    "You may pass the program on to third parties.";

vcl::FormDescription AboutDescription() {
    vcl::FormDescription d;
    d.caption = "About";
    d.clientWidth = 401;
    d.clientHeight = 380;
    d.borderStyle = vcl::TBorderStyle::bsDialog;
    d.minimizeBox = false;
    d.formStyle = vcl::TFormStyle::fsStayOnTop;
    d.position = vcl::TPosition::poScreenCenter;
    d.color = vcl::clBtnFace;
    return d;
}

ControlSpec WhiteStrip() {
    ControlSpec spec = DescribeControl(ControlKind::Panel, "Panel2", 0, 0, 97, 380, "");
    spec.color = vcl::clWhite;
    return spec;
}

ControlSpec IconPicture() {
    ControlSpec spec = DescribeControl(ControlKind::Image, "Image1", 16, 16, 64, 64, "", "Panel2");
    spec.iconResource = AboutIconResource;
    return spec;
}

ControlSpec Notice() {
    ControlSpec spec = DescribeControl(ControlKind::Label, "Label6", 112, 96, 273, 201, UsageNotice);
    spec.wordWrap = true;
    return spec;
}

ControlSpec Link() {
    ControlSpec spec = DescribeControl(ControlKind::Label, "Label5", 104, 352, 289, 14, ProductAddress);
    spec.centered = true;
    spec.cursor = vcl::crHandPoint;
    spec.font = {"Tahoma", -12};
    return spec;
}

ControlSpec TextLine(const char* name, int top, const char* text) {
    ControlSpec spec = DescribeControl(ControlKind::Label, name, 112, top, 0, 0, text);
    spec.autoSize = true;
    return spec;
}

ControlSpec Title() {
    ControlSpec spec = TextLine("Label1", 16, "Tivalo 1.0");
    spec.font = {"Tahoma", -13};
    return spec;
}

}  // namespace

TAboutDlg::TAboutDlg(vcl::TApplication& application)
    : TForm(application, AboutDescription()),
      Panel2(*this, WhiteStrip()),
      Image1(*this, IconPicture()),
      Label6(*this, Notice()),
      Label5(*this, Link()),
      Label4(*this, TextLine("Label4", 68, "Written by the Tivalo team.")),
      Label3(*this, TextLine("Label3", 48, "Copyright \xC2\xA9 2026 The Tivalo developers")),
      Label1(*this, Title()),
      Button4(*this, DescribeControl(ControlKind::Button, "Button4", 8, 344, 75, 25, "OK")) {
    Name = "AboutDlg";
    Button4.SetOnClick([this] { Button4Click(); });
    Label5.SetOnClick([this] { Label5Click(); });
}

void TAboutDlg::Button4Click() { Close(); }

// The shell hands the address to the default browser; its answer is not needed.
void TAboutDlg::Label5Click() {
    System().ShellExecute(Handle(), "open", "http://" + Label5.Caption(), "", "", vcl::SW_SHOW);
}

void ShowAboutDialog(vcl::TApplication& application) {
    TAboutDlg dialog(application);
    dialog.ShowModal();
}

}  // namespace app
