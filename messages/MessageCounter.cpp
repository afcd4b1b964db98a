#include "messages/MessageCounter.h"

#include "messages/VariableExpansion.h"

namespace pelmora {

namespace {

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

} // namespace

MessageCount CountMessage(std::u16string_view text)
{
    const MessageLengthEstimate estimate = EstimateMessageLength(text);
    MessageCount count;
    count.maximum = estimate.maximum;
    count.shownLength = estimate.length;
    if (estimate.length <= estimate.maximum)
        return count;

    const size_t excess = static_cast<size_t>(estimate.length - estimate.maximum);
    size_t kept = excess < text.size() ? text.size() - excess : 0;
    // The cut never splits a pair of units: half of a character outside the
    // basic plane is no character at all, and a line break's CR without its LF
    // would come back from the field as a whole line break.
    if (kept > 0 && kept < text.size()
        && (IsHighSurrogate(text[kept - 1]) || (text[kept - 1] == u'\r' && text[kept] == u'\n')))
        --kept;
    count.cut = true;
    count.keptText = std::u16string(text.substr(0, kept));
    count.shownLength = static_cast<int>(kept);
    return count;
}

} // namespace pelmora
