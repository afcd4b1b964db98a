#include "rules/RuleTest.h"
#include "settings/SettingsRecord.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

struct SplitCase {
    const char* name;
    std::u16string list;
    std::vector<std::u16string> pieces;
};

void PrintTo(const SplitCase& c, std::ostream* out)
{
    *out << c.name;
}

class PrefixSplit : public ::testing::TestWithParam<SplitCase> { };

const SplitCase kSplits[] = {
    {"DoubledSeparatorGivesNoEmptyPiece", u"+44;0044,,07", {u"+44", u"0044", u"07"}},
    {"SpaceStaysInThePiece", u"+44, 07", {u"+44", u" 07"}},
    {"CommaThenSemicolon", u"0800,;0900", {u"0800", u"0900"}},
    {"Empty", u"", {}},
    {"OnlySeparators", u",;,;", {}},
    {"LeadingAndTrailingSeparators", u";07,", {u"07"}},
    {"SpaceAloneIsAPiece", u"07; ", {u"07", u" "}},
    {"OtherCharactersAreKept", u"07 12-3.4", {u"07 12-3.4"}},
};

INSTANTIATE_TEST_SUITE_P(Lists, PrefixSplit, ::testing::ValuesIn(kSplits),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_P(PrefixSplit, Pieces)
{
    EXPECT_EQ(SplitPrefixList(GetParam().list), GetParam().pieces);
}

namespace {

struct RuleCase {
    const char* name;
    RuleValues rules;
    std::u16string number;
    bool identified;
    bool passes;
};

RuleValues With(void (*change)(RuleValues&))
{
    RuleValues rules;
    change(rules);
    return rules;
}

const RuleCase kRules[] = {
    {"NothingChecked", RuleValues {}, u"+441234", false, true},
    {"PlusSignIsInternational", With([](RuleValues& r) { r.excludeInternational = true; }),
        u"+441234", true, false},
    {"HomeCountryIsNotInternational", With([](RuleValues& r) {
         r.excludeInternational = true;
         r.homePrefix = u"+44";
     }),
        u"+447700900111", true, true},
    {"OtherCountryWithHomePrefixSet", With([](RuleValues& r) {
         r.excludeInternational = true;
         r.homePrefix = u"+44";
     }),
        u"+12125551234", true, false},
    {"HomePrefixWithoutPlusIsNoCountry", With([](RuleValues& r) {
         r.excludeInternational = true;
         r.homePrefix = u"0044";
     }),
        u"+447700900111", true, false},
    {"PlusAloneIsNoCountry", With([](RuleValues& r) {
         r.excludeInternational = true;
         r.homePrefix = u"+";
     }),
        u"+447700900111", true, false},
    {"DiallingPrefixIsNotInternational", With([](RuleValues& r) { r.excludeInternational = true; }),
        u"00441234", false, true},
    {"UnidentifiedExcluded", With([](RuleValues& r) { r.excludeUnidentified = true; }), u"0123",
        false, false},
    {"IdentifiedPasses", With([](RuleValues& r) { r.excludeUnidentified = true; }), u"0123", true,
        true},
    {"ExcludedPrefix", With([](RuleValues& r) {
         r.excludeStartingWith = true;
         r.excludePrefixes = u"0800,;0900";
     }),
        u"0800123", true, false},
    {"PrefixMustStartTheNumber", With([](RuleValues& r) {
         r.excludeStartingWith = true;
         r.excludePrefixes = u"0800,;0900";
     }),
        u"80012", true, true},
    {"PieceEqualToTheWholeNumber", With([](RuleValues& r) {
         r.excludeStartingWith = true;
         r.excludePrefixes = u"0800,;0900";
     }),
        u"0900", true, false},
    {"ExcludeListIgnoredWhileUnchecked", With([](RuleValues& r) { r.excludePrefixes = u"0800"; }),
        u"0800123", true, true},
    {"EmptyExcludeListExcludesNothing", With([](RuleValues& r) { r.excludeStartingWith = true; }),
        u"0800123", true, true},
    {"IncludeWithEmptyListAdmitsNoNumber",
        With([](RuleValues& r) { r.includeOnlyStartingWith = true; }), u"0712345", true, false},
    {"IncludeListIgnoredForAllNumbers", With([](RuleValues& r) { r.includePrefixes = u"07"; }),
        u"0812345", true, true},
    {"IncludedPrefix", With([](RuleValues& r) {
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"+44;0044,,07";
     }),
        u"0712345", false, true},
    {"NotAnIncludedPrefix", With([](RuleValues& r) {
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"+44;0044,,07";
     }),
        u"0812345", false, false},
    {"PieceWithLeadingSpaceMissesPlainNumber", With([](RuleValues& r) {
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"+44, 07";
     }),
        u"0712345", true, false},
    {"PieceWithLeadingSpaceMatchesSpacedNumber", With([](RuleValues& r) {
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"+44, 07";
     }),
        u" 0712345", true, true},
    {"PrefixesAreCaseSensitive", With([](RuleValues& r) {
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"a";
     }),
        u"A123", true, false},
    {"ExcludeWinsOverInclude", With([](RuleValues& r) {
         r.excludeStartingWith = true;
         r.excludePrefixes = u"07";
         r.includeOnlyStartingWith = true;
         r.includePrefixes = u"07";
     }),
        u"0712345", true, false},
};

void PrintTo(const RuleCase& c, std::ostream* out)
{
    *out << c.name;
}

class RuleDecision : public ::testing::TestWithParam<RuleCase> { };

INSTANTIATE_TEST_SUITE_P(Cases, RuleDecision, ::testing::ValuesIn(kRules),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace

TEST_P(RuleDecision, PassesRules)
{
    const RuleCase& c = GetParam();
    EXPECT_EQ(PassesRules(c.number, c.identified, c.rules), c.passes);
}

TEST(RuleValuesFromSettings, ReadTheSixFields)
{
    SettingsRecord settings;
    RuleValues defaults = RuleValues::FromSettings(settings);
    EXPECT_TRUE(defaults.excludeInternational);
    EXPECT_FALSE(defaults.excludeUnidentified);
    EXPECT_FALSE(defaults.excludeStartingWith);
    EXPECT_FALSE(defaults.includeOnlyStartingWith);

    settings.excludeInternational = 0;
    settings.excludeUnidentified = 1;
    settings.excludeStartingWith = 2; // any non-zero value is checked
    settings.excludePrefixes.Assign(u"0800");
    settings.includeMode = 1;
    settings.includePrefixes.Assign(u"07");
    settings.internationalPrefix.Assign(u"+44");
    const RuleValues rules = RuleValues::FromSettings(settings);
    EXPECT_EQ(rules.homePrefix, u"+44");
    EXPECT_FALSE(rules.excludeInternational);
    EXPECT_TRUE(rules.excludeUnidentified);
    EXPECT_TRUE(rules.excludeStartingWith);
    EXPECT_EQ(rules.excludePrefixes, u"0800");
    EXPECT_TRUE(rules.includeOnlyStartingWith);
    EXPECT_EQ(rules.includePrefixes, u"07");

    // Only the second radio button selects the prefix test.
    for (int32_t mode : {-1, 0, 2}) {
        settings.includeMode = mode;
        EXPECT_FALSE(RuleValues::FromSettings(settings).includeOnlyStartingWith) << mode;
    }
}

TEST(RuleOutcomes, EachSwitchedOnRuleInOrderWithTheMatchingPiece)
{
    RuleValues rules;
    EXPECT_TRUE(TestRules(u"+4412", false, rules).empty()) << "nothing switched on";

    rules.excludeInternational = true;
    rules.excludeUnidentified = true;
    rules.excludeStartingWith = true;
    rules.excludePrefixes = u"0900;;+44,+441";
    rules.includeOnlyStartingWith = true;
    rules.includePrefixes = u"07,+4";
    const std::vector<RuleOutcome> expected {
        {Rule::ExcludeInternational, false, u""},
        {Rule::ExcludeUnidentified, false, u""},
        {Rule::ExcludeStartingWith, false, u"+44"},
        {Rule::IncludeOnly, true, u"+4"},
    };
    EXPECT_EQ(TestRules(u"+4412", false, rules), expected);

    const std::vector<RuleOutcome> passing {
        {Rule::ExcludeInternational, true, u""},
        {Rule::ExcludeUnidentified, true, u""},
        {Rule::ExcludeStartingWith, true, u""},
        {Rule::IncludeOnly, false, u""},
    };
    EXPECT_EQ(TestRules(u"0812", true, rules), passing);
    EXPECT_EQ(FirstListedPrefix(u"0812", u"9;08;081"), std::u16string(u"08"));
}
