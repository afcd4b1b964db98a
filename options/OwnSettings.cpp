#include "options/OwnSettings.h"

#include "platform/storage/DataFileCare.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>

namespace pelmora {

namespace {

constexpr std::array<const char*, 7> kDayNames = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

QJsonObject WindowToJson(const ScheduleWindow& window)
{
    QJsonArray days;
    for (size_t day = 0; day < kDayNames.size(); ++day)
        if (window.days & (1u << day))
            days.append(QString::fromLatin1(kDayNames[day]));
    QJsonObject json {
        {QStringLiteral("days"), days},
        {QStringLiteral("start"), MinuteText(window.startMinute)},
        {QStringLiteral("end"), MinuteText(window.endMinute)},
        {QStringLiteral("monitoring"), window.monitoring},
    };
    if (window.monitoring)
        json.insert(QStringLiteral("profile"), window.profileId);
    return json;
}

std::optional<ScheduleWindow> WindowFromJson(const QJsonValue& value, const QString& where,
    const std::set<int32_t>* profileIds, QString& error)
{
    const auto fail = [&](const QString& what) {
        error = QStringLiteral("%1: %2").arg(where, what);
        return std::nullopt;
    };
    if (!value.isObject())
        return fail(QStringLiteral("a window is an object"));
    const QJsonObject json = value.toObject();
    ScheduleWindow window;
    const QJsonValue days = json.value(QStringLiteral("days"));
    if (!days.isArray() || days.toArray().isEmpty())
        return fail(QStringLiteral("\"days\" is a list of one or more of mon, tue, wed, thu, fri, "
                                   "sat and sun"));
    for (const QJsonValue& day : days.toArray()) {
        const auto found
            = std::find(kDayNames.begin(), kDayNames.end(), day.toString().toStdString());
        if (!day.isString() || found == kDayNames.end())
            return fail(QStringLiteral("\"%1\" is not a day (mon ... sun)")
                            .arg(day.isString() ? day.toString() : QStringLiteral("?")));
        window.days |= static_cast<uint8_t>(1u << (found - kDayNames.begin()));
    }
    for (const auto& [key, minute] : {std::pair {QStringLiteral("start"), &window.startMinute},
             std::pair {QStringLiteral("end"), &window.endMinute}}) {
        const std::optional<int> value = MinuteFromText(json.value(key).toString());
        if (!value)
            return fail(QStringLiteral("\"%1\" is a time from 00:00 to 23:59").arg(key));
        *minute = *value;
    }
    const QJsonValue monitoring = json.value(QStringLiteral("monitoring"));
    if (!monitoring.isBool())
        return fail(QStringLiteral("\"monitoring\" is true or false"));
    window.monitoring = monitoring.toBool();
    if (window.monitoring) {
        const QJsonValue profile = json.value(QStringLiteral("profile"));
        const double id = profile.toDouble(-1);
        // Checked as a double first: a huge number has no int32_t to compare with.
        if (!profile.isDouble() || !(id >= 1 && id <= INT32_MAX) || id != std::floor(id))
            return fail(QStringLiteral("\"profile\" is a profile's id"));
        window.profileId = static_cast<int32_t>(id);
        if (profileIds && !profileIds->contains(window.profileId))
            return fail(QStringLiteral("there is no profile with id %1").arg(window.profileId));
    }
    return window;
}

constexpr std::array<const char*, 3> kKeepNames = {"month", "year", "forever"};

constexpr std::array<OwnOption, 5> kOptions = {OwnOption::Schedule, OwnOption::HistoryKeep,
    OwnOption::QuietPeriod, OwnOption::CalendarBusy, OwnOption::BusyUntilWord};

// Far beyond any schedule of a hundred windows.
constexpr size_t kMaxOptionsBytes = 1 << 20;

const char* KeyOf(OwnOption option)
{
    switch (option) {
    case OwnOption::Schedule:
        return "schedule";
    case OwnOption::HistoryKeep:
        return "historyKeep";
    case OwnOption::CalendarBusy:
        return "calendarBusy";
    case OwnOption::BusyUntilWord:
        return "busyUntilWord";
    case OwnOption::QuietPeriod:
        break;
    }
    return "quietMinutes";
}

void SetUnknown(OwnOption option, OwnSettings& settings)
{
    switch (option) {
    case OwnOption::Schedule:
        settings.schedule.clear();
        break;
    case OwnOption::HistoryKeep:
        settings.historyKeep = kUnknownHistoryKeep;
        break;
    case OwnOption::QuietPeriod:
        settings.quietMinutes = kUnknownQuietMinutes;
        break;
    case OwnOption::CalendarBusy:
        settings.calendarBusyProfileId = 0;
        break;
    case OwnOption::BusyUntilWord:
        settings.busyUntilWord = QString::fromUtf16(OwnSettings::kDefaultBusyUntilWord);
        break;
    }
}

std::optional<int> ReadVersion(const QJsonValue& value, QString& error)
{
    const int version = value.toInt(-1);
    if (version < 1 || version > kOwnSettingsVersion) {
        error = QStringLiteral("version: only versions 1 to %1 are known").arg(kOwnSettingsVersion);
        return std::nullopt;
    }
    return version;
}

// Reads one option into `settings`; an undefined value leaves its default.
bool ReadOption(OwnOption option, const QJsonValue& value, int version,
    const std::set<int32_t>* profileIds, OwnSettings& settings, QString& error)
{
    if (value.isUndefined())
        return true;
    switch (option) {
    case OwnOption::HistoryKeep: {
        const auto found
            = std::find(kKeepNames.begin(), kKeepNames.end(), value.toString().toStdString());
        if (version < 2 || !value.isString() || found == kKeepNames.end()) {
            error = QStringLiteral("historyKeep: month, year or forever (version 2)");
            return false;
        }
        settings.historyKeep = static_cast<HistoryKeep>(found - kKeepNames.begin());
        return true;
    }
    case OwnOption::QuietPeriod: {
        const double minutes = value.toDouble(-1);
        const auto found = std::find(
            kQuietPeriodMinutes.begin(), kQuietPeriodMinutes.end(), static_cast<int32_t>(minutes));
        if (version < 2 || !value.isDouble() || !(minutes >= 0 && minutes <= 10080)
            || minutes != std::floor(minutes) || found == kQuietPeriodMinutes.end()) {
            error = QStringLiteral("quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)");
            return false;
        }
        settings.quietMinutes = *found;
        return true;
    }
    case OwnOption::CalendarBusy: {
        const QJsonValue profile = value.toObject().value(QStringLiteral("profile"));
        const double id = profile.toDouble(-1);
        if (!value.isObject() || !profile.isDouble() || !(id >= 1 && id <= INT32_MAX)
            || id != std::floor(id)) {
            error = QStringLiteral("calendarBusy: {\"profile\": a profile's id}");
            return false;
        }
        if (profileIds && !profileIds->contains(static_cast<int32_t>(id))) {
            error = QStringLiteral("calendarBusy: there is no profile with id %1")
                        .arg(static_cast<int32_t>(id));
            return false;
        }
        settings.calendarBusyProfileId = static_cast<int32_t>(id);
        return true;
    }
    case OwnOption::BusyUntilWord: {
        const QString word = value.toString();
        if (!value.isString() || word.size() > OwnSettings::kMostBusyUntilWordLength
            || word.contains(u'\n') || word.contains(u'\r')) {
            error = QStringLiteral("busyUntilWord: a text of at most %1 characters on one line")
                        .arg(OwnSettings::kMostBusyUntilWordLength);
            return false;
        }
        settings.busyUntilWord = word;
        return true;
    }
    case OwnOption::Schedule:
        break;
    }
    if (!value.isArray()) {
        error = QStringLiteral("schedule: a list of windows");
        return false;
    }
    const QJsonArray windows = value.toArray();
    if (windows.size() > static_cast<qsizetype>(kMaxScheduleWindows)) {
        error = QStringLiteral("schedule: at most %1 windows").arg(kMaxScheduleWindows);
        return false;
    }
    WeeklySchedule schedule;
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const auto window = WindowFromJson(
            windows.at(i), QStringLiteral("schedule[%1]").arg(i), profileIds, error);
        if (!window)
            return false;
        schedule.push_back(*window);
    }
    settings.schedule = std::move(schedule);
    return true;
}

int64_t PauseFromJson(const QJsonObject& json)
{
    const QDateTime until = QDateTime::fromString(
        json.value(QStringLiteral("schedulePausedUntil")).toString(), Qt::ISODate);
    return until.isValid() ? std::max<int64_t>(until.toSecsSinceEpoch(), 0) : 0;
}

// Where the value that begins at `from` ends: at a comma or a closing
// bracket outside every string and bracket it opened.
qsizetype ValueEnd(const QByteArray& bytes, qsizetype from)
{
    int depth = 0;
    bool inString = false;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            ++depth;
        } else if (c == ']' || c == '}') {
            if (depth-- == 0)
                return i;
        } else if (c == ',' && depth == 0) {
            return i;
        }
    }
    return bytes.size();
}

// The known options of a file that is no longer JSON as a whole (a
// trailing comma, a cut end, a stray character): each one whose value
// still reads on its own.
QJsonObject ScanOptions(const QByteArray& bytes)
{
    QJsonObject found;
    for (const char* key : {"version", "schedule", "historyKeep", "quietMinutes",
             "schedulePausedUntil", "calendarBusy", "busyUntilWord"}) {
        const QByteArray quoted = '"' + QByteArray(key) + '"';
        for (qsizetype at = bytes.indexOf(quoted); at >= 0; at = bytes.indexOf(quoted, at + 1)) {
            qsizetype from = at + quoted.size();
            while (from < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[from])))
                ++from;
            if (from >= bytes.size() || bytes[from] != ':')
                continue;
            ++from;
            const QByteArray value = bytes.mid(from, ValueEnd(bytes, from) - from);
            const QJsonDocument wrapped = QJsonDocument::fromJson('[' + value + ']');
            if (wrapped.isArray() && wrapped.array().size() == 1) {
                found.insert(QLatin1String(key), wrapped.array().first());
                break;
            }
        }
    }
    return found;
}

} // namespace

int64_t HistoryKeepSeconds(HistoryKeep keep)
{
    constexpr int64_t kDay = 24 * 60 * 60;
    switch (keep) {
    case HistoryKeep::Month:
        return 31 * kDay;
    case HistoryKeep::Year:
        return 366 * kDay;
    case HistoryKeep::Forever:
        break;
    }
    return 0;
}

QString QuietPeriodText(int32_t minutes)
{
    if (minutes <= 0)
        return QStringLiteral("never");
    if (minutes < 60)
        return QStringLiteral("%1 min").arg(minutes);
    if (minutes < 7 * 24 * 60)
        return QStringLiteral("%1 h").arg(minutes / 60);
    return QStringLiteral("%1 days").arg(minutes / (24 * 60));
}

QJsonObject OwnSettingsToJson(const OwnSettings& settings)
{
    QJsonArray schedule;
    for (const ScheduleWindow& window : settings.schedule)
        schedule.append(WindowToJson(window));
    QJsonObject json {{QStringLiteral("version"), kOwnSettingsVersion},
        {QStringLiteral("schedule"), schedule},
        {QStringLiteral("historyKeep"),
            QString::fromLatin1(kKeepNames.at(static_cast<size_t>(settings.historyKeep)))},
        {QStringLiteral("quietMinutes"), settings.quietMinutes}};
    if (settings.schedulePausedUntil > 0)
        json.insert(QStringLiteral("schedulePausedUntil"),
            QDateTime::fromSecsSinceEpoch(settings.schedulePausedUntil, QTimeZone::utc())
                .toString(Qt::ISODate));
    if (settings.calendarBusyProfileId != 0)
        json.insert(QStringLiteral("calendarBusy"),
            QJsonObject {{QStringLiteral("profile"), settings.calendarBusyProfileId}});
    if (settings.busyUntilWord != QString::fromUtf16(OwnSettings::kDefaultBusyUntilWord))
        json.insert(QStringLiteral("busyUntilWord"), settings.busyUntilWord);
    return json;
}

std::optional<WeeklySchedule> ScheduleFromJson(
    const QJsonValue& json, const std::set<int32_t>* profileIds, QString& error)
{
    OwnSettings settings;
    if (!ReadOption(OwnOption::Schedule, json.isUndefined() ? QJsonValue(QJsonArray()) : json,
            kOwnSettingsVersion, profileIds, settings, error))
        return std::nullopt;
    return settings.schedule;
}

std::optional<OwnSettings> OwnSettingsFromJson(
    const QJsonObject& json, const std::set<int32_t>* profileIds, QString& error)
{
    const std::optional<int> version = ReadVersion(json.value(QStringLiteral("version")), error);
    if (!version)
        return std::nullopt;
    OwnSettings settings;
    for (const OwnOption option : kOptions)
        if (!ReadOption(option, json.value(QLatin1String(KeyOf(option))), *version, profileIds,
                settings, error))
            return std::nullopt;
    settings.schedulePausedUntil = PauseFromJson(json);
    return settings;
}

QString OwnOptionName(OwnOption option)
{
    switch (option) {
    case OwnOption::Schedule:
        return QStringLiteral("the schedule");
    case OwnOption::HistoryKeep:
        return QStringLiteral("how long the history keeps calls");
    case OwnOption::CalendarBusy:
        return QStringLiteral("what the calendar switches");
    case OwnOption::BusyUntilWord:
        return QStringLiteral("the word for [BUSYUNTIL]");
    case OwnOption::QuietPeriod:
        break;
    }
    return QStringLiteral("the quiet period");
}

bool LoadOwnSettings(const std::filesystem::path& dir, OwnSettings& settings, QString& error,
    std::vector<OwnOption>* lost)
{
    settings = {};
    const std::filesystem::path path = dir / kOwnSettingsFileName;
    const QString name = QString::fromStdString(path.string());
    const FileRead read = ReadDataFile(path, kMaxOptionsBytes);
    std::vector<OwnOption> fellBack;
    const auto done = [&](FileCondition condition, const QString& problem) {
        for (const OwnOption option : fellBack)
            SetUnknown(option, settings);
        if (lost)
            *lost = fellBack;
        std::string kept;
        for (const OwnOption option : kOptions)
            if (std::find(fellBack.begin(), fellBack.end(), option) == fellBack.end())
                kept += (kept.empty() ? "" : ", ") + OwnOptionName(option).toStdString();
        NoteLoadedFile({path, condition, read.bytes, read.error,
            kept.empty() ? std::string("none of its options") : kept, {}});
        if (condition == FileCondition::Whole || condition == FileCondition::Missing)
            return true;
        error = QStringLiteral("%1: %2").arg(name, problem);
        return false;
    };
    if (read.status == FileRead::Status::Missing)
        return done(FileCondition::Missing, {});
    if (read.status == FileRead::Status::Unreadable) {
        fellBack.assign(kOptions.begin(), kOptions.end());
        return done(FileCondition::Unreadable, QString::fromLocal8Bit(std::strerror(read.error)));
    }
    const QByteArray bytes(reinterpret_cast<const char*>(read.bytes.data()),
        static_cast<qsizetype>(read.bytes.size()));
    QJsonParseError parse {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    QStringList problems;
    QJsonObject json;
    if (document.isObject()) {
        json = document.object();
    } else {
        problems << QStringLiteral("not a JSON object (%1)").arg(parse.errorString());
        json = ScanOptions(bytes);
    }
    // An option missing from a whole file is its default; from a damaged
    // one it may have been lost.
    const bool whole = problems.isEmpty();
    QString problem;
    std::optional<int> version = ReadVersion(json.value(QStringLiteral("version")), problem);
    if (!version) {
        problems << problem;
        version = kOwnSettingsVersion;
    }
    for (const OwnOption option : kOptions) {
        const QJsonValue value = json.value(QLatin1String(KeyOf(option)));
        // Options written only when they differ from their default are
        // taken as left out, not lost: most files never had them.
        const bool leftOutAtDefault
            = option == OwnOption::CalendarBusy || option == OwnOption::BusyUntilWord;
        if (value.isUndefined() && (whole || leftOutAtDefault))
            continue;
        if (value.isUndefined()) {
            fellBack.push_back(option);
        } else if (!ReadOption(option, value, *version, nullptr, settings, problem)) {
            problems << problem;
            fellBack.push_back(option);
        }
    }
    settings.schedulePausedUntil = PauseFromJson(json);
    return done(problems.isEmpty() ? FileCondition::Whole : FileCondition::Damaged,
        problems.join(QStringLiteral("; ")));
}

QByteArray EncodeOwnSettings(const OwnSettings& settings)
{
    return QJsonDocument(OwnSettingsToJson(settings)).toJson();
}

SaveResult SaveOwnSettings(const std::filesystem::path& dir, const OwnSettings& settings)
{
    const QByteArray bytes = EncodeOwnSettings(settings);
    return SaveDataFile(dir / kOwnSettingsFileName,
        std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
            static_cast<size_t>(bytes.size())));
}

} // namespace pelmora
