// The white backdrop placed behind a window while it is captured.
#pragma once

#include "platform/vcl/forms.h"

namespace app {

class TForm54 : public vcl::TForm {
public:
    explicit TForm54(vcl::TApplication& application);
};

}  // namespace app
