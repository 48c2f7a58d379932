#include "zcl/graphics/Zclgraph.h"

int ZCLConvertFocusStyle(TZCLGlyphTextFocusStyle Style)
{
    switch (Style) {
    case fcText: return 64;
    case fcGlyph: return 128;
    case fcGlyphText: return 256;
    default: return 0;
    }
}
