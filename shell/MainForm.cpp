// The main window's behaviour: start-up and the port's settings, saving them, the configuration pages' controls
// and the password. Its components are defined in MainFormDefinition.cpp, the transfer control in
// MainFormTransfer.cpp.

#include "shell/MainForm.h"

#include <algorithm>
#include <cctype>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Registry.h"
#include "link/LineSettings.h"
#include "link/SerialIO.h"
#include "mirror/BitmapCapture.h"
#include "shell/LayoutK5.h"
#include "shell/MainFormPrivate.h"
#include "shell/SelectApplication.h"
#include "shell/ShellPlace.h"

const char* const MainSettingsKey = "Software\\KARVON Vandrel GmbH\\KARVON Windows Terminal Device Driver";
const char* const MainWindowTitle = "DravikREMOTE - Windows Terminal Device Driver";
const TSysCharSet MainSwitchChars{'-', '/', '\\'};

TMainWindow* MainWindow = nullptr;

// ---------------------------------------------------------------------------------------------------------------
// Free helpers

bool GetCmdLineSwitchValue(const std::vector<AnsiString>& args, const AnsiString& name, const TSysCharSet& chars,
                           AnsiString& result)
{
    result = AnsiString();
    const int n = name.Length();
    for (std::size_t i = 1; i < args.size(); ++i) {
        const AnsiString& arg = args[i];
        if (arg.Length() < 2 || !chars.Contains(arg[1])) continue;
        if (AnsiStrLIComp(arg.c_str() + 1, name.c_str(), unsigned(n)) != 0) continue;
        // Something must follow the '=': "-Port=" and longer words such as "-Porta=x" do not count.
        if (arg.Length() <= n + 2 || arg[n + 2] != '=') continue;
        result = arg.SubString(n + 3, arg.Length() - n - 2);
        return true;
    }
    return false;
}

bool GetCmdLineSwitchValue(const AnsiString& name, const TSysCharSet& chars, AnsiString& result)
{
    return GetCmdLineSwitchValue(SplitCommandLine(GetCommandLineA()), name, chars, result);
}

void SelectComboItem(TCustomComboBox* combo, const AnsiString& text)
{
    const int index = combo->Items()->IndexOf(text);
    combo->SetItemIndex(index >= 0 ? index : 0);
}

bool IsValidPortName(const AnsiString& name)
{
    if (name.Length() < 1 || name.Length() > 16) return false;
    return std::all_of(name.str().begin(), name.str().end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

AnsiString TMainWindow::PortKey(const AnsiString& port) { return AnsiString(MainSettingsKey) + "\\" + port; }

namespace {

const char* const BaudRates[] = {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const char* const Parities[] = {"Even", "Odd", "Mark", "Space", "None"};
const char* const DataBitTexts[] = {"7", "8"};
const char* const StopBitTexts[] = {"1", "2"};
const char* const Priorities[] = {"Idle", "Normal", "High", "Realtime"};

template <std::size_t N>
void FillCombo(TCustomComboBox* combo, const char* const (&texts)[N])
{
    combo->Items()->Clear();
    for (const char* t : texts) combo->Items()->Add(t);
}

AnsiString BoolText(bool value) { return value ? "1" : "0"; }

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Construction

TMainWindow::TMainWindow(TComponent* owner) : TForm(owner), FLock(std::make_unique<TMultiReadExclusiveWriteSynchronizer>())
{
    if (!MainWindow) MainWindow = this;
    try {
        BuildForm();
    } catch (...) {
        // The object is freed as the exception leaves: the global must not keep pointing at it.
        if (MainWindow == this) MainWindow = nullptr;
        throw;
    }
    KvSerialIO::SetSettings(Settings);
    SetCaptureMessageSink([this](int kind, const AnsiString& text) { ShowThreadMessage(kind, text); });
}

TMainWindow::~TMainWindow()
{
    StopTransfer(true);
    SetCaptureMessageSink(nullptr);
    if (KvSerialIO::Settings() == Settings) KvSerialIO::SetSettings(nullptr);
    if (MainWindow == this) MainWindow = nullptr;
}


// ---------------------------------------------------------------------------------------------------------------
// Spin-edit limits

void TMainWindow::ApplySpinLimits(TZCLExtSpinEdit* edit, const TSpinEditLimits& limits)
{
    for (SpinEdit& s : spinEdits_)
        if (s.edit == edit) s.limits = limits;
    // New limits never rewrite the text shown: it is the setting until the user changes it.
    const AnsiString text = edit->Text();
    if (limits.Min > edit->MaxValue()) {
        edit->SetMaxValue(limits.Max);
        edit->SetMinValue(limits.Min);
    } else {
        edit->SetMinValue(limits.Min);
        edit->SetMaxValue(limits.Max);
    }
    edit->SetStep(limits.Step);
    if (limits.LargeStep != 0) edit->SetLargeStep(limits.LargeStep);
    if (edit->Text() != text) edit->SetText(text);
}

TSpinEditLimits TMainWindow::SpinLimits(const TZCLExtSpinEdit* edit) const
{
    for (const SpinEdit& s : spinEdits_)
        if (s.edit == edit) return s.limits;
    return TSpinEditLimits{0, 0, 0, 0, 0};
}

// ---------------------------------------------------------------------------------------------------------------
// Start-up

void TMainWindow::SetSettingsPort(const AnsiString& port) { Settings->SetRegPath(PortKey(port)); }

void TMainWindow::FormCreate(TObject*)
{
    SetTrayHint(Application->Title());

    AnsiString port;
    GetCmdLineSwitchValue("Port", MainSwitchChars, port);
    port = port.UpperCase();
    if (!IsValidPortName(port)) {
        Settings->SetRegPath(MainSettingsKey);
        port = Settings->ReadString("Default", "Port", "COM1").UpperCase();
        if (!IsValidPortName(port)) port = "COM1";
    }
    FPortName = port;
    SetSettingsPort(FPortName);

    // The password is kept with the port. Checking the box runs its rule, so a stored password that is empty
    // turns the protection off (with the message) rather than locking the menu for good.
    EditPassword1->SetText(Settings->ReadString("PasswordProtection", "Password", ""));
    EditPassword2->SetText(EditPassword1->Text());
    CheckBoxEnablePassword->SetChecked(Settings->ReadBool("PasswordProtection", "EnablePassword", false));
    if (CheckBoxEnablePassword->Checked()) {
        ActionPassword->SetEnabled(true);
        FAccessGranted = false;
    } else {
        EditPassword1->SetText("");
        EditPassword2->SetText("");
        ActionPassword->SetEnabled(false);
        FAccessGranted = true;
    }

    BtnAutoStart->SetChecked(Settings->ReadBool("Application", "Autostart", false));
    BtnObservePalette->SetChecked(Settings->ReadBool("Application", "ObservePalette", false));

    if (BtnAutoStart->Checked() || FindCmdLineSwitch("start", MainSwitchChars, true)) ActionStart->Execute();
}

void TMainWindow::FillPortList()
{
    TStringList lines;
    Hardware->ReadSectionValues("SerialComm", &lines);
    Port->Items()->Clear();
    for (int i = 0; i < lines.Count(); ++i) {
        const AnsiString line = lines.Strings(i);
        const int eq = line.Pos("=");
        const AnsiString name = line.SubString(eq + 1, line.Length() - eq);
        // Only names that can be a key of their own.
        if (IsValidPortName(name) && Port->Items()->IndexOf(name) < 0) Port->Items()->Add(name);
    }
    if (Port->Items()->Count() == 0)
        for (BYTE n = 1; n <= 4; ++n)
            if (PortExists(n)) Port->Items()->Add("COM" + IntToStr(int(n)));
    // The port the settings belong to is always offered, so they are saved under its own key.
    if (!FPortName.IsEmpty() && Port->Items()->IndexOf(FPortName) < 0) Port->Items()->Add(FPortName);
    Port->SetItemIndex(Port->Items()->IndexOf(FPortName));
}

void TMainWindow::LoadLineSettings()
{
    FillCombo(BaudRate, BaudRates);
    FillCombo(Parity, Parities);
    FillCombo(DataBits, DataBitTexts);
    FillCombo(StopBits, StopBitTexts);
    Protocol->Items()->Clear();
    Protocol->Items()->Add("Hardware");

    const AnsiString text = Settings->ReadString("Communication", "Parameter", "");
    DCB dcb{};
    if (ParseCommParameter(text.c_str(), dcb)) {
        auto select = [](TZCLComboBox* box, const AnsiString& value, const char* fallback) {
            if (box->Items()->IndexOf(value) >= 0)
                box->SetItemIndex(box->Items()->IndexOf(value));
            else
                SelectComboItem(box, fallback);
        };
        static const char* const parityNames[] = {"None", "Odd", "Even", "Mark", "Space"};
        static const char* const stopNames[] = {"1", "1.5", "2"};
        select(BaudRate, IntToStr(int(dcb.BaudRate)), "115200");
        select(Parity, dcb.Parity <= 4 ? parityNames[dcb.Parity] : "???", "None");
        select(DataBits, IntToStr(int(dcb.ByteSize)), "8");
        select(StopBits, dcb.StopBits <= 2 ? stopNames[dcb.StopBits] : "???", "1");
        select(Protocol, dcb.fOutX || dcb.fInX ? "Software" : "Hardware", "Hardware");
    } else {
        SelectCommunicationDefaults();
    }
}

void TMainWindow::SelectCommunicationDefaults()
{
    SelectComboItem(BaudRate, "115200");
    SelectComboItem(Parity, "None");
    SelectComboItem(DataBits, "8");
    SelectComboItem(StopBits, "1");
    SelectComboItem(Protocol, "Hardware");
    DelayAfterSend->SetText("200");
    BeepAfterSend->SetChecked(false);
    if (Priority->Items()->Count() == 0) FillCombo(Priority, Priorities);
    SelectComboItem(Priority, "High");
    CheckBoxAsyncMode->SetChecked(false);
    CheckBoxAsyncModeClick(CheckBoxAsyncMode);
}

void TMainWindow::FormShow(TObject*)
{
    FillPortList();
    LoadLineSettings();

    DelayAfterSend->SetText(Settings->ReadString("Communication", "DelayAfterSend", "200"));
    BeepAfterSend->SetChecked(Settings->ReadBool("Communication", "BeepAfterSend", false));
    CheckBoxAsyncMode->SetChecked(Settings->ReadBool("Communication", "AsyncMode", false));
    EditAsyncDiff->SetText(Settings->ReadString("Communication", "AsyncDiff", "0"));
    FillCombo(Priority, Priorities);
    const int priority = StrToIntDef(Settings->ReadString("Communication", "Priority", ""), 2);
    Priority->SetItemIndex(priority >= 0 && priority <= 3 ? priority : 2);

    CheckBoxKeyboardEnabled->SetChecked(Settings->ReadBool("MouseAndKeyboard", "KeyboardEnabled", true));
    CheckBoxUserDefinedKeyboardMapping->SetChecked(
        Settings->ReadBool("MouseAndKeyboard", "UserDefinedKeyboardMapping", false));
    CheckBoxTransferMouseToPc->SetChecked(Settings->ReadBool("MouseAndKeyboard", "TransferMouseToPc", true));
    CheckBoxTransferMouseToTerminal->SetChecked(
        Settings->ReadBool("MouseAndKeyboard", "TransferMouseToTerminal", true));
    CheckBoxEnableLetterInput->SetChecked(Settings->ReadBool("MouseAndKeyboard", "EnableLetterInput", true));
    EditLetterBrowseTime->SetText(Settings->ReadString("MouseAndKeyboard", "LetterBrowseTime", "600"));
    EditLetterBreakTime->SetText(Settings->ReadString("MouseAndKeyboard", "LetterBreakTime", "1000"));
    LoadLetterTimeLimits();
    CheckBoxKeyboardEnabledClick(CheckBoxKeyboardEnabled);

    ApplicationName->SetFilename(Settings->ReadString("Application", "ApplicationName", ""));
    const AnsiString desktop = Settings->ReadString("Application", "Desktop", "640x480");
    if (desktop == "640x480")
        BtnDesktop640x480->SetChecked(true);
    else if (desktop == "800x600")
        BtnDesktop800x600->SetChecked(true);
    else if (desktop == "1024x768")
        BtnDesktop1024x768->SetChecked(true);
    const AnsiString mode = Settings->ReadString("Application", "Mode", "Desktop");
    if (mode == "Desktop")
        BtnDesktop->SetChecked(true);
    else if (mode == "Application")
        BtnApplication->SetChecked(true);
}

// ---------------------------------------------------------------------------------------------------------------
// Saving

namespace {

// A whole decimal number (no sign, no blanks, no hexadecimal).
bool ParseWholeNumber(const AnsiString& text, long long& value)
{
    const std::string& s = text.str();
    if (s.empty() || s.size() > 12) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

int ParityOf(const AnsiString& text)
{
    static const char* const names[] = {"None", "Odd", "Even", "Mark", "Space"};
    for (int i = 0; i < 5; ++i)
        if (text == names[i]) return i;
    return 0;
}

int StopBitsOf(const AnsiString& text)
{
    if (text == "1.5") return 1;
    if (text == "2") return 2;
    return 0;
}

}  // namespace

bool TMainWindow::CollectSettings(std::vector<Value>& values, AnsiString& port)
{
    // Without a chosen port the settings stay with the current one.
    port = Port->ItemIndex() >= 0 ? Port->Text().UpperCase() : FPortName;
    if (!IsValidPortName(port)) port = FPortName;

    for (TZCLComboBox* box : {BaudRate, Parity, DataBits, StopBits, Protocol})
        if (box->ItemIndex() < 0) {
            ShowMessageBox(1, "Choose every setting of the serial line first.");
            return false;
        }
    const struct {
        TZCLExtSpinEdit* edit;
        const char* what;
    } numbers[] = {
        {DelayAfterSend, "ms delay after sending a screen"},
        {EditAsyncDiff, "max. difference"},
        {EditLetterBrowseTime, "ms letter browse time"},
        {EditLetterBreakTime, "ms letter break time"},
    };
    for (const auto& n : numbers) {
        TSpinEditLimits limits = SpinLimits(n.edit);
        // The difference reads 0 while asynchronous mode is off.
        if (n.edit == EditAsyncDiff) limits.Min = 0;
        long long v = 0;
        if (!ParseWholeNumber(n.edit->Text(), v) || v < limits.Min || v > limits.Max) {
            ShowMessageBox(1, AnsiString(n.what) + ": a whole number from " + IntToStr(int(limits.Min)) + " to " +
                                  IntToStr(int(limits.Max)) + " is needed.");
            return false;
        }
    }

    DCB dcb{};
    dcb.BaudRate = DWORD(std::max(0, StrToIntDef(BaudRate->Text(), 0)));
    dcb.Parity = BYTE(ParityOf(Parity->Text()));
    dcb.ByteSize = BYTE(std::max(0, StrToIntDef(DataBits->Text(), 0)));
    dcb.StopBits = BYTE(StopBitsOf(StopBits->Text()));
    dcb.fOutX = Protocol->Text() == "Software" ? 1 : 0;
    dcb.fInX = 0;
    char parameter[256];
    FormatCommParameter(dcb, parameter, sizeof parameter);

    const int priority = Priority->ItemIndex();
    const char* desktop = BtnDesktop640x480->Checked()    ? "640x480"
                          : BtnDesktop800x600->Checked()  ? "800x600"
                          : BtnDesktop1024x768->Checked() ? "1024x768"
                                                          : "640x480";
    const char* mode = BtnDesktop->Checked() ? "Desktop" : BtnApplication->Checked() ? "Application" : "Desktop";
    const bool password = CheckBoxEnablePassword->Checked();

    values = {
        {"Communication", "Port", port},
        {"Communication", "Parameter", parameter},
        {"Communication", "DelayAfterSend", DelayAfterSend->Text()},
        {"Communication", "BeepAfterSend", BoolText(BeepAfterSend->Checked())},
        {"Communication", "Priority", IntToStr(priority >= 0 && priority <= 3 ? priority : 2)},
        {"Communication", "AsyncMode", BoolText(CheckBoxAsyncMode->Checked())},
        {"Communication", "AsyncDiff", EditAsyncDiff->Text()},
        {"MouseAndKeyboard", "KeyboardEnabled", BoolText(CheckBoxKeyboardEnabled->Checked())},
        {"MouseAndKeyboard", "UserDefinedKeyboardMapping", BoolText(CheckBoxUserDefinedKeyboardMapping->Checked())},
        {"MouseAndKeyboard", "TransferMouseToPc", BoolText(CheckBoxTransferMouseToPc->Checked())},
        {"MouseAndKeyboard", "TransferMouseToTerminal", BoolText(CheckBoxTransferMouseToTerminal->Checked())},
        {"MouseAndKeyboard", "EnableLetterInput", BoolText(CheckBoxEnableLetterInput->Checked())},
        {"MouseAndKeyboard", "LetterBrowseTime", EditLetterBrowseTime->Text()},
        {"MouseAndKeyboard", "LetterBreakTime", EditLetterBreakTime->Text()},
        {"Application", "ApplicationName", ApplicationName->GetFileName()},
        {"Application", "Desktop", desktop},
        {"Application", "Mode", mode},
        {"Application", "Autostart", BoolText(BtnAutoStart->Checked())},
        {"Application", "ObservePalette", BoolText(BtnObservePalette->Checked())},
        {"PasswordProtection", "EnablePassword", BoolText(password)},
        // A password that is not in use is not kept.
        {"PasswordProtection", "Password", password ? EditPassword1->Text() : AnsiString()},
    };
    return true;
}

bool TMainWindow::SaveSettings()
{
    std::vector<Value> values;
    AnsiString port;
    if (!CollectSettings(values, port)) return false;
    try {
        // Every key first, so a key that cannot be made stops the save before any value is written.
        TRegistry registry(KEY_ALL_ACCESS);
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        registry.CreateKey(AnsiString("\\") + MainSettingsKey + "\\Default");
        for (const char* section : {"Communication", "MouseAndKeyboard", "Application", "PasswordProtection"})
            registry.CreateKey("\\" + PortKey(port) + "\\" + section);

        Settings->SetRegPath(MainSettingsKey);
        FPortName = port;
        Settings->WriteString("Default", "Port", FPortName);
        SetSettingsPort(FPortName);
        for (const Value& v : values) Settings->WriteString(v.section, v.name, v.text);
        SetSavedLoginState(CheckBoxEnablePassword->Checked());
    } catch (const Exception& e) {
        SetSettingsPort(FPortName);
        ShowMessageBox(1, "The settings could not be saved:\n" + e.Message());
        return false;
    }
    return true;
}

void TMainWindow::ActionHideWindowExecute(TObject*)
{
    // The window stays open while the settings are not saved; a running transfer keeps what it started with.
    if (SaveSettings()) SetVisible(false);
}

void TMainWindow::WndProc(TMessage& message)
{
    // The window has no system menu, but Alt+F4 still becomes a close command: it does what "Close Window"
    // does, so the edits are kept and neither the guard on Exit nor a running transfer is bypassed.
    if (message.Msg == WM_SYSCOMMAND && (message.WParam & 0xFFF0) == SC_CLOSE) {
        message.Result = 0;
        if (Visible()) ActionHideWindow->Execute();
        return;
    }
    if (message.Msg == DeferredCommandMessage) {
        message.Result = 0;
        RunDeferredCommands();
        return;
    }
    TForm::WndProc(message);
}

void TMainWindow::ActionConfigurationExecute(TObject*)
{
    SetVisible(true);
    SetForegroundWindow(Handle());
}

// ---------------------------------------------------------------------------------------------------------------
// Controls

void TMainWindow::BtnPortClick(TObject*) { Port->SetDroppedDown(true); }

void TMainWindow::PortChange(TObject*)
{
    const AnsiString port = Port->Text().UpperCase();
    if (!IsValidPortName(port)) return;
    FPortName = port;
    SetSettingsPort(FPortName);
    FormShow(this);
}

void TMainWindow::BtnCommDefaultClick(TObject*)
{
    // The window always shows one port's values: another port chosen here is loaded first, as a choice in the
    // list would, so the next save goes under the port whose values are shown.
    SelectComboItem(Port, "COM1");
    if (Port->ItemIndex() >= 0 && Port->Text().UpperCase() != FPortName) PortChange(Port);
    SelectCommunicationDefaults();
}

void TMainWindow::BtnMouseAndKeyboardDefaultClick(TObject*)
{
    CheckBoxKeyboardEnabled->SetChecked(true);
    CheckBoxKeyboardEnabledClick(CheckBoxKeyboardEnabled);
    CheckBoxUserDefinedKeyboardMapping->SetChecked(false);
    CheckBoxUserDefinedKeyboardMappingClick(CheckBoxUserDefinedKeyboardMapping);
    CheckBoxEnableLetterInput->SetChecked(true);
    CheckBoxEnableLetterInputClick(CheckBoxEnableLetterInput);
    EditLetterBrowseTime->SetText("600");
    EditLetterBreakTime->SetText("1000");
    CheckBoxTransferMouseToPc->SetChecked(true);
    CheckBoxTransferMouseToTerminal->SetChecked(true);
}

void TMainWindow::CheckBoxKeyboardEnabledClick(TObject*)
{
    const bool on = CheckBoxKeyboardEnabled->Checked();
    CheckBoxUserDefinedKeyboardMapping->SetEnabled(on);
    CheckBoxEnableLetterInput->SetEnabled(on);
    CheckBoxUserDefinedKeyboardMappingClick(CheckBoxUserDefinedKeyboardMapping);
    CheckBoxEnableLetterInputClick(CheckBoxEnableLetterInput);
}

void TMainWindow::CheckBoxUserDefinedKeyboardMappingClick(TObject*)
{
    BtnDefineKeyboard->SetEnabled(CheckBoxUserDefinedKeyboardMapping->Checked() &&
                                  CheckBoxUserDefinedKeyboardMapping->Enabled());
}

void TMainWindow::CheckBoxEnableLetterInputClick(TObject*)
{
    const bool on = CheckBoxEnableLetterInput->Checked() && CheckBoxEnableLetterInput->Enabled();
    EditLetterBrowseTime->SetEnabled(on);
    EditLetterBreakTime->SetEnabled(on);
}

void TMainWindow::CheckBoxAsyncModeClick(TObject*)
{
    const bool on = CheckBoxAsyncMode->Checked();
    EditAsyncDiff->SetEnabled(on);
    EditAsyncDiff->SetText(on ? "1" : "0");
}

void TMainWindow::MainPageControlChange(TObject*)
{
    // The letter times step by the delay after a screen, and the break lasts at least the browse time; neither
    // minimum goes above its maximum or above the value shown, so a page change never alters a setting.
    const int d = StrToIntDef(DelayAfterSend->Text(), 200);
    TSpinEditLimits browse = SpinLimits(EditLetterBrowseTime);
    const int browseValue = StrToIntDef(EditLetterBrowseTime->Text(), int(browse.Min));
    browse.Step = d;
    browse.LargeStep = d;
    browse.Min = std::min<double>({double(d), browse.Max, double(browseValue)});
    ApplySpinLimits(EditLetterBrowseTime, browse);
    TSpinEditLimits pause = SpinLimits(EditLetterBreakTime);
    const int breakValue = StrToIntDef(EditLetterBreakTime->Text(), int(pause.Min));
    pause.Step = d;
    pause.LargeStep = d;
    pause.Min = std::min<double>({double(browseValue), pause.Max, double(breakValue)});
    ApplySpinLimits(EditLetterBreakTime, pause);
}

void TMainWindow::LoadLetterTimeLimits()
{
    // A page change may have let a letter time go below the form's own minimum and the value was saved so: the
    // loaded values get the lowered minimums again, never one above the form's own, so the save check (which
    // uses the spin edits' limits) accepts what the driver saved itself.
    const int d = StrToIntDef(DelayAfterSend->Text(), 200);
    TSpinEditLimits browse = LetterBrowseTimeLimits;
    const int browseValue = StrToIntDef(EditLetterBrowseTime->Text(), int(browse.Min));
    browse.Step = SpinLimits(EditLetterBrowseTime).Step;
    browse.LargeStep = SpinLimits(EditLetterBrowseTime).LargeStep;
    browse.Min = std::min<double>({browse.Min, double(d), double(browseValue)});
    ApplySpinLimits(EditLetterBrowseTime, browse);
    TSpinEditLimits pause = LetterBreakTimeLimits;
    const int breakValue = StrToIntDef(EditLetterBreakTime->Text(), int(pause.Min));
    pause.Step = SpinLimits(EditLetterBreakTime).Step;
    pause.LargeStep = SpinLimits(EditLetterBreakTime).LargeStep;
    pause.Min = std::min<double>({pause.Min, double(browseValue), double(breakValue)});
    ApplySpinLimits(EditLetterBreakTime, pause);
}

void TMainWindow::BtnDefineKeyboardClick(TObject*)
{
    ShellDialog<TFormLayoutK5> dialog(FormLayoutK5);
    dialog->ShowModal();
}

void TMainWindow::BtnTaskListClick(TObject*)
{
    auto dialog = std::make_unique<TFormSelectApplication>(this);
    if (dialog->ShowModal() == mrOk && !dialog->Result().IsEmpty()) ApplicationName->SetFilename(dialog->Result());
}

// ---------------------------------------------------------------------------------------------------------------
// Password

void TMainWindow::CheckBoxEnablePasswordClick(TObject*)
{
    if (!CheckBoxEnablePassword->Checked()) return;
    const AnsiString first = EditPassword1->Text();
    if (first.IsEmpty() || first != EditPassword2->Text()) {
        ShowMessageBox(2, "Insert the same passwort twice first!");
        CheckBoxEnablePassword->SetChecked(false);
    }
}

// A changed password has to be confirmed again by checking the box.
void TMainWindow::EditPasswordChange(TObject*) { CheckBoxEnablePassword->SetChecked(false); }

void TMainWindow::ActionPasswordExecute(TObject*)
{
    if (FAccessGranted) {
        ActionPassword->SetCaption("&Login...");
        FAccessGranted = false;
        return;
    }
    // A cancelled dialog or a wrong password changes nothing and says nothing.
    if (InputDlg->Execute() && InputDlg->Value() == EditPassword1->Text()) {
        ActionPassword->SetCaption("&Logout");
        FAccessGranted = true;
    }
}

void TMainWindow::SetSavedLoginState(bool password)
{
    ActionPassword->SetCaption(password ? "&Logout" : "&Login...");
    ActionPassword->SetEnabled(password);
    FAccessGranted = true;
}
