#include "platform/SimulatedClock.h"

#include <algorithm>

namespace pelmora {

namespace {
TimerService* g_service = nullptr;
}

void SetTimerService(TimerService* service)
{
    g_service = service;
}

TimerService* CurrentTimerService()
{
    return g_service;
}

SimulatedClock::SimulatedClock(int64_t startMs)
    : nowMs_(startMs)
{
}

int64_t SimulatedClock::NowSeconds() const
{
    // Whole seconds, rounded down also before 1970.
    return nowMs_ >= 0 ? nowMs_ / 1000 : -((-nowMs_ + 999) / 1000);
}

void SimulatedClock::Advance(int64_t milliseconds)
{
    if (milliseconds < 0)
        return;
    const int64_t target = nowMs_ + milliseconds;
    for (;;) {
        auto next
            = std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
                  return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.order < b.order;
              });
        if (next == timers_.end() || next->dueMs > target)
            break;
        // Taken out before it fires: the handler may start it again.
        Timer due = std::move(*next);
        timers_.erase(next);
        nowMs_ = std::max(nowMs_, due.dueMs);
        due.fire();
    }
    nowMs_ = target;
}

void SimulatedClock::Start(
    const void* owner, int id, int64_t milliseconds, std::function<void()> fire)
{
    Stop(owner, id);
    timers_.push_back(
        {owner, id, nowMs_ + std::max<int64_t>(milliseconds, 0), nextOrder_++, std::move(fire)});
}

void SimulatedClock::Stop(const void* owner, int id)
{
    std::erase_if(timers_, [&](const Timer& t) { return t.owner == owner && t.id == id; });
}

bool SimulatedClock::IsActive(const void* owner, int id) const
{
    return std::any_of(timers_.begin(), timers_.end(),
        [&](const Timer& t) { return t.owner == owner && t.id == id; });
}

void SimulatedClock::StopAll(const void* owner)
{
    std::erase_if(timers_, [&](const Timer& t) { return t.owner == owner; });
}

} // namespace pelmora
