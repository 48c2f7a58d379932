#pragma once
// The library's one application-wide object, ZCLApplication, with the timer pool that drives every timed
// behaviour of the controls from one Windows timer, and the small procedures every component unit shares.

#include <windows.h>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/runtime/Classes.h"
#include "framework/visual/Controls.h"
#include "framework/runtime/Exceptions.h"
#include "framework/visual/Graphics.h"
#include "framework/runtime/Handles.h"
#include "framework/runtime/Types.h"
#include "zcl/core/Zclbase.h"
#include "zcl/core/Zclcustomcomponent.h"

class TZCLIniCtrl;

// ---------------------------------------------------------------------------------------------------------------
// Timer pool

using TZCLTimerInterval = std::uint16_t;
// Sender is the pool; Id the item's id; Count the item's call number.
using TZCLTimerPoolEvent = Closure<void(TObject* Sender, std::uint16_t Id, std::int32_t Count)>;

class TZCLTimerPool;
class TZCLTimerItem;
using TZCLTimerItemList = std::vector<std::unique_ptr<TZCLTimerItem>>;

// One timed client of the pool. It fires on every n-th tick of the pool, n = Interval / the pool's MinInterval.
class TZCLTimerItem : public TObject {
public:
    // Enabled, unlimited, 1000 ms. Raises EInvalidOperation "<class>: Invalid Owner or List" without either.
    TZCLTimerItem(TZCLTimerPool* Pool, TZCLTimerItemList* List, std::uint16_t Id);

    // -1 is unlimited; below -1 becomes -1; 0 disables the item.
    std::int32_t CallCount() const { return callCount_; }
    void SetCallCount(std::int32_t Value);
    std::int32_t CallsMade() const { return callsMade_; }
    // Enabling an item whose call count is 0 is refused; a change restarts the calls made.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value);
    std::uint16_t Id() const { return id_; }
    // Unchanged values and values that are not a multiple of the pool's MinInterval are ignored; 0 means
    // MinInterval. Restarts the calls made.
    TZCLTimerInterval Interval() const { return interval_; }
    void SetInterval(TZCLTimerInterval Value);
    std::int32_t TicksPerCall() const { return ticksPerCall_; }
    TZCLTimerPool* Pool() const { return pool_; }

    // Receives the pool as sender.
    TNotifyEvent OnTimer() const { return handler_; }
    void SetOnTimer(TNotifyEvent value) { handler_ = value; }

    // One call of an enabled item: counts it, disables the item at its call count, then runs the handler (or
    // the pool's OnTimer when the item has none).
    void Timer();

private:
    std::int32_t callCount_ = -1;
    std::int32_t callsMade_ = 0;
    bool enabled_ = true;
    std::uint16_t id_;
    TZCLTimerInterval interval_ = 1000;
    std::int32_t ticksPerCall_ = 1;
    TZCLTimerItemList* list_;
    TZCLTimerPool* pool_;
    TNotifyEvent handler_;
};

// Items on one Windows timer (id 1, period MinInterval) of a hidden window. The timer is started when an item is
// added while one is enabled and runs until the last item is removed.
class TZCLTimerPool : public TZCLCustomComponent {
public:
    // MinInterval 1000.
    explicit TZCLTimerPool(TComponent* AOwner);
    TZCLTimerPool(TComponent* AOwner, TZCLTimerInterval AMinInterval);
    ~TZCLTimerPool() override;

    // Adds an enabled, unlimited item and (re)starts the Windows timer; returns the item's list index. Raises
    // EListError for an id already there, EInvalidOperation for an interval that is not a multiple of
    // MinInterval, EOutOfResources when the Windows timer cannot be set; nothing is added then.
    int AddTimer(std::uint16_t Id, TZCLTimerInterval Interval, TNotifyEvent Handler);
    // As AddTimer, then sets the call count and the enabled state.
    int AddTimerExt(std::uint16_t Id, TZCLTimerInterval Interval, std::int32_t CallCount, bool Enabled,
                    TNotifyEvent Handler);
    // Frees the item; the Windows timer stops with the last one.
    void RemoveTimer(std::uint16_t Id);
    TZCLTimerItem* GetTimer(std::uint16_t Id) const;
    // -1 when absent.
    int IndexOf(std::uint16_t Id) const;
    int GetCount() const { return int(items_.size()); }
    TZCLTimerItem* Items(int Index) const;
    // The number of enabled items.
    int GetActiveTimers() const;
    void ClearTimers();
    bool HasTimerProc() const { return bool(onTimer_); }

    // One tick: every enabled item that is due, in list order; then the tick counter moves on.
    void HandleTimers();
    // Stops the Windows timer, and starts it again when Enable is set and an item is enabled; raises
    // EOutOfResources "Not enough timers available" when it cannot be set.
    void UpdateMainTimer(bool Enable);

    TZCLTimerInterval MinInterval() const { return minInterval_; }
    // Takes effect only while the pool is loading or being designed.
    void SetInterval(TZCLTimerInterval Value);
    bool MainTimerActive() const { return mainTimerActive_; }
    std::int32_t TickCounter() const { return tickCounter_; }
    // The hidden window, made on the first UpdateMainTimer; null before.
    HWND Handle() const { return window_.get(); }

    // Called for items without a handler of their own.
    TZCLTimerPoolEvent OnTimer() const { return onTimer_; }
    void SetOnTimer(TZCLTimerPoolEvent value) { onTimer_ = value; }

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Tick();
    void FreeItem(int Index);

    bool mainTimerActive_ = false;
    bool inTick_ = false;  // re-entry guard: a tick that arrives while one is handled is dropped
    WindowHandle window_;
    std::int32_t tickCounter_ = 0;
    TZCLTimerInterval minInterval_;
    TZCLTimerItemList items_;
    bool removing_ = false;
    TZCLTimerPoolEvent onTimer_;
};

// ---------------------------------------------------------------------------------------------------------------
// Application object

enum TZCLApplicationOption : std::uint8_t {
    aoAutoRealizePalette, aoMouseCtrlActive, aoLogAlwaysClear, aoLogException, aoLogHeader, aoLogNr, aoLogTime,
    aoLogDate
};
using TZCLApplicationOptions = TSet<TZCLApplicationOption, 8>;

// The keyboard state shared by every edit.
enum TZCLEditMode : std::uint8_t { emInsert, emShift, emCtrl, emAlt, emCaps, emNum, emScroll };
using TZCLEditModes = TSet<TZCLEditMode, 8>;

enum TZCLLogAction : std::uint8_t { laNone, laClearLog, laBackupLog };
enum TZCLExitCode : std::uint8_t { ecQuit, ecReboot, ecRestart };
// Components that can run either on this pool or on the high-resolution timer choose with this.
enum TZCLTimerMode : std::uint8_t { tmGlobalTimer, tmHiTimer, tmThreaded };

// Asked before the log action of an oversized log; Handled set means nothing is written.
using TZCLLogActionEvent = Closure<void(TObject* Sender, const AnsiString& LogName, bool& Handled)>;
// Adds lines to the log header.
using TZCLLogHeaderEvent = Closure<void(TObject* Sender, TStrings* Lines)>;
using TZCLExceptionEvent = Closure<void(TObject* Sender, Exception* E, bool& Handled)>;
// Stands in for ExitWindowsEx (flags) so that tests do not end the session. Null: the real call.
using TZCLExitWindowsHook = Closure<bool(UINT Flags)>;

// The screen cursor that the library's cursor resource 16548 becomes, when the program carries it.
constexpr TCursor crZCLCursor = -255;
constexpr int ZCLCursorResource = 16548;

// The first id AddTimer hands out is AppTimerIdBase + 1; the application has AppTimerSlots of them.
constexpr std::uint16_t AppTimerIdBase = 0xFD00;
constexpr int AppTimerSlots = 250;

class TZCLApplication : public TComponent {
public:
    explicit TZCLApplication(TComponent* AOwner);
    ~TZCLApplication() override;

    // Another instance of the program held the named mutex when this one started.
    bool AlreadyRunning() const { return alreadyRunning_; }

    // "Software\" [company\] title\ [suffix\]; the program's path stands for a blank title.
    AnsiString GetDefaultRegPath() const;
    const AnsiString& CompanyPart() const { return company_; }
    void SetCompanyPart(const AnsiString& value) { company_ = value; }
    const AnsiString& SuffixPart() const { return suffix_; }
    void SetSuffixPart(const AnsiString& value) { suffix_ = value; }

    TZCLApplicationOptions Options() const { return options_; }
    void SetOptions(TZCLApplicationOptions value) { options_ = value; }
    // An application-wide settings store.
    TZCLIniCtrl* IniCtrl() const { return iniCtrl_.get(); }

    TZCLEditModes EditMode() const { return editMode_; }
    // Stores a changed set and fires OnEditModeChange.
    void SetEditMode(TZCLEditModes value);
    TNotifyEvent OnEditModeChange() const { return onEditModeChange_; }
    void SetOnEditModeChange(TNotifyEvent value) { onEditModeChange_ = value; }
    std::uint8_t ExplodeDelay() const { return explodeDelay_; }
    void SetExplodeDelay(std::uint8_t value) { explodeDelay_ = value; }

    // Timer ids 64769 to 65018 on the pool; 0 when all 250 are taken or the pool refuses.
    std::uint16_t AddTimer(TZCLTimerInterval Interval, TNotifyEvent Handler);
    std::uint16_t AddTimerExt(TZCLTimerInterval Interval, std::int32_t CallCount, bool Enabled,
                              TNotifyEvent Handler);
    // Ids that are not the application's are ignored.
    void RemoveTimer(std::uint16_t Id);
    TZCLTimerItem* GetTimer(std::uint16_t Id) const;
    // The first free slot number 1 to 250, 0 when all are taken.
    std::uint16_t GetTimerIdent() const;
    TZCLTimerPool* TimerPool() const { return timerPool_.get(); }

    // OnException first; unless it handled the exception, logs it (aoLogException) and lets the framework
    // application show it.
    void HandleException(TObject* Sender, Exception* E);
    TZCLExceptionEvent OnException() const { return onException_; }
    void SetOnException(TZCLExceptionEvent value) { onException_ = value; }
    // Call inside a catch: writes the exception being handled to the log.
    void LogException(TObject* Sender);

    // A blank name is the program's path with ".LOG"; a name without extension gets ".LOG"; the file lies in
    // the log prefix's folder unless the prefix is ppFixed.
    const AnsiString& LogName() const { return logName_; }
    void SetLogName(const AnsiString& Name);
    TZCLPathPrefix LogPrefix() const { return logPrefix_; }
    void SetLogPrefix(TZCLPathPrefix value);
    // Above 100 bytes, a larger log gets the log action before the next write.
    std::int32_t LogMaxSize() const { return logMaxSize_; }
    void SetLogMaxSize(std::int32_t value) { logMaxSize_ = value; }
    TZCLLogAction LogAction() const { return logAction_; }
    void SetLogAction(TZCLLogAction value) { logAction_ = value; }
    std::int32_t LogEntryNumber() const { return logEntryNumber_; }
    TZCLLogActionEvent OnLogAction() const { return onLogAction_; }
    void SetOnLogAction(TZCLLogActionEvent value) { onLogAction_ = value; }
    TZCLLogHeaderEvent OnLogHeader() const { return onLogHeader_; }
    void SetOnLogHeader(TZCLLogHeaderEvent value) { onLogHeader_ = value; }
    // One entry, or one of the commands "#Header", "#Line" and "#CR". A log that cannot be opened drops it.
    void LogWrite(const AnsiString& Text);

    // Milliseconds of the tick count between STWStart and STWStop; 0 when it was not running.
    void STWStart();
    std::uint32_t STWStop();
    long double GetTimerFrequency() const { return static_cast<long double>(frequency_); }

    // 8 x 8, black on white in a checkerboard; made once.
    TBitmap* GetBitmap();
    // 8 x 8, Color on white in a checkerboard; remade when the colour changes.
    TBitmap* GetBrushBitmap(TColor Color);

    // ecRestart logs the user off; ecQuit shuts down and ecReboot reboots, both forced. On success the
    // framework application is told to terminate.
    bool QuitWindows(TZCLExitCode Code);
    void SetExitWindowsHook(TZCLExitWindowsHook value) { exitWindowsHook_ = value; }

    // The library's message-box component, while one exists.
    TComponent* MessageBoxComponent() const { return messageBox_; }
    void SetMessageBoxComponent(TComponent* value) { messageBox_ = value; }

private:
    void WriteLogHeader(std::vector<AnsiString>& lines);
    bool CallExitWindows(UINT flags);

    AnsiString company_;
    AnsiString suffix_;
    TZCLApplicationOptions options_{aoMouseCtrlActive, aoLogAlwaysClear, aoLogHeader, aoLogNr};
    std::unique_ptr<TZCLIniCtrl> iniCtrl_;
    TZCLEditModes editMode_{emInsert};
    TNotifyEvent onEditModeChange_;
    std::uint8_t explodeDelay_ = 3;
    std::unique_ptr<TBitmap> bitmap_;
    std::unique_ptr<TBitmap> brushBitmap_;
    TColor brushColor_ = clNone;
    std::unique_ptr<TZCLTimerPool> timerPool_;
    std::array<bool, AppTimerSlots> timerSlots_{};
    TZCLPathPrefix logPrefix_ = ppProgram;
    AnsiString logName_;
    std::int32_t logMaxSize_ = -1;
    bool logWritten_ = false;
    std::int32_t logEntryNumber_ = 0;
    TZCLLogAction logAction_ = laNone;
    TZCLLogActionEvent onLogAction_;
    TZCLLogHeaderEvent onLogHeader_;
    std::uint32_t stwStart_ = 0;
    std::uint32_t stwStop_ = 0;
    bool stwRunning_ = false;
    std::int64_t frequency_ = 0;
    TComponent* messageBox_ = nullptr;  // not owned
    KernelHandle mutex_;
    bool alreadyRunning_ = false;
    TZCLExceptionEvent onException_;
    TZCLExitWindowsHook exitWindowsHook_;
};

// The process's one application object, made during start-up before the program's entry and freed at its end.
// Used as a pointer: ZCLApplication->AddTimer(...).
class TZCLApplicationRef {
public:
    TZCLApplication* operator->() const { return Get(); }
    TZCLApplication& operator*() const { return *Get(); }
    operator TZCLApplication*() const { return Get(); }
    static TZCLApplication* Get();
};
extern const TZCLApplicationRef ZCLApplication;

// A period in milliseconds as the application's pool can run it: rounded up to the pool's steps and kept below
// the top of the 16-bit range, where it would wrap.
TZCLTimerInterval ZCLPoolInterval(unsigned Milliseconds);

// ---------------------------------------------------------------------------------------------------------------
// Shared procedures

// Raised by components of which a form may hold only one. Mode 0: a wrong owner or a second one on the form;
// mode 1: a second one in the project.
class ZCLEOneInstError : public Exception {
public:
    ZCLEOneInstError(const AnsiString& Text, int Mode);
};

// True when Owner is neither a form nor (with AllowDataModule) a data module, or when it holds more than one
// component of AClass; false for no class.
bool ZCLCheckForSameClass(TComponent* Owner, TClass AClass, bool AllowDataModule);
// Base without a leading "T" and with the first number from 1 on that no component of Owner carries.
AnsiString ZCLUniqueName(const AnsiString& Base, TComponent* Owner);
TPoint ZCLFaceIndex(int X, int Y);
// Makes the control create its window now; nothing without a control.
void ZCLCreateHandle(TWinControl* Control);
