#pragma once

#include "platform/framework/DialogTemplate.h"

#include <QFont>
#include <QRect>

namespace pelmora::dlg {

// Dialog units are fractions of the dialog font: a quarter of its average
// character width horizontally and an eighth of its height vertically.
struct DialogBaseUnits {
    int baseX = 4;
    int baseY = 8;

    static DialogBaseUnits FromFont(const QFont& font);

    int X(int du) const;
    int Y(int du) const;
    QRect Map(const DialogRect& rect) const;
};

// The font every dialog and page is built with.
QFont DialogFont();

} // namespace pelmora::dlg
