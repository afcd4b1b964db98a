#include "ui/ColumnWidths.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

namespace pelmora {

namespace {

constexpr size_t kTokenChars = 51;

// Decimal conversion as the C library does it: leading blanks, a sign, then
// digits up to the first other character; no digits give 0.
int ToInt(const std::string& token)
{
    size_t i = 0;
    while (i < token.size() && (token[i] == ' ' || token[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-'))
        negative = token[i++] == '-';
    long long value = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (token[i] - '0'), 0x7FFFFFFFLL + 1);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

} // namespace

bool ParseColumnWidths(std::u16string_view text, int* widths, int count)
{
    int found = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        std::string token;
        while (pos < text.size() && text[pos] != u',') {
            // A token longer than the buffer makes the whole text invalid.
            if (token.size() >= kTokenChars)
                return false;
            token.push_back(static_cast<char>(text[pos] & 0xFF));
            ++pos;
        }
        ++found;
        if (found > count)
            return false;
        widths[found - 1] = ToInt(token);
        if (pos < text.size())
            ++pos; // the comma
    }
    return found == count;
}

} // namespace pelmora
