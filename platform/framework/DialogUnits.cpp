#include "platform/framework/DialogUnits.h"

#include <QFontMetrics>

namespace pelmora::dlg {

namespace {
// MulDiv semantics: round half away from zero.
int ScaleRounded(int value, int numerator, int denominator)
{
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(
        product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}
} // namespace

DialogBaseUnits DialogBaseUnits::FromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    DialogBaseUnits units;
    units.baseX = (letters / 26 + 1) / 2;
    units.baseY = metrics.height();
    if (units.baseX < 1)
        units.baseX = 1;
    if (units.baseY < 1)
        units.baseY = 1;
    return units;
}

int DialogBaseUnits::X(int du) const
{
    return ScaleRounded(du, baseX, 4);
}
int DialogBaseUnits::Y(int du) const
{
    return ScaleRounded(du, baseY, 8);
}

QRect DialogBaseUnits::Map(const DialogRect& rect) const
{
    const int left = X(rect.x);
    const int top = Y(rect.y);
    const int right = X(rect.x + rect.cx);
    const int bottom = Y(rect.y + rect.cy);
    return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont()
{
    // A narrow face keeps the texts within rectangles that were laid out for
    // the phone's own small dialog font.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(10);
    return font;
}

} // namespace pelmora::dlg
