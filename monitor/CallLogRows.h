#pragma once

#include "monitor/MissedCallDecision.h"
#include "ui/CallLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

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
