#include "ui/ColumnWidths.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pelmora;

namespace {

struct ParseCase {
    const char16_t* text;
    int count;
    bool valid;
    std::vector<int> widths;
};

} // namespace

class ParseWidths : public ::testing::TestWithParam<ParseCase> { };

TEST_P(ParseWidths, AcceptsExactlyCountNumbers)
{
    const ParseCase& c = GetParam();
    std::vector<int> widths(static_cast<size_t>(c.count), -7);
    EXPECT_EQ(ParseColumnWidths(c.text, widths.data(), c.count), c.valid);
    if (c.valid) {
        EXPECT_EQ(widths, c.widths);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseWidths,
    ::testing::Values(ParseCase {u"65,120,80,80,80", 5, true, {65, 120, 80, 80, 80}},
        ParseCase {u"10,20,", 2, true, {10, 20}}, ParseCase {u"70,,70", 3, true, {70, 0, 70}},
        ParseCase {u" -5,+7x,abc", 3, true, {-5, 7, 0}}, ParseCase {u"", 0, true, {}},
        ParseCase {u"", 1, false, {}}, ParseCase {u"1,2,3", 2, false, {}},
        ParseCase {u"000000000000000000000000000000000000000000000000042", 1, true, {42}},
        ParseCase {u"0000000000000000000000000000000000000000000000000042", 1, false, {}}));
