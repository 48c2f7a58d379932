#pragma once
// The link object of a transfer: the serial port engine in stream mode, the receiver of the terminal's
// frames, the reply state the capture thread reads, and the terminal's keys and pointer played into Windows.

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

#include "framework/runtime/SyncObjs.h"
#include "link/Injection.h"
#include "link/Keymap.h"
#include "link/SerialPort.h"
#include "link/TransferSettings.h"

class TZCLIniCtrl;

// Terminal-to-PC commands.
enum : BYTE {
    KvTerminalAck0 = 0x00,
    KvTerminalAck1 = 0x01,
    KvTerminalAck2 = 0x02,
    KvTerminalStatus = 0x03,
    KvTerminalTransferNo = 0x04,
    KvTerminalPointer = 0x10,
    KvTerminalKeys = 0x11,
};
inline constexpr BYTE KvTerminalStartByte = 0x02;
inline constexpr const char* KvEventNextTransferName = "KvEventNextTransfer";

// Threads: the owner (open and delete on the main thread; close on the capture thread, or on a link thread
// after a fatal error), the reader thread (the receiver, the injection and the replies it stores) and the
// capture thread (the replies it takes, the sent numbers, the target window, the cursor). Lock order: the input
// lock before the reply lock (see SerialPort.h for the engine's).
class KvSerialIO : public KvSerialPort {
public:
    KvSerialIO();
    ~KvSerialIO() override;

    // The settings store the link reads at open (the main window's, already rooted at the port's key). Not
    // owned; without one every setting takes its default and the open fails for want of a port.
    static void SetSettings(TZCLIniCtrl* settings);
    static TZCLIniCtrl* Settings();

    // Main thread. Once the threads of an earlier connection have ended, reads the settings and the key map and
    // opens the port.
    bool OpenConnection() override;
    // Releases every terminal key and pointer button still down, then closes the port and wakes the
    // capture thread. After a close that timed out the release waits for the link threads' end.
    bool CloseConnection() override;
    bool LoadSettings() override;
    BYTE OnReceive(BYTE kind, const BYTE* buffer, DWORD count) override;

    // The settings read at the last open. Written by the owner before the link threads run, read-only while
    // they do.
    const KvTransferSettings& TransferSettings() const { return settings_; }
    // The event "KvEventNextTransfer" (manual reset): the link sets it when the terminal answers, reports a
    // transfer number within the send window, or the link closes; the capture thread resets it and waits on it.
    TEvent& NextTransferEvent() { return nextTransfer_; }

    // Reply state, shared with the capture thread.
    void SetAcknowledge(BYTE value);
    BYTE TakeAcknowledge();  // 0xFF: none
    void SetStatusReply(BYTE value);
    BYTE TakeStatusReply();  // 0: none
    // A status reply of 0 reads as none above: these tell whether one was stored since the last take.
    bool StatusReplyReceived();
    bool TakeStatusReply(BYTE& value);
    void SetReceivedTransferNo(BYTE n);
    BYTE GetReceivedTransferNo();
    void SetSentTransferNo(BYTE n);
    BYTE GetSentTransferNo();
    // Sets the event when the frames sent since the terminal's last report fit the send window. Always true.
    bool CheckTransferWindow();
    void SetTargetWindow(HWND window);
    // Null when there is none, it is hidden or minimised; a handle that is no longer a window is forgotten.
    HWND GetTargetWindow();
    // The cursor in terminal coordinates when it moved by more than one terminal pixel since last time.
    bool GetCursorUpdate(POINT& point);

    // Injection, on the reader thread.
    bool HandleKeyBitmap(const BYTE* data, DWORD length);
    bool InjectKey(WORD key, bool pressed);
    bool HandleLetterInput(bool breakTap);
    bool HandleMouse(int x, int y, BYTE buttons);
    void ActivateTargetWindow();

    // Not owned; null puts the system's calls back. Set while the link is closed.
    void SetInputInjector(KvInputInjector* injector) { injector_ = injector ? injector : &KvSystemInputInjector(); }
    const KvKeyMap& KeyMap() const { return keyMap_; }

protected:
    // Everything an open does before the port itself opens: state reset, screen size, settings, key map.
    bool PrepareConnection();

    // Owner, before the link threads run; read-only while they do.
    KvTransferSettings settings_;
    int screenWidth_ = 0;
    int screenHeight_ = 0;

private:
    // How a key's press went, so that its release goes the same way.
    enum class Press : BYTE {
        None,
        Event,     // sent to Windows: its key-up is owed
        Mapped,    // a key-map list played for it
        Nothing,   // neither (a soft key, a key without a scan code)
        Consumed,  // taken by letter input
    };
    enum class Sent { Nothing, Mapped, Event };

    void ResetState();
    void Parse(bool timedOut);
    void Dispatch(BYTE command, const BYTE* data, DWORD length);
    void CheckLetterTimeout();
    Sent SendKey(WORD key, bool pressed);
    void ReleaseKey(WORD key, Press press);
    // Lets go of what the terminal holds and takes no more input; only once the link threads have ended, or
    // on a link thread (which holds the input lock against the other).
    void FinishInput();
    void ReleaseHeld();

    // The reply lock.
    TMultiReadExclusiveWriteSynchronizer lock_;
    TEvent nextTransfer_;

    // Receiver, reader thread only (reset by the owner before the threads run): the bytes of the frame being
    // read (after its start byte).
    BYTE receiveState_ = 0;  // 0 start byte, 1 command, 2 length, 3 body
    BYTE command_ = 0;
    std::vector<BYTE> pending_;
    std::vector<BYTE> work_;

    // Under the reply lock: the pointer buttons down (the reader thread's pointer handler, the close).
    WORD buttons_ = 0;

    // Under the input lock: the terminal's keys as last reported and how each press went, the modifier and
    // letter state, the key map (loaded by the owner before the threads run).
    std::array<WORD, 4> keys_{};
    std::array<std::array<Press, 16>, 4> pressed_{};
    KvKeyMap keyMap_;
    bool shiftHeld_ = false;
    bool altHeld_ = false;
    bool shiftSentDown_ = false;  // Windows has our Shift down (not only a key-map list played for it)
    DWORD lastLetterTime_ = 0;
    int tapIndex_ = 0;
    BYTE lastDigit_ = 0;
    bool upperCase_ = false;

    // Under the reply lock: written by the reader thread (replies, reports) and the capture thread (takes,
    // sent numbers, target window, cursor).
    BYTE receivedTransferNo_ = 0;
    BYTE sentTransferNo_ = 0;
    int unreported_ = 0;  // frames sent since the terminal's last report
    int sendWindow_ = 0;
    BYTE statusReply_ = 0;
    bool statusReceived_ = false;
    BYTE acknowledge_ = 0xFF;
    int lastCursorX_ = -1;
    int lastCursorY_ = -1;
    HWND targetWindow_ = nullptr;

    // The reader thread's injection and the close-time release take turns; after close nothing is injected.
    TCriticalSection inputLock_;
    bool inputOpen_ = false;  // under the input lock
    KvInputInjector* injector_;
};
