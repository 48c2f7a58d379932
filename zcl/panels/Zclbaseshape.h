#pragma once
// The windowless shape control: one of the library's shape kinds outlined by a simple bevel, with a shadow, saw
// teeth, a face from a brush, a bitmap, an image list or a gradient, and a caption. The outline is kept as a point
// list and worked out again only when the size or a shape setting changed. The fast modes paint straight onto the
// canvas; the fill modes keep the face in an off-screen bitmap and paint the shape through it.

#include <cstdint>
#include <memory>

#include "framework/runtime/AnsiString.h"
#include "framework/visual/Graphics.h"
#include "zcl/components/Zclbasegraphiccontrol.h"
#include "zcl/graphics/Zclcaption.h"
#include "zcl/graphics/Zclgrapa.h"
#include "zcl/graphics/Zclshadow.h"

enum TZCLShapeControlMode : std::uint8_t { scmShapeFast, scmShapeFill, scmTeethFast, scmTeethFill };

class TZCLBaseShape : public TZCLBaseGraphicControl {
public:
    // A transparent rectangle with the parent's colour and font, a 2-pixel outline, a solid shadow and a centred
    // caption.
    explicit TZCLBaseShape(TComponent* AOwner);
    ~TZCLBaseShape() override;

    // Owned option objects; a setter copies the value in, and the object's change redraws the shape.
    TZCLSimpleBevel* Bevel() const { return bevel_.get(); }
    void SetBevel(TZCLSimpleBevel* Value) { bevel_->Assign(Value); }
    TBrush* Brush() const { return brush_.get(); }
    void SetBrush(TBrush* Value) { brush_->Assign(Value); }
    TZCLCaption* Caption() const { return caption_.get(); }
    void SetCaption(TZCLCaption* Value) { caption_->Assign(Value); }
    TZCLShadow* Shadow() const { return shadow_.get(); }
    void SetShadow(TZCLShadow* Value) { shadow_->Assign(Value); }
    TZCLShapeFill* ShapeFill() const { return shapeFill_.get(); }
    void SetShapeFill(TZCLShapeFill* Value) { shapeFill_->Assign(Value); }
    // Used in the teeth modes only.
    TZCLTeeth* Teeth() const { return teeth_.get(); }
    void SetTeeth(TZCLTeeth* Value) { teeth_->Assign(Value); }

    // Each setter stores a changed value and redraws.
    // The colour behind the lines of a hatched brush.
    TColor BrushBackColor() const { return brushBackColor_; }
    void SetBrushBackColor(TColor Value);
    // The caption drawn into the face of a fill mode, so that the shape's outline cuts it.
    bool CaptionClip() const { return captionClip_; }
    void SetCaptionClip(bool Value);
    // 0..100; other values are held to the range.
    TZCLPercent RoundPercent() const { return roundPercent_; }
    void SetRoundPercent(TZCLPercent Value);
    TZCLShapeType Shape() const { return shape_; }
    void SetShape(TZCLShapeType Value);
    bool Square() const { return square_; }
    void SetSquare(bool Value);
    TZCLShapeControlMode Mode() const { return mode_; }
    void SetMode(TZCLShapeControlMode Value);

    // The outline as last worked out, relative to the client area.
    TZCLPointList* PointList() const { return pointList_.get(); }
    // The teeth the outline is made with: Teeth in the teeth modes, else none.
    TZCLTeeth* ActiveTeeth() const { return activeTeeth_; }
    // The face bitmap of the fill modes; none in the fast modes. Empty until the next paint fills it.
    TBitmap* OffscreenBitmap() const { return offscreen_.get(); }

    // The shape as it is painted, onto any canvas, in the control's client coordinates.
    void PaintToCanvas(TCanvas* Canvas);
    // A 24-bit bitmap file of the control's size with the shape painted on white.
    void SaveToFile(const AnsiString& FileName);

    // Works the outline out again (except for a change of the caption alone), drops the face bitmap and redraws.
    void GetChange(TObject* Sender) override;
    // The image item becomes the fill's list bitmap (emptied without an item), then the shape redraws.
    void GetIMLChange(TObject* Sender) override;
    // The fill's palette in the fill modes.
    HPALETTE GetPalette() override;
    void Loaded() override;
    // A list that goes takes its picture out of the face.
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

    // The caption in R less the bevel (and the shadow's depth on the right and bottom).
    virtual void DrawCaption(TCanvas* Canvas, const TRect& R);
    // Where the gradient of the fill is painted: the client rectangle.
    virtual void GetGradientRect(TRect& R);
    // The caption's own text.
    virtual void GetLabelText(AnsiString& Text);

protected:
    void Paint() override;
    // A change of size marks the outline to be worked out again at the next paint; a move alone does not.
    void BoundsChange(TZCLBoundsChangeStates States) override;

private:
    void SelectTeeth();
    void CalcShape();
    // Frees the face bitmap; the fill modes start an empty one at once.
    void GetShapeChange();
    void OffscreenPaint();
    // R less the teeth on their side, in the teeth modes.
    TRect TeethlessRect(const TRect& R) const;
    void DrawShape(TCanvas* Canvas, TBitmap* FillBitmap);
    template <typename T>
    void Store(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        GetChange(this);
    }

    std::unique_ptr<TZCLSimpleBevel> bevel_;
    std::unique_ptr<TBrush> brush_;
    TColor brushBackColor_ = clBtnFace;
    std::unique_ptr<TZCLCaption> caption_;
    bool captionClip_ = false;
    std::unique_ptr<TZCLPointList> pointList_;
    TZCLPercent roundPercent_ = 33;
    std::unique_ptr<TZCLShadow> shadow_;
    TZCLShapeType shape_ = stRectangle;
    bool square_ = false;
    std::unique_ptr<TZCLTeeth> teeth_;
    TZCLTeeth* activeTeeth_ = nullptr;  // teeth_ or none
    TZCLShapeControlMode mode_ = scmShapeFast;
    bool recalc_ = true;
    std::unique_ptr<TZCLShapeFill> shapeFill_;
    std::unique_ptr<TBitmap> offscreen_;
};
