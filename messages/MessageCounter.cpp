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
    MessageLengthEstimate estimate = EstimateMessageLength(text);
    MessageCount count;
    count.maximum = estimate.maximum;
    count.shownLength = estimate.length;
    if (estimate.length <= estimate.maximum)
        return count;

    // A cut inside a variable can make the rest count more (its sample is
    // shorter than its name, the pieces are not), so cut until it fits.
    std::u16string_view kept = text;
    while (estimate.length > estimate.maximum && !kept.empty()) {
        const size_t excess = static_cast<size_t>(estimate.length - estimate.maximum);
        size_t keep = excess < kept.size() ? kept.size() - excess : 0;
        // The cut never splits a pair of units: half of a character outside
        // the basic plane is no character at all, and a line break's CR
        // without its LF would come back from the field as a whole line break.
        if (keep > 0 && keep < kept.size()
            && (IsHighSurrogate(kept[keep - 1])
                || (kept[keep - 1] == u'\r' && kept[keep] == u'\n')))
            --keep;
        kept = kept.substr(0, keep);
        estimate = EstimateMessageLength(kept);
    }
    count.cut = true;
    count.keptText = std::u16string(kept);
    count.shownLength = static_cast<int>(kept.size());
    return count;
}

} // namespace pelmora
