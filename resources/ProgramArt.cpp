#include "resources/Images.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <utility>

namespace pelmora {

namespace {

// One palette for the program's pictures; restyling them means changing
// these, the few shapes below and the same colours in images/icon.svg.
constexpr std::pair<const char*, const char*> kPalette[] = {
    {"@blue@", "#1e6fc8"},
    {"@amber@", "#f5a623"},
    {"@paper@", "#ffffff"},
};

// The logo, in a 238 x 64 box: the name, underlined, with the icon's speech
// bubble. It stands beside the icon, so it does not repeat the tile.
constexpr char kLogo[] = R"svg(
  <text x="4" y="49" font-family="DejaVu Sans" font-weight="bold" font-size="41"
        fill="@blue@">Pelmora</text>
  <path d="M206 5h22a6 6 0 0 1 6 6v10a6 6 0 0 1-6 6h-14l-7 6v-6h-1a6 6 0 0 1-6-6v-10a6 6 0 0 1 6-6z"
        fill="@amber@"/>
  <circle cx="209.5" cy="16" r="2.4" fill="@paper@"/>
  <circle cx="217" cy="16" r="2.4" fill="@paper@"/>
  <circle cx="224.5" cy="16" r="2.4" fill="@paper@"/>
  <rect x="6" y="56" width="188" height="3.5" rx="1.75" fill="@amber@"/>)svg";

QByteArray Svg(const char* viewBox, const char* shapes)
{
    QByteArray svg = QByteArrayLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"");
    svg += viewBox;
    svg += "\">";
    svg += shapes;
    svg += "</svg>";
    for (const auto& [name, colour] : kPalette)
        svg.replace(name, colour);
    return svg;
}

// Renders at the screen's pixel density so the picture is sharp on a
// high-density phone screen while keeping its size in logical pixels.
QPixmap Render(const QByteArray& svg, QSize size)
{
    const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    renderer.setAspectRatioMode(Qt::KeepAspectRatio);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

// The icon is a file of its own because the desktop's launcher shows the
// same drawing, installed into the icon theme.
QPixmap ProgramIcon()
{
    QFile file(QStringLiteral(":/images/icon.svg"));
    return Render(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), QSize(32, 32));
}

// The logo fills the About page's picture box, whose size follows the
// dialog font.
QPixmap Logo()
{
    const dlg::DialogBaseUnits units = dlg::DialogBaseUnits::FromFont(dlg::DialogFont());
    const QSize box = units.Map({0, 0, 109, 32}).size();
    return Render(Svg("0 0 238 64", kLogo), box);
}

} // namespace

void RegisterProgramArt()
{
    dlg::RegisterImage(IDR_MAINFRAME, ProgramIcon);
    dlg::RegisterImage(IDB_LOGO, Logo);
}

} // namespace pelmora
