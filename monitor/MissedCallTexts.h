#pragma once

#include "messages/ContactNameParts.h"
#include "monitor/CallLogRows.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pelmora {

// The commands of the question bubble's buttons.
inline constexpr int kAnswerYesCommand = 13;
inline constexpr int kAnswerNoCommand = 12;

// The caller as the question names it: first name, a space, last name, or
// "Unknown" when both are empty.
std::u16string ShownCallerName(const ContactNameParts& caller);

// `text` with &, <, >, " and ' written as entities, so a caller ID, a contact
// name or a message shows as text and cannot add buttons of its own.
std::u16string EscapeHtml(std::u16string_view text);

// The question bubble's HTML: who called, and the message that Yes sends.
std::u16string QuestionHtml(
    std::u16string_view number, std::u16string_view shownName, std::u16string_view message);

// `text` with the entities EscapeHtml writes turned back into characters.
std::u16string UnescapeHtml(std::u16string_view text);

// What a question bubble says, read back from its HTML as plain text; none
// when the HTML is not a question bubble's.
struct QuestionFields {
    std::u16string number;
    std::u16string shownName;
    std::u16string message;
    bool operator==(const QuestionFields&) const = default;
};
std::optional<QuestionFields> ParseQuestionHtml(std::u16string_view html);

// The log row of a call handled at `now` (seconds since 1970), its time
// written in local time.
CallLogRow MakeCallLogRow(std::u16string_view number, const ContactNameParts& caller,
    int32_t ringCount, ReplyStatus status, int64_t now);

// What the user is told when the reply confirmed with Yes was refused.
std::u16string FailedReplyMessage(std::u16string_view number);

} // namespace pelmora
