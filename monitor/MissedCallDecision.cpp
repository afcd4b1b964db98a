#include "monitor/MissedCallDecision.h"

namespace pelmora {

namespace {

bool PerCallerLimitReached(const MissedCallInputs& inputs)
{
    int64_t left = static_cast<int64_t>(inputs.maxPerCallerIndex) + 1;
    for (const CallLogKey& row : inputs.logRows) {
        if (row.number != inputs.number || row.smsSent != SmsSentText(ReplyStatus::Yes))
            continue;
        // A choice below "1" allows nothing once a reply was counted.
        if (--left <= 0)
            return true;
    }
    return false;
}

MissedCallCheck FirstFailingCheck(const MissedCallInputs& inputs)
{
    if (inputs.sentCount >= inputs.maxTotalAtStart)
        return MissedCallCheck::OverallLimit;
    if (inputs.passesRules && !inputs.passesRules(inputs.number, inputs.identified))
        return MissedCallCheck::Rules;
    // Index 0 ("end") asks for no minimum, whatever count the line reported.
    if (inputs.ringsBeforeSendIndex != 0 && inputs.ringCount < inputs.ringsBeforeSendIndex)
        return MissedCallCheck::Rings;
    if (PerCallerLimitReached(inputs))
        return MissedCallCheck::PerCallerLimit;
    if (inputs.quietSeconds > 0 && inputs.secondsSinceLastReply
        && *inputs.secondsSinceLastReply < inputs.quietSeconds)
        return MissedCallCheck::QuietPeriod;
    return MissedCallCheck::None;
}

} // namespace

std::u16string_view SmsSentText(ReplyStatus status)
{
    switch (status) {
    case ReplyStatus::Yes:
        return u"Yes";
    case ReplyStatus::Interactive:
        return u"Interactive";
    case ReplyStatus::Failed:
        return u"Failed";
    case ReplyStatus::No:
        break;
    }
    return u"No";
}

MissedCallDecision DecideMissedCall(const MissedCallInputs& inputs)
{
    const MissedCallCheck failing = FirstFailingCheck(inputs);
    if (failing != MissedCallCheck::None)
        return {MissedCallAction::Nothing, failing};
    return {inputs.interactive ? MissedCallAction::Ask : MissedCallAction::ReplyNow,
        MissedCallCheck::None};
}

} // namespace pelmora
