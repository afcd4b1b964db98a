#include "platform/shell/WallClockAlarm.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace pelmora {

namespace {
// Without a moment to wake at, a year away: the timer is there only to hear
// of clock changes.
constexpr int64_t kIdleSeconds = 366LL * 24 * 3600;
} // namespace

WallClockAlarm::WallClockAlarm(QObject* parent)
    : QObject(parent)
    , fd_(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
{
    if (fd_ < 0)
        return;
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &WallClockAlarm::OnReadable);
    ArmAt(std::nullopt);
}

WallClockAlarm::~WallClockAlarm()
{
    if (fd_ >= 0)
        close(fd_);
}

void WallClockAlarm::ArmAt(const std::optional<QDateTime>& at)
{
    if (fd_ < 0)
        return;
    const int64_t ms
        = at ? at->toMSecsSinceEpoch() : (QDateTime::currentSecsSinceEpoch() + kIdleSeconds) * 1000;
    itimerspec due {};
    // A moment already past still wakes, at once.
    due.it_value.tv_sec = std::max<int64_t>(ms / 1000, 1);
    due.it_value.tv_nsec = static_cast<long>((ms % 1000) * 1000000);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &due, nullptr);
}

void WallClockAlarm::OnReadable()
{
    uint64_t expirations = 0;
    // ECANCELED: the clock was set; the timer must be armed again.
    const ssize_t got = read(fd_, &expirations, sizeof expirations);
    if (got < 0 && errno == EAGAIN)
        return;
    Q_EMIT Due();
}

} // namespace pelmora
