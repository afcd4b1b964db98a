#pragma once

#include "schedule/WeeklySchedule.h"

#include <QJsonObject>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>

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

    bool operator==(const OwnSettings&) const = default;
};

QJsonObject OwnSettingsToJson(const OwnSettings& settings);
// Checks the whole object; none, with `error` naming the place, when any of
// it is wrong. With `profileIds`, a window's profile must be one of them.
std::optional<OwnSettings> OwnSettingsFromJson(
    const QJsonObject& json, const std::set<int32_t>* profileIds, QString& error);

// A missing file is the defaults. False with `error` when the file is there
// but cannot be read or is not valid; `settings` then holds the defaults.
bool LoadOwnSettings(const std::filesystem::path& dir, OwnSettings& settings, QString& error);
bool SaveOwnSettings(const std::filesystem::path& dir, const OwnSettings& settings);
// The file's bytes, as SaveOwnSettings writes them.
QByteArray EncodeOwnSettings(const OwnSettings& settings);

} // namespace pelmora
