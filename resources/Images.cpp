#include "resources/Images.h"

#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QFile>
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

QByteArray Drawing(const char* name)
{
    QFile file(QStringLiteral(":/images/%1.svg").arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void RegisterImages()
{
    dlg::RegisterImage(IDR_MAINFRAME, AppIcon);
    // One style for every picture: flat discs and tiles in the program's blue,
    // orange, green and grey with white symbols, drawn as SVG.
    dlg::RegisterSvgImage(IDB_BANNER, Drawing("banner"));
    dlg::RegisterSvgImage(IDB_REPLY, Drawing("reply"));
    dlg::RegisterSvgImage(IDB_ADD, Drawing("add"));
    dlg::RegisterSvgImage(IDB_DELETE, Drawing("delete"));
    dlg::RegisterSvgImage(IDB_HELP, Drawing("help"));
    dlg::RegisterSvgImage(IDB_RUNNING, Drawing("running"));
    dlg::RegisterSvgImage(IDB_STOPPED, Drawing("stopped"));
}

} // namespace pelmora
