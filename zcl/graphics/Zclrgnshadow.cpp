#include "zcl/graphics/Zclrgnshadow.h"

#include "framework/runtime/Filer.h"

namespace {

// Style again: a region's shadow starts off, so its stored default differs from the plain shadow's.
const bool rgnShadowPublished = [] {
    PublishedProperties<TZCLRgnShadow>().Enumeration("Style", &TZCLRgnShadow::Style, &TZCLRgnShadow::SetStyle,
                                                     {"hssNone", "hssSolid", "hssTracing"}, hssNone);
    return true;
}();

}  // namespace

TZCLRgnShadow::TZCLRgnShadow() { SetStyle(hssNone); }
