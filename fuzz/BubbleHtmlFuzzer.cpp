// The question bubble: a caller ID from the network, a contact's name and
// the message go into its HTML; and the notification layer takes any HTML
// apart. Any texts.
#include "fuzz/FuzzSupport.h"
#include "monitor/MissedCallTexts.h"
#include "platform/shell/NotificationHtml.h"

#include <algorithm>

using namespace pelmora;

namespace {

QString Q(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

std::u16string Unescape(std::u16string_view html)
{
    std::u16string text;
    static constexpr std::pair<std::u16string_view, char16_t> kEntities[] = {
        {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'}, {u"&quot;", u'"'}, {u"&#39;", u'\''}};
    for (size_t at = 0; at < html.size();) {
        bool entity = false;
        for (const auto& [name, unit] : kEntities)
            if (html.substr(at).starts_with(name)) {
                text += unit;
                at += name.size();
                entity = true;
                break;
            }
        if (!entity)
            text += html[at++];
    }
    return text;
}

// The text as the bubble shows it: half a surrogate pair on its own becomes
// the replacement character.
std::u16string Shown(std::u16string_view text)
{
    std::u16string shown;
    for (size_t at = 0; at < text.size(); ++at) {
        const char16_t unit = text[at];
        if (unit >= 0xD800 && unit <= 0xDBFF && at + 1 < text.size() && text[at + 1] >= 0xDC00
            && text[at + 1] <= 0xDFFF) {
            shown += unit;
            shown += text[++at];
        } else {
            shown += unit >= 0xD800 && unit <= 0xDFFF ? u'\uFFFD' : unit;
        }
    }
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto pieces = fuzz::Pieces(data, size, 3);
    const std::u16string numberText = fuzz::Utf16(pieces[0]);
    const std::u16string nameText = fuzz::Utf16(pieces[1]);
    const std::u16string messageText = fuzz::Utf16(pieces[2]);
    const fuzz::ExactText number(numberText);
    const fuzz::ExactText name(nameText);
    const fuzz::ExactText message(messageText);

    // Escaped text holds no character that starts or ends a tag or an
    // attribute, and reads back as the text.
    const std::u16string escaped = EscapeHtml(message.View());
    FUZZ_CHECK(escaped.find_first_of(u"<>\"'") == std::u16string::npos);
    FUZZ_CHECK(Unescape(escaped) == Shown(messageText));

    // The bubble holds the tags of its own and none from the input: the same
    // count of "<" as with empty texts, and exactly its two buttons.
    static const std::u16string empty = QuestionHtml(u"", u"", u"");
    static const auto emptyTags = std::count(empty.begin(), empty.end(), u'<');
    const std::u16string html = QuestionHtml(number.View(), name.View(), message.View());
    FUZZ_CHECK(std::count(html.begin(), html.end(), u'<') == emptyTags);
    const ParsedNotification parsed = ParseNotificationHtml(Q(html));
    FUZZ_CHECK(parsed.buttons.size() == 2);
    FUZZ_CHECK(parsed.buttons[0].command == kAnswerYesCommand);
    FUZZ_CHECK(parsed.buttons[0].label == QStringLiteral("Yes"));
    FUZZ_CHECK(parsed.buttons[1].command == kAnswerNoCommand);
    FUZZ_CHECK(parsed.buttons[1].label == QStringLiteral("No"));

    // Any HTML at all is taken apart without harm; buttons come only from
    // input tags.
    const QString raw = Q(fuzz::Utf16({reinterpret_cast<const char*>(data), size}));
    const ParsedNotification any = ParseNotificationHtml(raw);
    FUZZ_CHECK(static_cast<qsizetype>(any.buttons.size())
        <= raw.count(QStringLiteral("<input"), Qt::CaseInsensitive));
    FUZZ_CHECK(!any.plain.contains(u'\0') || raw.contains(u'\0'));
    return 0;
}
