#include "platform/framework/PictureCtrl.h"

#include "platform/framework/ResourceImages.h"

#include <QMouseEvent>
#include <QPainter>

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
}

void CPictureCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (onClick_ && rect().contains(event->position().toPoint()))
        onClick_();
}

} // namespace pelmora::dlg
