#include "app/Unit54.h"

namespace app {
namespace {

constexpr vcl::TColor clWhite = 0xFFFFFF;

vcl::FormDescription Form54Description() {
    vcl::FormDescription d;
    d.caption = "Form54";
    d.clientWidth = 463;
    d.clientHeight = 240;
    d.borderStyle = vcl::TBorderStyle::bsNone;
    d.color = clWhite;
    return d;
}

}  // namespace

TForm54::TForm54(vcl::TApplication& application) : TForm(application, Form54Description()) {}

}  // namespace app
