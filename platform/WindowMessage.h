#pragma once

#include <cstdint>

namespace pelmora {

// A window that receives the program's own window messages (the missed-call
// report, the tray notification). SendWindowMessage returns after the
// handler has finished, like the platform's synchronous send.
class MessageWindow {
public:
    virtual ~MessageWindow() = default;
    virtual intptr_t SendWindowMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

constexpr uint32_t WM_APP = 0x8000;
constexpr uint32_t WM_TRAYNOTIFY = WM_APP + 1;
constexpr uint32_t WM_MISSEDCALL = WM_APP + 12;

} // namespace pelmora
