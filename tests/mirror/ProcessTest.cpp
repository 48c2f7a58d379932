#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "MirrorTestScreen.h"
#include "framework/runtime/Classes.h"
#include "framework/runtime/SysUtils.h"
#include "mirror/Process.h"

namespace {

AnsiString OwnPath()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

const char* PlainClass()
{
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MirrorProcessTest";
        return RegisterClassA(&wc);
    }();
    (void)atom;
    return "MirrorProcessTest";
}

WindowHandle MakeWindow(const char* title, DWORD style, HWND owner = nullptr, int w = 200, int h = 100,
                        DWORD exStyle = WS_EX_TOOLWINDOW)
{
    return WindowHandle(CreateWindowExA(exStyle, PlainClass(), title, style, 50, 50, w, h, owner, nullptr,
                                        GetModuleHandleA(nullptr), nullptr));
}

int Occurrences(TStrings& list, const AnsiString& s)
{
    int n = 0;
    for (int i = 0; i < list.Count(); ++i) n += AnsiSameText(list.Strings(i), s) ? 1 : 0;
    return n;
}

AnsiString Swapcase(const AnsiString& s)
{
    std::string t = s.c_str();
    for (char& c : t) c = char(std::isupper(BYTE(c)) ? std::tolower(BYTE(c)) : std::toupper(BYTE(c)));
    return t.c_str();
}

// The test program again, under a name of its own, showing the windows of the child test below.
class ChildProgram {
public:
    ChildProgram()
    {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        path_ = ExpandFileName(AnsiString(temp) + "MirrorChild" + IntToStr(int(GetCurrentProcessId())) + ".exe");
        if (!CopyFileA(OwnPath().c_str(), path_.c_str(), FALSE)) return;
        const AnsiString id = IntToStr(int(GetCurrentProcessId()));
        ready_.reset(CreateEventA(nullptr, TRUE, FALSE, ("MirrorChildReady" + id).c_str()));
        quit_.reset(CreateEventA(nullptr, TRUE, FALSE, ("MirrorChildQuit" + id).c_str()));
        SetEnvironmentVariableA("MIRROR_CHILD_ID", id.c_str());
        std::string cmd = std::string("\"") + path_.c_str() +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=ProcessChild.DISABLED_ShowWindows";
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(path_.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            process_.reset(pi.hProcess);
            CloseHandle(pi.hThread);
            processId_ = pi.dwProcessId;
        }
        SetEnvironmentVariableA("MIRROR_CHILD_ID", nullptr);
        HANDLE waits[2] = {ready_.get(), process_.get()};
        if (process_ && WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0) ready = true;
    }
    ~ChildProgram()
    {
        Quit();
        DeleteFileA(path_.c_str());
    }
    void Quit()
    {
        if (!process_) return;
        SetEvent(quit_.get());
        if (WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
        process_.reset();
    }
    const AnsiString& Path() const { return path_; }
    DWORD Id() const { return processId_; }
    bool ready = false;

private:
    AnsiString path_;
    KernelHandle ready_, quit_, process_;
    DWORD processId_ = 0;
};

}  // namespace

// Run by ChildProgram in its own process: three windows that qualify, three that do not.
TEST(ProcessChild, DISABLED_ShowWindows)
{
    const char* id = std::getenv("MIRROR_CHILD_ID");
    if (!id) GTEST_SKIP();
    WindowHandle first = MakeWindow("Mirror child one", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 300, 200, 0);
    WindowHandle second = MakeWindow("Mirror child two", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 300, 200, 0);
    WindowHandle third = MakeWindow("Mirror child minimised", WS_OVERLAPPEDWINDOW, nullptr, 300, 200, 0);
    ShowWindow(third.get(), SW_SHOWMINNOACTIVE);
    WindowHandle untitled = MakeWindow("", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    WindowHandle owned = MakeWindow("Mirror child owned", WS_OVERLAPPEDWINDOW | WS_VISIBLE, first.get());
    WindowHandle hidden = MakeWindow("Mirror child hidden", WS_OVERLAPPEDWINDOW);
    testwait::PumpFor(100);
    KernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string("MirrorChildReady") + id).c_str()));
    KernelHandle quit(OpenEventA(SYNCHRONIZE, FALSE, (std::string("MirrorChildQuit") + id).c_str()));
    ASSERT_TRUE(ready && quit);
    SetEvent(ready.get());
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000) {
        HANDLE wait = quit.get();
        if (MsgWaitForMultipleObjects(1, &wait, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        testwait::PumpFor(0);
    }
}

TEST(Process, EnumerationReportsThisProgramWithItsPath)
{
    KvProcessMap map;
    ASSERT_TRUE(EnumerateProcesses(&AddProcessProc, &map));
    EXPECT_GT(map.size(), 1u);
    ASSERT_EQ(map.count(GetCurrentProcessId()), 1u);
    EXPECT_TRUE(AnsiSameText(map[GetCurrentProcessId()], OwnPath())) << map[GetCurrentProcessId()].c_str();

    int calls = 0;
    auto stopAtOnce = [](DWORD, std::uint16_t, const char*, void* user) -> int {
        ++*static_cast<int*>(user);
        return 0;
    };
    EXPECT_TRUE(EnumerateProcesses(stopAtOnce, &calls));
    EXPECT_EQ(calls, 1);
}

TEST(Process, AddProcessNeedsAMapAndKeepsTheLastReport)
{
    EXPECT_EQ(AddProcessProc(1, 0, "x", nullptr), 0);
    KvProcessMap map;
    EXPECT_NE(AddProcessProc(7, 0, "C:\\a.exe", &map), 0);
    EXPECT_NE(AddProcessProc(7, 3, "C:\\b.exe", &map), 0);
    EXPECT_EQ(map[7], "C:\\b.exe");
    EXPECT_EQ(map.size(), 1u);

    // An unknown window's process has no path (and looking it up adds an empty one).
    EXPECT_TRUE(GetWindowProcessName(map, nullptr).IsEmpty());
}

namespace {
DWORD fakeProcesses = 0;
DWORD fakeCalls = 0;
BOOL WINAPI FakeEnumProcesses(DWORD* ids, DWORD bytes, DWORD* returned)
{
    ++fakeCalls;
    const DWORD n = std::min<DWORD>(fakeProcesses, bytes / sizeof(DWORD));
    for (DWORD i = 0; i < n; ++i) ids[i] = 1000 + i;
    *returned = n * sizeof(DWORD);
    return TRUE;
}
BOOL WINAPI FailingEnumProcesses(DWORD*, DWORD, DWORD*) { return FALSE; }
}  // namespace

// A full buffer may have cut the list short: it is doubled until the call leaves room.
TEST(Process, IdBufferGrowsUntilEveryProcessFits)
{
    const struct {
        DWORD processes, bytes, calls;
    } cases[] = {{10, 1024, 1}, {255, 1024, 1}, {256, 2048, 2}, {300, 2048, 2}, {1100, 8192, 4}};
    for (const auto& c : cases) {
        fakeProcesses = c.processes;
        fakeCalls = 0;
        KvProcessDetail::ProcessIds ids;
        DWORD count = 0, bytes = 0;
        ASSERT_TRUE(KvProcessDetail::ReadProcessIds(&FakeEnumProcesses, ids, count, bytes));
        EXPECT_EQ(count, c.processes);
        EXPECT_EQ(bytes, c.bytes) << c.processes;
        EXPECT_EQ(fakeCalls, c.calls) << c.processes;
        EXPECT_EQ(ids[count - 1], 1000 + c.processes - 1);
    }
    KvProcessDetail::ProcessIds ids;
    DWORD count = 5, bytes = 0;
    EXPECT_FALSE(KvProcessDetail::ReadProcessIds(&FailingEnumProcesses, ids, count, bytes));
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(ids);
}

TEST(Process, ListWindowsTakesOwnerlessShownTitledWindows)
{
    WindowHandle shown = MakeWindow("Mirror list shown", WS_POPUP | WS_VISIBLE);
    WindowHandle minimised = MakeWindow("Mirror list minimised", WS_OVERLAPPEDWINDOW, nullptr, 200, 100, 0);
    ShowWindow(minimised.get(), SW_SHOWMINNOACTIVE);
    WindowHandle untitled = MakeWindow("", WS_POPUP | WS_VISIBLE);
    WindowHandle owned = MakeWindow("Mirror list owned", WS_POPUP | WS_VISIBLE, shown.get());
    WindowHandle hidden = MakeWindow("Mirror list hidden", WS_POPUP);
    ASSERT_TRUE(IsIconic(minimised.get()));

    TStringList list;
    list.Add("stale");
    ASSERT_TRUE(ListWindows(&list));
    EXPECT_EQ(Occurrences(list, "Mirror list shown"), 1);
    EXPECT_EQ(Occurrences(list, "Mirror list minimised"), 1);
    EXPECT_EQ(Occurrences(list, "Mirror list owned"), 0);
    EXPECT_EQ(Occurrences(list, "Mirror list hidden"), 0);
    EXPECT_EQ(Occurrences(list, "stale"), 0);
    EXPECT_FALSE(ListWindows(nullptr));
}

// Another program found by its executable: listed once per qualifying window, found in any letter case.
TEST(Process, FindsAnotherProgramsWindowByItsPath)
{
    ChildProgram child;
    ASSERT_TRUE(child.ready) << "child program did not start: " << child.Path().c_str();

    TStringList apps;
    ASSERT_TRUE(ListApplications(&apps));
    EXPECT_EQ(Occurrences(apps, child.Path()), 3) << apps.Text().c_str();
    EXPECT_EQ(Occurrences(apps, OwnPath()), 0);  // this program shows no window now

    EXPECT_TRUE(IsApplicationRunning(child.Path()));
    EXPECT_TRUE(IsApplicationRunning(Swapcase(child.Path())));

    HWND found = FindApplicationWindow(Swapcase(child.Path()));
    ASSERT_NE(found, nullptr);
    DWORD owner = 0;
    GetWindowThreadProcessId(found, &owner);
    EXPECT_EQ(owner, child.Id());
    char title[256] = "";
    GetWindowTextA(found, title, sizeof(title));
    EXPECT_EQ(std::string(title).rfind("Mirror child", 0), 0u) << title;
    EXPECT_EQ(std::string(title).find("owned"), std::string::npos);
    EXPECT_EQ(std::string(title).find("hidden"), std::string::npos);
    EXPECT_EQ(FindApplicationWindow(child.Path() + "x"), nullptr);

    child.Quit();
    EXPECT_FALSE(IsApplicationRunning(child.Path()));
    EXPECT_EQ(FindApplicationWindow(child.Path()), nullptr);
}

TEST(Process, ApplicationThatIsNoFileIsNotRunning)
{
    EXPECT_FALSE(IsApplicationRunning("C:\\no such folder\\nothing.exe"));
    EXPECT_FALSE(ListApplications(nullptr));
}

TEST(Process, CaptureWindowIsTheWindowOrItsFirstUsableChild)
{
    WindowHandle usable = MakeWindow("Mirror capture usable", WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(GetCaptureWindow(usable.get()), usable.get());

    WindowHandle empty = MakeWindow("Mirror capture empty", WS_POPUP | WS_VISIBLE, nullptr, 0, 0);
    HWND hiddenChild = CreateWindowExA(0, PlainClass(), "", WS_CHILD, 0, 0, 50, 50, empty.get(), nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    HWND flatChild = CreateWindowExA(0, PlainClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 20, empty.get(),
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND goodChild = CreateWindowExA(0, PlainClass(), "", WS_CHILD | WS_VISIBLE, 0, 0, 40, 30, empty.get(),
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(hiddenChild && flatChild && goodChild);
    EXPECT_FALSE(IsWindowUsable(empty.get()));
    EXPECT_EQ(GetCaptureWindow(empty.get()), goodChild);

    // Nothing usable: the last active pop-up, which for a window without pop-ups is the window itself.
    WindowHandle lonely = MakeWindow("Mirror capture lonely", WS_POPUP, nullptr, 10, 10);
    EXPECT_EQ(GetCaptureWindow(lonely.get()), lonely.get());
}

// Titles and paths of one pass: row i of both lists is the same window, whichever program it belongs to.
TEST(Process, ApplicationWindowsComeAsTitleAndPathOfTheSameWindow)
{
    ChildProgram child;
    ASSERT_TRUE(child.ready) << "child program did not start: " << child.Path().c_str();
    WindowHandle own = MakeWindow("Mirror pair own", WS_POPUP | WS_VISIBLE);
    WindowHandle hidden = MakeWindow("Mirror pair hidden", WS_POPUP);

    TStringList titles, paths;
    titles.Add("stale");
    paths.Add("stale");
    ASSERT_TRUE(ListApplicationWindows(&titles, &paths));
    ASSERT_EQ(titles.Count(), paths.Count());
    int childRows = 0, ownRows = 0;
    for (int i = 0; i < titles.Count(); ++i) {
        const std::string title = titles.Strings(i).c_str();
        EXPECT_NE(title, "stale");
        EXPECT_NE(title, "Mirror pair hidden");
        EXPECT_EQ(title.find("owned"), std::string::npos) << title;
        if (title.rfind("Mirror child", 0) == 0) {
            ++childRows;
            EXPECT_TRUE(AnsiSameText(paths.Strings(i), child.Path())) << title << ": " << paths.Strings(i).c_str();
        }
        if (title == "Mirror pair own") {
            ++ownRows;
            EXPECT_TRUE(AnsiSameText(paths.Strings(i), OwnPath())) << paths.Strings(i).c_str();
        }
    }
    EXPECT_EQ(childRows, 3) << titles.Text().c_str();
    EXPECT_EQ(ownRows, 1);
    EXPECT_FALSE(ListApplicationWindows(&titles, nullptr));
    EXPECT_FALSE(ListApplicationWindows(nullptr, &paths));
}
