#include "zcl/core/Zclcomponent.h"

TZCLComponent::TZCLComponent(TComponent* AOwner) : TZCLCustomComponent(AOwner) {}
