#include "monitor/MissedCallPipeline.h"

#include "messages/ContactsSession.h"
#include "messages/TemplateStore.h"
#include "messages/VariableExpansion.h"
#include "monitor/BubbleNotifier.h"
#include "monitor/CallLogRows.h"
#include "monitor/MissedCallTexts.h"
#include "monitor/SmsSender.h"
#include "options/OwnSettings.h"
#include "platform/sms/SmsBackend.h"
#include "rules/ProfileStore.h"
#include "settings/SettingsRecord.h"

#include <QDateTime>

#include <string>
#include <utility>

namespace pelmora {

namespace {

constexpr std::u16string_view kRefusedError = u"the transport refused the reply";

std::string StageName(std::optional<LookupStage> stage)
{
    if (!stage)
        return "given";
    switch (*stage) {
    case LookupStage::AsDelivered:
        return "as delivered";
    case LookupStage::WithPrefix:
        return "with prefix";
    case LookupStage::Scan:
        return "scan";
    case LookupStage::National:
        return "national";
    case LookupStage::NotFound:
        break;
    }
    return "not found";
}

HistoryReason ReasonOf(const MissedCallResult& result)
{
    switch (result.decision.stoppedBy) {
    case MissedCallCheck::OverallLimit:
        return HistoryReason::OverallLimit;
    case MissedCallCheck::Rules:
        return HistoryReason::Rule;
    case MissedCallCheck::Rings:
        return HistoryReason::Rings;
    case MissedCallCheck::PerCallerLimit:
        return HistoryReason::PerCallerLimit;
    case MissedCallCheck::QuietPeriod:
        return HistoryReason::QuietPeriod;
    case MissedCallCheck::None:
        break;
    }
    if (result.reply == ReplyOutcome::NoText)
        return HistoryReason::NoText;
    return result.decision.action == MissedCallAction::Ask ? HistoryReason::Asked
                                                           : HistoryReason::Replied;
}

ReplyFate FateOf(ReplyOutcome outcome, MissedCallAction action)
{
    if (action == MissedCallAction::Nothing)
        return ReplyFate::None;
    switch (outcome) {
    case ReplyOutcome::Sent:
        return ReplyFate::Sent;
    case ReplyOutcome::SendFailed:
        return ReplyFate::Failed;
    case ReplyOutcome::Asked:
        return ReplyFate::Asked;
    case ReplyOutcome::Sending:
        return ReplyFate::Sending;
    case ReplyOutcome::NoText:
        break;
    }
    return ReplyFate::None;
}

DeliveryState DeliveryOf(SmsStatus status)
{
    switch (status) {
    case SmsStatus::Delivered:
        return DeliveryState::Delivered;
    case SmsStatus::NotDelivered:
        return DeliveryState::Failed;
    default:
        return DeliveryState::Unknown;
    }
}

// The transport's words when it gave some; a plain statement otherwise.
std::u16string_view ErrorOf(const std::optional<SmsUpdate>& update)
{
    return update && !update->detail.empty() ? std::u16string_view(update->detail) : kRefusedError;
}

} // namespace

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
    const IdentifiedCaller found
        = IdentifyCallerStage(contacts_, copy, settings_.internationalPrefix.Text());
    // The reply and the log use the number as delivered, never the prefixed form.
    return ProcessMissedCall(copy, found.parts, ringCount, found.stage);
}

MissedCallResult CMissedCallPipeline::ProcessMissedCall(std::u16string_view number,
    const ContactNameParts& caller, int32_t ringCount, std::optional<LookupStage> stage)
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
    if (options.quietMinutes > 0) {
        inputs.quietSeconds = int64_t {options.quietMinutes} * 60;
        if (const std::optional<int64_t> last = LastReplyWithin(number, inputs.quietSeconds))
            inputs.secondsSinceLastReply = clock_() - *last;
    }
    chosen_ = {};
    result.decision = DecideMissedCall(inputs);

    switch (result.decision.action) {
    case MissedCallAction::Ask:
        // "Interactive" even when the profile gives no text and nothing is asked.
        result.status = ReplyStatus::Interactive;
        result.reply = Reply(number, caller, true, options.busyUntil);
        break;
    case MissedCallAction::ReplyNow:
        result.reply = Reply(number, caller, false, options.busyUntil);
        if (result.reply == ReplyOutcome::Sent || result.reply == ReplyOutcome::Sending)
            result.status = ReplyStatus::Yes;
        else if (result.reply == ReplyOutcome::SendFailed)
            result.status = ReplyStatus::Failed;
        break;
    case MissedCallAction::Nothing:
        break;
    }

    const int64_t now = clock_();
    CallLogRow row = MakeCallLogRow(number, caller, ringCount, result.status, now);
    lastReason = ReasonOf(result);
    log_.AppendRow(row);
    // The reply is with the transport by now: the history's write never delays it.
    result.historyId = RecordCall(number, caller, stage, ringCount, result, now);
    if (result.reply == ReplyOutcome::Asked) {
        questionRow_ = std::move(row);
        questionHistoryId_ = result.historyId;
    } else if (unloggedSend_) {
        if (result.reply == ReplyOutcome::Sending)
            unloggedSend_->row = std::move(row);
        unloggedSend_->historyId = result.historyId;
        RecordReport(*unloggedSend_);
    }
    unloggedSend_.reset();
    return result;
}

int64_t CMissedCallPipeline::RecordCall(std::u16string_view number, const ContactNameParts& caller,
    std::optional<LookupStage> stage, int32_t ringCount, const MissedCallResult& result,
    int64_t time)
{
    if (!recorder_)
        return 0;
    CallRecord record;
    record.timeUtc = time;
    record.utcOffset = QDateTime::fromSecsSinceEpoch(time).offsetFromUtc();
    record.number = number;
    if (IsIdentified(caller))
        record.callerName = ComposeFullName(caller);
    record.contactId = caller.contactId;
    record.lookupStage = StageName(stage);
    record.rings = ringCount;
    record.reason = ReasonOf(result);
    record.profileId = chosen_.profileId;
    record.templateId = chosen_.templateId;
    record.text = chosen_.text;
    record.fate = FateOf(result.reply, result.decision.action);
    const std::optional<SmsUpdate> outcome
        = unloggedSend_ ? unloggedSend_->outcome : std::optional<SmsUpdate>();
    if (record.fate == ReplyFate::Failed)
        record.error = ErrorOf(outcome);
    if (record.fate == ReplyFate::Sent && outcome && outcome->reportFollows)
        record.delivery = DeliveryState::Waiting;
    return recorder_->Record(record);
}

void CMissedCallPipeline::SetFate(int64_t historyId, ReplyFate fate, std::u16string_view error)
{
    if (recorder_ && historyId != 0)
        recorder_->SetFate(historyId, fate, error);
}

void CMissedCallPipeline::SetDelivery(
    int64_t historyId, DeliveryState state, std::u16string_view reason)
{
    if (recorder_ && historyId != 0)
        recorder_->SetDelivery(historyId, state, reason);
}

ReplyOutcome CMissedCallPipeline::Reply(std::u16string_view number, const ContactNameParts& caller,
    bool askFirst, std::u16string_view busyUntil)
{
    const ReplyChoice choice = ReplyChoiceFor(caller.contactId);
    chosen_.profileId = choice.profile ? choice.profile->id : 0;
    chosen_.templateId = choice.choice.chosen ? choice.choice.chosen->id : 0;
    std::u16string text = choice.text;
    // Tested before the expansion: a text that expands to nothing is still sent.
    if (text.empty())
        return ReplyOutcome::NoText;
    // First, so that a caller's name is never read as the variable.
    ReplaceVariable(text, kBusyUntilVariable, busyUntil, settings_.removeSpaceAfterEmpty);
    text = ExpandVariables(text, caller, settings_);
    chosen_.text = text;

    if (!askFirst) {
        auto send = std::make_shared<Send>();
        send->number = number;
        Remember(send);
        ++sendsInFlight;
        transport_.Send(text, number, Answer(send));
        send->handedOver = true;
        // Its row, logged and recorded next, learns the answer and the report.
        unloggedSend_ = send;
        if (!send->outcome)
            return ReplyOutcome::Sending;
        Finish(*send);
        return send->outcome->Accepted() ? ReplyOutcome::Sent : ReplyOutcome::SendFailed;
    }

    const std::u16string html = QuestionHtml(number, ShownCallerName(caller), text);
    // The older question goes first: the new bubble has the same id. Its row
    // stays "Interactive".
    if (pendingReply.IsPending())
        SetFate(questionHistoryId_, ReplyFate::Replaced);
    questionHistoryId_ = 0;
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

SmsSendDone CMissedCallPipeline::Answer(const std::shared_ptr<Send>& send)
{
    return [this, alive = alive_, send](const SmsUpdate& update) {
        if (!*alive)
            return;
        if (update.IsReport()) {
            send->undelivered = update.status == SmsStatus::NotDelivered;
            send->report = update;
            send->reported = true;
            RecordReport(*send);
            return;
        }
        send->outcome = update;
        if (send->handedOver)
            Finish(*send);
    };
}

void CMissedCallPipeline::Remember(const std::shared_ptr<Send>& send)
{
    send->time = clock_();
    // Nothing older than the longest quiet period can hold a reply back.
    const int64_t oldest = send->time - int64_t {kQuietPeriodMinutes.back()} * 60;
    std::erase_if(thisRun_, [oldest](const auto& earlier) { return earlier->time < oldest; });
    thisRun_.push_back(send);
}

std::optional<int64_t> CMissedCallPipeline::LastReplyWithin(
    std::u16string_view number, int64_t seconds)
{
    const int64_t now = clock_();
    std::vector<ReplyTime> replies;
    if (recorder_)
        replies = recorder_->RepliesBetween(now - seconds, now);
    for (const auto& send : thisRun_)
        if (!send->undelivered && !(send->outcome && !send->outcome->Accepted()))
            replies.push_back({send->number, send->time});
    return LastReplyTo(replies, number, settings_.internationalPrefix.Text());
}

void CMissedCallPipeline::RecordReport(Send& send)
{
    if (!send.report || send.historyId == 0)
        return;
    const SmsUpdate report = *std::exchange(send.report, std::nullopt);
    SetDelivery(send.historyId, DeliveryOf(report.status), report.detail);
}

void CMissedCallPipeline::Finish(Send& send)
{
    --sendsInFlight;
    const bool accepted = send.outcome && send.outcome->Accepted();
    if (accepted)
        CountSent();
    // The row shows what became of the reply, so the per-caller limit counts
    // a reply sent after a Yes.
    const std::u16string status(SmsSentText(accepted ? ReplyStatus::Yes : ReplyStatus::Failed));
    if (send.row && send.row->smsSent != status) {
        log_.SetRowStatus(*send.row, status);
        send.row->smsSent = status;
    }
    if (accepted) {
        SetFate(send.historyId, send.afterYes ? ReplyFate::AnsweredYes : ReplyFate::Sent);
        // The outbox reports at once, before the sender has finished.
        if (send.outcome->reportFollows && !send.reported)
            SetDelivery(send.historyId, DeliveryState::Waiting);
    } else {
        SetFate(send.historyId, ReplyFate::Failed, ErrorOf(send.outcome));
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
    send->historyId = std::exchange(questionHistoryId_, 0);
    Remember(send);
    ++sendsInFlight;
    pendingReply.SendPending(transport_, Answer(send));
    send->handedOver = true;
    if (send->outcome) {
        Finish(*send);
        return send->outcome->Accepted() ? PendingSendResult::Sent : PendingSendResult::Failed;
    }
    // Until the transport answers the reply counts as sent.
    const std::u16string yes(SmsSentText(ReplyStatus::Yes));
    if (send->row) {
        log_.SetRowStatus(*send->row, yes);
        send->row->smsSent = yes;
    }
    SetFate(send->historyId, ReplyFate::AnsweredYes);
    return PendingSendResult::Sending;
}

void CMissedCallPipeline::OnAnswerNo()
{
    if (pendingReply.IsPending())
        SetFate(questionHistoryId_, ReplyFate::AnsweredNo);
    questionHistoryId_ = 0;
    pendingReply.Close();
    questionRow_.reset();
}

void CMissedCallPipeline::OnQuestionTimeout()
{
    if (pendingReply.IsPending())
        SetFate(questionHistoryId_, ReplyFate::Expired);
    questionHistoryId_ = 0;
    pendingReply.Close();
    questionRow_.reset();
}

void CMissedCallPipeline::OnProgramEnd()
{
    // Nobody can answer it any more; its row must not stay "asked".
    if (pendingReply.IsPending())
        SetFate(questionHistoryId_, ReplyFate::Expired, u"Pelmora ended");
    questionHistoryId_ = 0;
}

void CMissedCallPipeline::ResetSentCount()
{
    sentCount = 0;
    window_.ShowSentCount(sentCount);
}

} // namespace pelmora
