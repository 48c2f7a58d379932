#pragma once
// The bevel panel as placed on forms.

#include "zcl/panels/Zclcustombevelpanel.h"

class TZCLSimplePanel : public TZCLCustomBevelPanel {
public:
    // Made where its published properties are registered, so that they come with every program that makes one.
    explicit TZCLSimplePanel(TComponent* AOwner);
};
