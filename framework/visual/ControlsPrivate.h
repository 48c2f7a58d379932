#pragma once
// Shared by the control sources only.

#include "framework/visual/Controls.h"

namespace detail {

// The window procedure saw the mouse move over this control: the mouse control changes to it, with the enter
// and leave messages that follow from that.
void MouseMovedOver(TControl* control);

// Hints (Hints.cpp): the control under the pointer changed (null: none of ours); a control is being freed.
void HintMouseControlChanged(TControl* control);
void HintControlGone(TControl* control);

}  // namespace detail
