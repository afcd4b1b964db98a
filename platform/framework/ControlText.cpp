#include "platform/framework/ControlText.h"

#include <QTextBlock>
#include <QTextDocument>

#include <cstdint>

namespace pelmora::dlg {

QString ToQ(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text));
}

QString ToMultiline(std::u16string_view text)
{
    QString copy = ToQ(text);
    copy.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return copy;
}

std::u16string MultilineText(const QTextDocument& document)
{
    std::u16string text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += u"\r\n";
        text += block.text().toStdU16String();
    }
    return text;
}

std::optional<int> ParseDialogInt(std::u16string_view text, bool isSigned)
{
    size_t i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const bool negative = isSigned && i < text.size() && text[i] == u'-';
    if (negative)
        ++i;
    const size_t firstDigit = i;
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > 0xFFFFFFFFLL)
            return std::nullopt;
    }
    if (i == firstDigit)
        return std::nullopt;
    while (i < text.size() && text[i] == u' ')
        ++i;
    if (i != text.size())
        return std::nullopt;
    if (negative)
        value = -value;
    const long long low = isSigned ? INT32_MIN : 0;
    const long long high = isSigned ? INT32_MAX : 0xFFFFFFFFLL;
    if (value < low || value > high)
        return std::nullopt;
    return static_cast<int>(static_cast<uint32_t>(value));
}

} // namespace pelmora::dlg
