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

class KvSerialIO : public KvSerialPort {
public:
    KvSerialIO();
    ~KvSerialIO() override;

    // The settings store the link reads at open (the main window's, already rooted at the port's key). Not
    // owned; without one every setting takes its default and the open fails for want of a port.
    static void SetSettings(TZCLIniCtrl* settings);
    static TZCLIniCtrl* Settings();

    bool OpenConnection() override;
    // Releases every terminal key and pointer button still down, then closes the port and wakes the
    // capture thread.
    bool CloseConnection() override;
    bool LoadSettings() override;
    BYTE OnReceive(BYTE kind, const BYTE* buffer, DWORD count) override;

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
    // Sets the event when the frames not yet reported are within the send window. Always true.
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

    // Not owned; null puts the system's calls back.
    void SetInputInjector(KvInputInjector* injector) { injector_ = injector ? injector : &KvSystemInputInjector(); }
    const KvKeyMap& KeyMap() const { return keyMap_; }

protected:
    // Everything an open does before the port itself opens: state reset, screen size, settings, key map.
    bool PrepareConnection();

    // Settings as read at open.
    bool keyboardEnabled_ = true;
    bool userDefinedMapping_ = false;
    bool transferMouse_ = true;
    int asyncDiff_ = 0;
    bool letterInputEnabled_ = true;
    DWORD letterBrowseTime_ = 600;
    DWORD letterBreakTime_ = 1000;
    int areaWidth_ = 0;  // 0: no scaling
    int areaHeight_ = 0;
    bool applicationMode_ = false;
    int screenWidth_ = 0;
    int screenHeight_ = 0;

private:
    // How a press went: through the key path (its release goes there too) or taken by letter input.
    enum class Press : BYTE { None, Injected, Consumed };
    enum class Sent { Nothing, Mapped, Event };

    void ResetState();
    void ReadSettings();
    void Parse(bool timedOut);
    void Dispatch(BYTE command, const BYTE* data, DWORD length);
    void CheckLetterTimeout();
    Sent SendKey(WORD key, bool pressed);
    void ChangeKey(int word, int bit, WORD key, bool pressed);
    void ReleaseHeld();

    TMultiReadExclusiveWriteSynchronizer lock_;
    TEvent nextTransfer_;

    // Receiver: the bytes of the frame being read (after its start byte).
    BYTE receiveState_ = 0;  // 0 start byte, 1 command, 2 length, 3 body
    BYTE command_ = 0;
    std::vector<BYTE> pending_;
    std::vector<BYTE> work_;

    WORD buttons_ = 0;
    std::array<WORD, 4> keys_{};
    std::array<std::array<Press, 16>, 4> pressed_{};
    KvKeyMap keyMap_;

    BYTE receivedTransferNo_ = 0;
    BYTE sentTransferNo_ = 0;
    int sendWindow_ = 0;
    BYTE statusReply_ = 0;
    bool statusReceived_ = false;
    BYTE acknowledge_ = 0xFF;
    int lastCursorX_ = -1;
    int lastCursorY_ = -1;
    HWND targetWindow_ = nullptr;

    bool shiftHeld_ = false;
    bool altHeld_ = false;
    bool shiftSentDown_ = false;  // Windows has our Shift down (not only a key-map list played for it)
    DWORD lastLetterTime_ = 0;
    int tapIndex_ = 0;
    BYTE lastDigit_ = 0;
    bool upperCase_ = false;

    // The reader thread's injection and the close-time release take turns; after close nothing is injected.
    TCriticalSection inputLock_;
    bool inputOpen_ = false;
    KvInputInjector* injector_;
};
