#pragma once

#include "platform/TimerService.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace pelmora {

// A clock that stands still until told to move, with the timers that run on
// it: moving it fires every timer that falls due on the way, in time order
// (timers due at the same moment in the order they were started), each with
// the clock set to its due time, as a real clock would have.
class SimulatedClock final : public TimerService {
public:
    // `startMs`: milliseconds since 1970 (UTC).
    explicit SimulatedClock(int64_t startMs);

    int64_t NowMs() const { return nowMs_; }
    int64_t NowSeconds() const;
    // Moves the clock `milliseconds` on (negative values are ignored).
    void Advance(int64_t milliseconds);

    void Start(
        const void* owner, int id, int64_t milliseconds, std::function<void()> fire) override;
    void Stop(const void* owner, int id) override;
    bool IsActive(const void* owner, int id) const override;
    void StopAll(const void* owner) override;
    size_t PendingCount() const { return timers_.size(); }

private:
    struct Timer {
        const void* owner;
        int id;
        int64_t dueMs;
        uint64_t order;
        std::function<void()> fire;
    };

    int64_t nowMs_;
    uint64_t nextOrder_ = 0;
    std::vector<Timer> timers_;
};

} // namespace pelmora
