#include "zcl/core/Zclutils.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/visual/Controls.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Forms.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/IniFiles.h"
#include "framework/runtime/Registry.h"
#include "framework/runtime/SysUtils.h"
#include "framework/runtime/Thread.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclconst.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/core/Zclstrings.h"

// ---------------------------------------------------------------------------------------------------------------
// Text forms

AnsiString ZCLRectToString(const TRect& R)
{
    return ZCLCodeInt({int(R.left), int(R.top), int(R.right), int(R.bottom)}, ZCLListSeparator);
}

TRect ZCLStringToRect(const AnsiString& S)
{
    if (ZCLGetCodedCount(S, ZCLListSeparator) != 4) return TRect();
    auto field = [&S](int i) { return StrToIntDef(ZCLGetCodedString(S, ZCLListSeparator, i), 0); };
    return TRect(field(0), field(1), field(2), field(3));
}

AnsiString ZCLPointToString(const TPoint& P)
{
    return Format(AnsiString("[%d") + ZCLListSeparator + "%d]", int(P.x), int(P.y));
}

TPoint ZCLStringToPoint(const AnsiString& S)
{
    TPoint p;
    // The first and last characters are the brackets.
    const int comma = S.Pos(AnsiString(ZCLListSeparator));
    if (comma > 1 && comma < S.Length()) {
        p.x = StrToIntDef(Trim(S.SubString(2, comma - 2)), 0);
        p.y = StrToIntDef(Trim(S.SubString(comma + 1, S.Length() - comma - 1)), 0);
    }
    return p;
}

AnsiString ZCLFontToString(TFont* Font)
{
    if (!Font) return AnsiString();
    const TFontStyles style = Font->Style();
    auto flag = [&style](TFontStyle s) { return AnsiString(style.Contains(s) ? "1" : "0"); };
    return ZCLCodeString({Font->Name(), IntToStr(Font->Size()), ColorToString(Font->Color()), flag(fsBold),
                          flag(fsItalic), flag(fsUnderline), flag(fsStrikeOut)},
                         ZCLListSeparator);
}

void ZCLStringToFont(const AnsiString& S, TFont* Font)
{
    if (!Font || ZCLGetCodedCount(S, ZCLListSeparator) != 7) return;
    auto field = [&S](int i) { return ZCLGetCodedString(S, ZCLListSeparator, i); };
    // Everything is converted before anything is applied, so a bad field leaves the font whole.
    const AnsiString name = field(0);
    const int size = StrToIntDef(field(1), 10);
    const TColor color = StringToColor(field(2));
    TFontStyles style;
    const TFontStyle flags[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
    for (int i = 0; i < 4; ++i)
        if (StrToInt(field(3 + i)) != 0) style.Include(flags[i]);
    Font->SetName(name);
    Font->SetSize(size);
    Font->SetColor(color);
    Font->SetStyle(style);
}

// ---------------------------------------------------------------------------------------------------------------
// Application

void ZCLActivatePrevInstance()
{
    if (!ZCLApplication->AlreadyRunning()) return;
    const AnsiString title = Application->Title();
    SetWindowTextA(Application->Handle(), "");
    const HWND other = FindWindowA("TApplication", title.c_str());
    if (!other) return;
    if (IsIconic(other)) ShowWindow(other, SW_RESTORE);
    else SetForegroundWindow(other);
}

void ZCLWait(std::uint32_t MS)
{
    if (MS == 0) return;
    const DWORD start = GetTickCount();
    const bool mainThread = GetCurrentThreadId() == MainThreadID;
    for (;;) {
        Application->ProcessMessages();
        if (Application->Terminated()) return;
        // Unsigned elapsed time stays right across the tick counter's wrap.
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed > MS) return;
        const DWORD remaining = MS - elapsed;
        const DWORD timeout = remaining >= INFINITE - 1 ? INFINITE - 1 : remaining + 1;
        // Sleeps until a message or a synchronised call comes, instead of spinning.
        HANDLE sync = SyncEvent();
        MsgWaitForMultipleObjectsEx(mainThread && sync ? 1 : 0, &sync, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void ZCLCheckApplicationSysMenu(TZCLSysMenuEntries Entries)
{
    ZCLCheckSystemMenu(Entries, GetSystemMenu(Application->Handle(), FALSE), true);
}

// ---------------------------------------------------------------------------------------------------------------
// Forms and controls

bool ZCLIsChild(const TControl* Control, const TControl* Parent)
{
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == Parent) return true;
    return false;
}

int ZCLShowModal(const TMetaClass* FormClass, TComponent* Owner)
{
    if (!FormClass || !FormClass->InheritsFrom(ClassOf<TCustomForm>()))
        throw EInvalidOperation("ZCLShowModal needs a form class");
    // Freed also when showing it raises.
    std::unique_ptr<TCustomForm> form(static_cast<TCustomForm*>(FormClass->Create(Owner)));
    return form->ShowModal();
}

void ZCLCheckFormSysMenu(TCustomForm* Form, TZCLSysMenuEntries Entries)
{
    if (Form) ZCLCheckSystemMenu(Entries, GetSystemMenu(Form->Handle(), FALSE), false);
}

// ---------------------------------------------------------------------------------------------------------------
// Window placement

namespace {

constexpr UINT MoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;

TRect ScreenRect()
{
    return TRect(0, 0, Screen->Width(), Screen->Height());
}

TPoint KeepOnScreen(TPoint p, int w, int h, bool holdLeft)
{
    const TRect screen = ScreenRect();
    p.x = std::min<int>(p.x, screen.right - w);
    p.y = std::min<int>(p.y, screen.bottom - h);
    if (holdLeft) p.x = std::max<int>(p.x, 0);
    p.y = std::max<int>(p.y, 0);
    return p;
}

TPoint CenteredIn(const TRect& outer, int w, int h)
{
    // Integer division halves negative free space towards zero as well.
    return TPoint(outer.left + (outer.Width() - w) / 2, outer.top + (outer.Height() - h) / 2);
}

bool WindowBounds(HWND wnd, TRect& r)
{
    return wnd && GetWindowRect(wnd, &r);
}

}  // namespace

void ZCLCenterChild(TCustomForm* Parent, TCustomForm* Child, bool Show)
{
    if (!Parent || !Child) return;
    Child->SetPosition(poDesigned);
    const int w = Child->Width(), h = Child->Height();
    const TPoint p = KeepOnScreen(CenteredIn(Parent->BoundsRect(), w, h), w, h, true);
    Child->SetBounds(p.x, p.y, w, h);
    if (Show) Child->Show();
}

void ZCLCenterChildWindow(HWND Parent, HWND Child)
{
    TRect parent, child;
    if (!WindowBounds(Parent, parent) || !WindowBounds(Child, child)) return;
    const TPoint p = KeepOnScreen(CenteredIn(parent, child.Width(), child.Height()), child.Width(),
                                  child.Height(), false);
    SetWindowPos(Child, nullptr, p.x, p.y, 0, 0, MoveOnly);
}

bool ZCLCenterWindow(HWND Wnd, std::uint8_t Divider)
{
    TRect r;
    if (!WindowBounds(Wnd, r)) return false;
    const TRect screen = ScreenRect();
    TPoint p((screen.Width() - r.Width()) / 2, (screen.Height() - r.Height()) / (int(Divider) + 2));
    p = KeepOnScreen(p, r.Width(), r.Height(), true);
    return SetWindowPos(Wnd, nullptr, p.x, p.y, 0, 0, MoveOnly) != 0;
}

TRect ZCLDlgGetTargetRect(TZCLDlgPosRel Rel)
{
    const TCustomForm* form = Rel == brMainForm ? Application->MainForm()
                              : Rel == brActiveWindow ? Screen->ActiveForm()
                                                      : nullptr;
    if (!form) return ZCLDlgGetTargetRect(Rel, nullptr);
    const TRect bounds = form->BoundsRect();
    return ZCLDlgGetTargetRect(Rel, &bounds);
}

TRect ZCLDlgGetTargetRect(TZCLDlgPosRel Rel, const TRect* FormBounds)
{
    switch (Rel) {
    case brScreenWorkArea: {
        TRect work;
        if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return work;
        break;
    }
    case brMainForm:
    case brActiveWindow:
        if (FormBounds) return *FormBounds;
        break;
    case brScreen:
        break;
    }
    return ScreenRect();
}

void ZCLPositionWindow(HWND Wnd, const TRect& Target, TZCLDlgPosition Position)
{
    TRect r;
    if (!WindowBounds(Wnd, r)) return;
    const int w = r.Width(), h = r.Height();
    const TPoint mid = CenteredIn(Target, w, h);
    int x = Target.left, y = Target.top;
    switch (Position) {
    case bpCustom:
    case bpTopLeft:
        break;
    case bpTopCenter:
        x = mid.x;
        break;
    case bpTopRight:
        x = Target.right - w;
        break;
    case bpCenterLeft:
        y = mid.y;
        break;
    case bpCenter:
        x = mid.x;
        y = mid.y;
        break;
    case bpCenterRight:
        x = Target.right - w;
        y = mid.y;
        break;
    case bpBottomLeft:
        y = Target.bottom - h;
        break;
    case bpBottomCenter:
        x = mid.x;
        y = Target.bottom - h;
        break;
    case bpBottomRight:
        x = Target.right - w;
        y = Target.bottom - h;
        break;
    }
    const TPoint p = KeepOnScreen(TPoint(x, y), w, h, true);
    SetWindowPos(Wnd, nullptr, p.x, p.y, 0, 0, MoveOnly);
}

// ---------------------------------------------------------------------------------------------------------------
// Exploding rectangles

namespace {

// Busy, as the animation always was, but by the clock rather than by a loop the compiler may drop.
void HoldStep(int delay)
{
    LARGE_INTEGER freq, start, now;
    if (!QueryPerformanceFrequency(&freq) || !QueryPerformanceCounter(&start)) return;
    const long long ticks = freq.QuadPart * delay / 10000;
    do {
        QueryPerformanceCounter(&now);
    } while (now.QuadPart - start.QuadPart < ticks);
}

int Lerp(long long from, long long to, int i, int steps)
{
    return int(from + (to - from) * i / steps);
}

// Frames from `from` to `to`, each drawn, held and erased again (focus rectangles are XOR).
void Explode(HDC dc, const TRect& from, const TRect& to, int delay, int steps)
{
    for (int i = 1; i <= steps; ++i) {
        const TRect r(Lerp(from.left, to.left, i, steps), Lerp(from.top, to.top, i, steps),
                      Lerp(from.right, to.right, i, steps), Lerp(from.bottom, to.bottom, i, steps));
        DrawFocusRect(dc, &r);
        GdiFlush();
        HoldStep(delay);
        DrawFocusRect(dc, &r);
        GdiFlush();
    }
}

TPoint StartPoint(int x, int y)
{
    if (x >= 0) return TPoint(x, y);
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    return cursor;
}

}  // namespace

void ZCLExplodeRectExt(const TRect& Target, int X, int Y, int Delay, int Steps)
{
    if (Steps < 4) Steps = 40;
    Delay = std::max(Delay, 1);
    const TPoint start = StartPoint(X, Y);
    WindowDC screen(nullptr);
    if (!screen) return;
    Explode(screen.get(), TRect(start, start), Target, Delay, Steps);
}

void ZCLExplodeRectExt2(const TRect& Target, int X, int Y, bool Twice, int Delay, int DX, int DY, int Steps)
{
    if (Steps < 4) Steps = 40;
    Delay = std::max(Delay, 1);
    DX = std::max(DX, 0);
    DY = std::max(DY, 0);
    const int lineTop = (Target.top + Target.bottom) / 2 - DY / 2;
    const TRect strip(Target.left, lineTop, Target.right, lineTop + DY);
    WindowDC screen(nullptr);
    if (!screen) return;
    if (Twice) {
        const TPoint start = StartPoint(X, Y);
        const TRect seed = Bounds(start.x - DX / 2, start.y - DY / 2, DX, DY);
        Explode(screen.get(), seed, strip, Delay, Steps);
    }
    Explode(screen.get(), strip, Target, Delay, Steps);
}

void ZCLExplodeForm(TCustomForm* Form)
{
    ZCLExplodeFormExt(Form, -1, -1, ZCLApplication->ExplodeDelay(), 40);
}

void ZCLExplodeFormExt(TCustomForm* Form, int X, int Y, int Delay, int Steps)
{
    if (Form) ZCLExplodeRectExt(Form->BoundsRect(), X, Y, Delay, Steps);
}

void ZCLExplodeForm2(TCustomForm* Form)
{
    ZCLExplodeFormExt2(Form, -1, -1, true, ZCLApplication->ExplodeDelay(), 10, 20, 40);
}

void ZCLExplodeFormExt2(TCustomForm* Form, int X, int Y, bool Twice, int Delay, int DX, int DY, int Steps)
{
    if (Form) ZCLExplodeRectExt2(Form->BoundsRect(), X, Y, Twice, Delay, DX, DY, Steps);
}

// ---------------------------------------------------------------------------------------------------------------
// Lists

void ZCLGetDivider(TStringList* List, int N)
{
    if (!List) return;
    std::vector<int> divisors;
    // d <= N / d is d * d <= N without overflow; it also gives 1 its divisor.
    for (int d = 1; d <= N / d; ++d) {
        if (N % d == 0) {
            divisors.push_back(d);
            divisors.push_back(N / d);
        }
    }
    std::sort(divisors.begin(), divisors.end());
    divisors.erase(std::unique(divisors.begin(), divisors.end()), divisors.end());
    List->BeginUpdate();
    List->SetSorted(false);
    List->Clear();
    for (int d : divisors) List->Add(IntToStr(d));
    List->EndUpdate();
}

void ZCLParseToStrList(const AnsiString& S, char Sep, TStrings* List)
{
    if (S.IsEmpty() || !List) return;
    const std::string& s = S.str();
    List->BeginUpdate();
    List->Clear();
    std::size_t start = 0;
    while (start < s.size()) {
        const std::size_t p = s.find(Sep, start);
        if (p == std::string::npos) {
            List->Add(AnsiString(s.substr(start)));
            break;
        }
        List->Add(AnsiString(s.substr(start, p - start)));
        start = p + 1;
    }
    List->EndUpdate();
}

// ---------------------------------------------------------------------------------------------------------------
// Custom colours

namespace {

const char* const VestoIniName = "VESTO32.INI";

}  // namespace

void ZCLLoadCustomColorList(TObject* Ini, const AnsiString& Section, TStrings* Strings)
{
    if (!Strings) return;
    if (auto* ini = dynamic_cast<TIniFile*>(Ini)) {
        ini->ReadSectionValues(Section, Strings);
    } else if (auto* reg = dynamic_cast<TRegIniFile*>(Ini)) {
        Strings->Clear();
        reg->ReadSectionValues(Section, Strings);
    }
}

void ZCLSaveCustomColorList(TObject* Ini, const AnsiString& Section, TStrings* Strings)
{
    if (!Strings) return;
    auto* ini = dynamic_cast<TIniFile*>(Ini);
    auto* reg = ini ? nullptr : dynamic_cast<TRegIniFile*>(Ini);
    if (!ini && !reg) return;
    for (int i = 0; i < Strings->Count(); ++i) {
        if (Strings->Strings(i).Pos("=") == 0) continue;
        // The list's value of a name, which is its first line's, as the settings store writes it.
        const AnsiString name = Strings->Names(i);
        const AnsiString value = Strings->Values(name);
        if (ini) ini->WriteString(Section, name, value);
        else reg->WriteString(Section, name, value);
    }
}

void ZCLLoadCustomColorFromIniFile(const AnsiString& FileName, const AnsiString& Section, TStrings* Strings)
{
    TIniFile ini(FileName);
    ZCLLoadCustomColorList(&ini, Section, Strings);
}

void ZCLSaveCustomColorToIniFile(const AnsiString& FileName, const AnsiString& Section, TStrings* Strings)
{
    TIniFile ini(FileName);
    ZCLSaveCustomColorList(&ini, Section, Strings);
}

void ZCLLoadVestoCustomColor(TStrings* Strings)
{
    ZCLLoadCustomColorFromIniFile(VestoIniName, ZCLLoadResString(_IDS_CUSTOMCOLORS), Strings);
}

void ZCLSaveVestoCustomColor(TStrings* Strings)
{
    ZCLSaveCustomColorToIniFile(VestoIniName, ZCLLoadResString(_IDS_CUSTOMCOLORS), Strings);
}
