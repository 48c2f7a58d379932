// The configuration side of the main window: which port's key it uses, what it shows of the stored settings,
// what "Close Window" writes (read back raw), the enable rules, the Default buttons and the port list.

#include <gtest/gtest.h>

#include "ShellTestSupport.h"
#include "link/LineSettings.h"

namespace {

using namespace shelltest;

// ---------------------------------------------------------------------------------------------------------------
// Command line

TEST(CommandLine, SwitchValueTable)
{
    const struct {
        std::vector<AnsiString> args;
        bool found;
        const char* value;
    } cases[] = {
        {{"p", "-Port=com3"}, true, "com3"},
        {{"p", "/PORT=x"}, true, "x"},
        {{"p", "\\port=COM2"}, true, "COM2"},
        {{"p", "-Port="}, false, ""},           // nothing after the '='
        {{"p", "-Porta=COM2"}, false, ""},      // a longer word
        {{"p", "-Port"}, false, ""},
        {{"p", "Port=COM1"}, false, ""},        // no switch character
        {{"p", "+Port=COM1"}, false, ""},
        {{"p", "-P"}, false, ""},
        {{"p", "-"}, false, ""},
        {{"p", "-Port=COM1", "/Port=COM2"}, true, "COM1"},  // the first wins
        {{"p", "-Port=", "/Port=COM2"}, true, "COM2"},      // a skipped one does not end the search
        {{"p", "-start", "/Port=x=y"}, true, "x=y"},
        {{"Port=COM9"}, false, ""},             // the program itself is not an argument
    };
    for (const auto& c : cases) {
        AnsiString value = "stale";
        std::string line;
        for (const AnsiString& a : c.args) line += std::string(a.c_str()) + " ";
        EXPECT_EQ(GetCmdLineSwitchValue(c.args, "Port", MainSwitchChars, value), c.found) << line;
        EXPECT_STREQ(value.c_str(), c.value) << line;
    }
}

TEST(CommandLine, PortNamesThatMayBecomeKeys)
{
    const struct {
        const char* name;
        bool valid;
    } cases[] = {
        {"COM1", true},
        {"com12", true},
        {"A", true},
        {"ABCDEFGHIJ123456", true},    // 16
        {"ABCDEFGHIJ1234567", false},  // 17
        {"", false},
        {"COM1\\Communication", false},
        {"..\\COM1", false},
        {"COM 1", false},
        {"KeyMap]", false},
        {"COM1=", false},
        {"\\\\.\\COM10", false},
        {"COM\xC4", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsValidPortName(c.name), c.valid) << c.name;
}

// ---------------------------------------------------------------------------------------------------------------
// Start-up: the port's key

class MainWindowSettings : public testing::Test {
protected:
    void TearDown() override
    {
        window_.reset();
        controltest::MouseTo(1000, 750);
    }
    TMainWindow& Window()
    {
        if (!window_) window_ = MakeMainWindow();
        return *window_;
    }
    void Show()
    {
        Window().ActionConfiguration->Execute();
        ASSERT_TRUE(Window().Visible());
    }
    void Restart()
    {
        window_.reset();
        window_ = MakeMainWindow();
    }
    void Reopen()
    {
        Window().SetVisible(false);
        Show();
    }

    SerialCommList ports_;
    CleanSettings clean_;
    MessageBoxes boxes_;
    std::unique_ptr<TMainWindow> window_;
};

TEST_F(MainWindowSettings, StartsAsAnIconWithTheTitleAsItsHint)
{
    std::vector<std::string> tips;
    TZCLTrayIcon::SetNotifyIconHook(TZCLTrayIcon::TNotifyIconHook::From([&](DWORD message, const NOTIFYICONDATAA& d) {
        if (message == NIM_ADD || message == NIM_MODIFY) tips.push_back(d.szTip);
        return TRUE;
    }));
    TMainWindow& w = Window();
    TZCLTrayIcon::SetNotifyIconHook(nullptr);
    EXPECT_TRUE(w.TrayIcon->Active());
    EXPECT_STREQ(w.TrayIcon->Hint().c_str(), MainWindowTitle);
    ASSERT_FALSE(tips.empty());
    EXPECT_EQ(tips.back(), std::string(MainWindowTitle).substr(0, 63)) << "the shell is told the hint";
    EXPECT_EQ(w.TrayIcon->PopupMenu(), w.PopupMenu);
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(Application->ShowMainForm());
}

TEST_F(MainWindowSettings, AWindowWhoseConstructionFailsLeavesNoPointerToItBehind)
{
    TMainWindow& first = Window();
    TMainWindow* const saved = MainWindow;
    MainWindow = nullptr;
    // A second window of the same name under the same owner cannot be made.
    EXPECT_THROW(std::unique_ptr<TMainWindow>(new TMainWindow(Application)), Exception);
    EXPECT_EQ(MainWindow, nullptr) << "the global would point at freed memory, which the program then deletes";
    MainWindow = saved;
    EXPECT_STREQ(first.Name().c_str(), "MainWindow");
}

TEST_F(MainWindowSettings, DefaultPortNamesTheKey)
{
    const struct {
        const char* stored;  // nullptr: none stored
        const char* port;
    } cases[] = {
        {nullptr, "COM1"},
        {"COM7", "COM7"},
        {"com7", "COM7"},
        {"COM1\\Communication", "COM1"},  // never a nested key
        {"ABCDEFGHIJ1234567", "COM1"},
        {"", "COM1"},
    };
    for (const auto& c : cases) {
        DeleteTree(BaseKey());
        if (c.stored) {
            ASSERT_TRUE(WriteRaw(BaseKey() + "\\Default", "Port", c.stored));
        }
        Restart();
        EXPECT_STREQ(Window().PortName().c_str(), c.port) << (c.stored ? c.stored : "(none)");
        EXPECT_STREQ(Window().Settings->RegPath().c_str(), (BaseKey() + "\\" + c.port).c_str());
    }
}

TEST_F(MainWindowSettings, AutostartAndObservePaletteAreReadOnceAtCreation)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    WriteRaw(PortKey("COM7", "Application"), "ObservePalette", "1");
    Show();
    EXPECT_TRUE(Window().BtnObservePalette->Checked());
    EXPECT_FALSE(Window().BtnAutoStart->Checked());
    // Changed behind the window's back: showing it again does not read them.
    WriteRaw(PortKey("COM7", "Application"), "ObservePalette", "0");
    WriteRaw(PortKey("COM7", "Application"), "Autostart", "1");
    Reopen();
    EXPECT_TRUE(Window().BtnObservePalette->Checked());
    EXPECT_FALSE(Window().BtnAutoStart->Checked());
}

// ---------------------------------------------------------------------------------------------------------------
// What the window shows

TEST_F(MainWindowSettings, ShowsEveryStoredValueOfThePort)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    const std::string c = PortKey("COM7", "Communication"), m = PortKey("COM7", "MouseAndKeyboard"),
                      a = PortKey("COM7", "Application");
    WriteRaw(c, "Parameter", "baud=9600 parity=E data=7 stop=2 protocol=N");
    WriteRaw(c, "DelayAfterSend", "350");
    WriteRaw(c, "BeepAfterSend", "1");
    WriteRaw(c, "AsyncMode", "1");
    WriteRaw(c, "AsyncDiff", "4");
    WriteRaw(c, "Priority", "0");
    WriteRaw(m, "KeyboardEnabled", "1");
    WriteRaw(m, "UserDefinedKeyboardMapping", "1");
    WriteRaw(m, "TransferMouseToPc", "0");
    WriteRaw(m, "TransferMouseToTerminal", "0");
    WriteRaw(m, "EnableLetterInput", "0");
    WriteRaw(m, "LetterBrowseTime", "700");
    WriteRaw(m, "LetterBreakTime", "1200");
    WriteRaw(a, "ApplicationName", "C:\\windows\\notepad.exe");
    WriteRaw(a, "Desktop", "1024x768");
    WriteRaw(a, "Mode", "Application");
    Show();
    TMainWindow& w = Window();
    EXPECT_STREQ(w.Port->Text().c_str(), "COM7");
    EXPECT_STREQ(w.BaudRate->Text().c_str(), "9600");
    EXPECT_STREQ(w.Parity->Text().c_str(), "Even");
    EXPECT_STREQ(w.DataBits->Text().c_str(), "7");
    EXPECT_STREQ(w.StopBits->Text().c_str(), "2");
    EXPECT_STREQ(w.Protocol->Text().c_str(), "Hardware");
    EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "350");
    EXPECT_TRUE(w.BeepAfterSend->Checked());
    EXPECT_TRUE(w.CheckBoxAsyncMode->Checked());
    EXPECT_TRUE(w.EditAsyncDiff->Enabled());
    EXPECT_STREQ(w.EditAsyncDiff->Text().c_str(), "4") << "the stored difference wins over the box's default";
    EXPECT_STREQ(w.Priority->Text().c_str(), "Idle");
    EXPECT_TRUE(w.CheckBoxKeyboardEnabled->Checked());
    EXPECT_TRUE(w.CheckBoxUserDefinedKeyboardMapping->Checked());
    EXPECT_FALSE(w.CheckBoxTransferMouseToPc->Checked());
    EXPECT_FALSE(w.CheckBoxTransferMouseToTerminal->Checked());
    EXPECT_FALSE(w.CheckBoxEnableLetterInput->Checked());
    EXPECT_STREQ(w.EditLetterBrowseTime->Text().c_str(), "700");
    EXPECT_STREQ(w.EditLetterBreakTime->Text().c_str(), "1200");
    EXPECT_TRUE(w.BtnDefineKeyboard->Enabled());
    EXPECT_FALSE(w.EditLetterBrowseTime->Enabled());
    EXPECT_STREQ(w.ApplicationName->Text().c_str(), "C:\\windows\\notepad.exe");
    EXPECT_TRUE(w.BtnDesktop1024x768->Checked());
    EXPECT_FALSE(w.BtnDesktop640x480->Checked());
    EXPECT_TRUE(w.BtnApplication->Checked());
    EXPECT_FALSE(w.BtnDesktop->Checked());
}

TEST_F(MainWindowSettings, LineSettingsShownAsTheListsAllow)
{
    const struct {
        const char* parameter;  // nullptr: none stored
        const char* baud;
        const char* parity;
        const char* data;
        const char* stop;
    } cases[] = {
        {"baud=9600 parity=E data=7 stop=2 protocol=H", "9600", "Even", "7", "2"},
        {"baud=300 parity=O data=8 stop=1 protocol=N", "300", "Odd", "8", "1"},
        {"baud=57600 parity=M data=8 stop=1", "57600", "Mark", "8", "1"},
        {"baud=38400 parity=S data=8 stop=1 protocol=S", "38400", "Space", "8", "1"},
        // Texts the lists lack fall back: 1.5 stop bits, a rate not offered, 6 data bits.
        {"baud=19200 parity=N data=8 stop=1.5 protocol=N", "19200", "None", "8", "1"},
        {"baud=110 parity=N data=6 stop=1 protocol=N", "115200", "None", "8", "1"},
        {nullptr, "115200", "None", "8", "1"},
        {"", "115200", "None", "8", "1"},
        {"nonsense", "115200", "None", "8", "1"},
    };
    for (const auto& c : cases) {
        DeleteTree(PortKey("COM1"));
        if (c.parameter) WriteRaw(PortKey("COM1", "Communication"), "Parameter", c.parameter);
        Reopen();
        TMainWindow& w = Window();
        const char* what = c.parameter ? c.parameter : "(none)";
        EXPECT_STREQ(w.BaudRate->Text().c_str(), c.baud) << what;
        EXPECT_STREQ(w.Parity->Text().c_str(), c.parity) << what;
        EXPECT_STREQ(w.DataBits->Text().c_str(), c.data) << what;
        EXPECT_STREQ(w.StopBits->Text().c_str(), c.stop) << what;
        // Software flow control is not offered: "Hardware" is shown (and saved as no flow control).
        EXPECT_STREQ(w.Protocol->Text().c_str(), "Hardware") << what;
        EXPECT_EQ(w.Protocol->Items()->Count(), 1);
    }
}

TEST_F(MainWindowSettings, PriorityOutsideItsListReadsAsHigh)
{
    const struct {
        const char* stored;
        const char* shown;
    } cases[] = {{nullptr, "High"}, {"0", "Idle"}, {"1", "Normal"}, {"2", "High"}, {"3", "Realtime"},
                 {"4", "High"},     {"-1", "High"}, {"7", "High"},   {"x", "High"}, {"", "High"}};
    for (const auto& c : cases) {
        DeleteTree(PortKey("COM1"));
        if (c.stored) WriteRaw(PortKey("COM1", "Communication"), "Priority", c.stored);
        Reopen();
        EXPECT_STREQ(Window().Priority->Text().c_str(), c.shown) << (c.stored ? c.stored : "(none)");
    }
}

TEST_F(MainWindowSettings, DesktopAndModeTextsOutsideTheirSetChangeNothing)
{
    const std::string a = PortKey("COM1", "Application");
    const struct {
        const char* desktop;
        const char* mode;
        TRadioButton* TMainWindow::*size;
        TRadioButton* TMainWindow::*source;
    } steps[] = {
        {nullptr, nullptr, &TMainWindow::BtnDesktop640x480, &TMainWindow::BtnDesktop},
        {"800x600", "Application", &TMainWindow::BtnDesktop800x600, &TMainWindow::BtnApplication},
        // Unknown texts: the buttons stay as the last show left them.
        {"800 x 600", "application", &TMainWindow::BtnDesktop800x600, &TMainWindow::BtnApplication},
        {"1024x768", "Desktop", &TMainWindow::BtnDesktop1024x768, &TMainWindow::BtnDesktop},
        {"", "", &TMainWindow::BtnDesktop1024x768, &TMainWindow::BtnDesktop},
        {"640x480", nullptr, &TMainWindow::BtnDesktop640x480, &TMainWindow::BtnDesktop},
    };
    for (const auto& s : steps) {
        DeleteTree(PortKey("COM1"));
        if (s.desktop) WriteRaw(a, "Desktop", s.desktop);
        if (s.mode) WriteRaw(a, "Mode", s.mode);
        Reopen();
        TMainWindow& w = Window();
        const std::string what = std::string(s.desktop ? s.desktop : "(none)") + " / " + (s.mode ? s.mode : "(none)");
        EXPECT_TRUE((w.*s.size)->Checked()) << what;
        EXPECT_TRUE((w.*s.source)->Checked()) << what;
        int sizes = 0;
        for (TRadioButton* b : {w.BtnDesktop640x480, w.BtnDesktop800x600, w.BtnDesktop1024x768}) sizes += b->Checked();
        EXPECT_EQ(sizes, 1) << what;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Saving

// Every value the window writes for a port, as raw text.
std::map<std::string, std::string> Written(const std::string& port)
{
    std::map<std::string, std::string> all;
    for (const char* section : {"Communication", "MouseAndKeyboard", "Application", "PasswordProtection"})
        for (const auto& [name, value] : ReadAllRaw(PortKey(port, section)))
            all[std::string(section) + "/" + name] = value;
    return all;
}

TEST_F(MainWindowSettings, CloseWindowWritesEveryValueOfTheTable)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    Show();
    TMainWindow& w = Window();
    w.BaudRate->SetItemIndex(w.BaudRate->Items()->IndexOf("9600"));
    w.Parity->SetItemIndex(w.Parity->Items()->IndexOf("Even"));
    w.DataBits->SetItemIndex(w.DataBits->Items()->IndexOf("7"));
    w.StopBits->SetItemIndex(w.StopBits->Items()->IndexOf("2"));
    w.DelayAfterSend->SetText("450");
    w.BeepAfterSend->SetChecked(true);
    w.Priority->SetItemIndex(3);
    w.CheckBoxAsyncMode->SetChecked(true);
    w.EditAsyncDiff->SetText("3");
    w.CheckBoxUserDefinedKeyboardMapping->SetChecked(true);
    w.CheckBoxTransferMouseToPc->SetChecked(false);
    w.EditLetterBrowseTime->SetText("800");
    w.EditLetterBreakTime->SetText("1500");
    w.ApplicationName->SetText("C:\\windows\\notepad.exe");
    w.BtnDesktop800x600->SetChecked(true);
    w.BtnApplication->SetChecked(true);
    w.BtnAutoStart->SetChecked(true);
    // The box is checked once both inputs agree: a change of either unchecks it again.
    w.EditPassword1->SetText("Secret");
    w.EditPassword2->SetText("Secret");
    w.CheckBoxEnablePassword->SetChecked(true);
    w.ActionHideWindow->Execute();
    EXPECT_FALSE(w.Visible());
    EXPECT_TRUE(boxes_.Texts().empty()) << boxes_.Texts().front();

    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM7");
    const std::map<std::string, std::string> expected = {
        {"Communication/Port", "COM7"},
        {"Communication/Parameter", "baud=9600 parity=E data=7 stop=2 protocol=N"},
        {"Communication/DelayAfterSend", "450"},
        {"Communication/BeepAfterSend", "1"},
        {"Communication/Priority", "3"},
        {"Communication/AsyncMode", "1"},
        {"Communication/AsyncDiff", "3"},
        {"MouseAndKeyboard/KeyboardEnabled", "1"},
        {"MouseAndKeyboard/UserDefinedKeyboardMapping", "1"},
        {"MouseAndKeyboard/TransferMouseToPc", "0"},
        {"MouseAndKeyboard/TransferMouseToTerminal", "1"},
        {"MouseAndKeyboard/EnableLetterInput", "1"},
        {"MouseAndKeyboard/LetterBrowseTime", "800"},
        {"MouseAndKeyboard/LetterBreakTime", "1500"},
        {"Application/ApplicationName", "C:\\windows\\notepad.exe"},
        {"Application/Desktop", "800x600"},
        {"Application/Mode", "Application"},
        {"Application/Autostart", "1"},
        {"Application/ObservePalette", "0"},
        {"PasswordProtection/EnablePassword", "1"},
        {"PasswordProtection/Password", "Secret"},
    };
    EXPECT_EQ(Written("COM7"), expected);

    // The text the link reads back opens the line as shown.
    DCB dcb{};
    ASSERT_TRUE(ParseCommParameter(expected.at("Communication/Parameter").c_str(), dcb));
    EXPECT_EQ(dcb.BaudRate, 9600u);
    EXPECT_EQ(dcb.Parity, EVENPARITY);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.StopBits, TWOSTOPBITS);

    // A restart shows them again.
    Restart();
    Show();
    EXPECT_STREQ(Window().BaudRate->Text().c_str(), "9600");
    EXPECT_STREQ(Window().DelayAfterSend->Text().c_str(), "450");
    EXPECT_STREQ(Window().Priority->Text().c_str(), "Realtime");
    EXPECT_TRUE(Window().BtnAutoStart->Checked());
    EXPECT_TRUE(Window().BtnDesktop800x600->Checked());
}

TEST_F(MainWindowSettings, PasswordNotInUseIsNotKept)
{
    Show();
    TMainWindow& w = Window();
    w.EditPassword1->SetText("Secret");
    w.EditPassword2->SetText("Secret");
    w.CheckBoxEnablePassword->SetChecked(false);
    w.ActionHideWindow->Execute();
    EXPECT_EQ(ReadRaw(PortKey("COM1", "PasswordProtection"), "EnablePassword"), "0");
    EXPECT_EQ(ReadRaw(PortKey("COM1", "PasswordProtection"), "Password"), "");
}

TEST_F(MainWindowSettings, SavingWithNoPortChosenKeepsTheCurrentPort)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    Show();
    Window().Port->SetItemIndex(-1);
    Window().BeepAfterSend->SetChecked(true);
    Window().ActionHideWindow->Execute();
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM7");
    EXPECT_EQ(ReadRaw(PortKey("COM7", "Communication"), "BeepAfterSend"), "1");
    EXPECT_EQ(ReadRaw(PortKey("COM7", "Communication"), "Port"), "COM7");
    // Nothing lands directly under the base key.
    EXPECT_FALSE(KeyExists(BaseKey() + "\\Communication"));
}

TEST_F(MainWindowSettings, NumbersOutsideTheirLimitsStopTheSaveBeforeAnyWrite)
{
    const struct {
        TZCLExtSpinEdit* TMainWindow::*edit;
        const char* text;
        bool accepted;
    } cases[] = {
        {&TMainWindow::DelayAfterSend, "50", true},
        {&TMainWindow::DelayAfterSend, "86400000", true},
        {&TMainWindow::DelayAfterSend, "49", false},
        {&TMainWindow::DelayAfterSend, "86400001", false},
        {&TMainWindow::DelayAfterSend, "abc", false},
        {&TMainWindow::DelayAfterSend, "", false},
        {&TMainWindow::DelayAfterSend, "-200", false},
        {&TMainWindow::DelayAfterSend, "$FF", false},
        {&TMainWindow::DelayAfterSend, "99999999999999999999", false},
        {&TMainWindow::EditAsyncDiff, "5", true},
        {&TMainWindow::EditAsyncDiff, "6", false},
        {&TMainWindow::EditLetterBrowseTime, "100", true},
        {&TMainWindow::EditLetterBrowseTime, "99", false},
        {&TMainWindow::EditLetterBreakTime, "5000", true},
        {&TMainWindow::EditLetterBreakTime, "5001", false},
    };
    for (const auto& c : cases) {
        DeleteTree(BaseKey());
        boxes_.Clear();
        Reopen();
        TMainWindow& w = Window();
        (w.*c.edit)->SetText(c.text);
        w.ActionHideWindow->Execute();
        const std::string what = std::string((w.*c.edit)->Name().c_str()) + " = \"" + c.text + "\"";
        EXPECT_EQ(!w.Visible(), c.accepted) << what;
        EXPECT_EQ(KeyExists(BaseKey()), c.accepted) << what << ": nothing written when refused";
        if (c.accepted) {
            EXPECT_TRUE(boxes_.Boxes().empty()) << what;
            EXPECT_EQ(ReadRaw(PortKey("COM1", "Communication"), "DelayAfterSend"),
                      std::string(w.DelayAfterSend->Text().c_str()));
        } else {
            ASSERT_EQ(boxes_.Boxes().size(), 1u) << what;
            EXPECT_NE(boxes_.Boxes()[0].flags & MB_ICONERROR, 0u);
        }
    }
}

TEST_F(MainWindowSettings, AFailedWriteIsShownAndTheWindowStaysOpen)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    // A volatile port key refuses the lasting section keys below it.
    ASSERT_TRUE(WriteRaw(PortKey("COM7"), "Marker", "1", REG_OPTION_VOLATILE));
    ASSERT_TRUE(WriteRaw(BaseKey() + "\\Default", "Port", "COM7"));
    Show();
    Window().BeepAfterSend->SetChecked(true);
    Window().ActionHideWindow->Execute();
    EXPECT_TRUE(Window().Visible());
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text.rfind("The settings could not be saved:", 0), 0u) << boxes_.Boxes()[0].text;
    EXPECT_NE(boxes_.Boxes()[0].flags & MB_ICONERROR, 0u);
    EXPECT_FALSE(KeyExists(PortKey("COM7", "Communication")));
    EXPECT_STREQ(Window().Settings->RegPath().c_str(), PortKey("COM7").c_str());
}

// ---------------------------------------------------------------------------------------------------------------
// Rules of the controls

TEST_F(MainWindowSettings, KeyboardBoxesEnableWhatDependsOnThem)
{
    Show();
    TMainWindow& w = Window();
    const struct {
        bool keyboard, mapping, letters;
        bool mappingEnabled, lettersEnabled, defineEnabled, timesEnabled;
    } cases[] = {
        {true, true, true, true, true, true, true},     {true, false, true, true, true, false, true},
        {true, true, false, true, true, true, false},   {true, false, false, true, true, false, false},
        {false, true, true, false, false, false, false}, {false, false, false, false, false, false, false},
    };
    for (const auto& c : cases) {
        // Through the boxes, as clicks do: each change runs its own rule.
        w.CheckBoxUserDefinedKeyboardMapping->SetChecked(c.mapping);
        w.CheckBoxEnableLetterInput->SetChecked(c.letters);
        w.CheckBoxKeyboardEnabled->SetChecked(!c.keyboard);
        w.CheckBoxKeyboardEnabled->SetChecked(c.keyboard);
        const std::string what = std::to_string(c.keyboard) + std::to_string(c.mapping) + std::to_string(c.letters);
        EXPECT_EQ(w.CheckBoxUserDefinedKeyboardMapping->Enabled(), c.mappingEnabled) << what;
        EXPECT_EQ(w.CheckBoxEnableLetterInput->Enabled(), c.lettersEnabled) << what;
        EXPECT_EQ(w.BtnDefineKeyboard->Enabled(), c.defineEnabled) << what;
        EXPECT_EQ(w.EditLetterBrowseTime->Enabled(), c.timesEnabled) << what;
        EXPECT_EQ(w.EditLetterBreakTime->Enabled(), c.timesEnabled) << what;
    }
}

TEST_F(MainWindowSettings, AsyncModeEnablesTheDifference)
{
    Show();
    TMainWindow& w = Window();
    EXPECT_FALSE(w.EditAsyncDiff->Enabled());
    w.CheckBoxAsyncMode->SetChecked(true);
    EXPECT_TRUE(w.EditAsyncDiff->Enabled());
    EXPECT_STREQ(w.EditAsyncDiff->Text().c_str(), "1");
    w.CheckBoxAsyncMode->SetChecked(false);
    EXPECT_FALSE(w.EditAsyncDiff->Enabled());
    EXPECT_STREQ(w.EditAsyncDiff->Text().c_str(), "0");
}

TEST_F(MainWindowSettings, DefaultButtonsSetTheDefaultsAndWriteNothing)
{
    SerialCommList& list = ports_;
    list.Add("\\Device\\Serial0", "COM1");
    list.Add("\\Device\\Serial1", "COM2");
    WriteRaw(BaseKey() + "\\Default", "Port", "COM2");
    CleanSettings::SeedPort("COM2", "baud=9600 parity=E data=7 stop=2 protocol=N");
    WriteRaw(PortKey("COM2", "Communication"), "DelayAfterSend", "900");
    WriteRaw(PortKey("COM2", "Communication"), "BeepAfterSend", "1");
    WriteRaw(PortKey("COM2", "Communication"), "AsyncMode", "1");
    WriteRaw(PortKey("COM2", "Communication"), "Priority", "0");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "KeyboardEnabled", "0");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "UserDefinedKeyboardMapping", "1");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "EnableLetterInput", "0");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "LetterBrowseTime", "3000");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "LetterBreakTime", "4000");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "TransferMouseToPc", "0");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "TransferMouseToTerminal", "0");
    Show();
    TMainWindow& w = Window();
    const auto before = Written("COM2");

    w.BtnCommDefault->Click();
    EXPECT_STREQ(w.Port->Text().c_str(), "COM1");
    EXPECT_STREQ(w.BaudRate->Text().c_str(), "115200");
    EXPECT_STREQ(w.Parity->Text().c_str(), "None");
    EXPECT_STREQ(w.DataBits->Text().c_str(), "8");
    EXPECT_STREQ(w.StopBits->Text().c_str(), "1");
    EXPECT_STREQ(w.Protocol->Text().c_str(), "Hardware");
    EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "200");
    EXPECT_FALSE(w.BeepAfterSend->Checked());
    EXPECT_STREQ(w.Priority->Text().c_str(), "High");
    EXPECT_FALSE(w.CheckBoxAsyncMode->Checked());
    EXPECT_FALSE(w.EditAsyncDiff->Enabled());

    w.BtnMouseAndKeyboardDefault->Click();
    EXPECT_TRUE(w.CheckBoxKeyboardEnabled->Checked());
    EXPECT_FALSE(w.CheckBoxUserDefinedKeyboardMapping->Checked());
    EXPECT_TRUE(w.CheckBoxUserDefinedKeyboardMapping->Enabled());
    EXPECT_FALSE(w.BtnDefineKeyboard->Enabled());
    EXPECT_TRUE(w.CheckBoxEnableLetterInput->Checked());
    EXPECT_TRUE(w.EditLetterBrowseTime->Enabled());
    EXPECT_STREQ(w.EditLetterBrowseTime->Text().c_str(), "600");
    EXPECT_STREQ(w.EditLetterBreakTime->Text().c_str(), "1000");
    EXPECT_TRUE(w.CheckBoxTransferMouseToPc->Checked());
    EXPECT_TRUE(w.CheckBoxTransferMouseToTerminal->Checked());

    EXPECT_EQ(Written("COM2"), before);
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM2");
}

TEST_F(MainWindowSettings, CommunicationDefaultForAnotherPortShowsAndSavesThatPortOnly)
{
    ports_.Add("\\Device\\Serial0", "COM1");
    ports_.Add("\\Device\\Serial1", "COM2");
    WriteRaw(BaseKey() + "\\Default", "Port", "COM2");
    CleanSettings::SeedPort("COM2", "baud=9600 parity=E data=7 stop=2 protocol=N");
    WriteRaw(PortKey("COM2", "Communication"), "DelayAfterSend", "900");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "LetterBrowseTime", "3000");
    WriteRaw(PortKey("COM2", "MouseAndKeyboard"), "TransferMouseToPc", "0");
    WriteRaw(PortKey("COM2", "Application"), "ApplicationName", "c:\\two.exe");
    CleanSettings::SeedPort("COM1", "baud=4800 parity=O data=7 stop=1 protocol=N");
    WriteRaw(PortKey("COM1", "MouseAndKeyboard"), "LetterBrowseTime", "700");
    WriteRaw(PortKey("COM1", "Application"), "ApplicationName", "c:\\one.exe");
    Show();
    TMainWindow& w = Window();
    const auto com2 = Written("COM2");

    w.BtnCommDefault->Click();
    EXPECT_EQ(w.PortName(), "COM1");
    EXPECT_STREQ(w.Settings->RegPath().c_str(), PortKey("COM1").c_str());
    // COM1's own values, with the line defaults over them.
    EXPECT_STREQ(w.EditLetterBrowseTime->Text().c_str(), "700");
    EXPECT_TRUE(w.CheckBoxTransferMouseToPc->Checked());
    EXPECT_STREQ(w.ApplicationName->GetFileName().c_str(), "c:\\one.exe");
    EXPECT_STREQ(w.BaudRate->Text().c_str(), "115200");
    EXPECT_STREQ(w.Parity->Text().c_str(), "None");
    EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "200");
    EXPECT_EQ(Written("COM2"), com2) << "nothing written before Close Window";

    w.ActionHideWindow->Execute();
    ASSERT_FALSE(w.Visible());
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM1");
    EXPECT_EQ(Written("COM2"), com2) << "the other port's key is left alone";
    EXPECT_EQ(ReadRaw(PortKey("COM1", "MouseAndKeyboard"), "LetterBrowseTime"), "700");
    EXPECT_EQ(ReadRaw(PortKey("COM1", "MouseAndKeyboard"), "TransferMouseToPc"), "1");
    EXPECT_EQ(ReadRaw(PortKey("COM1", "Application"), "ApplicationName"), "c:\\one.exe");
    EXPECT_EQ(ReadRaw(PortKey("COM1", "Communication"), "DelayAfterSend"), "200");
    DCB dcb{};
    ASSERT_TRUE(ParseCommParameter(ReadRaw(PortKey("COM1", "Communication"), "Parameter").c_str(), dcb));
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.Parity, NOPARITY);
    EXPECT_EQ(dcb.ByteSize, 8);

    // On the port shown already it only sets the defaults, keeping the other edits.
    Show();
    w.EditLetterBrowseTime->SetText("800");
    w.BtnCommDefault->Click();
    EXPECT_EQ(w.PortName(), "COM1");
    EXPECT_STREQ(w.EditLetterBrowseTime->Text().c_str(), "800");
}

TEST_F(MainWindowSettings, LetterTimesSavedBelowTheFormsMinimumAreAcceptedAgainAfterARestart)
{
    const struct {
        const char* delay;
        const char* browse;
        const char* pause;
    } cases[] = {
        {"50", "50", "50"},
        {"50", "50", "60"},
        {"80", "90", "99"},
        {"200", "100", "100"},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.delay) + " " + c.browse + " " + c.pause;
        DeleteTree(BaseKey());
        boxes_.Clear();
        Restart();
        Show();
        TMainWindow& w = Window();
        w.DelayAfterSend->SetText(c.delay);
        // A page change lets the letter times go down to the delay.
        w.MainPageControlChange(w.MainPageControl);
        w.EditLetterBrowseTime->SetText(c.browse);
        w.MainPageControlChange(w.MainPageControl);
        w.EditLetterBreakTime->SetText(c.pause);
        w.ActionHideWindow->Execute();
        ASSERT_FALSE(w.Visible()) << what << ": " << (boxes_.Texts().empty() ? "" : boxes_.Texts()[0]);
        ASSERT_EQ(ReadRaw(PortKey("COM1", "MouseAndKeyboard"), "LetterBrowseTime"), c.browse) << what;

        // What the driver saved itself is saved again as it is, before and after a page change.
        for (bool pageChange : {false, true}) {
            Restart();
            Show();
            TMainWindow& again = Window();
            EXPECT_STREQ(again.EditLetterBrowseTime->Text().c_str(), c.browse) << what;
            EXPECT_STREQ(again.EditLetterBreakTime->Text().c_str(), c.pause) << what;
            EXPECT_EQ(again.SpinLimits(again.EditLetterBrowseTime).Min, again.EditLetterBrowseTime->MinValue());
            EXPECT_EQ(again.SpinLimits(again.EditLetterBreakTime).Min, again.EditLetterBreakTime->MinValue());
            if (pageChange) again.MainPageControlChange(again.MainPageControl);
            again.ActionHideWindow->Execute();
            EXPECT_FALSE(again.Visible()) << what << (pageChange ? " after a page change" : "");
            EXPECT_TRUE(boxes_.Texts().empty()) << what << ": " << (boxes_.Texts().empty() ? "" : boxes_.Texts()[0]);
            boxes_.Clear();
            EXPECT_EQ(ReadRaw(PortKey("COM1", "MouseAndKeyboard"), "LetterBrowseTime"), c.browse) << what;
            EXPECT_EQ(ReadRaw(PortKey("COM1", "MouseAndKeyboard"), "LetterBreakTime"), c.pause) << what;
        }
    }
    // Below what a page change allows stays refused.
    Restart();
    Show();
    Window().EditLetterBrowseTime->SetText("99");
    Window().ActionHideWindow->Execute();
    EXPECT_TRUE(Window().Visible());
    EXPECT_EQ(boxes_.Boxes().size(), 1u);
}

TEST_F(MainWindowSettings, AltF4OnTheShownWindowDoesWhatCloseWindowDoes)
{
    Show();
    TMainWindow& w = Window();
    w.BeepAfterSend->SetChecked(true);
    controltest::Activate(&w);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == w.Handle(); }, 10000));
    controltest::Key(VK_F4, {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return !w.Visible(); }, 10000)) << "the window is hidden";
    EXPECT_EQ(ReadRaw(PortKey("COM1", "Communication"), "BeepAfterSend"), "1") << "the edits are saved";
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM1");

    // Refused edits keep the window open, as with the tool-bar button.
    Show();
    w.DelayAfterSend->SetText("abc");
    controltest::Activate(&w);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == w.Handle(); }, 10000));
    boxes_.Clear();
    controltest::Key(VK_F4, {VK_MENU});
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.Boxes().empty(); }, 10000));
    EXPECT_TRUE(w.Visible());
}

TEST_F(MainWindowSettings, PageChangeCouplesTheLetterTimesWithoutChangingThem)
{
    Show();
    TMainWindow& w = Window();
    const struct {
        const char* delay;
        const char* browse;
        const char* pause;
        double browseMin, breakMin, step;
    } cases[] = {
        {"250", "600", "1000", 250, 600, 250},
        {"abc", "600", "1000", 200, 600, 200},      // a delay that is no number counts as 200
        {"800", "600", "1000", 600, 600, 800},      // never above the value shown
        {"86400000", "600", "1000", 600, 600, 86400000},
        {"86400000", "5000", "5000", 5000, 5000, 86400000},  // never above the maximum
        {"300", "900", "700", 300, 700, 300},       // the break's minimum stays at or below its own value
    };
    for (const auto& c : cases) {
        w.DelayAfterSend->SetText(c.delay);
        w.EditLetterBrowseTime->SetText(c.browse);
        w.EditLetterBreakTime->SetText(c.pause);
        w.MainPageControlChange(w.MainPageControl);
        const TSpinEditLimits browse = w.SpinLimits(w.EditLetterBrowseTime);
        const TSpinEditLimits pause = w.SpinLimits(w.EditLetterBreakTime);
        const std::string what = std::string(c.delay) + " " + c.browse + " " + c.pause;
        EXPECT_EQ(browse.Min, c.browseMin) << what;
        EXPECT_EQ(pause.Min, c.breakMin) << what;
        EXPECT_LE(browse.Min, browse.Max) << what;
        EXPECT_LE(pause.Min, pause.Max) << what;
        EXPECT_EQ(browse.Step, c.step) << what;
        EXPECT_EQ(browse.LargeStep, c.step) << what;
        EXPECT_EQ(pause.Step, c.step) << what;
        EXPECT_STREQ(w.EditLetterBrowseTime->Text().c_str(), c.browse) << what;
        EXPECT_STREQ(w.EditLetterBreakTime->Text().c_str(), c.pause) << what;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// The port list

std::vector<std::string> Items(TCustomComboBox* box)
{
    std::vector<std::string> items;
    for (int i = 0; i < box->Items()->Count(); ++i) items.push_back(box->Items()->Strings(i).c_str());
    return items;
}

TEST_F(MainWindowSettings, PortListFromTheSystemsList)
{
    ports_.Add("\\Device\\Serial0", "COM3");
    ports_.Add("\\Device\\Serial1", "COM1");
    ports_.Add("\\Device\\Weird", "COM1\\X");  // cannot be a key
    ports_.Add("\\Device\\Serial2", "COM12");
    WriteRaw(BaseKey() + "\\Default", "Port", "COM12");
    Show();
    std::vector<std::string> items = Items(Window().Port);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, (std::vector<std::string>{"COM1", "COM12", "COM3"}));
    EXPECT_STREQ(Window().Port->Text().c_str(), "COM12");
}

TEST_F(MainWindowSettings, PortMissingFromTheListIsAddedAndSelected)
{
    ports_.Add("\\Device\\Serial0", "COM1");
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    WriteRaw(PortKey("COM7", "Communication"), "DelayAfterSend", "777");
    Show();
    EXPECT_EQ(Items(Window().Port), (std::vector<std::string>{"COM1", "COM7"}));
    EXPECT_STREQ(Window().Port->Text().c_str(), "COM7");
    EXPECT_STREQ(Window().DelayAfterSend->Text().c_str(), "777");
    // So saving stays with COM7's key and leaves COM1's alone.
    Window().ActionHideWindow->Execute();
    EXPECT_EQ(ReadRaw(BaseKey() + "\\Default", "Port"), "COM7");
    EXPECT_EQ(ReadRaw(PortKey("COM7", "Communication"), "DelayAfterSend"), "777");
    EXPECT_FALSE(KeyExists(PortKey("COM1")));
}

TEST_F(MainWindowSettings, PortListByProbingWhenTheSystemListsNone)
{
    WriteRaw(BaseKey() + "\\Default", "Port", "COM7");
    Show();
    std::vector<std::string> expected;
    for (BYTE n = 1; n <= 4; ++n)
        if (PortExists(n)) expected.push_back("COM" + std::to_string(n));
    expected.push_back("COM7");
    EXPECT_EQ(Items(Window().Port), expected);
    EXPECT_STREQ(Window().Port->Text().c_str(), "COM7");
}

TEST_F(MainWindowSettings, ChangingThePortDropsTheEditsOfTheOther)
{
    ports_.Add("\\Device\\Serial0", "COM1");
    ports_.Add("\\Device\\Serial1", "COM2");
    WriteRaw(PortKey("COM2", "Communication"), "DelayAfterSend", "650");
    Show();
    TMainWindow& w = Window();
    w.DelayAfterSend->SetText("999");
    w.BeepAfterSend->SetChecked(true);

    // The user picks COM2 with the keyboard in the open list.
    controltest::Activate(&w);
    w.Port->SetFocus();
    controltest::Key(VK_DOWN);
    ASSERT_TRUE(PumpUntil([&] { return w.PortName() == "COM2"; }));
    EXPECT_STREQ(w.Settings->RegPath().c_str(), PortKey("COM2").c_str());
    EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "650");
    EXPECT_FALSE(w.BeepAfterSend->Checked());

    controltest::Key(VK_UP);
    ASSERT_TRUE(PumpUntil([&] { return w.PortName() == "COM1"; }));
    EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "200") << "COM1's edits were not kept";
    EXPECT_FALSE(w.BeepAfterSend->Checked());
    EXPECT_FALSE(KeyExists(PortKey("COM1"))) << "nothing saved by switching";
}

TEST_F(MainWindowSettings, OnlyThePortListReloadsTheWindow)
{
    ports_.Add("\\Device\\Serial0", "COM1");
    ports_.Add("\\Device\\Serial1", "COM2");
    Show();
    TMainWindow& w = Window();
    controltest::Activate(&w);
    TZCLComboBox* const lines[] = {w.BaudRate, w.Parity, w.DataBits, w.StopBits, w.Priority};
    for (TZCLComboBox* box : lines) {
        SCOPED_TRACE(box->Name().c_str());
        w.DelayAfterSend->SetText("999");
        w.BeepAfterSend->SetChecked(true);
        box->SetItemIndex(0);
        box->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == box->Handle() || IsChild(box->Handle(), GetFocus()); }));
        const AnsiString before = box->Text();
        controltest::Key(VK_DOWN);
        ASSERT_TRUE(PumpUntil([&] { return box->ItemIndex() == 1; })) << "the user's choice";
        EXPECT_NE(box->Text(), before);
        EXPECT_STREQ(w.DelayAfterSend->Text().c_str(), "999") << "the window was not reloaded";
        EXPECT_TRUE(w.BeepAfterSend->Checked());
        EXPECT_EQ(w.PortName(), "COM1");
    }
    EXPECT_FALSE(KeyExists(PortKey("COM1"))) << "nothing saved by a choice";
}

TEST_F(MainWindowSettings, NumberKeysStepWithinTheLimits)
{
    Show();
    TMainWindow& w = Window();
    w.CheckBoxAsyncMode->SetChecked(true);
    w.CheckBoxAsyncModeClick(w.CheckBoxAsyncMode);
    controltest::Activate(&w);
    const struct {
        TZCLExtSpinEdit* TMainWindow::*edit;
        const char* text;
        WORD key;
        const char* expected;
    } cases[] = {
        {&TMainWindow::DelayAfterSend, "200", VK_UP, "250"},
        {&TMainWindow::DelayAfterSend, "200", VK_DOWN, "150"},
        {&TMainWindow::DelayAfterSend, "60", VK_DOWN, "50"},          // not below the minimum
        {&TMainWindow::DelayAfterSend, "86399990", VK_UP, "86400000"},  // nor above the maximum
        {&TMainWindow::EditAsyncDiff, "5", VK_UP, "5"},
        {&TMainWindow::EditAsyncDiff, "1", VK_DOWN, "1"},
        {&TMainWindow::EditAsyncDiff, "2", VK_UP, "3"},
    };
    for (const auto& c : cases) {
        TZCLExtSpinEdit* edit = w.*c.edit;
        const std::string what = std::string(edit->Name().c_str()) + " " + c.text;
        edit->SetText(c.text);
        edit->SetFocus();
        ASSERT_TRUE(PumpUntil([&] { return GetFocus() == edit->Handle(); })) << what;
        controltest::Key(c.key);
        EXPECT_TRUE(PumpUntil([&] { return edit->Text() == c.expected; })) << what << ": " << edit->Text().c_str();
    }
}

}  // namespace
