#pragma once
// Shared by the control sources only.

#include "framework/visual/Controls.h"

namespace detail {

// The window procedure saw the mouse move over this control: the mouse control changes to it, with the enter
// and leave messages that follow from that.
void MouseMovedOver(TControl* control);

}  // namespace detail
