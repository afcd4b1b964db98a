#include "platform/framework/CommandTarget.h"

#include <QWidget>

namespace pelmora::dlg {

std::optional<bool> OfferUpdateToParent(QWidget* self, int id)
{
    for (QWidget* up = self ? self->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto* target = dynamic_cast<CommandTarget*>(up))
            return target->UpdateCommand(id);
    }
    return std::nullopt;
}

bool OfferCommandToParent(QWidget* self, int id)
{
    for (QWidget* up = self ? self->parentWidget() : nullptr; up; up = up->parentWidget()) {
        if (auto* target = dynamic_cast<CommandTarget*>(up))
            return target->RouteCommand(id);
    }
    return false;
}

} // namespace pelmora::dlg
