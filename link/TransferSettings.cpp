#include "link/TransferSettings.h"

#include <algorithm>

#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclinictrl.h"

SIZE KvDesktopSize(const AnsiString& setting)
{
    if (setting == "800x600") return SIZE{800, 600};
    if (setting == "1024x768") return SIZE{1024, 768};
    return SIZE{0, 0};
}

KvTransferSettings KvReadTransferSettings(TZCLIniCtrl* store)
{
    KvTransferSettings s;
    if (!store) return s;
    auto text = [&](const char* section, const char* name, const char* fallback) {
        return store->ReadString(section, name, fallback);
    };
    auto flag = [&](const char* section, const char* name, bool fallback) {
        return store->ReadBool(section, name, fallback);
    };

    s.keyboardEnabled = flag("MouseAndKeyboard", "KeyboardEnabled", true);
    s.userDefinedMapping = flag("MouseAndKeyboard", "UserDefinedKeyboardMapping", false);
    s.transferMouseToPc = flag("MouseAndKeyboard", "TransferMouseToPc", true);
    // The transfer numbers are bytes: a window beyond 255 means nothing, a negative one never opens.
    s.asyncDiff = std::clamp(StrToIntDef(text("Communication", "AsyncDiff", ""), 0), 0, 255);
    s.letterInputEnabled = flag("MouseAndKeyboard", "EnableLetterInput", true);
    // The time-outs are compared less 50 ms in unsigned arithmetic: below 50 they would never fire.
    s.letterBrowseTime = DWORD(std::max(StrToIntDef(text("MouseAndKeyboard", "LetterBrowseTime", ""), 600), 50));
    s.letterBreakTime = DWORD(std::max(StrToIntDef(text("MouseAndKeyboard", "LetterBreakTime", ""), 1000), 50));
    s.desktopArea = KvDesktopSize(text("Application", "Desktop", "640x480"));
    s.applicationMode = text("Application", "Mode", "Desktop") == "Application";
    s.port = text("Communication", "Port", "");
    s.parameter = text("Communication", "Parameter", "");

    s.delayAfterSend = StrToIntDef(text("Communication", "DelayAfterSend", ""), 200);
    s.beepAfterSend = flag("Communication", "BeepAfterSend", false);
    s.transferMouseToTerminal = flag("MouseAndKeyboard", "TransferMouseToTerminal", true);
    if (s.applicationMode) s.applicationName = text("Application", "ApplicationName", "");
    s.observePalette = flag("Application", "ObservePalette", false);
    return s;
}
