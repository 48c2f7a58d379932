// The form hook on real forms: the owner's OnShow and OnDestroy chained (and given back), display and colour
// changes as events, the window messages it turns into events while the form still gets them, tracking limits
// and the maximised rectangle in pixels or screen fractions, placement texts, the settings store in the real
// registry, dropped files, snapping to the screen edges, the opening effect seen on the screen and the
// one-instance rule.

#include "zcl/components/ZclformA.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ComponentsTestKit.h"
#include "RegistryTestHelpers.h"
#include "support/Screenshot.h"
#include "framework/runtime/Registry.h"
#include "framework/visual/StdCtrls.h"
#include "zcl/core/Zclclass.h"
#include "zcl/core/Zclinictrl.h"

using namespace zcltest;

// A form class of its own: the hook's IniKey is named after it.
class TTestWindow : public TForm {
public:
    explicit TTestWindow(TComponent* owner) : TForm(owner) {}
};

namespace {

using Log = std::vector<std::string>;

class FormHookTest : public testing::Test {
protected:
    void SetUp() override
    {
        Screen->SetSizeForTesting(1024, 768);
        form = std::make_unique<TTestWindow>(nullptr);
        form->SetBounds(100, 80, 300, 200);
        form->SetCaption("Form hook owner");
        // The form's own procedure notes what reaches it after the hook.
        form->SetWindowProc(TWndMethod::From([this](TMessage& m) {
            if (m.Msg == WM_SYSCOLORCHANGE || m.Msg == WM_DISPLAYCHANGE || m.Msg == WM_TIMECHANGE ||
                m.Msg == WM_FONTCHANGE || m.Msg == WM_COMPACTING || m.Msg == WM_SPOOLERSTATUS ||
                m.Msg == WM_POWER || m.Msg == WM_WININICHANGE || m.Msg == WM_DEVMODECHANGE ||
                m.Msg == WM_PAINTICON)
                reached.push_back(m.Msg);
            form->WndProc(m);
        }));
    }
    void TearDown() override
    {
        form.reset();
        Screen->SetSizeForTesting(0, 0);
    }

    // The hook as the form's definition makes it, after the form's own handlers are set.
    TZCLForm* Load(const std::function<void(TZCLForm*)>& setUp = nullptr)
    {
        TComponentLoader loading(form.get());
        auto* hook = loading.Create<TZCLForm>();
        hook->SetName("MainFormData");
        if (setUp) setUp(hook);
        loading.Finish();
        return hook;
    }

    std::unique_ptr<TTestWindow> form;
    std::vector<UINT> reached;
    Log log;
};

TEST_F(FormHookTest, TheFormsOwnShowAndDestroyHandlersRunAfterTheHooksWork)
{
    form->SetOnShow(TNotifyEvent::From([&](TObject* sender) {
        EXPECT_EQ(sender, form.get());
        log.push_back("show " + std::to_string(form->Width()) + "x" + std::to_string(form->Height()));
    }));
    form->SetOnDestroy(TNotifyEvent::From([&](TObject*) { log.push_back("destroy"); }));
    TZCLForm* hook = Load([](TZCLForm* h) {
        h->SetIniKey("MainWindow");
        h->SetTrackMinWidth(400);
        h->SetTrackMaxHeight(150);
    });
    EXPECT_EQ(hook->IniUse(), ioNone);
    form->Show();
    // Limits applied first: the form's handler sees the widened, lowered form.
    EXPECT_EQ(log, Log{"show 400x150"});
    form->Hide();
    form->Show();
    EXPECT_EQ(log, (Log{"show 400x150", "show 400x150"}));
    form.reset();
    EXPECT_EQ(log, (Log{"show 400x150", "show 400x150", "destroy"}));
}

TEST_F(FormHookTest, AHookFreedBeforeItsFormGivesTheFormItsHandlersBack)
{
    form->SetOnShow(TNotifyEvent::From([&](TObject*) { log.push_back("show"); }));
    form->SetOnDestroy(TNotifyEvent::From([&](TObject*) { log.push_back("destroy"); }));
    TZCLForm* hook = Load();
    delete hook;
    form->Show();
    form.reset();
    EXPECT_EQ(log, (Log{"show", "destroy"}));
}

TEST_F(FormHookTest, TheDefaultKeyIsTheFormsClassNameWithoutItsFirstLetter)
{
    TZCLForm* hook = Load();
    EXPECT_EQ(hook->IniKey(), "TestWindow");
    EXPECT_EQ(hook->Section(), "Common");
    TComponent plain(nullptr);
    TZCLForm other(&plain);
    EXPECT_EQ(other.IniKey(), "Form");
}

TEST_F(FormHookTest, DisplayAndColourChangesBecomeEventsAndStillReachTheForm)
{
    Log events;
    TZCLForm* hook = Load([&](TZCLForm* h) {
        h->SetOnDisplayChange(TZCLSizingChangeEvent::From([&events, h](TObject* s, WORD w, WORD hgt, WORD bpp) {
            EXPECT_EQ(s, h);
            events.push_back("display " + std::to_string(w) + "x" + std::to_string(hgt) + "x" +
                             std::to_string(bpp));
        }));
        h->SetOnSysColorChange(TNotifyEvent::From([&](TObject*) { events.push_back("colours"); }));
    });
    (void)hook;
    form->HandleNeeded();
    SendMessageA(form->Handle(), WM_DISPLAYCHANGE, 16, MAKELPARAM(800, 600));
    EXPECT_EQ(events, Log{"display 800x600x16"});

    // A real change of the system colours (to the same colour) reaches every top-level window.
    form->Show();
    const int element = COLOR_BTNFACE;
    const COLORREF colour = GetSysColor(element);
    ASSERT_TRUE(SetSysColors(1, &element, &colour));
    ASSERT_TRUE(PumpUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events.back(), "colours");
    EXPECT_NE(std::find(reached.begin(), reached.end(), UINT(WM_SYSCOLORCHANGE)), reached.end());
    EXPECT_NE(std::find(reached.begin(), reached.end(), UINT(WM_DISPLAYCHANGE)), reached.end());
}

TEST_F(FormHookTest, SystemMessagesBecomeEventsWithTheirValues)
{
    Log events;
    bool cancelSuspend = false;
    TZCLForm* hook = Load([&](TZCLForm* h) {
        auto note = [&](const char* what) { return TNotifyEvent::From([&, what](TObject*) { events.push_back(what); }); };
        h->SetOnTimeChange(note("time"));
        h->SetOnFontChange(note("fonts"));
        h->SetOnPaintIcon(note("paint icon"));
        h->SetOnAPMResume(note("resume"));
        h->SetOnAPMCriticalResume(note("critical resume"));
        h->SetOnAPMSuspendRequest(TZCLStandardEvent::From([&](TObject*, bool& cancel) {
            events.push_back("suspend?");
            cancel = cancelSuspend;
        }));
        h->SetOnCompacting(TZCLSendIntegerEvent::From(
            [&](TObject*, int v) { events.push_back("compacting " + std::to_string(v)); }));
        h->SetOnSpoolerStatus(TZCLSendIntegerEvent::From(
            [&](TObject*, int v) { events.push_back("spooler " + std::to_string(v)); }));
        h->SetOnIniChange(TZCLSendStringEvent::From(
            [&](TObject*, const AnsiString& s) { events.push_back("ini [" + std::string(s.c_str()) + "]"); }));
        h->SetOnDevModeChange(TZCLSendStringEvent::From(
            [&](TObject*, const AnsiString& s) { events.push_back("devmode [" + std::string(s.c_str()) + "]"); }));
    });
    (void)hook;
    const HWND wnd = form->Handle();
    const char section[] = "intl";
    struct Case {
        UINT msg;
        WPARAM w;
        LPARAM l;
        const char* event;
    };
    const Case cases[] = {
        {WM_TIMECHANGE, 0, 0, "time"},
        {WM_FONTCHANGE, 0, 0, "fonts"},
        {WM_PAINTICON, 0, 0, "paint icon"},
        {WM_COMPACTING, 1234, 0, "compacting 1234"},
        {WM_SPOOLERSTATUS, 0, MAKELPARAM(7, 99), "spooler 7"},
        {WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(section), "ini [intl]"},
        {WM_WININICHANGE, 0, 0, "ini []"},  // the system often sends no text
        {WM_DEVMODECHANGE, 0, reinterpret_cast<LPARAM>("Printer"), "devmode [Printer]"},
        {WM_DEVMODECHANGE, 0, 0, "devmode []"},
        {WM_POWER, PWR_SUSPENDRESUME, 0, "resume"},
        {WM_POWER, PWR_CRITICALRESUME, 0, "critical resume"},
    };
    for (const Case& c : cases) {
        events.clear();
        reached.clear();
        SendMessageA(wnd, c.msg, c.w, c.l);
        EXPECT_EQ(events, Log{c.event});
        EXPECT_EQ(reached, std::vector<UINT>{c.msg}) << c.event << ": the form gets it as well";
    }
    events.clear();
    EXPECT_NE(SendMessageA(wnd, WM_POWER, PWR_SUSPENDREQUEST, 0), LRESULT(BROADCAST_QUERY_DENY));
    cancelSuspend = true;
    EXPECT_EQ(SendMessageA(wnd, WM_POWER, PWR_SUSPENDREQUEST, 0), LRESULT(BROADCAST_QUERY_DENY));
    EXPECT_EQ(events, (Log{"suspend?", "suspend?"}));
}

TEST_F(FormHookTest, ADisabledHookFiresNothing)
{
    int colours = 0;
    TZCLForm* hook = Load([&](TZCLForm* h) {
        h->SetOnSysColorChange(TNotifyEvent::From([&](TObject*) { ++colours; }));
    });
    hook->SetEnabled(false);
    SendMessageA(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colours, 0);
    EXPECT_EQ(reached, std::vector<UINT>{WM_SYSCOLORCHANGE});
    hook->SetEnabled(true);
    SendMessageA(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(colours, 1);
}

// ---------------------------------------------------------------------------------------------------------------
// Tracking limits and the maximised rectangle

MINMAXINFO AskLimits(HWND wnd)
{
    MINMAXINFO info{};
    info.ptMaxSize = {1111, 1112};
    info.ptMaxPosition = {-5, -6};
    info.ptMinTrackSize = {11, 12};
    info.ptMaxTrackSize = {2221, 2222};
    SendMessageA(wnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

TEST_F(FormHookTest, ScreenFractionsFollowTheDisplay)
{
    TZCLForm* hook = Load([](TZCLForm* h) {
        h->SetTrackMaxWidth(-2);
        h->SetTrackMaxHeight(-3);
        h->SetTrackMinWidth(200);
    });
    struct Case {
        int value;
        bool vertical;
        int pixels;
    };
    for (const Case c : {Case{-2, false, 512}, Case{-3, true, 256}, Case{-100, false, 10}, Case{-1, true, 768},
                         Case{0, false, 0}, Case{300, true, 300}})
        EXPECT_EQ(hook->GetRealValue(c.value, c.vertical), c.pixels) << c.value;

    MINMAXINFO info = AskLimits(form->Handle());
    EXPECT_EQ(info.ptMaxTrackSize.x, 512);
    EXPECT_EQ(info.ptMaxTrackSize.y, 256);
    EXPECT_EQ(info.ptMinTrackSize.x, 200);
    EXPECT_EQ(info.ptMinTrackSize.y, 12) << "an unset limit leaves the system's";
    EXPECT_EQ(info.ptMaxSize.x, 1111);

    Screen->SetSizeForTesting(800, 600);
    SendMessageA(form->Handle(), WM_DISPLAYCHANGE, 24, MAKELPARAM(800, 600));
    info = AskLimits(form->Handle());
    EXPECT_EQ(info.ptMaxTrackSize.x, 400);
    EXPECT_EQ(info.ptMaxTrackSize.y, 200);
    EXPECT_EQ(hook->TrackMaxWidth(), -2) << "the value as set stays";
}

TEST_F(FormHookTest, LimitsThatWouldCrossAreRefusedAndOutOfRangeValuesIgnored)
{
    TZCLForm* hook = Load();
    hook->SetTrackMinWidth(300);
    hook->SetTrackMaxWidth(200);
    EXPECT_EQ(hook->TrackMaxWidth(), 0) << "a maximum below the minimum";
    hook->SetTrackMaxWidth(-4);  // 256 pixels
    EXPECT_EQ(hook->TrackMaxWidth(), 0);
    hook->SetTrackMaxWidth(-3);  // 341 pixels
    EXPECT_EQ(hook->TrackMaxWidth(), -3);
    hook->SetTrackMinWidth(400);
    EXPECT_EQ(hook->TrackMinWidth(), 300) << "a minimum above the maximum";
    hook->SetTrackMinWidth(0);
    EXPECT_EQ(hook->TrackMinWidth(), 0) << "0 clears it";
    hook->SetTrackMaxHeight(-101);
    EXPECT_EQ(hook->TrackMaxHeight(), 0);
    hook->SetTrackMaxHeight(-100);
    EXPECT_EQ(hook->TrackMaxHeight(), -100);
    hook->SetInteger(8, 50);
    EXPECT_EQ(hook->GetInteger(8), 0);
    hook->SetTrackMinHeight(90);
    EXPECT_EQ(hook->TrackMinHeight(), 0) << "above the 7 pixels of -100";
    hook->SetTrackMaxHeight(0);
    hook->SetTrackMinValues(TPoint(120, 90));
    EXPECT_EQ(hook->TrackMinWidth(), 120);
    EXPECT_EQ(hook->TrackMinHeight(), 90);
    hook->SetTrackMaxValues(TPoint(500, 400));
    EXPECT_EQ(hook->TrackMaxWidth(), 500);
    EXPECT_EQ(hook->TrackMaxHeight(), 400);

    // On a smaller screen the maximum is cut to it and a minimum above lowered to it.
    hook->SetTrackMaxWidth(2000);
    hook->SetTrackMinWidth(1500);
    Screen->SetSizeForTesting(1000, 700);
    hook->SetRunTimeValues();
    EXPECT_EQ(hook->RunTimeValue(1), 1000);
    EXPECT_EQ(hook->RunTimeValue(3), 1000);
}

TEST_F(FormHookTest, AMaximisedFormTakesTheMaximisedRectangle)
{
    TZCLForm* hook = Load([](TZCLForm* h) { h->SetMaximizedRect(TRect(10, 20, 500, 400)); });
    EXPECT_EQ(hook->MaximizedPosX(), 10);
    EXPECT_EQ(hook->MaximizedPosY(), 20);
    EXPECT_EQ(hook->MaximizedWidth(), 500);
    EXPECT_EQ(hook->MaximizedHeight(), 400);
    const MINMAXINFO info = AskLimits(form->Handle());
    EXPECT_EQ(info.ptMaxPosition.x, 10);
    EXPECT_EQ(info.ptMaxPosition.y, 20);
    EXPECT_EQ(info.ptMaxSize.x, 500);
    EXPECT_EQ(info.ptMaxSize.y, 400);

    form->Show();
    ShowWindow(form->Handle(), SW_MAXIMIZE);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 500);
    EXPECT_EQ(r.bottom - r.top, 400);
}

TEST_F(FormHookTest, TrackInfoAndMaximizeInfoHandlersDecideInstead)
{
    Load([](TZCLForm* h) {
        h->SetTrackMaxWidth(500);
        h->SetOnTrackInfo(TZCLTrackInfoEvent::From([](TObject*, int& minW, int& minH, int& maxW, int& maxH) {
            EXPECT_EQ(minW, 11);
            EXPECT_EQ(maxW, 2221);
            minW = 1;
            minH = 2;
            maxW = 3;
            maxH = 4;
        }));
        h->SetOnMaximizeInfo(TZCLMaxInfoEvent::From([](TObject*, int& x, int& y, int& w, int& hgt) {
            x = 5;
            y = 6;
            w = 7;
            hgt = 8;
        }));
    });
    const MINMAXINFO info = AskLimits(form->Handle());
    EXPECT_EQ(info.ptMinTrackSize.x, 1);
    EXPECT_EQ(info.ptMinTrackSize.y, 2);
    EXPECT_EQ(info.ptMaxTrackSize.x, 3);
    EXPECT_EQ(info.ptMaxTrackSize.y, 4);
    EXPECT_EQ(info.ptMaxPosition.x, 5);
    EXPECT_EQ(info.ptMaxPosition.y, 6);
    EXPECT_EQ(info.ptMaxSize.x, 7);
    EXPECT_EQ(info.ptMaxSize.y, 8);
}

// ---------------------------------------------------------------------------------------------------------------
// Placement texts

RECT NormalRect(HWND wnd)
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(wnd, &wp);
    return wp.rcNormalPosition;
}

TEST_F(FormHookTest, AStoredPlacementRestoresPositionAndSize)
{
    TZCLForm* hook = Load();
    form->Show();
    hook->SetIniString("200,0,1,10,20,410,320");
    const RECT r = NormalRect(form->Handle());
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right, 410);
    EXPECT_EQ(r.bottom, 320);
    EXPECT_EQ(form->Left(), 10);
    EXPECT_EQ(form->Width(), 400);
    EXPECT_EQ(form->Height(), 300);
    EXPECT_EQ(hook->GetIniString(), "200,0,1,10,20,410,320");
}

struct PartCase {
    const char* name;
    TZCLFormIniSaveOptions options;
    RECT expected;
};

class FormHookPlacementParts : public FormHookTest, public testing::WithParamInterface<PartCase> {};

TEST_P(FormHookPlacementParts, TheSaveOptionsChooseWhatIsRestored)
{
    TZCLForm* hook = Load([](TZCLForm* h) { h->SetIniSaveOptions(GetParam().options); });
    form->Show();
    hook->SetIniString("200,0,1,10,20,410,320");
    const RECT r = NormalRect(form->Handle());
    EXPECT_EQ(r.left, GetParam().expected.left);
    EXPECT_EQ(r.top, GetParam().expected.top);
    EXPECT_EQ(r.right, GetParam().expected.right);
    EXPECT_EQ(r.bottom, GetParam().expected.bottom);
}

// The form stands at (100, 80), 300 x 200.
INSTANTIATE_TEST_SUITE_P(
    Options, FormHookPlacementParts,
    testing::Values(PartCase{"PositionOnly", {soPos}, {10, 20, 310, 220}},
                    PartCase{"SizeOnly", {soSize}, {100, 80, 500, 380}},
                    PartCase{"Both", {soPos, soSize}, {10, 20, 410, 320}},
                    PartCase{"StateOnly", {soState}, {100, 80, 400, 280}}),
    [](const testing::TestParamInfo<PartCase>& info) { return std::string(info.param.name); });

TEST_F(FormHookTest, APlacementBeyondTheScreenIsMovedBackKeepingItsSize)
{
    TZCLForm* hook = Load();
    form->Show();
    hook->SetIniString("200,0,1,900,700,1200,900");
    const RECT r = NormalRect(form->Handle());
    EXPECT_EQ(r.right, 1024);
    EXPECT_EQ(r.left, 1024 - 300);
    EXPECT_EQ(r.bottom, 768);
    EXPECT_EQ(r.top, 768 - 200);
}

class FormHookBadPlacement : public FormHookTest, public testing::WithParamInterface<const char*> {};

TEST_P(FormHookBadPlacement, NoUsablePlacementCentresTheFormAndSaysSo)
{
    int noData = 0;
    TZCLForm* hook = Load([&](TZCLForm* h) {
        h->SetOptions({foAutoShow, foAutoCenter});
        h->SetOnNoRestoreData(TNotifyEvent::From([&](TObject*) { ++noData; }));
    });
    form->Show();
    hook->SetIniString(GetParam());
    EXPECT_EQ(noData, 1);
    EXPECT_EQ(form->Left(), (1024 - 300) / 2);
    EXPECT_EQ(form->Top(), (768 - 200) / 2);
    EXPECT_EQ(form->Width(), 300);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormHookBadPlacement,
                         testing::Values("", "200,0,1,10,20,410", "201,0,1,10,20,410,320",
                                         "200,0,1,10,20,410,320,5", "200,0,1,ten,20,410,320", "200,,,,,,",
                                         "garbage"));

// ---------------------------------------------------------------------------------------------------------------
// The settings store, in the registry

using regtest::DeleteKeyTree;

class FormHookStore : public FormHookTest {
protected:
    const char* path = "Software\\DravikREMOTE tests\\FormHook";
    void SetUp() override
    {
        FormHookTest::SetUp();
        DeleteKeyTree(HKEY_CURRENT_USER, path);
    }
    void TearDown() override
    {
        FormHookTest::TearDown();
        DeleteKeyTree(HKEY_CURRENT_USER, path);
    }
    std::string Raw(const std::string& section, const std::string& name)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(path) + "\\" + section).c_str(), 0, KEY_READ, &key))
            return "<none>";
        char value[512] = "";
        DWORD size = sizeof value, type = 0;
        const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
        RegCloseKey(key);
        if (rc) return "<none>";
        EXPECT_EQ(type, DWORD(REG_SZ));
        return value;
    }
    TZCLForm* LoadWithStore(TZCLFormIniSaveOptions options)
    {
        TComponentLoader loading(form.get());
        auto* store = loading.Create<TZCLIniCtrl>();
        store->SetRegRoot(rpCurrentUser);
        store->SetTarget(itRegistry);
        store->SetRegPath(path);
        auto* hook = loading.Create<TZCLForm>();
        EXPECT_EQ(hook->IniLink(), store) << "the form's only store is linked";
        hook->SetIniUse(ioUseLink);
        hook->SetSection("Windows");
        hook->SetIniSaveOptions(options);
        hook->SetOnNoRestoreData(TNotifyEvent::From([this](TObject*) { log.push_back("no data"); }));
        loading.Finish();
        return hook;
    }
};

TEST_F(FormHookStore, PlacementColourAndFontGoToTheStoreWhenTheFormGoesAndComeBackWhenShown)
{
    LoadWithStore({soPos, soSize, soState, soColor, soFont});
    form->Show();
    EXPECT_EQ(log, Log{"no data"}) << "nothing stored yet";
    form->SetBounds(30, 40, 350, 250);
    form->SetColor(clAqua);
    form->Font()->SetName("Arial");
    form->Font()->SetSize(12);
    form.reset();
    EXPECT_EQ(Raw("Windows", "TestWindow").substr(0, 4), "200,");
    const std::string placement = Raw("Windows", "TestWindow");
    EXPECT_NE(placement.find(",30,40,380,290"), std::string::npos) << placement;
    EXPECT_EQ(Raw("Windows", "TestWindowColor"), "clAqua");
    EXPECT_EQ(Raw("Windows", "TestWindowFont").substr(0, 9), "Arial,12,");

    // The next form of the same kind shows where this one was.
    form = std::make_unique<TTestWindow>(nullptr);
    form->SetBounds(100, 80, 300, 200);
    log.clear();
    LoadWithStore({soPos, soSize, soState, soColor, soFont});
    form->Show();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(form->Left(), 30);
    EXPECT_EQ(form->Top(), 40);
    EXPECT_EQ(form->Width(), 350);
    EXPECT_EQ(form->Color(), clAqua);
    EXPECT_EQ(form->Font()->Name(), "Arial");
}

TEST_F(FormHookStore, BrokenStoredValuesLeaveTheFormsOwnAndOptionsLeftOutDeleteTheirs)
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(path) + "\\Windows").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    auto put = [&](const char* name, const char* value) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), DWORD(std::strlen(value) + 1));
    };
    put("TestWindow", "200,0,1,60,70,360,270");
    put("TestWindowColor", "clNoSuchColour");
    put("TestWindowFont", "Arial,12,clBlack,maybe,0,0,0");
    RegCloseKey(key);

    LoadWithStore({soPos, soSize, soState, soColor, soFont});
    form->SetColor(clYellow);
    form->Font()->SetName("Courier New");
    ASSERT_NO_THROW(form->Show());
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(form->Left(), 60);
    EXPECT_EQ(form->Color(), clYellow);
    EXPECT_EQ(form->Font()->Name(), "Courier New");
    form.reset();

    form = std::make_unique<TTestWindow>(nullptr);
    LoadWithStore({soPos});
    form->Show();
    form.reset();
    EXPECT_EQ(Raw("Windows", "TestWindowColor"), "<none>");
    EXPECT_EQ(Raw("Windows", "TestWindowFont"), "<none>");
    EXPECT_NE(Raw("Windows", "TestWindow"), "<none>");
}

TEST_F(FormHookStore, WithRestoreOnceThePlacementIsReadOnlyAtTheFirstShow)
{
    for (bool once : {false, true}) {
        // No placement stored, so that each reading says so.
        form.reset();
        DeleteKeyTree(HKEY_CURRENT_USER, path);
        form = std::make_unique<TTestWindow>(nullptr);
        log.clear();
        TZCLForm* hook = LoadWithStore({soPos, soSize});
        if (once) hook->SetOptions({foAutoShow, foRestoreOnce});
        for (int i = 0; i < 3; ++i) {
            form->Show();
            form->Hide();
        }
        EXPECT_EQ(log.size(), once ? 1u : 3u) << once;
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Dropped files

// A drop as the shell hands it over: the DROPFILES block with the names one after another.
HDROP MakeDrop(const std::vector<std::string>& names, POINT at)
{
    std::size_t size = sizeof(DROPFILES) + 1;
    for (const std::string& n : names) size += n.size() + 1;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fNC = FALSE;
    drop->fWide = FALSE;
    char* p = reinterpret_cast<char*>(drop) + sizeof(DROPFILES);
    for (const std::string& n : names) {
        std::memcpy(p, n.c_str(), n.size() + 1);
        p += n.size() + 1;
    }
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string NameOf(std::size_t length, char fill)
{
    std::string n = "C:\\";
    while (n.size() < length) n += fill;
    return n;
}

struct DropCase {
    const char* name;
    TZCLCharCase charCase;
};

class FormHookDrop : public FormHookTest, public testing::WithParamInterface<DropCase> {};

TEST_P(FormHookDrop, EveryDroppedNameIsHandedOnInItsCaseAndTheDropIsGivenBack)
{
    int count = -1, x = 0, y = 0;
    std::vector<std::string> names;
    TZCLForm* hook = Load([&](TZCLForm* h) {
        h->SetAcceptFiles(true);
        h->SetCharCase(GetParam().charCase);
        h->SetOnFMDragDrop(TZCLFMDragDropEvent::From([&](TObject*, int n, int px, int py, TStrings* list) {
            count = n;
            x = px;
            y = py;
            for (int i = 0; i < list->Count(); ++i) names.push_back(list->Strings(i).c_str());
        }));
    });
    (void)hook;
    // One name far longer than any the shell used to hand over.
    const std::vector<std::string> dropped{NameOf(10, 'a') + "Bc", NameOf(300, 'D'), NameOf(20, 'e') + "F"};
    const HDROP drop = MakeDrop(dropped, POINT{12, 34});
    SendMessageA(form->Handle(), WM_DROPFILES, WPARAM(drop), 0);
    EXPECT_EQ(count, 3);
    ASSERT_EQ(names.size(), 3u) << "the count and the list agree";
    EXPECT_EQ(x, 12);
    EXPECT_EQ(y, 34);
    for (std::size_t i = 0; i < 3; ++i) {
        std::string expected = dropped[i];
        for (char& c : expected) {
            if (GetParam().charCase == ccLowerCase) c = char(std::tolower(static_cast<unsigned char>(c)));
            if (GetParam().charCase == ccUpperCase) c = char(std::toupper(static_cast<unsigned char>(c)));
        }
        EXPECT_EQ(names[i], expected) << i;
    }
    EXPECT_EQ(GlobalSize(drop), 0u) << "the drop's memory is given back";
}

INSTANTIATE_TEST_SUITE_P(Cases, FormHookDrop,
                         testing::Values(DropCase{"Normal", ccNormal}, DropCase{"Lower", ccLowerCase},
                                         DropCase{"Upper", ccUpperCase}),
                         [](const testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(FormHookTest, AcceptingFilesFollowsTheOptionAndTheHook)
{
    TZCLForm* hook = Load();
    auto accepts = [&] { return (GetWindowLongA(form->Handle(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0; };
    EXPECT_FALSE(accepts());
    hook->SetAcceptFiles(true);
    EXPECT_TRUE(accepts());
    hook->SetEnabled(false);
    EXPECT_FALSE(accepts());
    hook->SetEnabled(true);
    EXPECT_TRUE(accepts());
    hook->SetAcceptFiles(false);
    EXPECT_FALSE(accepts());
}

// ---------------------------------------------------------------------------------------------------------------
// Snapping to the screen edges

struct DockCase {
    const char* name;
    int x, y;
    TZCLAutoDockSides sides, moveOut;
    int left, bottom;  // the two distances (the others stay 40)
    int expectX, expectY;
};

class FormHookDock : public FormHookTest, public testing::WithParamInterface<DockCase> {};

TEST_P(FormHookDock, AFormNearAnEdgeIsPutOnIt)
{
    TZCLForm* hook = Load();
    form->SetBounds(300, 300, 200, 100);
    const DockCase& c = GetParam();
    hook->AutoDock()->SetSides(c.sides);
    hook->AutoDock()->SetMoveOut(c.moveOut);
    hook->AutoDock()->SetLeft(c.left);
    hook->AutoDock()->SetBottom(c.bottom);
    int x = c.x, y = c.y;
    hook->AutoDockPosition(x, y);
    EXPECT_EQ(x, c.expectX);
    EXPECT_EQ(y, c.expectY);
}

// The screen is 1024 x 768, the form 200 x 100.
const TZCLAutoDockSides All{adLeft, adTop, adBottom, adRight};
INSTANTIATE_TEST_SUITE_P(
    Positions, FormHookDock,
    testing::Values(DockCase{"FarFromEveryEdge", 300, 300, All, All, 40, 40, 300, 300},
                    DockCase{"NearTheLeft", 30, 300, All, All, 40, 40, 0, 300},
                    DockCase{"JustOutOfReachOnTheLeft", 40, 300, All, All, 40, 40, 40, 300},
                    DockCase{"NearTheRight", 800, 300, All, All, 40, 40, 824, 300},
                    DockCase{"NearTheTop", 300, 20, All, All, 40, 40, 300, 0},
                    DockCase{"NearTheBottom", 300, 640, All, All, 40, 40, 300, 668},
                    DockCase{"PartlyOffTheLeftMayStay", -20, 300, All, All, 40, 40, -20, 300},
                    DockCase{"PartlyOffTheLeftComesBack", -20, 300, All, {}, 40, 40, 0, 300},
                    DockCase{"PartlyOffTheRightMayStay", 900, 300, All, All, 40, 40, 900, 300},
                    DockCase{"PartlyOffTheBottomComesBack", 300, 700, All, {adLeft}, 40, 40, 300, 668},
                    DockCase{"LeftNotASide", 30, 300, {adTop, adBottom, adRight}, All, 40, 40, 30, 300},
                    // The bottom distance is its own: a small left one does not shorten it.
                    DockCase{"OwnBottomDistance", 20, 600, All, All, 10, 100, 20, 668},
                    DockCase{"OwnLeftDistance", 20, 600, All, All, 30, 10, 0, 600}),
    [](const testing::TestParamInfo<DockCase>& info) { return std::string(info.param.name); });

TEST_F(FormHookTest, TheFormSnapsAtTheEndOfAMoveOrWhileMoving)
{
    TZCLForm* hook = Load([](TZCLForm* h) { h->AutoDock()->SetEnabled(true); });
    form->Show();
    form->SetBounds(20, 300, 200, 100);
    EXPECT_EQ(form->Left(), 20) << "after the move only";
    SendMessageA(form->Handle(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(form->Left(), 0);
    EXPECT_EQ(form->Top(), 300);

    // While moving: the window lands on the edge at once, and OnMoving may stop the move.
    hook->AutoDock()->SetAfterMove(false);
    std::vector<std::pair<int, int>> moving;
    bool cancel = false;
    hook->SetOnMoving(TZCLMovingEvent::From([&](TObject*, int x, int y, bool& c) {
        moving.push_back({x, y});
        c = cancel;
    }));
    // Moved as the user moves it (the form's own bounds follow the window).
    SetWindowPos(form->Handle(), nullptr, 500, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 500);
    EXPECT_EQ(r.top, 0);
    ASSERT_FALSE(moving.empty());
    EXPECT_EQ(moving.back(), std::make_pair(500, 0));
    cancel = true;
    SetWindowPos(form->Handle(), nullptr, 300, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.left, 500) << "cancelled";
    moving.clear();
    cancel = false;
    SetWindowPos(form->Handle(), nullptr, 0, 0, 250, 120, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(moving.empty()) << "a change of size alone is no move";
}

// ---------------------------------------------------------------------------------------------------------------
// Resolution and design

TEST_F(FormHookTest, AFormDesignedAtAnotherResolutionIsScaledBackOnce)
{
    auto* panel = new TCustomControl(form.get());
    panel->SetParent(form.get());
    panel->SetBounds(40, 20, 160, 80);
    auto* button = new TButton(form.get());
    button->SetParent(panel);
    button->SetBounds(8, 16, 80, 24);
    TZCLForm* hook = Load([](TZCLForm* h) {
        h->SetDesignPPI(120);
        h->SetOptions({foAutoShow, foTryAdaptRes});
    });
    ASSERT_EQ(Screen->PixelsPerInch(), 96);
    form->Show();
    EXPECT_EQ(form->PixelsPerInch(), 96);
    EXPECT_EQ(panel->BoundsRect(), TRect(50, 25, 250, 125));
    EXPECT_EQ(button->BoundsRect(), TRect(10, 20, 110, 50));
    hook->AdaptResolution();
    EXPECT_EQ(button->BoundsRect(), TRect(10, 20, 110, 50)) << "once only";

    // A form that is not scaled stays as it is.
    form = std::make_unique<TTestWindow>(nullptr);
    form->SetScaled(false);
    auto* other = new TButton(form.get());
    other->SetParent(form.get());
    other->SetBounds(8, 16, 80, 24);
    TZCLForm* second = Load([](TZCLForm* h) { h->SetDesignPPI(120); });
    second->AdaptResolution();
    EXPECT_EQ(other->BoundsRect(), TRect(8, 16, 88, 40));
}

// The rectangles the opening effect draws on the screen while the form is being shown, seen by a thread that
// looks at the screen all the while: each held for 25.5 ms, so dozens of them are there to be seen.
std::vector<TRect> FramesWhileShown(TCustomForm* form, const TRect& area)
{
    const testshot::Shot base = testshot::Shot::OfScreen(area);
    std::atomic<bool> done{false};
    std::vector<TRect> seen;
    std::thread watcher([&] {
        while (!done) {
            const testshot::Shot now = testshot::Shot::OfScreen(area);
            TRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
            for (int y = 0; y < area.Height(); ++y)
                for (int x = 0; x < area.Width(); ++x)
                    if (now.At(x, y) != base.At(x, y)) {
                        box.left = std::min<int>(box.left, area.left + x);
                        box.top = std::min<int>(box.top, area.top + y);
                        box.right = std::max<int>(box.right, area.left + x + 1);
                        box.bottom = std::max<int>(box.bottom, area.top + y + 1);
                    }
            if (box.left < box.right && (seen.empty() || !(seen.back() == box))) seen.push_back(box);
        }
    });
    form->Show();
    done = true;
    watcher.join();
    return seen;
}

TEST_F(FormHookTest, TheOpeningEffectPlaysAsTheFormIsShown)
{
    if (GetSystemMetrics(SM_CXSCREEN) != 1024 || GetSystemMetrics(SM_CYSCREEN) != 768)
        GTEST_SKIP() << "needs the 1024 x 768 test display";
    struct Restore {
        std::uint8_t delay = ZCLApplication->ExplodeDelay();
        ~Restore() { ZCLApplication->SetExplodeDelay(delay); }
    } restore;
    ZCLApplication->SetExplodeDelay(255);
    TZCLForm* hook = Load();
    const TRect target(500, 300, 900, 600);
    form->SetBorderStyle(bsNone);
    form->SetBounds(target.left, target.top, target.Width(), target.Height());
    // The effects start at the cursor, well away from the form.
    SetCursorPos(60, 60);
    ASSERT_TRUE(PumpUntil([] {
        POINT p;
        return GetCursorPos(&p) && p.x == 60 && p.y == 60;
    }));
    const struct {
        TZCLDlgEffect effect;
        const char* what;
        bool fromCursor;  // frames between the cursor and the form
        bool strips;      // frames of the form's width opening on its centre line
    } cases[] = {
        {deNone, "none", false, false},
        {deExplode, "explode", true, false},
        {deExplodeExt, "explode from the centre line", true, true},
    };
    for (const auto& c : cases) {
        hook->SetEffect(c.effect);
        form->Hide();
        ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(form->Handle()); }));
        testwait::PumpFor(100);  // the screen where the form was settles
        const std::vector<TRect> frames = FramesWhileShown(form.get(), TRect(0, 0, 960, 640));
        bool fromCursor = false, strips = false;
        for (const TRect& f : frames) {
            fromCursor = fromCursor || f.right < target.left || f.left < target.left - 100;
            strips = strips || (std::abs(f.left - target.left) <= 1 && std::abs(f.right - target.right) <= 1 &&
                                f.Height() < target.Height() - 40 &&
                                std::abs((f.top + f.bottom) - (target.top + target.bottom)) <= 2);
        }
        EXPECT_EQ(fromCursor, c.fromCursor) << c.what << ", " << frames.size() << " frames";
        EXPECT_EQ(strips, c.strips) << c.what << ", " << frames.size() << " frames";
    }
}

TEST(FormHookDesign, ASecondHookOnAFormBeingDesignedIsRefused)
{
    TForm form(nullptr);
    form.SetDesigning(true);
    new TZCLForm(&form);
    EXPECT_THROW(new TZCLForm(&form), ZCLEOneInstError);
    EXPECT_EQ(form.ComponentCount(), 1);
}

}  // namespace
