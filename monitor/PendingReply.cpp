#include "monitor/PendingReply.h"

#include "monitor/BubbleNotifier.h"
#include "monitor/SmsSender.h"

#include <memory>
#include <optional>

namespace pelmora {

CPendingReply::CPendingReply(BubbleNotifier& notifier)
    : notifier_(notifier)
{
}

void CPendingReply::Ask(std::u16string_view replyText, std::u16string_view replyNumber)
{
    Close();
    text = replyText;
    number = replyNumber;
    isPending = 1;
}

void CPendingReply::Close()
{
    if (isPending != 0)
        notifier_.Remove(kQuestionNotificationId);
    isPending = 0;
}

PendingSendResult CPendingReply::SendPending(CSmsSender& transport, SmsSendDone done)
{
    if (isPending == 0)
        return PendingSendResult::NothingPending;
    struct Answer {
        bool returned = false;
        std::optional<bool> atOnce;
    };
    auto answer = std::make_shared<Answer>();
    transport.Send(text, number, [answer, done = std::move(done)](const SmsUpdate& update) {
        if (!answer->returned && !update.IsReport())
            answer->atOnce = update.Accepted();
        if (done)
            done(update);
    });
    answer->returned = true;
    Close();
    if (!answer->atOnce)
        return PendingSendResult::Sending;
    return *answer->atOnce ? PendingSendResult::Sent : PendingSendResult::Failed;
}

} // namespace pelmora
