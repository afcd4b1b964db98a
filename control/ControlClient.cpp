#include "control/ControlClient.h"

#include "control/ControlService.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>

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

ControlOutcome RunControlCommand(const ControlCommand& command, const QDBusConnection& bus)
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
        outcome.exitCode = 1;
        outcome.err = QStringLiteral("pelmora: %1\n").arg(reply.errorMessage());
        return true;
    };
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
        outcome.out = ControlStatusText(qdbus_cast<QVariantMap>(reply.arguments().value(0)));
    }
    if (command.quit && failed(CallControl(bus, QStringLiteral("Quit"))))
        return outcome;
    return outcome;
}

} // namespace pelmora
