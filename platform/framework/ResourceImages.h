#pragma once

#include <QPixmap>

#include <functional>

namespace pelmora::dlg {

// Bitmap and icon resources by number. The resources library registers a
// painter per number; a number without one yields a null pixmap.
using ImagePainter = std::function<QPixmap()>;

void RegisterImage(int number, ImagePainter painter);
QPixmap LoadImageResource(int number);

} // namespace pelmora::dlg
