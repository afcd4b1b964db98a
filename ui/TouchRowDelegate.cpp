#include "ui/TouchRowDelegate.h"

#include "platform/framework/ScreenModel.h"

#include <QMouseEvent>
#include <QWidget>

namespace pelmora {

CTouchRowDelegate::CTouchRowDelegate(QWidget* view)
    : QStyledItemDelegate(view)
    , minHeight_(TouchHeight(view))
{
}

int CTouchRowDelegate::TouchHeight(const QWidget* /*widget*/)
{
    // Millimetres of the screen the program lays itself out for: a phone's
    // own, or the simulated screen's 96 dpi at its scale.
    return dlg::ScreenModel::Instance().MillimetresToPixels(kTouchMillimetres);
}

QSize CTouchRowDelegate::sizeHint(
    const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), minHeight_));
    return size;
}

bool CTouchRowDelegate::editorEvent(QEvent* event, QAbstractItemModel* model,
    const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const Qt::ItemFlags flags = index.flags();
    const QVariant check = index.data(Qt::CheckStateRole);
    const bool checkable
        = (flags & Qt::ItemIsUserCheckable) && (flags & Qt::ItemIsEnabled) && check.isValid();
    if (checkable && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton
            && option.rect.contains(mouse->position().toPoint())) {
            const bool checked = check.toInt() == Qt::Checked;
            return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        }
    }
    return QStyledItemDelegate::editorEvent(event, model, option, index);
}

} // namespace pelmora
