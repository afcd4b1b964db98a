#include "resources/Images.h"

#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QPainter>

namespace pelmora {

namespace {

// The help picture: a small round question mark.
QPixmap HelpBitmap()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x1e, 0x6f, 0xc8));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    painter.setPen(Qt::white);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(12);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    return pixmap;
}

} // namespace

void RegisterImages()
{
    dlg::RegisterImage(IDB_HELP, HelpBitmap);
}

} // namespace pelmora
