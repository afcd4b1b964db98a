#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace pelmora {

// How a message reached the SMS backend.
enum class SmsPath { SmsApi, MessageStore, Direct };
std::string_view SmsPathName(SmsPath path); // "sms-api", "message-store", "direct"

// What a backend tells of one message, in order: once whether it went (Sent
// or Refused); then, after a Sent whose `reportFollows`, once what the
// network reported (Delivered, NotDelivered, or NoReport when none came).
enum class SmsStatus { Sent, Refused, Delivered, NotDelivered, NoReport };
struct SmsUpdate {
    SmsUpdate(SmsStatus s = SmsStatus::Refused, std::u16string why = {}, bool report = false)
        : status(s)
        , detail(std::move(why))
        , reportFollows(report)
    {
    }

    SmsStatus status;
    std::u16string detail; // the transport's own words for a refusal or a failed delivery
    bool reportFollows; // with Sent: a delivery report was asked for

    bool Accepted() const { return status == SmsStatus::Sent; }
    bool IsReport() const { return status >= SmsStatus::Delivered; }
};
using SmsSendDone = std::function<void(const SmsUpdate&)>;

// Where messages that the platform accepted go: the outbox file or the
// modem. Nothing waits for a modem on the window's thread, so the outcome
// may come after StartSend has returned, on the same thread.
class SmsBackend {
public:
    virtual ~SmsBackend() = default;
    virtual void StartSend(
        std::u16string_view number, std::u16string_view text, SmsPath path, SmsSendDone done)
        = 0;
};

// A backend that knows at once whether it took a message, and asks for no
// delivery report unless it says otherwise.
class ImmediateSmsBackend : public SmsBackend {
public:
    virtual bool Send(std::u16string_view number, std::u16string_view text, SmsPath path) = 0;
    void StartSend(std::u16string_view number, std::u16string_view text, SmsPath path,
        SmsSendDone done) override;

protected:
    // Why the last Send returned false, in the backend's words.
    virtual std::u16string LastError() const { return u"the message was not taken"; }
};

// The backend behind the SMS interface and the message store (not owned).
void SetSmsBackend(SmsBackend* backend);
SmsBackend* CurrentSmsBackend();

// The platform's send calls return before a modem has answered: they hand
// the message over here and return false only when it was refused at once.
// The final outcome goes to the SmsOutcomeScope open at the time, if any.
bool HandToBackend(std::u16string_view number, std::u16string_view text, SmsPath path);

// While one lives, the outcome of the first message handed to the backend
// reaches `done`, now or after the scope has ended.
class SmsOutcomeScope final {
public:
    explicit SmsOutcomeScope(SmsSendDone done);
    ~SmsOutcomeScope();
    SmsOutcomeScope(const SmsOutcomeScope&) = delete;
    SmsOutcomeScope& operator=(const SmsOutcomeScope&) = delete;

    // Whether a message reached the backend while the scope was open.
    bool Handed() const { return handed_; }
    SmsSendDone Take();

private:
    SmsSendDone done_;
    SmsOutcomeScope* previous_;
    bool handed_ = false;
};

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
