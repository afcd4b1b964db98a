#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The platform's short-message service interface, with the blocks the
// program fills. Accepted messages go to the SMS backend.

namespace pelmora::sms {

using SMS_HANDLE = uint32_t;
using HRESULT = int32_t;

constexpr uint32_t SMS_MODE_SEND = 2;
constexpr uint32_t SMSAT_UNKNOWN = 0;
constexpr uint32_t SMSAT_INTERNATIONAL = 1;
constexpr uint32_t SMSDE_OPTIMAL = 0;
constexpr uint32_t SMS_OPTION_DELIVERY_NONE = 0;
constexpr uint32_t PS_MESSAGE_CLASS1 = 1;
constexpr char16_t kTextProvider[] = u"Microsoft Text SMS Protocol";

constexpr HRESULT SMS_E_INVALIDPROTOCOL = static_cast<HRESULT>(0x82000100);
constexpr HRESULT SMS_E_MISC = static_cast<HRESULT>(0x82000001);
constexpr HRESULT SMS_E_INVALIDDATA = static_cast<HRESULT>(0x82000103);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

// SMS_ADDRESS: the address type, then 256 UTF-16 characters.
constexpr size_t kSmsAddressSize = 516;
constexpr size_t kSmsAddressTextOffset = 4;
constexpr size_t kSmsAddressMaxChars = 256;
// TEXT_PROVIDER_SPECIFIC_DATA: options, message class, replace option, header
// data size, 140 header bytes, EMS flag, protocol id.
constexpr size_t kTextProviderDataSize = 164;
constexpr size_t kTextProviderMessageClassOffset = 4;

HRESULT SmsOpen(const char16_t* provider, uint32_t mode, SMS_HANDLE* handle, void* messageEvent);
HRESULT SmsSendMessage(SMS_HANDLE handle, const uint8_t* smscAddress, const uint8_t* destAddress,
    const void* validityPeriod, const uint8_t* data, uint32_t dataSize, const uint8_t* providerData,
    uint32_t providerDataSize, uint32_t encoding, uint32_t options, uint32_t* messageId);
HRESULT SmsClose(SMS_HANDLE handle);

// Handles still open, so tests can see that every open was closed.
int OpenSmsHandles();

// What SmsSendMessage was handed, call by call, as the platform saw it.
struct SentSmsBlocks {
    uint32_t addressType = 0;
    std::u16string addressText;
    std::vector<uint8_t> data;
    std::vector<uint8_t> providerData;
    uint32_t encoding = 0;
    uint32_t options = 0;
};
const std::vector<SentSmsBlocks>& SmsSendLog();
void ClearSmsSendLog();

} // namespace pelmora::sms
