#include "platform/framework/ResourceImages.h"

#include <map>

namespace pelmora::dlg {

namespace {
std::map<int, ImagePainter>& Painters()
{
    static std::map<int, ImagePainter> painters;
    return painters;
}
} // namespace

void RegisterImage(int number, ImagePainter painter)
{
    Painters()[number] = std::move(painter);
}

QPixmap LoadImageResource(int number)
{
    auto it = Painters().find(number);
    return it == Painters().end() ? QPixmap() : it->second();
}

} // namespace pelmora::dlg
