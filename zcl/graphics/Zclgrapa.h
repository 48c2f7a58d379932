#pragma once
// Shape geometry and the option objects that say how a shape is filled and outlined: ZCLShapeCalc turns a
// rectangle and a shape kind into a point list, ZCLShapeDraw paints that list with a shadow, a fill (brush, or
// a bitmap seen through the shape) and an outline or two-colour bevel.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"
#include "zcl/graphics/Zclshadow.h"

enum TZCLShapeType : std::uint8_t {
    stEllipse,
    stRectangle,
    stRoundRect,
    stDirectUp,
    stDirectRight,
    stDirectDown,
    stDirectLeft,
    stDiamond,
    stComb,
    stOctagon,
    stStar
};

enum TZCLSimpleBevelStyle : std::uint8_t { sbNormal, sbInset, sbOffset };

enum TZCLLightColor : std::uint8_t { lcNone, lcBlue, lcRed, lcGreen, lcYellow, lcMarine, lcPurple };

using TZCLTeethCount = int;
using TZCLTeethCountRange = TZCLRange<int, 0, 50>;

// Point lists ----------------------------------------------------------------------------------------------------

// Points as one 32-bit entry each: x in the high and y in the low 16 bits, both signed (coordinates outside
// -32768..32767 keep their low 16 bits). Changes are told through OnChange unless an update is open.
class TZCLPointList : public TList {
public:
    // An index outside the list leaves P as it is.
    void GetPoint(int Index, TPoint& P) const;
    // The point at Index, (0, 0) outside the list.
    TPoint PointAt(int Index) const;
    // An index outside the list is ignored.
    void PutPoint(int Index, const TPoint& P);
    int AddPoint(const TPoint& P);
    void DeletePoint(int Index);
    // Target gets this list's points, in order, in place of its own; a null target is ignored.
    void Clone(TZCLPointList* Target) const;

    // Nested: each EndUpdate closes one BeginUpdate.
    void BeginUpdate() { ++updateCount_; }
    // With Notify, tells the change once the last update is closed.
    void EndUpdate(bool Notify);
    std::int32_t UpdateCount() const { return updateCount_; }
    // Calls OnChange unless an update is open.
    void GetChange();

    TNotifyEvent OnChange() const { return onChange_; }
    void SetOnChange(TNotifyEvent Value) { onChange_ = Value; }

    static void* Pack(const TPoint& P);
    static TPoint Unpack(void* Entry);

private:
    TNotifyEvent onChange_;
    std::int32_t updateCount_ = 0;
};

// Adds DX and DY to every point; a null list is ignored.
void ZCLOffsetPointList(TZCLPointList* List, int DX, int DY);
// Adds DX and DY to the first Count points of an array whose last index is High.
void ZCLOffsetPointArray(TPoint* Points, int High, int Count, int DX, int DY);

// Option objects -------------------------------------------------------------------------------------------------

// The outline of a shape: a pen in Color (sbNormal), or a two-colour bevel of Width.
class TZCLSimpleBevel : public TZCLObject {
public:
    TZCLSimpleBevel() = default;
    // From another simple bevel: width, style and the three colours, then one change.
    void Assign(TPersistent* Source) override;
    // "{Normal}", "{Inset}" or "{Offset}".
    AnsiString GetSetStr() const override;

    // 0..50; other values are held to the range.
    TZCLBevelWidth Width() const { return width_; }
    void SetWidth(TZCLBevelWidth Value);
    TZCLSimpleBevelStyle Style() const { return style_; }
    void SetStyle(TZCLSimpleBevelStyle Value);
    // Index 0 LightColor, 1 ShadowColor, 2 Color.
    TColor Colors(int Index) const { return colors_[std::size_t(Index) % 3]; }
    void SetColors(int Index, TColor Value);
    TColor LightColor() const { return Colors(0); }
    void SetLightColor(TColor Value) { SetColors(0, Value); }
    TColor ShadowColor() const { return Colors(1); }
    void SetShadowColor(TColor Value) { SetColors(1, Value); }
    TColor Color() const { return Colors(2); }
    void SetColor(TColor Value) { SetColors(2, Value); }

private:
    TZCLBevelWidth width_ = 2;
    TZCLSimpleBevelStyle style_ = sbNormal;
    std::array<TColor, 3> colors_{clBtnHighlight, clBtnShadow, clBlack};
};

// A rectangle with a saw-tooth edge on the side Direction names.
class TZCLTeeth : public TZCLObject {
public:
    TZCLTeeth() = default;
    // From other teeth: all six fields, then one change.
    void Assign(TPersistent* Source) override;

    // 0..50; other values are held to the range.
    TZCLTeethCount Count() const { return count_; }
    void SetCount(TZCLTeethCount Value);
    TZCLDirection Direction() const { return direction_; }
    void SetDirection(TZCLDirection Value);
    // Index 0 Offset, 1 SetPerCount.
    bool Flags(int Index) const { return flags_[std::size_t(Index & 1)]; }
    void SetFlags(int Index, bool Value);
    bool Offset() const { return Flags(0); }
    void SetOffset(bool Value) { SetFlags(0, Value); }
    bool SetPerCount() const { return Flags(1); }
    void SetSetPerCount(bool Value) { SetFlags(1, Value); }
    // Index 0 Width, 1 Height: the size of one tooth.
    int Sizes(int Index) const { return sizes_[std::size_t(Index & 1)]; }
    void SetSizes(int Index, int Value);
    int Width() const { return Sizes(0); }
    void SetWidth(int Value) { SetSizes(0, Value); }
    int Height() const { return Sizes(1); }
    void SetHeight(int Value) { SetSizes(1, Value); }

private:
    TZCLTeethCount count_ = 10;
    TZCLDirection direction_ = tdRight;
    std::array<bool, 2> flags_{true, true};
    std::array<int, 2> sizes_{10, 0};
};

// Two colours, or a list of colours, with the colours between them computed.
class TZCLGradient : public TZCLObject {
public:
    TZCLGradient();
    ~TZCLGradient() override;
    // From another gradient: colour count, colours, style, palette flag, two-colour mode and the colour list's
    // entries, inside one update whose end recomputes the colours and notifies.
    void Assign(TPersistent* Source) override;
    // Recomputes the colours (and palette), then notifies.
    void Change() override;
    // "vertical, Col: 16, 2 col mode" and the like.
    AnsiString GetSetStr() const override;
    // The colour list as the property "ColorList", written only when it holds colours.
    void DefineProperties(TFiler* Filer) override;

    // 2..236; other values are held to the range.
    TZCLColorCount ColorCount() const { return colorCount_; }
    void SetColorCount(TZCLColorCount Value);
    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TColor EndColor() const { return endColor_; }
    void SetEndColor(TColor Value);
    bool PaletteRealize() const { return paletteRealize_; }
    void SetPaletteRealize(bool Value);
    TZCLGradientStyle Style() const { return style_; }
    void SetStyle(TZCLGradientStyle Value);
    bool TwoColors() const { return twoColors_; }
    void SetTwoColors(bool Value);

    // The colours the gradient runs through without TwoColors (RGB values as list entries).
    TList* ColorList() const { return colorList_.get(); }
    // Replaces the colour list's entries by List's (a null list is ignored) and recomputes the colours, without
    // notification.
    void SetColors(TList* List);
    // The computed colours (RGB values as list entries), kept current after every change.
    TList* ComputedColors() const { return computed_.get(); }

    void PaintGradient(TCanvas* Canvas, const TRect& R);
    // With PaletteRealize, selects the palette into the canvas's DC and realises it.
    void SetRealPalette(TCanvas* Canvas);
    // The palette of the computed colours with PaletteRealize; null otherwise. Owned by the gradient.
    HPALETTE GetPalette() const { return palette_.get(); }
    void InitPalette();
    void DestroyPalette();

private:
    void ReadColorList(TReader* Reader);
    void WriteColorList(TWriter* Writer);

    TZCLColorCount colorCount_ = 16;
    TColor color_ = clBlue;
    TColor endColor_ = clBlack;
    bool paletteRealize_ = false;
    TZCLGradientStyle style_ = gstVertical;
    bool twoColors_ = true;
    std::unique_ptr<TList> colorList_;
    std::unique_ptr<TList> computed_;
    PaletteHandle palette_;
};

// How a shape's face is filled: brush, bitmap, the picture of an image list, or a gradient.
class TZCLShapeFill : public TZCLObject {
public:
    TZCLShapeFill();
    ~TZCLShapeFill() override;
    // From another shape fill: both bitmaps, the gradient, style and tile mode, inside one update that
    // notifies at its end.
    void Assign(TPersistent* Source) override;
    // "{Disabled}", "{Brush}", "{Bitmap}", "{BitmapList}", "{Gradient}"; "{}" for sfBrushBitmap.
    AnsiString GetSetStr() const override;

    TBitmap* Bitmap() const { return bitmap_.get(); }
    void SetBitmap(TBitmap* Value);
    TZCLGradient* Gradient() const { return gradient_.get(); }
    void SetGradient(TZCLGradient* Value);
    TZCLFillStyle Style() const { return style_; }
    void SetStyle(TZCLFillStyle Value);
    TZCLTileMode TileMode() const { return tileMode_; }
    void SetTileMode(TZCLTileMode Value);

    // The picture an owner takes from an image list; no change is told. Null empties it.
    TBitmap* ListBitmap() const { return listBitmap_.get(); }
    void SetListBitmap(TBitmap* Value);

    // The bitmap for sfBitmap, the list bitmap for sfBitmapList, else null.
    TBitmap* GetBitmap() const;
    // Nothing to fill with: sfNone, or the style's bitmap empty.
    bool GetEmpty() const;
    // Whether the fill depends on the size of what it fills.
    bool GetMustRedraw() const;
    HPALETTE GetPalette() const;

protected:
    explicit TZCLShapeFill(TZCLFillStyle DefaultStyle);

private:
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TBitmap> listBitmap_;
    std::unique_ptr<TZCLGradient> gradient_;
    TZCLFillStyle style_;
    TZCLTileMode tileMode_ = tmTile;
};

class TZCLTransparent : public TZCLObject {
public:
    TZCLTransparent() = default;
    // From another: colour and mode, then one change.
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color_; }
    void SetColor(TColor Value);
    TZCLTransparentMode Mode() const { return mode_; }
    void SetMode(TZCLTransparentMode Value);
    // True when the background is restored (tpRestoreBack, tpRBTranspColor).
    bool GetTransparent() const;

private:
    TColor color_ = clBtnFace;
    TZCLTransparentMode mode_ = tpNone;
};

// A shape kind with its rounding, square flag, outline, face brush and shadow.
class TZCLShape : public TZCLObject {
public:
    TZCLShape();
    ~TZCLShape() override;

    TZCLSimpleBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TZCLSimpleBevel* Value);
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* Value);
    TZCLShadow* Shadow() const { return shadow_.get(); }
    void SetShadow(TZCLShadow* Value);
    // 0..100; other values are held to the range.
    TZCLPercent RoundPercent() const { return roundPercent_; }
    void SetRoundPercent(TZCLPercent Value);
    TZCLShapeType Shape() const { return shape_; }
    void SetShape(TZCLShapeType Value);
    bool Square() const { return square_; }
    void SetSquare(bool Value);

private:
    std::unique_ptr<TZCLSimpleBevel> bevel_;
    std::unique_ptr<TBrush> brush_;
    std::unique_ptr<TZCLShadow> shadow_;
    TZCLPercent roundPercent_ = 33;
    TZCLShapeType shape_ = stRectangle;
    bool square_ = false;
};

// Shapes ---------------------------------------------------------------------------------------------------------

// Fills List (cleared first) with the points of the shape in R, relative to R's top-left: the outer (shadow)
// points, then the inner (face) points. Teeth, when given, make a saw-tooth rectangle of one polygon and the
// shape kind is not used. A null bevel counts as width 1, a null shadow (or one of style hssNone) as depth 0.
// Teeth whose tooth count would come from a division by zero (Count 0, or a Height or Width of 0 without
// SetPerCount) give the plain rectangle. Brush is not used.
void ZCLShapeCalc(const TRect& R, TZCLShapeType Shape, TZCLTeeth* Teeth, bool Square, TBrush* Brush,
                  std::uint8_t RoundPercent, TZCLSimpleBevel* Bevel, TZCLShadow* Shadow, TZCLPointList* List);

// Paints the shape into R of Canvas: the shadow, then the face (in Brush, or FillBitmap seen through the
// shape), then the bevel. A null PointList is calculated here; a given one must come from ZCLShapeCalc with
// the same arguments and is left as it was. A null bevel is an outline of width 1 in black. MaskColor is the
// colour outside the shape on the fill bitmap's mask (a colour the bitmap does not use); BackColor fills the
// gaps of a hatched face brush.
void ZCLShapeDraw(const TRect& R, TCanvas* Canvas, TZCLShapeType Shape, TZCLTeeth* Teeth, TZCLPointList* PointList,
                  bool Square, TBrush* Brush, std::uint8_t RoundPercent, TZCLSimpleBevel* Bevel, TZCLShadow* Shadow,
                  TBitmap* FillBitmap, TColor MaskColor, TColor BackColor);

// The light and dark colour of a light colour (the value taken modulo 128); other values leave both as they are.
void ZCLGetLightColors(int LightColor, TColor& Light, TColor& Dark);
// The drawing flag for a tile mode: tmNone 0, tmCenter 8, tmStretch 16, tmTile 32.
std::uint16_t ZCLTileMode2DSF(TZCLTileMode Mode);
