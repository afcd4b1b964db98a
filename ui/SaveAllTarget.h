#pragma once

namespace pelmora {

// The main window as the dialogs that change stored data see it: after such
// a change they have every data file written at once.
class SaveAllTarget {
public:
    virtual ~SaveAllTarget() = default;
    // Writes groups, templates, profiles and the settings, in this order.
    virtual void SaveAll() = 0;
};

} // namespace pelmora
