#pragma once
// A hook that paints its owner form's title bar itself: a gradient of the caption colour, the window icon and
// the caption in its own font (or the system's caption font, bold) with an optional 3D effect, or an owner-draw
// event. On systems that draw gradient captions themselves at more than 256 colours it leaves the caption alone.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "framework/visual/Controls.h"
#include "framework/visual/Graphics.h"
#include "zcl/components/Zclcustomformfill.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclwndproccomponent.h"
#include "zcl/graphics/Zclcaption.h"

enum TZCLFormStyleOption : std::uint8_t {
    fsAdjustRect, fsUseDefaultFont, fsUseFontColor, fsInactiveGradient, fsDrawCaptionEvent, fsUseFormCaption,
    fsCheckSystemGradient
};
using TZCLFormStyleOptions = TSet<TZCLFormStyleOption>;

class TZCLFormStyler : public TZCLWndProcComponent {
public:
    // A second one on a form being designed raises ZCLEOneInstError.
    explicit TZCLFormStyler(TComponent* AOwner);
    ~TZCLFormStyler() override;

    // The setters store and repaint the title bar.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment Value);
    // The text shown without fsUseFormCaption.
    const AnsiString& Caption() const { return caption_; }
    void SetCaption(const AnsiString& Value);
    // Steps of the gradient, 2..236.
    TZCLColorCount Colors() const { return colors_; }
    void SetColors(TZCLColorCount Value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* Value);
    TZCL3DCaption* Font3D() const { return font3D_.get(); }
    void SetFont3D(TZCL3DCaption* Value);
    TZCLFormStyleOptions Options() const { return options_; }
    void SetOptions(TZCLFormStyleOptions Value);
    TZCLPaintMode PaintMode() const { return paintMode_; }
    void SetPaintMode(TZCLPaintMode Value);
    // Paints the whole title bar (pcOwnerDraw).
    TZCLPaintEvent OnPaint() const { return onPaint_; }
    void SetOnPaint(TZCLPaintEvent Value) { onPaint_ = Value; }
    // Draws the caption text (fsDrawCaptionEvent).
    TZCLPaintEvent OnCaptionPaint() const { return onCaptionPaint_; }
    void SetOnCaptionPaint(TZCLPaintEvent Value) { onCaptionPaint_ = Value; }

    // The owner form was last told it is active.
    bool FormActive() const { return formActive_; }
    // Repaints the non-client area now; ForceNCPaint also recomputes the frame.
    void NCPaint();
    void ForceNCPaint();
    // Draws the title bar on the window's DC (nothing when the system's own caption stays).
    void PaintTitleBar(bool FromNCPaint);
    // The system draws its own gradient caption here: the styler paints nothing with fsCheckSystemGradient.
    bool SystemGradient() const;

protected:
    void WndProc(TMessage& Message) override;

private:
    bool Designing() const;
    bool Active() const;
    HWND OwnerWindow() const;
    void Changed(TObject* Sender);
    void DrawIcon(HDC DC, HWND Wnd, const TRect& Band, std::uint16_t Flags);
    void SelectCaptionFont(HWND Wnd);

    TAlignment alignment_ = taLeftJustify;
    AnsiString caption_;
    TZCLColorCount colors_ = 32;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TZCL3DCaption> font3D_;
    TZCLPaintMode paintMode_ = pcControl;
    TZCLFormStyleOptions options_{fsAdjustRect, fsUseDefaultFont, fsUseFormCaption, fsCheckSystemGradient};
    TZCLPaintEvent onPaint_, onCaptionPaint_;
    bool formActive_ = false;
    bool win2000_ = false;
    std::unique_ptr<TCanvas> canvas_;
};
