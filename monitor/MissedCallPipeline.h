#pragma once

#include "messages/ContactNameParts.h"
#include "monitor/CallLogRows.h"
#include "monitor/MissedCallDecision.h"
#include "monitor/PendingReply.h"
#include "ui/CallLog.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace pelmora {

class BubbleNotifier;
class CContactsSession;
class CSmsSender;
class CallLogRows;
struct SettingsRecord;

// The options of the pages at the moment a call is handled, saved or not.
struct MissedCallOptions {
    int32_t ringsBeforeSendIndex = 0; // "Rings before send" selection
    int32_t maxPerCallerIndex = 0; // "Max per caller" selection
    bool interactive = false; // "Interactive mode"
    int32_t logAgeIndex = 0; // "Auto clear older than:" selection; 0 never
    RuleTest passesRules; // the exclude and include rule pages
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
};

enum class ReplyOutcome {
    NoText, // the active profile gives this caller no message
    Sent,
    SendFailed,
    Asked,
};

struct MissedCallResult {
    ContactNameParts caller;
    MissedCallDecision decision;
    ReplyOutcome reply = ReplyOutcome::NoText; // meaningful when a reply was tried
    ReplyStatus status = ReplyStatus::No;
};

// The road of one missed call from the monitor's report to the reply: who
// called, whether the call gets a reply, which text, sent at once or after
// the user's Yes, and the log row. The main window owns one for the whole
// run and gives it its pages, log and bubble through narrow interfaces;
// everything runs on the window's thread.
class CMissedCallPipeline final {
public:
    static constexpr uint32_t kQuestionTimerId = 2;
    static constexpr uint32_t kQuestionTimeoutMs = 240000;
    static constexpr uint32_t kQuestionSeconds = 90;
    static constexpr std::u16string_view kQuestionTitle = u"New missed call";

    CMissedCallPipeline(const SettingsRecord& settings, CContactsSession& contacts,
        CSmsSender& transport, MissedCallWindow& window, BubbleNotifier& bubble, CallLogRows& log,
        LogClock clock);
    CMissedCallPipeline(const CMissedCallPipeline&) = delete;
    CMissedCallPipeline& operator=(const CMissedCallPipeline&) = delete;

    // The monitor's report: `number` is only valid during this call.
    MissedCallResult OnMissedCall(std::u16string_view number, int32_t ringCount);
    MissedCallResult ProcessMissedCall(
        std::u16string_view number, const ContactNameParts& caller, int32_t ringCount);
    ReplyOutcome Reply(std::u16string_view number, const ContactNameParts& caller, bool askFirst);
    void CountSent();

    // The bubble's Yes: sends the open reply without testing the limits
    // again. A refused send is not counted; the window tells the user.
    PendingSendResult OnAnswerYes();
    void OnAnswerNo();
    void OnQuestionTimeout();

    // Stop Monitor.
    void ResetSentCount();

    int32_t sentCount = 0; // replies accepted by the transport in this run
    int32_t maxTotalAtStart = 0; // "Max allowed SMS to send" when monitoring started
    CPendingReply pendingReply;
    // The log row of the open question, if one is open.
    const std::optional<CallLogRow>& QuestionRow() const { return questionRow_; }

private:
    const SettingsRecord& settings_;
    CContactsSession& contacts_;
    CSmsSender& transport_;
    MissedCallWindow& window_;
    BubbleNotifier& bubble_;
    CallLogRows& log_;
    LogClock clock_;
    // The log row of the open question, which its answer updates.
    std::optional<CallLogRow> questionRow_;
};

} // namespace pelmora
