#include "tests/platform/modem/FakeModemManager.h"

#include <ModemManager.h>

#include <QCoreApplication>

#include <cstdio>

// fake-modemmanager [voice|data]...: serves a fake ModemManager on the system
// bus (DBUS_SYSTEM_BUS_ADDRESS), with one modem per argument, and takes its
// name only once everything is in place.
int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fake-modemmanager: no system bus\n");
        return 1;
    }
    FakeModemManager fake(bus);
    for (const QString& modem : QCoreApplication::arguments().mid(1))
        fake.AddModem(modem == QLatin1String("voice"));
    if (!bus.registerVirtualObject(QStringLiteral(MM_DBUS_PATH), &fake, QDBusConnection::SubPath)
        || !bus.registerVirtualObject(QString::fromLatin1(kFakeControlPath), &fake)
        || !bus.registerService(QStringLiteral(MM_DBUS_SERVICE))) {
        std::fprintf(stderr, "fake-modemmanager: cannot serve on the bus\n");
        return 1;
    }
    return QCoreApplication::exec();
}
