// The main window's form definition: every component it owns, where it sits and how it is set, built in code
// as the window is constructed.

#include "shell/MainForm.h"

#include "shell/MainFormPrivate.h"
#include "shell/ShellPlace.h"
#include "zcl/components/Zcldrawedge.h"
#include "zcl/core/Zclsysin.h"
#include "zcl/panels/Zclinformationlabel.h"

namespace {

// Geometry of the pages: rows of controls 26 pixels apart.
constexpr int RowHeight = 26;
constexpr int Row(int n) { return 8 + n * RowHeight; }

// A label in the row at y, its text four pixels down to line up with the control beside it.
TLabel* AddLabel(TComponentLoader& loading, TWinControl* parent, int x, int y, const char* text,
                 TWinControl* focus = nullptr)
{
    auto* label = ShellPlace<TLabel>(loading, nullptr, parent, x, y + 4, 10, 13, text);
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

    MainToolBar = ShellPlace<TToolBar>(loading, "MainToolBar", this, 0, 0, 577, 40);
    MainToolBar->SetAlign(alTop);
    MainToolBar->SetFlat(true);
    MainToolBar->SetShowCaptions(true);
    MainToolBar->SetImages(MainImageList);
    MainToolBar->SetButtonWidth(104);
    MainToolBar->SetButtonHeight(36);
    ButtonHideWindow = ShellPlace<TToolButton>(loading, "ButtonHideWindow", MainToolBar, 0, 0, 104, 36);
    ButtonHideWindow->SetAction(ActionHideWindow);

    MainPageControl = ShellPlace<TPageControl>(loading, "MainPageControl", this, 0, 40, 577, 213);
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
    TZCLExtSpinEdit* edit = ShellPlace<TZCLExtSpinEdit>(loading, name, parent, x, y, w, 21);
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
        box = ShellPlace<TZCLComboBox>(loading, name, page, x, Row(row), 110, 21);
        box->SetStyle(csDropDownList);
    };
    combo(Port, "Port", 0, 96);
    Port->SetOnChange(TNotifyEvent(this, &TMainWindow::PortChange));
    // Docked on the combo's left, it keeps its place and height beside it.
    BtnPort = ShellPlace<TZCLDockSpeedButton>(loading, "BtnPort", page, 8, Row(0), 84, 21, "Serial Port:");
    BtnPort->SetGlyphKind(gkCustom);
    BtnPort->SetStyle(ubsFlat);
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
    BeepAfterSend =
        ShellPlace<TCheckBox>(loading, "BeepAfterSend", page, x2, Row(1) + 2, 300, 17, "beep after sending a screen");
    DelayAfterSend = SpinEditPlace(loading, "DelayAfterSend", page, x2, Row(2), 72, DelayAfterSendLimits);
    AddLabel(loading, page, x2 + 80, Row(2), "ms delay after sending a screen");
    CheckBoxAsyncMode =
        ShellPlace<TCheckBox>(loading, "CheckBoxAsyncMode", page, x2, Row(3) + 2, 300, 17, "asynchronus mode");
    CheckBoxAsyncMode->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxAsyncModeClick));
    EditAsyncDiff = SpinEditPlace(loading, "EditAsyncDiff", page, x2 + 16, Row(4), 56, AsyncDiffLimits);
    EditAsyncDiff->SetEnabled(false);
    AddLabel(loading, page, x2 + 80, Row(4), "max. difference");
    BtnCommDefault = ShellPlace<TButton>(loading, "BtnCommDefault", page, 470, Row(5), 85, 25, "Default");
    BtnCommDefault->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnCommDefaultClick));
}

void TMainWindow::BuildApplicationPage(TComponentLoader& loading)
{
    TTabSheet* page = PageApplication;
    ApplicationName = ShellPlace<TZCLFileOpenEdit>(loading, "ApplicationName", page, 96, Row(0), 459, 21);
    ApplicationName->SetFilter("Application (*.exe)|*.EXE");
    ApplicationName->SetDefaultExt(".exe");
    ApplicationName->SetOptions(ApplicationName->Options() + TOpenOptions{ofPathMustExist, ofFileMustExist});
    AddLabel(loading, page, 12, Row(0), "Applica&tion:", ApplicationName);
    BtnTaskList =
        ShellPlace<TButton>(loading, "BtnTaskList", page, 355, Row(1), 200, 25, "view actual running applications");
    BtnTaskList->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnTaskListClick));

    BtnDesktop = ShellPlace<TRadioButton>(loading, "BtnDesktop", page, 12, Row(2) + 14, 110, 17, "&Desktop");
    BtnApplication =
        ShellPlace<TRadioButton>(loading, "BtnApplication", page, 12, Row(3) + 14, 110, 17, "&Application");
    BtnDesktop->SetChecked(true);
    GroupDesktop = ShellPlace<TGroupBox>(loading, "GroupDesktop", page, 130, Row(2), 200, 90, "Desktop area");
    BtnDesktop640x480 =
        ShellPlace<TRadioButton>(loading, "BtnDesktop640x480", GroupDesktop, 12, 20, 180, 17, "640 x 480 (copy)");
    BtnDesktop800x600 =
        ShellPlace<TRadioButton>(loading, "BtnDesktop800x600", GroupDesktop, 12, 42, 180, 17, "800 x 600 (stretch)");
    BtnDesktop1024x768 =
        ShellPlace<TRadioButton>(loading, "BtnDesktop1024x768", GroupDesktop, 12, 64, 180, 17, "1024 x 768 (stretch)");
    BtnDesktop640x480->SetChecked(true);
    BtnAutoStart = ShellPlace<TCheckBox>(loading, "BtnAutoStart", page, 350, Row(2) + 14, 205, 17,
                                         "Autostart DravikREMOTE Device Driver");
    BtnObservePalette =
        ShellPlace<TCheckBox>(loading, "BtnObservePalette", page, 350, Row(3) + 14, 205, 17, "Observe System Palette");
}

void TMainWindow::BuildMouseAndKeyboardPage(TComponentLoader& loading)
{
    TTabSheet* page = PageMouseAndKeyboard;
    CheckBoxKeyboardEnabled = ShellPlace<TCheckBox>(loading, "CheckBoxKeyboardEnabled", page, 12, Row(0), 300, 17,
                                                    "transfer keyboard data from terminal to PC");
    CheckBoxKeyboardEnabled->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxKeyboardEnabledClick));
    CheckBoxUserDefinedKeyboardMapping = ShellPlace<TCheckBox>(loading, "CheckBoxUserDefinedKeyboardMapping", page, 30,
                                                               Row(1) - 4, 200, 17, "user defined keyboard mapping");
    CheckBoxUserDefinedKeyboardMapping->SetOnClick(
        TNotifyEvent(this, &TMainWindow::CheckBoxUserDefinedKeyboardMappingClick));
    BtnDefineKeyboard =
        ShellPlace<TButton>(loading, "BtnDefineKeyboard", page, 240, Row(1) - 8, 110, 25, "Define &Keyboard");
    BtnDefineKeyboard->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnDefineKeyboardClick));
    CheckBoxEnableLetterInput = ShellPlace<TCheckBox>(loading, "CheckBoxEnableLetterInput", page, 30, Row(2) - 4, 200,
                                                      17, "enable letter input");
    CheckBoxEnableLetterInput->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxEnableLetterInputClick));
    EditLetterBrowseTime =
        SpinEditPlace(loading, "EditLetterBrowseTime", page, 48, Row(3) - 8, 64, LetterBrowseTimeLimits);
    AddLabel(loading, page, 120, Row(3) - 8, "ms letter browse time");
    EditLetterBreakTime =
        SpinEditPlace(loading, "EditLetterBreakTime", page, 48, Row(4) - 8, 64, LetterBreakTimeLimits);
    AddLabel(loading, page, 120, Row(4) - 8, "ms letter break time");
    CheckBoxTransferMouseToPc = ShellPlace<TCheckBox>(loading, "CheckBoxTransferMouseToPc", page, 12, Row(5), 300, 17,
                                                      "transfer mouse data from terminal to PC");
    CheckBoxTransferMouseToTerminal =
        ShellPlace<TCheckBox>(loading, "CheckBoxTransferMouseToTerminal", page, 12, Row(6) - 4, 300, 17,
                              "transfer mouse data from PC to terminal");
    BtnMouseAndKeyboardDefault =
        ShellPlace<TButton>(loading, "BtnMouseAndKeyboardDefault", page, 470, Row(5), 85, 25, "Default");
    BtnMouseAndKeyboardDefault->SetOnClick(TNotifyEvent(this, &TMainWindow::BtnMouseAndKeyboardDefaultClick));
}

void TMainWindow::BuildPasswordPage(TComponentLoader& loading)
{
    TTabSheet* page = PagePassword;
    CheckBoxEnablePassword = ShellPlace<TCheckBox>(loading, "CheckBoxEnablePassword", page, 12, Row(0), 400, 17,
                                                   "use a password to change settings, start or stop the server");
    EditPassword1 = ShellPlace<TZCLEdit>(loading, "EditPassword1", page, 170, Row(1) + 8, 160, 21);
    EditPassword1->SetPasswordChar('*');
    AddLabel(loading, page, 12, Row(1) + 8, "Password (&first input):", EditPassword1);
    EditPassword2 = ShellPlace<TZCLEdit>(loading, "EditPassword2", page, 170, Row(2) + 8, 160, 21);
    EditPassword2->SetPasswordChar('*');
    AddLabel(loading, page, 12, Row(2) + 8, "Password (&second input):", EditPassword2);
    CheckBoxEnablePassword->SetOnClick(TNotifyEvent(this, &TMainWindow::CheckBoxEnablePasswordClick));
    EditPassword1->SetOnChange(TNotifyEvent(this, &TMainWindow::EditPasswordChange));
    EditPassword2->SetOnChange(TNotifyEvent(this, &TMainWindow::EditPasswordChange));
}

void TMainWindow::BuildStatisticPage(TComponentLoader& loading)
{
    TTabSheet* page = PageStatistic;
    Chart1 = ShellPlace<TChart>(loading, "Chart1", page, 0, 0, 400, 185);
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
    RadioButtonSize =
        ShellPlace<TRadioButton>(loading, "RadioButtonSize", page, 410, Row(0), 155, 17, "transfer size in kb");
    RadioButtonTime =
        ShellPlace<TRadioButton>(loading, "RadioButtonTime", page, 410, Row(1), 155, 17, "pack && transfer time in ms");
    RadioButtonDelay =
        ShellPlace<TRadioButton>(loading, "RadioButtonDelay", page, 410, Row(2), 155, 17, "acknowledge delay in ms");
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
        auto* edge =
            ShellPlace<TZCLDrawEdge>(loading, nullptr, page, g.x, g.y, g.width, int(g.kinds.size()) * lineHeight + 10);
        edge->SetEdgeStyle(etSunken);
        InformationEdges.push_back(edge);
    }
    for (const auto& g : groups) {
        int y = g.y + 5;
        for (TZCLInfoType kind : g.kinds) {
            // Each label builds its text when it is painted, so the page shows the values of the moment.
            auto* label = ShellPlace<TZCLInformationLabel>(loading, nullptr, page, g.x + 8, y, g.width - 16, 15);
            label->SetAutoSize(false);
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
