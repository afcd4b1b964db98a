#include "ui/LogListCtrl.h"

#include "platform/framework/ScreenModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QVariant>

namespace pelmora {

namespace {

// Draws a stacked row: the row's selection and focus as the style does,
// then its texts where StackRow puts them.
class StackedRowDelegate final : public QStyledItemDelegate {
public:
    explicit StackedRowDelegate(CLogListCtrl* list)
        : QStyledItemDelegate(list)
        , list_(list)
    {
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QTreeWidgetItem* item = list_->topLevelItem(index.row());
        if (!list_->IsStacked() || !item || index.column() != 0)
            return QStyledItemDelegate::sizeHint(option, index);
        const int width = list_->viewport()->width() - 2 * Margin(option);
        int bottom = 0;
        for (const auto& placed : CLogListCtrl::StackRow(option.fontMetrics, width, *item))
            bottom = std::max(bottom, placed.rect.bottom() + 1);
        return {width, bottom + 2 * Margin(option)};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
        const QModelIndex& index) const override
    {
        const QTreeWidgetItem* item = list_->topLevelItem(index.row());
        if (!list_->IsStacked() || !item || index.column() != 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem blank(option);
        initStyleOption(&blank, index);
        blank.text.clear();
        QStyle* style = list_->style();
        style->drawControl(QStyle::CE_ItemViewItem, &blank, painter, list_);
        // The row spans the columns, which may be wider than the list: its
        // texts keep to what the list shows.
        const int margin = Margin(option);
        const QRect room(option.rect.x() + margin, option.rect.y() + margin,
            list_->viewport()->width() - 2 * margin, option.rect.height() - 2 * margin);
        painter->save();
        painter->setPen(option.palette.color(
            option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        for (const auto& placed : CLogListCtrl::StackRow(option.fontMetrics, room.width(), *item))
            painter->drawText(placed.rect.translated(room.topLeft()),
                static_cast<int>(placed.align) | Qt::TextWordWrap, placed.text);
        painter->restore();
    }

private:
    int Margin(const QStyleOptionViewItem& option) const
    {
        return list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, list_) + 2;
    }

    CLogListCtrl* list_;
};

} // namespace

CLogListCtrl::CLogListCtrl(QWidget* parent)
    : CPersistentListCtrl(parent)
    , clock_(SystemLogClock())
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    header()->setSectionsClickable(false);
    setItemDelegate(new StackedRowDelegate(this));
}

std::vector<CLogListCtrl::StackedText> CLogListCtrl::StackRow(
    const QFontMetrics& metrics, int width, const QTreeWidgetItem& item)
{
    const QString rings = item.text(Rings);
    const QString pairs[2][2] = {
        {item.text(Number), QStringLiteral("SMS Sent: ") + item.text(SmsSent)},
        {item.text(Caller),
            rings.isEmpty() ? item.text(Time)
                            : item.text(Time) + QStringLiteral(" · Rings: ") + rings},
    };
    const int gap = metrics.horizontalAdvance(QStringLiteral("MM"));
    std::vector<StackedText> placed;
    int top = 0;
    for (const auto& [left, right] : pairs) {
        // The left text wraps rather than loses a character; the right one
        // shares its line when both fit, or takes the next.
        const QRect leftRect
            = metrics.boundingRect(QRect(0, top, width, 100000), Qt::TextWordWrap, left);
        const QRect rightRect = metrics.boundingRect(
            QRect(0, top, width, 100000), Qt::TextWordWrap | Qt::AlignRight, right);
        placed.push_back({QRect(0, top, width, leftRect.height()), left, Qt::AlignLeft});
        const bool beside
            = metrics.horizontalAdvance(left) + gap + metrics.horizontalAdvance(right) <= width;
        const int rightTop = beside ? top : top + leftRect.height();
        placed.push_back({QRect(0, rightTop, width, rightRect.height()), right, Qt::AlignRight});
        top = std::max(top + leftRect.height(), rightTop + rightRect.height());
    }
    return placed;
}

void CLogListCtrl::resizeEvent(QResizeEvent* event)
{
    CPersistentListCtrl::resizeEvent(event);
    FollowScreen();
}

void CLogListCtrl::FollowScreen()
{
    const bool phone = dlg::ScreenModel::Instance().IsPhone();
    const bool stacked = phone && !dlg::IsLandscape();
    if (stacked != stacked_) {
        stacked_ = stacked;
        setHeaderHidden(stacked);
        setHorizontalScrollBarPolicy(stacked ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
        setUniformRowHeights(!stacked);
        for (int row = 0; row < RowCount(); ++row)
            setFirstColumnSpanned(row, QModelIndex(), stacked);
    }
    // A phone's columns end at the list's edge, each text whole.
    if (phone && !stacked)
        WidenColumnsToTexts();
    // Stacked rows are as high as their texts need at this width.
    if (stacked)
        scheduleDelayedItemsLayout();
}

void CLogListCtrl::FitRow(QTreeWidgetItem* item)
{
    if (stacked_)
        setFirstColumnSpanned(indexOfTopLevelItem(item), QModelIndex(), true);
    else if (dlg::ScreenModel::Instance().IsPhone())
        for (int column = 0; column < columnCount(); ++column) {
            const int need = sizeHintForIndex(indexFromItem(item, column)).width();
            if (need > columnWidth(column)) {
                setColumnWidth(column, need);
                FillWithLastColumn();
            }
        }
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
    FitRow(topLevelItem(index));
}

void CLogListCtrl::SetRowStatus(const CallLogRow& row, std::u16string_view smsSent)
{
    for (int index = RowCount() - 1; index >= 0; --index) {
        const auto text = [&](int column) { return RowText(index, column); };
        if (text(Number) == row.number && text(Caller) == row.caller && text(Time) == row.time
            && text(Rings) == row.rings && text(SmsSent) == row.smsSent) {
            SetRowText(index, SmsSent, smsSent);
            FitRow(topLevelItem(index));
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
    FitRow(topLevelItem(row));
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
