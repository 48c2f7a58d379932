#pragma once
// A bevel panel that labels on it know as a status bar: they start their text past its control gap.

#include "zcl/panels/Zclcustombevelpanel.h"

class TZCLCustomStatusBar : public TZCLCustomBevelPanel {
public:
    explicit TZCLCustomStatusBar(TComponent* AOwner) : TZCLCustomBevelPanel(AOwner) {}

    // How far labels on the bar move their left edge; none here.
    virtual int GetControlGap() { return 0; }
};
