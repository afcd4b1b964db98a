#include "platform/sms/DeliveryStates.h"

#include <ModemManager.h>

#include <QString>

#include <array>
#include <utility>

namespace pelmora {

namespace {

// The network's words, for the failures a user may meet most.
constexpr std::array<std::pair<uint32_t, std::u16string_view>, 16> kReasons = {{
    {MM_SMS_DELIVERY_STATE_ERROR_REMOTE_PROCEDURE, u"remote procedure error"},
    {MM_SMS_DELIVERY_STATE_ERROR_INCOMPATIBLE_DESTINATION, u"incompatible destination"},
    {MM_SMS_DELIVERY_STATE_ERROR_CONNECTION_REJECTED, u"rejected by the recipient's phone"},
    {MM_SMS_DELIVERY_STATE_ERROR_NOT_OBTAINABLE, u"the number cannot be reached"},
    {MM_SMS_DELIVERY_STATE_ERROR_QOS_NOT_AVAILABLE, u"quality of service not available"},
    {MM_SMS_DELIVERY_STATE_ERROR_NO_INTERWORKING_AVAILABLE, u"no interworking available"},
    {MM_SMS_DELIVERY_STATE_ERROR_VALIDITY_PERIOD_EXPIRED, u"not delivered in its validity period"},
    {MM_SMS_DELIVERY_STATE_ERROR_DELETED_BY_ORIGINATING_SME, u"deleted by the sender"},
    {MM_SMS_DELIVERY_STATE_ERROR_DELETED_BY_SC_ADMINISTRATION, u"deleted by the service centre"},
    {MM_SMS_DELIVERY_STATE_ERROR_MESSAGE_DOES_NOT_EXIST, u"the message no longer exists"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_CONGESTION, u"network congestion"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_SME_BUSY, u"the recipient's phone was busy"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_NO_RESPONSE_FROM_SME,
        u"no response from the recipient's phone"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_SERVICE_REJECTED, u"service rejected"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_QOS_NOT_AVAILABLE,
        u"quality of service not available"},
    {MM_SMS_DELIVERY_STATE_TEMPORARY_FATAL_ERROR_IN_SME, u"error in the recipient's phone"},
}};

// CDMA's permanent errors come in groups of 0x20.
std::u16string_view CdmaGroup(uint32_t state)
{
    switch ((state - MM_SMS_DELIVERY_STATE_NETWORK_PROBLEM_ADDRESS_VACANT) / 0x20) {
    case 0:
        return u"network problem";
    case 1:
        return u"problem at the recipient's phone";
    case 2:
        return u"radio problem";
    default:
        return u"general problem";
    }
}

std::u16string Coded(std::u16string_view reason, uint32_t state)
{
    return std::u16string(reason) + u" (0x"
        + QString::number(state, 16).rightJustified(2, QLatin1Char('0')).toStdU16String() + u")";
}

} // namespace

std::optional<SmsUpdate> DeliveryReportOf(uint32_t state)
{
    if (state < MM_SMS_DELIVERY_STATE_TEMPORARY_ERROR_CONGESTION)
        return SmsUpdate {SmsStatus::Delivered};
    const bool gsmFailure = state >= MM_SMS_DELIVERY_STATE_ERROR_REMOTE_PROCEDURE && state < 0x80;
    const bool cdmaFailure = state >= MM_SMS_DELIVERY_STATE_NETWORK_PROBLEM_ADDRESS_VACANT
        && state < MM_SMS_DELIVERY_STATE_TEMPORARY_NETWORK_PROBLEM_ADDRESS_VACANT;
    if (gsmFailure) {
        for (const auto& [code, reason] : kReasons)
            if (code == state)
                return SmsUpdate {SmsStatus::NotDelivered, Coded(reason, state)};
        return SmsUpdate {
            SmsStatus::NotDelivered, Coded(u"the network could not deliver it", state)};
    }
    if (cdmaFailure)
        return SmsUpdate {SmsStatus::NotDelivered, Coded(CdmaGroup(state), state)};
    // Temporary errors the network still retries, reserved values, and no report yet.
    return std::nullopt;
}

} // namespace pelmora
