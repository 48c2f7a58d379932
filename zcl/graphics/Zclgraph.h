#pragma once
// Graphics-side companion of the shared enumerations.

#include "zcl/core/Zclbase.h"

// The extra drawing flag for a focus style: fcText 64, fcGlyph 128, fcGlyphText 256, others 0.
int ZCLConvertFocusStyle(TZCLGlyphTextFocusStyle Style);
