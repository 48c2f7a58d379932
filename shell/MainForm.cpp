#include "shell/MainForm.h"

#include <algorithm>
#include <cctype>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Registry.h"
#include "link/LineSettings.h"
#include "link/SerialIO.h"
#include "mirror/BitmapCapture.h"
#include "shell/LayoutK5.h"
#include "shell/SelectApplication.h"
#include "shell/ShellPlace.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/panels/Zclinformationlabel.h"
#include "zcl/core/Zclsysin.h"

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

// The form's own limits of the spin edits.
constexpr TSpinEditLimits DelayAfterSendLimits{50, 86400000, 200, 50, 0};
constexpr TSpinEditLimits AsyncDiffLimits{1, 5, 1, 1, 10};
constexpr TSpinEditLimits LetterBrowseTimeLimits{100, 5000, 600, 100, 0};
constexpr TSpinEditLimits LetterBreakTimeLimits{100, 5000, 1000, 100, 0};

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

// Geometry of the pages: rows of controls 26 pixels apart.
constexpr int RowHeight = 26;
constexpr int Row(int n) { return 8 + n * RowHeight; }

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

namespace {

template <typename T>
T* Place(TComponentLoader& loading, const char* name, TWinControl* parent, int x, int y, int w, int h,
         const char* caption = nullptr)
{
    T* c = loading.Create<T>();
    if (*name) c->SetName(name);
    c->SetParent(parent);
    c->SetBounds(x, y, w, h);
    if (caption) c->SetCaption(caption);
    return c;
}

TLabel* AddLabel(TComponentLoader& loading, TWinControl* parent, int x, int y, const char* text,
                TWinControl* focus = nullptr)
{
    auto* label = loading.Create<TLabel>();
    label->SetParent(parent);
    label->SetBounds(x, y + 4, 10, 13);
    label->SetCaption(text);
    if (focus) label->SetFocusControl(focus);
    return label;
}

// A window with a check mark: what the tool bar's "Close Window" does (saves and hides).
void DrawCloseGlyph(TBitmap& glyph)
{
    glyph.SetPixelFormat(pf24bit);
    glyph.SetSize(16, 16);
    TCanvas* c = glyph.Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 16, 16));
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect(1, 2, 14, 14));
    c->Brush()->SetColor(clNavy);
    c->FillRect(TRect(1, 2, 14, 5));
    c->FrameRect(TRect(1, 2, 14, 14));
    c->Pen()->SetColor(clGreen);
    c->Pen()->SetWidth(2);
    c->MoveTo(4, 9);
    c->LineTo(7, 12);
    c->LineTo(12, 6);
}

}  // namespace

void TMainWindow::BuildForm()
{
    TComponentLoader loading(this);
    SetName("MainWindow");
    SetCaption(MainWindowTitle);
    SetBorderStyle(bsDialog);
    SetBorderIcons(TBorderIcons());
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetClientSize(577, 253);
    SetOnCreate(TNotifyEvent(this, &TMainWindow::FormCreate));
    SetOnShow(TNotifyEvent(this, &TMainWindow::FormShow));

    MainImageList = loading.Create<TImageList>();
    MainImageList->SetName("MainImageList");
    TBitmap glyph;
    DrawCloseGlyph(glyph);
    MainImageList->AddMasked(&glyph, clFuchsia);

    BuildMenuAndActions(loading);

    // Loading it puts the program's icon in the notification area and keeps the window from showing at start.
    TrayIcon = loading.Create<TZCLTrayIcon>();
    TrayIcon->SetName("TrayIcon");
    TIcon icon;
    const int small = GetSystemMetrics(SM_CXSMICON);
    if (HICON h = HICON(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, small, small, 0)))
        icon.SetHandle(h);
    TrayIcon->SetIcon(&icon);
    TrayIcon->SetPopUpMenu(PopupMenu);

    MainFormData = loading.Create<TZCLForm>();
    MainFormData->SetName("MainFormData");
    MainFormData->SetIniKey("MainWindow");
    MainFormData->SetOnDisplayChange(TZCLSizingChangeEvent(this, &TMainWindow::MainFormDataDisplayChange));
    MainFormData->SetOnSysColorChange(TNotifyEvent(this, &TMainWindow::MainFormDataSysColorChange));

    Hardware = loading.Create<TZCLIniCtrl>();
    Hardware->SetName("Hardware");
    Hardware->SetRegRoot(rpLocalMachine);
    Hardware->SetTarget(itRegistry);
    Hardware->SetRegPath("Hardware\\DeviceMap");
    Hardware->SetMaxEntries(255);
    Settings = loading.Create<TZCLIniCtrl>();
    Settings->SetName("Settings");
    Settings->SetRegRoot(rpLocalMachine);
    Settings->SetTarget(itRegistry);
    Settings->SetRegPath(MainSettingsKey);

    InputDlg = loading.Create<TZCLInputDlg>();
    InputDlg->SetName("InputDlg");
    InputDlg->SetCaptionTitle("Login");
    InputDlg->SetPrompt("Password:");
    InputDlg->SetPasswordChar('*');

    MainToolBar = Place<TToolBar>(loading, "MainToolBar", this, 0, 0, 577, 40);
    MainToolBar->SetAlign(alTop);
    MainToolBar->SetFlat(true);
    MainToolBar->SetShowCaptions(true);
    MainToolBar->SetImages(MainImageList);
    MainToolBar->SetButtonWidth(104);
    MainToolBar->SetButtonHeight(36);
    ButtonHideWindow = Place<TToolButton>(loading, "ButtonHideWindow", MainToolBar, 0, 0, 104, 36);
    ButtonHideWindow->SetAction(ActionHideWindow);

    MainPageControl = Place<TPageControl>(loading, "MainPageControl", this, 0, 40, 577, 213);
    MainPageControl->SetAlign(alClient);
    MainPageControl->SetOnChange(TNotifyEvent(this, &TMainWindow::MainPageControlChange));
    struct Page {
        TTabSheet** sheet;
        const char* name;
        const char* caption;
    };
    const Page pages[] = {
        {&PageCommunication, "PageCommunication", "Communication Settings"},
        {&PageApplication, "PageApplication", "Application"},
        {&PageMouseAndKeyboard, "PageMouseAndKeyboard", "Mouse && Keyboard"},
        {&PagePassword, "PagePassword", "Password"},
        {&PageStatistic, "PageStatistic", "Statistic"},
        {&PageVersion, "PageVersion", "Version"},
    };
    for (const Page& p : pages) {
        *p.sheet = loading.Create<TTabSheet>();
        (*p.sheet)->SetName(p.name);
        (*p.sheet)->SetPageControl(MainPageControl);
        (*p.sheet)->SetCaption(p.caption);
    }
    MainPageControl->SetActivePage(PageCommunication);

    BuildCommunicationPage(loading);
    BuildApplicationPage(loading);
    BuildMouseAndKeyboardPage(loading);
    BuildPasswordPage(loading);
    BuildStatisticPage(loading);
    BuildVersionPage(loading);

    loading.Finish();
}

void TMainWindow::BuildMenuAndActions(TComponentLoader& loading)
{
    MainActionList = loading.Create<TActionList>();
    MainActionList->SetName("MainActionList");
    MainActionList->SetImages(MainImageList);
    struct ActionDef {
        TAction** action;
        const char* name;
        const char* caption;
        const char* hint;
        void (TMainWindow::*execute)(TObject*);
    };
    const ActionDef actions[] = {
        {&ActionPassword, "ActionPassword", "&Login...", "", &TMainWindow::ActionPasswordExecute},
        {&ActionConfiguration, "ActionConfiguration", "&Configuration...", "Open the Configuration Dialog",
         &TMainWindow::ActionConfigurationExecute},
        {&ActionHideWindow, "ActionHideWindow", "&Close Window", "", &TMainWindow::ActionHideWindowExecute},
        {&ActionStart, "ActionStart", "St&art Transfer", "Start the Transfer", &TMainWindow::ActionStartExecute},
        {&ActionStop, "ActionStop", "St&op Transfer", "Stiop the Transfer", &TMainWindow::ActionStopExecute},
        {&ActionExit, "ActionExit", "&Exit Application", "Terminate the Application",
         &TMainWindow::ActionExitExecute},
        {&ActionPing, "ActionPing", "&Ping...", "", &TMainWindow::ActionPingExecute},
    };
    for (const ActionDef& a : actions) {
        *a.action = loading.Create<TAction>();
        (*a.action)->SetName(a.name);
        (*a.action)->SetActionList(MainActionList);
        (*a.action)->SetCaption(a.caption);
        (*a.action)->SetHint(a.hint);
        (*a.action)->SetOnExecute(TNotifyEvent(this, a.execute));
    }
    ActionHideWindow->SetImageIndex(0);
    // Nothing to log in to while no password is set.
    ActionPassword->SetEnabled(false);

    PopupMenu = loading.Create<TPopupMenu>();
    PopupMenu->SetName("PopupMenu");
    PopupMenu->SetOnPopup(TNotifyEvent(this, &TMainWindow::PopupMenuPopup));
    struct ItemDef {
        TMenuItem** item;
        const char* name;
        TAction* action;
    };
    const ItemDef items[] = {
        {&Login1, "Login1", ActionPassword},
        {&MenuItemConfiguration, "MenuItemConfiguration", ActionConfiguration},
        {&N2, "N2", nullptr},
        {&MenuItemStartApplication, "MenuItemStartApplication", ActionStart},
        {&MenuItemStopApplication, "MenuItemStopApplication", ActionStop},
        {&Ping1, "Ping1", ActionPing},
        {&N1, "N1", nullptr},
        {&MenuItemCloseApplication, "MenuItemCloseApplication", ActionExit},
    };
    for (const ItemDef& d : items) {
        *d.item = loading.Create<TMenuItem>();
        (*d.item)->SetName(d.name);
        if (d.action)
            (*d.item)->SetAction(d.action);
        else
            (*d.item)->SetCaption(cLineCaption);
        PopupMenu->Items()->Add(*d.item);
    }
}

TZCLExtSpinEdit* TMainWindow::SpinEditPlace(TComponentLoader& loading, const char* name, TWinControl* parent, int x,
                                            int y, int w, const TSpinEditLimits& limits)
{
    TZCLExtSpinEdit* edit = Place<TZCLExtSpinEdit>(loading, name, parent, x, y, w, 21);
    edit->SetMaxValue(limits.Max);
    edit->SetMinValue(limits.Min);
    edit->SetValue(limits.Value);
    edit->SetStep(limits.Step);
    if (limits.LargeStep != 0) edit->SetLargeStep(limits.LargeStep);
    spinEdits_.push_back({edit, limits});
    return edit;
}

void TMainWindow::BuildCommunicationPage(TComponentLoader& loading)
{
    TTabSheet* page = PageCommunication;
    auto combo = [&](TZCLComboBox*& box, const char* name, int row, int x) {
        box = Place<TZCLComboBox>(loading, name, page, x, Row(row), 110, 21);
        box->SetStyle(csDropDownList);
    };
    combo(Port, "Port", 0, 96);
    Port->SetOnChange(TNotifyEvent(this, &TMainWindow::PortChange));
    // Docked on the combo's left, it keeps its place and height beside it.
    BtnPort = loading.Create<TZCLDockSpeedButton>();
    BtnPort->SetName("BtnPort");
    BtnPort->SetParent(page);
    BtnPort->SetGlyphKind(gkCustom);
    BtnPort->SetCaption("Serial Port:");
    BtnPort->SetStyle(ubsFlat);
    BtnPort->SetBounds(8, Row(0), 84, 21);
    BtnPort->SetMargin(4);
    BtnPort->SetPosition(dpLeft);
    BtnPort->SetControl(Port);
    BtnPort->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnPortClick));
    const struct {
        TZCLComboBox** box;
        const char* name;
        const char* label;
    } lines[] = {
        {&BaudRate, "BaudRate", "&Baud rate:"}, {&Parity, "Parity", "P&arity:"},
        {&DataBits, "DataBits", "&Data bits:"}, {&StopBits, "StopBits", "&Stop bits:"},
        {&Protocol, "Protocol", "P&rotocol:"},
    };
    int row = 1;
    for (const auto& l : lines) {
        combo(*l.box, l.name, row, 96);
        AddLabel(loading, page, 12, Row(row), l.label, *l.box);
        ++row;
    }

    constexpr int x2 = 240;
    combo(Priority, "Priority", 0, x2 + 80);
    AddLabel(loading, page, x2, Row(0), "Pr&iority:", Priority);
    BeepAfterSend = Place<TCheckBox>(loading, "BeepAfterSend", page, x2, Row(1) + 2, 300, 17,
                                     "beep after sending a screen");
    DelayAfterSend = SpinEditPlace(loading, "DelayAfterSend", page, x2, Row(2), 72, DelayAfterSendLimits);
    AddLabel(loading, page, x2 + 80, Row(2), "ms delay after sending a screen");
    CheckBoxAsyncMode = Place<TCheckBox>(loading, "CheckBoxAsyncMode", page, x2, Row(3) + 2, 300, 17,
                                         "asynchronus mode");
    CheckBoxAsyncMode->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxAsyncModeClick));
    EditAsyncDiff = SpinEditPlace(loading, "EditAsyncDiff", page, x2 + 16, Row(4), 56, AsyncDiffLimits);
    EditAsyncDiff->SetEnabled(false);
    AddLabel(loading, page, x2 + 80, Row(4), "max. difference");
    BtnCommDefault = Place<TButton>(loading, "BtnCommDefault", page, 470, Row(5), 85, 25, "Default");
    BtnCommDefault->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnCommDefaultClick));
}

void TMainWindow::BuildApplicationPage(TComponentLoader& loading)
{
    TTabSheet* page = PageApplication;
    ApplicationName = Place<TZCLFileOpenEdit>(loading, "ApplicationName", page, 96, Row(0), 459, 21);
    ApplicationName->SetFilter("Application (*.exe)|*.EXE");
    ApplicationName->SetDefaultExt(".exe");
    ApplicationName->SetOptions(ApplicationName->Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    AddLabel(loading, page, 12, Row(0), "Applica&tion:", ApplicationName);
    BtnTaskList = Place<TButton>(loading, "BtnTaskList", page, 355, Row(1), 200, 25,
                                 "view actual running applications");
    BtnTaskList->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnTaskListClick));

    BtnDesktop = Place<TRadioButton>(loading, "BtnDesktop", page, 12, Row(2) + 14, 110, 17, "&Desktop");
    BtnApplication = Place<TRadioButton>(loading, "BtnApplication", page, 12, Row(3) + 14, 110, 17, "&Application");
    BtnDesktop->SetChecked(true);
    GroupDesktop = Place<TGroupBox>(loading, "GroupDesktop", page, 130, Row(2), 200, 90, "Desktop area");
    BtnDesktop640x480 = Place<TRadioButton>(loading, "BtnDesktop640x480", GroupDesktop, 12, 20, 180, 17,
                                            "640 x 480 (copy)");
    BtnDesktop800x600 = Place<TRadioButton>(loading, "BtnDesktop800x600", GroupDesktop, 12, 42, 180, 17,
                                            "800 x 600 (stretch)");
    BtnDesktop1024x768 = Place<TRadioButton>(loading, "BtnDesktop1024x768", GroupDesktop, 12, 64, 180, 17,
                                             "1024 x 768 (stretch)");
    BtnDesktop640x480->SetChecked(true);
    BtnAutoStart = Place<TCheckBox>(loading, "BtnAutoStart", page, 350, Row(2) + 14, 205, 17,
                                    "Autostart DravikREMOTE Device Driver");
    BtnObservePalette = Place<TCheckBox>(loading, "BtnObservePalette", page, 350, Row(3) + 14, 205, 17,
                                         "Observe System Palette");
}

void TMainWindow::BuildMouseAndKeyboardPage(TComponentLoader& loading)
{
    TTabSheet* page = PageMouseAndKeyboard;
    CheckBoxKeyboardEnabled = Place<TCheckBox>(loading, "CheckBoxKeyboardEnabled", page, 12, Row(0), 300, 17,
                                               "transfer keyboard data from terminal to PC");
    CheckBoxKeyboardEnabled->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxKeyboardEnabledClick));
    CheckBoxUserDefinedKeyboardMapping = Place<TCheckBox>(loading, "CheckBoxUserDefinedKeyboardMapping", page, 30,
                                                          Row(1) - 4, 200, 17, "user defined keyboard mapping");
    CheckBoxUserDefinedKeyboardMapping->SetOnClick(
        TNotifyEvent(this, &TMainWindow::CheckBoxUserDefinedKeyboardMappingClick));
    BtnDefineKeyboard = Place<TButton>(loading, "BtnDefineKeyboard", page, 240, Row(1) - 8, 110, 25,
                                       "Define &Keyboard");
    BtnDefineKeyboard->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnDefineKeyboardClick));
    CheckBoxEnableLetterInput = Place<TCheckBox>(loading, "CheckBoxEnableLetterInput", page, 30, Row(2) - 4, 200,
                                                 17, "enable letter input");
    CheckBoxEnableLetterInput->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxEnableLetterInputClick));
    EditLetterBrowseTime =
        SpinEditPlace(loading, "EditLetterBrowseTime", page, 48, Row(3) - 8, 64, LetterBrowseTimeLimits);
    AddLabel(loading, page, 120, Row(3) - 8, "ms letter browse time");
    EditLetterBreakTime =
        SpinEditPlace(loading, "EditLetterBreakTime", page, 48, Row(4) - 8, 64, LetterBreakTimeLimits);
    AddLabel(loading, page, 120, Row(4) - 8, "ms letter break time");
    CheckBoxTransferMouseToPc = Place<TCheckBox>(loading, "CheckBoxTransferMouseToPc", page, 12, Row(5), 300, 17,
                                                 "transfer mouse data from terminal to PC");
    CheckBoxTransferMouseToTerminal = Place<TCheckBox>(loading, "CheckBoxTransferMouseToTerminal", page, 12,
                                                       Row(6) - 4, 300, 17, "transfer mouse data from PC to terminal");
    BtnMouseAndKeyboardDefault =
        Place<TButton>(loading, "BtnMouseAndKeyboardDefault", page, 470, Row(5), 85, 25, "Default");
    BtnMouseAndKeyboardDefault->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnMouseAndKeyboardDefaultClick));
}

void TMainWindow::BuildPasswordPage(TComponentLoader& loading)
{
    TTabSheet* page = PagePassword;
    CheckBoxEnablePassword = Place<TCheckBox>(loading, "CheckBoxEnablePassword", page, 12, Row(0), 400, 17,
                                              "use a password to change settings, start or stop the server");
    EditPassword1 = Place<TZCLEdit>(loading, "EditPassword1", page, 170, Row(1) + 8, 160, 21);
    EditPassword1->SetPasswordChar('*');
    AddLabel(loading, page, 12, Row(1) + 8, "Password (&first input):", EditPassword1);
    EditPassword2 = Place<TZCLEdit>(loading, "EditPassword2", page, 170, Row(2) + 8, 160, 21);
    EditPassword2->SetPasswordChar('*');
    AddLabel(loading, page, 12, Row(2) + 8, "Password (&second input):", EditPassword2);
    CheckBoxEnablePassword->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxEnablePasswordClick));
    EditPassword1->SetOnChange(TNotifyEvent(this, &TMainWindow::EditPasswordChange));
    EditPassword2->SetOnChange(TNotifyEvent(this, &TMainWindow::EditPasswordChange));
}

void TMainWindow::BuildStatisticPage(TComponentLoader& loading)
{
    TTabSheet* page = PageStatistic;
    Chart1 = Place<TChart>(loading, "Chart1", page, 0, 0, 400, 185);
    Chart1->SetAlign(alLeft);
    Chart1->Legend()->SetVisible(false);
    Chart1->Title()->SetVisible(false);
    Chart1->Foot()->SetVisible(false);
    Chart1->LeftAxis()->Title()->SetCaption("counter value");
    Chart1->BottomAxis()->SetLabelsAngle(90);
    Chart1->SetAnimatedZoom(true);
    const struct {
        TBarSeries** series;
        const char* name;
        TColor color;
        const char* title;
    } series[] = {
        {&Series1, "Series1", clRed, "transfer size in kb"},
        {&Series2, "Series2", clLime, "pack & transfer time in ms"},
        {&Series3, "Series3", clYellow, "acknowledge delay in ms"},
    };
    for (const auto& s : series) {
        *s.series = loading.Create<TBarSeries>();
        (*s.series)->SetName(s.name);
        (*s.series)->SetSeriesColor(s.color);
        (*s.series)->SetTitle(s.title);
        (*s.series)->Marks()->SetVisible(true);
        (*s.series)->SetBarWidthPercent(15);
        Chart1->AddSeries(*s.series);
    }
    Series2->SetActive(false);
    Series3->SetActive(false);
    RadioButtonSize = Place<TRadioButton>(loading, "RadioButtonSize", page, 410, Row(0), 155, 17,
                                          "transfer size in kb");
    RadioButtonTime = Place<TRadioButton>(loading, "RadioButtonTime", page, 410, Row(1), 155, 17,
                                          "pack && transfer time in ms");
    RadioButtonDelay = Place<TRadioButton>(loading, "RadioButtonDelay", page, 410, Row(2), 155, 17,
                                           "acknowledge delay in ms");
    RadioButtonSize->SetChecked(true);
    RadioButtonSize->SetOnClick(TNotifyEvent(this, &TMainWindow::RadioButtonSizeClick));
    RadioButtonTime->SetOnClick(TNotifyEvent(this, &TMainWindow::RadioButtonTimeClick));
    RadioButtonDelay->SetOnClick(TNotifyEvent(this, &TMainWindow::RadioButtonDelayClick));
}

void TMainWindow::BuildVersionPage(TComponentLoader& loading)
{
    TTabSheet* page = PageVersion;
    // Four sunken groups: the program, the system, its resources, the machine.
    const struct {
        int x, y, width;
        std::vector<TZCLInfoType> kinds;
    } groups[] = {
        {8, 6, 342, {itProgName, itProgCompany, itProgVersion, itProgCopyright}},
        {8, 90, 342, {itVersion, itBuildNr32, itPlatform32}},
        {358, 6, 203, {itFreeGDIRes, itFreeSysRes, itFreeUserRes}},
        {358, 74, 203, {itCPUSpeed, itColorDepth, itProcessor32}},
    };
    constexpr int lineHeight = 17;
    for (const auto& g : groups) {
        auto* edge = Place<TZCLDrawEdge>(loading, "", page, g.x, g.y, g.width, int(g.kinds.size()) * lineHeight + 10);
        edge->SetEdgeStyle(etSunken);
        InformationEdges.push_back(edge);
    }
    for (const auto& g : groups) {
        int y = g.y + 5;
        for (TZCLInfoType kind : g.kinds) {
            // Each label builds its text when it is painted, so the page shows the values of the moment.
            auto* label = loading.Create<TZCLInformationLabel>();
            label->SetParent(page);
            label->SetAutoSize(false);
            label->SetBounds(g.x + 8, y, g.width - 16, 15);
            label->SetTransparent(true);
            label->SetInsertTabs(0);
            label->SetInsertColon(0);
            label->SetOptions(TZCLLabelOptions{loEndEllipsis});
            label->SetInfo(kind);
            if (kind == itCPUSpeed) label->SetNumberFormat("0 MHz");
            if (kind == itFreeGDIRes || kind == itFreeSysRes || kind == itFreeUserRes) label->SetNumberFormat("0 %");
            InformationLabels.push_back(label);
            y += lineHeight;
        }
    }
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
