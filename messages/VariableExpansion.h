#pragma once

#include "messages/ContactNameParts.h"

#include <array>
#include <string>
#include <string_view>

namespace pelmora {

struct SettingsRecord;

// The message variables in their fixed order; the order also indexes the
// replacement words of the settings record.
inline constexpr std::array<std::u16string_view, 6> VariableNames = {
    u"[TITLE]",
    u"[FIRSTNAME]",
    u"[MIDDLENAME]",
    u"[LASTNAME]",
    u"[SUFFIX]",
    u"[FULLNAME]",
};
// When the calendar's busy stretch ends, filled in by the reply's sender
// rather than from the caller or the settings record, whose replacement
// words are fixed.
inline constexpr std::u16string_view kBusyUntilVariable = u"[BUSYUNTIL]";
inline constexpr std::u16string_view kBusyUntilSample = u"Tue 09:00";
// Every variable a message may hold, as the Insert dialog offers them.
inline constexpr std::array<std::u16string_view, 7> InsertableVariables
    = {VariableNames[0], VariableNames[1], VariableNames[2], VariableNames[3], VariableNames[4],
        VariableNames[5], kBusyUntilVariable};

// Long sample values that stand for a name when a message's length is estimated.
inline constexpr std::array<std::u16string_view, 6> VariableSamples = {
    u"Mrs.",
    u"Quilby",
    u"Quilby",
    u"Trellowayne111",
    u"III.",
    u"Mrs. Quilby A. Trellowayne111 III",
};

// Replaces every occurrence of `name` with `value`, left to right, without
// searching the inserted text again. With `removeSpaceAfterEmpty` set and an
// empty value, the name together with one following space goes first.
void ReplaceVariable(std::u16string& text, std::u16string_view name, std::u16string_view value,
    int32_t removeSpaceAfterEmpty);

// The message for a caller: an identified caller (first or last name known)
// gives its name parts, any other caller the settings' replacement words.
std::u16string ExpandVariables(std::u16string_view templateText, const ContactNameParts& caller,
    const SettingsRecord& settings);

struct MessageLengthEstimate {
    int lengthClass = 0; // 0: 7-bit, 1: 8-bit, 2: UCS-2
    int maximum = 160;
    int length = 0; // UTF-16 code units, with the variables at their sample lengths
};
// The estimate with the variables at their sample values.
MessageLengthEstimate EstimateMessageLength(std::u16string_view text);
// The class and length of a text as it stands, for a message already expanded.
MessageLengthEstimate MeasureMessage(std::u16string_view text);

} // namespace pelmora
