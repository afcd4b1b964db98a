#include "options/OwnSettings.h"

#include "platform/storage/DataFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

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
    return {{QStringLiteral("version"), kOwnSettingsVersion},
        {QStringLiteral("schedule"), schedule},
        {QStringLiteral("historyKeep"),
            QString::fromLatin1(kKeepNames.at(static_cast<size_t>(settings.historyKeep)))},
        {QStringLiteral("quietMinutes"), settings.quietMinutes}};
}

std::optional<OwnSettings> OwnSettingsFromJson(
    const QJsonObject& json, const std::set<int32_t>* profileIds, QString& error)
{
    const int version = json.value(QStringLiteral("version")).toInt(-1);
    if (version < 1 || version > kOwnSettingsVersion) {
        error = QStringLiteral("version: only versions 1 to %1 are known").arg(kOwnSettingsVersion);
        return std::nullopt;
    }
    OwnSettings settings;
    const QJsonValue keep = json.value(QStringLiteral("historyKeep"));
    if (!keep.isUndefined()) {
        const auto found
            = std::find(kKeepNames.begin(), kKeepNames.end(), keep.toString().toStdString());
        if (version < 2 || !keep.isString() || found == kKeepNames.end()) {
            error = QStringLiteral("historyKeep: month, year or forever (version 2)");
            return std::nullopt;
        }
        settings.historyKeep = static_cast<HistoryKeep>(found - kKeepNames.begin());
    }
    const QJsonValue quiet = json.value(QStringLiteral("quietMinutes"));
    if (!quiet.isUndefined()) {
        const double minutes = quiet.toDouble(-1);
        const auto found = std::find(
            kQuietPeriodMinutes.begin(), kQuietPeriodMinutes.end(), static_cast<int32_t>(minutes));
        if (version < 2 || !quiet.isDouble() || !(minutes >= 0 && minutes <= 10080)
            || minutes != std::floor(minutes) || found == kQuietPeriodMinutes.end()) {
            error = QStringLiteral("quietMinutes: 0, 15, 60, 360, 1440 or 10080 (version 2)");
            return std::nullopt;
        }
        settings.quietMinutes = *found;
    }
    const QJsonValue schedule = json.value(QStringLiteral("schedule"));
    if (!schedule.isUndefined() && !schedule.isArray()) {
        error = QStringLiteral("schedule: a list of windows");
        return std::nullopt;
    }
    const QJsonArray windows = schedule.toArray();
    for (qsizetype i = 0; i < windows.size(); ++i) {
        const auto window = WindowFromJson(
            windows.at(i), QStringLiteral("schedule[%1]").arg(i), profileIds, error);
        if (!window)
            return std::nullopt;
        settings.schedule.push_back(*window);
    }
    return settings;
}

bool LoadOwnSettings(const std::filesystem::path& dir, OwnSettings& settings, QString& error)
{
    settings = {};
    QFile file(QString::fromStdString((dir / kOwnSettingsFileName).string()));
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    QJsonParseError parse {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!document.isObject()) {
        error = QStringLiteral("%1: not a JSON object (%2)")
                    .arg(file.fileName(), parse.errorString());
        return false;
    }
    const std::optional<OwnSettings> read = OwnSettingsFromJson(document.object(), nullptr, error);
    if (!read) {
        error = QStringLiteral("%1: %2").arg(file.fileName(), error);
        return false;
    }
    settings = *read;
    return true;
}

QByteArray EncodeOwnSettings(const OwnSettings& settings)
{
    return QJsonDocument(OwnSettingsToJson(settings)).toJson();
}

bool SaveOwnSettings(const std::filesystem::path& dir, const OwnSettings& settings)
{
    const QByteArray bytes = EncodeOwnSettings(settings);
    return WriteFileSafely(dir / kOwnSettingsFileName,
        std::span(
            reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size())))
        .Ok();
}

} // namespace pelmora
