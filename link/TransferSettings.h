#pragma once
// The settings of one transfer, for the link object and the capture thread alike: read from the settings store
// in one place, when the link opens, so both work with the same values.

#include <windows.h>

#include "framework/runtime/AnsiString.h"

class TZCLIniCtrl;

// The desktop area of a "Desktop" setting: 800 x 600 or 1024 x 768, or 0 x 0 for the terminal's own 640 x 480
// (the default, and any other text).
SIZE KvDesktopSize(const AnsiString& setting);

struct KvTransferSettings {
    // The link: keys and pointer.
    bool keyboardEnabled = true;
    bool userDefinedMapping = false;
    bool transferMouseToPc = true;
    int asyncDiff = 0;  // 0 to 255
    bool letterInputEnabled = true;
    DWORD letterBrowseTime = 600;  // ms, at least 50
    DWORD letterBreakTime = 1000;  // ms, at least 50
    AnsiString port;
    AnsiString parameter;

    // The capture thread.
    int delayAfterSend = 200;  // ms
    bool beepAfterSend = false;
    bool transferMouseToTerminal = true;
    AnsiString applicationName;  // read in application mode only
    bool observePalette = false;

    // Both.
    SIZE desktopArea{0, 0};  // as KvDesktopSize gives it
    bool applicationMode = false;
};

// Every setting of a transfer from the store (rooted at the port's key); the defaults without one.
KvTransferSettings KvReadTransferSettings(TZCLIniCtrl* store);
