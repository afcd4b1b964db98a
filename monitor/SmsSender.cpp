#include "monitor/SmsSender.h"

#include "platform/sms/PlatformVersion.h"
#include "platform/sms/SmsApi.h"
#include "platform/sms/SmsBackend.h"
#include "platform/storage/ByteWriter.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace pelmora {

bool CSmsSender::Init()
{
    uint8_t version[kVersionInfoSize] = {};
    const uint32_t size = kVersionInfoSize;
    std::memcpy(version, &size, 4);
    GetVersionEx(version);
    uint32_t major = 0;
    std::memcpy(&major, version + kVersionMajorOffset, 4);
    if (major < 5)
        return true;
    useMessageStore = 1;
    return storeLink.Open();
}

void CSmsSender::Send(std::u16string_view text, std::u16string_view number, SendDone done)
{
    if (useMessageStore && storeLink.directSend) {
        // The direct entry point reports nothing: taken is sent.
        storeLink.Send(number, text, nullptr, 0);
        done({SmsStatus::Sent});
        return;
    }
    // The platform's call says whether it took the message; the backend,
    // maybe later, whether it went and then whether it arrived.
    struct Outcome {
        bool returned = false;
        bool told = false;
        std::optional<SmsUpdate> backend;
        std::optional<SmsUpdate> report; // one that came before the platform's call returned
        SendDone done;
        void Tell(const SmsUpdate& update)
        {
            if (!done || (told && !update.IsReport()))
                return;
            told = true;
            done(update);
        }
    };
    auto outcome = std::make_shared<Outcome>();
    outcome->done = std::move(done);
    bool taken = false;
    bool handed = false;
    {
        SmsOutcomeScope scope([outcome](const SmsUpdate& update) {
            if (outcome->returned)
                outcome->Tell(update);
            else if (update.IsReport())
                outcome->report = update;
            else
                outcome->backend = update;
        });
        taken = useMessageStore ? storeLink.Send(number, text, nullptr, 0)
                                : SendThroughSmsApi(text, number);
        handed = scope.Handed();
    }
    outcome->returned = true;
    if (!taken && !(handed && outcome->backend && !outcome->backend->Accepted()))
        outcome->Tell({SmsStatus::Refused, u"the system's SMS service refused it"});
    else if (!handed)
        outcome->Tell({SmsStatus::Sent});
    else if (outcome->backend)
        outcome->Tell(*outcome->backend);
    if (outcome->told && outcome->report)
        outcome->Tell(*outcome->report);
}

bool CSmsSender::SendThroughSmsApi(std::u16string_view text, std::u16string_view number)
{
    sms::SMS_HANDLE handle = 0;
    if (sms::SmsOpen(sms::kTextProvider, sms::SMS_MODE_SEND, &handle, nullptr) != 0)
        return false;

    uint8_t address[sms::kSmsAddressSize] = {};
    const uint32_t type
        = !number.empty() && number[0] == u'+' ? sms::SMSAT_INTERNATIONAL : sms::SMSAT_UNKNOWN;
    std::memcpy(address, &type, 4);
    // At most 256 characters; a longer number fills the field without a
    // terminator, as the platform's copy does.
    const size_t chars = std::min(number.size(), sms::kSmsAddressMaxChars);
    for (size_t i = 0; i < chars; ++i) {
        const uint16_t unit = static_cast<uint16_t>(number[i]);
        std::memcpy(address + sms::kSmsAddressTextOffset + 2 * i, &unit, 2);
    }

    uint8_t provider[sms::kTextProviderDataSize] = {};
    const uint32_t messageClass = sms::PS_MESSAGE_CLASS1;
    std::memcpy(provider + sms::kTextProviderMessageClassOffset, &messageClass, 4);

    const std::vector<uint8_t> data = Utf16leWithTerminator(text);

    uint32_t messageId = 0;
    const sms::HRESULT result = sms::SmsSendMessage(handle, nullptr, address, nullptr, data.data(),
        static_cast<uint32_t>(data.size()), provider, sms::kTextProviderDataSize,
        sms::SMSDE_OPTIMAL, sms::SMS_OPTION_DELIVERY_NONE, &messageId);
    sms::SmsClose(handle);
    return result == 0;
}

} // namespace pelmora
