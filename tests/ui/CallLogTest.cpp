#include "ui/CallLog.h"

#include <QString>

#include <gtest/gtest.h>

using namespace pelmora;

TEST(CallLogTexts, FortyNineAgeChoices)
{
    EXPECT_EQ(LogAgeChoiceText(0), u"Never");
    EXPECT_EQ(LogAgeChoiceText(1), u"0.5 hours");
    EXPECT_EQ(LogAgeChoiceText(2), u"1.0 hour");
    EXPECT_EQ(LogAgeChoiceText(3), u"1.5 hours");
    EXPECT_EQ(LogAgeChoiceText(4), u"2.0 hours");
    EXPECT_EQ(LogAgeChoiceText(19), u"9.5 hours");
    EXPECT_EQ(LogAgeChoiceText(20), u"10 hours");
    EXPECT_EQ(LogAgeChoiceText(21), u"10.5 hours");
    EXPECT_EQ(LogAgeChoiceText(47), u"23.5 hours");
    EXPECT_EQ(LogAgeChoiceText(48), u"24 hours");
    // Every text names its own half-hours.
    for (int i = 1; i < kLogAgeChoices; ++i) {
        const QString text = QString::fromStdU16String(LogAgeChoiceText(i));
        EXPECT_DOUBLE_EQ(text.section(u' ', 0, 0).toDouble(), i / 2.0) << i;
        EXPECT_EQ(text.endsWith(QStringLiteral(" hour")), i == 2) << i;
    }
}

TEST(CallLogTexts, TimeAndCaller)
{
    std::tm local {};
    local.tm_hour = 9;
    local.tm_min = 5;
    local.tm_sec = 3;
    local.tm_mday = 7;
    local.tm_mon = 11;
    local.tm_year = 2026 - 1900;
    EXPECT_EQ(FormatLogTime(local), u"9:5:3 7/12/2026");
    EXPECT_EQ(LogCallerText(u"", u""), u"Unknown");
    EXPECT_EQ(LogCallerText(u"Ann", u""), u"Ann ");
    EXPECT_EQ(LogCallerText(u"", u"Lee"), u" Lee");
    EXPECT_EQ(LogCallerText(u"Ann", u"Lee"), u"Ann Lee");
}

TEST(CallLogTexts, HalfHourBoundary)
{
    const uint32_t stamp = 1'000'000;
    EXPECT_FALSE(IsLogRowExpired(stamp + 29 * 60 + 59, stamp, 1));
    EXPECT_TRUE(IsLogRowExpired(stamp + 30 * 60, stamp, 1));
    EXPECT_FALSE(IsLogRowExpired(stamp + 100000, stamp, 0)) << "Never";
    EXPECT_FALSE(IsLogRowExpired(stamp + 100000, stamp, -1)) << "no choice removes nothing";
}
