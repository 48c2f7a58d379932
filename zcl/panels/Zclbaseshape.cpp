#include "zcl/panels/Zclbaseshape.h"

#include <algorithm>

#include "zcl/components/ZclcontrolPrivate.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

bool FillMode(TZCLShapeControlMode Mode) { return Mode == scmShapeFill || Mode == scmTeethFill; }
bool TeethMode(TZCLShapeControlMode Mode) { return Mode == scmTeethFast || Mode == scmTeethFill; }

}  // namespace

TZCLBaseShape::TZCLBaseShape(TComponent* AOwner)
    : TZCLBaseGraphicControl(AOwner), bevel_(std::make_unique<TZCLSimpleBevel>()), brush_(std::make_unique<TBrush>()),
      caption_(std::make_unique<TZCLCaption>()), pointList_(std::make_unique<TZCLPointList>()),
      shadow_(std::make_unique<TZCLShadow>()), teeth_(std::make_unique<TZCLTeeth>()),
      shapeFill_(std::make_unique<TZCLShapeFill>())
{
    caption_->SetAlignment(agCenter);
    const TNotifyEvent change(this, &TZCLBaseShape::GetChange);
    bevel_->SetOnChange(change);
    brush_->SetOnChange(change);
    caption_->SetOnChange(change);
    shadow_->SetOnChange(change);
    teeth_->SetOnChange(change);
    shapeFill_->SetOnChange(change);
    SetColor(clWindow);
    SetParentColor(true);
    SetParentFont(true);
}

TZCLBaseShape::~TZCLBaseShape()
{
    for (TZCLObject* o : std::initializer_list<TZCLObject*>{bevel_.get(), caption_.get(), shadow_.get(), teeth_.get(),
                                                            shapeFill_.get()})
        o->SetOnChange(TNotifyEvent());
    brush_->SetOnChange(TNotifyEvent());
}

void TZCLBaseShape::SetBrushBackColor(TColor Value) { Store(brushBackColor_, Value); }
void TZCLBaseShape::SetCaptionClip(bool Value) { Store(captionClip_, Value); }
void TZCLBaseShape::SetRoundPercent(TZCLPercent Value)
{
    Store(roundPercent_, std::clamp(Value, TZCLPercentRange::Low, TZCLPercentRange::High));
}
void TZCLBaseShape::SetShape(TZCLShapeType Value) { Store(shape_, Value); }
void TZCLBaseShape::SetSquare(bool Value) { Store(square_, Value); }

void TZCLBaseShape::SetMode(TZCLShapeControlMode Value)
{
    if (Value == mode_) return;
    mode_ = Value;
    SelectTeeth();
    GetChange(this);
}

void TZCLBaseShape::SelectTeeth() { activeTeeth_ = TeethMode(mode_) ? teeth_.get() : nullptr; }

void TZCLBaseShape::CalcShape()
{
    SelectTeeth();
    ZCLShapeCalc(ClientRect(), shape_, activeTeeth_, square_, brush_.get(), std::uint8_t(roundPercent_), bevel_.get(),
                 shadow_.get(), pointList_.get());
    recalc_ = false;
}

void TZCLBaseShape::GetShapeChange()
{
    offscreen_.reset();
    if (FillMode(mode_)) offscreen_ = std::make_unique<TBitmap>();
}

void TZCLBaseShape::GetChange(TObject* Sender)
{
    SelectTeeth();
    if (Sender != caption_.get()) {
        // Forms set many properties while they load: the outline is worked out once, when first painted.
        if (Loading()) recalc_ = true;
        else CalcShape();
    }
    GetShapeChange();
    TZCLBaseGraphicControl::GetChange(Sender);
}

void TZCLBaseShape::GetIMLChange(TObject* Sender)
{
    if (!IMLEmpty()) ImageList()->GetBitmapItem(ListIndex(), ImageIndex(), shapeFill_->ListBitmap());
    else shapeFill_->SetListBitmap(nullptr);
    TZCLBaseGraphicControl::GetIMLChange(Sender);
}

HPALETTE TZCLBaseShape::GetPalette() { return FillMode(mode_) ? shapeFill_->GetPalette() : nullptr; }

void TZCLBaseShape::BoundsChange(TZCLBoundsChangeStates States)
{
    if (States != TZCLBoundsChangeStates{bcPos}) recalc_ = true;
    TZCLBaseGraphicControl::BoundsChange(States);
}

void TZCLBaseShape::Loaded()
{
    TZCLBaseGraphicControl::Loaded();
    recalc_ = true;
}

void TZCLBaseShape::Notification(TComponent* AComponent, TOperation Operation)
{
    const bool list = Operation == opRemove && AComponent && AComponent == ImageList();
    TZCLBaseGraphicControl::Notification(AComponent, Operation);
    if (list && !ImageList() && !ComponentState().Contains(csDestroying)) GetIMLChange(nullptr);
}

void TZCLBaseShape::Dispatch(TMessage& Message)
{
    // The face bitmap holds the colour and, with CaptionClip, the caption as it was drawn.
    if (Message.Msg == CM_COLORCHANGED || Message.Msg == CM_ENABLEDCHANGED) GetShapeChange();
    TZCLBaseGraphicControl::Dispatch(Message);
}

void TZCLBaseShape::Paint()
{
    if (!Loading()) PaintToCanvas(Canvas());
}

TRect TZCLBaseShape::TeethlessRect(const TRect& R) const
{
    TRect r = R;
    if (!activeTeeth_) return r;
    switch (activeTeeth_->Direction()) {
    case tdRight: r.right -= activeTeeth_->Width(); break;
    case tdDown: r.bottom -= activeTeeth_->Height(); break;
    case tdLeft: r.left += activeTeeth_->Width(); break;
    case tdUp: r.top += activeTeeth_->Height(); break;
    }
    return r;
}

void TZCLBaseShape::DrawShape(TCanvas* Canvas, TBitmap* FillBitmap)
{
    // Color is the mask colour: face pixels of that colour show what lies under the shape.
    ZCLShapeDraw(ClientRect(), Canvas, shape_, activeTeeth_, pointList_.get(), square_, brush_.get(),
                 std::uint8_t(roundPercent_), bevel_.get(), shadow_.get(), FillBitmap, Color(), brushBackColor_);
}

void TZCLBaseShape::OffscreenPaint()
{
    const TRect r = ClientRect();
    offscreen_->SetPixelFormat(pf24bit);
    offscreen_->SetSize(r.Width(), r.Height());
    TCanvas* canvas = offscreen_->Canvas();
    switch (shapeFill_->Style()) {
    case sfNone:
        // No face: the shape is drawn hollow (the mask colour everywhere).
        ZCLFillSolid(canvas, r, Color());
        break;
    case sfBrushBitmap:
        canvas->Brush()->Assign(brush_.get());
        SetBkColor(canvas->Handle(), COLORREF(ColorToRGB(brushBackColor_)));
        SetBkMode(canvas->Handle(), OPAQUE);
        canvas->FillRect(r);
        break;
    case sfBrush: DrawShape(canvas, nullptr); break;
    case sfBitmap:
    case sfBitmapList: {
        ZCLFillSolid(canvas, r, Color());
        TBitmap* bitmap = shapeFill_->GetBitmap();
        if (bitmap && !bitmap->Empty()) ZCLBmpDraw(canvas, r, bitmap, Color(), ZCLTileMode2DSF(shapeFill_->TileMode()));
        break;
    }
    case sfGradient: {
        TRect g;
        GetGradientRect(g);
        shapeFill_->Gradient()->PaintGradient(canvas, g);
        break;
    }
    }
    if (captionClip_) DrawCaption(canvas, TeethlessRect(r));
}

void TZCLBaseShape::PaintToCanvas(TCanvas* Canvas)
{
    if (!Canvas) return;
    if (recalc_) {
        CalcShape();
        GetShapeChange();
    }
    const TRect client = ClientRect();
    if (client.IsEmpty()) return;
    if (!FillMode(mode_)) {
        if (!Transparent()) ZCLFillSolid(Canvas, client, Color());
        offscreen_.reset();
        DrawShape(Canvas, nullptr);
        // Off the teeth as in the fill modes, so that text never lies in the cuts between them.
        DrawCaption(Canvas, TeethlessRect(client));
        return;
    }
    if (!offscreen_) offscreen_ = std::make_unique<TBitmap>();
    if (offscreen_->Empty()) OffscreenPaint();
    const TZCLFillStyle style = shapeFill_->Style();
    if (style == sfNone || style == sfBrushBitmap) {
        if (!Transparent()) ZCLFillSolid(Canvas, client, Color());
        DrawShape(Canvas, offscreen_.get());
    } else {
        // Drawn in a bitmap of Color first and put on the canvas with Color transparent, so that a gradient's
        // palette is realised on a DC of its own.
        TBitmap work;
        work.SetPixelFormat(pf24bit);
        ZCLBmpCreateFromRect(&work, client, Color());
        if (!Transparent()) ZCLFillSolid(Canvas, client, Color());
        if (style == sfGradient) shapeFill_->Gradient()->SetRealPalette(work.Canvas());
        DrawShape(work.Canvas(), offscreen_.get());
        ZCLBmpDraw(Canvas, client, &work, Color(), ZCLBmpTransparent);
    }
    if (!captionClip_) DrawCaption(Canvas, TeethlessRect(client));
}

void TZCLBaseShape::DrawCaption(TCanvas* Canvas, const TRect& R)
{
    const int bw = bevel_->Width();
    TRect r(R.left + bw, R.top + bw, R.right - bw, R.bottom - bw);
    if (shadow_->Style() != hssNone) {
        r.right -= shadow_->Depth();
        r.bottom -= shadow_->Depth();
    }
    AnsiString text;
    GetLabelText(text);
    caption_->DrawCaption(Canvas, text, r, Enabled() ? TZCLDrawTextStyles{dtEnabled} : TZCLDrawTextStyles{dtDisabled},
                          Color(), 0);
}

void TZCLBaseShape::GetGradientRect(TRect& R) { R = ClientRect(); }

void TZCLBaseShape::GetLabelText(AnsiString& Text) { Text = caption_->Caption(); }

void TZCLBaseShape::SaveToFile(const AnsiString& FileName)
{
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(Width(), Height());
    PaintToCanvas(bitmap.Canvas());
    bitmap.SaveToFile(FileName);
}
