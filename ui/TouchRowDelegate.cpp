#include "ui/TouchRowDelegate.h"

#include <QWidget>

#include <cmath>

namespace pelmora {

CTouchRowDelegate::CTouchRowDelegate(QWidget* view)
    : QStyledItemDelegate(view)
    , minHeight_(TouchHeight(view))
{
}

int CTouchRowDelegate::TouchHeight(const QWidget* widget)
{
    constexpr double kMillimetresPerInch = 25.4;
    return static_cast<int>(
        std::lround(kTouchMillimetres / kMillimetresPerInch * widget->logicalDpiY()));
}

QSize CTouchRowDelegate::sizeHint(
    const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), minHeight_));
    return size;
}

} // namespace pelmora
