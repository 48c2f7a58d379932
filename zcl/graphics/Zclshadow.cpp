#include "zcl/graphics/Zclshadow.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"

namespace {

const bool shadowPublished = [] {
    PublishedProperties<TZCLShadow>()
        .Integer("Color", &TZCLShadow::Color, &TZCLShadow::SetColor, int(clBtnShadow))
        .Integer("Depth", &TZCLShadow::Depth, &TZCLShadow::SetDepth, 6)
        .Enumeration("Style", &TZCLShadow::Style, &TZCLShadow::SetStyle, {"hssNone", "hssSolid", "hssTracing"},
                     hssSolid);
    return true;
}();

}  // namespace

void TZCLShadow::SetColor(TColor Value) { SetField(color_, Value); }

void TZCLShadow::SetDepth(TZCLShadowDepth Value)
{
    SetField(depth_, std::clamp(Value, TZCLShadowDepthRange::Low, TZCLShadowDepthRange::High));
}

void TZCLShadow::SetStyle(TZCLShadowStyle Value) { SetField(style_, Value); }

void TZCLShadow::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLShadow*>(Source)) {
        color_ = s->color_;
        depth_ = s->depth_;
        style_ = s->style_;
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

AnsiString TZCLShadow::GetSetStr() const
{
    if (style_ == hssNone) return "{Disabled}";
    return AnsiString("{") + (style_ == hssSolid ? "solid" : "tracing") + ", " + IntToStr(depth_) + "}";
}
