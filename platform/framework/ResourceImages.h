#pragma once

#include <QByteArray>
#include <QPixmap>

#include <functional>

class QPainter;
class QRectF;

namespace pelmora::dlg {

// Bitmap and icon resources by number. The resources library registers each
// picture either as an SVG drawing, which stays sharp at any size and pixel
// density, or as a painter that makes a pixmap. A number without either
// yields a null pixmap and paints nothing.
using ImagePainter = std::function<QPixmap()>;

void RegisterImage(int number, ImagePainter painter);
void RegisterSvgImage(int number, const QByteArray& svg);

// The picture's own size in device-independent pixels; empty when unknown.
QSize ImageResourceSize(int number);
// Paints the picture as large as fits into `target` with its proportions
// kept, centred; false when there is no such picture.
bool PaintImageResource(int number, QPainter& painter, const QRectF& target);
// The picture as a pixmap of `size` (its own size when empty) for a screen
// of `devicePixelRatio`.
QPixmap LoadImageResource(int number, QSize size = {}, qreal devicePixelRatio = 1.0);

} // namespace pelmora::dlg
