#pragma once
// Library utilities: the text forms of rectangles, points and fonts that the settings store writes, the previous
// instance, waiting with messages, forms shown modally, window and form placement, system menus, the
// exploding-rectangle animation, divisors and separated lists, and the custom colours of a colour dialog.

#include <windows.h>

#include <cstdint>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/Types.h"
#include "zcl/core/Zclbase.h"

class TObject;
class TStrings;
class TStringList;
class TFont;
class TComponent;
class TControl;
class TCustomForm;
class TMetaClass;

// Dialog placement ---------------------------------------------------------------------------------------------

// The rectangle a dialog is placed in.
enum TZCLDlgPosRel : std::uint8_t { brScreen, brScreenWorkArea, brMainForm, brActiveWindow };

// Where in that rectangle the dialog goes.
enum TZCLDlgPosition : std::uint8_t {
    bpCustom, bpTopLeft, bpTopCenter, bpTopRight, bpCenterLeft, bpCenter, bpCenterRight, bpBottomLeft,
    bpBottomCenter, bpBottomRight
};

// Text forms ---------------------------------------------------------------------------------------------------
// Stored in the settings; the layouts must stay as they are so that stored values remain readable.

// The library's list separator.
constexpr char ZCLListSeparator = ',';

// "left,top,right,bottom".
AnsiString ZCLRectToString(const TRect& R);
// Exactly four fields, each an integer or 0; anything else gives 0, 0, 0, 0.
TRect ZCLStringToRect(const AnsiString& S);
// "[x,y]".
AnsiString ZCLPointToString(const TPoint& P);
// x from after the opening bracket to the first ",", y from there to before the closing bracket, each trimmed
// and 0 when it is no integer; 0, 0 unless that "," lies after the first and before the last character.
TPoint ZCLStringToPoint(const AnsiString& S);
// "name,size,colour,bold,italic,underline,strikeout"; the colour as its colour name or number, the styles as
// "1" or "0".
AnsiString ZCLFontToString(TFont* Font);
// Applies a font text of exactly seven fields (else the font stays as it is): a size that is no integer
// reads as 10. A colour or style flag that does not convert raises EConvertError and leaves the font as it is.
void ZCLStringToFont(const AnsiString& S, TFont* Font);

// Application --------------------------------------------------------------------------------------------------

// Only when another instance of the program was running at start: brings that instance's application window
// back, restored when it is minimised, else to the foreground. Our own application window's title is blanked
// first (and stays blank), so that neither this search nor a later instance's finds this one.
void ZCLActivatePrevInstance();

// Serves messages and synchronised calls until more than MS milliseconds have passed or the application
// is terminating; 0 returns at once.
void ZCLWait(std::uint32_t MS);
// The application window's system menu trimmed to Entries (short layout).
void ZCLCheckApplicationSysMenu(TZCLSysMenuEntries Entries);

// Forms and controls -------------------------------------------------------------------------------------------

// True when Parent is Control or one of its parents; false without Control.
bool ZCLIsChild(const TControl* Control, const TControl* Parent);
// Makes a form of FormClass owned by Owner, shows it modally and frees it; returns its modal result.
// Raises EInvalidOperation for a class that is not a form.
int ZCLShowModal(const TMetaClass* FormClass, TComponent* Owner);
// The standard system menu of the form's window trimmed to Entries.
void ZCLCheckFormSysMenu(TCustomForm* Form, TZCLSysMenuEntries Entries);

// Window placement ---------------------------------------------------------------------------------------------
// Windows are moved without sizing, activation or Z-order change. "Inside the screen" pulls the right and
// bottom edges back onto the screen, then holds the left and top edges at 0 or more.

// Makes Child a form of designed position, centres it on Parent inside the screen, and shows it when Show.
void ZCLCenterChild(TCustomForm* Parent, TCustomForm* Child, bool Show);
// Centres Child on Parent, inside the screen except that the left edge may leave it.
void ZCLCenterChildWindow(HWND Parent, HWND Child);
// Horizontally centred on the screen and vertically at (screen height - height) / (Divider + 2), both kept
// inside the screen. False when the window cannot be moved.
bool ZCLCenterWindow(HWND Wnd, std::uint8_t Divider);
// The screen, its work area, the application's main form or the screen's active form; the screen when there is
// no such form.
TRect ZCLDlgGetTargetRect(TZCLDlgPosRel Rel);
// The same with the form's bounds given for brMainForm and brActiveWindow (null: there is no such form).
TRect ZCLDlgGetTargetRect(TZCLDlgPosRel Rel, const TRect* FormBounds);
// Places the window in Target by Position (bpCustom as bpTopLeft) and keeps it inside the screen.
void ZCLPositionWindow(HWND Wnd, const TRect& Target, TZCLDlgPosition Position);

// Exploding rectangles -----------------------------------------------------------------------------------------
// The opening effect of a form or dialog: none, ZCLExplodeForm or ZCLExplodeForm2.
enum TZCLDlgEffect : std::uint8_t { deNone, deExplode, deExplodeExt };
// Focus rectangles drawn and erased on the screen, growing towards Target (a window's rectangle in screen
// coordinates). X < 0 starts at the cursor. Steps below 4 become 40. Each step is held for Delay (at least 1)
// units of 0.1 ms, which is what Delay x 10000 rounds of a counting loop used to take.

// From the point X, Y to Target.
void ZCLExplodeRectExt(const TRect& Target, int X, int Y, int Delay, int Steps);
// Growing from Target's horizontal centre line. With Twice a first pass grows a DX x DY rectangle at X, Y
// into a strip of Target's width and DY's height on that line; the second pass opens the strip to Target.
void ZCLExplodeRectExt2(const TRect& Target, int X, int Y, bool Twice, int Delay, int DX, int DY, int Steps);
// The same towards the form's bounds. The short forms start at the cursor with the library application's
// explode delay and 40 steps; the second one in two passes from a 10 x 20 rectangle.
void ZCLExplodeForm(TCustomForm* Form);
void ZCLExplodeFormExt(TCustomForm* Form, int X, int Y, int Delay, int Steps);
void ZCLExplodeForm2(TCustomForm* Form);
void ZCLExplodeFormExt2(TCustomForm* Form, int X, int Y, bool Twice, int Delay, int DX, int DY, int Steps);

// Lists --------------------------------------------------------------------------------------------------------

// Every divisor of N in rising order, as decimal texts (empty for N < 1). The list ends up unsorted.
void ZCLGetDivider(TStringList* List, int N);
// Clears List and adds the pieces of S between separators; empty pieces are kept except after a final
// separator. An empty S or no List: nothing happens.
void ZCLParseToStrList(const AnsiString& S, char Sep, TStrings* List);

// Custom colours -----------------------------------------------------------------------------------------------
// Lines of name=value in a string list, as the colour dialog's custom colours are kept.

// Ini must be a TIniFile or a TRegIniFile, else nothing happens. Loading clears Strings and adds every value of
// the section; saving writes each line that holds "=" as a value named by the text before the first "=".
void ZCLLoadCustomColorList(TObject* Ini, const AnsiString& Section, TStrings* Strings);
void ZCLSaveCustomColorList(TObject* Ini, const AnsiString& Section, TStrings* Strings);
// The same on the .ini file FileName (a bare name lies in the Windows folder).
void ZCLLoadCustomColorFromIniFile(const AnsiString& FileName, const AnsiString& Section, TStrings* Strings);
void ZCLSaveCustomColorToIniFile(const AnsiString& FileName, const AnsiString& Section, TStrings* Strings);
// The same on "VESTO32.INI", in the section named by the text _IDS_CUSTOMCOLORS.
void ZCLLoadVestoCustomColor(TStrings* Strings);
void ZCLSaveVestoCustomColor(TStrings* Strings);
