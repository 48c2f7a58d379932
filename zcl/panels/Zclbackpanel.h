#pragma once
// The panel with a background picture from an image list, as placed on forms.

#include "zcl/panels/Zclcustomparentpanel.h"

class TZCLBackPanel : public TZCLCustomParentPanel {
public:
    // Made where its published properties are registered, so that they come with every program that makes one.
    explicit TZCLBackPanel(TComponent* AOwner);
};
