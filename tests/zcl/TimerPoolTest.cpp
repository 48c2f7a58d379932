// The timer pool: items firing on every n-th tick of one Windows timer, call counts, refused intervals and ids,
// the Windows timer's life, and the hidden window's tick path with its re-entry guard.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/runtime/Exceptions.h"
#include "framework/runtime/Filer.h"
#include "framework/visual/Forms.h"
#include "support/Wait.h"
#include "zcl/core/Zclclass.h"

namespace {

bool TimerMessageWaiting(HWND wnd)
{
    MSG msg;
    return PeekMessageA(&msg, wnd, WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
}

void DropTimerMessages(HWND wnd)
{
    MSG msg;
    while (PeekMessageA(&msg, wnd, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
}

class TimerPool : public testing::Test {
protected:
    TZCLTimerPool pool{nullptr, 50};
    std::vector<int> ticks;  // the tick (1-based) at which each call happened
    int tick = 0;

    TNotifyEvent Recorder()
    {
        return TNotifyEvent::From([this](TObject* sender) {
            EXPECT_EQ(sender, &pool);
            ticks.push_back(tick);
        });
    }
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            ++tick;
            pool.HandleTimers();
        }
    }
};

TEST_F(TimerPool, AnItemFiresOnEveryTickThatItsIntervalCovers)
{
    struct Case {
        TZCLTimerInterval interval;
        std::vector<int> ticks;
    } const cases[] = {
        {50, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {100, {2, 4, 6, 8, 10}},
        {250, {5, 10}},
        {500, {10}},
        {1000, {}},
    };
    for (const Case& c : cases) {
        ticks.clear();
        tick = 0;
        pool.AddTimer(1, c.interval, Recorder());
        EXPECT_EQ(pool.GetTimer(1)->TicksPerCall(), c.interval / 50);
        Ticks(10);
        EXPECT_EQ(ticks, c.ticks) << c.interval;
        pool.RemoveTimer(1);
    }
}

TEST_F(TimerPool, IntervalsThatAreNoMultipleOfMinIntervalAreRefused)
{
    for (TZCLTimerInterval interval : {75, 25, 0, 120}) {
        try {
            pool.AddTimer(1, interval, Recorder());
            ADD_FAILURE() << interval << " was accepted";
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(e.Message(), "Interval not compatible with MinInterval property!");
        }
        EXPECT_EQ(pool.GetCount(), 0);
    }
}

TEST_F(TimerPool, ASecondItemWithTheSameIdIsRefusedWithTheIdInTheMessage)
{
    EXPECT_EQ(pool.AddTimer(7, 100, Recorder()), 0);
    EXPECT_EQ(pool.AddTimer(8, 100, Recorder()), 1);
    try {
        pool.AddTimer(7, 200, Recorder());
        ADD_FAILURE() << "accepted";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (7)");
    }
    EXPECT_EQ(pool.GetCount(), 2);
    EXPECT_EQ(pool.GetTimer(7)->Interval(), 100);
}

TEST_F(TimerPool, AnItemWithCallCountThreeFiresThreeTimesAndIsThenDisabled)
{
    pool.AddTimerExt(1, 50, 3, true, Recorder());
    Ticks(10);
    EXPECT_EQ(ticks, (std::vector<int>{1, 2, 3}));
    TZCLTimerItem* item = pool.GetTimer(1);
    EXPECT_FALSE(item->Enabled());
    EXPECT_EQ(item->CallsMade(), 3);
    EXPECT_EQ(pool.GetActiveTimers(), 0);

    item->SetEnabled(true);  // a new run of three
    Ticks(10);
    EXPECT_EQ(ticks, (std::vector<int>{1, 2, 3, 11, 12, 13}));
}

TEST_F(TimerPool, ItemsWithoutHandlerReachThePoolsOnTimerWithTheirCallNumber)
{
    struct Call {
        std::uint16_t id;
        std::int32_t count;
    };
    std::vector<Call> calls;
    pool.SetOnTimer(TZCLTimerPoolEvent::From([&](TObject* sender, std::uint16_t id, std::int32_t count) {
        EXPECT_EQ(sender, &pool);
        calls.push_back({id, count});
    }));
    EXPECT_TRUE(pool.HasTimerProc());
    pool.AddTimerExt(4, 100, 2, true, nullptr);
    pool.AddTimer(5, 50, Recorder());  // has its own handler
    Ticks(6);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].id, 4);
    EXPECT_EQ(calls[0].count, 1);
    EXPECT_EQ(calls[1].count, 2);  // the last call still reports its number
    EXPECT_EQ(ticks.size(), 6u);
}

TEST_F(TimerPool, CallCountZeroDisablesAtOnceAndBlocksEnabling)
{
    pool.AddTimer(1, 50, Recorder());
    TZCLTimerItem* item = pool.GetTimer(1);
    EXPECT_EQ(item->CallCount(), -1);
    item->SetCallCount(0);
    EXPECT_FALSE(item->Enabled());
    item->SetEnabled(true);
    EXPECT_FALSE(item->Enabled());
    Ticks(3);
    EXPECT_TRUE(ticks.empty());

    item->SetCallCount(-7);
    EXPECT_EQ(item->CallCount(), -1);
    item->SetEnabled(true);
    Ticks(2);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(TimerPool, ItemIntervalIgnoresValuesThatAreNoMultipleAndTakesZeroAsMinInterval)
{
    pool.AddTimer(1, 200, Recorder());
    TZCLTimerItem* item = pool.GetTimer(1);
    item->SetInterval(130);
    EXPECT_EQ(item->Interval(), 200);
    EXPECT_EQ(item->TicksPerCall(), 4);
    item->SetInterval(0);
    EXPECT_EQ(item->Interval(), 50);
    EXPECT_EQ(item->TicksPerCall(), 1);
}

TEST_F(TimerPool, AnItemNeedsAPoolAndAList)
{
    TZCLTimerItemList list;
    for (auto make : {+[](TZCLTimerPool*, TZCLTimerItemList* l) { TZCLTimerItem item(nullptr, l, 1); },
                      +[](TZCLTimerPool* p, TZCLTimerItemList*) { TZCLTimerItem item(p, nullptr, 1); }}) {
        try {
            make(&pool, &list);
            ADD_FAILURE() << "made";
        } catch (const EInvalidOperation& e) {
            EXPECT_EQ(e.Message(), "TZCLTimerItem: Invalid Owner or List");
        }
    }
}

TEST_F(TimerPool, HandlersMayRemoveTheirOwnAndOtherItemsDuringATick)
{
    std::vector<std::uint16_t> calls;
    auto removing = [&](std::uint16_t self, std::uint16_t victim) {
        return TNotifyEvent::From([&calls, this, self, victim](TObject*) {
            calls.push_back(self);
            pool.RemoveTimer(victim);
            calls.push_back(self);  // still running on the captures of the freed item's handler
        });
    };
    pool.AddTimer(1, 50, removing(1, 1));
    pool.AddTimer(2, 50, removing(2, 3));
    pool.AddTimer(3, 50, Recorder());
    pool.HandleTimers();
    EXPECT_EQ(calls, (std::vector<std::uint16_t>{1, 1, 2, 2}));
    EXPECT_TRUE(ticks.empty());  // item 3 went before its turn
    EXPECT_EQ(pool.GetCount(), 1);
    EXPECT_EQ(pool.IndexOf(2), 0);
}

TEST_F(TimerPool, TheWindowsTimerRunsFromTheFirstAddUntilTheLastItemGoes)
{
    EXPECT_EQ(pool.Handle(), nullptr);
    pool.AddTimerExt(1, 100, -1, false, Recorder());  // disabled items keep it running
    pool.AddTimer(2, 100, Recorder());
    const HWND wnd = pool.Handle();
    ASSERT_TRUE(IsWindow(wnd));
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_TRUE(pool.MainTimerActive());
    EXPECT_EQ(pool.TickCounter(), 1);

    pool.RemoveTimer(2);
    EXPECT_TRUE(pool.MainTimerActive());
    EXPECT_TRUE(testwait::WaitUntil([&] { return TimerMessageWaiting(wnd); }, 10000));

    pool.RemoveTimer(1);
    EXPECT_FALSE(pool.MainTimerActive());
    DropTimerMessages(wnd);
    Sleep(120);
    EXPECT_FALSE(TimerMessageWaiting(wnd));
}

TEST_F(TimerPool, ClearTimersStopsTheTimerAndFreesEveryItem)
{
    pool.AddTimer(1, 50, Recorder());
    pool.AddTimer(2, 50, Recorder());
    pool.ClearTimers();
    EXPECT_EQ(pool.GetCount(), 0);
    EXPECT_FALSE(pool.MainTimerActive());
}

TEST_F(TimerPool, MinIntervalChangesOnlyWhileLoading)
{
    TZCLTimerPool defaultPool(nullptr);
    EXPECT_EQ(defaultPool.MinInterval(), 1000);
    const TPropInfo* published = GetPropInfo(&defaultPool, "MinInterval");
    ASSERT_NE(published, nullptr);
    EXPECT_EQ(published->Default, 1000);  // a form stores it only when it differs
    pool.SetInterval(100);
    EXPECT_EQ(pool.MinInterval(), 50);
    {
        TComponent root(nullptr);
        TComponentLoader loading(&root);
        auto* loaded = new TZCLTimerPool(&root, 50);
        loaded->SetInterval(100);
        EXPECT_EQ(loaded->MinInterval(), 100);
        loading.Finish();
    }
}

// On every fifth tick of the pool's 50 ms timer, by the pool's own count. In real time: never sooner than
// the ticks allow, and spaced a quarter of a second as a rule (a thread held up by a busy machine may get
// single calls late, which shifts one gap, not the middle one).
TEST_F(TimerPool, AQuarterSecondItemFiresFourTimesInASecondOfRealTime)
{
    std::vector<int> counters;
    std::vector<std::chrono::steady_clock::time_point> times;
    const auto start = std::chrono::steady_clock::now();
    pool.AddTimer(1, 250, TNotifyEvent::From([&](TObject*) {
        counters.push_back(pool.TickCounter());
        times.push_back(std::chrono::steady_clock::now());
    }));
    ASSERT_TRUE(testwait::PumpUntil([&] { return times.size() >= 6; }, 20000));
    pool.RemoveTimer(1);
    EXPECT_EQ(counters, (std::vector<int>{5, 10, 15, 20, 25, 30}));
    const auto ms = [](auto d) { return std::chrono::duration<double, std::milli>(d).count(); };
    EXPECT_GE(ms(times[5] - start), 30 * 50 - 20);
    std::vector<double> gaps;
    for (size_t i = 1; i < times.size(); ++i) gaps.push_back(ms(times[i] - times[i - 1]));
    std::sort(gaps.begin(), gaps.end());
    EXPECT_GE(gaps[2], 200) << "median gap";
    EXPECT_LE(gaps[2], 400) << "median gap";
}

TEST_F(TimerPool, AHandlerThatServesMessagesGetsNoNestedTicks)
{
    int depth = 0, deepest = 0, calls = 0;
    pool.AddTimer(1, 50, TNotifyEvent::From([&](TObject*) {
        ++calls;
        deepest = std::max(deepest, ++depth);
        if (calls == 1) testwait::PumpFor(300);  // several ticks come due meanwhile
        --depth;
    }));
    // And the ticks after it reach the item again.
    EXPECT_TRUE(testwait::PumpUntil([&] { return calls >= 3; }, 10000));
    EXPECT_EQ(deepest, 1);
}

// The report of a raising handler, and what the pool does while it is shown.
class RaisingHandler : public TimerPool {
protected:
    void SetUp() override
    {
        Application->SetOnException(TExceptionEvent::From([this](TObject* sender, Exception* e) {
            reports.push_back(e->Message().c_str());
            EXPECT_EQ(sender, &pool);
            SendMessageA(pool.Handle(), WM_TIMER, 1, 0);  // a tick while the error is being shown
        }));
    }
    void TearDown() override { Application->SetOnException(nullptr); }
    std::vector<std::string> reports;
};

TEST_F(RaisingHandler, GoesToTheApplicationAndThePoolGoesOnAfterwards)
{
    int calls = 0;
    pool.AddTimer(1, 50, TNotifyEvent::From([&](TObject*) {
        if (++calls == 1) throw EConvertError("tick failed");
    }));
    const HWND wnd = pool.Handle();
    SendMessageA(wnd, WM_TIMER, 1, 0);
    EXPECT_EQ(reports, (std::vector<std::string>{"tick failed"}));
    EXPECT_EQ(calls, 1);  // the tick during the report was dropped

    SendMessageA(wnd, WM_TIMER, 1, 0);
    SendMessageA(wnd, WM_TIMER, 1, 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(reports.size(), 1u);
}

TEST_F(RaisingHandler, KeepsTheRealTimerWorking)
{
    int calls = 0;
    pool.AddTimer(1, 50, TNotifyEvent::From([&](TObject*) {
        if (++calls == 1) throw std::runtime_error("not a framework error");
    }));
    EXPECT_TRUE(testwait::PumpUntil([&] { return calls >= 3; }, 10000));
    EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
