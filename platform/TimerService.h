#pragma once

#include <cstdint>
#include <functional>

namespace pelmora {

// One-shot timers of the user interface (the dialogs' numbered timers, the
// bubble's display time) go through this seam. Without a service they are Qt
// timers; the scripted simulator installs a simulated clock that fires them
// when its script moves time on.
class TimerService {
public:
    virtual ~TimerService() = default;
    // Starts, or restarts, timer `id` of `owner`; `fire` runs once when due.
    virtual void Start(const void* owner, int id, int64_t milliseconds, std::function<void()> fire)
        = 0;
    virtual void Stop(const void* owner, int id) = 0;
    virtual bool IsActive(const void* owner, int id) const = 0;
    // Every timer of `owner`, when it goes away.
    virtual void StopAll(const void* owner) = 0;
};

// The service in use (not owned); null for Qt's own timers.
void SetTimerService(TimerService* service);
TimerService* CurrentTimerService();

} // namespace pelmora
