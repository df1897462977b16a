// The About dialog: name and version, the usage notice, rights and credits,
// and a link to the product's web page.
#pragma once

#include "platform/vcl/controls.h"

namespace app {

// The product's web page, as the link shows it: host and path, no scheme.
inline constexpr const char* ProductAddress = "www.tivalo.example/";

class TAboutDlg : public vcl::TForm {
public:
    explicit TAboutDlg(vcl::TApplication& application);

    vcl::TPanel Panel2;
    vcl::TImage Image1;
    vcl::TLabel Label6;
    vcl::TLabel Label5;
    vcl::TLabel Label4;
    vcl::TLabel Label3;
    vcl::TLabel Label1;
    vcl::TButton Button4;

    void Button4Click();
    void Label5Click();
};

// Shows a new About dialog modally and frees it when it closes.
void ShowAboutDialog(vcl::TApplication& application);

}  // namespace app
