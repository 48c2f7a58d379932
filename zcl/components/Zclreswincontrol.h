#pragma once
// A windowed control whose window can be let go and made again on demand.

#include "framework/visual/Controls.h"

class TZCLResWinControl : public TWinControl {
public:
    explicit TZCLResWinControl(TComponent* AOwner) : TWinControl(AOwner) {}

    // Makes the window now; a control that should be showing is shown again.
    void CreateHandle() override;
    // Destroys the window (and its children's); it is made again when next needed.
    void FreeResources() { DestroyHandle(); }
};
