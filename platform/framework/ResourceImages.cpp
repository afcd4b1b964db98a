#include "platform/framework/ResourceImages.h"

#include <QPainter>
#include <QSvgRenderer>

#include <map>
#include <memory>

namespace pelmora::dlg {

namespace {

struct ImageEntry {
    ImagePainter painter;
    std::shared_ptr<QSvgRenderer> svg;
};

std::map<int, ImageEntry>& Images()
{
    static std::map<int, ImageEntry> images;
    return images;
}

const ImageEntry* Find(int number)
{
    auto it = Images().find(number);
    return it == Images().end() ? nullptr : &it->second;
}

QRectF FitInto(QSizeF natural, const QRectF& target)
{
    if (natural.isEmpty())
        return target;
    natural.scale(target.size(), Qt::KeepAspectRatio);
    return QRectF(target.x() + (target.width() - natural.width()) / 2,
        target.y() + (target.height() - natural.height()) / 2, natural.width(), natural.height());
}

} // namespace

void RegisterImage(int number, ImagePainter painter)
{
    Images()[number] = ImageEntry {std::move(painter), nullptr};
}

void RegisterSvgImage(int number, const QByteArray& svg)
{
    auto renderer = std::make_shared<QSvgRenderer>(svg);
    Images()[number] = ImageEntry {nullptr, renderer->isValid() ? renderer : nullptr};
}

QSize ImageResourceSize(int number)
{
    const ImageEntry* entry = Find(number);
    if (!entry)
        return {};
    if (entry->svg)
        return entry->svg->defaultSize();
    if (entry->painter)
        return entry->painter().deviceIndependentSize().toSize();
    return {};
}

bool PaintImageResource(int number, QPainter& painter, const QRectF& target)
{
    const ImageEntry* entry = Find(number);
    if (!entry)
        return false;
    if (entry->svg) {
        entry->svg->render(&painter, FitInto(entry->svg->defaultSize(), target));
        return true;
    }
    if (!entry->painter)
        return false;
    const QPixmap pixmap = entry->painter();
    if (pixmap.isNull())
        return false;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(FitInto(pixmap.deviceIndependentSize(), target), pixmap, pixmap.rect());
    painter.restore();
    return true;
}

QPixmap LoadImageResource(int number, QSize size, qreal devicePixelRatio)
{
    const ImageEntry* entry = Find(number);
    if (!entry)
        return {};
    if (entry->painter && size.isEmpty() && devicePixelRatio == 1.0)
        return entry->painter();
    if (size.isEmpty())
        size = ImageResourceSize(number);
    if (size.isEmpty())
        return {};
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintImageResource(number, painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return pixmap;
}

} // namespace pelmora::dlg
