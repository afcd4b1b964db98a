#pragma once

#include "platform/sms/SmsBackend.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace pelmora {

class BubbleNotifier;
class CSmsSender;

// The identity of the question bubble; at most one question is open.
inline constexpr uint32_t kQuestionNotificationId = 99;

enum class PendingSendResult {
    NothingPending,
    Sent, // the transport accepted the reply
    Failed, // the transport refused it; the question is closed all the same
    Sending, // the transport answers later; the question is closed
};

// The reply waiting for the user's answer in interactive mode, while its
// question bubble is shown.
class CPendingReply {
public:
    explicit CPendingReply(BubbleNotifier& notifier);
    virtual ~CPendingReply() = default;
    CPendingReply(const CPendingReply&) = delete;
    CPendingReply& operator=(const CPendingReply&) = delete;

    // Withdraws any open question, then holds this reply as the open one.
    // Both bubbles carry the same id, so the caller closes the older question
    // before it shows the new bubble, and asks after that.
    void Ask(std::u16string_view replyText, std::u16string_view replyNumber);
    // Removes the bubble of an open question; safe at any time.
    void Close();
    // Hands the open reply to `transport` and closes the question; `done`
    // learns whether the transport accepted it, which the result tells too
    // unless the transport answers later, and then any delivery report.
    PendingSendResult SendPending(CSmsSender& transport, SmsSendDone done = nullptr);

    bool IsPending() const { return isPending != 0; }

    std::u16string text;
    std::u16string number;
    uint32_t isPending = 0;

private:
    BubbleNotifier& notifier_;
};

} // namespace pelmora
