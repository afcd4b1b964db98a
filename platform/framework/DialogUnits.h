#pragma once

#include "platform/framework/DialogTemplate.h"

#include <QFont>
#include <QRect>

namespace pelmora::dlg {

// Dialog units are fractions of the dialog font: a quarter of its average
// character width horizontally and an eighth of its height vertically. A
// scaled design keeps fractions of a pixel: the base units are then counted
// in `denominator`ths.
struct DialogBaseUnits {
    int baseX = 4;
    int baseY = 8;
    int denominator = 1;

    static DialogBaseUnits FromFont(const QFont& font);
    // The design's units (those of the 10-pixel dialog font) times `scale`.
    static DialogBaseUnits Scaled(double scale);

    bool operator==(const DialogBaseUnits&) const = default;

    int X(int du) const;
    int Y(int du) const;
    QRect Map(const DialogRect& rect) const;
};

// The font every dialog and page is built with: 10 pixels in the design,
// on a scaled screen the largest whose own base units stay within the
// scaled ones, so every text still fits its control.
QFont DialogFont();
QFont DialogFontForScale(double scale);
// Design pixels (the 240 x 320 screen's) in pixels of the screen shown.
int ScaledPixels(int designPixels);

} // namespace pelmora::dlg
