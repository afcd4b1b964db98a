#pragma once

#include "monitor/CallLogRows.h"
#include "ui/CallLog.h"

#include <vector>

namespace pelmora {

// A call log held in plain memory, for running the reply pipeline without a
// window: the data tool's preview, the benchmark, the pipeline's tests.
class CMemoryCallLog final : public CallLogRows {
public:
    explicit CMemoryCallLog(LogClock clock);

    void DeleteOlderThan(int32_t halfHours) override;
    std::vector<CallLogKey> Keys() const override;
    void AppendRow(const CallLogRow& row) override;
    void SetRowStatus(const CallLogRow& row, std::u16string_view smsSent) override;

    const std::vector<CallLogRow>& Rows() const { return rows_; }
    void RemoveRow(size_t index);
    void ClearAll() { rows_.clear(); }

private:
    LogClock clock_;
    std::vector<CallLogRow> rows_;
};

} // namespace pelmora
