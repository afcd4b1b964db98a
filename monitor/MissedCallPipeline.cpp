#include "monitor/MissedCallPipeline.h"

#include "messages/ContactsSession.h"
#include "messages/VariableExpansion.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/CallLogRows.h"
#include "monitor/MissedCallTexts.h"
#include "monitor/SettingsRecord.h"
#include "monitor/SmsSender.h"
#include "rules/ProfileStore.h"

#include <string>

namespace pelmora {

CMissedCallPipeline::CMissedCallPipeline(const SettingsRecord& settings, CContactsSession& contacts,
    CSmsSender& transport, MissedCallWindow& window, BubbleNotifier& bubble, CallLogRows& log,
    LogClock clock)
    : pendingReply(bubble)
    , settings_(settings)
    , contacts_(contacts)
    , transport_(transport)
    , window_(window)
    , bubble_(bubble)
    , log_(log)
    , clock_(std::move(clock))
{
}

CMissedCallPipeline::~CMissedCallPipeline()
{
    *alive_ = false;
}

MissedCallResult CMissedCallPipeline::OnMissedCall(std::u16string_view number, int32_t ringCount)
{
    const std::u16string copy(number);
    const ContactNameParts caller
        = IdentifyCaller(contacts_, copy, settings_.internationalPrefix.Text());
    // The reply and the log use the number as delivered, never the prefixed form.
    return ProcessMissedCall(copy, caller, ringCount);
}

MissedCallResult CMissedCallPipeline::ProcessMissedCall(
    std::u16string_view number, const ContactNameParts& caller, int32_t ringCount)
{
    const MissedCallOptions options = window_.ReadOptions();
    if (options.logAgeIndex != 0)
        log_.DeleteOlderThan(options.logAgeIndex);

    MissedCallResult result;
    result.caller = caller;
    const std::vector<CallLogKey> rows = log_.Keys();
    MissedCallInputs inputs;
    inputs.number = number;
    inputs.identified = IsIdentified(caller);
    inputs.ringCount = ringCount;
    // Replies on their way count, so a slow modem never lets the limits slip.
    inputs.sentCount = sentCount + sendsInFlight;
    inputs.maxTotalAtStart = maxTotalAtStart;
    inputs.ringsBeforeSendIndex = options.ringsBeforeSendIndex;
    inputs.maxPerCallerIndex = options.maxPerCallerIndex;
    inputs.interactive = options.interactive;
    inputs.passesRules = options.passesRules;
    inputs.logRows = rows;
    result.decision = DecideMissedCall(inputs);

    switch (result.decision.action) {
    case MissedCallAction::Ask:
        // "Interactive" even when the profile gives no text and nothing is asked.
        result.status = ReplyStatus::Interactive;
        result.reply = Reply(number, caller, true);
        break;
    case MissedCallAction::ReplyNow:
        result.reply = Reply(number, caller, false);
        if (result.reply == ReplyOutcome::Sent || result.reply == ReplyOutcome::Sending)
            result.status = ReplyStatus::Yes;
        else if (result.reply == ReplyOutcome::SendFailed)
            result.status = ReplyStatus::Failed;
        break;
    case MissedCallAction::Nothing:
        break;
    }

    CallLogRow row = MakeCallLogRow(number, caller, ringCount, result.status, clock_());
    log_.AppendRow(row);
    if (result.reply == ReplyOutcome::Asked)
        questionRow_ = std::move(row);
    else if (result.reply == ReplyOutcome::Sending && unloggedSend_)
        unloggedSend_->row = std::move(row);
    unloggedSend_.reset();
    return result;
}

ReplyOutcome CMissedCallPipeline::Reply(
    std::u16string_view number, const ContactNameParts& caller, bool askFirst)
{
    std::u16string text = ReplyTextFor(caller.contactId);
    // Tested before the expansion: a text that expands to nothing is still sent.
    if (text.empty())
        return ReplyOutcome::NoText;
    text = ExpandVariables(text, caller, settings_);

    if (!askFirst) {
        auto send = std::make_shared<Send>();
        send->number = number;
        ++sendsInFlight;
        transport_.Send(text, number, Answer(send));
        send->handedOver = true;
        if (!send->outcome) {
            // Its row, logged next, learns the answer.
            unloggedSend_ = send;
            return ReplyOutcome::Sending;
        }
        Finish(*send);
        return *send->outcome ? ReplyOutcome::Sent : ReplyOutcome::SendFailed;
    }

    const std::u16string html = QuestionHtml(number, ShownCallerName(caller), text);
    // The older question goes first: the new bubble has the same id. Its row
    // stays "Interactive".
    pendingReply.Close();
    questionRow_.reset();
    bubble_.Add(kQuestionTitle, html, kQuestionSeconds, kQuestionNotificationId);
    window_.StartTimer(kQuestionTimerId, kQuestionTimeoutMs);
    pendingReply.Ask(text, number);
    return ReplyOutcome::Asked;
}

void CMissedCallPipeline::CountSent()
{
    ++sentCount;
    window_.ShowSentCount(sentCount);
}

std::function<void(bool)> CMissedCallPipeline::Answer(const std::shared_ptr<Send>& send)
{
    return [this, alive = alive_, send](bool accepted) {
        if (!*alive)
            return;
        send->outcome = accepted;
        if (send->handedOver)
            Finish(*send);
    };
}

void CMissedCallPipeline::Finish(Send& send)
{
    --sendsInFlight;
    const bool accepted = send.outcome.value_or(false);
    if (accepted)
        CountSent();
    // The row shows what became of the reply, so the per-caller limit counts
    // a reply sent after a Yes.
    const std::u16string status(SmsSentText(accepted ? ReplyStatus::Yes : ReplyStatus::Failed));
    if (send.row && send.row->smsSent != status) {
        log_.SetRowStatus(*send.row, status);
        send.row->smsSent = status;
    }
    if (!accepted && send.afterYes)
        window_.ReplyRefused(send.number);
}

PendingSendResult CMissedCallPipeline::OnAnswerYes()
{
    if (!pendingReply.IsPending())
        return PendingSendResult::NothingPending;
    auto send = std::make_shared<Send>();
    send->number = pendingReply.number;
    send->afterYes = true;
    send->row = std::move(questionRow_);
    questionRow_.reset();
    ++sendsInFlight;
    pendingReply.SendPending(transport_, Answer(send));
    send->handedOver = true;
    if (send->outcome) {
        Finish(*send);
        return *send->outcome ? PendingSendResult::Sent : PendingSendResult::Failed;
    }
    // Until the transport answers the reply counts as sent.
    const std::u16string yes(SmsSentText(ReplyStatus::Yes));
    if (send->row) {
        log_.SetRowStatus(*send->row, yes);
        send->row->smsSent = yes;
    }
    return PendingSendResult::Sending;
}

void CMissedCallPipeline::OnAnswerNo()
{
    pendingReply.Close();
    questionRow_.reset();
}

void CMissedCallPipeline::OnQuestionTimeout()
{
    pendingReply.Close();
    questionRow_.reset();
}

void CMissedCallPipeline::ResetSentCount()
{
    sentCount = 0;
    window_.ShowSentCount(sentCount);
}

} // namespace pelmora
