#pragma once

#include "messages/ContactsSession.h"
#include "messages/VariableExpansion.h"
#include "monitor/MissedCallDecision.h"
#include "options/OwnSettings.h"
#include "rules/ProfileStore.h"
#include "rules/RuleTest.h"

#include <QJsonObject>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

struct SettingsRecord;

// The quiet period as a preview sees it: the option, and how long ago the
// history's last reply to the number went (none: no reply recorded).
struct QuietLook {
    int32_t minutes = 0; // 0: never
    std::optional<int64_t> sinceLastReply;
};

// What a missed call from one number would get now, worked out by the same
// lookup, rule test, decision, message choice and expansion the reply
// pipeline uses. A preview starts every monitoring run afresh: nothing has
// been sent yet and the log holds no replies, so the limits that count
// replies are left to the running program.
struct CallPreview {
    std::u16string number;
    IdentifiedCaller caller;
    RuleValues ruleValues;
    std::vector<RuleOutcome> rules; // the switched-on rules only
    int32_t ringCount = 0;
    int32_t ringsNeeded = 0; // 0: no minimum
    int32_t maxTotal = 0;
    int32_t maxPerCaller = 1;
    bool interactive = false;
    QuietLook quiet;
    MissedCallDecision decision;
    ReplyChoice reply; // what the active profile chooses, even when stopped before
    std::u16string message; // the expanded text; empty when the profile gives none
    MessageLengthEstimate length;
    bool wouldSend = false; // at once, or in interactive mode after the user's Yes
};

// `rings` unset: the count the rings-before-send choice asks for. The stores
// must be loaded and the active profile source set, as for the pipeline.
// `busyUntil` is what [BUSYUNTIL] says.
CallPreview PreviewCall(std::u16string_view number, std::optional<int32_t> rings,
    const SettingsRecord& settings, CContactsSession& contacts, const QuietLook& quiet = {},
    std::u16string_view busyUntil = OwnSettings::kDefaultBusyUntilWord);

// The preview in plain words, one item a line.
QStringList PreviewLines(const CallPreview& preview);
// The same as one JSON object.
QJsonObject PreviewJson(const CallPreview& preview);

// The one line about what a preview cannot know.
QString PreviewLimitsNote(const CallPreview& preview);

} // namespace pelmora
