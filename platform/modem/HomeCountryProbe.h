#pragma once

#include "platform/modem/CallingCodes.h"

#include <functional>
#include <optional>

class QObject;

namespace pelmora {

class ModemManagerClient;

// Asks the voice modem which network it is registered on and which numbers
// its SIM holds, without waiting: `done` gets the home country they tell, or
// nothing (no modem, no answer, nothing known), later on this thread unless
// `context` is gone by then.
void ProbeHomeCountry(ModemManagerClient& client, QObject* context,
    std::function<void(std::optional<HomeCountry>)> done);

} // namespace pelmora
