#include "monitor/MissedCallTexts.h"

#include "ui/CallLog.h"

#include <ctime>
#include <string>
#include <utility>
#include <vector>

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
    for (size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        // A half of a surrogate pair on its own (a damaged template file can
        // hold one) makes the whole HTML invalid UTF-16, which the
        // notification layer cannot take apart: the bubble would lose its
        // buttons. It shows as the replacement character instead.
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            const bool pair = unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00
                && text[at + 1] <= 0xDFFF;
            if (pair) {
                escaped += unit;
                escaped += text[++at];
            } else {
                escaped += u'\uFFFD';
            }
            continue;
        }
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

namespace {
constexpr std::u16string_view kQuestionFormat
    = u"<html><body><p>A New missed call has arrived with CallerID: <b>%s</b> Identified as "
      u"<b>%s</b>.</p><p>Would you like to send the caller an SMS? </p><p><input type=button "
      u"name='cmd:%i' value='Yes'>&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;<input type=button "
      u"name='cmd:%i' value='No'></p><p><b>Message:</b>&nbsp;<u>%s</u><br><br></body></html>";
} // namespace

std::u16string QuestionHtml(
    std::u16string_view number, std::u16string_view shownName, std::u16string_view message)
{
    constexpr std::u16string_view format = kQuestionFormat;
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

std::u16string UnescapeHtml(std::u16string_view text)
{
    static constexpr std::pair<std::u16string_view, char16_t> kEntities[] = {
        {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&#39;", u'\''}};
    std::u16string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, unit] : kEntities)
            if (text.substr(i, entity.size()) == entity) {
                plain += unit;
                i += entity.size();
                replaced = true;
                break;
            }
        if (!replaced)
            plain += text[i++];
    }
    return plain;
}

std::optional<QuestionFields> ParseQuestionHtml(std::u16string_view html)
{
    // The format's fixed pieces around its five placeholders. Every value
    // was escaped, so none holds the "<" that starts the piece after it.
    std::vector<std::u16string_view> pieces;
    for (size_t from = 0;;) {
        const size_t at = kQuestionFormat.find(u'%', from);
        pieces.push_back(kQuestionFormat.substr(from, at - from));
        if (at == std::u16string_view::npos)
            break;
        from = at + 2;
    }
    std::vector<std::u16string_view> values;
    size_t at = 0;
    for (size_t i = 0; i + 1 < pieces.size(); ++i) {
        if (html.substr(at, pieces[i].size()) != pieces[i])
            return std::nullopt;
        at += pieces[i].size();
        const size_t end = html.find(pieces[i + 1], at);
        if (end == std::u16string_view::npos)
            return std::nullopt;
        values.push_back(html.substr(at, end - at));
        at = end;
    }
    if (html.substr(at) != pieces.back())
        return std::nullopt;
    return QuestionFields {
        UnescapeHtml(values[0]), UnescapeHtml(values[1]), UnescapeHtml(values[4])};
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
