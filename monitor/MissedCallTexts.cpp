#include "monitor/MissedCallTexts.h"

#include "ui/CallLog.h"

#include <ctime>
#include <string>

namespace pelmora {

namespace {

std::u16string Decimal(int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace

std::u16string ShownCallerName(const ContactNameParts& caller)
{
    // The same rule as the log's Caller column.
    return LogCallerText(caller.firstName, caller.lastName);
}

std::u16string EscapeHtml(std::u16string_view text)
{
    std::u16string escaped;
    escaped.reserve(text.size());
    for (const char16_t unit : text) {
        switch (unit) {
        case u'&':
            escaped += u"&amp;";
            break;
        case u'<':
            escaped += u"&lt;";
            break;
        case u'>':
            escaped += u"&gt;";
            break;
        case u'"':
            escaped += u"&quot;";
            break;
        case u'\'':
            escaped += u"&#39;";
            break;
        default:
            escaped += unit;
        }
    }
    return escaped;
}

std::u16string QuestionHtml(
    std::u16string_view number, std::u16string_view shownName, std::u16string_view message)
{
    constexpr std::u16string_view format
        = u"<html><body><p>A New missed call has arrived with CallerID: <b>%s</b> Identified as "
          u"<b>%s</b>.</p><p>Would you like to send the caller an SMS? </p><p><input type=button "
          u"name='cmd:%i' value='Yes'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<input type=button "
          u"name='cmd:%i' value='No'></p><p><b>Message:</b>&nbsp;<u>%s</u><br><br></body></html>";
    const std::u16string values[] = {EscapeHtml(number), EscapeHtml(shownName),
        Decimal(kAnswerYesCommand), Decimal(kAnswerNoCommand), EscapeHtml(message)};
    // Each value goes into the next placeholder; values are never searched.
    std::u16string html;
    size_t from = 0;
    for (const std::u16string& value : values) {
        const size_t at = format.find(u'%', from);
        html.append(format.substr(from, at - from));
        html += value;
        from = at + 2;
    }
    html.append(format.substr(from));
    return html;
}

CallLogRow MakeCallLogRow(std::u16string_view number, const ContactNameParts& caller,
    int32_t ringCount, ReplyStatus status, int64_t now)
{
    const auto seconds = static_cast<std::time_t>(now);
    std::tm local {};
    localtime_r(&seconds, &local);
    CallLogRow row;
    row.number = number;
    row.caller = LogCallerText(caller.firstName, caller.lastName);
    row.time = FormatLogTime(local);
    row.rings = Decimal(ringCount);
    row.smsSent = SmsSentText(status);
    row.stamp = static_cast<uint32_t>(now);
    return row;
}

std::u16string FailedReplyMessage(std::u16string_view number)
{
    std::u16string message = u"The SMS to ";
    message += number;
    message += u" could not be sent.";
    return message;
}

} // namespace pelmora
