#include "ui/PersistentListCtrl.h"

#include "ui/ColumnWidths.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/MessageBox.h"
#include "platform/framework/ScreenModel.h"
#include "platform/storage/DataFile.h"

#include <QContextMenuEvent>
#include <QGestureEvent>
#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTapAndHoldGesture>

#include <algorithm>
#include <cstdlib>
#include <new>

namespace pelmora {

namespace {

QSettings Profile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrel"),
        QStringLiteral("Pelmora"));
}

} // namespace

CPersistentListCtrl::CPersistentListCtrl(QWidget* parent)
    : QTreeWidget(parent)
{
    SetUpStyle();
}

CPersistentListCtrl::~CPersistentListCtrl()
{
    if (started_)
        SaveColumnWidths();
}

void CPersistentListCtrl::resizeEvent(QResizeEvent* event)
{
    QTreeWidget::resizeEvent(event);
    // A turn of the screen: the widths chosen for the other orientation
    // stay with it, and this one's come back.
    if (started_ && ProfileSection() != loadedSection_) {
        SaveColumnWidths();
        LoadColumnWidths();
    }
}

std::u16string CPersistentListCtrl::Section() const
{
    return started_ ? section_ : GetSectionName();
}

void CPersistentListCtrl::SetUpStyle()
{
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setColumnCount(0);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    viewport()->grabGesture(Qt::TapAndHoldGesture);
}

void CPersistentListCtrl::PreSubclassWindow()
{
    // Kept for the save at destruction, when the derived class is gone.
    section_ = GetSectionName();
    InitColumns();
    LoadColumnWidths();
    started_ = true;
}

bool CPersistentListCtrl::Create(QWidget* parent, const QRect& rect)
{
    setParent(parent);
    setGeometry(rect);
    PreSubclassWindow();
    return true;
}

int CPersistentListCtrl::InsertColumn(int index, std::u16string_view title, int width)
{
    const int count = columnCount();
    if (index > count)
        index = count;
    QTreeWidgetItem* headerRow = headerItem();
    setColumnCount(count + 1);
    for (int i = count; i > index; --i)
        headerRow->setText(i, headerRow->text(i - 1));
    headerRow->setText(index, QString::fromStdU16String(std::u16string(title)));
    // Widths are the design's pixels.
    setColumnWidth(index, dlg::ScaledPixels(width));
    return index;
}

int CPersistentListCtrl::GetColumnCount() const
{
    return header()->count() % 256;
}

int CPersistentListCtrl::ClientWidth() const
{
    return width() - 2 * frameWidth();
}

int CPersistentListCtrl::ClientWidthForColumns() const
{
    return ClientWidth() - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

std::u16string CPersistentListCtrl::ProfileSection() const
{
    std::u16string section = Section();
    if (section.empty())
        return section;
    // A phone's columns are sized for its own screen: the simulated desktop
    // screen's widths never spoil them, nor they those.
    if (dlg::ScreenModel::Instance().IsPhone())
        section += u"_Phone";
    if (dlg::IsLandscape())
        section += u"_L";
    return section;
}

void CPersistentListCtrl::LoadColumnWidths()
{
    const std::u16string section = ProfileSection();
    loadedSection_ = section;
    if (section.empty())
        return;
    QSettings profile = Profile();
    profile.beginGroup(QString::fromStdU16String(section));
    const QVariant stored = profile.value(QStringLiteral("ColSizes"));
    profile.endGroup();
    // A list written by hand without quotes reads back as a list of texts.
    const QString joined = stored.typeId() == QMetaType::QStringList
        ? stored.toStringList().join(u',')
        : stored.toString();
    const std::u16string text = joined.toStdU16String();
    const int n = GetColumnCount();
    if (!text.empty()) {
        std::vector<int> widths;
        try {
            widths.resize(static_cast<size_t>(n));
        } catch (const std::bad_alloc&) {
            dlg::MessageBox(nullptr, u"Out of Memory !");
            std::exit(1);
        }
        if (ParseColumnWidths(text, widths.data(), n))
            for (int i = 0; i < n; ++i)
                SetColumnWidthWord(i, widths[static_cast<size_t>(i)]);
        return;
    }
    if (n == 0)
        return;
    if (dlg::ScreenModel::Instance().IsPhone()) {
        FitColumnsToTexts();
        return;
    }
    const int share = ClientWidth() / n;
    for (int i = 0; i < n; ++i)
        setColumnWidth(i, share);
}

void CPersistentListCtrl::FitColumnsToTexts()
{
    // Each column as wide as its title or its widest text, whichever is
    // wider; what is left of the list's width goes to the last column.
    for (int i = 0; i < columnCount(); ++i)
        setColumnWidth(i, std::max(header()->sectionSizeHint(i), sizeHintForColumn(i)));
    FillWithLastColumn();
}

void CPersistentListCtrl::WidenColumnsToTexts()
{
    for (int i = 0; i < columnCount(); ++i)
        if (const int need = sizeHintForColumn(i); need > columnWidth(i))
            setColumnWidth(i, need);
    FillWithLastColumn();
}

void CPersistentListCtrl::FillWithLastColumn()
{
    const int n = columnCount();
    if (n == 0)
        return;
    int total = 0;
    for (int i = 0; i < n; ++i)
        total += columnWidth(i);
    const int last = n - 1;
    const int need = std::max(header()->sectionSizeHint(last), sizeHintForColumn(last));
    setColumnWidth(last, std::max(need, columnWidth(last) + viewport()->width() - total));
}

void CPersistentListCtrl::SetColumnWidthWord(int column, int width)
{
    // The platform's list takes the low 16 bits of a width as a signed
    // number, and a negative one as a request to fit the column. So a
    // damaged "-1" (or "65535") never becomes a column 65535 pixels wide; it
    // fits the column's title, as the list is still empty when widths load.
    const auto word = static_cast<int16_t>(width & 0xFFFF);
    if (word < 0)
        resizeColumnToContents(column);
    else
        setColumnWidth(column, word);
}

void CPersistentListCtrl::SaveColumnWidths()
{
    // The widths belong to the screen they were loaded for, even when the
    // screen has turned since.
    const std::u16string section = started_ ? loadedSection_ : ProfileSection();
    if (section.empty())
        return;
    const int n = GetColumnCount();
    QString text;
    for (int i = 0; i + 1 < n; ++i)
        text += QStringLiteral("%1,").arg(columnWidth(i));
    text += QString::number(columnWidth(n <= 1 ? 0 : n - 1));
    QSettings profile = Profile();
    profile.beginGroup(QString::fromStdU16String(section));
    profile.setValue(QStringLiteral("ColSizes"), text);
    profile.endGroup();
    profile.sync();
    MakePrivate(profile.fileName().toStdString());
}

void CPersistentListCtrl::FindAndSelect(std::u16string_view text)
{
    const QString wanted = QString::fromStdU16String(std::u16string(text));
    int row = -1;
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (topLevelItem(i)->text(0).startsWith(wanted, Qt::CaseInsensitive)) {
            row = i;
            break;
        }
    if (row < 0)
        return;
    const int rowHeight = std::max(1, sizeHintForRow(0));
    const int perPage = std::max(1, viewport()->height() / rowHeight);
    if (QTreeWidgetItem* below = topLevelItem(row + perPage - 1))
        scrollToItem(below);
    scrollToItem(topLevelItem(row));
    selectionMark_ = row;
    setCurrentItem(topLevelItem(row));
    topLevelItem(row)->setSelected(true);
}

std::optional<QColor> CPersistentListCtrl::RowTint(int) const
{
    return std::nullopt;
}

void CPersistentListCtrl::drawRow(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (const auto tint = RowTint(index.row()))
        painter->fillRect(option.rect, *tint);
    QTreeWidget::drawRow(painter, option, index);
}

dlg::CommandTarget* CPersistentListCtrl::MenuOwner() const
{
    for (QWidget* up = parentWidget(); up; up = up->parentWidget())
        if (auto* target = dynamic_cast<dlg::CommandTarget*>(up))
            return target;
    return nullptr;
}

void CPersistentListCtrl::OnContextGesture(QPoint viewportPoint, QPoint screenPoint)
{
    std::vector<dlg::MenuItem> items = PopupMenuItems();
    if (items.empty())
        return;
    if (QTreeWidgetItem* item = itemAt(viewportPoint)) {
        selectionMark_ = indexOfTopLevelItem(item);
        setCurrentItem(item);
    }
    dlg::TrackPopupMenu(std::move(items), screenPoint, MenuOwner());
}

void CPersistentListCtrl::contextMenuEvent(QContextMenuEvent* event)
{
    // A right click with a mouse counts as the tap-and-hold gesture; its
    // point is the viewport's (the keyboard's is the list's own).
    const QPoint point = event->reason() == QContextMenuEvent::Keyboard
        ? viewport()->mapFrom(this, event->pos())
        : event->pos();
    OnContextGesture(point, event->globalPos());
    event->accept();
}

bool CPersistentListCtrl::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Gesture) {
        auto* gestures = static_cast<QGestureEvent*>(event);
        if (auto* hold
            = static_cast<QTapAndHoldGesture*>(gestures->gesture(Qt::TapAndHoldGesture))) {
            if (hold->state() == Qt::GestureFinished) {
                const QPoint screen = hold->position().toPoint();
                OnContextGesture(viewport()->mapFromGlobal(screen), screen);
            }
            gestures->accept(hold);
            return true;
        }
    }
    return QTreeWidget::viewportEvent(event);
}

} // namespace pelmora
