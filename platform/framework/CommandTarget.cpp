#include "platform/framework/CommandTarget.h"

#include <QWidget>

namespace pelmora::dlg {

bool OfferCommandToParent(QWidget* self, int id)
{
    for (QWidget* up = self ? self->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto* target = dynamic_cast<CommandTarget*>(up))
            return target->RouteCommand(id);
    }
    return false;
}

} // namespace pelmora::dlg
