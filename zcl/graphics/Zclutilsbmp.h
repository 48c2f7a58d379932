#pragma once
// The bitmap drawing core of the library's procedures: one routine that draws a rectangle of a canvas into a
// target rectangle by a flag word (placement and transparency), clipped drawing, the embossed look of a disabled
// glyph, a picture cut to a shape mask, and a texture fill from an offset.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"

// The drawing flag word. Placement bits count in the order centre, stretch, tile: the last one present decides.
// The method is the first that applies of colour replacement, caller's mask (only with a mask canvas),
// transparent colour, plain copy.
constexpr std::uint16_t ZCLBmpClip = 0x0001;         // ZCLBmpClipDrawExt: clip to the target rectangle
constexpr std::uint16_t ZCLBmpCenter = 0x0008;       // the source at its own size, centred
constexpr std::uint16_t ZCLBmpStretch = 0x0010;      // the source stretched into the target
constexpr std::uint16_t ZCLBmpTile = 0x0020;         // the source repeated from the target's top-left
constexpr std::uint16_t ZCLBmpTransparent = 0x0040;  // the given colour is transparent
constexpr std::uint16_t ZCLBmpReplace = 0x0080;      // a bitmap's transparent colour drawn in the given colour
constexpr std::uint16_t ZCLBmpMask = 0x0100;         // transparency by the caller's mask canvas
constexpr std::uint16_t ZCLBmpKeepHeight = 0x0200;   // with stretch: the target's height, width by aspect
constexpr std::uint16_t ZCLBmpKeepWidth = 0x0400;    // with stretch: the target's width, height by aspect
constexpr std::uint16_t ZCLBmpPalette = 0x1000;      // the whole-bitmap wrappers realise the bitmap's palette

// Draws the area S of Source into the target rectangle D of Canvas and returns the rectangle the drawing
// covers: the placement (D itself in tile mode, and when the placement has no size); (0, 0, 0, 0) for an empty
// D, and D for an empty S, which draws nothing. Extra is the bitmap to draw with ZCLBmpReplace (Source is not
// used then) and the mask canvas, laid out like Source, with ZCLBmpMask; it is not read otherwise. With
// ZCLBmpTransparent the scratch image takes Palette when it is not 0. Stretching leaves the canvas's stretch
// mode at COLORONCOLOR; colour replacement leaves its brush in Color. Tiles are cut at D's edges.
TRect ZCLBmpDrawExt(TCanvas* Canvas, const TRect& D, TCanvas* Source, const TRect& S, std::uint16_t Flags,
                    TColor Color, HPALETTE Palette, TObject* Extra);

// ZCLBmpDrawExt without a palette. With ZCLBmpClip the drawing is clipped to D moved right by the low and down
// by the high unsigned 16 bits of ClipOffset, within any clip region the canvas has, which is put back after.
void ZCLBmpClipDrawExt(TCanvas* Canvas, const TRect& D, TCanvas* Source, const TRect& S, std::uint16_t Flags,
                       std::int32_t ClipOffset, TColor Color, TObject* Extra);

// The disabled look of Src drawn into Dest (which the caller sizes): Dest filled with Src's transparent colour,
// then the black pixels of Src in the button-highlight colour at (X + 1, Y + 1) and in the button-shadow colour
// at (X, Y). Dest's brush stays in the button-shadow colour.
void ZCLBmpDrawDisabledState(TBitmap* Dest, TBitmap* Src, int X, int Y);

// Picture drawn at R's top-left, at its own size, where Mask does not have MaskColor; TransparentColor is the
// colour that stays transparent. Mask becomes the monochrome mask of its MaskColor pixels, and Picture takes
// Mask's other pixels where Mask had no MaskColor: callers pass copies they can give up.
void ZCLMaskBmpDraw(TCanvas* Canvas, const TRect& R, TBitmap* Mask, TBitmap* Picture, TColor MaskColor,
                    TColor TransparentColor);

// Fills R of DC with Bitmap repeated so that the bitmap's point Offset lies at R's top-left. Nothing for an
// empty bitmap, a negative offset or an empty R; offsets of the bitmap's size or more wrap.
void ZCLFillTexture(HDC DC, const TRect& R, TBitmap* Bitmap, const TPoint& Offset);
