#include "zcl/components/Zclreswincontrol.h"

void TZCLResWinControl::CreateHandle()
{
    TWinControl::CreateHandle();
    // A window made again after FreeResources comes up hidden; it takes the control's showing state back.
    if (!Showing()) UpdateShowing();
}
