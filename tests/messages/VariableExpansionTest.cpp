#include "messages/VariableExpansion.h"
#include "messages/TemplateStore.h"
#include "settings/SettingsRecord.h"

#include <gtest/gtest.h>

using namespace pelmora;

namespace {

ContactNameParts Quilby()
{
    ContactNameParts parts;
    parts.title = u"Mrs.";
    parts.firstName = u"Quilby";
    parts.lastName = u"Trellowayne";
    parts.contactId = 17;
    return parts;
}

struct Case {
    const char* name;
    std::u16string_view text;
    ContactNameParts caller;
    int32_t option;
    std::u16string_view expected;
};

class Expansion : public ::testing::TestWithParam<Case> { };

ContactNameParts Only(std::u16string ContactNameParts::*part, std::u16string value)
{
    ContactNameParts parts;
    parts.*part = std::move(value);
    return parts;
}

} // namespace

TEST_P(Expansion, GivesTheMessage)
{
    SettingsRecord settings;
    settings.removeSpaceAfterEmpty = GetParam().option;
    EXPECT_EQ(ExpandVariables(GetParam().text, GetParam().caller, settings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, Expansion,
    ::testing::Values(Case {"DefaultTemplateForUnknownCaller", kDefaultTemplateText, {}, 1,
                          u"Dear , I am sorry I can not come to the phone right now. I will get "
                          u"back to you as soon as possible."},
        Case {"TitleAndSpaceGoWithOptionOn", u"Hi [TITLE] [FIRSTNAME], call me", {}, 1,
            u"Hi Friend, call me"},
        Case {"TwoSpacesWithOptionOff", u"Hi [TITLE] [FIRSTNAME], call me", {}, 0,
            u"Hi  Friend, call me"},
        Case {"FullNameOfIdentifiedCaller", u"Dear [FULLNAME],", Quilby(), 1,
            u"Dear Mrs. Quilby Trellowayne,"},
        Case {"EmptyMiddleNameOptionOn", u"[MIDDLENAME] [LASTNAME]", Quilby(), 1, u"Trellowayne"},
        Case {"EmptyMiddleNameOptionOff", u"[MIDDLENAME] [LASTNAME]", Quilby(), 0, u" Trellowayne"},
        Case {"LastNameOnlyIsIdentified", u"[FULLNAME]/[FIRSTNAME]",
            Only(&ContactNameParts::lastName, u"Solo"), 1, u"Solo/"},
        Case {"MiddleNameOnlyIsNotIdentified", u"[FIRSTNAME] [MIDDLENAME]",
            Only(&ContactNameParts::middleName, u"Mid"), 1, u"Friend "},
        Case {"DoubledVariable", u"[FIRSTNAME][FIRSTNAME]", Quilby(), 1, u"QuilbyQuilby"},
        Case {"LowerCaseIsPlainText", u"[firstname] [ FIRSTNAME ]", Quilby(), 1,
            u"[firstname] [ FIRSTNAME ]"},
        Case {"ValueNamingALaterVariableIsReplacedAgain", u"[FIRSTNAME]",
            ContactNameParts {u"", u"[LASTNAME]", u"", u"Last", u"", 1}, 1, u"Last"},
        Case {"ValueNamingAnEarlierVariableStays", u"[LASTNAME]",
            ContactNameParts {u"", u"First", u"", u"[TITLE]", u"", 1}, 1, u"[TITLE]"},
        Case {"OnlyOneSpaceAndOnlyASpaceGoes", u"a [TITLE]  b [TITLE]\tc [TITLE].", {}, 1,
            u"a  b \tc ."},
        Case {"SpacesOnlyPartIsAppended", u"<[FULLNAME]>",
            ContactNameParts {u" ", u"Al", u"", u"", u"", 1}, 1, u"<  Al>"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplaceVariableTest, InsertedTextIsNotSearchedAgain)
{
    std::u16string text = u"[X][X]";
    ReplaceVariable(text, u"[X]", u"[X][X]", 1);
    EXPECT_EQ(text, u"[X][X][X][X]");
}

TEST(LengthEstimate, ThreeClasses)
{
    const MessageLengthEstimate plain = EstimateMessageLength(u"Dear [FULLNAME]");
    EXPECT_EQ(plain.lengthClass, 0);
    EXPECT_EQ(plain.maximum, 160);
    EXPECT_EQ(plain.length, 38);
    const MessageLengthEstimate accented = EstimateMessageLength(u"Caf\u00e9 [FIRSTNAME]");
    EXPECT_EQ(accented.lengthClass, 1);
    EXPECT_EQ(accented.maximum, 140);
    EXPECT_EQ(accented.length, 11);
    const MessageLengthEstimate euro = EstimateMessageLength(u"\u00e910 \u20ac");
    EXPECT_EQ(euro.lengthClass, 2);
    EXPECT_EQ(euro.maximum, 70);
    EXPECT_EQ(euro.length, 5);
    EXPECT_EQ(EstimateMessageLength(u"[MIDDLENAME] [SUFFIX]").length, 11)
        << "samples, no space removal";
    EXPECT_EQ(EstimateMessageLength(u"\U0001F600").length, 2) << "UTF-16 code units";
}

TEST(LengthEstimate, ExpandedMessageIsMeasuredAsItStands)
{
    // A name that reads like a variable stays what it is once expanded.
    const MessageLengthEstimate measured = MeasureMessage(u"Dear [FULLNAME]");
    EXPECT_EQ(measured.lengthClass, 0);
    EXPECT_EQ(measured.length, 15);
    EXPECT_EQ(MeasureMessage(u"Caf\u00e9").maximum, 140);
    EXPECT_EQ(MeasureMessage(u"\u20ac\u00e9").maximum, 70);
    EXPECT_EQ(MeasureMessage(u"").length, 0);
}
