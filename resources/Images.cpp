#include "resources/Images.h"

#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QPainter>
#include <QPainterPath>

namespace pelmora {

namespace {

// The application icon: a phone handset beside a speech bubble.
QPixmap AppIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1e, 0x6f, 0xc8));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    painter.setBrush(Qt::white);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(11, 5, 17, 12), 3, 3);
    bubble.moveTo(15, 16);
    bubble.lineTo(13, 21);
    bubble.lineTo(19, 16);
    painter.drawPath(bubble);
    painter.setBrush(QColor(0xf0, 0xa0, 0x20));
    painter.drawRoundedRect(QRectF(4, 14, 6, 14), 2, 2);
    return pixmap;
}

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
    dlg::RegisterImage(IDR_MAINFRAME, AppIcon);
    dlg::RegisterImage(IDB_HELP, HelpBitmap);
}

} // namespace pelmora
