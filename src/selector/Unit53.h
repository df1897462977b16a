// The region selector: a translucent grey rectangle, always on top, that the
// user moves by its interior and resizes by its edge bands.
#pragma once

#include "platform/vcl/controls.h"

namespace selector {

class TForm53 : public vcl::TForm {
public:
    explicit TForm53(vcl::TApplication& application);

    vcl::TShape Shape1;  // fills the client area; its mouse events are the form's

    void FormCreate();
    void Shape1MouseMove(vcl::TPoint point);
    void Shape1MouseDown(vcl::TMouseButton button);
    void FormClose(vcl::TCloseAction& action);

    // The system command a press starts, from the zone the mouse was last seen in.
    std::uint32_t PressCommand() const;

    bool FAtLeftEdge = false;
    bool FAtRightEdge = false;
    bool FAtTopEdge = false;
    bool FAtBottomEdge = false;
    bool FAtBottomRightCorner = false;
};

}  // namespace selector
