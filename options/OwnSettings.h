#pragma once

#include "platform/storage/DataFile.h"
#include "schedule/WeeklySchedule.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <vector>

namespace pelmora {

// Pelmora's own options, beyond the four data files whose layout is fixed:
// a versioned JSON file beside them.
inline constexpr char kOwnSettingsFileName[] = "pelmora-options.json";
// Version 2 added the history's keeping and the quiet period; a version 1
// file is still read, with their defaults.
inline constexpr int kOwnSettingsVersion = 2;

// How long the history keeps a call.
enum class HistoryKeep { Month, Year, Forever };
// Seconds, 0 for forever.
int64_t HistoryKeepSeconds(HistoryKeep keep);

// The choices of "Don't reply again to the same number within:", in minutes;
// 0 is "never".
inline constexpr std::array<int32_t, 6> kQuietPeriodMinutes = {0, 15, 60, 360, 1440, 10080};

// A choice of the quiet period in words: "never", "15 min", "1 h", "6 h",
// "24 h", "7 days".
QString QuietPeriodText(int32_t minutes);

struct OwnSettings {
    WeeklySchedule schedule;
    HistoryKeep historyKeep = HistoryKeep::Year;
    int32_t quietMinutes = 0; // one of kQuietPeriodMinutes
    // Until when the schedule switches nothing (seconds since 1970), 0 when
    // it is not paused. Saved as "schedulePausedUntil" (UTC, ISO 8601); a
    // pause that cannot be read is no pause.
    int64_t schedulePausedUntil = 0;
    // "While my calendar says busy": monitoring on with this profile while
    // a busy event runs; 0 when the calendar switches nothing. Saved as
    // "calendarBusy": {"profile": ID}, left out when off.
    int32_t calendarBusyProfileId = 0;
    // What [BUSYUNTIL] says while no busy event runs. Saved as
    // "busyUntilWord", left out while it is the default.
    QString busyUntilWord = QString::fromUtf16(kDefaultBusyUntilWord);

    static constexpr char16_t kDefaultBusyUntilWord[] = u"later";
    static constexpr int kMostBusyUntilWordLength = 40;

    bool operator==(const OwnSettings&) const = default;
};

// The options a damaged file may lose. Each one lost holds its safe value
// until the user chooses again: no schedule, the history kept for ever (a
// keep period nobody knows never deletes a call), the longest quiet
// period (a caller is never texted twice because of a typo), a calendar
// that switches nothing and the default word for [BUSYUNTIL].
enum class OwnOption { Schedule, HistoryKeep, QuietPeriod, CalendarBusy, BusyUntilWord };
inline constexpr HistoryKeep kUnknownHistoryKeep = HistoryKeep::Forever;
inline constexpr int32_t kUnknownQuietMinutes = kQuietPeriodMinutes.back();
// "the schedule", "how long the history keeps calls", "the quiet period",
// "what the calendar switches", "the word for [BUSYUNTIL]".
QString OwnOptionName(OwnOption option);

QJsonObject OwnSettingsToJson(const OwnSettings& settings);
// The "schedule" list alone, checked as in the file; none, with `error`
// naming the place, when it is wrong.
std::optional<WeeklySchedule> ScheduleFromJson(
    const QJsonValue& json, const std::set<int32_t>* profileIds, QString& error);
// Checks the whole object; none, with `error` naming the place, when any of
// it is wrong. With `profileIds`, a window's profile must be one of them.
std::optional<OwnSettings> OwnSettingsFromJson(
    const QJsonObject& json, const std::set<int32_t>* profileIds, QString& error);

// A missing file is the defaults. False with `error` when the file is there
// but cannot be read or is not valid as a whole: `settings` then holds every
// option that reads on its own (even from a file that is no longer JSON) and
// the safe value of each other one, which `lost` lists. The file is opened
// without blocking (a pipe in its place is unreadable) and noted like the
// data files, so a damaged one is copied aside before it is replaced.
bool LoadOwnSettings(const std::filesystem::path& dir, OwnSettings& settings, QString& error,
    std::vector<OwnOption>* lost = nullptr);
// Saves as the data files are saved: a damaged file is copied aside first,
// an unreadable one is left alone.
SaveResult SaveOwnSettings(const std::filesystem::path& dir, const OwnSettings& settings);
// The file's bytes, as SaveOwnSettings writes them.
QByteArray EncodeOwnSettings(const OwnSettings& settings);

} // namespace pelmora
