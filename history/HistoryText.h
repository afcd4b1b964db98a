#pragma once

#include "history/CallRecorder.h"

#include <string>
#include <string_view>

namespace pelmora {

// The history as Tools > History shows it: a row's three columns and the
// whole record a tap opens.

// The call's local time, "YYYY-MM-DD HH:MM".
std::u16string HistoryTime(const CallRecord& record);
// The caller's name, or the number when the caller was not identified.
std::u16string HistoryCaller(const CallRecord& record);
// The delivery as the window words it ("not delivered", ...); the history
// file and pelmora-data keep DeliveryName's words.
std::u16string_view HistoryDelivery(DeliveryState state);
// What became of the reply, or why none was tried; a reply that went and
// was reported on reads "sent, delivered" and so on.
std::u16string HistoryOutcome(const CallRecord& record);
// Every field, a line each, then the text sent.
std::u16string HistoryDetails(const CallRecord& record);

} // namespace pelmora
