#include "app/Unit54.h"

namespace app {
namespace {

vcl::FormDescription Form54Description() {
    vcl::FormDescription d;
    d.caption = "Form54";
    d.clientWidth = 463;
    d.clientHeight = 240;
    d.borderStyle = vcl::TBorderStyle::bsNone;
    d.color = vcl::clWhite;
    return d;
}

}  // namespace

TForm54::TForm54(vcl::TApplication& application) : TForm(application, Form54Description()) {}

}  // namespace app
