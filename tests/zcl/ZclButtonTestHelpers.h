#pragma once
// Fixtures for the button tests: a form on the display driven by real mouse input, a log of the buttons'
// events, and off-screen renders of one button.

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ZclControlTestHelpers.h"
#include "framework/visual/Menus.h"
#include "framework/visual/StdCtrls.h"
#include "support/Screenshot.h"
#include "zcl/buttons/Zclgraphicbutton.h"

namespace zclbtn {

using controltest::Dib;
using controltest::MouseButton;
using controltest::MouseTo;
using controltest::Pump;
using controltest::PumpUntil;
using zclctl::Sys;

// What the buttons' events told, in order: "A click", "A enter", "A exit", ...
struct EventLog {
    std::vector<std::string> lines;
    void Watch(TZCLBaseGraphicButton* b, const std::string& name)
    {
        b->SetOnClick(TNotifyEvent::From([this, name](TObject*) { lines.push_back(name + " click"); }));
        b->SetOnDblClick(TNotifyEvent::From([this, name](TObject*) { lines.push_back(name + " dblclick"); }));
        b->SetOnMouseEnter(TNotifyEvent::From([this, name](TObject*) { lines.push_back(name + " enter"); }));
        b->SetOnMouseExit(TNotifyEvent::From([this, name](TObject*) { lines.push_back(name + " exit"); }));
    }
    // The lines of one event ("click", "enter", ...).
    std::vector<std::string> Of(const std::string& event) const
    {
        std::vector<std::string> out;
        for (const std::string& l : lines)
            if (l.size() > event.size() && l.compare(l.size() - event.size() - 1, std::string::npos, " " + event) == 0)
                out.push_back(l);
        return out;
    }
    int Count(const std::string& line) const
    {
        int n = 0;
        for (const std::string& l : lines) n += l == line;
        return n;
    }
};

// A borderless form on the display, the mouse parked away from it; the left button is let go at the end.
class ButtonForm : public testing::Test {
protected:
    void SetUp() override
    {
        MouseTo(1000, 750);
        form = std::make_unique<TForm>(nullptr);
        form->SetBorderStyle(bsNone);
        form->SetBounds(100, 100, 360, 240);
        form->SetColor(clWhite);
    }
    void TearDown() override
    {
        if (held_) MouseButton(false);
        MouseTo(1000, 750);
        form.reset();
        Pump(20);
    }
    template <typename T>
    T* Add(int x, int y, int w = 40, int h = 30, TWinControl* parent = nullptr)
    {
        T* b = new T(form.get());
        b->SetParent(parent ? parent : form.get());
        b->SetBounds(x, y, w, h);
        return b;
    }
    void ShowForm()
    {
        form->Show();
        controltest::Activate(form.get());
        Pump(50);
    }
    // Real mouse input at a point of a control (client coordinates).
    static void MouseToControl(TControl* c, int x, int y)
    {
        const TPoint p = c->ClientToScreen(TPoint(x, y));
        MouseTo(p.x, p.y);
    }
    // A menu of the form with the items "&First" and "&Second", each telling chosen its caption when it runs.
    TPopupMenu* ChoiceMenu(std::vector<std::string>& chosen)
    {
        auto* menu = new TPopupMenu(form.get());
        for (const char* caption : {"&First", "&Second"}) {
            auto* item = new TMenuItem(nullptr);
            item->SetCaption(caption);
            item->SetOnClick(TNotifyEvent::From([&chosen, caption](TObject*) { chosen.push_back(caption); }));
            menu->Items()->Add(item);
        }
        return menu;
    }
    static void MouseToCentre(TControl* c) { MouseToControl(c, c->Width() / 2, c->Height() / 2); }
    void Press()
    {
        MouseButton(true);
        held_ = true;
    }
    void Release()
    {
        MouseButton(false);
        held_ = false;
    }
    void ClickOn(TControl* c)
    {
        MouseToCentre(c);
        Press();
        Release();
    }

    std::unique_ptr<TForm> form;
    EventLog log;

private:
    bool held_ = false;
};

// A sheet of buttons in the button face colour with small notes on it, saved for a person to look at.
class ButtonSheet : public ButtonForm {
protected:
    void Sheet(int width, int height)
    {
        form->SetBounds(20, 20, width, height);
        form->SetColor(clBtnFace);
    }
    void Note(int x, int y, const char* text, int width = 60)
    {
        auto* l = new TLabel(form.get());
        l->SetParent(form.get());
        l->SetTransparent(true);
        l->Font()->SetName("Arial");
        l->Font()->SetSize(7);
        l->SetBounds(x, y, width, 12);
        l->SetCaption(text);
    }
    // The form as it is on the screen now, saved under the artifacts as name.
    testshot::Shot Shoot(const char* name)
    {
        testshot::Shot shot = testshot::Shot::OfWindow(form->Handle());
        EXPECT_FALSE(shot.SaveArtifact(name).empty()) << name;
        return shot;
    }
};

// One button painted by itself into a DIB of its size (which starts black), read at pixels.
struct Render {
    explicit Render(TControl* c) : dib(c->Width(), c->Height()) { c->Perform(WM_PAINT, WPARAM(dib.dc()), 0); }
    COLORREF At(int x, int y) const { return dib.At(x, y); }
    int Count(COLORREF c, int x0, int y0, int x1, int y1) const
    {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += At(x, y) == c;
        return n;
    }
    Dib dib;
};

}  // namespace zclbtn
