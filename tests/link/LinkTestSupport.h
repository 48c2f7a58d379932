#pragma once
// What the link object's tests share: a link whose preparation and receiver can be driven without a port,
// an injector that records input instead of sending it, and a settings store at a per-test registry key.

#include <windows.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "framework/runtime/Registry.h"
#include "link/Serial.h"
#include "support/Wait.h"
#include "zcl/core/Zclinictrl.h"

namespace linktest {

inline std::string KeyName(BYTE key)
{
    switch (key) {
    case VK_SHIFT: return "Shift";
    case VK_CONTROL: return "Ctrl";
    case VK_MENU: return "Alt";
    case VK_BACK: return "Back";
    case VK_DECIMAL: return "Decimal";
    case VK_ADD: return "Add";
    case VK_DIVIDE: return "Divide";
    case VK_MULTIPLY: return "Multiply";
    case VK_SUBTRACT: return "Subtract";
    case VK_UP: return "Up";
    case VK_RETURN: return "Enter";
    case ' ': return "Space";
    default: break;
    }
    if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, char(key));
    char text[8];
    snprintf(text, sizeof text, "0x%02X", key);
    return text;
}

using Events = std::vector<std::string>;

// Keys as "+F1" / "-F1"; mouse events as "move 100,200", "ldown 100,200", "rup", ... (no position when the
// event carries no move). Keys it saw go down read as down, as the system's would.
class RecordingInput : public KvInputInjector {
public:
    void KeyEvent(BYTE key, BYTE scanCode, DWORD flags) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool up = flags & KEYEVENTF_KEYUP;
        events_.push_back((up ? "-" : "+") + KeyName(key));
        if (scanCode != BYTE(MapVirtualKeyA(key, 0)) || (flags & ~DWORD(KEYEVENTF_KEYUP))) bad_.push_back(events_.back());
        if (up)
            down_.erase(key);
        else
            down_.insert(key);
    }
    SHORT AsyncKeyState(int key) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return down_.count(key) ? SHORT(0x8000) : SHORT(0);
    }
    void MouseEvent(DWORD flags, DWORD dx, DWORD dy) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::string name;
        if (flags & MOUSEEVENTF_RIGHTDOWN) name = "rdown";
        else if (flags & MOUSEEVENTF_RIGHTUP) name = "rup";
        else if (flags & MOUSEEVENTF_LEFTDOWN) name = "ldown";
        else if (flags & MOUSEEVENTF_LEFTUP) name = "lup";
        else name = "move";
        if (flags & MOUSEEVENTF_RIGHTDOWN) buttons_.insert("right");
        if (flags & MOUSEEVENTF_RIGHTUP) buttons_.erase("right");
        if (flags & MOUSEEVENTF_LEFTDOWN) buttons_.insert("left");
        if (flags & MOUSEEVENTF_LEFTUP) buttons_.erase("left");
        const DWORD moveTo = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
        if ((flags & moveTo) == moveTo) name += " " + std::to_string(dx) + "," + std::to_string(dy);
        else if (flags & moveTo) name += " (partial move flags)";
        events_.push_back(name);
    }
    DWORD TickCount() override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return now_;
    }

    void SetNow(DWORD ms)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        now_ = ms;
    }
    Events Take()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Events e;
        e.swap(events_);
        return e;
    }
    Events Bad()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return bad_;
    }
    // What these events leave down, as Windows would hold it: keys by name, then "left" and "right".
    Events Held()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        Events held;
        for (int key : down_) held.push_back(KeyName(BYTE(key)));
        held.insert(held.end(), buttons_.begin(), buttons_.end());
        return held;
    }

private:
    std::mutex mutex_;
    Events events_;
    Events bad_;  // a scan code not the system's own, or flags other than KEYEVENTF_KEYUP
    std::set<int> down_;
    std::set<std::string> buttons_;
    DWORD now_ = 100000;
};

// A link whose open can be prepared without a port and whose receiver is fed as the engine feeds it.
class TestLink : public KvSerialIO {
public:
    using KvSerialIO::PrepareConnection;
    using KvSerialIO::SetCloseWaitMs;
    using KvSerialIO::screenHeight_;
    using KvSerialIO::screenWidth_;
    using KvSerialIO::settings_;

    ~TestLink() override { CloseConnection(); }

    DWORD ReadRequestSize() const { return readRequestSize_; }

    // Bytes as the reader hands them over: each read exactly as large as the receiver asked. What is left
    // of an unfinished read stays unsent.
    void Feed(const std::string& bytes)
    {
        size_t pos = 0;
        while (pos < bytes.size()) {
            const size_t want = ReadRequestSize();
            if (bytes.size() - pos < want) {
                rest_ = bytes.substr(pos);
                return;
            }
            OnReceive(KvReadComplete, reinterpret_cast<const BYTE*>(bytes.data() + pos), DWORD(want));
            pos += want;
        }
        rest_.clear();
    }
    // The read time-out: whatever of the last read had come.
    void TimeOut()
    {
        OnReceive(KvReadShort, reinterpret_cast<const BYTE*>(rest_.data()), DWORD(rest_.size()));
        rest_.clear();
    }

    void OnError(const char* text) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        errors_.push_back(text);
    }
    std::vector<std::string> Errors()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return errors_;
    }

private:
    std::string rest_;
    std::mutex mutex_;
    std::vector<std::string> errors_;
};

// The one kernel event, as the capture thread sees it.
class NextTransferEvent {
public:
    NextTransferEvent() : event_(nullptr, true, false, KvEventNextTransferName) { event_.ResetEvent(); }
    bool IsSet() { return WaitForSingleObject(event_.Handle(), 0) == WAIT_OBJECT_0; }
    void Reset() { event_.ResetEvent(); }
    bool Wait(DWORD ms) { return WaitForSingleObject(event_.Handle(), ms) == WAIT_OBJECT_0; }

private:
    TEvent event_;
};

// The link's settings store for one test, at its own key under HKCU; gone again afterwards.
class LinkSettings {
public:
    explicit LinkSettings(const std::string& name) : path_("Software\\DravikTest\\LinkObject\\" + name)
    {
        Erase();
        store_ = std::make_unique<TZCLIniCtrl>(nullptr);
        store_->SetRegRoot(rpCurrentUser);
        store_->SetRegPath(path_.c_str());
        KvSerialIO::SetSettings(store_.get());
    }
    ~LinkSettings()
    {
        KvSerialIO::SetSettings(nullptr);
        store_.reset();
        Erase();
    }
    void Set(const char* section, const char* name, const char* value) { store_->WriteString(section, name, value); }
    // A port pair end with a raw line.
    void SetLine(const char* port, const char* parameter = "baud=115200 parity=N data=8 stop=1 protocol=N")
    {
        Set("Communication", "Port", port);
        Set("Communication", "Parameter", parameter);
    }
    TZCLIniCtrl& Store() { return *store_; }

private:
    void Erase()
    {
        TRegistry reg;
        reg.SetRootKey(HKEY_CURRENT_USER);
        reg.DeleteKey(("\\" + path_).c_str());
    }

    std::string path_;
    std::unique_ptr<TZCLIniCtrl> store_;
};

inline std::string Hex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return bytes;
}

}  // namespace linktest
