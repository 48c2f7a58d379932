#pragma once
// A form background painted from an image-list item tiled over the whole client area (or by OnPaint).

#include "zcl/components/Zclcustomformfill.h"

class TZCLBack : public TZCLCustomFormFill {
public:
    explicit TZCLBack(TComponent* AOwner);

protected:
    bool PaintClientArea(HDC DC) override;
};
