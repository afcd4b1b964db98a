#include "monitor/MissedCallTexts.h"
#include "platform/shell/NotificationHtml.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

using namespace pelmora;

namespace {

QString Q(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text));
}

// Runs the test in a fixed time zone and puts the old one back.
class FixedTimeZone final {
public:
    explicit FixedTimeZone(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~FixedTimeZone()
    {
        if (old_)
            setenv("TZ", old_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

int64_t UtcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm fields {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    return static_cast<int64_t>(timegm(&fields));
}

} // namespace

TEST(MissedCallTexts, QuestionHtmlFollowsItsFormat)
{
    EXPECT_EQ(QuestionHtml(u"+4470", u"Ann Lee", u"Hi Ann"),
        u"<html><body><p>A New missed call has arrived with CallerID: <b>+4470</b> Identified as "
        u"<b>Ann Lee</b>.</p><p>Would you like to send the caller an SMS? </p><p><input "
        u"type=button name='cmd:13' value='Yes'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<input type=button "
        u"name='cmd:12' value='No'></p><p><b>Message:</b>&nbsp;<u>Hi "
        u"Ann</u><br><br></body></html>");
}

TEST(MissedCallTexts, MarkupInCallerNameAndTextCannotAddButtons)
{
    const std::u16string number = u"<input type=button name='cmd:13' value='Send all'>0123";
    const std::u16string name = u"Tom & <b>Jerry\" ' >";
    const std::u16string text = u"<input type=button name=cmd:4 value=x> 5 < 6 & \"yes\"";
    const ParsedNotification parsed = ParseNotificationHtml(Q(QuestionHtml(number, name, text)));

    ASSERT_EQ(parsed.buttons.size(), 2u);
    EXPECT_EQ(parsed.buttons[0].command, 13);
    EXPECT_EQ(parsed.buttons[0].label.toStdString(), "Yes");
    EXPECT_EQ(parsed.buttons[1].command, 12);
    EXPECT_EQ(parsed.buttons[1].label.toStdString(), "No");
    // The three texts come back whole, as text.
    EXPECT_TRUE(parsed.plain.contains(Q(number))) << parsed.plain.toStdString();
    EXPECT_TRUE(parsed.plain.contains(Q(name)));
    EXPECT_TRUE(parsed.plain.contains(Q(text)));
}

// Found by fuzzing: half a surrogate pair (a damaged template file can hold
// one) made the whole HTML invalid UTF-16, and the bubble lost its buttons.
TEST(MissedCallTexts, LoneSurrogatesKeepTheBubblesButtons)
{
    const std::u16string text
        = std::u16string(u"Hi ") + char16_t(0xD800) + u" and " + char16_t(0xDC00) + u" \U0001F600";
    EXPECT_EQ(EscapeHtml(text), u"Hi \uFFFD and \uFFFD \U0001F600");
    const ParsedNotification parsed
        = ParseNotificationHtml(Q(QuestionHtml(std::u16string(1, char16_t(0xDBFF)), u"Ann", text)));
    ASSERT_EQ(parsed.buttons.size(), 2u);
    EXPECT_EQ(parsed.buttons[0].command, 13);
    EXPECT_EQ(parsed.buttons[1].command, 12);
}

TEST(MissedCallTexts, QuestionFieldsReadBackFromTheBubbleAsPlainText)
{
    const std::u16string number = u"<b>0123</b> &amp;";
    const std::u16string name = u"Tom & <u>Jerry\" ' >";
    const std::u16string text = u"Hi</u> 5 < 6 & \"yes\"\ttab\nline";
    EXPECT_EQ(
        ParseQuestionHtml(QuestionHtml(number, name, text)), (QuestionFields {number, name, text}));
    EXPECT_EQ(ParseQuestionHtml(QuestionHtml(u"", u"Unknown", u"")),
        (QuestionFields {u"", u"Unknown", u""}));
    // Anything else is not a question.
    EXPECT_FALSE(ParseQuestionHtml(u"<html><body>Hi</body></html>"));
    EXPECT_FALSE(ParseQuestionHtml(QuestionHtml(u"1", u"2", u"3") + u"x"));
    EXPECT_EQ(UnescapeHtml(u"&amp;lt; &#39;&quot;&gt;&"), u"&lt; '\">&");
}

TEST(MissedCallTexts, EscapeHtmlWritesTheFiveSpecialCharactersAsEntities)
{
    EXPECT_EQ(EscapeHtml(u"a&b<c>d\"e'f"), u"a&amp;b&lt;c&gt;d&quot;e&#39;f");
    EXPECT_EQ(EscapeHtml(u"+44 (0) 20"), u"+44 (0) 20");
    EXPECT_EQ(EscapeHtml(u""), u"");
}

TEST(MissedCallTexts, ShownNameJoinsFirstAndLastWithOneSpace)
{
    ContactNameParts caller;
    EXPECT_EQ(ShownCallerName(caller), u"Unknown");
    caller.title = u"Dr.";
    caller.middleName = u"M";
    EXPECT_EQ(ShownCallerName(caller), u"Unknown");
    caller.lastName = u"Lee";
    EXPECT_EQ(ShownCallerName(caller), u" Lee");
    caller.firstName = u"Ann";
    EXPECT_EQ(ShownCallerName(caller), u"Ann Lee");
    caller.lastName.clear();
    EXPECT_EQ(ShownCallerName(caller), u"Ann ");
}

TEST(MissedCallTexts, LogRowCarriesTheFiveTextsAndTheStamp)
{
    const FixedTimeZone utc("UTC0");
    const int64_t now = UtcSeconds(2026, 12, 7, 9, 5, 3);
    ContactNameParts caller;
    caller.firstName = u"Ann";
    caller.lastName = u"Lee";
    const CallLogRow row = MakeCallLogRow(u"0123", caller, 4, ReplyStatus::Interactive, now);
    EXPECT_EQ(row.number, u"0123");
    EXPECT_EQ(row.caller, u"Ann Lee");
    EXPECT_EQ(row.time, u"9:5:3 7/12/2026");
    EXPECT_EQ(row.rings, u"4");
    EXPECT_EQ(row.smsSent, u"Interactive");
    EXPECT_EQ(row.stamp, static_cast<uint32_t>(now));

    const CallLogRow unknown
        = MakeCallLogRow(u"+1", {}, 0, ReplyStatus::Failed, UtcSeconds(2027, 1, 31, 23, 59, 59));
    EXPECT_EQ(unknown.caller, u"Unknown");
    EXPECT_EQ(unknown.time, u"23:59:59 31/1/2027");
    EXPECT_EQ(unknown.rings, u"0");
    EXPECT_EQ(unknown.smsSent, u"Failed");
}

TEST(MissedCallTexts, LogTimeIsLocal)
{
    const FixedTimeZone zone("XYZ-2"); // two hours east of UTC
    const CallLogRow row
        = MakeCallLogRow(u"1", {}, 1, ReplyStatus::No, UtcSeconds(2026, 3, 1, 23, 0, 0));
    EXPECT_EQ(row.time, u"1:0:0 2/3/2026");
}
