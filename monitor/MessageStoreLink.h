#pragma once

#include "platform/sms/MessageStore.h"
#include "platform/sms/MessagingLibrary.h"

#include <cstdint>
#include <string_view>

namespace pelmora {

// Sends a text through the platform's messaging store: the message is built
// in the drafts folder of the store named "SMS" and submitted, or handed to
// the messaging library's direct-send entry point where it exports one.
class CMessageStoreLink {
public:
    CMessageStoreLink() = default;
    ~CMessageStoreLink();
    CMessageStoreLink(const CMessageStoreLink&) = delete;
    CMessageStoreLink& operator=(const CMessageStoreLink&) = delete;

    bool Open();
    void Release();
    // On failure the step's message is copied into `errorText` (at most
    // `errorTextLength` characters with the terminator) when one is given.
    bool Send(std::u16string_view number, std::u16string_view text, char16_t* errorText,
        size_t errorTextLength);

    uint8_t isInitialised = 0;
    DirectSendFunction directSend = nullptr;
    HMODULE library = nullptr;

private:
    mapi::HRESULT SubmitSms(mapi::IMAPISession* session, std::u16string_view senderAddress,
        std::u16string_view number, std::u16string_view text, char16_t* errorText,
        size_t errorTextLength);
};

// Looks for the store named "SMS" (any letter case) in the session's table of
// stores. Success without a store when the table cannot be obtained.
mapi::HRESULT FindSmsStore(mapi::IMAPISession* session, mapi::IMsgStore** store);

// The failure texts, in the order of the send's steps.
inline constexpr const char16_t* kStoreSendFailures[] = {
    u"Failed to get SMS Message store",
    u"Failed to get SMSFolder",
    u"Failed to create SMS Message",
    u"Failed to add recepients to SMS Message",
    u"Failed to open SMS Message body",
    u"Failed to set properties for SMS Message",
    u"Failed to submit SMS Message",
};

} // namespace pelmora
