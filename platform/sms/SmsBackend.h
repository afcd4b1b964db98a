#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// How a message reached the SMS backend.
enum class SmsPath { SmsApi, MessageStore, Direct };
std::string_view SmsPathName(SmsPath path); // "sms-api", "message-store", "direct"

// Where messages that the platform accepted go: the outbox file for now, the
// modem later. Send returns whether the message was accepted.
class SmsBackend {
public:
    virtual ~SmsBackend() = default;
    virtual bool Send(std::u16string_view number, std::u16string_view text, SmsPath path) = 0;
};

// The backend behind the SMS interface and the message store (not owned).
void SetSmsBackend(SmsBackend* backend);
SmsBackend* CurrentSmsBackend();

// Every SMS platform call, by name, so any of them can be made to fail.
enum class SmsCall {
    SmsOpen,
    SmsSendMessage,
    LoadMessagingLibrary,
    DirectSend,
    MAPIInitialize,
    MAPILogonEx,
    GetMsgStoresTable,
    QueryRows,
    OpenMsgStore,
    GetStoreDisplayName,
    GetDraftsFolderId,
    OpenEntry,
    CreateMessage,
    ModifyRecipients,
    OpenBodyStream,
    SetProps,
    SubmitMessage,
};

// A non-zero code makes that call fail with it until cleared.
void FailSmsCall(SmsCall call, int32_t code);
void ClearSmsFailures();
int32_t SmsCallFailure(SmsCall call);

} // namespace pelmora
