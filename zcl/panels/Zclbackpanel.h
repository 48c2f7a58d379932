#pragma once
// The panel with a background picture from an image list, as placed on forms.

#include "zcl/panels/Zclcustomparentpanel.h"

class TZCLBackPanel : public TZCLCustomParentPanel {
public:
    explicit TZCLBackPanel(TComponent* AOwner) : TZCLCustomParentPanel(AOwner) {}
};
