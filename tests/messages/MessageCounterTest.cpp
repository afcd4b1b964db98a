#include "messages/MessageCounter.h"

#include <gtest/gtest.h>

#include <string>

using namespace pelmora;

namespace {

std::u16string Repeat(char16_t unit, size_t count)
{
    return std::u16string(count, unit);
}

struct CounterCase {
    const char* name;
    std::u16string text;
    int maximum;
    int shown;
    bool cut;
    size_t kept; // units left after a cut
};

class CounterTable : public ::testing::TestWithParam<CounterCase> { };

} // namespace

TEST_P(CounterTable, ShowsTheEstimateOrCutsTheExcess)
{
    const CounterCase& c = GetParam();
    const MessageCount count = CountMessage(c.text);
    EXPECT_EQ(count.maximum, c.maximum);
    EXPECT_EQ(count.shownLength, c.shown);
    EXPECT_EQ(count.cut, c.cut);
    if (c.cut) {
        EXPECT_EQ(count.keptText, c.text.substr(0, c.kept));
    }
}

INSTANTIATE_TEST_SUITE_P(MessageCounter, CounterTable,
    ::testing::Values(CounterCase {"Empty", u"", 160, 0, false, 0},
        CounterCase {"SevenBitAtTheLimit", Repeat(u'a', 160), 160, 160, false, 0},
        CounterCase {"SevenBitOneOver", Repeat(u'a', 161), 160, 160, true, 160},
        CounterCase {"LatinOneAtTheLimit", u"\u00e9" + Repeat(u'a', 139), 140, 140, false, 0},
        CounterCase {"LatinOneOver", u"\u00e9" + Repeat(u'a', 140), 140, 140, true, 140},
        // A 160-character 7-bit text turns into an 8-bit one with one U+00E9.
        CounterCase {"LatinOneInAFullText", Repeat(u'a', 159) + u"\u00e9", 140, 140, true, 140},
        CounterCase {"EuroAtTheLimit", u"\u20ac" + Repeat(u'a', 69), 70, 70, false, 0},
        CounterCase {"EuroOver", u"\u20ac" + Repeat(u'a', 70), 70, 70, true, 70},
        CounterCase {"EuroInAFullText", Repeat(u'a', 160) + u"\u20ac", 70, 70, true, 70},
        // "[FULLNAME]" counts as its 33-character sample: 10 typed units
        // stand for 33, so 150 more characters estimate 183 and 23 go.
        CounterCase {"FullNameSample", u"[FULLNAME]" + Repeat(u'a', 127), 160, 160, false, 0},
        CounterCase {"FullNameOver", u"[FULLNAME]" + Repeat(u'a', 150), 160, 137, true, 137},
        // "[TITLE]" stands for "Mrs.", shorter than itself.
        CounterCase {"TitleShorterThanTyped", u"[TITLE]" + Repeat(u'a', 156), 160, 160, false, 0},
        // Seven "[FULLNAME]" are 70 units estimated as 231: an excess of 71
        // leaves nothing.
        CounterCase {"ExcessOverTheWholeText",
            u"[FULLNAME][FULLNAME][FULLNAME][FULLNAME][FULLNAME][FULLNAME][FULLNAME]", 160, 0, true,
            0}),
    [](const ::testing::TestParamInfo<CounterCase>& info) { return info.param.name; });

TEST(MessageCounter, CutNeverSplitsASurrogatePairOrALineBreak)
{
    // 69 units, then a character outside the basic plane: 71 units, one over.
    const std::u16string emoji = Repeat(u'a', 69) + u"\U0001F600";
    const MessageCount pair = CountMessage(emoji);
    ASSERT_TRUE(pair.cut);
    EXPECT_EQ(pair.keptText, Repeat(u'a', 69)) << "the whole character goes";
    EXPECT_EQ(pair.shownLength, 69);

    const std::u16string lines = Repeat(u'a', 159) + u"\r\n";
    const MessageCount crlf = CountMessage(lines);
    ASSERT_TRUE(crlf.cut);
    EXPECT_EQ(crlf.keptText, Repeat(u'a', 159)) << "CR and LF go together";
}
