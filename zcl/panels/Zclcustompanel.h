#pragma once
// The root of the library's panels: a windowed container that, while transparent, shows the part of its
// parent's picture that lies behind it and hands the same picture on to its own transparent children.

#include <cstdint>

#include "zcl/components/Zclcustomcontrol.h"

class TZCLCustomPanel : public TZCLCustomControl {
public:
    // Accepts controls, captures the mouse, clicks and double clicks, opaque; button-face colour.
    explicit TZCLCustomPanel(TComponent* AOwner);

    // Transparent, and the parent can hand over its picture: a library windowed parent whose window exists
    // and that can itself, or a form whose shape component can.
    bool BackBitmapCheck() override;
    // The parent's picture (24 bits per pixel while the background effects are on); null unless
    // BackBitmapCheck.
    TBitmap* BackBitmap() override;
    // P in the coordinates of the parent's picture: moved by where the panel's client area lies in it.
    TPoint BackMapPoint(const TPoint& P) override;
    // The part of the parent's picture under Dest (Src being where Dest starts in the panel's client area),
    // with the panel's background effects, onto Canvas. False while loading or going, or without a picture.
    bool BackDrawArea(TCanvas* Canvas, const TRect& Dest, const TPoint& Src, std::uint16_t Flags) override;

protected:
    bool Destroying() const { return ComponentState().Contains(csDestroying); }
    // Half of what the window's frame takes from its width and height.
    TPoint HalfBorder() const;

private:
    // The parent when it speaks the background protocol, or null.
    TZCLBackSupplier* SupplierParent() const;
};
