#pragma once
// The option objects of a control's text: three-dimensional text (TZCL3DCaption), rotated text with its position
// (TZCLFxCaption) and a caption with its own text, font and effects (TZCLCaption).

#include <array>
#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"

// 0..360 degrees; 360 is stored as 0.
using TZCLAngle = std::uint16_t;

class TZCL3DCaption : public TZCLObject {
public:
    TZCL3DCaption() = default;
    // From another 3D caption: every field but Orientation, then one change.
    void Assign(TPersistent* Source) override;
    // "{sunken}" and the like by style; "{Disabled}" for tdNone.
    AnsiString GetSetStr() const override;

    TZCLDisabledStyle DisabledStyle() const { return disabledStyle_; }
    void SetDisabledStyle(TZCLDisabledStyle Value);
    // Index 0 LightDepth, 1 ShadowDepth.
    std::uint8_t Depth(int Index) const { return depths_[std::size_t(Index & 1)]; }
    void SetDepth(int Index, std::uint8_t Value);
    std::uint8_t LightDepth() const { return Depth(0); }
    void SetLightDepth(std::uint8_t Value) { SetDepth(0, Value); }
    std::uint8_t ShadowDepth() const { return Depth(1); }
    void SetShadowDepth(std::uint8_t Value) { SetDepth(1, Value); }
    // Index 0 LightColor, 1 ShadowColor.
    TColor Color(int Index) const { return colors_[std::size_t(Index & 1)]; }
    void SetColor(int Index, TColor Value);
    TColor LightColor() const { return Color(0); }
    void SetLightColor(TColor Value) { SetColor(0, Value); }
    TColor ShadowColor() const { return Color(1); }
    void SetShadowColor(TColor Value) { SetColor(1, Value); }
    TZCLThreeDStyle Style() const { return style_; }
    void SetStyle(TZCLThreeDStyle Value);
    TZCLThreeDOrientation Orientation() const { return orientation_; }
    void SetOrientation(TZCLThreeDOrientation Value);
    // Extra spacing between characters, in pixels.
    std::int32_t Tracing() const { return tracing_; }
    void SetTracing(std::int32_t Value);

protected:
    void Copy3D(const TZCL3DCaption& Source);

private:
    TZCLDisabledStyle disabledStyle_ = dsAuto;
    std::array<std::uint8_t, 2> depths_{1, 1};
    std::array<TColor, 2> colors_{clBtnHighlight, clBtnShadow};
    TZCLThreeDStyle style_ = tdNone;
    TZCLThreeDOrientation orientation_ = toTopLeft;
    std::int32_t tracing_ = 0;
};

// 3D text that may be rotated. The measuring of rotated text (ZCLDrawTextCalcExt) sets PosX and PosY, the
// position of the text in its rotated box.
class TZCLFxCaption : public TZCL3DCaption {
public:
    TZCLFxCaption() = default;
    // From another effects caption also Angle, PosX and PosY; from a plain 3D caption as that one does.
    void Assign(TPersistent* Source) override;
    // The 3D summary with ", rot: <angle>" before the closing brace for a turned caption.
    AnsiString GetSetStr() const override;

    TZCLAngle Angle() const { return angle_; }
    // Any value is taken modulo 360.
    void SetAngle(int Value);
    // Index 0 PosX, 1 PosY; values are held to 0..65535.
    std::uint16_t Pos(int Index) const { return pos_[std::size_t(Index & 1)]; }
    void SetPos(int Index, int Value);
    std::uint16_t PosX() const { return Pos(0); }
    void SetPosX(int Value) { SetPos(0, Value); }
    std::uint16_t PosY() const { return Pos(1); }
    void SetPosY(int Value) { SetPos(1, Value); }
    // Both, without a change notification.
    void SetPosXY(int X, int Y);

private:
    TZCLAngle angle_ = 0;
    std::array<std::uint16_t, 2> pos_{0, 0};
};

// A caption with its own text, font and effects, as shapes draw it.
class TZCLCaption : public TZCLObject {
public:
    TZCLCaption();
    // Sets the text, the font's name (unless empty), size (when above 0) and colour, makes DrawCaption fall back
    // to the own text, and sends changes to OnChange.
    TZCLCaption(const AnsiString& ACaption, const AnsiString& FontName, int FontSize, TColor FontColor,
                TNotifyEvent OnChangeHandler);
    ~TZCLCaption() override;
    // From another caption: font, effects, alignment, text and multi-line, with one change.
    void Assign(TPersistent* Source) override;

    TZCLAlignment Alignment() const { return alignment_; }
    void SetAlignment(TZCLAlignment Value);
    AnsiString Caption() const { return caption_; }
    void SetCaption(const AnsiString& Value);
    TFont* Font() const { return font_.get(); }
    void SetFont(TFont* Value) { font_->Assign(Value); }
    TZCLFxCaption* FontFX() const { return fontFX_.get(); }
    void SetFontFX(TZCLFxCaption* Value) { fontFX_->Assign(Value); }
    bool MultiLine() const { return multiLine_; }
    void SetMultiLine(bool Value);
    bool OwnCaption() const { return ownCaption_; }

    // A turned caption needs a TrueType font: turning one in another font switches the font to "Arial", and
    // choosing another font for a turned caption turns it back to 0. Then the change goes on to OnChange.
    void FontChanged(TObject* Sender);

    // Draws Text (the own text when Text is empty and the caption has one) into R aligned, in Font with the
    // effects, on BackColor for the palette-coloured styles. With dtClip the drawing is clipped to R moved by
    // the unsigned 16-bit halves of ExtraOffset.
    void DrawCaption(TCanvas* Canvas, const AnsiString& Text, const TRect& R, TZCLDrawTextStyles Styles,
                     TColor BackColor, std::int32_t ExtraOffset);

private:
    TZCLAlignment alignment_ = agCenter;
    AnsiString caption_;
    std::unique_ptr<TFont> font_;
    std::unique_ptr<TZCLFxCaption> fontFX_;
    bool multiLine_ = false;
    bool ownCaption_ = false;
    bool adjusting_ = false;  // FontChanged is putting font and angle together
};
