#pragma once

#include "platform/storage/ByteReader.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pelmora {

// The first `maxUnits` UTF-16 units of `text`, one fewer when the last one
// kept would be the first half of a surrogate pair whose second half is cut:
// half a character shows as a replacement sign and is no text at all.
// GCC's optimiser inlines this into callers with short literals and then
// warns about the index on the path the size check has already left; the
// warning is false, and an optimised build treats it as an error.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
constexpr std::u16string_view CutWhole(std::u16string_view text, size_t maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    std::u16string_view kept = text.substr(0, maxUnits);
    if (!kept.empty() && kept.back() >= 0xD800 && kept.back() <= 0xDBFF)
        kept.remove_suffix(1);
    return kept;
}
#pragma GCC diagnostic pop

// A fixed-width, zero-terminated UTF-16 field as stored in the data files.
// Units after the terminator are kept as they are, so a record that is loaded
// and saved again keeps its exact bytes.
template <size_t N> struct FixedText {
    std::array<char16_t, N> units {};

    std::u16string Text() const { return TextOfField(units); }

    // Copies at most N - 1 characters (never half a pair) and a terminator; the units after the
    // terminator stay as they were, like a copy into a C buffer.
    void Assign(std::u16string_view text)
    {
        text = CutWhole(text, N - 1);
        const size_t used = text.size();
        for (size_t i = 0; i < used; ++i)
            units[i] = text[i];
        units[used] = u'\0';
    }

    // Copies at most N - 1 characters and clears every unit after them, the
    // form in which records are created and renamed.
    void SetCleared(std::u16string_view text)
    {
        units.fill(u'\0');
        Assign(text);
    }

    bool operator==(const FixedText&) const = default;
};

} // namespace pelmora
