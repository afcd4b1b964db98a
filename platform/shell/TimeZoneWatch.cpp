#include "platform/shell/TimeZoneWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

#include <ctime>

namespace pelmora {

namespace {

QTimeZone SystemZone()
{
    // The C library keeps its own idea of the zone; local times printed
    // anywhere must follow the new one too.
    tzset();
    return QTimeZone::systemTimeZone();
}

} // namespace

TimeZoneWatch::TimeZoneWatch(QObject* parent, QString zoneFile, ZoneReader readZone)
    : QObject(parent)
    , watcher_(new QFileSystemWatcher(this))
    , readZone_(readZone ? std::move(readZone) : ZoneReader(&SystemZone))
    , last_(readZone_())
{
    if (zoneFile.isEmpty())
        zoneFile = QStringLiteral("/etc/localtime");
    watcher_->addPath(QFileInfo(zoneFile).absolutePath());
    watcher_->addPath(zoneFile);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, &TimeZoneWatch::Check);
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this, zoneFile] {
        // A replaced file drops out of the watch; it is watched again.
        if (!watcher_->files().contains(zoneFile))
            watcher_->addPath(zoneFile);
        Check();
    });
}

void TimeZoneWatch::Check()
{
    const QTimeZone zone = readZone_();
    if (zone == last_)
        return;
    last_ = zone;
    Q_EMIT Changed(zone);
}

} // namespace pelmora
