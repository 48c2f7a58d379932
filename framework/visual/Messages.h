#pragma once
// The message record every control handles and the framework's own control messages.
//
// The framework's messages live at 0xB000..0xB0BF, clear of the component library's 0xB0CD..0xB0D4. Notifications
// a parent reflects back to the child that sent them are CN_BASE + the Win32 message (0xBC00 + ...), below the
// registered-message range that starts at 0xC000.

#include <windows.h>

#include "framework/runtime/Closure.h"

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return LOWORD(WParam); }
    WORD WParamHi() const { return HIWORD(WParam); }
    WORD LParamLo() const { return LOWORD(LParam); }
    WORD LParamHi() const { return HIWORD(LParam); }
};

// The replaceable window method of a control (its WindowProc); default: the control's WndProc.
using TWndMethod = Closure<void(TMessage& Message)>;

// A hidden window of the calling thread whose every message goes to method, which answers each one itself
// (DefWindowProcA for what it does not handle). An exception raised there goes to the application object.
// Null when the window cannot be made.
HWND AllocateHWnd(TWndMethod method);
// Destroys a window made by AllocateHWnd, also from inside its own method; the method is never called again.
// Null is ignored.
void DeallocateHWnd(HWND wnd);

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 2;
constexpr UINT CM_COLORCHANGED = CM_BASE + 3;
constexpr UINT CM_FONTCHANGED = CM_BASE + 4;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 5;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 6;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 7;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 8;
constexpr UINT CM_MOUSEENTER = CM_BASE + 9;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 10;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 12;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 13;
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 14;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 15;   // WParam: the character; Result non-zero: taken
constexpr UINT CM_DIALOGKEY = CM_BASE + 16;    // WParam: the virtual key, LParam: the key data; Result non-zero
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 17;
constexpr UINT CM_ENTER = CM_BASE + 18;
constexpr UINT CM_EXIT = CM_BASE + 19;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 20;
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 21;  // WParam: group index, LParam: the pressed control
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 22;   // LParam: the control that now has the focus (or null)
constexpr UINT CM_RELEASE = CM_BASE + 23;        // posted to a form that frees itself once it is safe
constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 24;
constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 25;
constexpr UINT CM_INVALIDATE = CM_BASE + 26;
constexpr UINT CM_LAST = CM_BASE + 0xBF;  // the framework's messages end here, before 0xB0CD
static_assert(CM_LAST < 0xB0CD, "framework messages must stay below the library's");

constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
static_assert(CN_BASE > 0xB0D4 && CN_BASE + WM_CTLCOLORSTATIC < 0xC000, "reflected messages are clear");
