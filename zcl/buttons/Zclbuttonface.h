#pragma once
// What the library's buttons share: the windowless graphic buttons, the owner-drawn push button and the check
// box draw glyph and caption alike, keep a turned caption on a TrueType font, repeat on pool timers while the
// mouse button is held, and open their drop-down menus the same way.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/Closure.h"
#include "framework/runtime/Types.h"
#include "framework/visual/Graphics.h"
#include "zcl/core/Zclbase.h"

class AnsiString;
class TControl;
class TPopupMenu;
class TZCLButtonLayout;
class TZCLCustomImageList;
class TZCLFxCaption;
class TZCLGlyph;

// The caption's text styles: plain while enabled, etched while not.
TZCLDrawTextStyles ZCLButtonTextStyles(bool Enabled);

// Glyph and caption of a face in State inside R, in Font (its colour replaced by TextColor unless that is
// clNone) and without a background behind the text.
void ZCLDrawButtonGlyphAndText(TCanvas* Canvas, TZCLGlyph* Glyph, TFont* Font, const AnsiString& Caption,
                               TZCLFxCaption* FontFX, const TRect& R, TZCLButtonState State, TZCLButtonLayout* Layout,
                               bool Enabled, bool MultiLine, TColor TextColor = clNone);

// The item of List becomes Glyph, with the list's transparent colour; false, the glyph as it was, without a
// valid item.
bool ZCLGlyphFromImageList(TZCLGlyph* Glyph, TZCLCustomImageList* List, int ListIndex, int ImageIndex);

// A turned caption needs a TrueType font: a change of the caption effects to a nonzero angle makes a font that
// is not TrueType "Arial", and a font that stops being TrueType turns the caption back to 0. The adjustments
// made here do not start the other one.
class TZCLTurnedCaptionFont {
public:
    void FontFXChanged(TFont* Font, TZCLFxCaption* FontFX);
    void FontChanged(TFont* Font, TZCLFxCaption* FontFX);

private:
    bool adjusting_ = false;
};

// A pool timer of Interval (as ZCLPoolInterval makes it, at least one tick) calling Handler; raises
// EOutOfResources "Not enough timers available" when the pool gives no id.
std::uint16_t ZCLAddButtonTimer(std::uint16_t Interval, TNotifyEvent Handler);
// The primary mouse button is physically down now (the right one when the buttons are swapped).
bool ZCLPrimaryButtonDown();

// Pops Menu up for Button below its bottom-left corner, moved right by Indent, or with Right beside its top-right
// corner, moved down by Indent; returns once the menu is closed.
void ZCLPopupDropDown(TPopupMenu* Menu, TControl* Button, bool Right, int Indent);
// After a drop-down menu: the mouse messages that closed it (those of Window, every window's with null) are
// dropped and any mouse capture is cancelled.
void ZCLEndDropDownMouse(HWND Window);
