#pragma once
// A bevel panel with a background picture of its own, made from an image-list item tiled over its client
// area; its transparent children are drawn from that picture.

#include <cstdint>
#include <memory>

#include "zcl/panels/Zclcustombevelpanel.h"

class TZCLCustomParentPanel : public TZCLCustomBevelPanel {
public:
    explicit TZCLCustomParentPanel(TComponent* AOwner);
    ~TZCLCustomParentPanel() override;

    // Off: the picture's palette is selected and realised before it is copied.
    bool QuickDraw() const { return quickDraw_; }
    void SetQuickDraw(bool Value) { quickDraw_ = Value; }
    // The picture; null while there is none, and while the panel is transparent.
    TBitmap* Back() const { return Transparent() ? nullptr : back_.get(); }

    // With an image item and not transparent: the picture, kept while the client area still fits in it
    // unless Force, else made again; otherwise none.
    virtual void CreateBack(bool Force);

    bool BackBitmapCheck() override;
    TBitmap* BackBitmap() override;
    TPoint BackMapPoint(const TPoint& P) override;
    bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags) override;
    // It draws from its own picture, or from its parent's when transparent.
    bool CheckOptimized() override;
    // The picture is made again, the panel redrawn and the children told that the background changed.
    void GetIMLChange(TObject* Sender) override;
    HPALETTE GetPalette() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Dispatch(TMessage& Message) override;

protected:
    // The picture, then the bevel over it; at design time an empty panel shows a dashed frame.
    void Paint() override;
    // Frees the picture.
    void FreeBack() { back_.reset(); }
    // The picture, made when missing; true when it must be drawn again (Force, or the client area does not
    // fit in it any more), and then it has the client area's size.
    bool PrepareBack(bool Force);

private:
    std::unique_ptr<TBitmap> back_;
    bool quickDraw_ = false;
};
