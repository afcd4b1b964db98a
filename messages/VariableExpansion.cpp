#include "messages/VariableExpansion.h"

#include "settings/SettingsRecord.h"

namespace pelmora {

namespace {

void ReplaceAll(std::u16string& text, std::u16string_view what, std::u16string_view with)
{
    if (what.empty())
        return;
    std::u16string result;
    size_t start = 0;
    while (true) {
        const size_t found = text.find(what, start);
        if (found == std::u16string::npos)
            break;
        result.append(text, start, found - start);
        result.append(with);
        start = found + what.size();
    }
    if (start == 0)
        return;
    result.append(text, start, std::u16string::npos);
    text = std::move(result);
}

} // namespace

void ReplaceVariable(std::u16string& text, std::u16string_view name, std::u16string_view value,
    int32_t removeSpaceAfterEmpty)
{
    if (removeSpaceAfterEmpty != 0 && value.empty()) {
        std::u16string withSpace(name);
        withSpace += u' ';
        ReplaceAll(text, withSpace, u"");
    }
    ReplaceAll(text, name, value);
}

std::u16string ExpandVariables(std::u16string_view templateText, const ContactNameParts& caller,
    const SettingsRecord& settings)
{
    std::u16string text(templateText);
    const int32_t option = settings.removeSpaceAfterEmpty;
    const bool identified = IsIdentified(caller);
    if (!identified) {
        for (size_t i = 0; i < VariableNames.size(); ++i)
            ReplaceVariable(text, VariableNames[i], settings.replacement[i].Text(), option);
        return text;
    }
    const std::array<const std::u16string*, 5> parts
        = {&caller.title, &caller.firstName, &caller.middleName, &caller.lastName, &caller.suffix};
    for (size_t i = 0; i < parts.size(); ++i)
        ReplaceVariable(text, VariableNames[i], *parts[i], option);
    ReplaceVariable(text, VariableNames[5], ComposeFullName(caller), option);
    return text;
}

MessageLengthEstimate EstimateMessageLength(std::u16string_view source)
{
    std::u16string text(source);
    for (size_t i = 0; i < VariableNames.size(); ++i)
        ReplaceAll(text, VariableNames[i], VariableSamples[i]);
    ReplaceAll(text, kBusyUntilVariable, kBusyUntilSample);
    return MeasureMessage(text);
}

MessageLengthEstimate MeasureMessage(std::u16string_view text)
{
    MessageLengthEstimate estimate;
    for (char16_t unit : text) {
        if (unit > 0xFF) {
            estimate.lengthClass = 2;
            break;
        }
        if (unit >= 0x80)
            estimate.lengthClass = 1;
    }
    estimate.maximum = estimate.lengthClass == 2 ? 70 : estimate.lengthClass == 1 ? 140 : 160;
    estimate.length = static_cast<int>(text.size());
    return estimate;
}

} // namespace pelmora
