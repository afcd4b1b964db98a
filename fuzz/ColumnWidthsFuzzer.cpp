// The remembered column widths of a list, read back from the user's
// settings file: any text at all, for lists of one to eight columns.
#include "fuzz/FuzzSupport.h"
#include "ui/ColumnWidths.h"

#include <algorithm>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int count = 1 + data[0] % 8;
    const std::u16string input = fuzz::Utf16({reinterpret_cast<const char*>(data + 1), size - 1});
    const fuzz::ExactText text(input);
    // Exactly `count` places, so AddressSanitizer sees a write beyond them.
    const auto widths = std::make_unique<int[]>(static_cast<size_t>(count));
    std::fill_n(widths.get(), count, -7);
    const bool valid = ParseColumnWidths(text.View(), widths.get(), count);
    // Valid texts hold exactly `count` comma-separated numbers.
    const auto commas = std::count(input.begin(), input.end(), u',');
    if (valid) {
        FUZZ_CHECK(commas == count - 1 || (commas == count && input.back() == u','));
        // Written out as the list saves them, the widths read back the same.
        std::u16string saved;
        for (int i = 0; i < count; ++i) {
            if (i > 0)
                saved += u',';
            const std::string digits = std::to_string(widths[static_cast<size_t>(i)]);
            saved.append(digits.begin(), digits.end());
        }
        const auto again = std::make_unique<int[]>(static_cast<size_t>(count));
        FUZZ_CHECK(ParseColumnWidths(saved, again.get(), count));
        FUZZ_CHECK(std::equal(widths.get(), widths.get() + count, again.get()));
    }
    return 0;
}
