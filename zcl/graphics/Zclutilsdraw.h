#pragma once
// The library's drawing helpers, on which every control paints: frames and borders, triangles, bitmap helpers
// over the bitmap drawing core, pattern fills, gradients, aligned, measured and three-dimensional text,
// glyph-and-text layout and button faces. Free procedures without state.

#include <windows.h>

#include <array>
#include <cstdint>
#include <span>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"
#include "zcl/graphics/Zclutilsbmp.h"

class TList;
class TZCL3DCaption;
class TZCLGlyphTextLayout;
enum TFormBorderStyle : unsigned char;

// Whether palette drawing (the 0x1000 drawing flag) is left to the application: it realises palettes itself
// (aoAutoRealizePalette) on a screen of 8 bits per pixel or fewer.
bool ZCLPaletteLeftToApplication();

// Frames -------------------------------------------------------------------------------------------------------

// Draws the frame of Style with the system's edge drawing; R shrinks by what was drawn. Flags are added to the
// side flags of the first edge (and of further ones where the style says so). Always true.
bool ZCLDrawStdFrame(TCanvas* Canvas, TRect& R, TZCLBorderStyle Style, std::uint16_t Flags);
// The width of Style's frame: 0 for lsNone, 1 for the single styles, 2 for the others.
int ZCLDrawStdFrameExt(TZCLBorderStyle Style);
// Lines up the left side and along the top in TopLeft, down the right side and back along the bottom in
// BottomRight (right and bottom edges excluded).
void ZCLDrawBorder(TCanvas* Canvas, const TRect& R, TColor TopLeft, TColor BottomRight);
// 2 for a single border with the 3D look, 1 without, 0 for any other border style.
int ZCLGetCtrlBorderWidth(bool Ctl3D, TFormBorderStyle BorderStyle);
// A small triangle of Size (2..15, else nothing) rows at (X, Y), pointing down or up; disabled, it is embossed
// in the highlight-text and grey-text colours.
void ZCLDrawTriangle(TCanvas* Canvas, int X, int Y, int Size, TColor Color, bool Down, bool Enabled);
// A drop shadow of ShadowDepth pixels on the right and bottom (the two uncovered corners in BackColor unless
// Transparent), then FrameWidth one-pixel outlines in FrameColor inside it. R loses the shadow and the outlines.
// Always true.
bool ZCLDrawFrameShadow(TCanvas* Canvas, TRect& R, TColor FrameColor, TColor ShadowColor, TColor BackColor,
                        std::uint8_t ShadowDepth, std::uint8_t FrameWidth, bool Transparent, int Flags);
// A bevel of Width in Light and Shadow by Style; R shrinks by the bevel (Width + 1 for the frame styles).
// False, with nothing drawn, for Width 0, bvNone and bvShadow.
bool ZCLDrawFrame3D(TCanvas* Canvas, TRect& R, TZCLBevelStyle Style, TColor Light, TColor Shadow, int Width);

// Bitmaps ------------------------------------------------------------------------------------------------------

// Sizes Bitmap to R and fills it with Color; nothing for no bitmap or an empty R.
void ZCLBmpCreateFromRect(TBitmap* Bitmap, const TRect& R, TColor Color);
// ZCLBmpCreateMasksExt over the whole of Src (Mask1 the mask, Mask2 the image). Mask1 may be Src itself.
void ZCLBmpCreateMasks(TBitmap* Src, TBitmap* Mask1, TBitmap* Mask2, TColor TransparentColor);
// Dest becomes a four-tone copy of Src (white, button highlight, button shadow, black by brightness against the
// picture's average); pixels of the colour of Src's top-left pixel keep their colour.
void ZCLBmpCreateGrayscale(TBitmap* Dest, TBitmap* Src);
// Image receives a copy of the area R of Canvas, Mask the same made monochrome (white where TransparentColor),
// and Image turns black where Mask is white. Nothing unless both bitmaps are given.
void ZCLBmpCreateMasksExt(TCanvas* Canvas, const TRect& R, TBitmap* Mask, TColor TransparentColor,
                          TBitmap* Image);
// Dest gets Src's width and height.
void ZCLCopyBmpSize(TBitmap* Src, TBitmap* Dest);
// The whole bitmap by ZCLBmpDrawExt. With ZCLBmpPalette the bitmap's palette is selected and realised on the
// canvas for the drawing (unless the application realises palettes itself on a palette screen); without
// ZCLBmpReplace the bitmap is drawn from its canvas.
TRect ZCLBmpDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TColor Color, std::uint16_t Flags);
// The same by ZCLBmpClipDrawExt.
void ZCLBmpClipDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap, TColor Color, std::int32_t ClipOffset,
                    std::uint16_t Flags);
// ZCLBmpDraw stretched, with the palette: colour 0, flags 0x1010.
void ZCLBmpStretchDraw(TCanvas* Canvas, const TRect& R, TBitmap* Bitmap);
// R of DC combined with Bitmap as a pattern brush, destination and pattern (0xA000C9).
void ZCLFillPattern(HDC DC, const TRect& R, TBitmap* Bitmap);
// Bitmap sized to the icon, filled with BackColor, the icon drawn at 0, 0.
void ZCLIcon2Bitmap(TBitmap* Bitmap, TIcon* Icon, TColor BackColor);
// Bitmap sized to R and filled with that area of the screen.
void ZCLBmpFromDesktop(TBitmap* Bitmap, const TRect& R);

// Gradients ----------------------------------------------------------------------------------------------------
// A colour list is a TList whose entries are RGB values (0x00BBGGRR) cast to pointers.

// Each channel C1's + (C2's - C1's) x Step / Steps, rounded; C1 for Steps 0. System colours are resolved.
TColor ZCLGradientGetColor(TColor C1, TColor C2, int Step, int Steps);
// Adds Count steps from C1 to C2 (system colours resolved); with Clear the list is emptied first, without it
// the first step (C1, which ends the run before) is left out. One step is C1.
void ZCLGradientCreateColorList(TColor C1, TColor C2, std::uint8_t Count, bool Clear, TList* List);
// A logical palette of the list's colours, each kept from collapsing; null for no list or an empty one. The
// caller deletes it.
HPALETTE ZCLGradientCreatePalette(TList* List);
// Paints Count steps from C1 to C2, with a palette of them under the palette flag (0x1000).
void ZCLGradientPaint(TCanvas* Canvas, const TRect& R, TColor C1, TColor C2, std::uint8_t Count,
                      TZCLGradientStyle Style, std::uint16_t Flags, std::int32_t ClipOffset);
// One band or nested shape per colour of List in R. Flags: 0x1000 paints palette-relative with Palette
// selected for the painting; 0x0004 paints off-screen and puts the result on the canvas; else 0x0001 clips to
// R moved by ClipOffset (unsigned 16-bit halves) within the canvas's own clip region.
void ZCLGradientPaintExt(TCanvas* Canvas, const TRect& R, TZCLGradientStyle Style, TList* List, HPALETTE Palette,
                         std::uint16_t Flags, std::int32_t ClipOffset);
// A gradient through Colors: each of the n segments gets Count div n steps, the first one starting with the
// first colour; nothing for fewer than two colours or fewer than two steps a segment.
void ZCLSuperGradientPaint(TCanvas* Canvas, const TRect& R, std::span<const TColor> Colors, std::uint8_t Count,
                           TZCLGradientStyle Style, std::uint16_t Flags, std::int32_t ClipOffset);

// Text ---------------------------------------------------------------------------------------------------------

// The text-drawing alignment flags of an alignment: left, centre, right 0, 1, 2 plus top, centre, bottom 0, 4, 8.
unsigned ZCLAlignmentFlags(TZCLAlignment Alignment);
// A rectangle of R's size placed inside Area by Alignment.
TRect ZCLAlignRect(TZCLAlignment Alignment, const TRect& R, const TRect& Area);
// The text measured (ZCLDrawTextCalc, no border) in R one pixel narrower, placed in R by Alignment.
TRect ZCLAlignTextRect(TZCLAlignment Alignment, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                       TFont* Font, bool MultiLine, bool ShowAccelChar, int Flags);
// Draws Text into R with the text-drawing Flags and the caption's 3D style, tracing and rotation; without a
// caption plainly. With dtClip the drawing is clipped to Clip (or R) within the canvas's own clip region.
void ZCLDrawTextExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R, int Flags,
                    TZCLDrawTextStyles Styles, const TRect* Clip);
// ZCLDrawTextExt enabled, without a clip rectangle.
void ZCLDrawText(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R, int Flags);
// ZCLDrawTextCalcExt on a canvas of its own.
void ZCLDrawTextCalc(const AnsiString& Text, TZCL3DCaption* Caption, TRect& R, TFont* Font, bool MultiLine,
                     bool ShowAccelChar, int Border, int Flags);
// Measures the text into R (R's left and top stay, its width is the wrapping width) on the screen's DC in Font,
// adds the caption's 3D extents and 2 x (Border + 1). A rotated caption is measured as its rotated bounding box
// at the origin and gets the position of its text in that box (PosX, PosY, never below 0). A canvas that has a
// DC of its own keeps it: the measuring is then done on a canvas of its own.
void ZCLDrawTextCalcExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, TRect& R, TFont* Font,
                        bool MultiLine, bool ShowAccelChar, int Border, int Flags);
// The text's width in Font with the caption's tracing and 3D extent; 0 without a caption.
int ZCLGet3DTextWidth(const AnsiString& Text, TZCL3DCaption* Caption, TFont* Font);
// The height of one character in Font with the caption's 3D extent.
int ZCLGet3DTextHeight(TZCL3DCaption* Caption, TFont* Font);
// The height of one character in Font; 0 when it cannot be measured.
int ZCLGetFontHeight(TFont* Font);
// Whether the font (the canvas's font) is a TrueType font.
bool ZCLIsTrueTypeFont(TFont* Font);
bool ZCLIsTrueTypeFontCheck(TCanvas* Canvas);

// Glyph and text -----------------------------------------------------------------------------------------------

// The union of glyph and text, the text, the glyph, and a fourth rectangle that is always empty.
using TZCLGlyphTextRects = std::array<TRect, 4>;
constexpr int ZCLGlyphTextUnion = 0;
constexpr int ZCLGlyphTextText = 1;
constexpr int ZCLGlyphTextGlyph = 2;

// Lays out and draws Text and the area GlyphRect of GlyphCanvas in R by Layout (a TZCLButtonLayout adds its
// drop-down arrow). GlyphRect receives the focus rectangle, Rects the rectangles laid out. With dtCalculate
// nothing is drawn. The glyph is transparent by MaskCanvas when given, else by TransparentColor, when
// Transparent.
void ZCLDrawTextAndGlyphExt(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                            TCanvas* GlyphCanvas, TRect& GlyphRect, TCanvas* MaskCanvas, TColor TransparentColor,
                            TZCLGlyphTextLayout* Layout, bool MultiLine, bool ShowAccelChar, bool Transparent,
                            TZCLDrawTextStyles Styles, int Flags, TZCLGlyphTextRects& Rects);
// The same with a glyph bitmap (its transparent colour) and an optional mask bitmap.
void ZCLDrawTextAndGlyph(TCanvas* Canvas, const AnsiString& Text, TZCL3DCaption* Caption, const TRect& R,
                         TBitmap* Glyph, TBitmap* Mask, TZCLGlyphTextLayout* Layout, bool MultiLine,
                         bool ShowAccelChar, bool Transparent, TZCLDrawTextStyles Styles, int Flags);

// Button faces -------------------------------------------------------------------------------------------------

// Paints a button face of Style in State and Color; R becomes the room for glyph and caption. Flags: 0x01
// corners in the face colour (Win31 look), 0x02 focused (outer frame and focus rectangle), 0x04 the frame look
// for ubsWin40, 0x08 a sunken edge when pressed in the frame look, 0x10 the outer frame's middle filled, 0x20
// outer frame. Always true.
bool ZCLDrawBtnFace(TCanvas* Canvas, bool MouseOver, TRect& R, TZCLUserButtonStyle Style, TZCLButtonState State,
                    std::uint16_t Flags, TColor Color);
// True for the flat styles ubsVestoFlat to ubsExplorerColored.
bool ZCLDrawBtnIsFlat(TZCLUserButtonStyle Style);
