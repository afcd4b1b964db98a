#pragma once

#include <QObject>
#include <QTimeZone>

#include <functional>

class QFileSystemWatcher;

namespace pelmora {

// Tells when the system's time zone changes while the program runs: a phone
// that travels has timedated (or the user) replace /etc/localtime. The
// folder holding the zone file is watched, since the file is replaced, not
// written; each change there asks `readZone` again and tells only a zone
// that differs from the last one told.
class TimeZoneWatch final : public QObject {
    Q_OBJECT
public:
    using ZoneReader = std::function<QTimeZone()>;

    // The system's zone file and the system's zone by default.
    explicit TimeZoneWatch(
        QObject* parent = nullptr, QString zoneFile = QString(), ZoneReader readZone = nullptr);

Q_SIGNALS:
    void Changed(const QTimeZone& zone);

private:
    void Check();

    QFileSystemWatcher* watcher_ = nullptr;
    ZoneReader readZone_;
    QTimeZone last_;
};

} // namespace pelmora
