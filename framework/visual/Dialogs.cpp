#include "framework/visual/Dialogs.h"

#include <algorithm>
#include <string>
#include <vector>

#include "framework/visual/Forms.h"

namespace {

// The window a box or dialog belongs to: the active window of this thread, else the application window.
HWND DialogOwner()
{
    if (const HWND active = GetActiveWindow()) return active;
    return Application->Handle();
}

// Moves the next message box this thread shows (MessageDlgPos). One at a time per thread.
struct BoxPlacement {
    HHOOK hook = nullptr;
    int x = -1;
    int y = -1;
};
thread_local BoxPlacement placement;

LRESULT CALLBACK PlaceBox(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = placement.hook;
    if (code == HCBT_ACTIVATE) {
        const HWND box = reinterpret_cast<HWND>(wParam);
        char className[16] = "";
        GetClassNameA(box, className, sizeof className);
        if (std::string(className) == "#32770") {
            RECT r;
            GetWindowRect(box, &r);
            SetWindowPos(box, nullptr, placement.x >= 0 ? placement.x : r.left, placement.y >= 0 ? placement.y : r.top,
                         0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            UnhookWindowsHookEx(hook);
            placement.hook = nullptr;
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

class PlacementScope {
public:
    PlacementScope(int x, int y)
    {
        if ((x < 0 && y < 0) || placement.hook) return;
        placement.x = x;
        placement.y = y;
        placement.hook = SetWindowsHookExA(WH_CBT, &PlaceBox, nullptr, GetCurrentThreadId());
    }
    PlacementScope(const PlacementScope&) = delete;
    PlacementScope& operator=(const PlacementScope&) = delete;
    ~PlacementScope()
    {
        if (placement.hook) UnhookWindowsHookEx(placement.hook);  // no box came (the hook answered)
        placement.hook = nullptr;
    }
};

UINT ButtonFlags(TMsgDlgButtons buttons)
{
    if (buttons.Contains(mbYes) || buttons.Contains(mbNo))
        return buttons.Contains(mbCancel) ? MB_YESNOCANCEL : MB_YESNO;
    if (buttons.Contains(mbAbort) || buttons.Contains(mbIgnore)) return MB_ABORTRETRYIGNORE;
    if (buttons.Contains(mbRetry)) return MB_RETRYCANCEL;
    if (buttons.Contains(mbCancel)) return MB_OKCANCEL;
    return MB_OK;
}

struct TypeLook {
    const char* caption;  // nullptr: the application's title
    UINT icon;
};
constexpr TypeLook typeLooks[] = {
    {"Warning", MB_ICONWARNING},   {"Error", MB_ICONERROR}, {"Information", MB_ICONINFORMATION},
    {"Confirm", MB_ICONQUESTION}, {nullptr, 0},
};

TOpenFileNameHook& OpenHook()
{
    static TOpenFileNameHook hook;
    return hook;
}

struct OptionFlag {
    TOpenOption option;
    DWORD flag;
};
constexpr OptionFlag optionFlags[] = {
    {ofReadOnly, OFN_READONLY},
    {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},
    {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofNoValidate, OFN_NOVALIDATE},
    {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
    {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofFileMustExist, OFN_FILEMUSTEXIST},
    {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofShareAware, OFN_SHAREAWARE},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
    {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
    {ofNoNetworkButton, OFN_NONETWORKBUTTON},
    {ofNoLongNames, OFN_NOLONGNAMES},
    {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
    {ofEnableSizing, OFN_ENABLESIZING},
};

// "a|b|c|d" -> "a\0b\0c\0d\0\0"; empty for no filter.
std::string FilterPairs(const AnsiString& filter)
{
    if (filter.IsEmpty()) return std::string();
    std::string pairs = filter.str();
    for (char& c : pairs)
        if (c == '|') c = '\0';
    pairs.push_back('\0');
    pairs.push_back('\0');
    return pairs;
}

}  // namespace

// ---------------------------------------------------------------------------------------------------------------
// Message boxes

int DialogMessageBox(HWND owner, const AnsiString& text, const AnsiString& caption, UINT flags)
{
    if (const TMessageBoxHook hook = Application->MessageBoxHook()) return hook(text, caption, flags);
    if (!owner) flags |= MB_TASKMODAL;
    return MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

void ShowMessage(const AnsiString& Msg)
{
    DialogMessageBox(DialogOwner(), Msg, Application->Title(), MB_OK);
}

void ShowMessageFmt(const AnsiString& Msg, std::span<const TVarRec> Args)
{
    ShowMessage(Format(Msg, Args));
}

void ShowMessageFmt(const AnsiString& Msg, std::initializer_list<TVarRec> Args)
{
    ShowMessage(Format(Msg, Args));
}

int MessageDlg(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx)
{
    return MessageDlgPos(Msg, DlgType, Buttons, HelpCtx, -1, -1);
}

int MessageDlgPos(const AnsiString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y)
{
    (void)HelpCtx;
    const TypeLook& look = typeLooks[DlgType <= mtCustom ? DlgType : mtCustom];
    const AnsiString caption = look.caption ? AnsiString(look.caption) : Application->Title();
    PlacementScope place(X, Y);
    return DialogMessageBox(DialogOwner(), Msg, caption, ButtonFlags(Buttons) | look.icon);
}

// ---------------------------------------------------------------------------------------------------------------
// TOpenDialog

TOpenFileNameHook OpenFileNameHook()
{
    return OpenHook();
}

void SetOpenFileNameHook(TOpenFileNameHook hook)
{
    OpenHook() = hook;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

bool TOpenDialog::Execute()
{
    const std::string filter = FilterPairs(filter_);
    // The system wants the extension without its dot: "name" + ".exe" must not become "name..exe".
    std::string defaultExt = defaultExt_.str();
    defaultExt.erase(0, defaultExt.find_first_not_of('.'));
    std::vector<char> file(std::size_t(std::max(4 * MAX_PATH, fileName_.Length() + 1)), '\0');
    fileName_.str().copy(file.data(), file.size() - 1);

    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogOwner();
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = DWORD(std::max(filterIndex_, 0));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = initialDir_.IsEmpty() ? nullptr : initialDir_.c_str();
    ofn.lpstrTitle = title_.IsEmpty() ? nullptr : title_.c_str();
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER;
    for (const OptionFlag& o : optionFlags)
        if (options_.Contains(o.option)) ofn.Flags |= o.flag;

    const TOpenFileNameHook hook = OpenHook();
    const BOOL chosen = hook ? hook(ofn) : GetOpenFileNameA(&ofn);
    if (!chosen) return false;
    file.back() = '\0';  // a hook may have filled the whole buffer
    fileName_ = AnsiString(file.data());
    filterIndex_ = int(ofn.nFilterIndex);
    for (const TOpenOption o : {ofReadOnly, ofExtensionDifferent}) {
        const DWORD flag = o == ofReadOnly ? OFN_READONLY : OFN_EXTENSIONDIFFERENT;
        if (ofn.Flags & flag)
            options_.Include(o);
        else
            options_.Exclude(o);
    }
    return true;
}
