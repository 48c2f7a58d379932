#pragma once
// The driver's main window: hidden behind the notification-area icon, it starts, stops and pings the transfer
// and, when opened from the icon's menu, shows and edits the settings of the chosen serial port. Every setting
// lives in the registry under the base key, one subkey per port.

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "framework/runtime/AnsiString.h"
#include "framework/runtime/SyncObjs.h"
#include "framework/runtime/SysUtils.h"
#include "framework/visual/ActnList.h"
#include "framework/visual/Buttons.h"
#include "framework/visual/Chart.h"
#include "framework/visual/ComCtrls.h"
#include "framework/visual/Forms.h"
#include "framework/visual/ImgList.h"
#include "framework/visual/Menus.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/buttons/Zcldockspeedbutton.h"
#include "zcl/components/ZclformA.h"
#include "zcl/components/Zcltrayicon.h"
#include "zcl/core/Zclinictrl.h"
#include "zcl/dialogs/Zclinputdlg.h"
#include "zcl/edits/Zclbrowseedit.h"
#include "zcl/edits/Zclcombobox.h"
#include "zcl/edits/Zcledit.h"
#include "zcl/edits/Zclspinedit.h"

class KvSerialIO;
class TZCLDrawEdge;
class TZCLInformationLabel;
class KvBitmapCaptureThread;

// The key below HKEY_LOCAL_MACHINE that holds "Default" and one subkey per port.
extern const char* const MainSettingsKey;
// The program's title: caption of the window and of its message boxes, hint of the icon.
extern const char* const MainWindowTitle;

// The switch characters of the command line.
extern const TSysCharSet MainSwitchChars;

// The value of the first argument of the form <switch character><name>=<value> (name compared without case);
// false and an empty result when there is none. args[0] is the program and is skipped.
bool GetCmdLineSwitchValue(const std::vector<AnsiString>& args, const AnsiString& name, const TSysCharSet& chars,
                           AnsiString& result);
// The same over the program's own command line.
bool GetCmdLineSwitchValue(const AnsiString& name, const TSysCharSet& chars, AnsiString& result);

// Selects text in combo, or item 0 when it is not there.
void SelectComboItem(TCustomComboBox* combo, const AnsiString& text);

// A port name that may become a registry key, an .ini section and a device name: 1 to 16 letters and digits.
bool IsValidPortName(const AnsiString& name);

// Limits of a spin edit, as the form defines them; LargeStep 0 leaves the control's own.
struct TSpinEditLimits {
    double Min;
    double Max;
    double Value;
    double Step;
    double LargeStep;
};

class TMainWindow : public TForm {
public:
    explicit TMainWindow(TComponent* owner);
    // Stops a running transfer first.
    ~TMainWindow() override;

    // Notification area --------------------------------------------------------------------------------------
    TZCLTrayIcon* TrayIcon;
    TPopupMenu* PopupMenu;
    TMenuItem* Login1;
    TMenuItem* MenuItemConfiguration;
    TMenuItem* N2;
    TMenuItem* MenuItemStartApplication;
    TMenuItem* MenuItemStopApplication;
    TMenuItem* Ping1;
    TMenuItem* N1;
    TMenuItem* MenuItemCloseApplication;

    // Actions ------------------------------------------------------------------------------------------------
    TActionList* MainActionList;
    TAction* ActionPassword;
    TAction* ActionConfiguration;
    TAction* ActionHideWindow;
    TAction* ActionStart;
    TAction* ActionStop;
    TAction* ActionExit;
    TAction* ActionPing;
    TImageList* MainImageList;

    TToolBar* MainToolBar;
    TToolButton* ButtonHideWindow;
    TPageControl* MainPageControl;
    TTabSheet* PageCommunication;
    TTabSheet* PageApplication;
    TTabSheet* PageMouseAndKeyboard;
    TTabSheet* PagePassword;
    TTabSheet* PageStatistic;
    TTabSheet* PageVersion;

    // "Communication Settings" ---------------------------------------------------------------------------------
    TZCLDockSpeedButton* BtnPort;
    TZCLComboBox* Port;
    TZCLComboBox* BaudRate;
    TZCLComboBox* Parity;
    TZCLComboBox* DataBits;
    TZCLComboBox* StopBits;
    TZCLComboBox* Protocol;
    TZCLComboBox* Priority;
    TButton* BtnCommDefault;
    TCheckBox* BeepAfterSend;
    TZCLExtSpinEdit* DelayAfterSend;
    TCheckBox* CheckBoxAsyncMode;
    TZCLExtSpinEdit* EditAsyncDiff;

    // "Application" --------------------------------------------------------------------------------------------
    TZCLFileOpenEdit* ApplicationName;
    TButton* BtnTaskList;
    TRadioButton* BtnDesktop;
    TRadioButton* BtnApplication;
    TGroupBox* GroupDesktop;
    TRadioButton* BtnDesktop640x480;
    TRadioButton* BtnDesktop800x600;
    TRadioButton* BtnDesktop1024x768;
    TCheckBox* BtnAutoStart;
    TCheckBox* BtnObservePalette;

    // "Mouse & Keyboard" ---------------------------------------------------------------------------------------
    TCheckBox* CheckBoxKeyboardEnabled;
    TCheckBox* CheckBoxUserDefinedKeyboardMapping;
    TCheckBox* CheckBoxEnableLetterInput;
    TCheckBox* CheckBoxTransferMouseToPc;
    TCheckBox* CheckBoxTransferMouseToTerminal;
    TButton* BtnDefineKeyboard;
    TZCLExtSpinEdit* EditLetterBrowseTime;
    TZCLExtSpinEdit* EditLetterBreakTime;
    TButton* BtnMouseAndKeyboardDefault;

    // "Password" -----------------------------------------------------------------------------------------------
    TCheckBox* CheckBoxEnablePassword;
    TZCLEdit* EditPassword1;
    TZCLEdit* EditPassword2;

    // "Statistic" ----------------------------------------------------------------------------------------------
    TChart* Chart1;
    TBarSeries* Series1;
    TBarSeries* Series2;
    TBarSeries* Series3;
    TRadioButton* RadioButtonSize;
    TRadioButton* RadioButtonTime;
    TRadioButton* RadioButtonDelay;

    // "Version": the program's, the system's and the machine's information, in four groups.
    std::vector<TZCLInformationLabel*> InformationLabels;
    std::vector<TZCLDrawEdge*> InformationEdges;

    // Settings -------------------------------------------------------------------------------------------------
    // Display and colour changes as events; the window's own OnShow runs behind its placement.
    TZCLForm* MainFormData;
    TZCLIniCtrl* Hardware;
    TZCLIniCtrl* Settings;
    // Asks for the password at login.
    TZCLInputDlg* InputDlg;

    // Handlers -------------------------------------------------------------------------------------------------
    void FormCreate(TObject* Sender);
    void FormShow(TObject* Sender);
    void ActionHideWindowExecute(TObject* Sender);
    void ActionConfigurationExecute(TObject* Sender);
    void BtnCommDefaultClick(TObject* Sender);
    void BtnPortClick(TObject* Sender);
    void PortChange(TObject* Sender);
    void BtnMouseAndKeyboardDefaultClick(TObject* Sender);
    void CheckBoxKeyboardEnabledClick(TObject* Sender);
    void CheckBoxUserDefinedKeyboardMappingClick(TObject* Sender);
    void CheckBoxEnableLetterInputClick(TObject* Sender);
    void CheckBoxAsyncModeClick(TObject* Sender);
    void MainPageControlChange(TObject* Sender);
    void BtnDefineKeyboardClick(TObject* Sender);
    void BtnTaskListClick(TObject* Sender);
    void ActionPasswordExecute(TObject* Sender);
    void CheckBoxEnablePasswordClick(TObject* Sender);
    void EditPasswordChange(TObject* Sender);

    void ActionStartExecute(TObject* Sender);
    void ActionStopExecute(TObject* Sender);
    void ActionPingExecute(TObject* Sender);
    void ActionExitExecute(TObject* Sender);
    void PopupMenuPopup(TObject* Sender);
    void MainFormDataDisplayChange(TObject* Sender, WORD Width, WORD Height, WORD BitsPerPixel);
    void MainFormDataSysColorChange(TObject* Sender);
    void RadioButtonSizeClick(TObject* Sender);
    void RadioButtonTimeClick(TObject* Sender);
    void RadioButtonDelayClick(TObject* Sender);

    // Transfer control -----------------------------------------------------------------------------------------
    // False while another command runs; else the command runs and the icon has no menu until LeaveBusy.
    bool TryEnterBusy();
    void LeaveBusy();
    // Ends a running transfer or ping (asking the thread to stop when requestStop), puts its statistics into
    // the chart and deletes it; the process priority goes back to normal.
    void StopTransfer(bool requestStop);
    // A message box with no owner and the program's title: 0 warning, 1 error, 2 information, 3 question,
    // else no icon.
    void ShowMessageBox(int kind, const AnsiString& text);

    // The port whose key the settings use now (upper case).
    const AnsiString& PortName() const { return FPortName; }
    bool Busy() const { return FBusy; }
    bool AccessGranted() const { return FAccessGranted; }
    // A transfer (or ping) runs: both objects exist.
    bool TransferRunning();
    KvBitmapCaptureThread* CaptureThread() const { return FCaptureThread.get(); }

    // The limits a spin edit has now (the letter times follow the delay after each page change).
    TSpinEditLimits SpinLimits(const TZCLExtSpinEdit* edit) const;
    // The window's settings for the port: the base key, a backslash and the port.
    static AnsiString PortKey(const AnsiString& port);

protected:
    void WndProc(TMessage& message) override;

private:
    // Lets the tests set the login state that the password dialog will give.
    friend struct MainWindowTestAccess;

private:
    void BuildForm();
    void BuildMenuAndActions(TComponentLoader& loading);
    void BuildCommunicationPage(TComponentLoader& loading);
    void BuildApplicationPage(TComponentLoader& loading);
    void BuildMouseAndKeyboardPage(TComponentLoader& loading);
    void BuildPasswordPage(TComponentLoader& loading);
    void BuildStatisticPage(TComponentLoader& loading);
    void BuildVersionPage(TComponentLoader& loading);
    TZCLExtSpinEdit* SpinEditPlace(TComponentLoader& loading, const char* name, TWinControl* parent, int x, int y,
                                   int w, const TSpinEditLimits& limits);

    void SetSettingsPort(const AnsiString& port);
    void FillPortList();
    void LoadLineSettings();
    // The line 115200 8N1 without flow control, 200 ms after a screen, no beep, high priority, no asynchronous mode.
    void SelectCommunicationDefaults();
    void LoadLetterTimeLimits();
    // Reads every value to be written, in the order of writing; false (with a message) when one is not valid.
    struct Value {
        const char* section;
        const char* name;
        AnsiString text;
    };
    bool CollectSettings(std::vector<Value>& values, AnsiString& port);
    bool SaveSettings();
    // The login state that a saved password setting gives: logged in, "Logout" offered while a password is set.
    void SetSavedLoginState(bool password);
    void SetTrayMenu(TPopupMenu* menu);
    void SetTrayHint(const AnsiString& hint);
    // Opens the link and starts the capture thread (ping or transfer); true when it runs.
    bool BeginTransfer(bool ping);
    void SetTransferPriority();
    void ShowSeries(TChartSeries* series);
    // A message of the capture thread, shown while that thread waits for it.
    void ShowThreadMessage(int kind, const AnsiString& text);
    // The stop or restart asked for while a message of the capture thread was up.
    void RunDeferredCommands();

    std::unique_ptr<TMultiReadExclusiveWriteSynchronizer> FLock;
    std::unique_ptr<KvBitmapCaptureThread> FCaptureThread;
    std::unique_ptr<KvSerialIO> FSerialIO;
    AnsiString FPortName;
    bool FAccessGranted = false;
    bool FBusy = false;
    // The thread was started (its statistics are worth showing).
    bool FThreadStarted = false;
    // Posted to the window to run a deferred stop or restart from its message loop.
    static constexpr UINT DeferredCommandMessage = WM_APP + 0x101;
    // Messages of the capture thread being shown now: that thread waits for them, so nothing may wait for it.
    int FThreadMessages = 0;
    bool FDeferredStop = false;
    bool FDeferredRestart = false;

    struct SpinEdit {
        TZCLExtSpinEdit* edit;
        TSpinEditLimits limits;
    };
    std::vector<SpinEdit> spinEdits_;
    void ApplySpinLimits(TZCLExtSpinEdit* edit, const TSpinEditLimits& limits);
};

// Makes the capture thread of a transfer (suspended, on the given link); empty: the program's own. For tests
// that need a screen no display here has.
using TCaptureThreadMaker = std::function<std::unique_ptr<KvBitmapCaptureThread>(KvSerialIO* link)>;
void SetCaptureThreadMaker(TCaptureThreadMaker maker);

// The one main window of the program.
extern TMainWindow* MainWindow;
