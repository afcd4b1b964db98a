#include "platform/framework/DialogUnits.h"

#include "platform/framework/ScreenModel.h"

#include <QFontMetrics>

#include <cmath>
#include <map>

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

DialogBaseUnits DialogBaseUnits::Scaled(double scale)
{
    const DialogBaseUnits design = FromFont(DialogFontForScale(1.0));
    if (scale == 1.0)
        return design;
    constexpr int kFraction = 64;
    return {static_cast<int>(std::lround(design.baseX * scale * kFraction)),
        static_cast<int>(std::lround(design.baseY * scale * kFraction)), kFraction};
}

int DialogBaseUnits::X(int du) const
{
    return ScaleRounded(du, baseX, 4 * denominator);
}
int DialogBaseUnits::Y(int du) const
{
    return ScaleRounded(du, baseY, 8 * denominator);
}

QRect DialogBaseUnits::Map(const DialogRect& rect) const
{
    const int left = X(rect.x);
    const int top = Y(rect.y);
    const int right = X(rect.x + rect.cx);
    const int bottom = Y(rect.y + rect.cy);
    return QRect(left, top, right - left, bottom - top);
}

namespace {
QFont DialogFontOfSize(int pixels)
{
    // A narrow face keeps the texts within rectangles that were laid out for
    // the phone's own small dialog font.
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}
} // namespace

QFont DialogFontForScale(double scale)
{
    constexpr int kDesignPixels = 10;
    if (scale == 1.0)
        return DialogFontOfSize(kDesignPixels);
    static std::map<double, int> sizes;
    auto found = sizes.find(scale);
    if (found == sizes.end()) {
        const DialogBaseUnits room = DialogBaseUnits::Scaled(scale);
        int pixels = 4;
        for (int next = 5; next < 400; ++next) {
            const DialogBaseUnits own = DialogBaseUnits::FromFont(DialogFontOfSize(next));
            if (own.baseX * room.denominator > room.baseX
                || own.baseY * room.denominator > room.baseY)
                break;
            pixels = next;
        }
        found = sizes.emplace(scale, pixels).first;
    }
    return DialogFontOfSize(found->second);
}

QFont DialogFont()
{
    return DialogFontForScale(ScreenModel::Instance().DesignScale());
}

int ScaledPixels(int designPixels)
{
    return static_cast<int>(std::lround(designPixels * ScreenModel::Instance().DesignScale()));
}

} // namespace pelmora::dlg
