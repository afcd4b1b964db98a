#include "tests/platform/modem/ModemTestBus.h"

#include "tests/platform/modem/FakeModemManager.h"

#include <ModemManager.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>

namespace pelmora::test {

namespace {

bool g_busUp = false;

// A dbus-daemon of this test program's own, standing in for the system bus.
// It is started once and ends with the program (repeated runs keep it, as
// Qt keeps its connection to the first system bus it reached).
class PrivateSystemBus final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (g_busUp || !dir_.isValid())
            return;
        const QString config = dir_.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)")
                       .arg(dir_.filePath(QStringLiteral("system_bus_socket")))
                       .toUtf8());
        file.close();
        daemon_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        daemon_.start(QStringLiteral("dbus-daemon"),
            {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(10000))
            return;
        QByteArray address;
        while (!address.contains('\n') && daemon_.waitForReadyRead(10000))
            address += daemon_.readAll();
        address = address.trimmed();
        if (address.isEmpty())
            return;
        setenv("DBUS_SYSTEM_BUS_ADDRESS", address.constData(), 1);
        g_busUp = QDBusConnection::systemBus().isConnected();
    }
    ~PrivateSystemBus() override
    {
        daemon_.kill();
        daemon_.waitForFinished(10000);
    }

private:
    QTemporaryDir dir_;
    QProcess daemon_;
};

[[maybe_unused]] ::testing::Environment* const g_bus
    = ::testing::AddGlobalTestEnvironment(new PrivateSystemBus);

const QString kService = QStringLiteral(MM_DBUS_SERVICE);

} // namespace

bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    // The timer makes sure the wait for more events ends at the deadline.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeoutMs);
    while (!done() && deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

void RunEventsFor(int ms)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(ms);
    while (deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool PrivateSystemBusIsUp()
{
    return g_busUp;
}

FakeModemManagerProcess::FakeModemManagerProcess()
{
    QDBusConnection bus = QDBusConnection::systemBus();
    watcher_
        = new QDBusServiceWatcher(kService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [this](
            const QString&, const QString&, const QString& owner) { owned_ = !owner.isEmpty(); });
    bus.connect(QString(), QString::fromLatin1(kFakeControlPath),
        QString::fromLatin1(kFakeControlInterface), QStringLiteral("Logged"), this,
        SLOT(OnLogged(QString)));
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
}

FakeModemManagerProcess::~FakeModemManagerProcess()
{
    QDBusConnection::systemBus().disconnect(QString(), QString::fromLatin1(kFakeControlPath),
        QString::fromLatin1(kFakeControlInterface), QStringLiteral("Logged"), this,
        SLOT(OnLogged(QString)));
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(10000);
    }
}

bool FakeModemManagerProcess::WaitForName(bool owned)
{
    if (WaitUntil([&] { return owned_ == owned; }))
        return true;
    // The watcher's word may be late; the bus itself knows.
    const QDBusReply<bool> registered
        = QDBusConnection::systemBus().interface()->isServiceRegistered(kService);
    return registered.isValid() && registered.value() == owned;
}

bool FakeModemManagerProcess::Start(const QStringList& modems)
{
    process_.start(QStringLiteral(PELMORA_FAKE_MODEMMANAGER), modems);
    return process_.waitForStarted(10000) && WaitForName(true);
}

bool FakeModemManagerProcess::Stop()
{
    process_.terminate();
    return process_.waitForFinished(10000) && WaitForName(false);
}

bool FakeModemManagerProcess::Kill()
{
    process_.kill();
    return process_.waitForFinished(10000) && WaitForName(false);
}

QDBusMessage FakeModemManagerProcess::Control(const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kService,
        QString::fromLatin1(kFakeControlPath), QString::fromLatin1(kFakeControlInterface), method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::systemBus().call(call, QDBus::Block, 10000);
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage)
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
}

QString FakeModemManagerProcess::AddModem(bool voice)
{
    return Control(QStringLiteral("AddModem"), {voice}).arguments().value(0).toString();
}

void FakeModemManagerProcess::RemoveModem(const QString& path)
{
    Control(QStringLiteral("RemoveModem"), {path});
}

QString FakeModemManagerProcess::IncomingCall(const QString& number)
{
    return Control(QStringLiteral("IncomingCall"), {number}).arguments().value(0).toString();
}

QString FakeModemManagerProcess::AnnounceVanishedCall()
{
    return Control(QStringLiteral("AnnounceVanishedCall")).arguments().value(0).toString();
}

void FakeModemManagerProcess::SetCallState(const QString& path, int state)
{
    Control(QStringLiteral("SetCallState"), {path, state});
}

void FakeModemManagerProcess::SetCallNumber(const QString& path, const QString& number)
{
    Control(QStringLiteral("SetCallNumber"), {path, number});
}

void FakeModemManagerProcess::DeleteCall(const QString& path)
{
    Control(QStringLiteral("DeleteCall"), {path});
}

void FakeModemManagerProcess::SetFault(const QString& method, const QString& fault)
{
    Control(QStringLiteral("SetFault"), {method, fault});
}

QString FakeModemManagerProcess::Report(
    const QString& sent, unsigned deliveryState, const QString& number)
{
    QVariantList arguments {sent, deliveryState};
    if (!number.isNull())
        arguments.append(number);
    return Control(QStringLiteral("Report"), arguments).arguments().value(0).toString();
}

void FakeModemManagerProcess::OnLogged(const QString&) { }

const QStringList& FakeModemManagerProcess::Log()
{
    // Asked, not collected from the announcements: what a blocking call made
    // it do is then known as soon as that call has returned.
    if (process_.state() == QProcess::Running && owned_)
        log_ = Control(QStringLiteral("Log")).arguments().value(0).toStringList();
    return log_;
}

QStringList FakeModemManagerProcess::Starting(const QString& prefix)
{
    QStringList found;
    for (const QString& entry : Log())
        if (entry.startsWith(prefix))
            found.append(entry);
    return found;
}

bool FakeModemManagerProcess::WaitForLog(const QString& entry, int times)
{
    return WaitUntil([&] { return Count(entry) >= times; });
}

} // namespace pelmora::test
