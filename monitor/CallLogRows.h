#pragma once

#include "monitor/MissedCallDecision.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

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

// The call log as the reply pipeline uses it: the log is its only memory of
// earlier replies. The main window implements it over the Log page's list.
class CallLogRows {
public:
    virtual ~CallLogRows() = default;
    // Removes the rows `halfHours` half-hours old or older.
    virtual void DeleteOlderThan(int32_t halfHours) = 0;
    // The Number and SMS Sent texts of every row, oldest first.
    virtual std::vector<CallLogKey> Keys() const = 0;
    // Appends a row at the bottom.
    virtual void AppendRow(const CallLogRow& row) = 0;
    // Sets the SMS Sent text of the newest row equal to `row`; nothing when
    // the user has deleted it since.
    virtual void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent) = 0;
};

} // namespace pelmora
