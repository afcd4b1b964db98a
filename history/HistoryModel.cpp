#include "history/HistoryModel.h"

#include "history/HistoryText.h"

namespace pelmora {

HistoryModel::HistoryModel(CallHistory& history, QObject* parent)
    : QAbstractTableModel(parent)
    , history_(history)
{
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

bool HistoryModel::DeleteRow(int row)
{
    if (row < 0 || row >= rowCount() || !history_.Delete(Record(row).id))
        return false;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
    return true;
}

bool HistoryModel::ClearAll()
{
    if (!history_.Clear())
        return false;
    beginResetModel();
    rows_.clear();
    atEnd_ = true;
    endResetModel();
    return true;
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
