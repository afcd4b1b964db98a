#include "session/MonitoringSession.h"

#include "monitor/MissedCallTexts.h"
#include "platform/TimerService.h"
#include "platform/shell/TimeZoneWatch.h"
#include "platform/shell/WallClockAlarm.h"
#include "platform/storage/DataFileCare.h"
#include "rules/ProfileStore.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <set>

namespace pelmora {

namespace {

StartResult Refused(StartResult::Problem problem, std::u16string text, std::u16string title = {})
{
    return {false, problem, std::move(text), std::move(title)};
}

StartResult Running(bool on = true)
{
    StartResult result;
    result.started = on;
    return result;
}

// The data directory as scripts compare it: its real path.
QString RealPath(const std::filesystem::path& dir)
{
    std::error_code ignored;
    const std::filesystem::path real = std::filesystem::weakly_canonical(dir, ignored);
    return QString::fromStdString((real.empty() ? dir : real).string());
}

QString ProfileName(int32_t id)
{
    for (const auto& profile : Profiles())
        if (profile->id == id)
            return QString::fromStdU16String(profile->name.Text());
    return QStringLiteral("profile %1").arg(id);
}

// A moment for scripts: ISO 8601 in local time, with its offset.
QString IsoTime(const QDateTime& at, const QTimeZone& zone)
{
    return at.toTimeZone(zone).toString(Qt::ISODate);
}

QString Name(std::string_view name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool Deliberate(Hand hand)
{
    return hand == Hand::User || hand == Hand::Script;
}

// The options file could not all be read: what holds now, and where the
// file as it was is kept.
QString OptionsProblem(const QString& error, const std::vector<OwnOption>& lost,
    const std::vector<LoadedFileNote>& problems)
{
    QString text = QStringLiteral("Pelmora's options could not all be read (%1).").arg(error);
    for (const LoadedFileNote& note : problems)
        if (note.file.filename() == kOwnSettingsFileName && !note.copy.empty())
            text += QStringLiteral(" The file as it was is kept in %1.")
                        .arg(QString::fromStdString(note.copy.string()));
    if (lost.empty())
        return text + QStringLiteral(" Every option in it was read.");
    QStringList holds;
    for (const OwnOption option : lost) {
        switch (option) {
        case OwnOption::Schedule:
            holds << QStringLiteral("no schedule is used");
            break;
        case OwnOption::HistoryKeep:
            holds << QStringLiteral("the history keeps every call");
            break;
        case OwnOption::QuietPeriod:
            holds << QStringLiteral("nobody is texted again within %1")
                         .arg(QuietPeriodText(kUnknownQuietMinutes));
            break;
        case OwnOption::CalendarBusy:
            holds << QStringLiteral("the calendar switches nothing");
            break;
        case OwnOption::BusyUntilWord:
            holds << QStringLiteral("[BUSYUNTIL] says \"%1\" when you are free")
                         .arg(QString::fromUtf16(OwnSettings::kDefaultBusyUntilWord));
            break;
        }
    }
    return text
        + QStringLiteral(" Until you choose them again in Tools > Schedule and Tools > Advanced "
                         "settings, %1.")
              .arg(holds.join(QStringLiteral(", ")));
}

} // namespace

MonitoringSession::MonitoringSession(std::filesystem::path dataDir, SessionView& view)
    : pipeline(settings, contacts, transport, *this, *this, *this, [this] { return clock_(); })
    , dataDir_(std::move(dataDir))
    , realDataDir_(RealPath(dataDir_))
    , view_(view)
    , clock_(SystemLogClock())
    , timers_(this, [this](int id) { OnTimer(id); })
{
}

MonitoringSession::~MonitoringSession()
{
    pipeline.OnProgramEnd();
    pipeline.SetRecorder(nullptr);
}

QString MonitoringSession::Open()
{
    QString error;
    std::vector<OwnOption> lost;
    QString problem;
    if (!LoadOwnSettings(dataDir_, ownSettings_, error, &lost)) {
        std::fprintf(stderr, "pelmora: %s\n", error.toLocal8Bit().constData());
        problem = OptionsProblem(error, lost, KeepDamagedCopies(dataDir_, clock_()));
    }
    schedule_ = std::make_unique<ScheduleRunner>(
        static_cast<ScheduleTarget&>(*this),
        [this] { return QDateTime::fromSecsSinceEpoch(clock_()); }, zone_);
    // The program's own wake-ups follow the wall clock through suspend and
    // clock changes; a simulated clock fires the session's timer instead.
    if (!CurrentTimerService()) {
        scheduleAlarm_ = new WallClockAlarm(this);
        connect(scheduleAlarm_, &WallClockAlarm::Due, this, [this] {
            ReadCalendar();
            schedule_->Evaluate();
        });
    }
    // A window that began while Pelmora was not running applies now.
    if (ownSettings_.schedulePausedUntil > 0)
        schedule_->SetPause(QDateTime::fromSecsSinceEpoch(ownSettings_.schedulePausedUntil));
    schedule_->SetSchedule(ownSettings_.schedule);
    // The phone travels: the schedule follows the system's time zone.
    zoneWatch_ = new TimeZoneWatch(this);
    connect(zoneWatch_, &TimeZoneWatch::Changed, this, [this](const QTimeZone& zone) {
        zone_ = zone;
        schedule_->SetZone(zone);
        // All-day and floating times are the phone's local ones.
        calendarReadAt_ = 0;
        ReadCalendar();
    });
    if (calendarFeed_)
        calendarFeed_->Start(
            [this](CalendarSnapshot snapshot) { OnCalendar(std::move(snapshot)); });
    OpenHistory();
    return problem;
}

void MonitoringSession::OpenHistory()
{
    // A history that cannot be kept is told once, without a modal box: it
    // may come in the middle of a reply.
    history_ = std::make_unique<CallHistory>(dataDir_, clock_(),
        HistoryKeepSeconds(ownSettings_.historyKeep), [this](const QString& problem) {
            QString text = problem;
            // This run's replies are remembered, the earlier ones not.
            if (ownSettings_.quietMinutes > 0)
                text += QStringLiteral(". The quiet period counts the replies of this run only: "
                                       "a caller texted before may be texted again.");
            view_.Add(
                u"Pelmora's history", EscapeHtml(text.toStdU16String()), 0, kHistoryProblemNotice);
        });
    pipeline.SetRecorder(history_.get());
}

StartResult MonitoringSession::Start(Hand hand)
{
    if (IsMonitoring()) {
        // Asked for all the same: "on" is the choice, also after a window.
        NoteChoice(hand, true, false);
        return Running();
    }
    view_.PrepareStart();
    if (!CurrentActiveProfile())
        return Refused(StartResult::Problem::NoProfile,
            u"You must select a valid profile before you can continue", u"Select profile");
    if (!contacts.Logon())
        return Refused(StartResult::Problem::Contacts,
            u"Could not initialize COM objects, please contact the software vendor",
            u"Fatal error");
    const StartInputs inputs = view_.ReadStartInputs();
    if (inputs.maxTotal < 1) {
        contacts.Logoff();
        return Refused(StartResult::Problem::MaxTotal,
            u"Invalid \"Max allowed SMS to send\" please correct its value");
    }
    pipeline.maxTotalAtStart = inputs.maxTotal;
    if (inputs.clearLog)
        view_.ClearLog();
    if (!lineMonitor.Open(this, inputs.hangupIndex - 1)) {
        contacts.Logoff();
        return Refused(StartResult::Problem::PhoneLine, u"Could not initialize Phone services",
            u"Fatal error");
    }
    NoteChoice(hand, true, false);
    Q_EMIT MonitoringChanged(true);
    Q_EMIT StateChanged();
    StartResult started = Running();
    if (inputs.ringsBeforeSendIndex != 0 && inputs.hangupIndex != 0
        && inputs.hangupIndex - 1 <= inputs.ringsBeforeSendIndex)
        started.text = u"Warning: The number of rings before sms send selected is greater than the "
                       u"number of rings to hangup, no SMSes will be sent";
    return started;
}

void MonitoringSession::Stop(Hand hand)
{
    NoteChoice(hand, true, false);
    if (!IsMonitoring())
        return;
    contacts.Logoff();
    lineMonitor.Close();
    // The open question stays: a Yes after the stop still sends.
    pipeline.ResetSentCount();
    Q_EMIT MonitoringChanged(false);
    Q_EMIT StateChanged();
}

StartResult MonitoringSession::AutoStart()
{
    const bool wanted = !schedule_ || schedule_->AutoStart();
    if (!wanted || IsMonitoring())
        return Running(IsMonitoring());
    return Start(Hand::Autostart);
}

bool MonitoringSession::SetActiveProfile(int32_t id, Hand hand)
{
    const auto& profiles = Profiles();
    const auto found = std::find_if(
        profiles.begin(), profiles.end(), [id](const auto& profile) { return profile->id == id; });
    if (found == profiles.end())
        return false;
    const ProfileRecord* before = CurrentActiveProfile();
    selecting_ = true;
    view_.SelectProfile(**found);
    selecting_ = false;
    const ProfileRecord* now = CurrentActiveProfile();
    if (!now || now->id != id)
        return false;
    NoteChoice(hand, false, true);
    if (now != before)
        Q_EMIT StateChanged();
    return true;
}

void MonitoringSession::ProfileChosen()
{
    if (selecting_)
        return;
    NoteChoice(Hand::User, false, true);
    Q_EMIT StateChanged();
}

void MonitoringSession::NoteChoice(Hand hand, bool monitoring, bool profile)
{
    if (Deliberate(hand) && schedule_)
        schedule_->ChoiceMade(monitoring, profile);
}

PendingSendResult MonitoringSession::Answer(bool yes, Hand hand)
{
    scriptAnswering_ = hand == Hand::Script;
    scriptRefusal_.clear();
    PendingSendResult result = PendingSendResult::NothingPending;
    if (yes)
        result = pipeline.OnAnswerYes();
    else
        pipeline.OnAnswerNo();
    scriptAnswering_ = false;
    Q_EMIT StateChanged();
    return result;
}

void MonitoringSession::OnMissedCall(std::u16string_view number, int32_t ringCount)
{
    pipeline.OnMissedCall(number, ringCount);
    // Told once the call is handled, so a new question is already stored.
    Q_EMIT StateChanged();
}

intptr_t MonitoringSession::SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == WM_MISSEDCALL)
        OnMissedCall(
            *reinterpret_cast<const std::u16string*>(wParam), static_cast<int32_t>(lParam));
    return 0;
}

MissedCallOptions MonitoringSession::ReadOptions() const
{
    MissedCallOptions options = view_.ReadOptions();
    options.quietMinutes = ownSettings_.quietMinutes;
    options.busyUntil = BusyUntilText().toStdU16String();
    return options;
}

bool MonitoringSession::IsTimerActive(int id) const
{
    return timers_.IsActive(id);
}

void MonitoringSession::FireTimerForTesting(int id)
{
    timers_.Stop(id);
    OnTimer(id);
}

void MonitoringSession::OnTimer(int id)
{
    if (id == static_cast<int>(CMissedCallPipeline::kQuestionTimerId)) {
        pipeline.OnQuestionTimeout();
        Q_EMIT StateChanged();
    } else if (id == kScheduleTimer && schedule_) {
        ReadCalendar();
        schedule_->Evaluate();
    }
}

void MonitoringSession::StartTimer(uint32_t timerId, uint32_t milliseconds)
{
    timers_.Start(static_cast<int>(timerId), milliseconds);
}

void MonitoringSession::ShowSentCount(int32_t sentCount)
{
    Q_EMIT SentCountChanged(sentCount);
    Q_EMIT StateChanged();
}

void MonitoringSession::ReplyRefused(std::u16string_view number)
{
    if (scriptAnswering_)
        scriptRefusal_ = QString::fromStdU16String(FailedReplyMessage(number));
    else
        view_.ReplyRefused(number);
}

bool MonitoringSession::Add(
    std::u16string_view title, std::u16string_view html, uint32_t durationSeconds, uint32_t id)
{
    if (id == kQuestionNotice)
        ++questionSerial_;
    return view_.Add(title, html, durationSeconds, id);
}

bool MonitoringSession::Remove(uint32_t id)
{
    return view_.Remove(id);
}

void MonitoringSession::DeleteOlderThan(int32_t halfHours)
{
    view_.DeleteOlderThan(halfHours);
}

std::vector<CallLogKey> MonitoringSession::Keys() const
{
    return view_.Keys();
}

void MonitoringSession::AppendRow(const CallLogRow& row)
{
    view_.AppendRow(row);
    Q_EMIT MissedCallLogged(QString::fromStdU16String(row.number),
        QString::fromStdU16String(row.caller), QString::fromStdU16String(row.smsSent),
        Name(ReasonName(pipeline.lastReason)));
}

void MonitoringSession::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    view_.SetRowStatus(row, smsSent);
    // A row set later is a question answered, or a reply the transport
    // answered late.
    const bool asked = row.smsSent == SmsSentText(ReplyStatus::Interactive);
    Q_EMIT MissedCallLogged(QString::fromStdU16String(row.number),
        QString::fromStdU16String(row.caller), QString::fromStdU16String(std::u16string(smsSent)),
        Name(ReasonName(asked ? HistoryReason::Asked : HistoryReason::Replied)));
}

QString MonitoringSession::SaveOptions(OwnSettings changed, const QString& what)
{
    if (const SaveResult saved = SaveOwnSettings(dataDir_, changed); !saved)
        return QStringLiteral("%1 could not be saved to %2: %3.")
            .arg(what, QString::fromStdString((dataDir_ / kOwnSettingsFileName).string()),
                QString::fromStdString(saved.reason));
    ownSettings_ = std::move(changed);
    return {};
}

QString MonitoringSession::ChangeSchedule(
    WeeklySchedule schedule, std::optional<int32_t> calendarProfileId)
{
    OwnSettings changed = ownSettings_;
    changed.schedule = std::move(schedule);
    if (calendarProfileId)
        changed.calendarBusyProfileId = *calendarProfileId;
    if (QString problem = SaveOptions(std::move(changed), QStringLiteral("The schedule"));
        !problem.isEmpty())
        return problem;
    if (schedule_) {
        schedule_->SetCalendar(busy_, ownSettings_.calendarBusyProfileId);
        schedule_->SetSchedule(ownSettings_.schedule);
    }
    return {};
}

QString MonitoringSession::ScheduleNote() const
{
    if (!schedule_)
        return {};
    return schedule_->NextChangeText(&ProfileName);
}

int32_t MonitoringSession::ProfileToSave(int32_t shown) const
{
    // Inside a window the profile is the schedule's; the user's own comes
    // back when it ends, also after a restart.
    const std::optional<int32_t> before = schedule_ ? schedule_->ProfileBefore() : std::nullopt;
    return before.value_or(shown);
}

int32_t MonitoringSession::ScheduleActiveProfileId() const
{
    const ProfileRecord* active = CurrentActiveProfile();
    return active ? active->id : settings.activeProfileId;
}

bool MonitoringSession::ScheduleSetActiveProfile(int32_t id)
{
    const int32_t before = ScheduleActiveProfileId();
    if (!SetActiveProfile(id, Hand::Schedule))
        return false;
    if (before != id)
        for (const auto& profile : Profiles())
            if (profile->id == id)
                Q_EMIT ScheduleActed(
                    QStringLiteral("profile"), QString::fromStdU16String(profile->name.Text()));
    return true;
}

bool MonitoringSession::ScheduleStart(QString& said)
{
    const StartResult result = Start(Hand::Schedule);
    said = QString::fromStdU16String(result.text);
    if (result.started)
        Q_EMIT ScheduleActed(QStringLiteral("monitoring"), QStringLiteral("on"));
    return result.started;
}

void MonitoringSession::ScheduleStop()
{
    Stop(Hand::Schedule);
    Q_EMIT ScheduleActed(QStringLiteral("monitoring"), QStringLiteral("off"));
}

void MonitoringSession::ScheduleTellUser(const QString& text)
{
    std::fprintf(stderr, "pelmora: %s\n", text.toLocal8Bit().constData());
    view_.Add(u"Pelmora schedule", text.toHtmlEscaped().toStdU16String(), 60, kScheduleNotice);
}

void MonitoringSession::ScheduleWakeAt(const std::optional<QDateTime>& wanted)
{
    // A calendar's recurring events are expanded again each day.
    std::optional<QDateTime> at = wanted;
    if (calendar_ && calendarReadAt_ != 0) {
        const QDateTime again = QDateTime::fromSecsSinceEpoch(calendarReadAt_ + 24 * 60 * 60);
        if (!at || again < *at)
            at = again;
    }
    if (scheduleAlarm_)
        scheduleAlarm_->ArmAt(at);
    else if (at)
        timers_.Start(kScheduleTimer, (at->toSecsSinceEpoch() - clock_()) * 1000);
    else
        timers_.Stop(kScheduleTimer);
    Q_EMIT ScheduleNoteChanged();
    Q_EMIT StateChanged();
}

ControlState MonitoringSession::ReadControlState() const
{
    ControlState state;
    state.monitoring = IsMonitoring();
    state.sentCount = static_cast<uint32_t>(std::max(pipeline.sentCount, 0));
    if (const ProfileRecord* active = CurrentActiveProfile())
        state.activeProfile = QString::fromStdU16String(active->name.Text());
    for (const auto& profile : Profiles())
        state.profiles << QString::fromStdU16String(profile->name.Text());
    state.interactive = view_.ReadOptions().interactive;
    if (schedule_) {
        state.schedule = QString::fromUtf8(QJsonDocument(
            OwnSettingsToJson(ownSettings_).value(QStringLiteral("schedule")).toArray())
                                               .toJson(QJsonDocument::Compact));
        state.nextChange = ScheduleNote();
        if (const std::optional<ScheduleChange>& next = schedule_->NextChange()) {
            state.nextChangeTime = IsoTime(next->at, zone_);
            const ScheduleWindow* window
                = next->window ? &ownSettings_.schedule[*next->window] : nullptr;
            state.nextChangeAction = schedule_->PausedUntil() ? QStringLiteral("resume")
                : next->calendar                              ? QStringLiteral("on")
                : !window                                     ? QStringLiteral("end")
                : window->monitoring                          ? QStringLiteral("on")
                                                              : QStringLiteral("off");
            if (window && window->monitoring)
                state.nextChangeProfile = ProfileName(window->profileId);
            else if (next->calendar)
                state.nextChangeProfile = ProfileName(ownSettings_.calendarBusyProfileId);
        }
        if (const auto& paused = schedule_->PausedUntil())
            state.schedulePausedUntil = IsoTime(*paused, zone_);
    }
    if (const std::optional<BusySpan> busy = BusyStretch()) {
        state.busyFrom = IsoTime(QDateTime::fromMSecsSinceEpoch(busy->start), zone_);
        state.busyUntil = IsoTime(QDateTime::fromMSecsSinceEpoch(busy->end), zone_);
    }
    state.quietMinutes = static_cast<uint32_t>(ownSettings_.quietMinutes);
    state.dataDirectory = realDataDir_;
    if (pipeline.pendingReply.IsPending()) {
        const std::optional<CallLogRow>& row = pipeline.QuestionRow();
        state.pendingQuestion = {
            {QStringLiteral("id"), questionSerial_},
            {QStringLiteral("number"), QString::fromStdU16String(pipeline.pendingReply.number)},
            {QStringLiteral("name"), row ? QString::fromStdU16String(row->caller) : QString()},
            {QStringLiteral("text"), QString::fromStdU16String(pipeline.pendingReply.text)},
        };
    }
    return state;
}

QString MonitoringSession::ControlStart(QString& warning)
{
    const StartResult result = Start(Hand::Script);
    warning = result.started ? QString::fromStdU16String(result.text) : QString();
    if (result.started)
        return {};
    return QString::fromStdU16String(result.text);
}

void MonitoringSession::ControlStop()
{
    Stop(Hand::Script);
}

QString MonitoringSession::ControlSetActiveProfile(const QString& name)
{
    const std::u16string wanted = name.toStdU16String();
    for (const auto& profile : Profiles())
        if (profile->name.Text() == wanted) {
            if (SetActiveProfile(profile->id, Hand::Script))
                return {};
            return QStringLiteral("The profile \"%1\" could not be made active.").arg(name);
        }
    return QStringLiteral("There is no profile named \"%1\".").arg(name);
}

void MonitoringSession::ControlSetInteractive(bool interactive)
{
    view_.SetInteractive(interactive);
    Q_EMIT StateChanged();
}

QString MonitoringSession::ControlSetQuietMinutes(uint32_t minutes)
{
    if (std::find(kQuietPeriodMinutes.begin(), kQuietPeriodMinutes.end(), minutes)
        == kQuietPeriodMinutes.end())
        return QStringLiteral("The quiet period is 0, 15, 60, 360, 1440 or 10080 minutes, not %1.")
            .arg(minutes);
    OwnSettings changed = ownSettings_;
    changed.quietMinutes = static_cast<int32_t>(minutes);
    const QString problem = SaveOptions(std::move(changed), QStringLiteral("The quiet period"));
    Q_EMIT StateChanged();
    return problem;
}

QString MonitoringSession::ControlSetSchedule(const QString& json)
{
    QJsonParseError parse {};
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &parse);
    if (!document.isArray())
        return QStringLiteral("The schedule is a JSON list of windows (%1).")
            .arg(parse.error == QJsonParseError::NoError ? QStringLiteral("not a list")
                                                         : parse.errorString());
    std::set<int32_t> ids;
    for (const auto& profile : Profiles())
        ids.insert(profile->id);
    QString error;
    std::optional<WeeklySchedule> schedule = ScheduleFromJson(document.array(), &ids, error);
    if (!schedule)
        return error;
    const QString problem = ChangeSchedule(std::move(*schedule));
    Q_EMIT StateChanged();
    return problem;
}

QString MonitoringSession::ControlPauseSchedule(const QString& until)
{
    const QDateTime at = QDateTime::fromString(until, Qt::ISODate);
    if (!at.isValid())
        return QStringLiteral("Write the moment as ISO 8601, such as 2026-12-10T08:00, not \"%1\".")
            .arg(until);
    if (at.toSecsSinceEpoch() <= clock_())
        return QStringLiteral("%1 has passed.").arg(until);
    return PauseSchedule(at.toSecsSinceEpoch());
}

void MonitoringSession::ControlResumeSchedule()
{
    PauseSchedule(0);
}

QString MonitoringSession::PauseSchedule(int64_t until)
{
    OwnSettings changed = ownSettings_;
    changed.schedulePausedUntil = until;
    if (QString problem = SaveOptions(std::move(changed), QStringLiteral("The schedule's pause"));
        !problem.isEmpty())
        return problem;
    if (schedule_)
        schedule_->SetPause(
            until > 0 ? std::optional(QDateTime::fromSecsSinceEpoch(until)) : std::nullopt);
    Q_EMIT StateChanged();
    return {};
}

QString MonitoringSession::ControlAnswer(bool yes)
{
    Answer(yes, Hand::Script);
    return std::exchange(scriptRefusal_, QString());
}

void MonitoringSession::ControlQuit()
{
    Q_EMIT QuitRequested();
}

} // namespace pelmora
