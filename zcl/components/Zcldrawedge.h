#pragma once
// A windowless control that draws a Windows edge, a diagonal line or one of the library's standard frames.

#include <cstdint>

#include "zcl/components/Zclcontrol.h"
#include "zcl/core/Zclcustomcomponent.h"

enum TZCLDiagonalStyle : std::uint8_t { dsEndBottomLeft, dsEndBottomRight, dsEndTopLeft, dsEndTopRight };
enum TZCLDrawEdgeStyle : std::uint8_t { esEdge, esDiagonal, esStandard };

class TZCLDrawEdge : public TZCLControl {
public:
    // 40 x 40, an etched edge on every side.
    explicit TZCLDrawEdge(TComponent* AOwner);

    // Each setter stores a changed value and redraws.
    const TZCLAboutVar& About() const { return about_; }
    void SetAbout(const TZCLAboutVar& Value) { about_ = Value; }
    TZCLDiagonalStyle DiagonalStyle() const { return diagonalStyle_; }
    void SetDiagonalStyle(TZCLDiagonalStyle Value);
    TZCLEdgeStyle EdgeStyle() const { return edgeStyle_; }
    void SetEdgeStyle(TZCLEdgeStyle Value);
    // The inside filled in the face colour.
    bool Filled() const { return filled_; }
    void SetFilled(bool Value);
    TZCLFrameSides FrameSides() const { return frameSides_; }
    void SetFrameSides(TZCLFrameSides Value);
    TZCLBorderStyle StandardStyle() const { return standardStyle_; }
    void SetStandardStyle(TZCLBorderStyle Value);
    bool Soft() const { return soft_; }
    void SetSoft(bool Value);
    TZCLDrawEdgeStyle Style() const { return style_; }
    void SetStyle(TZCLDrawEdgeStyle Value);

protected:
    void Paint() override;

private:
    template <typename T>
    void Store(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        Invalidate();
    }

    TZCLAboutVar about_;
    TZCLDiagonalStyle diagonalStyle_ = dsEndBottomLeft;
    TZCLEdgeStyle edgeStyle_ = etEtched;
    bool filled_ = false;
    TZCLFrameSides frameSides_{fsBottom, fsLeft, fsRight, fsTop};
    TZCLBorderStyle standardStyle_ = lsSingleLowered;
    bool soft_ = false;
    TZCLDrawEdgeStyle style_ = esEdge;
};
