#pragma once

#include "platform/storage/ByteReader.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace pelmora {

// A fixed-width, zero-terminated UTF-16 field as stored in the data files.
// Units after the terminator are kept as they are, so a record that is loaded
// and saved again keeps its exact bytes.
template <size_t N> struct FixedText {
    std::array<char16_t, N> units {};

    std::u16string Text() const { return TextOfField(units); }

    // Copies at most N - 1 characters and a terminator; the units after the
    // terminator stay as they were, like a copy into a C buffer.
    void Assign(std::u16string_view text)
    {
        const size_t used = text.size() < N ? text.size() : N - 1;
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
