#pragma once
// The picture control as forms place it, with its bitmap and its link to another picture control published.

#include "zcl/panels/Zclcustomnimage.h"

class TZCLNImage : public TZCLCustomNImage {
public:
    explicit TZCLNImage(TComponent* AOwner);
};
