#pragma once

#include "history/CallHistory.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace pelmora {

// The history as a list of rows, newest first, read a page at a time as the
// view scrolls, so that a history of many thousand calls opens at once. It
// follows the history's changes while it lives: a call recorded is read
// alone and put in its place among the rows read, a row moved on is read
// again, a deleted one removed; nothing else is read again.
class HistoryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Caller, Outcome, ColumnCount };
    static constexpr int kPageRows = 100;

    explicit HistoryModel(CallHistory& history, QObject* parent = nullptr);
    ~HistoryModel() override;

    // Shows only the calls whose number or name holds `text`; from the top.
    void Search(std::u16string_view text);
    const std::u16string& SearchText() const { return search_; }
    const CallRecord& Record(int row) const { return rows_.at(static_cast<size_t>(row)); }
    // Removes one call, or all, from the history and the list; false when
    // the history could not be changed.
    bool DeleteRow(int row);
    bool ClearAll();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The row showing call `id`, or -1 when it has not been read.
    int RowOf(int64_t id) const;

private:
    void Follow(const HistoryChange& change);

    CallHistory& history_;
    int listener_ = 0;
    std::u16string search_;
    std::vector<CallRecord> rows_;
    bool atEnd_ = false;
};

} // namespace pelmora
