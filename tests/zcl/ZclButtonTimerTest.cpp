// Buttons' repeat timers take the pool's interval rounding: up to the next whole tick of the pool, at least one.

#include <gtest/gtest.h>

#include "ZclButtonTestHelpers.h"
#include "zcl/buttons/Zclbuttonface.h"
#include "zcl/buttons/Zclspeedbutton.h"
#include "zcl/core/Zclclass.h"

using namespace zclbtn;

namespace {

TEST(ZclButtonTimer, IntervalsRoundUpToThePoolsTick)
{
    const unsigned tick = ZCLApplication->TimerPool()->MinInterval();
    ASSERT_EQ(tick, 50u);
    const struct {
        unsigned in;
        unsigned out;
    } cases[] = {{0, tick},           {1, tick},           {tick - 1, tick},    {tick, tick},
                 {tick + 1, 2 * tick}, {tick + tick / 2, 2 * tick}, {2 * tick - 1, 2 * tick}, {500, 500},
                 {60000, 60000},     {65499, 65500},      {65535, 65500}};
    for (const auto& c : cases) {
        const std::uint16_t id = ZCLAddButtonTimer(std::uint16_t(c.in), TNotifyEvent());
        ASSERT_NE(id, 0) << c.in;
        ASSERT_NE(ZCLApplication->GetTimer(id), nullptr) << c.in;
        EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), c.out) << c.in;
        EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), ZCLPoolInterval(c.in ? c.in : 1)) << c.in;
        ZCLApplication->RemoveTimer(id);
    }
}

class ButtonTimerForm : public ButtonForm {};

TEST_F(ButtonTimerForm, AHeldButtonsDelayAndIntervalRoundUp)
{
    auto* a = Add<TZCLSpeedButton>(20, 20);
    a->SetRepeatedClick(true);
    a->SetRepeatingDelay(60);
    a->SetRepeatingInterval(120);
    log.Watch(a, "A");
    ShowForm();
    MouseToCentre(a);
    Press();
    const std::uint16_t id = a->TimerId(ZCLRepeatTimer);
    ASSERT_NE(id, 0);
    ASSERT_NE(ZCLApplication->GetTimer(id), nullptr);
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 100);
    ASSERT_TRUE(PumpUntil([&] { return log.Count("A click") >= 1; }, 5000));
    EXPECT_EQ(ZCLApplication->GetTimer(id)->Interval(), 150);
    Release();
    EXPECT_EQ(a->TimerId(ZCLRepeatTimer), 0);
}

}  // namespace
