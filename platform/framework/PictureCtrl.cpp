#include "platform/framework/PictureCtrl.h"

#include "platform/framework/ResourceImages.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace pelmora::dlg {

CPictureCtrl::CPictureCtrl(QWidget* parent)
    : QLabel(parent)
{
}

void CPictureCtrl::SetImage(int resource)
{
    resource_ = resource;
    update();
}

void CPictureCtrl::SetOnClick(std::function<void()> onClick)
{
    onClick_ = std::move(onClick);
    setFocusPolicy(onClick_ ? Qt::StrongFocus : Qt::NoFocus);
}

QSize CPictureCtrl::sizeHint() const
{
    const QSize own = ImageResourceSize(resource_);
    return own.isEmpty() ? QLabel::sizeHint() : own;
}

void CPictureCtrl::paintEvent(QPaintEvent*)
{
    // Drawn at paint time, so the picture is as sharp as the screen it is on.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintImageResource(resource_, painter, QRectF(contentsRect()));
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void CPictureCtrl::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (onClick_ && !event->isAutoRepeat()
        && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        onClick_();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CPictureCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (onClick_ && rect().contains(event->position().toPoint()))
        onClick_();
}

} // namespace pelmora::dlg
