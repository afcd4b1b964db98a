#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The texts and rules of the call log that need no window.

// One handled call as the log shows it: the five column texts and the time
// it was logged (seconds since 1970; none for a row that never ages).
struct CallLogRow {
    std::u16string number;
    std::u16string caller;
    std::u16string time;
    std::u16string rings;
    std::u16string smsSent;
    std::optional<uint32_t> stamp;

    bool operator==(const CallLogRow&) const = default;
};

// "hour:minute:second day/month/year" without leading zeros.
std::u16string FormatLogTime(const std::tm& local);
// First name, a space, last name; "Unknown" when both are empty.
std::u16string LogCallerText(std::u16string_view firstName, std::u16string_view lastName);

// The "Auto clear older than:" choices: index N is N half-hours, 0 never.
inline constexpr int kLogAgeChoices = 49;
std::u16string LogAgeChoiceText(int index);

// Whether a row stamped at `stamp` is due for removal at `now` under a limit
// of `halfHours` half-hours: its age in whole minutes has reached the limit.
bool IsLogRowExpired(uint32_t now, uint32_t stamp, int32_t halfHours);

// Seconds since 1 January 1970 UTC; tests give their own.
using LogClock = std::function<int64_t()>;
LogClock SystemLogClock();

} // namespace pelmora
