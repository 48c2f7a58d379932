#include "zcl/graphics/Zclcaption.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/graphics/Zclutilsdraw.h"
#include "zcl/graphics/ZclutilsdrawPrivate.h"

namespace {

// Published in this order; defaults are what the constructors set.
const bool captionsPublished = [] {
    PublishedProperties<TZCL3DCaption>()
        .Enumeration("DisabledStyle", &TZCL3DCaption::DisabledStyle, &TZCL3DCaption::SetDisabledStyle,
                     {"dsAuto", "dsStandard", "ds3d", "dsNone"}, dsAuto)
        .Integer("LightColor", &TZCL3DCaption::LightColor, &TZCL3DCaption::SetLightColor, int(clBtnHighlight))
        .Integer("LightDepth", &TZCL3DCaption::LightDepth, &TZCL3DCaption::SetLightDepth, 1)
        .Enumeration("Orientation", &TZCL3DCaption::Orientation, &TZCL3DCaption::SetOrientation,
                     {"toBottomLeft", "toBottomRight", "toTopLeft", "toTopRight"}, toTopLeft)
        .Integer("ShadowColor", &TZCL3DCaption::ShadowColor, &TZCL3DCaption::SetShadowColor, int(clBtnShadow))
        .Integer("ShadowDepth", &TZCL3DCaption::ShadowDepth, &TZCL3DCaption::SetShadowDepth, 1)
        .Enumeration("Style", &TZCL3DCaption::Style, &TZCL3DCaption::SetStyle,
                     {"tdNone", "tdSunken", "tdRaised", "tdSunkenShadow", "tdRaisedShadow", "tdPColorSunken",
                      "tdPColorRaised", "tdShadow", "tdOutline", "tdExtrude", "tdExtrudeEnh"},
                     tdNone)
        .Integer("Tracing", &TZCL3DCaption::Tracing, &TZCL3DCaption::SetTracing, 0);
    PublishedProperties<TZCLFxCaption>()
        .Integer("Angle", &TZCLFxCaption::Angle, &TZCLFxCaption::SetAngle, 0)
        .Integer("PosX", &TZCLFxCaption::PosX, &TZCLFxCaption::SetPosX, 0)
        .Integer("PosY", &TZCLFxCaption::PosY, &TZCLFxCaption::SetPosY, 0);
    PublishedProperties<TZCLCaption>()
        .Enumeration("Alignment", &TZCLCaption::Alignment, &TZCLCaption::SetAlignment,
                     {"agTopLeft", "agTopCenter", "agTopRight", "agCenterLeft", "agCenter", "agCenterRight",
                      "agBottomLeft", "agBottomCenter", "agBottomRight"},
                     agCenter)
        .String("Caption", &TZCLCaption::Caption, &TZCLCaption::SetCaption)
        .Object("Font", &TZCLCaption::Font, &TZCLCaption::SetFont)
        .Object("FontFX", &TZCLCaption::FontFX, &TZCLCaption::SetFontFX)
        .Boolean("MultiLine", &TZCLCaption::MultiLine, &TZCLCaption::SetMultiLine, false);
    return true;
}();

}  // namespace

// TZCL3DCaption ------------------------------------------------------------------------------------------------

void TZCL3DCaption::SetDisabledStyle(TZCLDisabledStyle Value) { SetField(disabledStyle_, Value); }
void TZCL3DCaption::SetDepth(int Index, std::uint8_t Value) { SetField(depths_[std::size_t(Index & 1)], Value); }
void TZCL3DCaption::SetColor(int Index, TColor Value) { SetField(colors_[std::size_t(Index & 1)], Value); }
void TZCL3DCaption::SetStyle(TZCLThreeDStyle Value) { SetField(style_, Value); }
void TZCL3DCaption::SetOrientation(TZCLThreeDOrientation Value) { SetField(orientation_, Value); }
void TZCL3DCaption::SetTracing(std::int32_t Value) { SetField(tracing_, Value); }

void TZCL3DCaption::Copy3D(const TZCL3DCaption& Source)
{
    disabledStyle_ = Source.disabledStyle_;
    depths_ = Source.depths_;
    colors_ = Source.colors_;
    style_ = Source.style_;
    tracing_ = Source.tracing_;
}

void TZCL3DCaption::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCL3DCaption*>(Source)) {
        Copy3D(*s);
        Change();
        return;
    }
    TZCLObject::Assign(Source);
}

AnsiString TZCL3DCaption::GetSetStr() const
{
    static const char* const names[] = {"Disabled",      "sunken", "raised",  "sunken shadow",
                                        "raised shadow", "PColor sunken", "", "shadow",
                                        "outline",       "extrude", "extrude enh"};
    const std::size_t i = std::size_t(style_);
    return AnsiString("{") + (i < std::size(names) ? names[i] : "") + "}";
}

// TZCLFxCaption ------------------------------------------------------------------------------------------------

void TZCLFxCaption::SetAngle(int Value)
{
    Value %= 360;
    if (Value < 0) Value += 360;
    SetField(angle_, TZCLAngle(Value));
}

void TZCLFxCaption::SetPos(int Index, int Value)
{
    // A position left of or above the box stays at its edge; it must not wrap to the far end.
    SetField(pos_[std::size_t(Index & 1)], std::uint16_t(std::clamp(Value, 0, 0xFFFF)));
}

void TZCLFxCaption::SetPosXY(int X, int Y)
{
    const bool wasUpdating = IsUpdating();
    BeginUpdate();
    SetPosX(X);
    SetPosY(Y);
    if (!wasUpdating) EndUpdate(false);
}

void TZCLFxCaption::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TZCLFxCaption*>(Source)) {
        Copy3D(*s);
        angle_ = s->angle_;
        pos_ = s->pos_;
        Change();
        return;
    }
    TZCL3DCaption::Assign(Source);
}

AnsiString TZCLFxCaption::GetSetStr() const
{
    AnsiString s = TZCL3DCaption::GetSetStr();
    if (angle_ == 0) return s;
    const AnsiString head = Style() == tdNone ? AnsiString("{") : s.SubString(1, s.Length() - 1) + ",";
    return head + " rot: " + IntToStr(angle_) + "}";
}

// TZCLCaption --------------------------------------------------------------------------------------------------

TZCLCaption::TZCLCaption() : font_(std::make_unique<TFont>()), fontFX_(std::make_unique<TZCLFxCaption>())
{
    font_->SetOnChange(TNotifyEvent(this, &TZCLCaption::FontChanged));
    fontFX_->SetOnChange(TNotifyEvent(this, &TZCLCaption::FontChanged));
}

TZCLCaption::TZCLCaption(const AnsiString& ACaption, const AnsiString& FontName, int FontSize, TColor FontColor,
                         TNotifyEvent OnChangeHandler)
    : TZCLCaption()
{
    caption_ = ACaption;
    if (!FontName.IsEmpty()) font_->SetName(FontName);
    if (FontSize > 0) font_->SetSize(FontSize);
    font_->SetColor(FontColor);
    ownCaption_ = true;
    SetOnChange(OnChangeHandler);
}

TZCLCaption::~TZCLCaption()
{
    font_->SetOnChange(TNotifyEvent());
    fontFX_->SetOnChange(TNotifyEvent());
}

void TZCLCaption::SetAlignment(TZCLAlignment Value) { SetField(alignment_, Value); }
void TZCLCaption::SetMultiLine(bool Value) { SetField(multiLine_, Value); }

void TZCLCaption::SetCaption(const AnsiString& Value) { SetField(caption_, Value); }

void TZCLCaption::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TZCLCaption*>(Source);
    if (!s) {
        TZCLObject::Assign(Source);
        return;
    }
    const bool wasUpdating = IsUpdating();
    BeginUpdate();
    font_->Assign(s->font_.get());
    fontFX_->Assign(s->fontFX_.get());
    alignment_ = s->alignment_;
    caption_ = s->caption_;
    multiLine_ = s->multiLine_;
    if (!wasUpdating) EndUpdate(true);
}

void TZCLCaption::FontChanged(TObject* Sender)
{
    // The nested changes of the adjustment below end in this call's one notification.
    if (adjusting_) return;
    if (fontFX_->Angle() != 0 && !ZCLIsTrueTypeFont(font_.get())) {
        adjusting_ = true;
        try {
            if (Sender != font_.get()) font_->SetName("Arial");
            else fontFX_->SetAngle(0);
        } catch (...) {
            adjusting_ = false;
            throw;
        }
        adjusting_ = false;
    }
    Change();
}

void TZCLCaption::DrawCaption(TCanvas* Canvas, const AnsiString& Text, const TRect& R, TZCLDrawTextStyles Styles,
                              TColor BackColor, std::int32_t ExtraOffset)
{
    if (!Canvas) return;
    const AnsiString text = Text.IsEmpty() && ownCaption_ ? caption_ : Text;
    TRect clip = R;
    if (ExtraOffset != 0) clip = zcldraw_detail::MoveByClipOffset(R, ExtraOffset);
    const bool turned = fontFX_->Angle() != 0;
    int flags = int(ZCLAlignmentFlags(alignment_)) | DT_WORDBREAK | DT_EXPANDTABS;
    if (!Styles.Contains(dtAccelChar)) flags |= DT_NOPREFIX;
    if (turned || !multiLine_) flags |= DT_SINGLELINE;
    TRect r = R;
    if ((multiLine_ && !turned && alignment_ >= agCenterLeft) || (turned && alignment_ != agTopLeft))
        r = ZCLAlignTextRect(alignment_, text, fontFX_.get(), R, font_.get(), multiLine_,
                             Styles.Contains(dtAccelChar), flags);
    Canvas->Brush()->SetColor(BackColor);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->SetFont(font_.get());
    ZCLDrawTextExt(Canvas, text, fontFX_.get(), r, flags, Styles, Styles.Contains(dtClip) ? &clip : nullptr);
}
