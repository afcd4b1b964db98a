#include "resources/Images.h"

#include "platform/framework/DialogUnits.h"
#include "platform/framework/ResourceImages.h"
#include "resources/Resources.h"

#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <utility>

namespace pelmora {

namespace {

// One palette for the program's pictures; restyling them means changing
// these and the few shapes below.
constexpr std::pair<const char*, const char*> kPalette[] = {
    {"@blue@", "#1e6fc8"},
    {"@amber@", "#f5a623"},
    {"@paper@", "#ffffff"},
};

// The icon, in a 64 x 64 box: a speech bubble and a handset on a blue tile.
constexpr char kIcon[] = R"svg(
  <rect x="2" y="2" width="60" height="60" rx="14" fill="@blue@"/>
  <path d="M27 9h24a7 7 0 0 1 7 7v13a7 7 0 0 1-7 7h-13l-8 7v-7h-3a7 7 0 0 1-7-7v-13a7 7 0 0 1 7-7z"
        fill="@paper@"/>
  <circle cx="32" cy="22.5" r="2.6" fill="@blue@"/>
  <circle cx="39" cy="22.5" r="2.6" fill="@blue@"/>
  <circle cx="46" cy="22.5" r="2.6" fill="@blue@"/>
  <g transform="translate(21.5 42.5) rotate(-45)">
    <path d="M3 -16 q-9 16 0 32" fill="none" stroke="@amber@" stroke-width="8"
          stroke-linecap="round"/>
    <rect x="0" y="-19" width="13" height="9" rx="3" fill="@amber@"/>
    <rect x="0" y="10" width="13" height="9" rx="3" fill="@amber@"/>
  </g>)svg";

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

QPixmap ProgramIcon()
{
    return Render(Svg("0 0 64 64", kIcon), QSize(32, 32));
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
