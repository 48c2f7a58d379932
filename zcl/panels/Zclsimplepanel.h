#pragma once
// The bevel panel as placed on forms.

#include "zcl/panels/Zclcustombevelpanel.h"

class TZCLSimplePanel : public TZCLCustomBevelPanel {
public:
    explicit TZCLSimplePanel(TComponent* AOwner) : TZCLCustomBevelPanel(AOwner) {}
};
