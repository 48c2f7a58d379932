#include "zcl/graphics/Zclnwgui.h"

#include "zcl/graphics/Zclutilsdraw.h"

void ZCLBitmap2Icon(TBitmap* Bitmap, HICON& Icon, int Width, int Height)
{
    Icon = nullptr;
    if (!Bitmap || Width < 1 || Height < 1) return;
    Bitmap->SetSize(Width, Height);
    // The mask is white where the icon shows what lies behind it; the colour image must be black there, or the
    // icon inverts the background instead of showing it.
    TBitmap mask, image;
    image.SetPixelFormat(pf24bit);
    ZCLBmpCreateMasks(Bitmap, &mask, &image, Bitmap->TransparentColor());
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask.Handle();
    info.hbmColor = image.Handle();
    Icon = CreateIconIndirect(&info);
}
