#pragma once
// Shared by the standard control tests: a shown test form and clicks on controls with the real mouse.

#include <memory>
#include <string>
#include <vector>

#include "ControlTestHelpers.h"
#include "framework/visual/StdCtrls.h"

namespace stdctrltest {

using namespace controltest;

// The screen point at (x, y) of a control's client area (the centre by default).
inline POINT ScreenPoint(TControl* c, int x = -1, int y = -1)
{
    const TPoint p = c->ClientToScreen(TPoint(x < 0 ? c->ClientWidth() / 2 : x, y < 0 ? c->ClientHeight() / 2 : y));
    return POINT{p.x, p.y};
}

inline void ClickAt(POINT p)
{
    MouseTo(p.x, p.y);
    MouseButton(true);
    MouseButton(false);
}

inline void Click(TControl* c, int x = -1, int y = -1) { ClickAt(ScreenPoint(c, x, y)); }

// A shown, active borderless form and a log the events write to.
class ShownForm : public testing::Test {
protected:
    void SetUp() override
    {
        MouseTo(1000, 750);
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(50, 50, 420, 320);
        form->SetColor(clBtnFace);
    }
    void ShowForm()
    {
        form->Show();
        Activate(form.get());
        Pump(50);
    }
    void TearDown() override { MouseTo(1000, 750); }

    // An OnClick that writes name to the log.
    TNotifyEvent Logger(const std::string& name)
    {
        return TNotifyEvent::From([this, name](TObject*) { log.push_back(name); });
    }

    std::unique_ptr<TForm> form;
    std::vector<std::string> log;
};

}  // namespace stdctrltest
