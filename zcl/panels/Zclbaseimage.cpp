#include "zcl/panels/Zclbaseimage.h"

#include "zcl/graphics/Zclutilsbmp.h"

TZCLBaseImage::TZCLBaseImage(TComponent* AOwner) : TZCLGraphicControl(AOwner)
{
    TControlStyle style = ControlStyle();
    style.Include(csReplicatable);
    SetControlStyle(style);
}

void TZCLBaseImage::SetQuickDraw(bool Value)
{
    if (Value == quickDraw_) return;
    quickDraw_ = Value;
    InvalidateControl();
}

void TZCLBaseImage::SetStyle(TZCLBitmapStyle Value)
{
    if (Value == style_) return;
    style_ = Value;
    if (!Loading()) CorrectBounds();
    InvalidateControl();
}

std::uint16_t TZCLBaseImage::AddStyleFlags(std::uint16_t Flags) const
{
    // clang-format off
    static constexpr std::uint16_t StyleFlags[] = {
        ZCLBmpClip,                                          // sbNone
        ZCLBmpClip,                                          // sbAutosize
        ZCLBmpCenter | ZCLBmpClip,                           // sbCenter
        ZCLBmpStretch,                                       // sbStretch
        ZCLBmpTile | ZCLBmpClip,                             // sbTile
        ZCLBmpStretch | ZCLBmpKeepHeight | ZCLBmpKeepWidth,  // sbKeepAspRatio
        ZCLBmpStretch | ZCLBmpKeepHeight | ZCLBmpClip,       // sbKeepWidth
        ZCLBmpStretch | ZCLBmpKeepWidth | ZCLBmpClip,        // sbKeepHeight
    };
    // clang-format on
    std::uint16_t flags = std::uint16_t(Flags | StyleFlags[std::size_t(style_) % 8]);
    if (BevelExt() == 0) flags ^= ZCLBmpClip;
    return flags;
}

bool TZCLBaseImage::CorrectBounds() { return false; }
