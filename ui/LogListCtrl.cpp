#include "ui/LogListCtrl.h"

#include <QHeaderView>
#include <QVariant>

namespace pelmora {

CLogListCtrl::CLogListCtrl(QWidget* parent)
    : CPersistentListCtrl(parent)
    , clock_(SystemLogClock())
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionsClickable(false);
}

void CLogListCtrl::InitColumns()
{
    InsertColumn(Number, u"Number", 65);
    InsertColumn(Caller, u"Caller", 120);
    InsertColumn(Time, u"Time", 80);
    InsertColumn(Rings, u"Rings", 80);
    InsertColumn(SmsSent, u"SMS Sent", 80);
}

std::vector<dlg::MenuItem> CLogListCtrl::PopupMenuItems() const
{
    return {{ID_CANCEL_MENU, u"Cancel"}, dlg::MenuItem::Separator(),
        {ID_DELETE_ENTRY, u"Delete entry"}, {ID_CALL_NUMBER, u"Call number"}};
}

std::optional<QColor> CLogListCtrl::RowTint(int row) const
{
    if (row % 2 == 0)
        return QColor(255, 160, 160);
    return std::nullopt;
}

void CLogListCtrl::AppendRow(const CallLogRow& row)
{
    const int index = InsertRow(row.number, row.stamp);
    SetRowText(index, Caller, row.caller);
    SetRowText(index, Time, row.time);
    SetRowText(index, Rings, row.rings);
    SetRowText(index, SmsSent, row.smsSent);
}

void CLogListCtrl::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    for (int index = RowCount() - 1; index >= 0; --index) {
        const auto text = [&](int column) { return RowText(index, column); };
        if (text(Number) == row.number && text(Caller) == row.caller && text(Time) == row.time
            && text(Rings) == row.rings && text(SmsSent) == row.smsSent) {
            SetRowText(index, SmsSent, smsSent);
            return;
        }
    }
}

int CLogListCtrl::InsertRow(std::u16string_view number, std::optional<uint32_t> stamp)
{
    auto* item = new QTreeWidgetItem;
    item->setText(Number, QString::fromStdU16String(std::u16string(number)));
    if (stamp)
        item->setData(Number, Qt::UserRole, QVariant::fromValue<uint>(*stamp));
    addTopLevelItem(item);
    return indexOfTopLevelItem(item);
}

void CLogListCtrl::SetRowText(int row, int column, std::u16string_view text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, QString::fromStdU16String(std::u16string(text)));
}

std::u16string CLogListCtrl::RowText(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column).toStdU16String() : std::u16string();
}

std::optional<uint32_t> CLogListCtrl::RowStamp(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    if (!item)
        return std::nullopt;
    const QVariant stamp = item->data(Number, Qt::UserRole);
    if (!stamp.isValid())
        return std::nullopt;
    return stamp.toUInt();
}

int CLogListCtrl::AppendCall(std::u16string_view number, std::u16string_view firstName,
    std::u16string_view lastName, int32_t rings, std::u16string_view smsSent)
{
    const int64_t now = clock_();
    const int row = InsertRow(number, static_cast<uint32_t>(now));
    const std::time_t seconds = static_cast<std::time_t>(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    SetRowText(row, Caller, LogCallerText(firstName, lastName));
    SetRowText(row, Time, FormatLogTime(local));
    const std::string ringsText = std::to_string(rings);
    SetRowText(row, Rings, std::u16string(ringsText.begin(), ringsText.end()));
    SetRowText(row, SmsSent, smsSent);
    return row;
}

void CLogListCtrl::DeleteOlderThan(int32_t halfHours)
{
    const auto now = static_cast<uint32_t>(clock_());
    for (int row = RowCount() - 1; row >= 0; --row) {
        const std::optional<uint32_t> stamp = RowStamp(row);
        if (stamp && IsLogRowExpired(now, *stamp, halfHours))
            RemoveRow(row);
    }
}

void CLogListCtrl::ClearAll()
{
    clear();
    SetSelectionMark(-1);
}

void CLogListCtrl::DeleteEntry(int row)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setData(Number, Qt::UserRole, QVariant());
}

void CLogListCtrl::RemoveRow(int row)
{
    delete takeTopLevelItem(row);
    if (GetSelectionMark() == row)
        SetSelectionMark(-1);
    else if (GetSelectionMark() > row)
        SetSelectionMark(GetSelectionMark() - 1);
}

int CLogListCtrl::CountSentTo(std::u16string_view number) const
{
    const QString wanted = QString::fromStdU16String(std::u16string(number));
    int count = 0;
    for (int row = 0; row < RowCount(); ++row) {
        const QTreeWidgetItem* item = topLevelItem(row);
        if (item->text(Number) == wanted && item->text(SmsSent) == QStringLiteral("Yes"))
            ++count;
    }
    return count;
}

} // namespace pelmora
