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
    inputs.sentCount = sentCount;
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
        if (result.reply == ReplyOutcome::Sent)
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
        if (!transport_.Send(text, number))
            return ReplyOutcome::SendFailed;
        CountSent();
        return ReplyOutcome::Sent;
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

PendingSendResult CMissedCallPipeline::OnAnswerYes()
{
    const PendingSendResult result = pendingReply.SendPending(transport_);
    if (result == PendingSendResult::Sent)
        CountSent();
    // The row shows what became of the reply, so the per-caller limit counts
    // a reply sent after a Yes.
    if (result != PendingSendResult::NothingPending && questionRow_)
        log_.SetRowStatus(*questionRow_,
            SmsSentText(
                result == PendingSendResult::Sent ? ReplyStatus::Yes : ReplyStatus::Failed));
    questionRow_.reset();
    return result;
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
