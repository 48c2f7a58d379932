#pragma once
// Fixtures for the edit tests: a form on the display holding edits, real key strokes and mouse clicks, and
// waiting until the edit shows what the input should have made of it.

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ZclControlTestHelpers.h"
#include "zcl/core/Zclclass.h"
#include "zcl/edits/Zcledit.h"

namespace zcledit {

using zclctl::Pump;
using zclctl::PumpUntil;

inline INPUT KeyInput(WORD vk, bool up)
{
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    // The navigation keys of the block between the letters and the number pad.
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_INSERT:
    case VK_DELETE:
    case VK_PRIOR:
    case VK_NEXT: i.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY; break;
    default: break;
    }
    return i;
}

// Real strokes of one key with modifiers held around it, repeated.
inline void Press(WORD vk, std::vector<WORD> modifiers = {}, int times = 1)
{
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(KeyInput(m, false));
    for (int i = 0; i < times; ++i) {
        in.push_back(KeyInput(vk, false));
        in.push_back(KeyInput(vk, true));
    }
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) in.push_back(KeyInput(*it, true));
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// Real strokes that type the text (the keys the keyboard layout has for its characters).
inline void Type(const std::string& text)
{
    std::vector<INPUT> in;
    for (char c : text) {
        const SHORT scan = VkKeyScanA(c);
        const WORD vk = LOBYTE(scan);
        const bool shift = HIBYTE(scan) & 1;
        if (shift) in.push_back(KeyInput(VK_SHIFT, false));
        in.push_back(KeyInput(vk, false));
        in.push_back(KeyInput(vk, true));
        if (shift) in.push_back(KeyInput(VK_SHIFT, true));
    }
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// Input is handled in order: waits until a marker key sent now has reached the control, so that everything sent
// before it has been handled too. The control's own OnKeyDown still sees every other key.
inline bool Flush(TWinControl* control)
{
    const TKeyEvent old = control->OnKeyDown();
    bool seen = false;
    control->SetOnKeyDown(TKeyEvent::From([&](TObject* sender, WORD& key, TShiftState shift) {
        if (key == VK_F24) {
            seen = true;
            return;
        }
        if (old) old(sender, key, shift);
    }));
    Press(VK_F24);
    const bool done = PumpUntil([&] { return seen; }, 5000);
    control->SetOnKeyDown(old);
    return done;
}

inline void MouseAt(TControl* control, int x, int y)
{
    const TPoint p = control->ClientToScreen(TPoint(x, y));
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

inline void MouseButtons(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

// A form with edits on the display; the shared edit mode starts in insert mode.
class EditForm : public zclctl::ShownForm {
protected:
    void SetUp() override
    {
        zclctl::ShownForm::SetUp();
        ZCLApplication->SetEditMode(TZCLEditModes{emInsert});
    }
    void TearDown() override
    {
        ZCLApplication->SetEditMode(TZCLEditModes{emInsert});
        zclctl::ShownForm::TearDown();
    }
    TZCLEdit* AddEdit(int left, int top, int width = 200, const char* name = nullptr)
    {
        auto* e = new TZCLEdit(form.get());
        if (name) e->SetName(name);
        e->SetParent(form.get());
        e->SetBounds(left, top, width, 21);
        return e;
    }
    // Shows the form and gives the edit the keyboard.
    void FocusOn(TZCLEdit* edit)
    {
        if (!form->Visible()) ShowForm();
        edit->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == edit->Handle(); }, 5000));
    }
    // Waits until the condition holds after input was sent.
    static bool Settles(const std::function<bool()>& done) { return PumpUntil(done, 5000); }
};

}  // namespace zcledit
