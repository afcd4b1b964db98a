#pragma once

#include <QPoint>

#include <functional>
#include <string>
#include <vector>

namespace pelmora::dlg {

class CommandTarget;

// One item of a pop-up menu; id 0 closes the menu without a command.
struct MenuItem {
    int id = 0;
    std::u16string text;
    bool separator = false;
    bool enabled = true;

    static MenuItem Separator() { return {0, {}, true, true}; }
};

// Shows a pop-up menu at a screen point and sends the chosen item's command to
// `owner`. Items the owner reports through UpdateCommand are enabled or
// disabled first. Returns the chosen id, 0 for none.
int TrackPopupMenu(std::vector<MenuItem> items, QPoint screenPoint, CommandTarget* owner);

// Tests choose from menus without a display: while a handler is installed it
// gets the (updated) items and returns the id to choose.
using PopupMenuHandler = std::function<int(const std::vector<MenuItem>&, QPoint)>;
void SetPopupMenuHandler(PopupMenuHandler handler);

} // namespace pelmora::dlg
