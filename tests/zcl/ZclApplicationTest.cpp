// The application object: timer ids on the pool, the named mutex seen from a second start of this program,
// the default registry path, edit modes, exception handling, the log file, the stopwatch, the checkerboard
// bitmaps and ending Windows.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/visual/Forms.h"
#include "framework/runtime/SysUtils.h"
#include "support/Wait.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclprocs.h"

namespace {

const char SecondInstanceSwitch[] = "zcl-second-instance";
constexpr DWORD ExitAlreadyRunning = 3;
constexpr DWORD ExitFirstInstance = 2;

// Started again by SecondStartSetsAlreadyRunningOfTheSecondInstanceOnly: report and leave before any test runs.
const bool secondInstanceReported = [] {
    if (FindCmdLineSwitch(SecondInstanceSwitch))
        ExitProcess(ZCLApplication->AlreadyRunning() ? ExitAlreadyRunning : ExitFirstInstance);
    return true;
}();

std::string ReadFile(const AnsiString& name)
{
    std::ifstream in(name.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

AnsiString TempFolder()
{
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    return AnsiString(path);
}

// Timer ids ------------------------------------------------------------------------------------------------------

class AppTimers : public testing::Test {
protected:
    void TearDown() override
    {
        for (std::uint16_t id : ids) ZCLApplication->RemoveTimer(id);
    }
    std::uint16_t Add(TZCLTimerInterval interval)
    {
        const std::uint16_t id = ZCLApplication->AddTimer(interval, TNotifyEvent::From([this](TObject*) { ++calls; }));
        if (id) ids.push_back(id);
        return id;
    }
    std::vector<std::uint16_t> ids;
    int calls = 0;
};

TEST_F(AppTimers, IdsRunFrom64769To65018AndThe251stIsRefused)
{
    ASSERT_EQ(ZCLApplication->GetTimerIdent(), 1) << "another test left application timers behind";
    for (int i = 0; i < AppTimerSlots; ++i) ASSERT_EQ(Add(100), 64769 + i);
    EXPECT_EQ(ZCLApplication->GetTimerIdent(), 0);
    EXPECT_EQ(Add(100), 0);
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), AppTimerSlots);

    ZCLApplication->RemoveTimer(64800);  // its slot is the first free one again
    EXPECT_EQ(ZCLApplication->GetTimer(64800), nullptr);
    EXPECT_EQ(ZCLApplication->GetTimerIdent(), 32);
    EXPECT_EQ(Add(200), 64800);
    EXPECT_EQ(ZCLApplication->GetTimer(64800)->Interval(), 200);
}

TEST_F(AppTimers, ARefusedIntervalGivesZeroAndKeepsTheSlotFree)
{
    EXPECT_EQ(Add(75), 0);
    EXPECT_EQ(Add(30), 0);
    EXPECT_EQ(ZCLApplication->GetTimerIdent(), 1);
    EXPECT_EQ(ZCLApplication->TimerPool()->GetCount(), 0);
    EXPECT_EQ(Add(150), 64769);
}

TEST_F(AppTimers, IdsThatAreNotTheApplicationsAreLeftAlone)
{
    TZCLTimerPool* pool = ZCLApplication->TimerPool();
    pool->AddTimer(65019, 100, nullptr);
    pool->AddTimer(64768, 100, nullptr);
    const std::uint16_t own = Add(100);
    for (std::uint16_t id : {65019, 65535, 64768, 1, 0}) ZCLApplication->RemoveTimer(id);
    EXPECT_NE(pool->GetTimer(65019), nullptr);
    EXPECT_NE(pool->GetTimer(64768), nullptr);
    EXPECT_NE(ZCLApplication->GetTimer(own), nullptr);
    EXPECT_EQ(ZCLApplication->GetTimerIdent(), 2);
    pool->RemoveTimer(65019);
    pool->RemoveTimer(64768);
}

TEST_F(AppTimers, AddTimerExtSetsCallCountAndEnabledState)
{
    const std::uint16_t id = ZCLApplication->AddTimerExt(50, 2, false, nullptr);
    ASSERT_NE(id, 0);
    ids.push_back(id);
    EXPECT_EQ(ZCLApplication->GetTimer(id)->CallCount(), 2);
    EXPECT_FALSE(ZCLApplication->GetTimer(id)->Enabled());
    EXPECT_TRUE(ZCLApplication->TimerPool()->MainTimerActive());
}

// Measured in real time: never sooner than the ticks allow, and spaced 50 ms as a rule (a thread held up by a
// busy machine gets single ticks late, which shifts single gaps, not the middle one).
TEST_F(AppTimers, TheApplicationsPoolTicksEvery50Milliseconds)
{
    EXPECT_EQ(ZCLApplication->TimerPool()->MinInterval(), 50);
    std::vector<std::chrono::steady_clock::time_point> times;
    const auto start = std::chrono::steady_clock::now();
    const std::uint16_t id = ZCLApplication->AddTimer(
        50, TNotifyEvent::From([&](TObject*) { times.push_back(std::chrono::steady_clock::now()); }));
    ASSERT_NE(id, 0);
    ids.push_back(id);
    ASSERT_TRUE(testwait::PumpUntil([&] { return times.size() >= 11; }, 20000,
                                    [] { Application->ProcessMessages(); }));
    ZCLApplication->RemoveTimer(id);
    ids.clear();
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    // Eleven ticks take ten intervals at least.
    EXPECT_GE(ms(times[10] - start), 10 * 50 - 20);
    std::vector<double> gaps;
    for (size_t i = 1; i < times.size(); ++i) gaps.push_back(ms(times[i] - times[i - 1]));
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps[5], 35) << "median gap";
    EXPECT_LE(gaps[5], 80) << "median gap";
}

// Named mutex ----------------------------------------------------------------------------------------------------

TEST(ZclApplication, SecondStartSetsAlreadyRunningOfTheSecondInstanceOnly)
{
    EXPECT_FALSE(ZCLApplication->AlreadyRunning());
    const AnsiString exe = ParamStr(0);
    std::string commandLine = "\"" + exe.str() + "\" -" + SecondInstanceSwitch;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                               &pi));
    const KernelHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(code, ExitAlreadyRunning);
    EXPECT_FALSE(ZCLApplication->AlreadyRunning());

    // The mutex carries the program's file name.
    const KernelHandle mutex(OpenMutexA(SYNCHRONIZE, FALSE, ExtractFileName(exe).c_str()));
    EXPECT_TRUE(mutex);
}

// Default registry path -------------------------------------------------------------------------------------------

class AppSettings : public testing::Test {
protected:
    void TearDown() override
    {
        Application->SetTitle(title_);
        ZCLApplication->SetCompanyPart("");
        ZCLApplication->SetSuffixPart("");
    }

private:
    AnsiString title_ = Application->Title();
};

TEST_F(AppSettings, DefaultRegistryPathJoinsCompanyTitleAndSuffix)
{
    struct Case {
        const char* company;
        const char* title;
        const char* suffix;
        std::string path;
    } const cases[] = {
        {"", "Prog", "", "Software\\Prog\\"},
        {"Maker", "Prog", "", "Software\\Maker\\Prog\\"},
        {"Maker\\", "Prog\\", "Settings", "Software\\Maker\\Prog\\Settings\\"},
        {"  ", "Prog", "  ", "Software\\Prog\\"},
        {"", "", "", "Software\\" + ParamStr(0).str() + "\\"},
        {"Maker", "   ", "", "Software\\Maker\\" + ParamStr(0).str() + "\\"},
    };
    for (const Case& c : cases) {
        ZCLApplication->SetCompanyPart(c.company);
        ZCLApplication->SetSuffixPart(c.suffix);
        Application->SetTitle(c.title);
        EXPECT_EQ(ZCLApplication->GetDefaultRegPath().str(), c.path) << c.company << "|" << c.title << "|" << c.suffix;
    }
}

TEST_F(AppSettings, EditModeChangesAreTold)
{
    const TZCLEditModes before = ZCLApplication->EditMode();
    EXPECT_EQ(before, TZCLEditModes{emInsert});
    int told = 0;
    ZCLApplication->SetOnEditModeChange(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, ZCLApplication.Get());
        ++told;
    }));
    ZCLApplication->SetEditMode(TZCLEditModes{emInsert});
    EXPECT_EQ(told, 0);
    ZCLApplication->SetEditMode(TZCLEditModes{emCaps, emNum});
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(ZCLApplication->EditMode().Contains(emNum));
    ZCLApplication->SetEditMode(before);
    ZCLApplication->SetOnEditModeChange(nullptr);
}

TEST(ZclApplication, StartsWithTheDocumentedDefaults)
{
    TZCLApplication app(nullptr);
    EXPECT_EQ(app.Options(), (TZCLApplicationOptions{aoMouseCtrlActive, aoLogAlwaysClear, aoLogHeader, aoLogNr}));
    EXPECT_EQ(app.ExplodeDelay(), 3);
    EXPECT_EQ(app.LogPrefix(), ppProgram);
    EXPECT_EQ(app.LogName(), ChangeFileExt(ParamStr(0), ".LOG"));
    EXPECT_EQ(app.LogMaxSize(), -1);
    EXPECT_EQ(app.LogAction(), laNone);
    EXPECT_NE(app.IniCtrl(), nullptr);
    EXPECT_EQ(app.TimerPool()->MinInterval(), 50);
    EXPECT_GT(app.GetTimerFrequency(), 0);
    EXPECT_TRUE(app.AlreadyRunning());  // ZCLApplication holds the mutex
}

TEST(ZclApplication, TheLibrarysCursorResourceBecomesScreenCursorMinus255)
{
    const HCURSOR own = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ZCLCursorResource));
    ASSERT_NE(own, nullptr) << "the test program carries the cursor";
    EXPECT_EQ(Screen->Cursors(crZCLCursor), own);
    EXPECT_NE(Screen->Cursors(crZCLCursor), Screen->Cursors(crArrow));
}

// Log file ------------------------------------------------------------------------------------------------------

class AppLog : public testing::Test {
protected:
    void SetUp() override
    {
        app.SetLogPrefix(ppFixed);
        app.SetLogName(TempFolder() + "zclapp_test");
        log = app.LogName();
        Remove();
    }
    void TearDown() override { Remove(); }
    void Remove()
    {
        DeleteFileA(log.c_str());
        for (int i = 0; i < 3; ++i) DeleteFileA(ChangeFileExt(log, ".l" + IntToStr(i)).c_str());
    }
    TZCLApplication app{nullptr};
    AnsiString log;
};

TEST_F(AppLog, LogNameGetsTheExtensionAndThePrefixFolder)
{
    EXPECT_EQ(log, TempFolder() + "zclapp_test.LOG");
    const AnsiString program = ZCLAppPath();
    struct Case {
        TZCLPathPrefix prefix;
        const char* name;
        AnsiString path;
    } const cases[] = {
        {ppProgram, "", ChangeFileExt(ParamStr(0), ".LOG")},
        {ppProgram, "trace", program + "trace.LOG"},
        {ppProgram, "C:\\elsewhere\\trace.txt", program + "trace.txt"},
        {ppWindows, "trace", ZCLWindowsDirectory() + "\\trace.LOG"},
        {ppFixed, "C:\\elsewhere\\trace", "C:\\elsewhere\\trace.LOG"},
    };
    for (const Case& c : cases) {
        app.SetLogPrefix(ppFixed);
        app.SetLogName(c.name);
        app.SetLogPrefix(c.prefix);  // re-applies the name
        EXPECT_EQ(app.LogName(), c.path) << c.name;
    }
}

TEST_F(AppLog, TheFirstWriteOfARunMakesANewFileWithTheHeader)
{
    {
        std::ofstream old(log.c_str(), std::ios::binary);
        old << "from an earlier run\r\n";
    }
    const AnsiString title = Application->Title();
    Application->SetTitle("Log Test Title");
    app.SetOnLogHeader(TZCLLogHeaderEvent::From([](TObject*, TStrings* lines) { lines->Add("Extra: yes"); }));
    app.LogWrite("first");
    app.LogWrite("second");
    Application->SetTitle(title);
    const std::vector<std::string> lines = Lines(ReadFile(log));
    ASSERT_EQ(lines.size(), 10u) << ReadFile(log);
    EXPECT_EQ(lines[0].rfind("LogFile started: ", 0), 0u);
    EXPECT_EQ(lines[1], "Application    : Log Test Title");
    EXPECT_EQ(lines[2], "Path/ExeName   : " + ParamStr(0).str());
    // The test executable carries the program's version block.
    EXPECT_EQ(lines[3], "Version        : 1.0.0.0");
    EXPECT_EQ(lines[4], "Extra: yes");
    EXPECT_EQ(lines[5], std::string(60, '-'));
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines[7], "Entries:");
    EXPECT_EQ(lines[8], "00001: first");
    EXPECT_EQ(lines[9], "00002: second");
    EXPECT_EQ(app.LogEntryNumber(), 2);
}

TEST_F(AppLog, OptionsChooseTheEntryFormAndCommandsWriteNoEntry)
{
    {
        std::ofstream old(log.c_str(), std::ios::binary);
        old << "kept\r\n";
    }
    app.SetOptions(TZCLApplicationOptions{aoLogTime, aoLogDate});  // no clearing, no header, no numbers
    app.LogWrite("plain");
    app.LogWrite("#Line");
    app.LogWrite("#CR");
    app.SetOptions(TZCLApplicationOptions{aoLogNr});
    app.LogWrite("numbered");
    const std::vector<std::string> lines = Lines(ReadFile(log));
    ASSERT_EQ(lines.size(), 5u) << ReadFile(log);
    EXPECT_EQ(lines[0], "kept");
    // "plain [time] [date]"
    EXPECT_EQ(lines[1].rfind("plain [", 0), 0u);
    EXPECT_EQ(std::count(lines[1].begin(), lines[1].end(), '['), 2);
    EXPECT_EQ(lines[1].back(), ']');
    EXPECT_EQ(lines[2], std::string(60, '-'));
    EXPECT_EQ(lines[3], "");
    EXPECT_EQ(lines[4], "00002: numbered");  // every entry counts, numbered or not
}

TEST_F(AppLog, AnOversizedLogIsBackedUpUnderTheFirstFreeNumber)
{
    app.SetOptions(TZCLApplicationOptions{});
    app.SetLogMaxSize(101);
    app.SetLogAction(laBackupLog);
    {
        std::ofstream l0(ChangeFileExt(log, ".l0").c_str(), std::ios::binary);
        l0 << "older backup";
    }
    app.LogWrite(std::string(120, 'x').c_str());
    app.LogWrite("after");
    EXPECT_EQ(ReadFile(ChangeFileExt(log, ".l0")), "older backup");
    EXPECT_EQ(ReadFile(ChangeFileExt(log, ".l1")), std::string(120, 'x') + "\r\n");
    EXPECT_EQ(ReadFile(log), "after\r\n");
}

TEST_F(AppLog, OversizedLogActions)
{
    app.SetOptions(TZCLApplicationOptions{});
    app.SetLogMaxSize(101);
    app.LogWrite(std::string(120, 'x').c_str());

    app.SetLogAction(laNone);
    app.LogWrite("appended");
    EXPECT_EQ(Lines(ReadFile(log)).size(), 2u);

    int asked = 0;
    app.SetOnLogAction(TZCLLogActionEvent::From([&](TObject*, const AnsiString& name, bool& handled) {
        EXPECT_EQ(name, log);
        ++asked;
        handled = true;
    }));
    app.SetLogAction(laClearLog);
    app.LogWrite("dropped");
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(Lines(ReadFile(log)).size(), 2u);

    app.SetOnLogAction(nullptr);
    app.LogWrite("fresh");
    EXPECT_EQ(ReadFile(log), "fresh\r\n");
}

TEST_F(AppLog, ALogThatCannotBeOpenedDropsTheEntry)
{
    app.SetLogName(TempFolder() + "no such folder\\zclapp_test");
    app.LogWrite("lost");
    EXPECT_FALSE(FileExists(app.LogName()));
}

// Exceptions ----------------------------------------------------------------------------------------------------

class AppExceptions : public AppLog {
protected:
    void SetUp() override
    {
        AppLog::SetUp();
        Application->SetMessageBoxHook(TMessageBoxHook::From([this](const AnsiString& text, const AnsiString&, UINT) {
            shown.push_back(text.c_str());
            return IDOK;
        }));
        app.SetOptions(TZCLApplicationOptions{aoLogException});
    }
    void TearDown() override
    {
        Application->SetMessageBoxHook(nullptr);
        AppLog::TearDown();
    }
    std::vector<std::string> shown;
};

// The logged address is a pointer's: 8 digits in the 32-bit build, 16 in the 64-bit one.
const std::string NoAddress(sizeof(void*) * 2, '0');

TEST_F(AppExceptions, UnhandledOnesAreLoggedWithTheSenderAndShown)
{
    TZCLTimerPool named(nullptr), unnamed(nullptr);
    named.SetName("Pool1");
    EConvertError e("bad value");
    app.HandleException(&named, &e);
    app.HandleException(&unnamed, &e);
    app.HandleException(nullptr, &e);
    EXPECT_EQ(shown, (std::vector<std::string>{"bad value", "bad value", "bad value"}));
    EXPECT_EQ(Lines(ReadFile(log)), (std::vector<std::string>{"TZCLTimerPool (Name: Pool1): bad value, Address: " + NoAddress,
                                                              "TZCLTimerPool: bad value, Address: " + NoAddress,
                                                              "bad value, Address: " + NoAddress}));
}

TEST_F(AppExceptions, OnExceptionCanHandleThemAndNothingIsLoggedOrShown)
{
    std::vector<Exception*> seen;
    app.SetOnException(TZCLExceptionEvent::From([&](TObject*, Exception* e, bool& handled) {
        seen.push_back(e);
        handled = e->Message() == "mine";
    }));
    Exception mine("mine");
    Exception other("other");
    app.HandleException(nullptr, &mine);
    EXPECT_TRUE(shown.empty());
    EXPECT_FALSE(FileExists(log));
    app.HandleException(nullptr, &other);
    EXPECT_EQ(shown, std::vector<std::string>{"other"});
    EXPECT_EQ(seen, (std::vector<Exception*>{&mine, &other}));
}

TEST_F(AppExceptions, LogExceptionWritesTheOneBeingHandled)
{
    app.LogException(nullptr);  // none being handled: nothing
    EXPECT_FALSE(FileExists(log));
    try {
        throw EListError("List index out of bounds (3)");
    } catch (...) {
        app.LogException(&app);
    }
    EXPECT_EQ(ReadFile(log), "TZCLApplication: List index out of bounds (3), Address: " + NoAddress + "\r\n");
}

// Small services -----------------------------------------------------------------------------------------------

TEST(ZclApplication, StopwatchMeasuresTheTicksBetweenStartAndStop)
{
    TZCLApplication app(nullptr);
    EXPECT_EQ(app.STWStop(), 0u);
    // Bracketed by readings of the stopwatch's own clock, the tick count.
    const DWORD before = GetTickCount();
    app.STWStart();
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < 60) Sleep(5);
    const std::uint32_t ms = app.STWStop();
    const DWORD after = GetTickCount();
    EXPECT_GE(ms, 60u);
    EXPECT_LE(ms, after - before);
    EXPECT_EQ(app.STWStop(), 0u);
}

TEST(ZclApplication, CheckerboardBitmapsOfEightByEight)
{
    TZCLApplication app(nullptr);
    TBitmap* black = app.GetBitmap();
    ASSERT_EQ(black->Width(), 8);
    ASSERT_EQ(black->Height(), 8);
    EXPECT_EQ(app.GetBitmap(), black);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(black->Canvas()->Pixels(x, y), (x + y) % 2 ? clBlack : clWhite) << x << "," << y;

    TBitmap* brush = app.GetBrushBitmap(clRed);
    EXPECT_EQ(brush->Canvas()->Pixels(1, 0), clRed);
    EXPECT_EQ(brush->Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(app.GetBrushBitmap(clRed), brush);
    EXPECT_EQ(app.GetBrushBitmap(clBlue), brush);  // the same bitmap, recoloured
    EXPECT_EQ(brush->Canvas()->Pixels(0, 7), clBlue);
    EXPECT_EQ(brush->Canvas()->Pixels(7, 7), clWhite);
}

TEST(ZclApplication, QuitWindowsAsksWithTheFlagsOfEachCodeAndTerminatesOnSuccess)
{
    TZCLApplication app(nullptr);
    std::vector<UINT> asked;
    bool answer = false;
    app.SetExitWindowsHook(TZCLExitWindowsHook::From([&](UINT flags) {
        asked.push_back(flags);
        return answer;
    }));
    MSG msg;
    EXPECT_FALSE(app.QuitWindows(ecRestart));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    answer = true;
    EXPECT_TRUE(app.QuitWindows(ecQuit));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // taken out again here
    EXPECT_TRUE(app.QuitWindows(ecReboot));
    EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // Log-off needs no privilege; the others got the shutdown privilege enabled for real first.
    EXPECT_EQ(asked, (std::vector<UINT>{0, EWX_SHUTDOWN | EWX_FORCE, EWX_REBOOT | EWX_FORCE}));
}

}  // namespace
