// The key-definition and key-selection dialogs worked as a user works them: rows and buttons clicked with the
// real mouse, combinations pressed on the real keyboard, the window closed by its close box.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "KeyMapTestSupport.h"
#include "ModalScript.h"
#include "ShellTestSupport.h"
#include "shell/KeyForm.h"
#include "shell/SelectKey.h"
#include "shell/ShellPlace.h"

namespace {

using namespace shelltest;

std::vector<std::string> Items(TListBox* list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list->Items()->Count(); ++i) items.emplace_back(list->Items()->Strings(i).c_str());
    return items;
}

KvActionList Actions(std::initializer_list<TShortCut> values)
{
    KvActionList list;
    for (TShortCut v : values) list.Add(KvKeyAction(v));
    return list;
}

std::vector<TShortCut> Values(const KvActionList& list)
{
    std::vector<TShortCut> values;
    for (int i = 0; i < list.Count(); ++i) values.push_back(list[i].Value());
    return values;
}

POINT RowPoint(TListBox* list, int row)
{
    const TRect r = list->ItemRect(row);
    const TPoint p = list->ClientToScreen(TPoint(r.left + 20, (r.top + r.bottom) / 2));
    return POINT{p.x, p.y};
}

bool Focused(TWinControl* control) { return control->HandleAllocated() && GetFocus() == control->Handle(); }

// What the user sees of one list and the buttons.
struct ListView {
    std::vector<std::string> items;
    int index;
    bool up, down, del, add;
    bool operator==(const ListView&) const = default;
};

ListView Look(TFormDefineKey* d, TListBox* list)
{
    return {Items(list), list->ItemIndex(), d->ButtonMoveUp->Enabled(), d->ButtonMoveDown->Enabled(),
            d->ButtonDelete->Enabled(), d->ButtonAdd->Enabled()};
}

std::string Describe(const ListView& v)
{
    std::string s = "[";
    for (const std::string& i : v.items) s += i + ";";
    return s + "] index " + std::to_string(v.index) + " up " + std::to_string(v.up) + " down " +
           std::to_string(v.down) + " delete " + std::to_string(v.del) + " add " + std::to_string(v.add);
}

class KeyDialogs : public testing::Test {
protected:
    void TearDown() override { controltest::MouseTo(1000, 740); }

    // Waits until the list and the buttons look as expected; what was seen last goes into seen_.
    std::function<bool()> Shows(TFormDefineKey* d, TListBox* list, ListView expected)
    {
        return [this, d, list, expected] {
            const ListView now = Look(d, list);
            seen_ = Describe(now);
            return now == expected;
        };
    }
    // The key-selection dialog up, with the hot-key input ready for keys.
    static bool SelectUp()
    {
        return ModalScript::Up(FormSelectKeys) && Focused(FormSelectKeys->HotKeyInput);
    }
    // How the key-selection dialog is left: its buttons clicked, or Enter and Escape pressed.
    enum Leave { ClickOk, ClickCancel, PressEnter, PressEscape };
    // Steps of one round through "Add": the dialog opened, the input given, the dialog left.
    // d is looked at when the round runs (the dialog may not be there yet when the script is written).
    void AddRound(ModalScript& script, TFormDefineKey* const& d, const std::string& what,
                  const std::function<void(ModalScript&)>& input, Leave leave)
    {
        script.Then(what + ": Add", [&d] { return ModalScript::Up(d); }, [&d] { ModalScript::Click(d->ButtonAdd); })
            .Then(what + ": the selection dialog", &KeyDialogs::SelectUp, [] { ModalScript::Front(FormSelectKeys); });
        input(script);
        script.Do(what + ": left", [leave] {
                  switch (leave) {
                  case ClickOk: ModalScript::Click(FormSelectKeys->BtnOk); break;
                  case ClickCancel: ModalScript::Click(FormSelectKeys->BtnCancel); break;
                  case PressEnter: controltest::SendKey(VK_RETURN); break;
                  case PressEscape: controltest::SendKey(VK_ESCAPE); break;
                  }
              })
            .Then(what + ": closed", [] { return FormSelectKeys == nullptr; });
    }
    static void PressCtrlC(ModalScript& script)
    {
        script.Do("Ctrl+C pressed", [] { controltest::SendKey('C', {VK_CONTROL}); })
            .Then("Ctrl+C recorded", [] { return FormSelectKeys->HotKeyInput->HotKey() == (scCtrl | 'C'); });
    }
    void Run(ModalScript& script, TFormDefineKey* d, TModalResult expected)
    {
        script.Start();
        const TModalResult result = d->ShowModal();
        // Steps after the dialog's end only look.
        PumpUntil([&] { return script.Done() || script.Failed(); }, 30000);
        script.Stop();
        ASSERT_TRUE(script.Done()) << "stuck at: " << script.FailedStep() << "; last seen " << seen_;
        EXPECT_EQ(result, expected);
    }

    std::string seen_;
};

TEST_F(KeyDialogs, MoveAndDeleteAtTheFirstAndLastRowsWithTheButtonsFollowing)
{
    ShellDialog<TFormDefineKey> d(FormDefineKey);
    d->FKeyDown = Actions({scCtrl | 'C', scCtrl | 'V', VK_F5});
    d->FKeyUp = Actions({VK_F2});
    TListBox* const down = d->ListBoxDown;
    TListBox* const up = d->ListBoxUp;
    enum Act { RowOfDown, RowOfUp, MoveUp, MoveDown, Delete };
    const struct {
        const char* what;
        Act act;
        TListBox* list;
        ListView shows;
    } steps[] = {
        {"first row chosen", RowOfDown, down, {{"Ctrl+C", "Ctrl+V", "F5"}, 0, false, true, true, true}},
        {"Up on the first row", MoveUp, down, {{"Ctrl+C", "Ctrl+V", "F5"}, 0, false, true, true, true}},
        {"Down", MoveDown, down, {{"Ctrl+V", "Ctrl+C", "F5"}, 1, true, true, true, true}},
        {"Down to the last row", MoveDown, down, {{"Ctrl+V", "F5", "Ctrl+C"}, 2, true, false, true, true}},
        {"Down on the last row", MoveDown, down, {{"Ctrl+V", "F5", "Ctrl+C"}, 2, true, false, true, true}},
        {"the last row deleted", Delete, down, {{"Ctrl+V", "F5"}, 1, true, false, true, true}},
        {"Up to the first row", MoveUp, down, {{"F5", "Ctrl+V"}, 0, false, true, true, true}},
        {"the key-up list chosen", RowOfUp, up, {{"F2"}, 0, false, false, true, true}},
        {"its only row deleted", Delete, up, {{}, -1, false, false, false, true}},
    };
    ModalScript script;
    script.Then("shown", [&] { return ModalScript::Up(d.get()); }, [&] { ModalScript::Front(d.get()); })
        .Then("the lists filled", Shows(d.get(), down, {{"Ctrl+C", "Ctrl+V", "F5"}, -1, false, false, false, true}));
    for (const auto& s : steps) {
        script.Do(s.what, [&, act = s.act] {
            switch (act) {
            case RowOfDown: ModalScript::Click(RowPoint(down, 0)); break;
            case RowOfUp: ModalScript::Click(RowPoint(up, 0)); break;
            case MoveUp: ModalScript::Click(d->ButtonMoveUp); break;
            case MoveDown: ModalScript::Click(d->ButtonMoveDown); break;
            case Delete: ModalScript::Click(d->ButtonDelete); break;
            }
        });
        script.Then(std::string(s.what) + ": shown", Shows(d.get(), s.list, s.shows));
    }
    script.Then("the other list as it was", Shows(d.get(), down, {{"F5", "Ctrl+V"}, 0, false, false, false, true}))
        .Do("Ok", [&] { ModalScript::Click(d->ButtonExit); });
    Run(script, d.get(), mrOk);
    EXPECT_EQ(Values(d->FKeyDown), (std::vector<TShortCut>{VK_F5, scCtrl | 'V'}));
    EXPECT_EQ(d->FKeyUp.Count(), 0);
}

// A row deleted in the middle leaves the row that took its place chosen, with the buttons following it.
TEST_F(KeyDialogs, DeletingAMiddleRowChoosesTheRowThatTookItsPlace)
{
    ShellDialog<TFormDefineKey> d(FormDefineKey);
    d->FKeyDown = Actions({scCtrl | 'C', scCtrl | 'V', VK_F5, VK_F2});
    TListBox* const down = d->ListBoxDown;
    ModalScript script;
    script.Then("shown", [&] { return ModalScript::Up(d.get()); }, [&] { ModalScript::Front(d.get()); })
        .Then("the list filled", Shows(d.get(), down, {{"Ctrl+C", "Ctrl+V", "F5", "F2"}, -1, false, false, false, true}))
        .Do("the second row chosen", [&] { ModalScript::Click(RowPoint(down, 1)); })
        .Then("chosen", Shows(d.get(), down, {{"Ctrl+C", "Ctrl+V", "F5", "F2"}, 1, true, true, true, true}))
        .Do("deleted", [&] { ModalScript::Click(d->ButtonDelete); })
        .Then("the next row in its place", Shows(d.get(), down, {{"Ctrl+C", "F5", "F2"}, 1, true, true, true, true}))
        .Do("deleted again", [&] { ModalScript::Click(d->ButtonDelete); })
        .Then("the last row in its place", Shows(d.get(), down, {{"Ctrl+C", "F2"}, 1, true, false, true, true}))
        .Do("Ok", [&] { ModalScript::Click(d->ButtonExit); });
    Run(script, d.get(), mrOk);
    EXPECT_EQ(Values(d->FKeyDown), (std::vector<TShortCut>{scCtrl | 'C', VK_F2}));
}

// Each modifier box adds its own bit, and only its own, to the special key.
TEST_F(KeyDialogs, EachModifierBoxAddsItsOwnBitToTheSpecialKey)
{
    const struct {
        const char* what;
        TCheckBox* TFormSelectKeys::*box;
        TShortCut bit;
    } cases[] = {
        {"Control", &TFormSelectKeys::BoxControl, scCtrl},
        {"Shift", &TFormSelectKeys::BoxShift, scShift},
        {"Alt", &TFormSelectKeys::BoxAlt, scAlt},
    };
    for (const auto& c : cases) {
        ShellDialog<TFormSelectKeys> s(FormSelectKeys);
        TFormSelectKeys* const f = s.get();
        ModalScript script;
        script.Then("shown", [&] { return ModalScript::Up(f) && Focused(f->HotKeyInput); },
                    [&] { ModalScript::Front(f); })
            .Do("Special Keys", [&] { ModalScript::Click(f->RadioSpecial); })
            .Then("the list ready", [&] { return Focused(f->SpecialKey) && (f->*c.box)->Enabled(); },
                  [&] { ModalScript::Click(f->*c.box); })
            .Then(std::string(c.what) + " checked", [&] { return (f->*c.box)->Checked(); },
                  [&] { ModalScript::Click(f->BtnOk); });
        script.Start();
        const TModalResult result = f->ShowModal();
        PumpUntil([&] { return script.Done() || script.Failed(); }, 30000);
        script.Stop();
        ASSERT_TRUE(script.Done()) << c.what << ": stuck at " << script.FailedStep();
        EXPECT_EQ(result, mrOk) << c.what;
        EXPECT_EQ(f->FShortCut, TShortCut(VK_ESCAPE | c.bit)) << c.what;
    }
}

TEST_F(KeyDialogs, AddTakesAPressedOrSpecialKeyAndNothingWhenNothingWasChosen)
{
    ShellDialog<TFormDefineKey> d(FormDefineKey);
    TFormDefineKey* const dialog = d.get();
    d->FKeyDown = Actions({VK_F5});
    TListBox* const down = d->ListBoxDown;
    std::vector<std::string> specials;
    bool recordMode = false;
    ModalScript script;
    script.Then("shown", [&] { return ModalScript::Up(d.get()); }, [&] { ModalScript::Front(d.get()); });

    AddRound(script, dialog, "nothing recorded", [&](ModalScript& s) {
        s.Do("the dialog as it opens", [&] {
            specials.clear();
            for (int i = 0; i < FormSelectKeys->SpecialKey->Items()->Count(); ++i)
                specials.emplace_back(FormSelectKeys->SpecialKey->Items()->Strings(i).c_str());
            TFormSelectKeys* f = FormSelectKeys;
            recordMode = f->RadioRecord->Checked() && f->HotKeyInput->Enabled() && f->HotKeyInput->HotKey() == 0 &&
                         !f->SpecialKey->Enabled() && !f->BoxControl->Enabled() && !f->BoxShift->Enabled() &&
                         !f->BoxAlt->Enabled() && f->SpecialKey->ItemIndex() == 0;
        });
    }, ClickOk);
    script.Then("nothing added", Shows(d.get(), down, {{"F5"}, -1, false, false, false, true}));

    AddRound(script, dialog, "recorded, then Cancel", &KeyDialogs::PressCtrlC, ClickCancel);
    script.Then("nothing added", Shows(d.get(), down, {{"F5"}, -1, false, false, false, true}));
    AddRound(script, dialog, "recorded, then Escape", &KeyDialogs::PressCtrlC, PressEscape);
    script.Then("nothing added", Shows(d.get(), down, {{"F5"}, -1, false, false, false, true}));

    AddRound(script, dialog, "recorded", [&](ModalScript& s) {
        PressCtrlC(s);
        s.Do("shot", [] { testshot::Shot::OfWindow(FormSelectKeys->Handle()).SaveArtifact("select-key-recorded"); });
    }, ClickOk);
    // The new row is chosen, and the buttons know it at once.
    script.Then("Ctrl+C added", Shows(d.get(), down, {{"F5", "Ctrl+C"}, 1, true, false, true, true}));

    AddRound(script, dialog, "special", [&](ModalScript& s) {
        s.Do("Special Keys", [] { ModalScript::Click(FormSelectKeys->RadioSpecial); })
            .Then("the list ready", [] { return Focused(FormSelectKeys->SpecialKey) && !FormSelectKeys->HotKeyInput->Enabled(); },
                  [] { controltest::SendKey(VK_DOWN); })
            .Then("Enter chosen", [] { return FormSelectKeys->SpecialKey->ItemIndex() == 1; },
                  [] { controltest::SendKey(VK_DOWN); })
            .Then("Tab chosen", [] { return FormSelectKeys->SpecialKey->ItemIndex() == 2; },
                  [] { ModalScript::Click(FormSelectKeys->BoxControl); })
            .Then("Control", [] { return FormSelectKeys->BoxControl->Checked(); },
                  [] { ModalScript::Click(FormSelectKeys->BoxShift); })
            .Then("Shift", [] { return FormSelectKeys->BoxShift->Checked(); },
                  [] { ModalScript::Click(FormSelectKeys->BoxAlt); })
            .Then("Alt", [] { return FormSelectKeys->BoxAlt->Checked(); },
                  [] { testshot::Shot::OfWindow(FormSelectKeys->Handle()).SaveArtifact("select-key-special"); });
    }, ClickOk);
    script.Then("Tab with all three added",
                Shows(d.get(), down, {{"F5", "Ctrl+C", "Shift+Ctrl+Alt+Tab"}, 2, true, false, true, true}));
    // The keyboard alone: the list's second key taken with Enter from the list itself.
    AddRound(script, dialog, "special by keys", [&](ModalScript& s) {
        s.Do("Special Keys", [] { ModalScript::Click(FormSelectKeys->RadioSpecial); })
            .Then("the list ready", [] { return Focused(FormSelectKeys->SpecialKey); },
                  [] { controltest::SendKey(VK_DOWN); })
            .Then("Enter chosen", [] { return FormSelectKeys->SpecialKey->ItemIndex() == 1; });
    }, PressEnter);
    script.Then("Enter added",
                Shows(d.get(), down, {{"F5", "Ctrl+C", "Shift+Ctrl+Alt+Tab", "Enter"}, 3, true, false, true, true}))
        .Do("shot", [&] { testshot::Shot::OfWindow(d->Handle()).SaveArtifact("define-key-actions"); })
        .Do("Ok", [&] { ModalScript::Click(d->ButtonExit); });
    Run(script, d.get(), mrOk);

    EXPECT_EQ(specials, (std::vector<std::string>{"Esc", "Enter", "Tab", "Space", "BkSp", "Del"}));
    EXPECT_TRUE(recordMode) << "the dialog opens recording, with nothing recorded";
    EXPECT_EQ(Values(d->FKeyDown), (std::vector<TShortCut>{VK_F5, scCtrl | 'C', 0xE009, VK_RETURN}));
}

TEST_F(KeyDialogs, TheCloseBoxDiscardsTheEditsOfBothLists)
{
    ShellDialog<TFormDefineKey> d(FormDefineKey);
    TFormDefineKey* const dialog = d.get();
    d->FKeyDown = Actions({scCtrl | 'C', scCtrl | 'V'});
    d->FKeyUp = Actions({VK_F2});
    TListBox* const down = d->ListBoxDown;
    TListBox* const up = d->ListBoxUp;
    ModalScript script;
    script.Then("shown", [&] { return ModalScript::Up(d.get()); }, [&] { ModalScript::Front(d.get()); })
        .Do("first row", [&] { ModalScript::Click(RowPoint(down, 0)); })
        .Then("chosen", [&] { return down->ItemIndex() == 0 && d->ButtonDelete->Enabled(); },
              [&] { ModalScript::Click(d->ButtonDelete); })
        .Then("deleted", [&] { return down->Items()->Count() == 1; }, [&] { ModalScript::Click(RowPoint(up, 0)); })
        .Then("key-up row chosen", [&] { return up->ItemIndex() == 0 && d->FActiveListBox == up; },
              [&] { ModalScript::Click(d->ButtonDelete); })
        .Then("deleted", [&] { return up->Items()->Count() == 0; });
    AddRound(script, dialog, "added", &KeyDialogs::PressCtrlC, PressEnter);
    script.Then("Ctrl+C in the key-up list", [&] { return Items(up) == std::vector<std::string>{"Ctrl+C"}; },
                [&] {
                    POINT at{};
                    if (CloseBoxPoint(d->Handle(), at)) ModalScript::Click(at);
                })
        .Then("closed by its close box", [&] { return !d->Showing(); });
    Run(script, d.get(), mrCancel);
    EXPECT_EQ(Values(d->FKeyDown), (std::vector<TShortCut>{scCtrl | 'C', scCtrl | 'V'}));
    EXPECT_EQ(Values(d->FKeyUp), (std::vector<TShortCut>{VK_F2}));
}

}  // namespace

#include "shell/LayoutK5.h"

namespace {

using namespace shelltest;

const char* const Dashes = "\n---------------";

// The keyboard picture of the main window's port, with its .ini beside the test program made afresh.
class KeyboardPictureMap : public KeyDialogs {
protected:
    void SetUp() override
    {
        file_ = KeyMapFileName().c_str();
        DeleteFileA(file_.c_str());
        WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
    }
    void TearDown() override
    {
        form_.reset();
        window_.reset();
        DeleteFileA(file_.c_str());
        KeyDialogs::TearDown();
    }
    void Seed(const char* section, const char* name, const char* value)
    {
        ASSERT_TRUE(WritePrivateProfileStringA(section, name, value, file_.c_str()));
    }
    void Open()
    {
        window_ = MakeMainWindow();
        registry_ = RegistryTree(BaseKey());
        form_ = std::make_unique<TFormLayoutK5>(Application);
        form_->Show();
        controltest::Activate(form_.get());
    }
    // Closed by its close box, as a user closes it.
    void CloseByCloseBox()
    {
        POINT at{};
        ASSERT_TRUE(CloseBoxPoint(form_->Handle(), at));
        controltest::MouseTo(at.x, at.y);
        ModalScript::Press(at);
        ASSERT_TRUE(PumpUntil([&] { return !form_->Showing(); }, 10000)) << "the picture closes";
        EXPECT_EQ(RegistryTree(BaseKey()), registry_) << "the picture writes nothing of the port to the registry";
    }
    static void Click(TControl* c)
    {
        const POINT p = ModalScript::Centre(c);
        controltest::MouseTo(p.x, p.y);
        ModalScript::Press(p);
    }
    std::string Text(TZCLShapeControl* panel) const
    {
        return panel->Visible() ? std::string(panel->Caption()->Caption().c_str()) : std::string("<hidden>");
    }

    SerialCommList ports_;
    CleanSettings clean_;
    MessageBoxes boxes_;
    std::string file_;
    std::unique_ptr<TMainWindow> window_;
    std::unique_ptr<TFormLayoutK5> form_;
    std::map<std::string, std::string> registry_;
};

TEST_F(KeyboardPictureMap, HoverShowsTheKeysTextsAndEnteringAKeyHidesTheLastOnesFirst)
{
    Seed("KeyMap.COM5", "0x00000070", "Ctrl+C,Ctrl+V");
    Seed("KeyMap.COM5", "0x80000070", "F2");
    Seed("KeyMap.COM5", "0x80000071", "Esc");
    Seed("KeyMap.COM5", "0x08000070", "F5");
    Open();
    TFormLayoutK5& f = *form_;
    const std::string f1Down = std::string("KeyDown:") + Dashes + "\nCtrl+C\nCtrl+V";
    const std::string f1Up = std::string("KeyUp:") + Dashes + "\nF2";
    const std::string hidden = "<hidden>";
    const struct {
        const char* what;
        TControl* to;
        TZCLSpeedButton* entered;  // the key under the mouse, or null
        TZCLSpeedButton* left;     // the key the mouse left, or null
        bool clickShift;
        std::string down, up;
    } moves[] = {
        {"F1: both lists", f.KeyF[0], f.KeyF[0], nullptr, false, f1Down, f1Up},
        {"on to F2, which has only a key-up list", f.KeyF[1], f.KeyF[1], f.KeyF[0], false, hidden,
         std::string("KeyUp:") + Dashes + "\nEsc"},
        {"on to F3, which has none", f.KeyF[2], f.KeyF[2], f.KeyF[1], false, hidden, hidden},
        {"back to F1", f.KeyF[0], f.KeyF[0], f.KeyF[2], false, f1Down, f1Up},
        {"the display, which is no key", f.DisplayBackground, nullptr, f.KeyF[0], false, hidden, hidden},
        {"S1, which has none", f.KeySo[0], f.KeySo[0], nullptr, false, hidden, hidden},
        {"F1 with the terminal's Shift", f.KeyF[0], f.KeyF[0], nullptr, true, std::string("KeyDown:") + Dashes + "\nF5",
         hidden},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(m.what);
        if (m.clickShift) {
            Click(f.KeyShift);
            ASSERT_TRUE(PumpUntil([&] { return f.KeyShift->Pressed(); }, 10000));
        }
        const POINT p = ModalScript::Centre(m.to);
        controltest::MouseTo(p.x, p.y);
        EXPECT_TRUE(PumpUntil([&] {
            // A pointer that wandered back on its own (Wine's virtual desktop) is moved again.
            POINT at{};
            if (GetCursorPos(&at) && (at.x != p.x || at.y != p.y)) ModalScript::MoveTo(p);
            return (!m.entered || m.entered->MouseOver()) && (!m.left || !m.left->MouseOver()) &&
                   Text(f.ShapeKeyDown) == m.down && Text(f.ShapeKeyUp) == m.up;
        }, 10000)) << Text(f.ShapeKeyDown) << " | " << Text(f.ShapeKeyUp);
        if (m.to == f.KeyF[0] && !m.clickShift && !m.left) {
            Pump(100);
            testshot::Shot::OfWindow(f.Handle()).SaveArtifact("keyboard-picture-hover");
        }
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

TEST_F(KeyboardPictureMap, AKeyClickedIsDefinedInTheChosenStateAndTheCloseBoxSavesThePortsSection)
{
    Seed("KeyMap.COM5", "0x80000070", "F2");
    Seed("KeyMap.COM7", "0x00000070", "Ctrl+Z");
    Open();
    TFormLayoutK5& f = *form_;
    // Each round: the Shift and Alt clicked first, F1 clicked, a key added, closed by Ok or by the close box.
    const struct {
        const char* what;
        TZCLSpeedButton* state;  // clicked before the key, or null
        std::vector<std::string> shown;
        bool ok;
    } rounds[] = {
        {"plain", nullptr, {"up F2"}, true},
        {"Shift + Alt, closed by the close box", f.KeyAlt, {}, false},
        {"Shift + Alt", nullptr, {}, true},
        {"Shift alone", f.KeyAlt, {}, true},
    };
    std::vector<std::vector<std::string>> shown;
    ModalScript script;
    for (const auto& r : rounds) {
        const std::string what = r.what;
        if (r.state)
            script.Do(what + ": state", [&f, state = r.state] { ModalScript::Click(state); })
                .Then(what + ": state shown", [&f] { return f.KeyShift->Pressed(); });
        script.Then(what + ": F1", [] { return FormDefineKey == nullptr; }, [&f] { ModalScript::Click(f.KeyF[0]); })
            .Then(what + ": its lists", [] { return ModalScript::Up(FormDefineKey); }, [&shown] {
                ModalScript::Front(FormDefineKey);
                std::vector<std::string> lists = Items(FormDefineKey->ListBoxDown);
                for (const std::string& s : Items(FormDefineKey->ListBoxUp)) lists.push_back("up " + s);
                shown.push_back(lists);
            });
        AddRound(script, FormDefineKey, what, &KeyDialogs::PressCtrlC, ClickOk);
        script.Then(what + ": added", [] { return FormDefineKey->ListBoxDown->Items()->Count() == 1; },
                    [ok = r.ok] {
                        POINT at{};
                        if (ok)
                            ModalScript::Click(FormDefineKey->ButtonExit);
                        else if (CloseBoxPoint(FormDefineKey->Handle(), at))
                            ModalScript::Click(at);
                    })
            .Then(what + ": closed", [] { return FormDefineKey == nullptr; });
    }
    script.Start();
    ASSERT_TRUE(PumpUntil([&] { return script.Done() || script.Failed(); }, 180000));
    ASSERT_TRUE(PumpUntil([&] { return script.Finished(); }, 60000));
    script.Stop();
    ASSERT_TRUE(script.Done()) << "stuck at: " << script.FailedStep();
    ASSERT_EQ(shown.size(), std::size(rounds));
    for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], rounds[i].shown) << rounds[i].what;
    EXPECT_EQ(f.ShapeShiftAlt->Caption()->Caption(), "Define: Shift + Key");

    CloseByCloseBox();
    const std::vector<std::pair<std::string, std::string>> com5 = {
        {"0x00000070", "Ctrl+C"}, {"0x08000070", "Ctrl+C"}, {"0x0C000070", "Ctrl+C"}, {"0x80000070", "F2"}};
    EXPECT_EQ(IniLines(file_, "KeyMap.COM5"), com5);
    EXPECT_EQ(IniLines(file_, "KeyMap.COM7"), (std::vector<std::pair<std::string, std::string>>{{"0x00000070", "Ctrl+Z"}}))
        << "another port's map stays";
    EXPECT_TRUE(IniLines(file_, "KeyMap").empty());
    EXPECT_TRUE(boxes_.Texts().empty());
}

// What is no key of the terminal has no code, so it opens no definition (a code 0 could be stored but never
// read back).
TEST_F(KeyboardPictureMap, WhatIsNoKeyOpensNoDefinition)
{
    Seed("KeyMap.COM5", "0x80000070", "F2");
    Open();
    static bool opened;
    opened = false;
    struct Watch {
        // Closes a definition dialog that should not be there, so the test goes on to say so.
        static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
        {
            if (FormDefineKey && FormDefineKey->HandleAllocated() && FormDefineKey->Showing()) {
                opened = true;
                PostMessageA(FormDefineKey->Handle(), WM_CLOSE, 0, 0);
            }
        }
    };
    const UINT_PTR watch = SetTimer(nullptr, 0, 50, &Watch::Tick);
    TStringList notAComponent;
    TObject* const senders[] = {nullptr, form_->DisplayBackground, form_->ShapeShiftAlt, &notAComponent};
    for (TObject* sender : senders) form_->KeyClick(sender);
    KillTimer(nullptr, watch);
    EXPECT_FALSE(opened);
    EXPECT_EQ(form_->FKeyMap->Count(), 1);
    CloseByCloseBox();
    EXPECT_EQ(IniLines(file_, "KeyMap.COM5"), (std::vector<std::pair<std::string, std::string>>{{"0x80000070", "F2"}}));
}

// The section edited is that of the port the main window shows, whether or not the port was ever saved.
TEST_F(KeyboardPictureMap, ThePortTheMainWindowShowsIsTheOneEdited)
{
    const struct {
        const char* what;
        const char* defaultPort;  // Default\Port stored, or null
        const char* savedPort;    // Communication\Port stored under that port's key, or null
        const char* section;
    } cases[] = {
        {"a port never saved", "COM7", nullptr, "KeyMap.COM7"},
        {"a port saved", "COM7", "COM7", "KeyMap.COM7"},
        {"a port key holding another name", "COM7", "COM9", "KeyMap.COM7"},
        {"no port stored", nullptr, nullptr, "KeyMap.COM1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        form_.reset();
        window_.reset();
        DeleteTree(BaseKey());
        DeleteFileA(file_.c_str());
        if (c.defaultPort) WriteRaw(BaseKey() + "\\Default", "Port", c.defaultPort);
        if (c.savedPort) WriteRaw(PortKey(c.defaultPort, "Communication"), "Port", c.savedPort);
        // Written in a form a save changes, so the file shows which section was saved.
        const struct {
            const char* section;
            const char* text;
            char key;
        } seeds[] = {{"KeyMap", "ctrl+a", 'A'}, {"KeyMap.COM1", "ctrl+b", 'B'}, {"KeyMap.COM7", "ctrl+c", 'C'},
                     {"KeyMap.COM9", "ctrl+d", 'D'}};
        for (const auto& s : seeds) Seed(s.section, "0x70", s.text);
        Open();
        for (const auto& s : seeds)
            if (std::string(s.section) == c.section) {
                const KvActionList loaded = form_->FKeyMap->GetActions(0x70);
                ASSERT_EQ(loaded.Count(), 1);
                EXPECT_EQ(loaded[0].Value(), scCtrl | s.key) << "the map shown is the port's";
            }
        CloseByCloseBox();
        for (const auto& s : seeds) {
            const auto lines = IniLines(file_, s.section);
            ASSERT_EQ(lines.size(), 1u) << s.section;
            if (std::string(s.section) == c.section)
                EXPECT_EQ(lines[0], (std::pair<std::string, std::string>{"0x00000070", std::string("Ctrl+") + s.key}))
                    << "saved: " << s.section;
            else
                EXPECT_EQ(lines[0], (std::pair<std::string, std::string>{"0x70", s.text})) << "untouched: " << s.section;
        }
    }
    EXPECT_TRUE(boxes_.Texts().empty());
}

}  // namespace
