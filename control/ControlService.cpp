#include "control/ControlService.h"

#include "ControlInterfaceXml.h"
#include "control/ControlTarget.h"

#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>

#include <cstdio>

namespace pelmora {

namespace {

const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

QString Latin1(const char* text)
{
    return QString::fromLatin1(text);
}

// What a writable property takes, in words; empty for the read-only ones.
QString WritableType(const QString& property)
{
    if (property == QStringLiteral("Interactive"))
        return QStringLiteral("a boolean (b)");
    if (property == QStringLiteral("ActiveProfile"))
        return QStringLiteral("a profile's name (s)");
    if (property == QStringLiteral("QuietMinutes"))
        return QStringLiteral("0, 15, 60, 360, 1440 or 10080 minutes (u)");
    return {};
}

} // namespace

// The object as the bus sees it. Every call and property access of the
// interface is answered here, so a property written with a wrong type or an
// unknown profile gets an error as a method call would; introspection and
// Peer are left to Qt, which asks for the interface's XML.
class ControlBusObject final : public QDBusVirtualObject {
public:
    explicit ControlBusObject(ControlService& service)
        : QDBusVirtualObject(&service)
        , service_(service)
    {
    }

    QString introspect(const QString&) const override { return Latin1(kControlInterfaceXml); }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        const QVariantList arguments = message.arguments();
        QDBusMessage reply;
        if (message.interface() == kProperties) {
            // Other interfaces' properties (there are none) are Qt's to refuse.
            if (arguments.value(0).toString() != Latin1(kControlInterface))
                return false;
            reply = Property(message);
        } else if (message.interface() == Latin1(kControlInterface)) {
            reply = Method(message);
        } else {
            return false;
        }
        connection.send(reply);
        return true;
    }

private:
    QDBusMessage Refused(const QDBusMessage& message) const
    {
        return message.createErrorReply(service_.LastError(), service_.LastRefusal());
    }

    QDBusMessage Method(const QDBusMessage& message)
    {
        const QString member = message.member();
        const QString signature = message.signature();
        const QVariantList arguments = message.arguments();
        const auto takes = [&](const char* name, const char* wanted) {
            return member == Latin1(name) && signature == Latin1(wanted);
        };
        QVariantList out;
        if (takes("Start", ""))
            out << service_.Start();
        else if (takes("Stop", ""))
            service_.Stop();
        else if (takes("SetActiveProfile", "s"))
            service_.SetActiveProfile(arguments.at(0).toString());
        else if (takes("AnswerQuestion", "ub"))
            service_.AnswerQuestion(arguments.at(0).toUInt(), arguments.at(1).toBool());
        else if (takes("Quit", ""))
            service_.Quit();
        else if (takes("SetSchedule", "s"))
            service_.SetSchedule(arguments.at(0).toString());
        else if (takes("PauseSchedule", "s"))
            service_.PauseSchedule(arguments.at(0).toString());
        else if (takes("ResumeSchedule", ""))
            service_.ResumeSchedule();
        else
            return message.createErrorReply(QDBusError::UnknownMethod,
                QStringLiteral("No method %1(%2) in %3")
                    .arg(member, signature, Latin1(kControlInterface)));
        if (!service_.LastRefusal().isEmpty())
            return Refused(message);
        return message.createReply(out);
    }

    QDBusMessage Property(const QDBusMessage& message)
    {
        const QString member = message.member();
        const QVariantList arguments = message.arguments();
        const QVariantMap all = ControlProperties(service_.State());
        if (member == QStringLiteral("GetAll") && message.signature() == QStringLiteral("s"))
            return message.createReply(QVariant::fromValue(all));
        const QString name = arguments.value(1).toString();
        if (member == QStringLiteral("Get") && message.signature() == QStringLiteral("ss")) {
            if (!all.contains(name))
                return UnknownProperty(message, name);
            return message.createReply(QVariant::fromValue(QDBusVariant(all.value(name))));
        }
        if (member != QStringLiteral("Set") || message.signature() != QStringLiteral("ssv"))
            return message.createErrorReply(QDBusError::UnknownMethod,
                QStringLiteral("No method %1(%2) in %3")
                    .arg(member, message.signature(), kProperties));
        if (!all.contains(name))
            return UnknownProperty(message, name);
        const QVariant value = qvariant_cast<QDBusVariant>(arguments.value(2)).variant();
        if (name == QStringLiteral("Interactive")
            && value.metaType() == QMetaType::fromType<bool>()) {
            service_.SetInteractive(value.toBool());
        } else if (name == QStringLiteral("ActiveProfile")
            && value.metaType() == QMetaType::fromType<QString>()) {
            service_.SetActiveProfile(value.toString());
            if (!service_.LastRefusal().isEmpty())
                return message.createErrorReply(QDBusError::InvalidArgs, service_.LastRefusal());
        } else if (name == QStringLiteral("QuietMinutes")
            && value.metaType() == QMetaType::fromType<uint>()) {
            service_.SetQuietMinutes(value.toUInt());
            if (!service_.LastRefusal().isEmpty())
                return message.createErrorReply(QDBusError::InvalidArgs, service_.LastRefusal());
        } else if (const QString type = WritableType(name); !type.isEmpty()) {
            return message.createErrorReply(
                QDBusError::InvalidArgs, QStringLiteral("%1 is %2").arg(name, type));
        } else {
            return message.createErrorReply(
                QDBusError::PropertyReadOnly, QStringLiteral("%1 cannot be written").arg(name));
        }
        return message.createReply();
    }

    static QDBusMessage UnknownProperty(const QDBusMessage& message, const QString& name)
    {
        return message.createErrorReply(QDBusError::UnknownProperty,
            QStringLiteral("No property %1 in %2").arg(name, Latin1(kControlInterface)));
    }

    ControlService& service_;
};

ControlService::ControlService(ControlTarget& target, QObject* parent)
    : QObject(parent)
    , target_(target)
    , last_(target.ReadControlState())
{
}

ControlState ControlService::State() const
{
    return target_.ReadControlState();
}

bool ControlService::Register(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    if (!bus.registerVirtualObject(
            QString::fromLatin1(kControlPath), new ControlBusObject(*this))) {
        std::fprintf(stderr, "pelmora: the control object could not be published on the bus\n");
        return false;
    }
    // Another program holding the name keeps it: scripts must not reach the
    // wrong instance.
    if (!bus.registerService(QString::fromLatin1(kControlService))) {
        QDBusMessage ask = QDBusMessage::createMethodCall(
            Latin1(kControlService), Latin1(kControlPath), kProperties, QStringLiteral("Get"));
        ask << Latin1(kControlInterface) << QStringLiteral("DataDirectory");
        const QString theirs
            = qvariant_cast<QDBusVariant>(bus.call(ask, QDBus::Block, 1000).arguments().value(0))
                  .variant()
                  .toString();
        std::fprintf(stderr,
            "pelmora: the bus name %s is held by the Pelmora of %s, so this one (of %s) has no "
            "control interface; scripts reach that one, and end it first to control this one\n",
            kControlService,
            (theirs.isEmpty() ? QStringLiteral("another data directory") : theirs)
                .toLocal8Bit()
                .constData(),
            State().dataDirectory.toLocal8Bit().constData());
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
    lastError_ = QString::fromLatin1(errorName);
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

void ControlService::SetQuietMinutes(uint minutes)
{
    lastRefusal_.clear();
    if (const QString refusal = target_.ControlSetQuietMinutes(minutes); !refusal.isEmpty())
        Refuse(kRefusedError, refusal);
    StateMayHaveChanged();
}

void ControlService::SetSchedule(const QString& json)
{
    lastRefusal_.clear();
    if (const QString refusal = target_.ControlSetSchedule(json); !refusal.isEmpty())
        Refuse(kRefusedError, refusal);
    StateMayHaveChanged();
}

void ControlService::PauseSchedule(const QString& until)
{
    lastRefusal_.clear();
    if (const QString refusal = target_.ControlPauseSchedule(until); !refusal.isEmpty())
        Refuse(kRefusedError, refusal);
    StateMayHaveChanged();
}

void ControlService::ResumeSchedule()
{
    lastRefusal_.clear();
    target_.ControlResumeSchedule();
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
    const QString& number, const QString& name, const QString& outcome, const QString& reason)
{
    Q_EMIT MissedCall(number, name, outcome, reason);
    if (!registered_)
        return;
    QDBusMessage signal = QDBusMessage::createSignal(QString::fromLatin1(kControlPath),
        QString::fromLatin1(kControlInterface), QStringLiteral("MissedCall"));
    signal << number << name << outcome << reason;
    bus_.send(signal);
}

} // namespace pelmora
