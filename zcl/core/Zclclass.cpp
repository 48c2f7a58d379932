#include "zcl/core/Zclclass.h"

#include <exception>

#include "framework/visual/Controls.h"
#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "framework/runtime/SysUtils.h"
#include "zcl/core/Zclconst.h"
#include "zcl/core/Zclinictrl.h"
#include "zcl/core/Zclprocs.h"
#include "zcl/core/Zclstrings.h"
#include "zcl/core/Zclsysin.h"

// ---------------------------------------------------------------------------------------------------------------
// TZCLTimerItem

TZCLTimerItem::TZCLTimerItem(TZCLTimerPool* Pool, TZCLTimerItemList* List, std::uint16_t Id)
    : id_(Id), list_(List), pool_(Pool)
{
    if (!Pool || !List) throw EInvalidOperation(ClassName() + ": Invalid Owner or List");
    ticksPerCall_ = pool_->MinInterval() ? interval_ / pool_->MinInterval() : 1;
}

void TZCLTimerItem::SetCallCount(std::int32_t Value)
{
    callCount_ = Value < -1 ? -1 : Value;
    if (callCount_ == 0) SetEnabled(false);
}

void TZCLTimerItem::SetEnabled(bool Value)
{
    if (Value && callCount_ == 0) return;
    if (Value == enabled_) return;
    enabled_ = Value;
    callsMade_ = 0;
}

void TZCLTimerItem::SetInterval(TZCLTimerInterval Value)
{
    const TZCLTimerInterval min = pool_->MinInterval();
    if (Value == 0) Value = min;
    if (Value == interval_ || min == 0 || Value % min != 0) return;
    interval_ = Value;
    ticksPerCall_ = Value / min;
    callsMade_ = 0;
}

void TZCLTimerItem::Timer()
{
    if (!enabled_) return;
    callsMade_ = callsMade_ == INT32_MAX ? 0 : callsMade_ + 1;
    // Cleared directly, so the last call still reports its number.
    if (callsMade_ == callCount_) enabled_ = false;
    // Copies: the handler may remove this item.
    const TNotifyEvent handler = handler_;
    TZCLTimerPool* const pool = pool_;
    if (handler) {
        handler(pool);
    } else if (pool->HasTimerProc()) {
        const TZCLTimerPoolEvent onTimer = pool->OnTimer();
        onTimer(pool, id_, callsMade_);
    }
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLTimerPool

namespace {

const char TimerWindowClass[] = "TZCLTimerPoolWindow";
constexpr UINT_PTR MainTimerId = 1;

const bool timerPoolPublished = [] {
    PublishedProperties<TZCLTimerPool>().Integer("MinInterval", &TZCLTimerPool::MinInterval,
                                                 &TZCLTimerPool::SetInterval, 1000);
    return true;
}();

}  // namespace

TZCLTimerPool::TZCLTimerPool(TComponent* AOwner) : TZCLTimerPool(AOwner, 1000) {}

TZCLTimerPool::TZCLTimerPool(TComponent* AOwner, TZCLTimerInterval AMinInterval)
    : TZCLCustomComponent(AOwner), minInterval_(AMinInterval)
{
}

TZCLTimerPool::~TZCLTimerPool()
{
    if (window_) {
        KillTimer(window_.get(), MainTimerId);
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
    }
    mainTimerActive_ = false;
    items_.clear();
}

int TZCLTimerPool::AddTimer(std::uint16_t Id, TZCLTimerInterval Interval, TNotifyEvent Handler)
{
    if (IndexOf(Id) >= 0) throw EListError(Format("List index out of bounds (%d)", int(Id)));
    if (minInterval_ == 0 || Interval < minInterval_ || Interval % minInterval_ != 0)
        throw EInvalidOperation(ZCLLoadResString(_IDS_INTERVALNOTFIT));
    items_.push_back(std::make_unique<TZCLTimerItem>(this, &items_, Id));
    TZCLTimerItem* item = items_.back().get();
    item->SetInterval(Interval);
    item->SetOnTimer(Handler);
    try {
        UpdateMainTimer(true);
    } catch (...) {
        // Refused: nothing is added.
        FreeItem(IndexOf(Id));
        throw;
    }
    return IndexOf(Id);
}

int TZCLTimerPool::AddTimerExt(std::uint16_t Id, TZCLTimerInterval Interval, std::int32_t CallCount, bool Enabled,
                               TNotifyEvent Handler)
{
    const int index = AddTimer(Id, Interval, Handler);
    TZCLTimerItem* item = items_[std::size_t(index)].get();
    item->SetCallCount(CallCount);
    item->SetEnabled(Enabled);
    return index;
}

void TZCLTimerPool::FreeItem(int Index)
{
    if (Index < 0 || Index >= GetCount()) return;
    TZCLTimerItem* item = items_[std::size_t(Index)].get();
    item->SetEnabled(false);
    item->SetOnTimer(nullptr);
    items_.erase(items_.begin() + Index);
}

void TZCLTimerPool::RemoveTimer(std::uint16_t Id)
{
    removing_ = true;
    try {
        FreeItem(IndexOf(Id));
        if (items_.empty()) UpdateMainTimer(false);
    } catch (...) {
        removing_ = false;
        throw;
    }
    removing_ = false;
}

TZCLTimerItem* TZCLTimerPool::GetTimer(std::uint16_t Id) const
{
    const int index = IndexOf(Id);
    return index < 0 ? nullptr : items_[std::size_t(index)].get();
}

int TZCLTimerPool::IndexOf(std::uint16_t Id) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Id() == Id) return int(i);
    return -1;
}

TZCLTimerItem* TZCLTimerPool::Items(int Index) const
{
    if (Index < 0 || Index >= GetCount()) TList::Error("List index out of bounds (%d)", Index);
    return items_[std::size_t(Index)].get();
}

int TZCLTimerPool::GetActiveTimers() const
{
    int n = 0;
    for (const auto& item : items_)
        if (item->Enabled()) ++n;
    return n;
}

void TZCLTimerPool::ClearTimers()
{
    UpdateMainTimer(false);
    items_.clear();
}

void TZCLTimerPool::HandleTimers()
{
    if (removing_) return;
    // By id, so that handlers may add and remove items: one removed meanwhile is skipped, one added waits for
    // the next tick.
    std::vector<std::uint16_t> ids;
    ids.reserve(items_.size());
    for (const auto& item : items_) ids.push_back(item->Id());
    for (std::uint16_t id : ids) {
        TZCLTimerItem* item = GetTimer(id);
        if (item && item->Enabled() && item->TicksPerCall() > 0 && tickCounter_ % item->TicksPerCall() == 0)
            item->Timer();
    }
    tickCounter_ = tickCounter_ == INT32_MAX ? 0 : tickCounter_ + 1;
}

void TZCLTimerPool::UpdateMainTimer(bool Enable)
{
    if (ComponentState().Contains(csDesigning)) return;
    if (!window_) {
        const HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        if (!GetClassInfoA(instance, TimerWindowClass, &wc)) {
            wc.lpfnWndProc = &TZCLTimerPool::WindowProc;
            wc.hInstance = instance;
            wc.lpszClassName = TimerWindowClass;
            RegisterClassA(&wc);
        }
        window_.reset(CreateWindowExA(0, TimerWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                      nullptr));
        if (!window_) throw EOutOfResources("Not enough timers available");
        SetWindowLongPtrA(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    mainTimerActive_ = false;
    KillTimer(window_.get(), MainTimerId);
    if (Enable && GetActiveTimers() > 0) {
        if (!SetTimer(window_.get(), MainTimerId, minInterval_, nullptr))
            throw EOutOfResources("Not enough timers available");
        tickCounter_ = 1;
        mainTimerActive_ = true;
    }
}

void TZCLTimerPool::SetInterval(TZCLTimerInterval Value)
{
    const TComponentState state = ComponentState();
    if (state.Contains(csLoading) || state.Contains(csDesigning)) minInterval_ = Value;
}

void TZCLTimerPool::Tick()
{
    if (inTick_) return;
    inTick_ = true;
    // Released only after the report: ticks that come while an error box is up are dropped, and the pool goes on
    // once it is closed.
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{inTick_};
    try {
        HandleTimers();
    } catch (...) {
        Application->HandleException(this);
    }
}

LRESULT CALLBACK TZCLTimerPool::WindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<TZCLTimerPool*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (msg == WM_TIMER && self) {
        self->Tick();
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------------------------
// TZCLApplication

namespace {

const char LogDashes[] = "------------------------------------------------------------";

AnsiString ExceptionText(TObject* Sender, const AnsiString& message)
{
    AnsiString text = Format("%s, Address: %p", message, nullptr);
    if (!Sender) return text;
    auto* component = dynamic_cast<TComponent*>(Sender);
    if (component && !component->Name().IsEmpty())
        return Sender->ClassName() + " (Name: " + component->Name() + "): " + text;
    return Sender->ClassName() + ": " + text;
}

bool WriteAll(HANDLE file, const AnsiString& text)
{
    DWORD written = 0;
    return WriteFile(file, text.c_str(), DWORD(text.Length()), &written, nullptr) &&
           written == DWORD(text.Length());
}

// -1 when the file does not exist.
long long FileSizeOf(const AnsiString& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool EnableShutdownPrivilege()
{
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) return false;
    const KernelHandle token(raw);
    TOKEN_PRIVILEGES privileges = {};
    if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr)) return false;
    return GetLastError() == ERROR_SUCCESS;  // ERROR_NOT_ALL_ASSIGNED: the process does not hold it
}

}  // namespace

TZCLApplication::TZCLApplication(TComponent* AOwner)
    : TComponent(AOwner),
      iniCtrl_(std::make_unique<TZCLIniCtrl>(nullptr)),
      timerPool_(std::make_unique<TZCLTimerPool>(nullptr, 50))
{
    // Named after the program's file, so a second start of the same program finds it.
    const AnsiString name = ExtractFileName(ParamStr(0));
    mutex_.reset(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) alreadyRunning_ = true;
    SetLogName(AnsiString());
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency)) frequency_ = frequency.QuadPart;
    if (HCURSOR cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ZCLCursorResource)))
        Screen->SetCursors(crZCLCursor, cursor);
}

TZCLApplication::~TZCLApplication()
{
    iniCtrl_.reset();
    bitmap_.reset();
    brushBitmap_.reset();
    timerPool_.reset();
}

AnsiString TZCLApplication::GetDefaultRegPath() const
{
    AnsiString path = "Software\\";
    if (!ZCLEmpty(company_)) path += ZCLSlashAdd(company_);
    const AnsiString title = Application->Title();
    path += ZCLSlashAdd(ZCLEmpty(title) ? ParamStr(0) : title);
    if (!ZCLEmpty(suffix_)) path += ZCLSlashAdd(suffix_);
    return path;
}

void TZCLApplication::SetEditMode(TZCLEditModes value)
{
    if (value == editMode_) return;
    editMode_ = value;
    if (onEditModeChange_) onEditModeChange_(this);
}

std::uint16_t TZCLApplication::AddTimer(TZCLTimerInterval Interval, TNotifyEvent Handler)
{
    return AddTimerExt(Interval, -1, true, Handler);
}

std::uint16_t TZCLApplication::AddTimerExt(TZCLTimerInterval Interval, std::int32_t CallCount, bool Enabled,
                                           TNotifyEvent Handler)
{
    const std::uint16_t slot = GetTimerIdent();
    if (slot == 0) return 0;
    const std::uint16_t id = std::uint16_t(AppTimerIdBase + slot);
    try {
        timerPool_->AddTimerExt(id, Interval, CallCount, Enabled, Handler);
    } catch (const Exception&) {
        return 0;  // the slot stays free
    }
    timerSlots_[slot - 1] = true;
    return id;
}

void TZCLApplication::RemoveTimer(std::uint16_t Id)
{
    if (Id <= AppTimerIdBase || Id > AppTimerIdBase + AppTimerSlots) return;
    timerPool_->RemoveTimer(Id);
    timerSlots_[Id - AppTimerIdBase - 1] = false;
}

TZCLTimerItem* TZCLApplication::GetTimer(std::uint16_t Id) const { return timerPool_->GetTimer(Id); }

std::uint16_t TZCLApplication::GetTimerIdent() const
{
    for (int i = 0; i < AppTimerSlots; ++i)
        if (!timerSlots_[std::size_t(i)]) return std::uint16_t(i + 1);
    return 0;
}

void TZCLApplication::HandleException(TObject* Sender, Exception* E)
{
    bool handled = false;
    if (onException_) onException_(Sender, E, handled);
    if (handled || !E) return;
    if (options_.Contains(aoLogException)) LogWrite(ExceptionText(Sender, E->Message()));
    Application->ShowException(*E);
}

void TZCLApplication::LogException(TObject* Sender)
{
    const std::exception_ptr current = std::current_exception();
    if (!current) return;
    AnsiString message;
    try {
        std::rethrow_exception(current);
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown exception";
    }
    LogWrite(ExceptionText(Sender, message));
}

void TZCLApplication::SetLogName(const AnsiString& Name)
{
    AnsiString name = ZCLEmpty(Name) ? ChangeFileExt(ParamStr(0), ".LOG") : Name;
    if (ExtractFileExt(name).IsEmpty()) name = ChangeFileExt(name, ".LOG");
    if (logPrefix_ != ppFixed) name = ZCLCreatePathPrefix(logPrefix_, true) + ExtractFileName(name);
    logName_ = name;
}

void TZCLApplication::SetLogPrefix(TZCLPathPrefix value)
{
    logPrefix_ = value;
    SetLogName(logName_);
}

void TZCLApplication::WriteLogHeader(std::vector<AnsiString>& lines)
{
    lines.push_back("LogFile started: " + DateTimeToStr(Now()));
    lines.push_back("Application    : " + Application->Title());
    lines.push_back("Path/ExeName   : " + ParamStr(0));
    const AnsiString version = ZCLSIVersionInfo(viVersion);
    if (!version.IsEmpty()) lines.push_back("Version        : " + version);
    if (onLogHeader_) {
        TStringList extra;
        onLogHeader_(this, &extra);
        for (int i = 0; i < extra.Count(); ++i) lines.push_back(extra.Strings(i));
    }
    lines.push_back(LogDashes);
    lines.push_back(AnsiString());
    lines.push_back("Entries:");
}

void TZCLApplication::LogWrite(const AnsiString& Text)
{
    bool makeNew = false;
    const long long size = FileSizeOf(logName_);
    if (logMaxSize_ > 100 && size > logMaxSize_) {
        bool handled = false;
        if (onLogAction_) onLogAction_(this, logName_, handled);
        if (handled) return;
        if (logAction_ == laClearLog) {
            makeNew = true;
        } else if (logAction_ == laBackupLog) {
            for (int i = 0;; ++i) {
                const AnsiString backup = ChangeFileExt(logName_, ".l" + IntToStr(i));
                if (FileExists(backup)) continue;
                if (!RenameFile(logName_, backup)) return;
                break;
            }
            makeNew = true;
        }
    }
    const bool firstWrite = !logWritten_;
    if (size < 0 || (firstWrite && options_.Contains(aoLogAlwaysClear))) makeNew = true;

    std::vector<AnsiString> lines;
    const bool headerCommand = Text == "#Header";
    if ((firstWrite && options_.Contains(aoLogHeader)) || headerCommand) WriteLogHeader(lines);
    if (headerCommand) {
    } else if (Text == "#Line") {
        lines.push_back(LogDashes);
    } else if (Text == "#CR") {
        lines.push_back(AnsiString());
    } else {
        logEntryNumber_ = logEntryNumber_ == INT32_MAX ? 0 : logEntryNumber_ + 1;
        AnsiString entry;
        if (options_.Contains(aoLogNr)) entry = Format("%.5d", logEntryNumber_) + ": ";
        entry += Text;
        if (options_.Contains(aoLogTime)) entry += " [" + TimeToStr(Now()) + "]";
        if (options_.Contains(aoLogDate)) entry += " [" + DateToStr(Now()) + "]";
        lines.push_back(entry);
    }

    const FileHandle file(CreateFileA(logName_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      makeNew ? CREATE_ALWAYS : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    if (!makeNew) SetFilePointer(file.get(), 0, nullptr, FILE_END);
    logWritten_ = true;
    AnsiString text;
    for (const AnsiString& line : lines) text += line + "\r\n";
    WriteAll(file.get(), text);
}

void TZCLApplication::STWStart()
{
    if (stwRunning_) STWStop();
    stwStart_ = GetTickCount();
    stwRunning_ = true;
}

std::uint32_t TZCLApplication::STWStop()
{
    if (!stwRunning_) return 0;
    stwStop_ = GetTickCount();
    stwRunning_ = false;
    return stwStop_ - stwStart_;
}

namespace {

void Checkerboard(TBitmap& bitmap, TColor color)
{
    TCanvas* canvas = bitmap.Canvas();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if ((x & 1) != (y & 1)) canvas->SetPixels(x, y, color);
}

std::unique_ptr<TBitmap> WhiteBitmap8()
{
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(8, 8);  // new pixels are white
    return bitmap;
}

}  // namespace

TBitmap* TZCLApplication::GetBitmap()
{
    if (!bitmap_) {
        bitmap_ = WhiteBitmap8();
        Checkerboard(*bitmap_, clBlack);
    }
    return bitmap_.get();
}

TBitmap* TZCLApplication::GetBrushBitmap(TColor Color)
{
    if (brushBitmap_ && Color == brushColor_) return brushBitmap_.get();
    if (!brushBitmap_) brushBitmap_ = WhiteBitmap8();
    Checkerboard(*brushBitmap_, Color);
    brushColor_ = Color;
    return brushBitmap_.get();
}

bool TZCLApplication::CallExitWindows(UINT flags)
{
    if (exitWindowsHook_) return exitWindowsHook_(flags);
    return ExitWindowsEx(flags, 0) != FALSE;
}

bool TZCLApplication::QuitWindows(TZCLExitCode Code)
{
    UINT flags = 0;
    if (Code != ecRestart) {
        if (Win32Platform == VER_PLATFORM_WIN32_NT && !EnableShutdownPrivilege()) return false;
        flags = Code == ecQuit ? EWX_SHUTDOWN | EWX_FORCE : EWX_REBOOT | EWX_FORCE;
    }
    const bool done = CallExitWindows(flags);
    if (done) Application->Terminate();
    return done;
}

// ---------------------------------------------------------------------------------------------------------------
// ZCLApplication

namespace {

struct ZCLApplicationHolder {
    std::unique_ptr<TZCLApplication> app;
    ZCLApplicationHolder()
    {
        TApplicationRef::Get();  // made first, so the framework's application outlives this one
        app = std::make_unique<TZCLApplication>(nullptr);
    }
};

}  // namespace

TZCLApplication* TZCLApplicationRef::Get()
{
    static ZCLApplicationHolder holder;
    return holder.app.get();
}

const TZCLApplicationRef ZCLApplication;

TZCLTimerInterval ZCLPoolInterval(unsigned Milliseconds)
{
    const unsigned step = ZCLApplication->TimerPool()->MinInterval();
    if (step == 0) return TZCLTimerInterval(Milliseconds > 0xFFFF ? 0xFFFF : Milliseconds);
    const unsigned top = 0xFFFFu / step * step;
    unsigned value = Milliseconds;
    if (value % step) value = value > top ? top : (value / step + 1) * step;
    if (value > top) value = top;
    return TZCLTimerInterval(value);
}

namespace {
// Made during start-up, before the program's entry runs.
const bool zclApplicationMade = (TZCLApplicationRef::Get(), true);
}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Shared procedures

namespace {

AnsiString OneInstText(const AnsiString& Text, int Mode)
{
    if (Mode == 1) return Text + ":\rAlready one " + Text + " control in this project!";
    return Text + ":\r" + ZCLLoadResString(_IDS_INVALIDOWNER);
}

// The framework has no data-module class; one is known by its class name.
bool DerivesFrom(const TObject* object, const char* className)
{
    for (TClass c = object->ClassType(); c; c = c->ClassParent())
        if (c->ClassName() == className) return true;
    return false;
}

}  // namespace

ZCLEOneInstError::ZCLEOneInstError(const AnsiString& Text, int Mode) : Exception(OneInstText(Text, Mode)) {}

bool ZCLCheckForSameClass(TComponent* Owner, TClass AClass, bool AllowDataModule)
{
    if (!Owner) return true;
    const bool form = dynamic_cast<TCustomForm*>(Owner) != nullptr;
    const bool dataModule = AllowDataModule && DerivesFrom(Owner, "TDataModule");
    if (!form && !dataModule) return true;
    if (!AClass) return false;
    int n = 0;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (Owner->Components(i)->InheritsFrom(AClass)) ++n;
    return n > 1;
}

AnsiString ZCLUniqueName(const AnsiString& Base, TComponent* Owner)
{
    AnsiString base = Base;
    if (!base.IsEmpty() && (base[1] == 'T' || base[1] == 't')) base.Delete(1, 1);
    if (!Owner) return base + "1";
    for (int i = 1;; ++i) {
        const AnsiString name = base + IntToStr(i);
        if (!Owner->FindComponent(name)) return name;
    }
}

TPoint ZCLFaceIndex(int X, int Y) { return TPoint(X, Y); }

void ZCLCreateHandle(TWinControl* Control)
{
    if (Control) Control->HandleNeeded();
}
