#pragma once
// The non-visual component base that the library's components derive from; it adds nothing to its parent.

#include "zcl/core/Zclcustomcomponent.h"

class TZCLComponent : public TZCLCustomComponent {
public:
    explicit TZCLComponent(TComponent* AOwner);
};
