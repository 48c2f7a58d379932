#include "zcl/panels/Zclinformationlabel.h"

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclclass.h"
#include "zcl/graphics/Zclbevel.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool informationLabelPublished = [] {
    PublishedProperties<TZCLInformationLabel>()
        .Enumeration("Info", &TZCLInformationLabel::Info, &TZCLInformationLabel::SetInfo,
                     {"itUser",
                      "itWinDir",
                      "itCurrentDir32",
                      "itCurrentDiskFree32",
                      "itCurrentDiskSize32",
                      "itSystemDir",
                      "itReg_Owner32",
                      "itReg_Company32",
                      "itVersion",
                      "itColorDepth",
                      "itScreenSaverDelay",
                      "itMemSize",
                      "itFreeSysRes",
                      "itFreeGDIRes",
                      "itFreeUserRes",
                      "itComputerName32",
                      "itMajorVerNr32",
                      "itBuildNr32",
                      "itMemLoaded32",
                      "itMemFree32",
                      "itMemPageFree32",
                      "itMemPageTotal32",
                      "itMemVirtFree32",
                      "itMemVirtTotal32",
                      "itPlatformID32",
                      "itPlatform32",
                      "itProcessorCont32",
                      "itProcessor32",
                      "itTempPath32",
                      "itDOSVersion",
                      "itNumLock",
                      "itCapsLock",
                      "itScroll",
                      "itCurrentDateTime",
                      "itProgCompany",
                      "itProgName",
                      "itProgVersion",
                      "itProgCopyright",
                      "itProgTrademark",
                      "itProgDescription",
                      "itProgComments",
                      "itCPUSpeed"},
                     itUser)
        .Boolean("AutoSize", &TZCLInformationLabel::AutoSize, &TZCLInformationLabel::SetAutoSize, true)
        .Object("Bevel", &TZCLInformationLabel::Bevel, &TZCLInformationLabel::SetBevel)
        .String("Caption", &TZCLInformationLabel::Caption, &TZCLInformationLabel::SetCaption)
        .String("DateTimeFormat", &TZCLInformationLabel::DateTimeFormat, &TZCLInformationLabel::SetDateTimeFormat)
        .Integer("DividerValue", &TZCLInformationLabel::DividerValue, &TZCLInformationLabel::SetDividerValue, 0)
        .Object("Font", &TZCLInformationLabel::Font, &TZCLInformationLabel::SetFont)
        .Object("Font3D", &TZCLInformationLabel::Font3D, &TZCLInformationLabel::SetFont3D)
        .Integer("InsertColon", &TZCLInformationLabel::InsertColon, &TZCLInformationLabel::SetInsertColon, -1)
        .Integer("InsertTabs", &TZCLInformationLabel::InsertTabs, &TZCLInformationLabel::SetInsertTabs, 1)
        .String("NumberFormat", &TZCLInformationLabel::NumberFormat, &TZCLInformationLabel::SetNumberFormat)
        .Boolean("Transparent", &TZCLInformationLabel::Transparent, &TZCLInformationLabel::SetTransparent, true)
        .Boolean("UseStandardCaption", &TZCLInformationLabel::UseStandardCaption,
                 &TZCLInformationLabel::SetUseStandardCaption, true)
        .Boolean("Enabled", &TZCLInformationLabel::Enabled, &TZCLInformationLabel::SetEnabled, true)
        .Boolean("Visible", &TZCLInformationLabel::Visible, &TZCLInformationLabel::SetVisible, true);
    return true;
}();

}  // namespace

AnsiString ZCLInfoLayNumber(const AnsiString& Value, const AnsiString& Format)
{
    const std::string& v = Value.str();
    const std::string& f = Format.str();
    // Only a whole number has digits to lay: a version ("6.1"), a speed with decimals or "Win32" would be torn
    // apart, so it is shown as it is, followed by the format's unit (what stands right of its last "0").
    if (v.find_first_not_of("0123456789") != std::string::npos) {
        const std::size_t lastZero = f.find_last_of('0');
        return AnsiString(v + (lastZero == std::string::npos ? f : f.substr(lastZero + 1)));
    }
    std::string out;
    std::size_t left = v.size();  // the value's characters not yet laid
    for (std::size_t i = f.size(); i-- > 0;) {
        if (f[i] == '0') out.insert(out.begin(), left > 0 ? v[--left] : '0');
        else out.insert(out.begin(), f[i]);
    }
    return AnsiString(v.substr(0, left) + out);
}

TZCLInformationLabel::TZCLInformationLabel(TComponent* AOwner)
    : TZCLBaseLabel(AOwner), font3D_(std::make_unique<TZCL3DCaption>()), bevel_(std::make_unique<TZCLBevel>()),
      dateTimeFormat_(ShortDateFormat)
{
    timerId_ = ZCLApplication->AddTimerExt(1000, -1, false, TNotifyEvent(this, &TZCLInformationLabel::Refresh));
    if (!timerId_) throw EOutOfResources("Not enough timers available");
    font3D_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::FontChange));
    bevel_->SetOnChange(TNotifyEvent(static_cast<TZCLBaseLabel*>(this), &TZCLBaseLabel::GetChange));
}

TZCLInformationLabel::~TZCLInformationLabel()
{
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(timerId_)) {
        item->SetEnabled(false);
        item->SetOnTimer(TNotifyEvent());
    }
    ZCLApplication->RemoveTimer(timerId_);
    font3D_->SetOnChange(TNotifyEvent());
    bevel_->SetOnChange(TNotifyEvent());
}

// ---------------------------------------------------------------------------------------------------------------
// Properties

bool TZCLInformationLabel::Watched() const
{
    return info_ == itNumLock || info_ == itCapsLock || info_ == itScroll || info_ == itCurrentDateTime;
}

bool TZCLInformationLabel::IsNumeric(TZCLInfoType Kind)
{
    return Kind == itCurrentDiskFree32 || Kind == itCurrentDiskSize32 || (Kind >= itVersion && Kind <= itFreeUserRes) ||
           (Kind >= itMajorVerNr32 && Kind <= itMemVirtTotal32) || Kind == itProcessorCont32 || Kind == itDOSVersion ||
           Kind == itCPUSpeed;
}

void TZCLInformationLabel::SetInfo(TZCLInfoType Value)
{
    info_ = Value;
    lastShown_ = AnsiString();
    if (TZCLTimerItem* item = ZCLApplication->GetTimer(timerId_)) {
        if (Value == itNumLock || Value == itCapsLock || Value == itScroll) {
            item->SetInterval(250);
            item->SetEnabled(true);
        } else if (Value == itCurrentDateTime) {
            item->SetInterval(1000);
            item->SetEnabled(true);
        } else {
            item->SetEnabled(false);
        }
    }
    GetChange(this);
}

void TZCLInformationLabel::SetFont3D(TZCL3DCaption* Value)
{
    if (Value && Value != font3D_.get()) font3D_->Assign(Value);
}

void TZCLInformationLabel::SetBevel(TZCLBevel* Value)
{
    if (Value && Value != bevel_.get()) bevel_->Assign(Value);
}

void TZCLInformationLabel::SetInsertTabs(int Value)
{
    insertTabs_ = Value < -128 ? -128 : Value > 127 ? 127 : Value;
    GetChange(this);
}

void TZCLInformationLabel::SetInsertColon(int Value)
{
    insertColon_ = Value < -128 ? -128 : Value > 127 ? 127 : Value;
    GetChange(this);
}

void TZCLInformationLabel::SetDividerValue(std::uint32_t Value)
{
    dividerValue_ = Value;
    GetChange(this);
}

void TZCLInformationLabel::SetUseStandardCaption(bool Value)
{
    useStandardCaption_ = Value;
    GetChange(this);
}

void TZCLInformationLabel::SetDateTimeFormat(const AnsiString& Value)
{
    dateTimeFormat_ = Value;
    if (info_ == itCurrentDateTime) GetChange(this);
}

void TZCLInformationLabel::SetNumberFormat(const AnsiString& Value)
{
    numberFormat_ = Value;
    if (IsNumeric(info_)) GetChange(this);
}

// ---------------------------------------------------------------------------------------------------------------
// Text

bool TZCLInformationLabel::ReturnCaption()
{
    AnsiString text = useStandardCaption_ ? ZCLSIInfoToString(info_) : Caption();
    if (insertColon_ == 0) text += ":";
    for (int i = 1; i <= insertTabs_; ++i) {
        text += '\t';
        if (insertColon_ == i) text += ":";
    }
    if (insertTabs_ <= 0 && !text.IsEmpty()) text += ' ';
    AnsiString value = GetSystemInfoString(info_, dividerValue_, dateTimeFormat_);
    bool changed = true;
    if (ticking_ && Watched()) {
        if (value == lastShown_) changed = false;
        else lastShown_ = value;
    }
    if (IsNumeric(info_) && !numberFormat_.IsEmpty()) value = ZCLInfoLayNumber(value, numberFormat_);
    text_ = text + value;
    ticking_ = false;
    return changed;
}

AnsiString TZCLInformationLabel::GetLabelText()
{
    ReturnCaption();
    return text_;
}

void TZCLInformationLabel::CorrectBounds()
{
    if (!AutoSize() || ComponentState().Contains(csReading)) return;
    TRect r(0, 0, Width(), 0);
    ZCLDrawTextCalcExt(Canvas(), GetLabelText(), font3D_.get(), r, Font(), MultiLine(), ShowAccelChar(),
                       bevel_->GetBevelExtend(), int(TextFlags()));
    SetBounds(Left(), Top(), r.Width() + StatusBarGap(), r.Height());
}

void TZCLInformationLabel::Refresh(TObject*)
{
    ticking_ = true;
    if (!ReturnCaption()) return;
    // "Off" is wider than "On", and the clock's digits differ in width: a label sized to its text follows it.
    CorrectBounds();
    InvalidateControl();
}

void TZCLInformationLabel::Paint()
{
    if (Loading() || !ReturnCaption()) return;
    PaintBackground();
    TRect r = ClientRect();
    r.left += StatusBarGap();
    TRect inner = r;
    bevel_->PaintBevel(Canvas(), r, Transparent(), inner);
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetColor(Color());
    if (!TwinkleShown()) {
        if (TwinkleColor() == clNone) return;
        canvas->Font()->SetColor(TwinkleColor());
    }
    const unsigned flags = TextFlags();
    ZCLDrawTextExt(canvas, text_, font3D_.get(), TextRect(inner, text_, font3D_.get(), flags), int(flags),
                   TZCLDrawTextStyles{Enabled() ? dtEnabled : dtDisabled}, nullptr);
}
