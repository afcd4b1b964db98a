#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

// Why a handled call got the reply it got, or none.
enum class HistoryReason {
    Replied, // every check passed and the reply went without asking
    Rule,
    OverallLimit,
    PerCallerLimit,
    Rings,
    QuietPeriod,
    NoText, // the active profile gives this caller no text
    Asked, // interactive mode: the user decides
};

// What became of the reply. Later events move a row on: Sending to Sent or
// Failed; Asked to AnsweredYes (then Failed if refused), AnsweredNo,
// Expired or Replaced by a newer question.
enum class ReplyFate {
    None, // no reply was tried
    Sending, // handed to the transport, which has not answered yet
    Sent,
    Failed,
    Asked,
    AnsweredYes,
    AnsweredNo,
    Expired,
    Replaced,
};

// Whether a sent reply reached the phone. Waiting: a report was asked for
// and has not come; Unknown: none was asked for, or none came in time.
enum class DeliveryState { Unknown, Delivered, Failed, Waiting };

std::string_view ReasonName(HistoryReason reason);
std::string_view FateName(ReplyFate fate);
std::string_view DeliveryName(DeliveryState state);

// One handled missed call as the history keeps it.
struct CallRecord {
    int64_t id = 0; // the row's id once recorded
    int64_t timeUtc = 0; // seconds since 1970
    int32_t utcOffset = 0; // seconds east of UTC at that time
    std::u16string number; // as the line delivered it
    std::u16string callerName; // empty when not identified
    uint32_t contactId = 0;
    std::string lookupStage; // how the caller was found ("not found", ...)
    int32_t rings = 0;
    HistoryReason reason = HistoryReason::Replied;
    int32_t profileId = 0; // 0: no active profile
    int32_t templateId = 0; // 0: no template chosen
    std::u16string text; // the reply as sent, or as asked about
    ReplyFate fate = ReplyFate::None;
    std::u16string error; // why a failed reply failed
    DeliveryState delivery = DeliveryState::Unknown;
    std::u16string deliveryReason; // why the network could not deliver it

    bool operator==(const CallRecord&) const = default;
};

// A reply as the quiet period counts it: to whom and when.
struct ReplyTime {
    std::u16string number; // as delivered
    int64_t time = 0;
};

// The history as the reply pipeline writes it. Nothing here may stop a
// reply: a history that cannot be written reports it and goes on.
class CallRecorder {
public:
    virtual ~CallRecorder() = default;
    // Adds the call's row; its id, or 0 when it could not be written.
    virtual int64_t Record(const CallRecord& record) = 0;
    // Moves a recorded row on to `fate`; nothing for id 0.
    virtual void SetFate(int64_t id, ReplyFate fate, std::u16string_view error = {}) = 0;
    // Records what the network reported of a sent reply; nothing for id 0.
    virtual void SetDelivery(int64_t id, DeliveryState state, std::u16string_view reason = {}) = 0;
    // The replies the quiet period counts among the calls from `from` to
    // `to` (seconds since 1970, inclusive): handed to the transport, not
    // refused and not reported undelivered; each number's newest.
    virtual std::vector<ReplyTime> RepliesBetween(int64_t from, int64_t to) = 0;
};

// When the caller of `number` was last replied to among `replies`: numbers
// are the same caller when they are in their national form (with the home
// country of `internationalPrefix`), as the caller lookup finds them.
std::optional<int64_t> LastReplyTo(const std::vector<ReplyTime>& replies,
    std::u16string_view number, std::u16string_view internationalPrefix);

} // namespace pelmora
