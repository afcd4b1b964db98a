#pragma once

#include <optional>

class QWidget;

namespace pelmora::dlg {

// Anything that window commands (button ids, picture taps, menu items) can be
// routed to: dialogs, pages and the containers between them.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when the command was handled here or by a window it was offered to.
    virtual bool RouteCommand(int id) = 0;
    // Whether a command is available now, asked before a menu shows it;
    // nullopt when this window has no opinion.
    virtual std::optional<bool> UpdateCommand(int /*id*/) { return std::nullopt; }
};

// A control class that a dialog attaches to a template control: told once,
// when the control exists at its template rectangle.
class AttachedControl {
public:
    virtual ~AttachedControl() = default;
    virtual void PreSubclassWindow() = 0;
};

// Asks the nearest ancestor of `self` that takes commands whether a command
// is available; nullopt when none has an opinion.
std::optional<bool> OfferUpdateToParent(QWidget* self, int id);

// Offers a command to the nearest ancestor of `self` that takes commands;
// true when it handled the command.
bool OfferCommandToParent(QWidget* self, int id);

} // namespace pelmora::dlg
