#pragma once
// The drop shadow of shapes as an option object.

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"

class TZCLShadow : public TZCLObject {
public:
    TZCLShadow() = default;
    // From another shadow: colour, depth and style, then one change.
    void Assign(TPersistent* Source) override;
    // "{Disabled}", or "{solid, 6}" and "{tracing, 6}" with the depth.
    AnsiString GetSetStr() const override;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    // 0..40; other values are held to the range.
    TZCLShadowDepth Depth() const { return depth_; }
    void SetDepth(TZCLShadowDepth Value);
    TZCLShadowStyle Style() const { return style_; }
    void SetStyle(TZCLShadowStyle Value);

private:
    TColor color_ = clBtnShadow;
    TZCLShadowDepth depth_ = 6;
    TZCLShadowStyle style_ = hssSolid;
};
