#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelmora {

// What the log's "SMS Sent" column says about a handled call.
enum class ReplyStatus {
    No, // a limit or rule stopped the reply, or the profile gave no text
    Yes, // the reply was handed to the transport and accepted
    Interactive, // the user was asked (or would have been, had there been a text)
    Failed, // the transport refused the reply
};
std::u16string_view SmsSentText(ReplyStatus status);

// The exclude and include rules, as the rule pages test them: false when the
// number may not get a reply.
using RuleTest = std::function<bool(std::u16string_view number, bool identified)>;

// The two columns of a log row that the per-caller limit reads.
struct CallLogKey {
    std::u16string number;
    std::u16string smsSent;
};

struct MissedCallInputs {
    std::u16string_view number; // as the line delivered it
    bool identified = false; // the caller's first or last name is known
    int32_t ringCount = 0;
    int32_t sentCount = 0; // replies handed over since monitoring started
    int32_t maxTotalAtStart = 1;
    int32_t ringsBeforeSendIndex = 0; // 0 ("end"): no minimum
    int32_t maxPerCallerIndex = 0; // index k allows k + 1 replies per number
    bool interactive = false;
    RuleTest passesRules; // unset: every number passes
    std::span<const CallLogKey> logRows; // oldest first
    // The quiet period: no reply within `quietSeconds` of the number's last
    // one, which the history knows (0: no quiet period).
    int64_t quietSeconds = 0;
    std::optional<int64_t> secondsSinceLastReply;
};

// The check that stopped a reply, in the order the checks are made.
enum class MissedCallCheck { None, OverallLimit, Rules, Rings, PerCallerLimit, QuietPeriod };

enum class MissedCallAction {
    Nothing, // log "No"
    ReplyNow, // send the profile's text at once; "Yes" once accepted
    Ask, // log "Interactive" and ask the user first
};

struct MissedCallDecision {
    MissedCallAction action = MissedCallAction::Nothing;
    MissedCallCheck stoppedBy = MissedCallCheck::None;

    bool operator==(const MissedCallDecision&) const = default;
};

// Whether a missed call gets a reply: the overall limit, the rules, the
// minimum rings, the per-caller limit and the quiet period, tested in this
// order; the first that fails stops the others from being looked at. Only
// "Yes" rows count for the per-caller limit, compared exactly.
MissedCallDecision DecideMissedCall(const MissedCallInputs& inputs);

} // namespace pelmora
