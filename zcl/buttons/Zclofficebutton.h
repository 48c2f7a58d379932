#pragma once
// Office buttons: flat speed buttons that show the mouse over them.

#include "zcl/buttons/Zclspeedbutton.h"

class TZCLOfficeButton : public TZCLCustomSpeedButton {
public:
    // ubsFlat, mouse-over tracking on, the hit test off, 23 x 22.
    explicit TZCLOfficeButton(TComponent* AOwner);

protected:
    // Besides the up and mouse-over states, the mouse over a pressed button shows only in the flat looks.
    void MouseOverChanged() override;
};
