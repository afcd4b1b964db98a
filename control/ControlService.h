#pragma once

#include "control/ControlState.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace pelmora {

class ControlTarget;

inline constexpr char kControlService[] = "com.vantrel.Pelmora";
inline constexpr char kControlPath[] = "/com/vantrel/Pelmora";
inline constexpr char kControlInterface[] = "com.vantrel.Pelmora1";
inline constexpr char kRefusedError[] = "com.vantrel.Pelmora1.Error.Refused";
inline constexpr char kNoQuestionError[] = "com.vantrel.Pelmora1.Error.NoQuestion";
inline constexpr char kUnknownProfileError[] = "com.vantrel.Pelmora1.Error.UnknownProfile";
inline constexpr char kOtherQuestionError[] = "com.vantrel.Pelmora1.Error.OtherQuestion";

// The object behind com.vantrel.Pelmora1: its bus object calls its slots
// and reads its properties, and it hands each request to the
// monitoring session. Its methods are also what pelmora-sim calls, without a
// bus.
class ControlService final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Monitoring READ Monitoring)
    Q_PROPERTY(uint SentCount READ SentCount)
    Q_PROPERTY(QString ActiveProfile READ ActiveProfile WRITE SetActiveProfile)
    Q_PROPERTY(QStringList Profiles READ Profiles)
    Q_PROPERTY(bool Interactive READ Interactive WRITE SetInteractive)
    Q_PROPERTY(QVariantMap PendingQuestion READ PendingQuestion)
    Q_PROPERTY(QString Schedule READ Schedule)
    Q_PROPERTY(QString NextChange READ NextChange)
    Q_PROPERTY(uint QuietMinutes READ QuietMinutes WRITE SetQuietMinutes)
public:
    explicit ControlService(ControlTarget& target, QObject* parent = nullptr);

    // Publishes the object and takes the name on `bus`; false (with the
    // reason on stderr) when either cannot be had.
    bool Register(QDBusConnection bus);

    bool Monitoring() const;
    uint SentCount() const;
    QString ActiveProfile() const;
    QStringList Profiles() const;
    bool Interactive() const;
    QVariantMap PendingQuestion() const;
    QString Schedule() const;
    QString NextChange() const;
    uint QuietMinutes() const { return State().quietMinutes; }
    void SetInteractive(bool interactive);
    void SetQuietMinutes(uint minutes);

    // Why the last call was refused, and the D-Bus error it is; empty when
    // it was not.
    const QString& LastRefusal() const { return lastRefusal_; }
    const QString& LastError() const { return lastError_; }
    ControlState State() const;

public Q_SLOTS:
    // A refusal is kept (LastRefusal, LastError); over the bus it is the
    // error of the method call or property write.
    void SetActiveProfile(const QString& name);
    // The start's warning, empty when there is none.
    QString Start();
    void Stop();
    // `question` is the open question's "id" as PendingQuestion shows it.
    void AnswerQuestion(uint question, bool yes);
    void Quit();
    // The schedule as the options file's JSON list of windows.
    void SetSchedule(const QString& json);
    // The schedule does nothing until `until` (ISO 8601), then takes over
    // again; ResumeSchedule ends a pause at once.
    void PauseSchedule(const QString& until);
    void ResumeSchedule();

    // The session tells of every change it makes; the properties that differ
    // from the last reading go out in one PropertiesChanged.
    void StateMayHaveChanged();
    // A handled call, the status its log row shows and why ("replied",
    // "rule", "quiet period", ... as the history names it).
    void ReportMissedCall(
        const QString& number, const QString& name, const QString& outcome, const QString& reason);

Q_SIGNALS:
    void MissedCall(
        const QString& number, const QString& name, const QString& outcome, const QString& reason);

private:
    void Refuse(const char* errorName, const QString& message);

    ControlTarget& target_;
    ControlState last_;
    QString lastRefusal_;
    QString lastError_;
    bool registered_ = false;
    QDBusConnection bus_ {QString()};
};

} // namespace pelmora
