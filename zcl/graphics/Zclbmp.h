#pragma once
// Pixel procedures on 24-bit bitmaps (blue, green, red bytes, walked through the scan lines): grey scale,
// mirrors, invert, brightness and alpha blending; and the effect object that chains them for a control's
// background.
//
// Each takes a rectangle of a source (columns Left .. Right - 1, rows Top .. Bottom - 1) and writes the result
// at a point of a target, which may be the source itself. Every pixel that lies inside both bitmaps gets what
// the whole rectangle would give it; nothing outside either bitmap is read or written. A bitmap that has pixels
// but not 24 bits per pixel raises EZCLWrongPixelFormat "Wrong PixelFormat in <role> bitmap!" before any pixel
// changes; with a null or empty bitmap nothing happens.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"

DRAVIK_EXCEPTION(EZCLWrongPixelFormat, Exception);
DRAVIK_EXCEPTION(EZCLWrongBmpSize, Exception);

using TZCLBrightness = std::int16_t;
using TZCLBrightnessRange = TZCLRange<std::int16_t, -255, 255>;

// Every pixel becomes grey: 0.11 blue + 0.59 green + 0.3 red, each term rounded on its own (white gives 254).
// Roles "Source" and "Target", as for the procedures below that take one source.
void ZCLBMPGrayScale(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint);
// The rows in reverse order: an upside-down mirror (the name is the one callers know).
void ZCLBMPFlipHorizonzal(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint);
// Each row in reverse pixel order: a left-right mirror.
void ZCLBMPFlipVertical(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint);
// Each byte becomes 255 - v.
void ZCLBMPInvert(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint);
// Each byte v becomes v + Amount, held to 0..255.
void ZCLBMPBrightness(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint,
                      std::int16_t Amount);
// The same, except that pixels of exactly the excluded colour (all three channels) are copied unchanged.
void ZCLBmpBrightnessEC(TBitmap* Source, const TRect& SourceRect, TBitmap* Target, const TPoint& TargetPoint,
                        std::int16_t Amount, TColor ExcludedColor);
// Each target byte is s2 + (s1 - s2) x Alpha, rounded (halves to even) and held to 0..255, where s1 is the byte
// of Source1 in Rect1 and s2 the byte of Source2 at the same place from Point2. Roles "Source 1", "Source 2",
// "Target", checked in that order.
void ZCLBMPAlphaBlend(TBitmap* Source1, TBitmap* Source2, const TRect& Rect1, const TPoint& Point2, TBitmap* Target,
                      float Alpha, const TPoint& TargetPoint);

class TFiler;
class TZCLChangeLink;
class TZCLCustomImageList;
class TZCLFillObject;

// Blends a picture with a fill (a brush, a bitmap, a picture of an image list or a gradient): the picture keeps
// Strength of itself and takes the rest from the fill.
class TZCLAlphaObject : public TZCLObject {
public:
    TZCLAlphaObject();
    ~TZCLAlphaObject() override;
    // The fill, Strength, both indexes, the unpublished flag and the image list (through its setter).
    void Assign(TPersistent* Source) override;
    // "{Enabled (brush), strength: 0.600}", or "{Disabled}" without a fill.
    AnsiString GetSetStr() const override;
    // "Internal": a default image list by its identifier, written only for those lists.
    void DefineProperties(TFiler* Filer) override;

    // The list whose item (ListIndex, ImageIndex) is the fill's list bitmap; not owned. Null once it is freed.
    TZCLCustomImageList* ImageList() const;
    void SetImageList(TZCLCustomImageList* Value);
    float Strength() const { return strength_; }
    void SetStrength(float Value);
    // Index 0 ImageIndex, 1 ListIndex; every write refreshes the list bitmap.
    std::int32_t Index(int Which) const { return Which == 0 ? imageIndex_ : listIndex_; }
    void SetIndex(int Which, std::int32_t Value);
    std::int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(std::int32_t Value) { SetIndex(0, Value); }
    std::int32_t ListIndex() const { return listIndex_; }
    void SetListIndex(std::int32_t Value) { SetIndex(1, Value); }
    // Index 0: a flag that is kept and copied but not published.
    bool Boolean(int Index) const { return Index == 0 && flag_; }
    void SetBoolean(int Index, bool Value);
    TZCLFillObject* FillObject() const { return fill_.get(); }
    void SetFillObject(TZCLFillObject* Value);

    // A fill is set and Strength is not 1.
    bool Enabled() const;
    // Bitmap (made 24 bits per pixel) blended with the fill over its whole area; nothing without a fill.
    void AlphaBlend(TBitmap* Bitmap);
    // The area S of Bitmap blended and drawn into D of Canvas.
    void ControlBlend(TBitmap* Bitmap, const TRect& S, TCanvas* Canvas, const TRect& D);
    // The fill's palette; null without a fill.
    HPALETTE GetPalette() const;
    // No list, or no item at (ListIndex, ImageIndex).
    bool IMLEmpty() const;
    // The list is one of the library's default lists, stored as "Internal".
    bool CheckCont() const;
    // The list is stored by reference: set, and not a default list.
    bool HasControl() const;
    // The list changed: its item becomes the fill's list bitmap (none when it has no such item), then a change.
    void GetIMLChange(TObject* Sender);

private:
    std::unique_ptr<TZCLChangeLink> link_;
    float strength_ = 0.6f;
    std::int32_t imageIndex_ = 0;
    std::int32_t listIndex_ = 0;
    bool flag_ = false;
    std::unique_ptr<TZCLFillObject> fill_;
};

// The effects a control applies to its background, in the order FlipVertical (left-right), FlipHorizontal
// (upside-down), grey scale, invert, monochrome, brightness and the alpha blend, over the whole bitmap. With
// Buffered the result of the first drawing is kept and drawn again until a property changes.
class TZCLBitmapEffectObject : public TZCLObject {
public:
    TZCLBitmapEffectObject();
    ~TZCLBitmapEffectObject() override;
    // The five effects, Buffered (through its setter) and the alpha object, then one change.
    void Assign(TPersistent* Source) override;
    // The active effects' tags in braces ("{alpha,FV,GS,B}"), or "{Disabled}".
    AnsiString GetSetStr() const override;
    // A change of this object or a nested one: told on, and the buffer is no longer valid.
    void GetChange(TObject* Sender) override;

    // Blending with a fill, after the other effects.
    TZCLAlphaObject* AlphaBlend() const { return alpha_.get(); }
    void SetAlphaBlend(TZCLAlphaObject* Value) { alpha_->Assign(Value); }
    // Index 0 FlipVertical, 1 FlipHorizontal, 2 GrayScale, 3 Invert, 4 Buffered, 5 the monochrome flag.
    bool Boolean(int Index) const;
    void SetBoolean(int Index, bool Value);
    bool FlipVertical() const { return Boolean(0); }
    void SetFlipVertical(bool Value) { SetBoolean(0, Value); }
    bool FlipHorizontal() const { return Boolean(1); }
    void SetFlipHorizontal(bool Value) { SetBoolean(1, Value); }
    bool GrayScale() const { return Boolean(2); }
    void SetGrayScale(bool Value) { SetBoolean(2, Value); }
    bool Invert() const { return Boolean(3); }
    void SetInvert(bool Value) { SetBoolean(3, Value); }
    // On makes the buffer bitmap, off frees it.
    bool Buffered() const { return Boolean(4); }
    void SetBuffered(bool Value) { SetBoolean(4, Value); }
    // Not published: the picture becomes black and white (the pixels of the bitmap canvas's brush colour white).
    bool Monochrome() const { return Boolean(5); }
    void SetMonochrome(bool Value) { SetBoolean(5, Value); }
    TZCLBrightness Brightness() const { return brightness_; }
    // Held to -255..255.
    void SetBrightness(TZCLBrightness Value);

    // Any effect is set.
    bool Enabled() const;
    // The kept result; null unless Buffered.
    TBitmap* Buffer() const { return buffer_.get(); }
    bool BufferValid() const { return bufferValid_; }
    // The next drawing makes the result again.
    void DestroyBuffer() { bufferValid_ = false; }

    // The effects on Bitmap in place (which becomes 24 bits per pixel when an effect needs it).
    void Draw(TBitmap* Bitmap);
    // Target becomes a copy of Source, then Draw.
    void DrawCopy(TBitmap* Source, TBitmap* Target);
    // Target becomes a copy of the rectangle R of Source (R's size, Source's pixels from R's top-left), then Draw.
    void DrawCopyFromRect(TBitmap* Source, const TRect& R, TBitmap* Target);
    // The rectangle R of Source with the effects drawn at P of Target.
    void DrawCopyRect(TBitmap* Source, const TRect& R, TBitmap* Target, const TPoint& P);
    // The rectangle S of Source with the effects drawn into the rectangle D of Target (stretched to it).
    void DrawCutRect(TBitmap* Source, const TRect& S, TBitmap* Target, const TRect& D);
    // The background of a panel: the rectangle S of Source copied to the top-left of Target, the effects applied
    // to the area W of Target.
    void DrawCutRect2(TBitmap* Source, const TRect& S, const TRect& W, TBitmap* Target);

private:
    bool Pixelwise() const;
    // The pixel effects over R of Bitmap in place; the monochrome step only when asked.
    void Apply(TBitmap* Bitmap, const TRect& R, bool WithMonochrome);
    void Keep(TBitmap* Bitmap);

    std::unique_ptr<TZCLAlphaObject> alpha_;
    std::array<bool, 6> flags_{};
    bool bufferValid_ = false;
    std::unique_ptr<TBitmap> buffer_;
    TZCLBrightness brightness_ = 0;
};
