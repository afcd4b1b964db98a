#include "tests/modem/ModemRig.h"

#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalSocket>

#include <cstdlib>
#include <gtest/gtest.h>

namespace pelmora::test {

namespace {

constexpr int kStartMs = 60000;
constexpr int kControlMs = 10000;

class RigEnvironment final : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!Rig().Start())
            std::fprintf(stderr, "modem rig: %s\n", qPrintable(Rig().Error()));
    }
    void TearDown() override { Rig().Stop(); }
};

[[maybe_unused]] ::testing::Environment* const g_rig
    = ::testing::AddGlobalTestEnvironment(new RigEnvironment);

} // namespace

ModemRig& Rig()
{
    static ModemRig rig;
    return rig;
}

ModemRig::~ModemRig()
{
    Stop();
}

QString ModemRig::ReadLine(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!rig_.canReadLine() && !deadline.hasExpired())
        if (!rig_.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            break;
    return rig_.canReadLine() ? QString::fromUtf8(rig_.readLine()).trimmed() : QString();
}

bool ModemRig::Start()
{
    rig_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    rig_.start(QStringLiteral("python3"), {QStringLiteral(PELMORA_MODEM_RIG)});
    if (!rig_.waitForStarted(kStartMs)) {
        error_ = QStringLiteral("python3 could not be started");
        return false;
    }
    for (QString line = ReadLine(kStartMs); !line.isEmpty(); line = ReadLine(kStartMs)) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("bus="))) {
            // Both buses, before Qt connects to either.
            setenv("DBUS_SYSTEM_BUS_ADDRESS", value.toUtf8().constData(), 1);
            setenv("DBUS_SESSION_BUS_ADDRESS", value.toUtf8().constData(), 1);
        } else if (line.startsWith(QLatin1String("control="))) {
            control_ = value;
        } else if (line.startsWith(QLatin1String("daemon-log="))) {
            daemonLog_ = value;
        } else if (line.startsWith(QLatin1String("modem="))) {
            modem_ = value;
        } else if (line == QLatin1String("ready")) {
            return true;
        } else if (line.startsWith(QLatin1String("error="))) {
            error_ = value;
            return false;
        }
    }
    error_ = QStringLiteral("the rig ended or said nothing");
    return false;
}

void ModemRig::Stop()
{
    if (rig_.state() == QProcess::NotRunning)
        return;
    // End of input: the rig stops what it started, and only that.
    rig_.closeWriteChannel();
    if (!rig_.waitForFinished(30000)) {
        rig_.terminate();
        rig_.waitForFinished(10000);
    }
}

bool ModemRig::StopDaemon()
{
    rig_.write("stop-daemon\n");
    return ReadLine(kStartMs) == QLatin1String("stopped");
}

bool ModemRig::StartDaemon()
{
    rig_.write("start-daemon\n");
    const QString line = ReadLine(kStartMs);
    if (!line.startsWith(QLatin1String("modem="))) {
        error_ = line;
        return false;
    }
    modem_ = line.section(QLatin1Char('='), 1);
    return true;
}

QJsonObject ModemRig::Control(const QJsonObject& request)
{
    QLocalSocket socket;
    socket.connectToServer(control_);
    if (!socket.waitForConnected(kControlMs)) {
        ADD_FAILURE() << "modem control: " << socket.errorString().toStdString();
        return {};
    }
    socket.write(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n');
    const QDeadlineTimer deadline(kControlMs);
    while (!socket.canReadLine()
        && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
        ;
    const QJsonObject reply = QJsonDocument::fromJson(socket.readLine()).object();
    EXPECT_FALSE(reply.contains(QLatin1String("error")))
        << reply[QLatin1String("error")].toString().toStdString();
    return reply;
}

int ModemRig::Ring(const std::optional<QString>& number)
{
    QJsonObject request {{QStringLiteral("cmd"), QStringLiteral("ring")}};
    request[QStringLiteral("number")] = number ? QJsonValue(*number) : QJsonValue();
    return Control(request)[QLatin1String("index")].toInt();
}

void ModemRig::HangUp()
{
    Control({{QStringLiteral("cmd"), QStringLiteral("hangup")}});
}

void ModemRig::RefuseNextSms(int error)
{
    Control({{QStringLiteral("cmd"), QStringLiteral("refuse")}, {QStringLiteral("error"), error}});
}

bool ModemRig::Report(int status, int index)
{
    QJsonObject request {
        {QStringLiteral("cmd"), QStringLiteral("report")}, {QStringLiteral("status"), status}};
    if (index >= 0)
        request[QStringLiteral("index")] = index;
    return Control(request).contains(QLatin1String("reference"));
}

void ModemRig::Reset()
{
    Control({{QStringLiteral("cmd"), QStringLiteral("reset")}});
}

std::vector<ModemSms> ModemRig::Sms()
{
    std::vector<ModemSms> all;
    for (const QJsonValue& value :
        Control({{QStringLiteral("cmd"), QStringLiteral("sms")}})[QLatin1String("sms")].toArray()) {
        const QJsonObject o = value.toObject();
        const QJsonObject concat = o[QLatin1String("concat")].toObject();
        all.push_back({o[QLatin1String("number")].toString(), o[QLatin1String("text")].toString(),
            o[QLatin1String("coding")].toString(), o[QLatin1String("units")].toInt(),
            concat.isEmpty() ? -1 : concat[QLatin1String("reference")].toInt(),
            concat[QLatin1String("total")].toInt(), concat[QLatin1String("sequence")].toInt(),
            o[QLatin1String("reference")].toInt(-1),
            o[QLatin1String("status_report_requested")].toBool()});
    }
    return all;
}

std::vector<ReleasedCall> ModemRig::Released()
{
    std::vector<ReleasedCall> all;
    for (const QJsonValue& value :
        Control({{QStringLiteral("cmd"), QStringLiteral("calls")}})[QLatin1String("released")]
            .toArray()) {
        const QJsonObject o = value.toObject();
        all.push_back({o[QLatin1String("index")].toInt(), o[QLatin1String("number")].toString(),
            o[QLatin1String("how")].toString()});
    }
    return all;
}

QStringList ModemRig::Dials()
{
    QStringList all;
    for (const QJsonValue& value :
        Control({{QStringLiteral("cmd"), QStringLiteral("dials")}})[QLatin1String("dials")]
            .toArray())
        all.append(value.toString());
    return all;
}

QStringList ModemRig::Traffic()
{
    QStringList all;
    for (const QJsonValue& value :
        Control({{QStringLiteral("cmd"), QStringLiteral("log")}})[QLatin1String("log")].toArray())
        all.append(value.toString());
    return all;
}

} // namespace pelmora::test
