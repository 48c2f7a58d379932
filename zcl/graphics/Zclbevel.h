#pragma once
// The frame of panels, edits and labels as an option object: custom bevels (inner and outer style, a border
// between them, or a drop shadow), a standard frame style, a system edge on chosen sides, or the window's own
// border; with a border of its own inside in every mode.

#include <array>
#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclobject.h"

class TZCLBevel : public TZCLObject {
public:
    TZCLBevel();
    // From another bevel: every published field and the native-border flag, then one change.
    void Assign(TPersistent* Source) override;
    // Keeps the frame and client extents, then notifies.
    void Change() override;
    // "{Custom style}" and the like by mode.
    AnsiString GetSetStr() const override;

    // Index 0 StyleInner, 1 StyleOuter. A shadow is always both styles: setting one to bvShadow sets the other,
    // and leaving bvShadow sets the other to bvNone.
    TZCLBevelStyle Style(int Index) const { return styles_[std::size_t(Index & 1)]; }
    void SetStyle(int Index, TZCLBevelStyle Value);
    TZCLBevelStyle StyleInner() const { return Style(0); }
    void SetStyleInner(TZCLBevelStyle Value) { SetStyle(0, Value); }
    TZCLBevelStyle StyleOuter() const { return Style(1); }
    void SetStyleOuter(TZCLBevelStyle Value) { SetStyle(1, Value); }
    // Index 0 WidthInner, 1 WidthOuter; held to 0..50.
    TZCLBevelWidth Width(int Index) const { return widths_[std::size_t(Index & 1)]; }
    void SetWidth(int Index, TZCLBevelWidth Value);
    TZCLBevelWidth WidthInner() const { return Width(0); }
    void SetWidthInner(TZCLBevelWidth Value) { SetWidth(0, Value); }
    TZCLBevelWidth WidthOuter() const { return Width(1); }
    void SetWidthOuter(TZCLBevelWidth Value) { SetWidth(1, Value); }
    // Index 0 BorderInnerWidth, 1 BorderWidth; held to 0..255.
    TZCLBorderWidth BorderWidths(int Index) const { return borderWidths_[std::size_t(Index & 1)]; }
    void SetBorderWidths(int Index, TZCLBorderWidth Value);
    TZCLBorderWidth BorderInnerWidth() const { return BorderWidths(0); }
    void SetBorderInnerWidth(TZCLBorderWidth Value) { SetBorderWidths(0, Value); }
    TZCLBorderWidth BorderWidth() const { return BorderWidths(1); }
    void SetBorderWidth(TZCLBorderWidth Value) { SetBorderWidths(1, Value); }
    // Index 0 BorderColor, 1 LightColor, 2 ShadowColor.
    TColor Color(int Index) const { return colors_[std::size_t(Index) % 3]; }
    void SetColor(int Index, TColor Value);
    TColor BorderColor() const { return Color(0); }
    void SetBorderColor(TColor Value) { SetColor(0, Value); }
    TColor LightColor() const { return Color(1); }
    void SetLightColor(TColor Value) { SetColor(1, Value); }
    TColor ShadowColor() const { return Color(2); }
    void SetShadowColor(TColor Value) { SetColor(2, Value); }
    TZCLFrameSides BorderSides() const { return borderSides_; }
    void SetBorderSides(TZCLFrameSides Value);
    TZCLEdgeStyle EdgeStyle() const { return edgeStyle_; }
    void SetEdgeStyle(TZCLEdgeStyle Value);
    // Changing to or from bmWindows while the window's own border serves asks for a new window.
    TZCLBevelMode Mode() const { return mode_; }
    void SetMode(TZCLBevelMode Value);
    // Stored in every mode; a change is told only in bmStandard.
    TZCLBorderStyle StandardStyle() const { return standardStyle_; }
    void SetStandardStyle(TZCLBorderStyle Value);

    // Set by a windowed owner whose bmWindows frame is its window's border.
    bool NativeBorder() const { return nativeBorder_; }
    void SetNativeBorder(bool Value) { nativeBorder_ = Value; }

    // The frame's width on each side, by mode.
    int GetBevelExtend() const;
    // The extents as Change kept them.
    int FrameExtent() const { return frameExtent_; }
    int ClientExtent() const { return clientExtent_; }
    // R without the frame; a shadow is taken off the right and bottom only.
    void ClientRect(const TRect& R, TRect& Client) const;
    // Draws the frame in R and gives the rectangle inside it. SkipFill leaves the borders (and a shadow's free
    // corners) unpainted.
    void PaintBevel(TCanvas* Canvas, const TRect& R, bool SkipFill, TRect& Inner) const;
    // Whether the owner must make its window again; reading it clears the request.
    bool GetRecreateWnd();

private:
    std::array<TZCLBevelStyle, 2> styles_{bvNone, bvNone};
    std::array<TZCLBevelWidth, 2> widths_{1, 1};
    std::array<TZCLBorderWidth, 2> borderWidths_{0, 0};
    std::array<TColor, 3> colors_{clBtnFace, clBtnHighlight, clBtnShadow};
    TZCLFrameSides borderSides_{fsBottom, fsLeft, fsRight, fsTop};
    TZCLEdgeStyle edgeStyle_ = etEtched;
    TZCLBevelMode mode_ = bmCustom;
    TZCLBorderStyle standardStyle_ = lsSingleLowered;
    bool nativeBorder_ = false;
    bool recreate_ = false;
    int frameExtent_ = 0;
    int clientExtent_ = 0;
};
