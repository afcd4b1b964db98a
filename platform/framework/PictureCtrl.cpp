#include "platform/framework/PictureCtrl.h"

#include "platform/framework/ResourceImages.h"

#include <QMouseEvent>

namespace pelmora::dlg {

CPictureCtrl::CPictureCtrl(QWidget* parent)
    : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CPictureCtrl::SetImage(int resource)
{
    resource_ = resource;
    setPixmap(LoadImageResource(resource));
}

void CPictureCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (onClick_ && rect().contains(event->position().toPoint()))
        onClick_();
}

} // namespace pelmora::dlg
