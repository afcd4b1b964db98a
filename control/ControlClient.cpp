#include "control/ControlClient.h"

#include "control/ControlService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>

namespace pelmora {

namespace {

QDBusMessage Call(const QDBusConnection& bus, const QString& interface, const QString& method,
    const QVariantList& arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        QString::fromLatin1(kControlService), QString::fromLatin1(kControlPath), interface, method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kControlCallTimeoutMs);
}

QDBusMessage GetProperty(const QDBusConnection& bus, const char* name)
{
    return Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
        {QString::fromLatin1(kControlInterface), QString::fromLatin1(name)});
}

QVariant Value(const QDBusMessage& reply)
{
    return qvariant_cast<QDBusVariant>(reply.arguments().value(0)).variant();
}

QDBusMessage CallControl(
    const QDBusConnection& bus, const QString& method, const QVariantList& arguments = {})
{
    return Call(bus, QString::fromLatin1(kControlInterface), method, arguments);
}

} // namespace

bool ControlServiceRuns(const QDBusConnection& bus)
{
    const QDBusConnectionInterface* names = bus.interface();
    return names && names->isServiceRegistered(QString::fromLatin1(kControlService)).value();
}

bool ActivateControlService(const QDBusConnection& bus)
{
    const QDBusConnectionInterface* names = bus.interface();
    if (!names)
        return false;
    // The bus waits for the service to own its name before it answers;
    // systemd gives a unit 90 s.
    QDBusMessage start = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("StartServiceByName"));
    start << QString::fromLatin1(kControlService) << 0u;
    const QDBusMessage reply = bus.call(start, QDBus::Block, 90000);
    return reply.type() == QDBusMessage::ReplyMessage && ControlServiceRuns(bus);
}

QJsonObject ControlStatusJson(const QVariantMap& properties)
{
    const auto text
        = [&](const char* name) { return properties.value(QString::fromLatin1(name)).toString(); };
    QJsonObject status {
        {QStringLiteral("monitoring"), properties.value(QStringLiteral("Monitoring")).toBool()},
        {QStringLiteral("interactive"), properties.value(QStringLiteral("Interactive")).toBool()},
        {QStringLiteral("sentCount"),
            static_cast<qint64>(properties.value(QStringLiteral("SentCount")).toUInt())},
        {QStringLiteral("activeProfile"), text("ActiveProfile")},
        {QStringLiteral("profiles"),
            QJsonArray::fromStringList(
                properties.value(QStringLiteral("Profiles")).toStringList())},
        {QStringLiteral("quietMinutes"),
            static_cast<qint64>(properties.value(QStringLiteral("QuietMinutes")).toUInt())},
        {QStringLiteral("dataDirectory"), text("DataDirectory")},
        {QStringLiteral("question"), QJsonValue::Null},
        {QStringLiteral("nextChange"), QJsonValue::Null},
        {QStringLiteral("schedulePausedUntil"),
            text("SchedulePausedUntil").isEmpty() ? QJsonValue(QJsonValue::Null)
                                                  : QJsonValue(text("SchedulePausedUntil"))},
    };
    const QVariantMap question
        = qdbus_cast<QVariantMap>(properties.value(QStringLiteral("PendingQuestion")));
    if (!question.isEmpty())
        status[QStringLiteral("question")] = QJsonObject {
            {QStringLiteral("id"),
                static_cast<qint64>(question.value(QStringLiteral("id")).toUInt())},
            {QStringLiteral("number"), question.value(QStringLiteral("number")).toString()},
            {QStringLiteral("name"), question.value(QStringLiteral("name")).toString()},
            {QStringLiteral("text"), question.value(QStringLiteral("text")).toString()},
        };
    status[QStringLiteral("busy")] = text("BusyUntil").isEmpty()
        ? QJsonValue(QJsonValue::Null)
        : QJsonValue(QJsonObject {{QStringLiteral("from"), text("BusyFrom")},
            {QStringLiteral("until"), text("BusyUntil")}});
    if (!text("NextChangeTime").isEmpty()) {
        QJsonObject next {{QStringLiteral("at"), text("NextChangeTime")},
            {QStringLiteral("action"), text("NextChangeAction")}};
        if (!text("NextChangeProfile").isEmpty())
            next[QStringLiteral("profile")] = text("NextChangeProfile");
        status[QStringLiteral("nextChange")] = next;
    }
    return status;
}

QString ControlStatusText(const QVariantMap& properties)
{
    const QVariantMap question
        = qdbus_cast<QVariantMap>(properties.value(QStringLiteral("PendingQuestion")));
    QString text
        = QStringLiteral("monitoring: %1\nsent: %2\nprofile: %3\n")
              .arg(properties.value(QStringLiteral("Monitoring")).toBool() ? QStringLiteral("on")
                                                                           : QStringLiteral("off"))
              .arg(properties.value(QStringLiteral("SentCount")).toUInt())
              .arg(properties.value(QStringLiteral("ActiveProfile")).toString());
    if (const QString until = properties.value(QStringLiteral("BusyUntil")).toString();
        !until.isEmpty())
        text += QStringLiteral("busy until: %1\n").arg(until);
    if (question.isEmpty())
        return text + QStringLiteral("question: none\n");
    const QString name = question.value(QStringLiteral("name")).toString();
    const QString number = question.value(QStringLiteral("number")).toString();
    return text
        + QStringLiteral("question: %1%2\nquestion text: %3\n")
              .arg(number,
                  name.isEmpty() || name == number ? QString() : QStringLiteral(" (%1)").arg(name),
                  question.value(QStringLiteral("text")).toString());
}

ControlOutcome RunControlCommand(
    const ControlCommand& command, const QDBusConnection& bus, const QString& dataDirectory)
{
    ControlOutcome outcome;
    const auto failed = [&](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ErrorMessage)
            return false;
        // A Pelmora that holds its name but does not answer (stopped, hung).
        if (reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply")
            || reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.Timeout")) {
            outcome.exitCode = kControlNotAnswering;
            outcome.err = QStringLiteral("pelmora: Pelmora is not answering\n");
            return true;
        }
        outcome.exitCode = kControlRefused;
        outcome.err = QStringLiteral("pelmora: %1\n").arg(reply.errorMessage());
        return true;
    };
    // Scripts of one data directory must never switch another's Pelmora.
    const QDBusMessage directory = GetProperty(bus, "DataDirectory");
    if (directory.type() == QDBusMessage::ErrorMessage
        && directory.errorName() != QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty")
        && failed(directory))
        return outcome;
    if (const QString theirs = Value(directory).toString();
        !theirs.isEmpty() && !dataDirectory.isEmpty() && theirs != dataDirectory) {
        outcome.exitCode = kControlOtherDataDirectory;
        outcome.err = QStringLiteral("pelmora: the running Pelmora uses %1, not %2; nothing was "
                                     "done\n")
                          .arg(theirs, dataDirectory);
        return outcome;
    }
    if (command.quietMinutes
        && failed(Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Set"),
            {QString::fromLatin1(kControlInterface), QStringLiteral("QuietMinutes"),
                QVariant::fromValue(QDBusVariant(QVariant::fromValue(*command.quietMinutes)))})))
        return outcome;
    if (!command.schedule.isEmpty()
        && failed(CallControl(bus, QStringLiteral("SetSchedule"), {command.schedule})))
        return outcome;
    if (command.pauseUntil == QStringLiteral("resume")) {
        if (failed(CallControl(bus, QStringLiteral("ResumeSchedule"))))
            return outcome;
    } else if (!command.pauseUntil.isEmpty()
        && failed(CallControl(bus, QStringLiteral("PauseSchedule"), {command.pauseUntil}))) {
        return outcome;
    }
    if (command.interactive
        && failed(
            Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
                {QString::fromLatin1(kControlInterface), QStringLiteral("Interactive"),
                    QVariant::fromValue(QDBusVariant(*command.interactive))})))
        return outcome;
    if (!command.profile.isEmpty()
        && failed(CallControl(bus, QStringLiteral("SetActiveProfile"), {command.profile})))
        return outcome;
    if (command.start) {
        const QDBusMessage reply = CallControl(bus, QStringLiteral("Start"));
        if (failed(reply))
            return outcome;
        // Started all the same: the warning goes where a script's user sees it.
        if (const QString warning = reply.arguments().value(0).toString(); !warning.isEmpty())
            outcome.err += QStringLiteral("pelmora: %1\n").arg(warning);
    }
    if (command.stop && failed(CallControl(bus, QStringLiteral("Stop"))))
        return outcome;
    if (command.answer) {
        // The answer is for the question open now; one that replaces it
        // before the answer arrives is refused, not answered.
        const QDBusMessage read
            = Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                {QString::fromLatin1(kControlInterface), QStringLiteral("PendingQuestion")});
        if (failed(read))
            return outcome;
        const QVariantMap question = qdbus_cast<QVariantMap>(
            qvariant_cast<QDBusVariant>(read.arguments().value(0)).variant());
        const uint id = question.value(QStringLiteral("id")).toUInt();
        if (failed(CallControl(bus, QStringLiteral("AnswerQuestion"), {id, *command.answer})))
            return outcome;
    }
    if (command.status) {
        const QDBusMessage reply = Call(bus, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("GetAll"), {QString::fromLatin1(kControlInterface)});
        if (failed(reply))
            return outcome;
        const QVariantMap properties = qdbus_cast<QVariantMap>(reply.arguments().value(0));
        outcome.out = command.json
            ? QString::fromUtf8(
                  QJsonDocument(ControlStatusJson(properties)).toJson(QJsonDocument::Compact))
                + QLatin1Char('\n')
            : ControlStatusText(properties);
    }
    if (command.quit && failed(CallControl(bus, QStringLiteral("Quit"))))
        return outcome;
    return outcome;
}

} // namespace pelmora
