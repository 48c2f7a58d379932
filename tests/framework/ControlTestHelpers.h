#pragma once
// Small controls and input helpers for the control model tests: real windows on the Xvfb display, real input.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/visual/Controls.h"
#include "framework/visual/Forms.h"
#include "support/Wait.h"

namespace controltest {

// Serves messages through the application object until done() or the time is up; true when done.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 2000)
{
    return testwait::PumpUntil(done, timeoutMs, [] { Application->ProcessMessages(); });
}

inline void Pump(DWORD ms)
{
    testwait::PumpFor(ms, [] { Application->ProcessMessages(); });
}

// Real mouse input at a screen point.
inline void MouseTo(int x, int y)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
    Pump(40);
}

inline void MouseButton(bool down)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &in, sizeof in);
    Pump(40);
}

// Real key strokes queued for the foreground window, nothing served; modifiers are held around the key.
inline void SendKey(WORD vk, const std::vector<WORD>& modifiers = {})
{
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.wScan = WORD(MapVirtualKeyA(k, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    for (WORD m : modifiers) add(m, false);
    add(vk, false);
    add(vk, true);
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) add(*it, true);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// Real key strokes, then a little serving.
inline void Key(WORD vk, std::vector<WORD> modifiers = {})
{
    SendKey(vk, modifiers);
    Pump(60);
}

// Brings a shown form to the front so it gets the keyboard (there is no window manager on Xvfb).
inline void Activate(TCustomForm* form)
{
    SetForegroundWindow(form->Handle());
    SetActiveWindow(form->Handle());
    Pump(30);
}

// A windowless control that fills itself with one colour and counts its paints.
class TBox : public TGraphicControl {
public:
    explicit TBox(TComponent* owner, TColor fill = clRed) : TGraphicControl(owner), fill_(fill) {}
    TColor fill_;
    bool frameOnly = false;  // draws a one-pixel frame, leaving the inside to the parent
    int paints = 0;
    std::vector<std::string> log;

protected:
    void Paint() override
    {
        ++paints;
        Canvas()->Brush()->SetColor(fill_);
        if (frameOnly)
            Canvas()->FrameRect(ClientRect());
        else
            Canvas()->FillRect(ClientRect());
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_MOUSEENTER) log.push_back("enter " + std::string(Name().c_str()));
        if (m.Msg == CM_MOUSELEAVE) log.push_back("leave " + std::string(Name().c_str()));
        TGraphicControl::Dispatch(m);
    }
};

// A windowed control painting its colour, with counters.
class TPanelish : public TCustomControl {
public:
    explicit TPanelish(TComponent* owner) : TCustomControl(owner)
    {
        SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    }
    int erases = 0;
    int paints = 0;
    std::vector<std::string> log;

protected:
    void Paint() override
    {
        ++paints;
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_ERASEBKGND) ++erases;
        if (m.Msg == CM_MOUSEENTER) log.push_back("enter " + std::string(Name().c_str()));
        if (m.Msg == CM_MOUSELEAVE) log.push_back("leave " + std::string(Name().c_str()));
        TCustomControl::Dispatch(m);
    }
};

// A focusable edit stand-in: asks for the keys its dialog code names and records key events.
class TTestEdit : public TCustomControl {
public:
    explicit TTestEdit(TComponent* owner, LRESULT dlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS)
        : TCustomControl(owner), dlgCode_(dlgCode)
    {
        SetTabStop(true);
        SetBounds(0, 0, 80, 20);
    }
    LRESULT dlgCode_;
    std::vector<WORD> keys;

protected:
    void KeyDown(WORD& key, TShiftState shift) override
    {
        keys.push_back(key);
        TCustomControl::KeyDown(key, shift);
    }
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_GETDLGCODE) {
            m.Result = dlgCode_;
            return;
        }
        if (m.Msg == WM_LBUTTONDOWN) SetFocus();
        TCustomControl::Dispatch(m);
    }
};

// A push button stand-in: Enter clicks it when focused or when it is the default one, Escape when it is the
// cancel one; a click sets the form's modal result.
class TTestButton : public TCustomControl {
public:
    explicit TTestButton(TComponent* owner) : TCustomControl(owner)
    {
        SetTabStop(true);
        SetBounds(0, 0, 75, 25);
    }
    bool isDefault = false;
    bool isCancel = false;
    TModalResult modalResult = mrNone;
    int clicks = 0;

    void Click() override
    {
        ++clicks;
        if (modalResult != mrNone)
            if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modalResult);
        TCustomControl::Click();
    }

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == CM_DIALOGKEY) {
            const bool focusedButton = dynamic_cast<TTestButton*>(GetParentForm(this)->ActiveControl()) != nullptr;
            if ((m.WParam == VK_RETURN && (Focused() || (isDefault && !focusedButton))) ||
                (m.WParam == VK_ESCAPE && isCancel)) {
                Click();
                m.Result = 1;
                return;
            }
        }
        TCustomControl::Dispatch(m);
    }
};

inline COLORREF Rgb(TColor c) { return COLORREF(ColorToRGB(c)); }

// A 32-bit top-down DIB with a DC for off-screen drawing.
class Dib {
public:
    Dib(int w, int h) : w_(w), h_(h), dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bmp_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bmp_);
        RECT r{0, 0, w, h};
        FillRect(dc_, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Dib()
    {
        SelectObject(dc_, old_);
        DeleteObject(bmp_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    COLORREF At(int x, int y) const
    {
        GdiFlush();
        const DWORD p = bits_[y * w_ + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};

}  // namespace controltest
