#include "control/ControlService.h"

#include "control/ControlTarget.h"
#include "controladaptor.h"

#include <QDBusMessage>
#include <QTimer>

#include <cstdio>

namespace pelmora {

ControlService::ControlService(ControlTarget& target, QObject* parent)
    : QObject(parent)
    , target_(target)
    , last_(target.ReadControlState())
{
    new ControlAdaptor(this);
}

bool ControlService::Register(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(QString::fromLatin1(kControlPath), this)) {
        std::fprintf(stderr, "pelmora: the control object could not be published on the bus\n");
        return false;
    }
    // Another program holding the name keeps it: scripts must not reach the
    // wrong instance.
    if (!bus.registerService(QString::fromLatin1(kControlService))) {
        std::fprintf(stderr, "pelmora: the bus name %s is taken: %s\n", kControlService,
            bus.lastError().message().toLocal8Bit().constData());
        bus.unregisterObject(QString::fromLatin1(kControlPath));
        return false;
    }
    bus_ = bus;
    registered_ = true;
    return true;
}

bool ControlService::Monitoring() const
{
    return target_.ReadControlState().monitoring;
}
uint ControlService::SentCount() const
{
    return target_.ReadControlState().sentCount;
}
QString ControlService::ActiveProfile() const
{
    return target_.ReadControlState().activeProfile;
}
QStringList ControlService::Profiles() const
{
    return target_.ReadControlState().profiles;
}
bool ControlService::Interactive() const
{
    return target_.ReadControlState().interactive;
}
QVariantMap ControlService::PendingQuestion() const
{
    return target_.ReadControlState().pendingQuestion;
}

QString ControlService::Schedule() const
{
    return target_.ReadControlState().schedule;
}

QString ControlService::NextChange() const
{
    return target_.ReadControlState().nextChange;
}

void ControlService::Refuse(const char* errorName, const QString& message)
{
    lastRefusal_ = message;
    if (calledFromDBus())
        sendErrorReply(QString::fromLatin1(errorName), message);
}

void ControlService::SetActiveProfile(const QString& name)
{
    lastRefusal_.clear();
    if (const QString refusal = target_.ControlSetActiveProfile(name); !refusal.isEmpty())
        Refuse(kUnknownProfileError, refusal);
    StateMayHaveChanged();
}

void ControlService::SetInteractive(bool interactive)
{
    lastRefusal_.clear();
    target_.ControlSetInteractive(interactive);
    StateMayHaveChanged();
}

QString ControlService::Start()
{
    lastRefusal_.clear();
    QString warning;
    if (const QString refusal = target_.ControlStart(warning); !refusal.isEmpty())
        Refuse(kRefusedError, refusal);
    StateMayHaveChanged();
    return warning;
}

void ControlService::Stop()
{
    lastRefusal_.clear();
    target_.ControlStop();
    StateMayHaveChanged();
}

void ControlService::AnswerQuestion(uint question, bool yes)
{
    lastRefusal_.clear();
    const QVariantMap open = target_.ReadControlState().pendingQuestion;
    if (open.isEmpty()) {
        Refuse(kNoQuestionError, QStringLiteral("No question is open."));
        return;
    }
    // A call that came meanwhile replaced the question the caller read.
    if (const uint id = open.value(QStringLiteral("id")).toUInt(); id != question) {
        Refuse(kOtherQuestionError,
            QStringLiteral("Question %1 is no longer open; question %2, from %3, is.")
                .arg(question)
                .arg(id)
                .arg(open.value(QStringLiteral("number")).toString()));
        return;
    }
    if (const QString refusal = target_.ControlAnswer(yes); !refusal.isEmpty())
        Refuse(kRefusedError, refusal);
    StateMayHaveChanged();
}

void ControlService::Quit()
{
    lastRefusal_.clear();
    // The caller gets its answer before the program ends.
    QTimer::singleShot(0, this, [this] { target_.ControlQuit(); });
}

void ControlService::StateMayHaveChanged()
{
    const ControlState now = target_.ReadControlState();
    const QVariantMap changed = ChangedControlProperties(last_, now);
    last_ = now;
    if (changed.isEmpty() || !registered_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kControlPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << QString::fromLatin1(kControlInterface) << changed << QStringList();
    bus_.send(signal);
}

void ControlService::ReportMissedCall(
    const QString& number, const QString& name, const QString& outcome)
{
    Q_EMIT MissedCall(number, name, outcome);
}

} // namespace pelmora
