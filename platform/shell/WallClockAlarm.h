#pragma once

#include <QDateTime>
#include <QObject>

#include <optional>

class QSocketNotifier;

namespace pelmora {

// A wake-up at a moment of wall-clock time that also comes when the clock is
// set (by hand, by the network, across a time-zone change) and on resume
// from suspend past it, so a schedule never misses a boundary: a timerfd on
// the real-time clock, cancelled by the kernel when the clock is set.
class WallClockAlarm final : public QObject {
    Q_OBJECT
public:
    explicit WallClockAlarm(QObject* parent = nullptr);
    ~WallClockAlarm() override;

    // Replaces the moment armed before; without one only clock changes wake.
    void ArmAt(const std::optional<QDateTime>& at);

Q_SIGNALS:
    void Due();

private:
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pelmora
