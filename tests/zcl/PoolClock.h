#pragma once
// The library application's timer pool as a clock for tests: an item that runs on every tick of the pool counts
// them, so a control's delays are measured in the pool's own ticks, whatever the machine's load.

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "framework/runtime/Closure.h"
#include "zcl/core/Zclclass.h"

namespace poolclock {

class PoolClock {
public:
    // Made before the control under test starts its timer: items added later run after the clock's in a tick,
    // so what they do within a tick sees that tick already counted.
    PoolClock()
    {
        step_ = ZCLApplication->TimerPool()->MinInterval();
        id_ = ZCLApplication->AddTimer(step_, TNotifyEvent::From([this](TObject*) {
                                           ++ticks_;
                                           for (auto& w : watches_)
                                               if (w.at < 0 && w.done()) w.at = ticks_;
                                       }));
    }
    ~PoolClock()
    {
        if (id_) ZCLApplication->RemoveTimer(id_);
    }
    PoolClock(const PoolClock&) = delete;
    PoolClock& operator=(const PoolClock&) = delete;

    bool Running() const { return id_ != 0; }
    // The pool's ticks so far.
    int Now() const { return ticks_; }
    // The pool's step in milliseconds.
    unsigned Step() const { return step_; }
    // A period as whole ticks of the pool.
    int Ticks(unsigned ms) const { return int(ZCLPoolInterval(ms) / step_); }

    // The first tick at whose start done() holds; -1 until then. Something a later item did at tick n is seen
    // at tick n + 1.
    int Watch(std::function<bool()> done)
    {
        watches_.push_back({std::move(done), -1});
        return int(watches_.size() - 1);
    }
    int SeenAt(int watch) const { return watches_[std::size_t(watch)].at; }

private:
    struct WatchItem {
        std::function<bool()> done;
        int at;
    };
    std::uint16_t id_ = 0;
    unsigned step_ = 0;
    int ticks_ = 0;
    std::vector<WatchItem> watches_;
};

}  // namespace poolclock
