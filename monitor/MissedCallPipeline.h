#pragma once

#include "history/CallRecorder.h"
#include "messages/ContactNameParts.h"
#include "monitor/CallLogRows.h"
#include "monitor/MissedCallDecision.h"
#include "monitor/PendingReply.h"
#include "ui/CallLog.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace pelmora {

class BubbleNotifier;
class CContactsSession;
class CSmsSender;
class CallLogRows;
struct SettingsRecord;
enum class LookupStage;

// The options of the pages at the moment a call is handled, saved or not.
struct MissedCallOptions {
    int32_t ringsBeforeSendIndex = 0; // "Rings before send" selection
    int32_t maxPerCallerIndex = 0; // "Max per caller" selection
    bool interactive = false; // "Interactive mode"
    int32_t logAgeIndex = 0; // "Auto clear older than:" selection; 0 never
    RuleTest passesRules; // the exclude and include rule pages
    int32_t quietMinutes = 0; // "Don't reply again to the same number within:"; 0 never
    // What [BUSYUNTIL] says at this moment: when the calendar's busy stretch
    // ends ("15:30", "Tue 09:00"), or the word for free time.
    std::u16string busyUntil;
};

// What the pipeline needs of the main window besides the log and the bubble.
class MissedCallWindow {
public:
    virtual ~MissedCallWindow() = default;
    virtual MissedCallOptions ReadOptions() const = 0;
    // Starts, or restarts, a one-shot timer of the window.
    virtual void StartTimer(uint32_t timerId, uint32_t milliseconds) = 0;
    // The replies handed over in this monitoring run, as the Main page shows them.
    virtual void ShowSentCount(int32_t sentCount) = 0;
    // The transport refused the reply the user said Yes to.
    virtual void ReplyRefused(std::u16string_view number) = 0;
};

enum class ReplyOutcome {
    NoText, // the active profile gives this caller no message
    Sent,
    SendFailed,
    Asked,
    Sending, // the transport answers later; the row says "Yes" until then
};

struct MissedCallResult {
    ContactNameParts caller;
    MissedCallDecision decision;
    ReplyOutcome reply = ReplyOutcome::NoText; // meaningful when a reply was tried
    ReplyStatus status = ReplyStatus::No;
    int64_t historyId = 0; // the call's history row; 0 when none was written
};

// The road of one missed call from the monitor's report to the reply: who
// called, whether the call gets a reply, which text, sent at once or after
// the user's Yes, and the log row. The main window owns one for the whole
// run and gives it its pages, log and bubble through narrow interfaces;
// everything runs on the window's thread. A transport that must wait for a
// modem answers later: meanwhile the reply's row says "Yes" and counts
// against the limits, and its answer turns a refused reply's row to
// "Failed" (and, after a Yes, tells the window).
class CMissedCallPipeline final {
public:
    static constexpr uint32_t kQuestionTimerId = 2;
    static constexpr uint32_t kQuestionTimeoutMs = 240000;
    static constexpr uint32_t kQuestionSeconds = 90;
    static constexpr std::u16string_view kQuestionTitle = u"New missed call";

    CMissedCallPipeline(const SettingsRecord& settings, CContactsSession& contacts,
        CSmsSender& transport, MissedCallWindow& window, BubbleNotifier& bubble, CallLogRows& log,
        LogClock clock);
    ~CMissedCallPipeline();
    CMissedCallPipeline(const CMissedCallPipeline&) = delete;
    CMissedCallPipeline& operator=(const CMissedCallPipeline&) = delete;

    // The monitor's report: `number` is only valid during this call.
    MissedCallResult OnMissedCall(std::u16string_view number, int32_t ringCount);
    // `stage` is how the caller was found; none when the caller was given.
    MissedCallResult ProcessMissedCall(std::u16string_view number, const ContactNameParts& caller,
        int32_t ringCount, std::optional<LookupStage> stage = std::nullopt);
    ReplyOutcome Reply(std::u16string_view number, const ContactNameParts& caller, bool askFirst,
        std::u16string_view busyUntil);
    void CountSent();

    // The bubble's Yes: sends the open reply without testing the limits
    // again. A refused send is not counted, and the window is told.
    PendingSendResult OnAnswerYes();
    void OnAnswerNo();
    void OnQuestionTimeout();
    // The program ends with a question open: its history row expires.
    void OnProgramEnd();

    // Stop Monitor.
    void ResetSentCount();

    // Where handled calls and their replies' fates are recorded, and where
    // the quiet period looks beyond this run; none records nothing.
    void SetRecorder(CallRecorder* recorder) { recorder_ = recorder; }

    int32_t sentCount = 0; // replies accepted by the transport in this run
    int32_t sendsInFlight = 0; // replies the transport has not answered yet
    int32_t maxTotalAtStart = 0; // "Max allowed SMS to send" when monitoring started
    // Why the call whose row is being logged got its reply or none.
    HistoryReason lastReason = HistoryReason::Replied;
    CPendingReply pendingReply;
    // The log row of the open question, if one is open.
    const std::optional<CallLogRow>& QuestionRow() const { return questionRow_; }

private:
    // A reply handed to the transport: its outcome if it came at once,
    // else the row its later outcome updates; then its delivery report.
    struct Send {
        std::u16string number;
        bool afterYes = false;
        bool handedOver = false; // the transport's call has returned
        std::optional<SmsUpdate> outcome;
        std::optional<SmsUpdate> report; // kept until the history row is known
        bool reported = false; // a report came: "waiting" must not replace it
        std::optional<CallLogRow> row;
        int64_t historyId = 0;
        int64_t time = 0; // when it was handed over
        bool undelivered = false; // the network reported it not delivered
    };
    // The reply Reply chose for the call being handled.
    struct ChosenReply {
        int32_t profileId = 0;
        int32_t templateId = 0;
        std::u16string text;
    };
    int64_t RecordCall(std::u16string_view number, const ContactNameParts& caller,
        std::optional<LookupStage> stage, int32_t ringCount, const MissedCallResult& result,
        int64_t time);
    void SetFate(int64_t historyId, ReplyFate fate, std::u16string_view error = {});
    void SetDelivery(int64_t historyId, DeliveryState state, std::u16string_view reason = {});
    // The transport's answer to `send`: told at once when it came during
    // the call, else kept for the caller to finish.
    SmsSendDone Answer(const std::shared_ptr<Send>& send);
    void Finish(Send& send);
    // Records `send`'s delivery report once both it and the row are there.
    void RecordReport(Send& send);
    // Hands `send` to the quiet period's memory of this run.
    void Remember(const std::shared_ptr<Send>& send);
    // When the caller of `number` was last replied to within `seconds`.
    std::optional<int64_t> LastReplyWithin(std::u16string_view number, int64_t seconds);

    const SettingsRecord& settings_;
    CContactsSession& contacts_;
    CSmsSender& transport_;
    MissedCallWindow& window_;
    BubbleNotifier& bubble_;
    CallLogRows& log_;
    LogClock clock_;
    // The log row of the open question, which its answer updates.
    std::optional<CallLogRow> questionRow_;
    int64_t questionHistoryId_ = 0;
    ChosenReply chosen_;
    CallRecorder* recorder_ = nullptr;
    // The send started by the call being handled, until its row is logged
    // and recorded.
    std::shared_ptr<Send> unloggedSend_;
    // This run's replies, newest last, for the quiet period even when the
    // history cannot keep or give them.
    std::vector<std::shared_ptr<Send>> thisRun_;
    // Answers that come after the pipeline has gone are dropped.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace pelmora
