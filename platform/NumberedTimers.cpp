#include "platform/NumberedTimers.h"

#include "platform/TimerService.h"

#include <QTimer>

#include <algorithm>
#include <climits>

namespace pelmora {

NumberedTimers::NumberedTimers(QObject* owner, std::function<void(int)> fire)
    : owner_(owner)
    , fire_(std::move(fire))
{
}

NumberedTimers::~NumberedTimers()
{
    if (TimerService* service = CurrentTimerService())
        service->StopAll(owner_);
}

void NumberedTimers::Start(int id, int64_t milliseconds)
{
    if (TimerService* service = CurrentTimerService()) {
        service->Start(owner_, id, milliseconds, [this, id] { fire_(id); });
        return;
    }
    QTimer*& timer = timers_[id];
    if (!timer) {
        timer = new QTimer(owner_);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, owner_, [this, id] { fire_(id); });
    }
    timer->start(static_cast<int>(std::clamp<int64_t>(milliseconds, 0, INT_MAX)));
}

void NumberedTimers::Stop(int id)
{
    if (TimerService* service = CurrentTimerService())
        service->Stop(owner_, id);
    if (const auto it = timers_.find(id); it != timers_.end())
        it->second->stop();
}

bool NumberedTimers::IsActive(int id) const
{
    if (TimerService* service = CurrentTimerService())
        return service->IsActive(owner_, id);
    const auto it = timers_.find(id);
    return it != timers_.end() && it->second->isActive();
}

} // namespace pelmora
