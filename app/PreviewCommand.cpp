#include "app/PreviewCommand.h"

#include "app/DataPreview.h"
#include "calendar/CalendarFeed.h"
#include "calendar/CalendarFiles.h"
#include "calendar/CalendarReading.h"
#include "history/CallHistory.h"
#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "options/OwnSettings.h"
#include "platform/contacts/AddressBookChoice.h"
#include "platform/contacts/VCardAddressBook.h"
#include "rules/GroupStore.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QTimeZone>

#include <memory>
#include <optional>

namespace pelmora {

namespace {

// Evolution Data Server is started by D-Bus activation when it is not running.
constexpr int kCalendarWaitMs = 10000;

struct PreviewArgs {
    QString number;
    std::optional<int32_t> rings;
    std::optional<std::filesystem::path> contacts;
    std::optional<QDateTime> at; // --at: local time; now without it
    std::optional<std::filesystem::path> calendar;
    bool json = false;
};

std::optional<PreviewArgs> ParseArgs(const QStringList& args, QString& error)
{
    PreviewArgs parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& word = args[i];
        const bool hasValue = i + 1 < args.size();
        if (word == QStringLiteral("--json")) {
            parsed.json = true;
        } else if (word == QStringLiteral("--rings") && hasValue) {
            bool ok = false;
            const int rings = args[++i].toInt(&ok);
            if (!ok || rings < 0) {
                error = QStringLiteral("--rings wants a ring count of 0 or more, not \"%1\"")
                            .arg(args[i]);
                return std::nullopt;
            }
            parsed.rings = rings;
        } else if (word == QStringLiteral("--at") && hasValue) {
            const QDateTime at
                = QDateTime::fromString(args[++i].trimmed(), QStringLiteral("yyyy-MM-dd HH:mm"));
            if (!at.isValid()) {
                error
                    = QStringLiteral("--at wants a local time as \"YYYY-MM-DD HH:MM\", not \"%1\"")
                          .arg(args[i]);
                return std::nullopt;
            }
            parsed.at = at;
        } else if (word == QStringLiteral("--contacts") && hasValue) {
            parsed.contacts = std::filesystem::path(args[++i].toStdString());
        } else if (word == QStringLiteral("--calendar") && hasValue) {
            parsed.calendar = std::filesystem::path(args[++i].toStdString());
        } else if (word.startsWith(QLatin1Char('-')) && word.size() > 1 && !word[1].isDigit()) {
            error = QStringLiteral("%1 is not understood here").arg(word);
            return std::nullopt;
        } else if (parsed.number.isEmpty() && !word.isEmpty()) {
            parsed.number = word;
        } else {
            error = QStringLiteral("one number, please");
            return std::nullopt;
        }
    }
    if (parsed.number.isEmpty()) {
        error = QStringLiteral("which number?");
        return std::nullopt;
    }
    return parsed;
}

class StartProfile final : public ActiveProfileSource {
public:
    ProfileRecord* profile = nullptr;
    ProfileRecord* ActiveProfile() const override { return profile; }
};

QString ContactsName(const AddressBook& book)
{
    if (const auto* files = dynamic_cast<const VCardAddressBook*>(&book))
        return QStringLiteral("vCard %1").arg(QString::fromStdString(files->Source().string()));
    return QStringLiteral("Evolution Data Server");
}

struct ScheduleVerdict {
    QString line; // empty without a schedule
    bool monitoringOff = false;
};

// What the schedule holds at `at`; a window with monitoring on makes its
// profile the active one.
ScheduleVerdict ScheduleAt(
    const std::filesystem::path& dataDir, const QDateTime& at, ProfileRecord*& activeProfile)
{
    OwnSettings options;
    QString error;
    if (!LoadOwnSettings(dataDir, options, error))
        return {QStringLiteral("Schedule: not read (%1)").arg(error)};
    if (options.schedule.empty())
        return {};
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const std::optional<size_t> index = WindowInForce(options.schedule, at.toTimeZone(zone), zone);
    if (!index)
        return {QStringLiteral("Schedule: no window at %1; Start/Stop and the profile as set")
                    .arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm")))};
    const ScheduleWindow& window = options.schedule[*index];
    const QString where
        = QStringLiteral("window %1, %2")
              .arg(*index + 1)
              .arg(WindowText(
                  window, window.monitoring ? QStringLiteral("on") : QStringLiteral("off")));
    if (!window.monitoring)
        return {QStringLiteral("Schedule: monitoring off (%1): no reply").arg(where), true};
    for (const auto& profile : Profiles())
        if (profile->id == window.profileId) {
            activeProfile = profile.get();
            return {QStringLiteral("Schedule: monitoring on with profile \"%1\" (%2)")
                        .arg(QString::fromStdU16String(profile->name.Text()), where)};
        }
    return {QStringLiteral("Schedule: its profile %1 no longer exists (%2): monitoring would not "
                           "start")
                .arg(window.profileId)
                .arg(where),
        true};
}

struct CalendarVerdict {
    QString line;
    QString busyUntil; // what [BUSYUNTIL] says then
    bool monitoringOn = false; // the calendar holds monitoring on, over the schedule
};

// What the calendar holds at `at`: a busy stretch, and what it switches.
CalendarVerdict CalendarAt(const std::optional<std::filesystem::path>& files,
    const OwnSettings& options, const QDateTime& at, ProfileRecord*& activeProfile)
{
    CalendarVerdict verdict {{}, options.busyUntilWord};
    const std::optional<CalendarSnapshot> snapshot
        = files ? CalendarFiles(*files).Changed() : CalendarFeed::ReadServerOnce(kCalendarWaitMs);
    if (!snapshot) {
        verdict.line = QStringLiteral("Calendar: not read (the calendar server does not answer)");
        return verdict;
    }
    const QTimeZone zone = QTimeZone::systemTimeZone();
    const QDateTime local = at.toTimeZone(zone);
    const CalendarReading reading
        = ReadBusyTime(*snapshot, local.addDays(-1), local.addDays(400), zone);
    verdict.busyUntil = BusyUntilText(reading.busy, local, zone, options.busyUntilWord);
    const QString problems = reading.problems.isEmpty()
        ? QString()
        : QStringLiteral(" (not all of it read: %1)")
              .arg(reading.problems.join(QStringLiteral("; ")));
    if (!reading.busy.StretchAt(local)) {
        verdict.line = QStringLiteral("Calendar: free at %1%2")
                           .arg(local.toString(QStringLiteral("yyyy-MM-dd HH:mm")), problems);
        return verdict;
    }
    verdict.line = QStringLiteral("Calendar: busy until %1").arg(verdict.busyUntil);
    if (options.calendarBusyProfileId == 0)
        return {verdict.line + QStringLiteral(", which switches nothing") + problems,
            verdict.busyUntil};
    for (const auto& profile : Profiles())
        if (profile->id == options.calendarBusyProfileId) {
            activeProfile = profile.get();
            verdict.line
                += QStringLiteral(": monitoring on with profile \"%1\", over the schedule%2")
                       .arg(QString::fromStdU16String(profile->name.Text()), problems);
            verdict.monitoringOn = true;
            return verdict;
        }
    verdict.line += QStringLiteral(": its profile %1 no longer exists%2")
                        .arg(options.calendarBusyProfileId)
                        .arg(problems);
    return verdict;
}

void ResetStores()
{
    ResetGroupStore();
    ResetTemplateStore();
    ResetProfileStore();
}

} // namespace

int RunPreview(
    const QStringList& args, const std::filesystem::path& dataDir, QString& out, QString& err)
{
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out = QStringLiteral(
            "usage: %1\n\n"
            "What a missed call from NUMBER would get now: the contact found and by which\n"
            "form of the number, each rule, the rings, the profile and message, and the\n"
            "text as it would be sent.\n\n"
            "  --rings N              the rings the call gave (default: as many as needed)\n"
            "  --at \"YYYY-MM-DD HH:MM\" a call at this local time, the schedule included\n"
            "                         (default: now)\n"
            "  --contacts FILE_OR_DIR read this vCard file or folder as the address book\n"
            "  --calendar FILE_OR_DIR read the busy times from this iCalendar file or folder\n"
            "                         instead of Evolution Data Server\n"
            "  --json                 print one JSON object\n\n"
            "Exit status: 0 a reply would be sent (or offered), 1 not, 2 usage error.\n")
                  .arg(QLatin1String(kPreviewUsage));
        return 0;
    }
    QString error;
    const std::optional<PreviewArgs> parsed = ParseArgs(args, error);
    if (!parsed) {
        err = QStringLiteral("pelmora-data: %1\nusage: %2\n")
                  .arg(error, QLatin1String(kPreviewUsage));
        return 2;
    }

    // The application's own order: groups, templates, profiles, settings;
    // then the profile the Profile page would select.
    ResetStores();
    LoadGroups(dataDir);
    LoadTemplates(dataDir);
    LoadProfiles(dataDir);
    SettingsRecord settings;
    LoadSettings(dataDir, settings);
    StartProfile active;
    active.profile = ProfileSelectedAtStart(settings.activeProfileId);
    SetActiveProfileSource(&active);
    // A window of the schedule in force at that time chooses the profile,
    // or turns monitoring off.
    const QDateTime at = parsed->at.value_or(QDateTime::currentDateTime());
    ScheduleVerdict schedule = ScheduleAt(dataDir, at, active.profile);
    OwnSettings own;
    QString ownError;
    LoadOwnSettings(dataDir, own, ownError);
    // The calendar is read where it may matter: named, switching monitoring,
    // or named in the reply (looked at below).
    std::optional<CalendarVerdict> calendar;
    if (parsed->calendar || own.calendarBusyProfileId != 0) {
        calendar = CalendarAt(parsed->calendar, own, at, active.profile);
        if (calendar->monitoringOn)
            schedule.monitoringOff = false;
    }

    // The address book the program would read, or the vCard file or folder given.
    const std::unique_ptr<AddressBook> book = parsed->contacts
        ? std::make_unique<VCardAddressBook>(*parsed->contacts)
        : ChooseAddressBook(dataDir);
    SetAddressBook(book.get());
    const QString bookName = ContactsName(*book);
    CContactsSession contacts;
    contacts.Logon();

    // The quiet period looks at the history, which a preview only reads.
    QuietLook quiet;
    quiet.minutes = own.quietMinutes;
    if (quiet.minutes > 0) {
        CallHistory history(dataDir, 0, 0, nullptr, CallHistory::Access::ReadOnly);
        const int64_t at = parsed->at.value_or(QDateTime::currentDateTime()).toSecsSinceEpoch();
        if (const auto last
            = LastReplyTo(history.RepliesBetween(at - int64_t {quiet.minutes} * 60, at),
                parsed->number.toStdU16String(), settings.internationalPrefix.Text()))
            quiet.sinceLastReply = at - *last;
    }
    CallPreview preview = PreviewCall(parsed->number.toStdU16String(), parsed->rings, settings,
        contacts, quiet, own.busyUntilWord.toStdU16String());
    if (!calendar && preview.reply.text.find(kBusyUntilVariable) != std::u16string::npos)
        calendar = CalendarAt(parsed->calendar, own, at, active.profile);
    if (calendar)
        preview = PreviewCall(parsed->number.toStdU16String(), parsed->rings, settings, contacts,
            quiet, calendar->busyUntil.toStdU16String());
    const bool wouldSend = preview.wouldSend && !schedule.monitoringOff;
    if (parsed->json) {
        QJsonObject object = PreviewJson(preview);
        object[QStringLiteral("contacts")] = bookName;
        if (!schedule.line.isEmpty()) {
            object[QStringLiteral("schedule")] = schedule.line;
            object[QStringLiteral("wouldSend")] = wouldSend;
        }
        if (calendar) {
            object[QStringLiteral("calendar")] = calendar->line;
            object[QStringLiteral("wouldSend")] = wouldSend;
        }
        out = QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
    } else {
        QStringList lines = PreviewLines(preview);
        lines.insert(1, QStringLiteral("Contacts: %1").arg(bookName));
        if (!schedule.line.isEmpty())
            lines.insert(2, schedule.line);
        if (calendar)
            lines.insert(schedule.line.isEmpty() ? 2 : 3, calendar->line);
        out = lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }

    contacts.Logoff();
    SetAddressBook(nullptr);
    SetActiveProfileSource(nullptr);
    ResetStores();
    return wouldSend ? 0 : 1;
}

} // namespace pelmora
