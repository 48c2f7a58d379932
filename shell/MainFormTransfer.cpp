// Transfer control of the main window: start, stop and ping, the guard against two commands at once, the tray
// menu's states, the restart on display changes, the window's message box and the statistics chart.

#include "shell/MainForm.h"

#include "framework/runtime/Exceptions.h"
#include "link/SerialIO.h"
#include "mirror/BitmapCapture.h"

namespace {

const char* const OpenFailedText = "Not able to open the serial port!";

TCaptureThreadMaker& CaptureThreadMaker()
{
    static TCaptureThreadMaker maker;
    return maker;
}

DWORD PriorityClassOf(int setting)
{
    switch (setting) {
    case 0: return IDLE_PRIORITY_CLASS;
    case 1: return NORMAL_PRIORITY_CLASS;
    case 3: return REALTIME_PRIORITY_CLASS;
    default: return HIGH_PRIORITY_CLASS;
    }
}

}  // namespace

void SetCaptureThreadMaker(TCaptureThreadMaker maker) { CaptureThreadMaker() = std::move(maker); }

void TMainWindow::ShowThreadMessage(int kind, const AnsiString& text)
{
    // The capture thread waits for this call to return, and the box's own message loop serves the display
    // changes and the tray menu: a stop or restart asked for meanwhile waits until the call is over.
    struct Showing {
        int& count;
        explicit Showing(int& c) : count(c) { ++count; }
        ~Showing() { --count; }
    } showing(FThreadMessages);
    ShowMessageBox(kind, text);
    if (FThreadMessages == 1 && (FDeferredStop || FDeferredRestart) && HandleAllocated())
        PostMessageA(Handle(), DeferredCommandMessage, 0, 0);
}

void TMainWindow::RunDeferredCommands()
{
    const bool stop = FDeferredStop;
    const bool restart = FDeferredRestart;
    FDeferredStop = false;
    FDeferredRestart = false;
    // A stop asked for wins over a restart.
    if (stop)
        ActionStopExecute(this);
    else if (restart)
        MainFormDataDisplayChange(this, 0, 0, 0);
}

void TMainWindow::ShowMessageBox(int kind, const AnsiString& text)
{
    UINT flags = MB_OK | MB_SETFOREGROUND;
    switch (kind) {
    case 0: flags |= MB_ICONWARNING; break;
    case 1: flags |= MB_ICONERROR; break;
    case 2: flags |= MB_ICONINFORMATION; break;
    case 3: flags |= MB_ICONQUESTION; break;
    default: break;
    }
    if (const TMessageBoxHook hook = Application->MessageBoxHook()) {
        hook(text, Application->Title(), flags);
        return;
    }
    MessageBoxA(nullptr, text.c_str(), Application->Title().c_str(), flags);
}

bool TMainWindow::TryEnterBusy()
{
    if (FBusy) return false;
    FBusy = true;
    SetTrayMenu(nullptr);
    return true;
}

void TMainWindow::LeaveBusy()
{
    FBusy = false;
    SetTrayMenu(PopupMenu);
}

bool TMainWindow::TransferRunning()
{
    ScopedReadLock lock(*FLock);
    return FCaptureThread && FSerialIO;
}

void TMainWindow::SetTransferPriority()
{
    const int setting = StrToIntDef(Settings->ReadString("Communication", "Priority", ""), 2);
    SetPriorityClass(GetCurrentProcess(), PriorityClassOf(setting));
}

bool TMainWindow::BeginTransfer(bool ping)
{
    StopTransfer(true);
    {
        ScopedWriteLock lock(*FLock);
        try {
            FSerialIO = std::make_unique<KvSerialIO>();
            if (CaptureThreadMaker())
                FCaptureThread = CaptureThreadMaker()(FSerialIO.get());
            else
                FCaptureThread = std::make_unique<KvBitmapCaptureThread>(true, FSerialIO.get());
            if (!FCaptureThread) throw Exception("No capture thread");
        } catch (...) {
            FCaptureThread.reset();
            FSerialIO.reset();
        }
        FThreadStarted = false;
    }
    ScopedReadLock lock(*FLock);
    if (!FCaptureThread || !FSerialIO) return false;
    try {
        if (!FSerialIO->OpenConnection()) return false;
        SetTransferPriority();
        if (ping)
            FCaptureThread->Ping();
        else
            FCaptureThread->Start();
        FThreadStarted = true;
    } catch (...) {
        return false;
    }
    return true;
}

void TMainWindow::ActionStartExecute(TObject*)
{
    if (!TryEnterBusy()) return;
    if (!BeginTransfer(false)) {
        ShowMessageBox(1, OpenFailedText);
        StopTransfer(true);
    }
    LeaveBusy();
}

void TMainWindow::ActionPingExecute(TObject*)
{
    if (!TryEnterBusy()) return;
    if (BeginTransfer(true)) {
        // The thread makes its one handshake, shows what came of it and ends by itself.
        StopTransfer(false);
    } else {
        ShowMessageBox(1, OpenFailedText);
        StopTransfer(true);
    }
    LeaveBusy();
}

void TMainWindow::StopTransfer(bool requestStop)
{
    {
        ScopedWriteLock lock(*FLock);
        if (FCaptureThread) {
            // A thread that never started has nothing to end, and no statistics to replace the chart's.
            if (FThreadStarted) {
                if (requestStop) FCaptureThread->Stop();
                FCaptureThread->WaitForEnd();
                FCaptureThread->FillSizeStatistics(Series1);
                FCaptureThread->FillPackTimeStatistics(Series2);
                FCaptureThread->FillAcknowledgeDelayStatistics(Series3);
                RadioButtonSize->SetChecked(true);
                ShowSeries(Series1);
            }
            FCaptureThread.reset();
            FThreadStarted = false;
        }
        FSerialIO.reset();
    }
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
}

void TMainWindow::ActionStopExecute(TObject*)
{
    // The capture thread waits for its message on this thread's stack: it cannot be waited for now.
    if (FThreadMessages > 0 && !FBusy) {
        FDeferredStop = true;
        return;
    }
    if (!TryEnterBusy()) return;
    StopTransfer(true);
    LeaveBusy();
}

void TMainWindow::ActionExitExecute(TObject*)
{
    if (!TryEnterBusy()) return;
    Close();
    LeaveBusy();
}

void TMainWindow::PopupMenuPopup(TObject*)
{
    ScopedReadLock lock(*FLock);
    const bool visible = Visible();
    const bool running = FCaptureThread && FSerialIO;
    const bool access = FAccessGranted;
    const bool idle = access && !visible && !running && !FBusy;
    ActionConfiguration->SetEnabled(idle);
    ActionStart->SetEnabled(idle);
    ActionPing->SetEnabled(idle);
    ActionStop->SetEnabled(access && !visible && running && !FBusy);
    ActionExit->SetEnabled(access && !running && !FBusy);
}

void TMainWindow::MainFormDataDisplayChange(TObject*, WORD, WORD, WORD)
{
    // A command in progress (its wait may be serving this message) is left alone.
    if (FBusy) return;
    bool running;
    {
        ScopedReadLock lock(*FLock);
        running = FCaptureThread && FSerialIO;
    }
    if (!running) return;
    if (FThreadMessages > 0) {
        FDeferredRestart = true;
        return;
    }
    ActionStopExecute(this);
    ActionStartExecute(this);
}

void TMainWindow::MainFormDataSysColorChange(TObject* Sender) { MainFormDataDisplayChange(Sender, 0, 0, 0); }

void TMainWindow::ShowSeries(TChartSeries* series)
{
    Chart1->UndoZoom();
    for (TChartSeries* s : {static_cast<TChartSeries*>(Series1), static_cast<TChartSeries*>(Series2),
                            static_cast<TChartSeries*>(Series3)})
        s->SetActive(s == series);
}

void TMainWindow::RadioButtonSizeClick(TObject*) { ShowSeries(Series1); }
void TMainWindow::RadioButtonTimeClick(TObject*) { ShowSeries(Series2); }
void TMainWindow::RadioButtonDelayClick(TObject*) { ShowSeries(Series3); }

void TMainWindow::SetTrayMenu(TPopupMenu* menu) { TrayIcon->SetPopUpMenu(menu); }
void TMainWindow::SetTrayHint(const AnsiString& hint) { TrayIcon->SetHint(hint); }
