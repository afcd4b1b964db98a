#include "monitor/PendingReply.h"

#include "monitor/BubbleNotifier.h"
#include "monitor/SmsSender.h"

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

PendingSendResult CPendingReply::SendPending(CSmsSender& transport)
{
    if (isPending == 0)
        return PendingSendResult::NothingPending;
    const bool accepted = transport.Send(text, number);
    Close();
    return accepted ? PendingSendResult::Sent : PendingSendResult::Failed;
}

} // namespace pelmora
