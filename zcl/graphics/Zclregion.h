#pragma once
// The outline of a window or control as a region: eighteen shapes built with the system's region calls, an
// optional drop shadow, the border painted along the outline, and the form shape component that gives its owner
// form such a region (re-regioned whenever the form is sized) with a fill and dragging by the client area.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "framework/runtime/Handles.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"
#include "zcl/containers/Zclcont.h"
#include "zcl/core/Zclobject.h"
#include "zcl/core/Zclwndproccomponent.h"
#include "zcl/graphics/Zclfillobject.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclregionmask.h"
#include "zcl/graphics/Zclrgnshadow.h"

enum TZCLRegionShape : std::uint8_t {
    rsRect,
    rsRoundRect,
    rsBitmap,
    rsNoseRect,
    rsRoundNoseRect,
    rsElliptic,
    rsStar,
    rsRoundShield,
    rsSharpShield,
    rsDiamond,
    rsOctagon,
    rsComb,
    rsHalfRound,
    rsUserRegion,
    rsThinkBubble,
    rsRoundThinkBubble,
    rsEllipticThinkBubble,
    rsPointList
};

// The corner a nose or the think bubbles come from, and the side of that corner they leave by.
enum TZCLExtPos : std::uint8_t {
    epLeftTop,
    epTopLeft,
    epTopRight,
    epRightTop,
    epRightBottom,
    epBottomRight,
    epBottomLeft,
    epLeftBottom
};

enum TZCLRegionBorderStyle : std::uint8_t {
    rbNone,
    rbLowered,
    rbRaised,
    rbSingle,
    rbSingleRaised,
    rbSingleLowered,
    rbRaisedpsb,
    rbLoweredpsb
};

// Region builders ------------------------------------------------------------------------------------------------
// Each returns a new region that the caller owns (null when the system makes none). Polygons fill alternately.

// The shapes that need nothing but their rectangle: rsRect, rsElliptic, rsHalfRound (the lower half of an
// ellipse twice as high as R), rsStar, rsRoundShield and rsSharpShield (a round or pointed bottom under a top with
// two round notches), rsDiamond, rsOctagon, rsComb; null for the other shapes.
HRGN ZCLCreatePlainShapeRgn(TZCLRegionShape Shape, const TRect& R);
template <TZCLRegionShape Shape>
HRGN ZCLCreateShapeRgn(const TRect& R)
{
    return ZCLCreatePlainShapeRgn(Shape, R);
}
inline constexpr auto& ZCLCreateDiamondRgn = ZCLCreateShapeRgn<rsDiamond>;
inline constexpr auto& ZCLCreateStarRgn = ZCLCreateShapeRgn<rsStar>;
inline constexpr auto& ZCLCreateOctagonRgn = ZCLCreateShapeRgn<rsOctagon>;
inline constexpr auto& ZCLCreateCombRgn = ZCLCreateShapeRgn<rsComb>;
inline constexpr auto& ZCLCreateRoundShieldRgn = ZCLCreateShapeRgn<rsRoundShield>;
inline constexpr auto& ZCLCreateSharpShieldRgn = ZCLCreateShapeRgn<rsSharpShield>;
// R less Size on the two sides next to the corner Pos names, with a triangle reaching out to R's corner.
HRGN ZCLCreateNoseRectRgn(const TRect& R, int Size, TZCLExtPos Pos);
HRGN ZCLCreateRoundNoseRectRgn(const TRect& R, int Size, int CornerWidth, int CornerHeight, TZCLExtPos Pos);
// R less BubbleSize on the two sides next to the corner, with Count + 1 growing bubbles along a quarter circle
// from R's corner; fewer than one bubble gives the shape alone.
HRGN ZCLCreateThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos);
HRGN ZCLCreateEllipticThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos);
HRGN ZCLCreateRoundThinkBubbleRgn(const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos, int CornerWidth,
                                  int CornerHeight);

// Border painters ------------------------------------------------------------------------------------------------
// The outline of the builder's shape for R in the border style: a 3D outline in Light and Shadow, a closed
// outline in Single (drawn with the canvas's brush), or both. Strokes use the canvas's pen width and style; the
// pen, and any clip region a painter narrows, are as they were afterwards.

// The shapes ZCLCreatePlainShapeRgn builds; nothing for the others.
void ZCLFramePlainShapeRgn(TZCLRegionShape Shape, TCanvas* Canvas, const TRect& R, TColor Light, TColor Shadow,
                           TColor Single, TZCLRegionBorderStyle Style);
template <TZCLRegionShape Shape>
void ZCLFrameShapeRgn(TCanvas* Canvas, const TRect& R, TColor Light, TColor Shadow, TColor Single,
                      TZCLRegionBorderStyle Style)
{
    ZCLFramePlainShapeRgn(Shape, Canvas, R, Light, Shadow, Single, Style);
}
inline constexpr auto& ZCLFrameRectRgn = ZCLFrameShapeRgn<rsRect>;
inline constexpr auto& ZCLFrameDiamondRgn = ZCLFrameShapeRgn<rsDiamond>;
inline constexpr auto& ZCLFrameStarRgn = ZCLFrameShapeRgn<rsStar>;
inline constexpr auto& ZCLFrameOctagonRgn = ZCLFrameShapeRgn<rsOctagon>;
inline constexpr auto& ZCLFrameCombRgn = ZCLFrameShapeRgn<rsComb>;
inline constexpr auto& ZCLFrameRoundShieldRgn = ZCLFrameShapeRgn<rsRoundShield>;
inline constexpr auto& ZCLFrameSharpShieldRgn = ZCLFrameShapeRgn<rsSharpShield>;
inline constexpr auto& ZCLFrameEllipticRgn = ZCLFrameShapeRgn<rsElliptic>;
inline constexpr auto& ZCLFrameHalfRoundRgn = ZCLFrameShapeRgn<rsHalfRound>;
// Its shadow part is drawn four pixels wide.
void ZCLFrameRoundRectRgn(TCanvas* Canvas, const TRect& R, TColor Light, TColor Shadow, TColor Single,
                          TZCLRegionBorderStyle Style, int CornerWidth, int CornerHeight);
void ZCLFrameThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos, TColor Light,
                            TColor Shadow, TColor Single, TZCLRegionBorderStyle Style);
void ZCLFrameEllipticThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos,
                                    TColor Light, TColor Shadow, TColor Single, TZCLRegionBorderStyle Style);
void ZCLFrameRoundThinkBubbleRgn(TCanvas* Canvas, const TRect& R, int BubbleSize, int Count, TZCLExtPos Pos,
                                 int CornerWidth, int CornerHeight, TColor Light, TColor Shadow, TColor Single,
                                 TZCLRegionBorderStyle Style);

// Option objects -------------------------------------------------------------------------------------------------

class TZCLRegionBorder : public TZCLObject {
public:
    TZCLRegionBorder() = default;
    // From another border: style and the three colours, then one change.
    void Assign(TPersistent* Source) override;

    TZCLRegionBorderStyle Style() const { return style_; }
    void SetBorderStyle(TZCLRegionBorderStyle Value);
    void SetStyle(TZCLRegionBorderStyle Value) { SetBorderStyle(Value); }
    // Index 0 LightColor, 1 ShadowColor, 2 SingleColor.
    TColor Colors(int Index) const { return colors_[std::size_t(Index) % 3]; }
    void SetColor(int Index, TColor Value);
    TColor LightColor() const { return Colors(0); }
    void SetLightColor(TColor Value) { SetColor(0, Value); }
    TColor ShadowColor() const { return Colors(1); }
    void SetShadowColor(TColor Value) { SetColor(1, Value); }
    TColor SingleColor() const { return Colors(2); }
    void SetSingleColor(TColor Value) { SetColor(2, Value); }

private:
    TZCLRegionBorderStyle style_ = rbSingle;
    TColor colors_[3] = {clBtnHighlight, clBtnShadow, clBlack};
};

class TZCLRegion : public TZCLObject {
public:
    TZCLRegion();
    ~TZCLRegion() override;
    // From another region: shape, corner sizes, shadow, corner position, border, mask, points, user region and
    // bubble count, then one change.
    void Assign(TPersistent* Source) override;
    // "PointList": x1, y1, x2, y2, ... while Points holds points.
    void DefineProperties(TFiler* Filer) override;

    // Builds the region for R (left and top moved by the offset point, the shadow's depth taken off the right
    // and bottom). Nothing while the control is being destroyed.
    void CreateRegion(const TRect& R);
    // The plain rectangle R as the region, unless the control is being destroyed.
    void CreateSpecialRectRgn(const TRect& R);
    // Gives the control's window the region (with its shadow); without a window the region is kept only.
    void SetRegion();
    // Takes the region off the control's window.
    void FreeRegion();
    // Deletes a region and zeroes the handle.
    static void DeleteHandle(HRGN& Region);
    // The user region kept as region data.
    void SetUserRgn(HRGN Region);
    // Points become Points, and their polygon the user region.
    void SetUserPolygonRgn(std::span<const TPoint> Points);
    // Takes the shadow's depth off R's right and bottom, and fills the shadow area outside the region.
    void DrawShadow(TCanvas* Canvas, TRect& R);
    // The shadow, then the border along the shape, in R moved by the offset point.
    void PaintRegionShape(TCanvas* Canvas, const TRect& R);

    // The region last built; owned by this object.
    HRGN Handle() const { return handle_.get(); }
    // The copy of the region last given to the window; owned by this object.
    HRGN WindowRegion() const { return windowCopy_.get(); }
    TWinControl* Control() const { return control_; }
    void SetControl(TWinControl* Value) { control_ = Value; }
    TPoint OffsetPoint() const { return offset_; }
    void SetOffsetPoint(const TPoint& Value) { offset_ = Value; }
    // While set, the shadow is neither given to the window nor painted.
    bool SuppressShadow() const { return suppressShadow_; }
    void SetSuppressShadow(bool Value) { suppressShadow_ = Value; }
    const std::vector<std::uint8_t>& UserRegionData() const { return userData_; }

    TZCLRegionShape Shape() const { return shape_; }
    void SetShape(TZCLRegionShape Value);
    // Index 0 RoundX, 1 RoundY; a change is told only for the rounded shapes.
    int RoundXY(int Index) const { return round_[Index & 1]; }
    void SetRoundXY(int Index, int Value);
    int RoundX() const { return RoundXY(0); }
    void SetRoundX(int Value) { SetRoundXY(0, Value); }
    int RoundY() const { return RoundXY(1); }
    void SetRoundY(int Value) { SetRoundXY(1, Value); }
    TZCLExtPos ExtPos() const { return extPos_; }
    void SetExtPos(TZCLExtPos Value);
    std::int32_t BubbleCount() const { return bubbles_; }
    void SetBubbleCount(std::int32_t Value);
    TZCLRegionBorder* Border() const { return border_.get(); }
    void SetBorder(TZCLRegionBorder* Value);
    TZCLRegionMask* Mask() const { return mask_.get(); }
    void SetMask(TZCLRegionMask* Value);
    TZCLRgnShadow* Shadow() const { return shadow_.get(); }
    void SetShadow(TZCLRgnShadow* Value);
    TZCLPointList* Points() const { return points_.get(); }

private:
    bool Destroying() const;
    bool Designing() const;
    HRGN Build(const TRect& R) const;
    void PointsChanged(TObject* Sender);
    void StorePolygon();
    void ReadPointList(TReader* Reader);
    void WritePointList(TWriter* Writer);

    TZCLRegionShape shape_ = rsRoundRect;
    std::unique_ptr<TZCLRegionBorder> border_;
    std::unique_ptr<TZCLRegionMask> mask_;
    std::int32_t bubbles_ = 4;
    std::vector<std::uint8_t> userData_;
    int round_[2] = {20, 20};
    RegionHandle handle_;
    RegionHandle windowCopy_;
    TWinControl* control_ = nullptr;  // not owned
    TZCLExtPos extPos_ = epLeftTop;
    std::unique_ptr<TZCLRgnShadow> shadow_;
    TPoint offset_;
    bool suppressShadow_ = false;
    std::unique_ptr<TZCLPointList> points_;
};

// A region that publishes its border too.
class TZCLBorderRegion : public TZCLRegion {
public:
    TZCLBorderRegion() = default;
};

// Form shape -----------------------------------------------------------------------------------------------------

// Gives its owner form the region (re-made whenever the form is sized), paints the form's fill and the region's
// border as the background, and lets the form be dragged by its client area.
class TZCLFormShape : public TZCLWndProcComponent {
public:
    explicit TZCLFormShape(TComponent* AOwner);
    ~TZCLFormShape() override;

    TZCLBorderRegion* Region() const { return region_.get(); }
    void SetRegion(TZCLBorderRegion* Value);
    TZCLFillObject* FillObject() const { return fill_.get(); }
    void SetFillObject(TZCLFillObject* Value);
    // Not owned; forgotten when it is freed.
    TZCLCustomImageList* ImageList() const { return imageList_; }
    void SetImageList(TZCLCustomImageList* Value);
    std::int32_t ListIndex() const { return listIndex_; }
    void SetListIndex(std::int32_t Value);
    std::int32_t ImageIndex() const { return imageIndex_; }
    void SetImageIndex(std::int32_t Value);
    // Index 0 ShowFormCaption, 1 FormDragable, 2 UseRgnBitmap.
    bool Boolean(int Index) const { return flags_[Index % 3]; }
    void SetBoolean(int Index, bool Value);
    bool ShowFormCaption() const { return Boolean(0); }
    void SetShowFormCaption(bool Value) { SetBoolean(0, Value); }
    bool FormDragable() const { return Boolean(1); }
    void SetFormDragable(bool Value) { SetBoolean(1, Value); }
    bool UseRgnBitmap() const { return Boolean(2); }
    void SetUseRgnBitmap(bool Value) { SetBoolean(2, Value); }

    // The owner form's window region made again for its size (not while loading).
    void ReRegion();
    // The user polygon or user region as the form's outline, at once.
    void SetPolygonShape(std::span<const TPoint> Points);
    void SetRegionShape(HRGN Region);
    // The background and border on DC (0: the form's own canvas).
    void PaintBorder(HDC DC);

    // The picture behind transparent children: the mask's border bitmap or the painted fill.
    bool BackBitmapCheck() const;
    TBitmap* BackBitmap() const;
    TPoint BackMapPoint(const TPoint& P) const { return P; }
    // Copies onto R of Canvas the part of the background that starts at P.
    void BackDrawArea(TCanvas* Canvas, const TRect& R, const TPoint& P) const;

    // A change of the region, the fill or an option: the component's change, then a new region.
    void GetChange(TObject* Sender) override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // A default image list is stored by name as "Internal".
    void DefineProperties(TFiler* Filer) override;

protected:
    void WndProc(TMessage& Message) override;
    // Enabled: the form is re-regioned; disabled: it gets its plain outline back.
    void Init() override;
    void RestoreState() override;

private:
    bool Designing() const;
    TCustomForm* Form() const { return GetOwnerForm(); }
    void ImageListChanged(TObject* Sender);
    void ReadInternal(TReader* Reader);
    void WriteInternal(TWriter* Writer);

    std::unique_ptr<TZCLBorderRegion> region_;
    std::unique_ptr<TZCLFillObject> fill_;
    TZCLCustomImageList* imageList_ = nullptr;  // not owned
    std::unique_ptr<TZCLChangeLink> link_;
    std::int32_t listIndex_ = 0;
    std::int32_t imageIndex_ = 0;
    bool flags_[3] = {true, true, true};
    std::unique_ptr<TBitmap> background_;
    bool ncButtonDown_ = false;
    bool reRegioning_ = false;  // resizing the form to its picture sizes it again
};
