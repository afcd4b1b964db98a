#pragma once

#include <string>
#include <string_view>

namespace pelmora {

// What the message editor's counter shows for a typed text. A text whose
// estimated length (variables at their sample lengths) is over its class's
// maximum loses as many characters from its end as the estimate is over.
struct MessageCount {
    int maximum = 160;
    int shownLength = 0; // the estimate, or the length of the cut text
    bool cut = false;
    std::u16string keptText; // the text after the cut; only when `cut`
};

MessageCount CountMessage(std::u16string_view text);

} // namespace pelmora
