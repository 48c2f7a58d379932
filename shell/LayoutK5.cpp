#include "shell/LayoutK5.h"

#include "framework/runtime/SysUtils.h"
#include "shell/KeyForm.h"
#include "shell/MainForm.h"
#include "shell/ShellPlace.h"

TFormLayoutK5* FormLayoutK5 = nullptr;

AnsiString KeyMapFileName() { return ChangeFileExt(Application->ExeName(), ".ini"); }

namespace {

// Colours of the terminal's front.
constexpr TColor FrontColor = clGray;
constexpr TColor BarColor = TColor(0x00585858);
constexpr TColor DisplayColor = TColor(0x00284018);   // dark green
constexpr TColor DisplayTextColor = TColor(0x0080FFA0);
constexpr TColor LedColor = TColor(0x00000080);       // a dark red LED, off
constexpr TColor LedLitColor = TColor(0x000000FF);
// The face of Shift or Alt while it is down: darker than the raised keys, so the state shows at a glance.
constexpr TColor PressedToggleColor = TColor(0x00A0A0A0);
constexpr TColor LabelColor = clWhite;

enum class Picture { None, Enter, Top, Bot, Up, Down, Left, Right, Info };

// A 15 x 15 key picture in black on fuchsia (the bottom-left pixel makes fuchsia transparent).
void DrawPicture(TBitmap& glyph, Picture picture)
{
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(15, 15);
    TCanvas* c = glyph.Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 15, 15));
    c->Brush()->SetColor(clBlack);
    c->Pen()->SetColor(clBlack);
    auto triangle = [c](TPoint a, TPoint b, TPoint d) {
        const TPoint points[] = {a, b, d};
        c->Polygon(points, 3);
    };
    switch (picture) {
    case Picture::Up: triangle({7, 3}, {12, 10}, {2, 10}); break;
    case Picture::Down: triangle({2, 4}, {12, 4}, {7, 11}); break;
    case Picture::Left: triangle({3, 7}, {10, 2}, {10, 12}); break;
    case Picture::Right: triangle({4, 2}, {11, 7}, {4, 12}); break;
    case Picture::Top:
        c->FillRect(TRect(2, 2, 13, 4));
        triangle({7, 5}, {12, 12}, {2, 12});
        break;
    case Picture::Bot:
        triangle({2, 3}, {12, 3}, {7, 10});
        c->FillRect(TRect(2, 11, 13, 13));
        break;
    case Picture::Enter:
        c->FillRect(TRect(11, 2, 13, 9));
        c->FillRect(TRect(5, 7, 13, 9));
        triangle({1, 8}, {6, 4}, {6, 12});
        break;
    case Picture::Info:
        c->FillRect(TRect(6, 2, 9, 5));
        c->FillRect(TRect(6, 6, 9, 13));
        c->FillRect(TRect(4, 11, 11, 13));
        break;
    case Picture::None: break;
    }
}

// The maker's logo or the terminal's name: text on the front's colour.
void DrawNamePlate(TBitmap& plate, int w, int h, const char* text, TColor textColor, int height)
{
    plate.SetPixelFormat(pf24bit);
    plate.SetSize(w, h);
    TCanvas* c = plate.Canvas();
    c->Brush()->SetColor(FrontColor);
    c->FillRect(TRect(0, 0, w, h));
    c->Font()->SetName("Arial");
    c->Font()->SetHeight(-height);
    c->Font()->SetStyle(TFontStyles{fsBold});
    c->Font()->SetColor(textColor);
    c->Brush()->SetStyle(bsClear);
    TRect r(0, 0, w, h);
    c->TextRect(r, 4, (h - c->TextHeight(text)) / 2, text);
}

struct KeyPlace {
    const char* name;
    const char* caption;
    int terminalCode;  // what the terminal sends; documents the key
    int tag;           // the PC key it plays by default
    int x, y, w, h;
    Picture picture;
};

}  // namespace

TFormLayoutK5::TFormLayoutK5(TComponent* owner) : TForm(owner), FKeyMap(new KvKeyMap)
{
    TComponentLoader loading(this);
    SetName("FormLayoutK5");
    SetCaption("DRAVIK K5");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetColor(FrontColor);
    SetClientSize(642, 460);
    SetOnShow(TNotifyEvent(this, &TFormLayoutK5::FormShow));
    SetOnClose(TCloseEvent(this, &TFormLayoutK5::FormClose));

    // Shapes first: the keys lie above the bars and the display.
    BuildShapes(loading);
    BuildKeys(loading);
    loading.Finish();
}

TFormLayoutK5::~TFormLayoutK5() { delete FKeyMap; }

void TFormLayoutK5::BuildKeys(TComponentLoader& loading)
{
    std::vector<KeyPlace> places;
    for (int i = 0; i < 16; ++i) {
        const int column = i / 8, row = i % 8;
        places.push_back({"", "", 128 + i, VK_F1 + i, column ? 502 : 100, 52 + row * 25, 40, 22, Picture::None});
    }
    for (int i = 0; i < 10; ++i)
        places.push_back({"", "", 144 + i, int(KvKeyMapOnly) | (VK_F1 + i), 152 + i * 34, 262, 30, 22, Picture::None});
    // The keypad: 7 8 9 on top, 1 2 3 in the third row, 0 below 2.
    for (int i = 0; i < 10; ++i) {
        const int column = i == 0 ? 1 : (i - 1) % 3;
        const int row = i == 0 ? 3 : 2 - (i - 1) / 3;
        places.push_back({"", "", 48 + i, 0x30 + i, 262 + column * 46, 306 + row * 36, 40, 22, Picture::None});
    }
    const KeyPlace others[] = {
        {"KeyDot", ".", 46, VK_DECIMAL, 354, 414, 40, 22, Picture::None},
        {"KeyEnter", "", 10, VK_RETURN, 458, 342, 40, 58, Picture::Enter},
        {"KeyClr", "CLR", 8, VK_BACK, 262, 414, 40, 22, Picture::None},
        {"KeyPlus", "+", 178, VK_ADD, 412, 306, 40, 22, Picture::None},
        {"KeyMinus", "-", 179, VK_SUBTRACT, 458, 306, 40, 22, Picture::None},
        {"KeyTop", "", 183, VK_PRIOR, 30, 306, 36, 26, Picture::Top},
        {"KeyBot", "", 184, VK_NEXT, 30, 376, 36, 26, Picture::Bot},
        {"KeyCup", "", 185, VK_UP, 120, 306, 36, 26, Picture::Up},
        {"KeyCdn", "", 186, VK_DOWN, 120, 376, 36, 26, Picture::Down},
        {"KeyCle", "", 187, VK_LEFT, 80, 341, 36, 26, Picture::Left},
        {"KeyCri", "", 188, VK_RIGHT, 160, 341, 36, 26, Picture::Right},
        {"KeyInfo", "", 199, VK_HELP, 206, 306, 36, 26, Picture::Info},
        {"KeyShift", "Shift", 32769, VK_SHIFT, 412, 342, 40, 22, Picture::None},
        {"KeyAlt", "Alt", 32770, VK_MENU, 412, 378, 40, 22, Picture::None},
        {"KeyMbLeft", "", 32772, 32772, 530, 412, 44, 30, Picture::None},
        {"KeyMbRight", "", 32773, 32773, 578, 412, 44, 30, Picture::None},
    };
    places.insert(places.end(), std::begin(others), std::end(others));

    const TNotifyEvent click(this, &TFormLayoutK5::KeyClick);
    const TNotifyEvent enter(this, &TFormLayoutK5::MouseEnter);
    const TNotifyEvent exit(this, &TFormLayoutK5::MouseExit);
    for (std::size_t i = 0; i < places.size(); ++i) {
        KeyPlace p = places[i];
        AnsiString name = p.name, caption = p.caption;
        if (i < 16) {
            name = "KeyF" + IntToStr(int(i) + 1);
            caption = "F" + IntToStr(int(i) + 1);
        } else if (i < 26) {
            const int n = int(i) - 15;
            name = n == 3 ? AnsiString("KeyS03") : "KeySo" + IntToStr(n);
            caption = "S" + IntToStr(n);
        } else if (i < 36) {
            name = "KeyN" + IntToStr(int(i) - 26);
            caption = IntToStr(int(i) - 26);
        }
        auto* key = ShellPlace<TZCLSpeedButton>(loading, name.c_str(), this, p.x, p.y, p.w, p.h, caption.c_str());
        // The form's own code first, then the PC key the map knows the key by.
        key->SetTag(p.terminalCode);
        key->SetTag(p.tag);
        if (p.picture != Picture::None) {
            TBitmap glyph;
            DrawPicture(glyph, p.picture);
            key->SetGlyph(&glyph);
        }
        Keys.push_back(key);
    }
    for (int i = 0; i < 16; ++i) KeyF[i] = Keys[std::size_t(i)];
    for (int i = 0; i < 10; ++i) KeySo[i] = Keys[std::size_t(16 + i)];
    for (int i = 0; i < 10; ++i) KeyN[i] = Keys[std::size_t(26 + i)];
    TZCLSpeedButton** named[] = {&KeyDot, &KeyEnter, &KeyClr, &KeyPlus, &KeyMinus, &KeyTop, &KeyBot, &KeyCup,
                                 &KeyCdn, &KeyCle, &KeyCri, &KeyInfo, &KeyShift, &KeyAlt, &KeyMbLeft, &KeyMbRight};
    for (std::size_t i = 0; i < std::size(named); ++i) *named[i] = Keys[36 + i];

    for (TZCLSpeedButton* key : Keys) {
        if (key == KeyShift || key == KeyAlt || key == KeyMbLeft || key == KeyMbRight) continue;
        key->SetOnClick(click);
        key->SetOnMouseEnter(enter);
        key->SetOnMouseExit(exit);
    }
    KeyShift->SetGroupIndex(1);
    KeyAlt->SetGroupIndex(2);
    for (TZCLSpeedButton* toggle : {KeyShift, KeyAlt}) {
        toggle->SetAllowAllUp(true);
        toggle->SetOnClick(TNotifyEvent(this, &TFormLayoutK5::KeyShiftAltClick));
    }
    KeyMbLeft->SetEnabled(false);
    KeyMbRight->SetEnabled(false);
}

void TFormLayoutK5::BuildShapes(TComponentLoader& loading)
{
    const TNotifyEvent enter(this, &TFormLayoutK5::MouseEnter);
    const TNotifyEvent exit(this, &TFormLayoutK5::MouseExit);
    auto shape = [&](const AnsiString& name, int x, int y, int w, int h) {
        auto* s = ShellPlace<TZCLShapeControl>(loading, name.c_str(), this, x, y, w, h);
        s->Shadow()->SetStyle(hssNone);
        s->Bevel()->SetWidth(0);
        s->Brush()->SetStyle(bsClear);
        Shapes.push_back(s);
        return s;
    };
    auto area = [&](const char* name, int x, int y, int w, int h, TColor color) {
        TZCLShapeControl* s = shape(name, x, y, w, h);
        s->Brush()->SetStyle(bsSolid);
        s->Brush()->SetColor(color);
        s->Bevel()->SetWidth(2);
        s->Bevel()->SetStyle(sbInset);
        s->Bevel()->SetLightColor(clSilver);
        s->Bevel()->SetShadowColor(clBlack);
        s->SetOnMouseEnter(enter);
        s->SetOnMouseExit(exit);
        return s;
    };
    auto label = [&](const AnsiString& name, int x, int y, int w, int h, const AnsiString& text) {
        TZCLShapeControl* s = shape(name, x, y, w, h);
        s->Caption()->SetCaption(text);
        s->Caption()->Font()->SetName("Small Fonts");
        s->Caption()->Font()->SetSize(7);
        s->Caption()->Font()->SetColor(LabelColor);
        return s;
    };
    auto led = [&](const AnsiString& name, int x, int y, int tag) {
        TZCLShapeControl* s = shape(name, x, y, 8, 8);
        s->SetShape(stEllipse);
        s->Brush()->SetStyle(bsSolid);
        s->Brush()->SetColor(LedColor);
        s->Bevel()->SetWidth(1);
        s->Bevel()->SetColor(clBlack);
        s->SetTag(tag);
        return s;
    };

    // Bars behind the key groups and the display's frame: leaving a key for them hides the hover texts.
    area("BarLeft", 76, 46, 70, 206, BarColor);
    area("BarRight", 496, 46, 70, 206, BarColor);
    area("BarBottom", 146, 256, 350, 34, BarColor);
    area("BarCursor", 20, 298, 232, 112, BarColor);
    area("DisplayFrame", 146, 40, 350, 214, clBlack);
    DisplayBackground = area("DisplayBackground", 154, 48, 334, 198, DisplayColor);

    ShapeShiftAlt = label("ShapeShiftAlt", 160, 52, 322, 18, "Define: Key");
    ShapeShiftAlt->Caption()->Font()->SetName("Arial");
    ShapeShiftAlt->Caption()->Font()->SetSize(9);
    ShapeShiftAlt->Caption()->Font()->SetStyle(TFontStyles{fsBold});
    ShapeShiftAlt->Caption()->Font()->SetColor(DisplayTextColor);
    auto panel = [&](const char* name, int x, const char* heading) {
        TZCLShapeControl* s = label(name, x, 76, 156, 164, AnsiString(heading) + "\n---------------");
        s->Brush()->SetStyle(bsSolid);
        s->Brush()->SetColor(clInfoBk);
        s->Bevel()->SetWidth(1);
        s->Bevel()->SetColor(clBlack);
        s->Caption()->SetMultiLine(true);
        s->Caption()->SetAlignment(agTopLeft);
        s->Caption()->Font()->SetName("Arial");
        s->Caption()->Font()->SetSize(8);
        s->Caption()->Font()->SetColor(clBlack);
        s->SetVisible(false);
        return s;
    };
    ShapeKeyDown = panel("ShapeKeyDown", 160, "KeyDown:");
    ShapeKeyUp = panel("ShapeKeyUp", 326, "KeyUp:");

    // LEDs beside the soft keys and the keys that light.
    for (int i = 0; i < 16; ++i) {
        const int column = i / 8, row = i % 8;
        led("LedF" + IntToStr(i + 1), column ? 548 : 84, 59 + row * 25, 128 + i);
    }
    led("LedCup", 134, 299, 185);
    led("LedCdn", 134, 403, 186);
    led("LedCle", 70, 350, 187);
    led("LedCre", 198, 350, 188);
    led("LedPlus", 443, 298, 178);
    led("LedMinus", 489, 298, 179);
    LedShift = led("LedShift", 443, 334, 32769);
    LedAlt = led("LedAlt", 443, 370, 32770);

    // Status LEDs with their names.
    const char* const statusNames[] = {"MSG", "ON", "COM", "?"};
    for (int i = 0; i < 6; ++i) {
        led("LedAlarm" + IntToStr(i + 1), 534 + (i % 3) * 30, 306 + (i / 3) * 26, 32771);
        label("TxtAlarm" + IntToStr(i + 1), 526 + (i % 3) * 30, 315 + (i / 3) * 26, 24, 10, "A" + IntToStr(i + 1));
    }
    const char* const ledNames[] = {"LedMsg", "LedOn", "LedCom", "LedQuestion"};
    for (int i = 0; i < 4; ++i) {
        led(ledNames[i], 530 + i * 24, 362, 32774 + i);
        label("TxtStatus" + IntToStr(i + 1), 522 + i * 24, 371, 24, 10, statusNames[i]);
    }
    label("TxtMouse", 530, 398, 92, 12, "Mouse");

    // The multi-tap letters under the digit keys.
    const char* const letters[] = {"+-/", "STU", "VWX", "YZ_", "JKL", "MNO", "PQR", "ABC", "DEF", "GHI"};
    for (int i = 0; i < 10; ++i) {
        const int column = i == 0 ? 1 : (i - 1) % 3;
        const int row = i == 0 ? 3 : 2 - (i - 1) / 3;
        label("TxtN" + IntToStr(i), 262 + column * 46, 328 + row * 36, 40, 11, letters[i]);
    }
    label("TxtClr", 262, 436, 40, 11, "");
    label("TxtCursor", 20, 412, 232, 12, "PAGE / CURSOR");
    label("TxtSoftKeys", 146, 290, 350, 10, "SOFT KEYS");

    // The maker's logo and the terminal's name.
    auto image = [&](const char* name, int x, int w, const char* text, TColor color, int height) {
        auto* img = ShellPlace<TZCLNImage>(loading, name, this, x, 6, w, 30);
        TBitmap plate;
        DrawNamePlate(plate, w, 30, text, color, height);
        img->SetBitmap(&plate);
        return img;
    };
    ImageLogo = image("ImageLogo", 12, 180, "KARVON", clNavy, 22);
    ImageName = image("ImageName", 450, 180, "DRAVIK K5", clWhite, 18);
}

KvKeyCode TFormLayoutK5::KeyCode(int tag) const
{
    KvKeyCode code = KvKeyCode(tag);
    if (KeyShift->Pressed()) code |= KvKeyTerminalShift;
    if (KeyAlt->Pressed()) code |= KvKeyTerminalAlt;
    return code;
}

void TFormLayoutK5::FormShow(TObject*)
{
    // The port the main window shows, saved or not: the link uses the map under its name.
    FPortName = MainWindow ? MainWindow->PortName() : AnsiString();
    // The window's own setting, as it stands: the port edited may not be saved yet.
    FLetterInput = MainWindow ? MainWindow->CheckBoxEnableLetterInput->Checked() : true;
    FKeyMap->LoadFromFile(FPortName, KeyMapFileName());
    FSaveFailed = false;
    KeyShiftAltClick(this);
}

void TFormLayoutK5::FormClose(TObject*, TCloseAction& Action)
{
    const AnsiString file = KeyMapFileName();
    if (FKeyMap->SaveToFile(FPortName, file)) return;
    // The picture has no cancel: a first failure keeps it open with the keys defined, so that the file can be
    // made writable and the picture closed again; closing it once more leaves without them, and says so.
    const bool again = FSaveFailed;
    FSaveFailed = true;
    AnsiString text = "The key map could not be saved to " + file + ".";
    if (again) {
        text += "\nThe keys defined now are not kept.";
    } else {
        text += "\nThe picture stays open with the keys defined: close it again to save them.";
        Action = caNone;
    }
    if (MainWindow)
        MainWindow->ShowMessageBox(1, text);
    else
        Application->MessageBox(text, Application->Title(), MB_OK | MB_ICONERROR);
}

void TFormLayoutK5::KeyShiftAltClick(TObject*)
{
    // Alt always comes with Shift: plain, Shift and Shift + Alt are the states a key has.
    if (KeyAlt->Pressed() && !KeyShift->Pressed()) KeyShift->SetPressed(true);
    const bool shift = KeyShift->Pressed(), alt = KeyAlt->Pressed();
    KeyShift->SetColor(shift ? PressedToggleColor : clBtnFace);
    KeyAlt->SetColor(alt ? PressedToggleColor : clBtnFace);
    LedShift->Brush()->SetColor(shift ? LedLitColor : LedColor);
    LedAlt->Brush()->SetColor(alt ? LedLitColor : LedColor);
    ShapeShiftAlt->Caption()->SetCaption(AnsiString("Define: ") + (shift ? "Shift + " : "") + (alt ? "Alt + " : "") +
                                         "Key");
    // Shift and a digit is letter input on the terminal.
    const bool digits = !(FLetterInput && shift && !alt);
    for (TZCLSpeedButton* key : KeyN) key->SetEnabled(digits);
    KeyDot->SetEnabled(digits);
}

void TFormLayoutK5::KeyClick(TObject* Sender)
{
    auto* component = dynamic_cast<TComponent*>(Sender);
    // A code 0 could be stored but never read back.
    if (!component || component->Tag() == 0) return;
    const KvKeyCode code = KeyCode(component->Tag());
    ShellDialog<TFormDefineKey> dialog(FormDefineKey);
    dialog->FKeyDown = FKeyMap->GetActions(code);
    dialog->FKeyUp = FKeyMap->GetActions(code | KvKeyReleased);
    if (dialog->ShowModal() != mrOk) return;
    // An emptied list takes the key out of the map rather than keeping an empty entry.
    FKeyMap->SetActions(code, dialog->FKeyDown.Count() ? &dialog->FKeyDown : nullptr);
    FKeyMap->SetActions(code | KvKeyReleased, dialog->FKeyUp.Count() ? &dialog->FKeyUp : nullptr);
}

void TFormLayoutK5::ShowPanel(TZCLShapeControl* panel, const char* heading, const KvActionList& list)
{
    if (list.Count() == 0) return;
    TStringList texts;
    list.ToText(&texts);
    AnsiString text = AnsiString(heading) + "\n---------------";
    for (int i = 0; i < texts.Count(); ++i) text += "\n" + texts.Strings(i);
    panel->Caption()->SetCaption(text);
    panel->SetVisible(true);
}

void TFormLayoutK5::MouseEnter(TObject* Sender)
{
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (!component || component->Tag() == 0) return;
    // The last key's exit may come after this enter: its texts go first.
    MouseExit(Sender);
    const KvKeyCode code = KeyCode(component->Tag());
    ShowPanel(ShapeKeyDown, "KeyDown:", FKeyMap->GetActions(code));
    ShowPanel(ShapeKeyUp, "KeyUp:", FKeyMap->GetActions(code | KvKeyReleased));
}

void TFormLayoutK5::MouseExit(TObject*)
{
    ShapeKeyDown->SetVisible(false);
    ShapeKeyUp->SetVisible(false);
}
