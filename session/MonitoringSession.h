#pragma once

#include "calendar/CalendarFeed.h"
#include "control/ControlTarget.h"
#include "history/CallHistory.h"
#include "messages/ContactsSession.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/CallLogRows.h"
#include "monitor/LineMonitor.h"
#include "monitor/MissedCallPipeline.h"
#include "monitor/SmsSender.h"
#include "options/OwnSettings.h"
#include "platform/NumberedTimers.h"
#include "platform/WindowMessage.h"
#include "schedule/ScheduleRunner.h"
#include "settings/SettingsRecord.h"

#include <QObject>
#include <QTimeZone>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace pelmora {

class ProfileRecord;
class TimeZoneWatch;
class WallClockAlarm;

// Who asks the session to switch monitoring or the profile. A tap and a
// script are deliberate choices; the schedule and the start at login are not.
enum class Hand { User, Script, Schedule, Autostart };

// What a start came to: monitoring runs (perhaps with a warning), or why not.
struct StartResult {
    enum class Problem { None, NoProfile, Contacts, MaxTotal, PhoneLine };
    bool started = false;
    Problem problem = Problem::None;
    // The refusal, or the warning of a start; empty when neither.
    std::u16string text;
    // The refusal's title, as the message box shows it; empty for the plain box.
    std::u16string title;
};

// The values of the Main and Log pages that a start reads.
struct StartInputs {
    int32_t maxTotal = 0; // "Max allowed SMS to send" as Start reads it
    int32_t ringsBeforeSendIndex = 0;
    int32_t hangupIndex = 0;
    bool clearLog = false; // "Automatically clear every session"
};

// What the session needs of the window that shows it: the pages' values at
// this moment, the Log page's rows, the bubbles, and the few controls a
// hand other than a tap switches.
class SessionView : public CallLogRows, public BubbleNotifier {
public:
    // The options of the pages, saved or not; the quiet period is the session's.
    virtual MissedCallOptions ReadOptions() const = 0;
    virtual StartInputs ReadStartInputs() const = 0;
    // Before a start: the default message shown goes into its profile.
    virtual void PrepareStart() = 0;
    virtual void ClearLog() = 0;
    // Makes `profile` the selected, and so the active, profile.
    virtual void SelectProfile(const ProfileRecord& profile) = 0;
    virtual void SetInteractive(bool interactive) = 0;
    // The transport refused a reply the user said Yes to.
    virtual void ReplyRefused(std::u16string_view number) = 0;
};

// The program's notifications, one id each: a notification with an id in
// use replaces that one.
enum NotificationId : uint32_t {
    kQuestionNotice = kQuestionNotificationId,
    kSaveFailedNotice = 98,
    kHistoryProblemNotice = 97,
    kScheduleNotice = 96,
    kCalendarNotice = 95,
};

// One monitoring run for the whole program, without widgets: the line
// monitor, the contacts session, the SMS transport, the reply pipeline, the
// history and Pelmora's own options with the schedule. The window, the
// control interface, the schedule and the start at login are its hands;
// every switch of monitoring or the profile goes through here, and the
// schedule decides between them (see ScheduleRunner).
class MonitoringSession final : public QObject,
                                public ControlTarget,
                                private MessageWindow,
                                private MissedCallWindow,
                                private BubbleNotifier,
                                private CallLogRows,
                                private ScheduleTarget {
    Q_OBJECT
public:
    static constexpr int kScheduleTimer = 3;

    MonitoringSession(std::filesystem::path dataDir, SessionView& view);
    ~MonitoringSession() override;

    // The data files are loaded and the pages built: reads the own options
    // (an error text to show when they cannot be read), applies the
    // schedule and opens the history.
    QString Open();

    StartResult Start(Hand hand);
    void Stop(Hand hand);
    // The unattended start at login: starts monitoring unless an "off"
    // window holds it off, and never stops it.
    StartResult AutoStart();
    // False when there is no such profile or it could not be made active.
    bool SetActiveProfile(int32_t id, Hand hand);
    // A tap chose another profile on the Profile page.
    void ProfileChosen();
    // The open question's Yes or No.
    PendingSendResult Answer(bool yes, Hand hand);

    bool IsMonitoring() const { return lineMonitor.IsOpen(); }
    // The missed-call report of the line monitor, and a simulated one.
    void OnMissedCall(std::u16string_view number, int32_t ringCount);

    // Pelmora's own options and the schedule in them.
    const OwnSettings& Options() const { return ownSettings_; }
    // Saves `changed` as the own options; the error text when they could not
    // be saved (`what` names them), else empty.
    QString SaveOptions(OwnSettings changed, const QString& what);
    // With `calendarProfileId`, also what holds while the calendar says busy.
    QString ChangeSchedule(
        WeeklySchedule schedule, std::optional<int32_t> calendarProfileId = std::nullopt);
    const WeeklySchedule& Schedule() const { return ownSettings_.schedule; }
    // "Schedule: Sleeping from 23:00"; empty without a schedule.
    QString ScheduleNote() const;
    // Where the calendar comes from; without one no calendar is read.
    void SetCalendar(std::unique_ptr<CalendarFeed> feed);
    // The busy stretch that holds now; none while the user is free or no
    // calendar is read.
    std::optional<BusySpan> BusyStretch() const;
    // What [BUSYUNTIL] says now.
    QString BusyUntilText() const;
    // The profile id a save keeps: inside a window, the user's own.
    int32_t ProfileToSave(int32_t shown) const;
    CallHistory* History() const { return history_.get(); }

    // Timers 2 (the question's four minutes) and 3 (the schedule's next
    // change, under a simulated clock).
    bool IsTimerActive(int id) const;
    void FireTimerForTesting(int id);

    // The log rows' stamps and the pipeline's clock; the system clock by default.
    void SetClock(LogClock clock) { clock_ = std::move(clock); }

    // The control interface's requests.
    ControlState ReadControlState() const override;
    QString ControlStart(QString& warning) override;
    void ControlStop() override;
    QString ControlSetActiveProfile(const QString& name) override;
    void ControlSetInteractive(bool interactive) override;
    QString ControlAnswer(bool yes) override;
    QString ControlSetQuietMinutes(uint32_t minutes) override;
    QString ControlSetSchedule(const QString& json) override;
    QString ControlPauseSchedule(const QString& until) override;
    void ControlResumeSchedule() override;
    void ControlQuit() override;

    SettingsRecord settings;
    CLineMonitor lineMonitor;
    CContactsSession contacts;
    CSmsSender transport;
    CMissedCallPipeline pipeline;

Q_SIGNALS:
    // Monitoring started or stopped, by any hand.
    void MonitoringChanged(bool on);
    // Anything the control interface shows may have changed.
    void StateChanged();
    // The sent count to show.
    void SentCountChanged(int32_t count);
    // A handled call's log row was added, or its status set.
    // `reason` as the history names it ("replied", "quiet period", ...).
    void MissedCallLogged(
        const QString& number, const QString& name, const QString& outcome, const QString& reason);
    // The schedule started or stopped monitoring ("monitoring", "on"/"off")
    // or switched the profile ("profile", its name).
    void ScheduleActed(const QString& what, const QString& value);
    // The schedule's next change moved.
    void ScheduleNoteChanged();
    // A script asked the program to end.
    void QuitRequested();

private:
    intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    MissedCallOptions ReadOptions() const override;
    void StartTimer(uint32_t timerId, uint32_t milliseconds) override;
    void ShowSentCount(int32_t sentCount) override;
    void ReplyRefused(std::u16string_view number) override;
    bool Add(std::u16string_view title, std::u16string_view html, uint32_t durationSeconds,
        uint32_t id) override;
    bool Remove(uint32_t id) override;
    void DeleteOlderThan(int32_t halfHours) override;
    std::vector<CallLogKey> Keys() const override;
    void AppendRow(const CallLogRow& row) override;
    void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent) override;
    int32_t ScheduleActiveProfileId() const override;
    bool ScheduleSetActiveProfile(int32_t id) override;
    bool ScheduleIsMonitoring() const override { return IsMonitoring(); }
    bool ScheduleStart(QString& said) override;
    void ScheduleStop() override;
    void ScheduleTellUser(const QString& text) override;
    void ScheduleWakeAt(const std::optional<QDateTime>& at) override;

    // A deliberate hand changed monitoring or the profile.
    void NoteChoice(Hand hand, bool monitoring, bool profile);
    void OnTimer(int id);
    void OpenHistory();
    // Saves and applies a pause of the schedule until `until` (0: none).
    QString PauseSchedule(int64_t until);
    void OnCalendar(CalendarSnapshot snapshot);
    // Works the busy time out again from the last snapshot, for the year ahead.
    void ReadCalendar();

    std::filesystem::path dataDir_;
    // Worked out once: the control state is read at every change.
    QString realDataDir_;
    SessionView& view_;
    LogClock clock_;
    QTimeZone zone_ = QTimeZone::systemTimeZone();
    OwnSettings ownSettings_;
    std::unique_ptr<ScheduleRunner> schedule_;
    WallClockAlarm* scheduleAlarm_ = nullptr;
    TimeZoneWatch* zoneWatch_ = nullptr;
    std::unique_ptr<CallHistory> history_;
    std::unique_ptr<CalendarFeed> calendarFeed_;
    std::optional<CalendarSnapshot> calendar_;
    std::shared_ptr<const BusyTimeline> busy_;
    int64_t calendarReadAt_ = 0; // seconds since 1970
    QString calendarProblem_; // the last one told
    NumberedTimers timers_;
    uint32_t questionSerial_ = 0;
    // The session itself is switching the profile: the page's change is not a tap.
    bool selecting_ = false;
    // A script answers the question: a refusal is its answer, not a box.
    bool scriptAnswering_ = false;
    QString scriptRefusal_;
};

} // namespace pelmora
