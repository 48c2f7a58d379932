#include "zcl/core/Zclcustomcomponent.h"

void TZCLCustomComponent::GetChange(TObject*) { Change(); }

void TZCLCustomComponent::Change()
{
    if (!updating_ && onChange_) onChange_(this);
}

void TZCLCustomComponent::EndUpdate(bool DoChange)
{
    updating_ = false;
    if (DoChange) Change();
}
