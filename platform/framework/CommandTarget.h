#pragma once

class QWidget;

namespace pelmora::dlg {

// Anything that window commands (button ids, picture taps, menu items) can be
// routed to: dialogs, pages and the containers between them.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when the command was handled here or by a window it was offered to.
    virtual bool RouteCommand(int id) = 0;
};

// Offers a command to the nearest ancestor of `self` that takes commands;
// true when it handled the command.
bool OfferCommandToParent(QWidget* self, int id);

} // namespace pelmora::dlg
