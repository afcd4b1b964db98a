#include "platform/sms/SmsApi.h"

#include "platform/sms/SmsBackend.h"

#include <cstring>
#include <set>
#include <string>

namespace pelmora::sms {

namespace {
std::set<SMS_HANDLE>& Handles()
{
    static std::set<SMS_HANDLE> handles;
    return handles;
}
SMS_HANDLE g_next = 1;
std::vector<SentSmsBlocks> g_log;
uint32_t g_nextMessageId = 1;

uint32_t U32At(const uint8_t* block, size_t offset)
{
    uint32_t value;
    std::memcpy(&value, block + offset, 4);
    return value;
}

std::u16string UnitsUntilZero(const uint8_t* bytes, size_t maxUnits)
{
    std::u16string text;
    for (size_t i = 0; i < maxUnits; ++i) {
        uint16_t unit;
        std::memcpy(&unit, bytes + 2 * i, 2);
        if (unit == 0)
            break;
        text.push_back(static_cast<char16_t>(unit));
    }
    return text;
}
} // namespace

HRESULT SmsOpen(const char16_t* provider, uint32_t mode, SMS_HANDLE* handle, void*)
{
    if (!provider || !handle || mode != SMS_MODE_SEND)
        return E_INVALIDARG;
    if (std::u16string_view(provider) != kTextProvider)
        return SMS_E_INVALIDPROTOCOL;
    if (int32_t failure = SmsCallFailure(SmsCall::SmsOpen))
        return failure;
    *handle = g_next++;
    Handles().insert(*handle);
    return 0;
}

HRESULT SmsSendMessage(SMS_HANDLE handle, const uint8_t*, const uint8_t* destAddress, const void*,
    const uint8_t* data, uint32_t dataSize, const uint8_t* providerData, uint32_t providerDataSize,
    uint32_t encoding, uint32_t options, uint32_t* messageId)
{
    if (!Handles().contains(handle) || !destAddress || !data)
        return E_INVALIDARG;
    if (providerData && providerDataSize != kTextProviderDataSize)
        return SMS_E_INVALIDDATA;
    if (dataSize < 2 || dataSize % 2 != 0)
        return SMS_E_INVALIDDATA;
    if (int32_t failure = SmsCallFailure(SmsCall::SmsSendMessage))
        return failure;
    const uint32_t type = U32At(destAddress, 0);
    if (type != SMSAT_UNKNOWN && type != SMSAT_INTERNATIONAL)
        return SMS_E_INVALIDDATA;
    const std::u16string number
        = UnitsUntilZero(destAddress + kSmsAddressTextOffset, kSmsAddressMaxChars);
    const std::u16string text = UnitsUntilZero(data, dataSize / 2);
    SentSmsBlocks record {
        type, number, std::vector<uint8_t>(data, data + dataSize), {}, encoding, options};
    if (providerData)
        record.providerData.assign(providerData, providerData + providerDataSize);
    g_log.push_back(std::move(record));
    if (!HandToBackend(number, text, SmsPath::SmsApi))
        return SMS_E_MISC;
    if (messageId)
        *messageId = g_nextMessageId++;
    return 0;
}

HRESULT SmsClose(SMS_HANDLE handle)
{
    return Handles().erase(handle) ? 0 : E_INVALIDARG;
}

const std::vector<SentSmsBlocks>& SmsSendLog()
{
    return g_log;
}
void ClearSmsSendLog()
{
    g_log.clear();
}

int OpenSmsHandles()
{
    return static_cast<int>(Handles().size());
}

} // namespace pelmora::sms
