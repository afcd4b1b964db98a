#pragma once

#include "platform/sms/SmsBackend.h"

#include <cstdint>
#include <optional>

namespace pelmora {

// What a sent message's ModemManager DeliveryState says: Delivered, or
// NotDelivered with the network's reason; none while the network may still
// deliver it (no report yet, or a temporary error it is still retrying).
std::optional<SmsUpdate> DeliveryReportOf(uint32_t deliveryState);

} // namespace pelmora
