#pragma once
// The drop shadow of a region: a shadow that is off until a style is chosen.

#include "zcl/graphics/Zclshadow.h"

class TZCLRgnShadow : public TZCLShadow {
public:
    // Style hssNone; colour and depth as any shadow's.
    TZCLRgnShadow();
};
