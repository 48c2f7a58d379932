#include "zcl/panels/Zclcustomsimplelabel.h"

#include <shellapi.h>

#include <cctype>

#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/ActnList.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

TZCLJumpOpener& JumpOpener()
{
    static TZCLJumpOpener opener;
    return opener;
}

INT_PTR OpenJump(const AnsiString& Target)
{
    if (Target.IsEmpty()) return 0;  // nothing to open is a failure, not a call with no file
    if (JumpOpener()) return JumpOpener()(Target);
    return reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", Target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

// "xxx:" at the front, two characters or more (a single letter is a drive).
bool HasScheme(const std::string& s)
{
    const std::size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

const bool simpleLabelPublished = [] {
    PublishedProperties<TZCLSimpleLabel>()
        .Enumeration("Alignment", &TZCLSimpleLabel::Alignment, &TZCLSimpleLabel::SetAlignment,
                     {"agTopLeft", "agTopCenter", "agTopRight", "agCenterLeft", "agCenter", "agCenterRight",
                      "agBottomLeft", "agBottomCenter", "agBottomRight"},
                     agTopLeft)
        .Boolean("AutoSize", &TZCLSimpleLabel::AutoSize, &TZCLSimpleLabel::SetAutoSize, true)
        .String("Caption", &TZCLSimpleLabel::Caption, &TZCLSimpleLabel::SetCaption)
        .Integer("Color", &TZCLSimpleLabel::Color, &TZCLSimpleLabel::SetColor, int(clWindow))
        .Boolean("ParentColor", &TZCLSimpleLabel::ParentColor, &TZCLSimpleLabel::SetParentColor, true)
        .Object("Font", &TZCLSimpleLabel::Font, &TZCLSimpleLabel::SetFont)
        .Object("Font3D", &TZCLSimpleLabel::Font3D, &TZCLSimpleLabel::SetFont3D)
        .Integer("ActiveColor", &TZCLSimpleLabel::ActiveColor, &TZCLSimpleLabel::SetActiveColor, 0x800080)
        .Integer("InActiveColor", &TZCLSimpleLabel::InActiveColor, &TZCLSimpleLabel::SetInActiveColor, 0xFF0000)
        .String("Jump", &TZCLSimpleLabel::Jump, &TZCLSimpleLabel::SetJump)
        .Enumeration("JumpMode", &TZCLSimpleLabel::JumpMode, &TZCLSimpleLabel::SetJumpMode,
                     {"jmInternet", "jmApplication", "jmNone", "jmCustom"}, jmNone)
        .Boolean("JumpUnderline", &TZCLSimpleLabel::JumpUnderline, &TZCLSimpleLabel::SetJumpUnderline, true)
        .Boolean("MultiLine", &TZCLSimpleLabel::MultiLine, &TZCLSimpleLabel::SetMultiLine, false)
        .Boolean("ShowAccelChar", &TZCLSimpleLabel::ShowAccelChar, &TZCLSimpleLabel::SetShowAccelChar, true)
        .Boolean("Transparent", &TZCLSimpleLabel::Transparent, &TZCLSimpleLabel::SetTransparent, true)
        .Boolean("Twinkle", &TZCLSimpleLabel::Twinkle, &TZCLSimpleLabel::SetTwinkle, false)
        .Integer("TwinkleColor", &TZCLSimpleLabel::TwinkleColor, &TZCLSimpleLabel::SetTwinkleColor, int(clNone))
        .Integer("TwinkleVisible", &TZCLSimpleLabel::TwinkleVisible, &TZCLSimpleLabel::SetTwinkleVisible, 700)
        .Integer("TwinkleInVisible", &TZCLSimpleLabel::TwinkleInVisible, &TZCLSimpleLabel::SetTwinkleInVisible, 700)
        .Boolean("Enabled", &TZCLSimpleLabel::Enabled, &TZCLSimpleLabel::SetEnabled, true)
        .Boolean("Visible", &TZCLSimpleLabel::Visible, &TZCLSimpleLabel::SetVisible, true)
        .Object("Action", &TZCLSimpleLabel::Action, &TZCLSimpleLabel::SetAction)
        .Object("FocusControl", &TZCLSimpleLabel::FocusControl, &TZCLSimpleLabel::SetFocusControl)
        .Set("Options", &TZCLSimpleLabel::Options, &TZCLSimpleLabel::SetOptions,
             {"loPathEllipsis", "loEndEllipsis", "loEditControl"}, TZCLLabelOptions{})
        .Event("OnClick", &TZCLSimpleLabel::OnClick, &TZCLSimpleLabel::SetOnClick)
        .Event("OnMouseEnter", &TZCLSimpleLabel::OnMouseEnter, &TZCLSimpleLabel::SetOnMouseEnter)
        .Event("OnMouseExit", &TZCLSimpleLabel::OnMouseExit, &TZCLSimpleLabel::SetOnMouseExit);
    return true;
}();

}  // namespace

void ZCLSetJumpOpener(TZCLJumpOpener Opener) { JumpOpener() = Opener; }

AnsiString ZCLInternetJumpTarget(const AnsiString& Text)
{
    // "ftp://user@host/" and "mailto:" links keep their scheme.
    if (Text.Pos("@") > 0 && !HasScheme(Text.str())) return "mailto:" + Text;
    return Text;
}

TZCLCustomSimpleLabel::TZCLCustomSimpleLabel(TComponent* AOwner)
    : TZCLBaseLabel(AOwner), font3D_(std::make_unique<TZCL3DCaption>())
{
    SetColor(clWindow);
    SetParentColor(true);
    font3D_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::FontChange));
}

TZCLCustomSimpleLabel::~TZCLCustomSimpleLabel() { font3D_->SetOnChange(TNotifyEvent()); }

void TZCLCustomSimpleLabel::SetFont3D(TZCL3DCaption* Value)
{
    if (Value && Value != font3D_.get()) font3D_->Assign(Value);
}

void TZCLCustomSimpleLabel::SetInActiveColor(TColor Value)
{
    if (Value == inActiveColor_) return;
    inActiveColor_ = Value;
    if (jumpMode_ != jmNone) Font()->SetColor(Value);
}

void TZCLCustomSimpleLabel::SetJumpUnderline(bool Value)
{
    if (Value == jumpUnderline_) return;
    jumpUnderline_ = Value;
    if (jumpMode_ != jmNone) ApplyJumpLook();
}

void TZCLCustomSimpleLabel::ApplyJumpLook()
{
    TFontStyles style = Font()->Style();
    if (jumpMode_ == jmNone) {
        if (!Designing()) SetCursor(crDefault);
        Font()->SetColor(clBlack);
        if (jumpUnderline_) style.Exclude(fsUnderline);
    } else {
        counter_ = 0;
        Font()->SetColor(inActiveColor_);
        if (jumpUnderline_) style.Include(fsUnderline);
        else style.Exclude(fsUnderline);
        SetCursor(crHandPoint);
    }
    Font()->SetStyle(style);
}

void TZCLCustomSimpleLabel::SetJumpMode(TZCLJumpModes Value)
{
    if (Value == jumpMode_) return;
    jumpMode_ = Value;
    ApplyJumpLook();
}

void TZCLCustomSimpleLabel::Clicked()
{
    ++counter_;
    Font()->SetColor(activeColor_);
}

void TZCLCustomSimpleLabel::Execute()
{
    Clicked();
    Click();
}

void TZCLCustomSimpleLabel::Click()
{
    AnsiString target;
    switch (jumpMode_) {
    case jmInternet:
        target = Trim(jump_);
        if (target.IsEmpty()) target = GetLabelText();
        target = ZCLInternetJumpTarget(target);
        break;
    case jmApplication: target = Trim(jump_); break;
    default: TZCLBaseLabel::Click(); return;
    }
    if (OpenJump(target) <= 32) {
        SetJumpMode(jmNone);
        SetEnabled(false);
    }
}

void TZCLCustomSimpleLabel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && jumpMode_ != jmNone) Clicked();
    TZCLBaseLabel::MouseDown(Button, Shift, X, Y);
}

void TZCLCustomSimpleLabel::CorrectBounds()
{
    if (!AutoSize() || Loading()) return;
    TRect r(0, 0, Width(), 0);
    ZCLDrawTextCalcExt(Canvas(), GetLabelText(), font3D_.get(), r, Font(), MultiLine(), ShowAccelChar(), 0,
                       int(TextFlags()));
    SetBounds(Left(), Top(), r.Width(), r.Height());
}

void TZCLCustomSimpleLabel::Paint()
{
    if (Loading()) return;
    PaintBackground();
    if (Designing() && GetEmpty()) DrawDashedFrame();
    const AnsiString text = GetLabelText();
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    if (!TwinkleShown()) {
        if (TwinkleColor() == clNone) return;
        canvas->Font()->SetColor(TwinkleColor());
    }
    const unsigned flags = TextFlags();
    const TRect r = TextRect(ClientRect(), text, font3D_.get(), flags);
    ZCLDrawTextExt(canvas, text, font3D_.get(), r, int(flags), TZCLDrawTextStyles{Enabled() ? dtEnabled : dtDisabled},
                   nullptr);
}

void TZCLCustomSimpleLabel::Loaded()
{
    TZCLBaseLabel::Loaded();
    if (useAsJump_) SetJumpMode(jmInternet);
}

void TZCLCustomSimpleLabel::DefineProperties(TFiler* Filer)
{
    TZCLBaseLabel::DefineProperties(Filer);
    Filer->DefineProperty("UseAsJump",
                          TReaderProc::From([this](TReader* reader) { useAsJump_ = reader->ReadBoolean(); }),
                          TWriterProc(), false);
}
