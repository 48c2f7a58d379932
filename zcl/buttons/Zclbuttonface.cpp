#include "zcl/buttons/Zclbuttonface.h"

#include <algorithm>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Menus.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclglyph.h"
#include "zcl/graphics/Zcllayout.h"
#include "zcl/graphics/Zclutilsdraw.h"

TZCLDrawTextStyles ZCLButtonTextStyles(bool Enabled)
{
    return Enabled ? TZCLDrawTextStyles{dtEnabled} : TZCLDrawTextStyles{dtDisabled, dt3DDisabled};
}

void ZCLDrawButtonGlyphAndText(TCanvas* Canvas, TZCLGlyph* Glyph, TFont* Font, const AnsiString& Caption,
                               TZCLFxCaption* FontFX, const TRect& R, TZCLButtonState State, TZCLButtonLayout* Layout,
                               bool Enabled, bool MultiLine, TColor TextColor)
{
    if (!Canvas || !Glyph) return;
    Canvas->SetFont(Font);
    if (TextColor != clNone) Canvas->Font()->SetColor(TextColor);
    Canvas->Brush()->SetStyle(bsClear);
    Glyph->DrawButtonGlyphAndText(Canvas, Caption, FontFX, R, State, Layout, ZCLButtonTextStyles(Enabled),
                                  MultiLine ? 1 : 0, 0);
}

bool ZCLGlyphFromImageList(TZCLGlyph* Glyph, TZCLCustomImageList* List, int ListIndex, int ImageIndex)
{
    if (!Glyph || !List || !List->IsValidItem(ListIndex, ImageIndex)) return false;
    TBitmap image;
    List->GetBitmapItem(ListIndex, ImageIndex, &image);
    image.SetTransparentColor(List->TransparentColor(ListIndex, ImageIndex));
    Glyph->SetGlyph(&image);
    return true;
}

void TZCLTurnedCaptionFont::FontFXChanged(TFont* Font, TZCLFxCaption* FontFX)
{
    if (adjusting_ || FontFX->Angle() == 0 || ZCLIsTrueTypeFont(Font)) return;
    adjusting_ = true;
    try {
        Font->SetName("Arial");
    } catch (...) {
        adjusting_ = false;
        throw;
    }
    adjusting_ = false;
}

void TZCLTurnedCaptionFont::FontChanged(TFont* Font, TZCLFxCaption* FontFX)
{
    if (adjusting_ || FontFX->Angle() == 0 || ZCLIsTrueTypeFont(Font)) return;
    adjusting_ = true;
    try {
        FontFX->SetAngle(0);
    } catch (...) {
        adjusting_ = false;
        throw;
    }
    adjusting_ = false;
}

std::uint16_t ZCLAddButtonTimer(std::uint16_t Interval, TNotifyEvent Handler)
{
    const std::uint16_t id = ZCLApplication->AddTimer(ZCLPoolInterval(std::max<unsigned>(Interval, 1)), Handler);
    if (!id) throw EOutOfResources("Not enough timers available");
    return id;
}

bool ZCLPrimaryButtonDown()
{
    const int key = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    return (GetAsyncKeyState(key) & 0x8000) != 0;
}

void ZCLPopupDropDown(TPopupMenu* Menu, TControl* Button, bool Right, int Indent)
{
    if (!Menu || !Button) return;
    const TPoint at = Right ? Button->ClientToScreen(TPoint(Button->Width(), Indent))
                            : Button->ClientToScreen(TPoint(Indent, Button->Height()));
    Menu->SetPopupComponent(Button);
    Menu->Popup(at.x, at.y);
}

void ZCLEndDropDownMouse(HWND Window)
{
    MSG msg;
    while (PeekMessageA(&msg, Window, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
    if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
}
