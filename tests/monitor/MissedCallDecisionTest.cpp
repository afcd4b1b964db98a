#include "monitor/MissedCallDecision.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

using namespace pelmora;

namespace {

constexpr auto Nothing = MissedCallAction::Nothing;
constexpr auto ReplyNow = MissedCallAction::ReplyNow;
constexpr auto Ask = MissedCallAction::Ask;

struct DecisionCase {
    const char* name;
    int32_t sentCount;
    int32_t maxTotal;
    bool rulesPass;
    int32_t ringCount;
    int32_t ringsIndex;
    int32_t perCallerIndex;
    bool interactive;
    std::vector<CallLogKey> rows;
    MissedCallDecision expected;
    int64_t quietSeconds = 0;
    std::optional<int64_t> sinceLastReply = std::nullopt;
};

void PrintTo(const DecisionCase& c, std::ostream* out)
{
    *out << c.name;
}

class DecisionTable : public ::testing::TestWithParam<DecisionCase> { };

TEST_P(DecisionTable, DecidesAsExpected)
{
    const DecisionCase& c = GetParam();
    MissedCallInputs inputs;
    inputs.number = u"0800123";
    inputs.sentCount = c.sentCount;
    inputs.maxTotalAtStart = c.maxTotal;
    inputs.passesRules = [&](std::u16string_view, bool) { return c.rulesPass; };
    inputs.ringCount = c.ringCount;
    inputs.ringsBeforeSendIndex = c.ringsIndex;
    inputs.maxPerCallerIndex = c.perCallerIndex;
    inputs.interactive = c.interactive;
    inputs.logRows = c.rows;
    inputs.quietSeconds = c.quietSeconds;
    inputs.secondsSinceLastReply = c.sinceLastReply;
    EXPECT_EQ(DecideMissedCall(inputs), c.expected);
}

const std::vector<CallLogKey> kOneYes = {{u"0800123", u"Yes"}};
const std::vector<CallLogKey> kTwoYes = {{u"0800123", u"Yes"}, {u"0800123", u"Yes"}};
// Rows that must not count: other answers, other numbers, other spellings.
const std::vector<CallLogKey> kNotCounted
    = {{u"0800123", u"Interactive"}, {u"0800123", u"No"}, {u"0800123", u"Failed"},
        {u"0800123", u"yes"}, {u"0800 123", u"Yes"}, {u"080012", u"Yes"}, {u"08001234", u"Yes"}};

INSTANTIATE_TEST_SUITE_P(MissedCall, DecisionTable,
    ::testing::Values(
        DecisionCase {"AllPassRepliesNow", 0, 1, true, 0, 0, 0, false, {}, {ReplyNow, {}}},
        DecisionCase {"AllPassInteractiveAsks", 0, 1, true, 0, 0, 0, true, {}, {Ask, {}}},
        DecisionCase {"OverallLimitReached", 1, 1, true, 0, 0, 0, false, {},
            {Nothing, MissedCallCheck::OverallLimit}},
        DecisionCase {"OverallLimitAlsoStopsTheQuestion", 1, 1, true, 0, 0, 0, true, {},
            {Nothing, MissedCallCheck::OverallLimit}},
        DecisionCase {"OverallLimitOfZeroBeforeAnyStart", 0, 0, true, 0, 0, 0, false, {},
            {Nothing, MissedCallCheck::OverallLimit}},
        DecisionCase {
            "RulesRefuse", 0, 5, false, 3, 0, 0, true, {}, {Nothing, MissedCallCheck::Rules}},
        DecisionCase {"RingsBelowTheMinimum", 0, 5, true, 2, 3, 0, false, {},
            {Nothing, MissedCallCheck::Rings}},
        DecisionCase {"RingsAtTheMinimum", 0, 5, true, 3, 3, 0, false, {}, {ReplyNow, {}}},
        DecisionCase {
            "EndNeedsNoRingEvenAtMinusOne", 0, 5, true, -1, 0, 0, false, {}, {ReplyNow, {}}},
        DecisionCase {"OneYesRowUsesUpOneAllowed", 0, 5, true, 0, 0, 0, false, kOneYes,
            {Nothing, MissedCallCheck::PerCallerLimit}},
        DecisionCase {
            "OneYesRowLeavesOneOfTwo", 0, 5, true, 0, 0, 1, false, kOneYes, {ReplyNow, {}}},
        DecisionCase {"TwoYesRowsUseUpTwo", 0, 5, true, 0, 0, 1, true, kTwoYes,
            {Nothing, MissedCallCheck::PerCallerLimit}},
        // Combo 1013 with nothing selected (-1) allows a first reply, and no more.
        DecisionCase {
            "NoPerCallerSelectionAllowsTheFirst", 0, 5, true, 0, 0, -1, false, {}, {ReplyNow, {}}},
        DecisionCase {"NoPerCallerSelectionStopsAfterOne", 0, 5, true, 0, 0, -1, false, kOneYes,
            {Nothing, MissedCallCheck::PerCallerLimit}},
        DecisionCase {"OnlyExactYesRowsOfThisNumberCount", 0, 5, true, 0, 0, 0, false, kNotCounted,
            {ReplyNow, {}}},
        // When several checks fail, the first in order is the one reported.
        DecisionCase {"LimitBeforeRules", 3, 3, false, 0, 4, 0, false, kOneYes,
            {Nothing, MissedCallCheck::OverallLimit}},
        DecisionCase {"RulesBeforeRings", 0, 3, false, 0, 4, 0, false, kOneYes,
            {Nothing, MissedCallCheck::Rules}},
        DecisionCase {"RingsBeforePerCaller", 0, 3, true, 0, 4, 0, false, kOneYes,
            {Nothing, MissedCallCheck::Rings}},
        DecisionCase {"QuietPeriodStopsAReplyWithinIt", 0, 3, true, 0, 0, 9, false, {},
            {Nothing, MissedCallCheck::QuietPeriod}, 3600, 3599},
        DecisionCase {"QuietPeriodAlsoStopsTheQuestion", 0, 3, true, 0, 0, 9, true, {},
            {Nothing, MissedCallCheck::QuietPeriod}, 3600, 0},
        DecisionCase {"QuietPeriodEndsAtItsLength", 0, 3, true, 0, 0, 9, false, {}, {ReplyNow, {}},
            3600, 3600},
        DecisionCase {"QuietPeriodWithoutEarlierReply", 0, 3, true, 0, 0, 9, false, {},
            {ReplyNow, {}}, 3600, std::nullopt},
        DecisionCase {
            "NeverIgnoresAnEarlierReply", 0, 3, true, 0, 0, 9, false, {}, {ReplyNow, {}}, 0, 1},
        DecisionCase {"PerCallerBeforeQuietPeriod", 0, 3, true, 0, 0, 0, false, kOneYes,
            {Nothing, MissedCallCheck::PerCallerLimit}, 3600, 1}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) {
        return std::string(info.param.name);
    });

} // namespace

TEST(MissedCallDecision, RuleTestSeesTheNumberAndIdentityAndRunsOnlyAfterTheLimit)
{
    std::vector<std::pair<std::u16string, bool>> calls;
    MissedCallInputs inputs;
    inputs.number = u"+4420123";
    inputs.identified = true;
    inputs.maxTotalAtStart = 2;
    inputs.passesRules = [&](std::u16string_view number, bool identified) {
        calls.emplace_back(number, identified);
        return true;
    };
    EXPECT_EQ(DecideMissedCall(inputs).action, ReplyNow);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, u"+4420123");
    EXPECT_TRUE(calls[0].second);

    inputs.sentCount = 2;
    EXPECT_EQ(DecideMissedCall(inputs).stoppedBy, MissedCallCheck::OverallLimit);
    EXPECT_EQ(calls.size(), 1u);
}

TEST(MissedCallDecision, WithoutARuleTestEveryNumberPasses)
{
    MissedCallInputs inputs;
    inputs.number = u"+1";
    EXPECT_EQ(DecideMissedCall(inputs).action, ReplyNow);
}

TEST(MissedCallDecision, StatusTexts)
{
    EXPECT_EQ(SmsSentText(ReplyStatus::No), u"No");
    EXPECT_EQ(SmsSentText(ReplyStatus::Yes), u"Yes");
    EXPECT_EQ(SmsSentText(ReplyStatus::Interactive), u"Interactive");
    EXPECT_EQ(SmsSentText(ReplyStatus::Failed), u"Failed");
}
