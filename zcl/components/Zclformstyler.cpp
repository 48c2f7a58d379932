#include "zcl/components/Zclformstyler.h"

#include <algorithm>

#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/graphics/Zclutilsdraw.h"

namespace {

const bool stylerPublished = [] {
    PublishedProperties<TZCLFormStyler>()
        .String("About", &TZCLFormStyler::About, &TZCLFormStyler::SetAbout)
        .Enumeration("Alignment", &TZCLFormStyler::Alignment, &TZCLFormStyler::SetAlignment,
                     {"taLeftJustify", "taRightJustify", "taCenter"}, taLeftJustify)
        .String("Caption", &TZCLFormStyler::Caption, &TZCLFormStyler::SetCaption)
        .Integer("Colors", &TZCLFormStyler::Colors, &TZCLFormStyler::SetColors, 32)
        .Boolean("Enabled", &TZCLFormStyler::Enabled, &TZCLFormStyler::SetEnabled, true)
        .Object("Font", &TZCLFormStyler::Font, &TZCLFormStyler::SetFont)
        .Object("Font3D", &TZCLFormStyler::Font3D, &TZCLFormStyler::SetFont3D)
        .Enumeration("PaintMode", &TZCLFormStyler::PaintMode, &TZCLFormStyler::SetPaintMode,
                     {"pcNone", "pcControl", "pcOwnerDraw"}, pcControl)
        .Set("Options", &TZCLFormStyler::Options, &TZCLFormStyler::SetOptions,
             {"fsAdjustRect", "fsUseDefaultFont", "fsUseFontColor", "fsInactiveGradient", "fsDrawCaptionEvent",
              "fsUseFormCaption", "fsCheckSystemGradient"},
             TZCLFormStyleOptions{fsAdjustRect, fsUseDefaultFont, fsUseFormCaption, fsCheckSystemGradient})
        .Event("OnPaint", &TZCLFormStyler::OnPaint, &TZCLFormStyler::SetOnPaint)
        .Event("OnCaptionPaint", &TZCLFormStyler::OnCaptionPaint, &TZCLFormStyler::SetOnCaptionPaint);
    return true;
}();

// The system's gradient partners of the caption colours.
constexpr TColor clGradientActiveCaption = SystemColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SystemColor(COLOR_GRADIENTINACTIVECAPTION);

UINT AlignmentFlags(TAlignment a)
{
    return a == taCenter ? DT_CENTER : a == taRightJustify ? DT_RIGHT : DT_LEFT;
}

}  // namespace

TZCLFormStyler::TZCLFormStyler(TComponent* AOwner)
    : TZCLWndProcComponent(AOwner),
      font_(std::make_unique<TFont>()),
      font3D_(std::make_unique<TZCL3DCaption>()),
      win2000_(ZCLPlatformFlags().Win2000),
      canvas_(std::make_unique<TCanvas>())
{
    if (Designing() && GetOwnerForm() && ZCLCheckForSameClass(AOwner, ClassOf<TZCLFormStyler>(), false))
        throw ZCLEOneInstError(ClassName(), 1);
    font_->SetOnChange(TNotifyEvent(this, &TZCLFormStyler::Changed));
    font3D_->SetOnChange(TNotifyEvent(this, &TZCLFormStyler::Changed));
}

TZCLFormStyler::~TZCLFormStyler()
{
    font_->SetOnChange(nullptr);
    font3D_->SetOnChange(nullptr);
    RestoreWndProc();
}

bool TZCLFormStyler::Designing() const
{
    if (ComponentState().Contains(csDesigning)) return true;
    return Owner() && Owner()->ComponentState().Contains(csDesigning);
}

HWND TZCLFormStyler::OwnerWindow() const
{
    auto* control = dynamic_cast<TWinControl*>(Owner());
    if (!control || !control->HandleAllocated()) return nullptr;
    const HWND wnd = control->Handle();
    return IsWindow(wnd) ? wnd : nullptr;
}

bool TZCLFormStyler::Active() const
{
    return Enabled() && paintMode_ != pcNone && !OwnerDestroying() && OwnerWindow();
}

bool TZCLFormStyler::SystemGradient() const
{
    return win2000_ && ZCLSIColorDepth() > 8;
}

void TZCLFormStyler::Changed(TObject*)
{
    NCPaint();
}

void TZCLFormStyler::SetAlignment(TAlignment Value)
{
    alignment_ = Value;
    NCPaint();
}

void TZCLFormStyler::SetCaption(const AnsiString& Value)
{
    caption_ = Value;
    NCPaint();
}

void TZCLFormStyler::SetColors(TZCLColorCount Value)
{
    colors_ = std::clamp(Value, TZCLColorCountRange::Low, TZCLColorCountRange::High);
    NCPaint();
}

void TZCLFormStyler::SetFont(TFont* Value)
{
    font_->Assign(Value);
}

void TZCLFormStyler::SetFont3D(TZCL3DCaption* Value)
{
    font3D_->Assign(Value);
}

void TZCLFormStyler::SetOptions(TZCLFormStyleOptions Value)
{
    options_ = Value;
    NCPaint();
}

void TZCLFormStyler::SetPaintMode(TZCLPaintMode Value)
{
    paintMode_ = Value;
    ForceNCPaint();
}

void TZCLFormStyler::NCPaint()
{
    if (Designing() || ComponentState().Contains(csLoading)) return;
    if (const HWND wnd = OwnerWindow()) RedrawWindow(wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

void TZCLFormStyler::ForceNCPaint()
{
    if (Designing() || ComponentState().Contains(csLoading)) return;
    if (const HWND wnd = OwnerWindow())
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_DRAWFRAME);
}

void TZCLFormStyler::WndProc(TMessage& Message)
{
    if (!Active()) {
        TZCLWndProcComponent::WndProc(Message);
        return;
    }
    switch (Message.Msg) {
    case WM_GETTEXT:
        if (options_.Contains(fsUseFormCaption)) break;
        // One space, so that the system draws no caption text of its own; never more than the buffer holds.
        {
            auto* buffer = reinterpret_cast<char*>(Message.LParam);
            Message.Result = 0;
            if (buffer && Message.WParam >= 2) {
                buffer[0] = ' ';
                buffer[1] = '\0';
                Message.Result = 1;
            } else if (buffer && Message.WParam == 1) {
                buffer[0] = '\0';
            }
        }
        return;
    case WM_GETTEXTLENGTH:
        if (options_.Contains(fsUseFormCaption)) break;
        Message.Result = 1;
        return;
    case WM_NCPAINT:
        TZCLWndProcComponent::WndProc(Message);
        if ((formActive_ || options_.Contains(fsInactiveGradient)) && Active()) PaintTitleBar(true);
        Message.Result = 0;
        return;
    case WM_NCACTIVATE:
        formActive_ = Message.WParam != 0;
        TZCLWndProcComponent::WndProc(Message);
        if ((formActive_ || options_.Contains(fsInactiveGradient)) && Active()) PaintTitleBar(false);
        Message.Result = 1;
        return;
    }
    TZCLWndProcComponent::WndProc(Message);
}

void TZCLFormStyler::SelectCaptionFont(HWND Wnd)
{
    if (!options_.Contains(fsUseDefaultFont)) {
        canvas_->Font()->Assign(font_.get());
        return;
    }
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        canvas_->Font()->Assign(font_.get());
        return;
    }
    const bool tool = GetWindowLongA(Wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW;
    LOGFONTA lf = tool ? metrics.lfSmCaptionFont : metrics.lfCaptionFont;
    lf.lfWeight = FW_BOLD;
    canvas_->Font()->SetHandle(CreateFontIndirectA(&lf));
}

void TZCLFormStyler::DrawIcon(HDC DC, HWND Wnd, const TRect& Band, std::uint16_t Flags)
{
    if (!(Flags & ZCLNCSysIcon)) return;
    HICON icon = reinterpret_cast<HICON>(SendMessageA(Wnd, WM_GETICON, ICON_SMALL, 0));
    if (!icon) icon = reinterpret_cast<HICON>(SendMessageA(Wnd, WM_GETICON, ICON_BIG, 0));
    if (!icon && !Application->Icon()->Empty()) icon = Application->Icon()->Handle();
    if (!icon) return;
    const int w = ZCLNCCAPTIONICONWIDTH(), h = ZCLNCCAPTIONICONHEIGHT();
    const int x = Band.left + ZCLNCBORDERWIDTH();
    const int y = Band.top + (Band.Height() - h) / 2;
    DrawIconEx(DC, x, y, icon, w, h, 0, nullptr, DI_NORMAL);
}

void TZCLFormStyler::PaintTitleBar(bool)
{
    if (Designing() || !Active()) return;
    const HWND wnd = OwnerWindow();
    if (!IsWindowVisible(wnd)) return;
    if (IsIconic(wnd) && !NewStyleControls) return;
    if (options_.Contains(fsCheckSystemGradient) && SystemGradient()) return;
    TCustomForm* form = GetOwnerForm();
    const AnsiString text = options_.Contains(fsUseFormCaption) && form ? form->Caption() : caption_;

    const HDC dc = GetWindowDC(wnd);
    if (!dc) return;
    struct Release {
        HWND wnd;
        HDC dc;
        TCanvas* canvas;
        ~Release()
        {
            canvas->SetHandle(nullptr);
            ReleaseDC(wnd, dc);
        }
    } release{wnd, dc, canvas_.get()};
    canvas_->SetHandle(dc);
    TRect band, textArea;
    std::uint16_t flags = 0;
    ZCLNCCalcDrawingArea(wnd, band, textArea, flags);
    const bool painted = formActive_ || options_.Contains(fsInactiveGradient);

    if (paintMode_ == pcControl) {
        if (painted) {
            ZCLGradientPaint(canvas_.get(), band, formActive_ ? clActiveCaption : clInactiveCaption,
                             formActive_ ? clGradientActiveCaption : clGradientInactiveCaption,
                             std::uint8_t(colors_), gstHorizontal, 0, 0);
            DrawIcon(dc, wnd, band, flags);
        }
    } else if (paintMode_ == pcOwnerDraw && onPaint_) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, band.left, band.top, band.right, band.bottom);
        onPaint_(this, canvas_.get(), band);
        RestoreDC(dc, saved);
    }

    SelectCaptionFont(wnd);
    TColor color = clInactiveCaptionText;
    if (formActive_) color = options_.Contains(fsUseFontColor) ? font_->Color() : clCaptionText;
    canvas_->Font()->SetColor(color);
    canvas_->Brush()->SetStyle(bsClear);
    const UINT drawFlags = AlignmentFlags(alignment_) | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;
    if (!options_.Contains(fsDrawCaptionEvent)) {
        if (font3D_->Style() != tdNone) {
            ZCLDrawTextExt(canvas_.get(), text, font3D_.get(), textArea, int(drawFlags), {dtEnabled}, nullptr);
        } else {
            RECT r = textArea;
            SetBkMode(canvas_->Handle(), TRANSPARENT);
            DrawTextA(canvas_->Handle(), text.c_str(), -1, &r, drawFlags);
        }
    } else if (onCaptionPaint_) {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, textArea.left, textArea.top, textArea.right, textArea.bottom);
        onCaptionPaint_(this, canvas_.get(), textArea);
        RestoreDC(dc, saved);
    }
}
