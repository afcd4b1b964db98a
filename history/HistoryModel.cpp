#include "history/HistoryModel.h"

#include "history/HistoryText.h"

#include <algorithm>

namespace pelmora {

HistoryModel::HistoryModel(CallHistory& history, QObject* parent)
    : QAbstractTableModel(parent)
    , history_(history)
    , listener_(history.AddChangeListener([this](const HistoryChange& c) { Follow(c); }))
{
}

HistoryModel::~HistoryModel()
{
    history_.RemoveChangeListener(listener_);
}

int HistoryModel::RowOf(int64_t id) const
{
    const auto at = std::ranges::find(rows_, id, &CallRecord::id);
    return at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin());
}

void HistoryModel::Follow(const HistoryChange& change)
{
    using Kind = HistoryChange::Kind;
    const int row = RowOf(change.id);
    switch (change.kind) {
    case Kind::Recorded: {
        if (row >= 0)
            return;
        std::optional<CallRecord> record = history_.ReadRow(change.id, search_);
        if (!record)
            return;
        // Newest first: its place is before the first row it is newer than.
        const auto Newer = [](const CallRecord& a, const CallRecord& b) {
            return std::pair(a.timeUtc, a.id) > std::pair(b.timeUtc, b.id);
        };
        const auto at = std::ranges::upper_bound(rows_, *record, Newer);
        // Past the last row read it comes with the page that holds it.
        if (at == rows_.end() && !atEnd_)
            return;
        const int place = static_cast<int>(at - rows_.begin());
        beginInsertRows({}, place, place);
        rows_.insert(at, std::move(*record));
        endInsertRows();
        return;
    }
    case Kind::Updated:
        if (row < 0)
            return;
        if (std::optional<CallRecord> record = history_.ReadRow(change.id)) {
            rows_[static_cast<size_t>(row)] = std::move(*record);
            Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
        }
        return;
    case Kind::Deleted:
        if (row < 0)
            return;
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
        return;
    case Kind::Cleared:
        beginResetModel();
        rows_.clear();
        atEnd_ = true;
        endResetModel();
        return;
    }
}

void HistoryModel::Search(std::u16string_view text)
{
    beginResetModel();
    search_ = text;
    rows_.clear();
    atEnd_ = false;
    endResetModel();
    // The first page at once: a view may not ask before its first paint.
    if (canFetchMore({}))
        fetchMore({});
}

// The history's change notice takes the rows out of the list.
bool HistoryModel::DeleteRow(int row)
{
    return row >= 0 && row < rowCount() && history_.Delete(Record(row).id);
}

bool HistoryModel::ClearAll()
{
    return history_.Clear();
}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    const CallRecord& record = Record(index.row());
    switch (index.column()) {
    case Time:
        return QString::fromStdU16String(HistoryTime(record));
    case Caller:
        return QString::fromStdU16String(HistoryCaller(record));
    case Outcome:
        return QString::fromStdU16String(HistoryOutcome(record));
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case Time:
        return QStringLiteral("Time");
    case Caller:
        return QStringLiteral("Caller");
    case Outcome:
        return QStringLiteral("Outcome");
    default:
        return {};
    }
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && !atEnd_;
}

void HistoryModel::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    std::vector<CallRecord> page
        = history_.ReadNewest(search_, kPageRows, rows_.empty() ? nullptr : &rows_.back());
    atEnd_ = page.size() < static_cast<size_t>(kPageRows);
    if (page.empty())
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(page.size()) - 1);
    for (CallRecord& record : page)
        rows_.push_back(std::move(record));
    endInsertRows();
}

} // namespace pelmora
