#include "monitor/MemoryCallLog.h"

#include <cstddef>

namespace pelmora {

CMemoryCallLog::CMemoryCallLog(LogClock clock)
    : clock_(std::move(clock))
{
}

void CMemoryCallLog::DeleteOlderThan(int32_t halfHours)
{
    const auto now = static_cast<uint32_t>(clock_());
    std::erase_if(rows_, [&](const CallLogRow& row) {
        return row.stamp && IsLogRowExpired(now, *row.stamp, halfHours);
    });
}

std::vector<CallLogKey> CMemoryCallLog::Keys() const
{
    std::vector<CallLogKey> keys;
    keys.reserve(rows_.size());
    for (const CallLogRow& row : rows_)
        keys.push_back({row.number, row.smsSent});
    return keys;
}

void CMemoryCallLog::AppendRow(const CallLogRow& row)
{
    rows_.push_back(row);
}

void CMemoryCallLog::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    for (auto it = rows_.rbegin(); it != rows_.rend(); ++it)
        if (*it == row) {
            it->smsSent = smsSent;
            return;
        }
}

void CMemoryCallLog::RemoveRow(size_t index)
{
    if (index < rows_.size())
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(index));
}

} // namespace pelmora
