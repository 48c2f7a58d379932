// The keyboard picture: its keys as the terminal has them, and the Shift and Alt states.

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ModalScript.h"
#include "ShellTestSupport.h"
#include "shell/LayoutK5.h"

namespace {

using namespace shelltest;

// The picture shown over the configuration window of COM5, clicked with the real mouse.
class KeyboardPicture : public testing::Test {
protected:
    void Show(bool letterInput)
    {
        ports_.Add("\\Device\\Serial0", "COM5");
        WriteRaw(BaseKey() + "\\Default", "Port", "COM5");
        CleanSettings::SeedPort("COM5");
        if (!letterInput) WriteRaw(PortKey("COM5", "MouseAndKeyboard"), "EnableLetterInput", "0");
        window_ = MakeMainWindow();
        window_->ActionConfiguration->Execute();
        form_ = std::make_unique<TFormLayoutK5>(Application);
        form_->Show();
        controltest::Activate(form_.get());
    }
    void TearDown() override
    {
        if (form_) form_->Hide();
        form_.reset();
        window_.reset();
    }
    static void Click(TControl* c)
    {
        const POINT p = ModalScript::Centre(c);
        controltest::MouseTo(p.x, p.y);
        ModalScript::Press(p);
    }

    SerialCommList ports_;
    CleanSettings clean_;
    std::unique_ptr<TMainWindow> window_;
    std::unique_ptr<TFormLayoutK5> form_;
};

struct KeyRow {
    std::string name;
    std::string caption;
    int tag;
    bool definable;
};

std::vector<KeyRow> TerminalKeys()
{
    std::vector<KeyRow> rows;
    for (int i = 1; i <= 16; ++i) rows.push_back({"KeyF" + std::to_string(i), "F" + std::to_string(i), 0x6F + i, true});
    for (int i = 1; i <= 10; ++i)
        rows.push_back({i == 3 ? "KeyS03" : "KeySo" + std::to_string(i), "S" + std::to_string(i), 0x806F + i, true});
    for (int i = 0; i <= 9; ++i) rows.push_back({"KeyN" + std::to_string(i), std::to_string(i), 0x30 + i, true});
    const KeyRow others[] = {
        {"KeyDot", ".", 0x6E, true},        {"KeyEnter", "", 0x0D, true},     {"KeyClr", "CLR", 0x08, true},
        {"KeyPlus", "+", 0x6B, true},       {"KeyMinus", "-", 0x6D, true},    {"KeyTop", "", 0x21, true},
        {"KeyBot", "", 0x22, true},         {"KeyCup", "", 0x26, true},       {"KeyCdn", "", 0x28, true},
        {"KeyCle", "", 0x25, true},         {"KeyCri", "", 0x27, true},       {"KeyInfo", "", 0x2F, true},
        {"KeyShift", "Shift", 0x10, false}, {"KeyAlt", "Alt", 0x12, false},   {"KeyMbLeft", "", 32772, false},
        {"KeyMbRight", "", 32773, false},
    };
    rows.insert(rows.end(), std::begin(others), std::end(others));
    return rows;
}

TEST_F(KeyboardPicture, HoldsTheTerminalsFiftyTwoKeysWithTheirPcKeys)
{
    TFormLayoutK5 form(nullptr);
    const std::vector<KeyRow> rows = TerminalKeys();
    ASSERT_EQ(rows.size(), 52u);
    EXPECT_EQ(form.Keys.size(), rows.size());
    for (const KeyRow& row : rows) {
        SCOPED_TRACE(row.name);
        auto* key = dynamic_cast<TZCLSpeedButton*>(form.FindComponent(row.name.c_str()));
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(key->Caption().c_str(), row.caption);
        EXPECT_EQ(key->Tag(), row.tag);
        EXPECT_EQ(bool(key->OnMouseEnter()), row.definable);
        EXPECT_EQ(key->Enabled(), row.name != "KeyMbLeft" && row.name != "KeyMbRight");
    }
    EXPECT_EQ(form.KeyShift->GroupIndex(), 1);
    EXPECT_EQ(form.KeyAlt->GroupIndex(), 2);
    EXPECT_FALSE(form.ShapeKeyDown->Visible());
    EXPECT_FALSE(form.ShapeKeyUp->Visible());
}

}  // namespace

namespace {

TEST_F(KeyboardPicture, ShiftAndAltClickedOnThePictureChooseTheStateAndLetterInputLocksTheDigits)
{
    Show(true);
    TFormLayoutK5& form = *form_;
    auto click = &KeyboardPicture::Click;
    // How a toggle looks on the screen: the mean brightness of its face (its caption and edges left out) and
    // the red of its LED's middle.
    struct Look {
        int face, ledRed, ledGreen;
    };
    auto look = [&](TZCLSpeedButton* key, TZCLShapeControl* led) {
        const TPoint k = key->ClientToScreen(TPoint(0, 0));
        const testshot::Shot shot =
            testshot::Shot::OfScreen(RECT{k.x, k.y, k.x + key->Width(), k.y + key->Height()});
        int sum = 0, n = 0;
        for (int y = 3; y < key->Height() - 3; ++y)
            for (int x = 3; x < 7; ++x) {
                const COLORREF c = shot.At(x, y);
                sum += (GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3;
                ++n;
            }
        const TPoint l = led->ClientToScreen(TPoint(led->Width() / 2, led->Height() / 2));
        const COLORREF c = testshot::Shot::OfScreen(RECT{l.x, l.y, l.x + 1, l.y + 1}).At(0, 0);
        return Look{sum / n, GetRValue(c), GetGValue(c)};
    };
    auto describe = [](const Look& l) {
        return "face " + std::to_string(l.face) + " led " + std::to_string(l.ledRed) + "/" + std::to_string(l.ledGreen);
    };
    // Down: a face clearly darker than a raised key's, and the LED lit.
    // Once the picture is painted: two raised keys alike, and light.
    ASSERT_TRUE(PumpUntil([&] {
        return look(form.KeyF[0], form.LedShift).face == look(form.KeyF[1], form.LedShift).face &&
               look(form.KeyF[0], form.LedShift).face > 128;
    }, 10000));
    const Look raised = look(form.KeyF[0], form.LedShift);
    auto shows = [&](TZCLSpeedButton* key, TZCLShapeControl* led, bool down) {
        const Look l = look(key, led);
        if (down) return l.face + 25 <= raised.face && l.ledRed >= 230 && l.ledGreen <= 60;
        return std::abs(l.face - raised.face) <= 4 && l.ledRed <= 160;
    };
    auto caption = [&] { return std::string(form.ShapeShiftAlt->Caption()->Caption().c_str()); };
    struct Step {
        TZCLSpeedButton* key;
        bool shift, alt, digits;
        const char* caption;
    };
    const Step steps[] = {
        {form.KeyShift, true, false, false, "Define: Shift + Key"},
        {form.KeyAlt, true, true, true, "Define: Shift + Alt + Key"},
        {form.KeyShift, true, true, true, "Define: Shift + Alt + Key"},  // Shift stays with Alt
        {form.KeyAlt, true, false, false, "Define: Shift + Key"},
        {form.KeyShift, false, false, true, "Define: Key"},
    };
    EXPECT_EQ(caption(), "Define: Key");
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        click(s.key);
        ASSERT_TRUE(PumpUntil([&] { return caption() == s.caption; }, 10000)) << caption();
        EXPECT_TRUE(PumpUntil([&] {
            return shows(form.KeyShift, form.LedShift, s.shift) && shows(form.KeyAlt, form.LedAlt, s.alt);
        }, 10000)) << "Shift " << describe(look(form.KeyShift, form.LedShift)) << ", Alt "
                   << describe(look(form.KeyAlt, form.LedAlt)) << ", raised face " << raised.face;
        EXPECT_EQ(form.KeyShift->Pressed(), s.shift);
        EXPECT_EQ(form.KeyAlt->Pressed(), s.alt);
        for (TZCLSpeedButton* digit : form.KeyN) EXPECT_EQ(digit->Enabled(), s.digits);
        EXPECT_EQ(form.KeyDot->Enabled(), s.digits);
        if (n == 1) {
            Pump(100);
            testshot::Shot::OfWindow(form.Handle()).SaveArtifact("keyboard-picture-shift");
        }
    }
}

}  // namespace

namespace {

TEST_F(KeyboardPicture, WithoutLetterInputTheDigitsStayDefinableWithShift)
{
    Show(false);
    TFormLayoutK5& form = *form_;
    Click(form.KeyShift);
    ASSERT_TRUE(PumpUntil([&] { return form.KeyShift->Pressed(); }, 10000));
    EXPECT_EQ(form.ShapeShiftAlt->Caption()->Caption(), "Define: Shift + Key");
    for (TZCLSpeedButton* digit : form.KeyN) EXPECT_TRUE(digit->Enabled()) << digit->Name().c_str();
    EXPECT_TRUE(form.KeyDot->Enabled());
}

// Letter input as the window shows it, not as it was last stored: the user may have changed it without saving.
TEST_F(KeyboardPicture, LetterInputIsTheWindowsAsItStandsNotTheStoredOne)
{
    Show(true);
    TFormLayoutK5& form = *form_;
    for (bool shown : {false, true}) {
        SCOPED_TRACE(std::string("stored on, shown ") + (shown ? "on" : "off"));
        form.Hide();
        window_->CheckBoxEnableLetterInput->SetChecked(shown);
        form.Show();
        controltest::Activate(&form);
        Click(form.KeyShift);
        ASSERT_TRUE(PumpUntil([&] { return form.KeyShift->Pressed(); }, 10000));
        for (TZCLSpeedButton* digit : form.KeyN) EXPECT_EQ(digit->Enabled(), !shown) << digit->Name().c_str();
        EXPECT_EQ(form.KeyDot->Enabled(), !shown);
        Click(form.KeyShift);
        ASSERT_TRUE(PumpUntil([&] { return !form.KeyShift->Pressed(); }, 10000));
    }
}

}  // namespace
