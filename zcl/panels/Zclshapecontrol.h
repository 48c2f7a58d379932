#pragma once
// The shape control as forms place it: the shape with its mode, caption clipping, image list and outline
// settings published.

#include "zcl/panels/Zclbaseshape.h"

class TZCLShapeControl : public TZCLBaseShape {
public:
    explicit TZCLShapeControl(TComponent* AOwner);
};
