#include "platform/framework/PopupMenu.h"

#include "platform/framework/CommandTarget.h"

#include <QAction>
#include <QMenu>

namespace pelmora::dlg {

namespace {
PopupMenuHandler& Handler()
{
    static PopupMenuHandler handler;
    return handler;
}
} // namespace

void SetPopupMenuHandler(PopupMenuHandler handler)
{
    Handler() = std::move(handler);
}

int TrackPopupMenu(std::vector<MenuItem> items, QPoint screenPoint, CommandTarget* owner)
{
    for (MenuItem& item : items)
        if (!item.separator && item.id != 0 && owner)
            if (const auto enabled = owner->UpdateCommand(item.id))
                item.enabled = *enabled;

    int chosen = 0;
    if (Handler()) {
        chosen = Handler()(items, screenPoint);
    } else {
        QMenu menu;
        for (const MenuItem& item : items) {
            if (item.separator) {
                menu.addSeparator();
                continue;
            }
            QAction* action = menu.addAction(QString::fromStdU16String(item.text));
            action->setData(item.id);
            action->setEnabled(item.enabled);
        }
        if (QAction* picked = menu.exec(screenPoint))
            chosen = picked->data().toInt();
    }
    auto found = std::find_if(
        items.begin(), items.end(), [chosen](const MenuItem& i) { return i.id == chosen; });
    if (chosen != 0 && owner && found != items.end() && found->enabled)
        owner->RouteCommand(chosen);
    return chosen;
}

} // namespace pelmora::dlg
