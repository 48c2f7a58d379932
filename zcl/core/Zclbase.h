#pragma once
// Enumerations, sets and ranges shared by every control of the library.
// Each enumeration is one byte; a set of one has bit n for value n.

#include <cstdint>

#include "framework/runtime/Sets.h"

class TComponent;

enum TZCLBoundsChangeState : std::uint8_t { bcSize, bcPos };
using TZCLBoundsChangeStates = TSet<TZCLBoundsChangeState>;

enum TZCLDockPosition : std::uint8_t { dpBottom, dpLeft, dpRight, dpTop };

enum TZCLShadowStyle : std::uint8_t { hssNone, hssSolid, hssTracing };

enum TZCLOrientation : std::uint8_t { toHorizontal, toVertical };

enum TZCLBevelStyle : std::uint8_t {
    bvNone, bvLowered, bvRaised, bvFrameLowered, bvFrameRaised, bvNormal, bvShadow
};

enum TZCLBevelMode : std::uint8_t { bmCustom, bmStandard, bmEdge, bmWindows };

enum TZCLBorderStyle : std::uint8_t {
    lsNone, lsSingle, lsLowered, lsRaised, lsRaisedspb, lsLoweredspb, lsRaisedExt, lsLoweredExt,
    lsFrameInset, lsFrameOffset, lsWindowBorder, lsSingleRaised, lsSingleLowered, lsDoubleRaised,
    lsDoubleLowered
};

enum TZCLEdgeStyle : std::uint8_t {
    etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken
};

enum TZCLFrameSide : std::uint8_t { fsBottom, fsLeft, fsRight, fsTop };
using TZCLFrameSides = TSet<TZCLFrameSide>;

enum TZCLTextArrange : std::uint8_t {
    taLeft, taLeftTop, taRight, taRightTop, taTop, taTopLeft, taBottom, taBottomLeft
};

enum TZCLArrowPosition : std::uint8_t { apRightText, apLeftText, apRightGlyph, apLeftGlyph };

enum TZCLButtonState : std::uint8_t {
    bsUp, bsDisabledUp, bsMouseOver, bsOptionSet, bsDown, bsDragOver, bsDropDownOpen, bsDisabledDown
};

enum TZCLUserButtonStyle : std::uint8_t {
    ubsAutoDetect, ubsWin31, ubsWin40, ubsVesto, ubsVestoFlat, ubsFlat, ubsFlatUnColored,
    ubsNavigator, ubsExplorer, ubsExplorerColored, ubsIntegrated
};

enum TZCLNormalButtonStyle : std::uint8_t { nbsAutoDetect, nbsWin31, nbsWin40 };

enum TZCLAlignment : std::uint8_t {
    agTopLeft, agTopCenter, agTopRight, agCenterLeft, agCenter, agCenterRight,
    agBottomLeft, agBottomCenter, agBottomRight
};

enum TZCLFillStyle : std::uint8_t { sfNone, sfBrushBitmap, sfBrush, sfBitmap, sfBitmapList, sfGradient };

enum TZCLTileMode : std::uint8_t { tmNone, tmCenter, tmStretch, tmTile };

enum TZCLGradientStyle : std::uint8_t {
    gstHorizontal, gstVertical, gstSquare, gstElliptic, gstTopLeft, gstTopRight, gstBottomLeft,
    gstBottomRight, gstTopLeftDiagonal, gstTopRightDiagonal
};

enum TZCLDrawTextStyle : std::uint8_t {
    dtDisabled, dtEnabled, dt3DDisabled, dtClip, dtAccelChar, dtAutoSize, dtRectText, dtRectGlyph,
    dtRectGlyphText, dtCalculate
};
using TZCLDrawTextStyles = TSet<TZCLDrawTextStyle>;

enum TZCLGlyphTextFocusStyle : std::uint8_t { fcControl, fcText, fcGlyph, fcGlyphText, fcNone };

enum TZCLThreeDStyle : std::uint8_t {
    tdNone, tdSunken, tdRaised, tdSunkenShadow, tdRaisedShadow, tdPColorSunken, tdPColorRaised,
    tdShadow, tdOutline, tdExtrude, tdExtrudeEnh
};

enum TZCLThreeDOrientation : std::uint8_t { toBottomLeft, toBottomRight, toTopLeft, toTopRight };

enum TZCLDisabledStyle : std::uint8_t { dsAuto, dsStandard, ds3d, dsNone };

enum TZCLTransparentMode : std::uint8_t { tpNone, tpRestoreBack, tpTransparentColor, tpRBTranspColor };

enum TZCLBitmapStyle : std::uint8_t {
    sbNone, sbAutosize, sbCenter, sbStretch, sbTile, sbKeepAspRatio, sbKeepWidth, sbKeepHeight
};

enum TZCLDirection : std::uint8_t { tdRight, tdDown, tdLeft, tdUp };

enum TZCLMeterDirection : std::uint8_t {
    mdHorizontal, mdVertical, mdHorizontalReverse, mdVerticalReverse
};

enum TZCLMeterTextOptions : std::uint8_t { toNoText, toCaption, toPercent };

enum TZCLPathPrefix : std::uint8_t { ppWindows, ppSystem, ppProgram, ppFixed };

enum TZCLCompressionType : std::uint8_t { ctLZRW };

enum TZCLSysMenuEntry : std::uint8_t {
    smRestore, smMove, smSize, smMinimize, smMaximize, smClose, smSwitch
};
using TZCLSysMenuEntries = TSet<TZCLSysMenuEntry>;

// Integer ranges: the type carries the value, the range its bounds.
template <typename T, T Lo, T Hi>
struct TZCLRange {
    using Type = T;
    static constexpr T Low = Lo;
    static constexpr T High = Hi;
    static constexpr bool Contains(long long v) { return v >= Lo && v <= Hi; }
};

using TZCLDDArrowSize = int;
using TZCLDDArrowSizeRange = TZCLRange<int, 2, 10>;
using TZCLBevelWidth = int;
using TZCLBevelWidthRange = TZCLRange<int, 0, 50>;
using TZCLBorderWidth = int;
using TZCLBorderWidthRange = TZCLRange<int, 0, 255>;
using TZCLColorCount = int;
using TZCLColorCountRange = TZCLRange<int, 2, 236>;
using TZCLPercent = int;
using TZCLPercentRange = TZCLRange<int, 0, 100>;
using TZCLShadowDepth = int;
using TZCLShadowDepthRange = TZCLRange<int, 0, 40>;

// The block packer's buffers: indexes 0..32781, block sizes 0..32767.
using TBufferIndex = std::uint16_t;
using TBufferIndexRange = TZCLRange<std::uint16_t, 0, 32781>;
using TBufferSize = std::uint16_t;
using TBufferSizeRange = TZCLRange<std::uint16_t, 0, 32767>;
using TBuffer = std::uint8_t[TBufferIndexRange::High + 1];

// Raises the exception for a dock label or button attached to a component that already has one.
[[noreturn]] void ZCLRaiseDockError(const TComponent* Component, const TComponent* AttachedTo);
