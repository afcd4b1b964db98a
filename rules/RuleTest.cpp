#include "rules/RuleTest.h"

#include "platform/contacts/ContactCard.h"
#include "settings/SettingsRecord.h"

namespace pelmora {

RuleValues RuleValues::FromSettings(const SettingsRecord& settings)
{
    RuleValues rules;
    rules.excludeInternational = settings.excludeInternational != 0;
    rules.excludeUnidentified = settings.excludeUnidentified != 0;
    rules.excludeStartingWith = settings.excludeStartingWith != 0;
    rules.excludePrefixes = settings.excludePrefixes.Text();
    // Only the second radio button selects the prefix test; any other stored
    // mode leaves "All numbers" in effect.
    rules.includeOnlyStartingWith = settings.includeMode == 1;
    rules.includePrefixes = settings.includePrefixes.Text();
    rules.homePrefix = settings.internationalPrefix.Text();
    return rules;
}

std::vector<std::u16string> SplitPrefixList(std::u16string_view list)
{
    std::vector<std::u16string> pieces;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = list.find_first_of(u",;", start);
        const size_t stop = end == std::u16string_view::npos ? list.size() : end;
        if (stop > start)
            pieces.emplace_back(list.substr(start, stop - start));
        if (end == std::u16string_view::npos)
            break;
        start = end + 1;
    }
    return pieces;
}

std::optional<std::u16string> FirstListedPrefix(
    std::u16string_view number, std::u16string_view list)
{
    for (std::u16string& piece : SplitPrefixList(list))
        if (number.starts_with(piece))
            return std::move(piece);
    return std::nullopt;
}

bool StartsWithListedPrefix(std::u16string_view number, std::u16string_view list)
{
    return FirstListedPrefix(number, list).has_value();
}

std::vector<RuleOutcome> TestRules(
    std::u16string_view number, bool identified, const RuleValues& rules)
{
    std::vector<RuleOutcome> outcomes;
    // A number dialled with 00 is not international here: only the plus sign
    // says so, and networks put it before the user's own country code too.
    if (rules.excludeInternational) {
        const bool home = !HomeNationalNumber(number, rules.homePrefix).empty();
        outcomes.push_back({Rule::ExcludeInternational, !number.starts_with(u'+') || home,
            home ? rules.homePrefix : std::u16string()});
    }
    if (rules.excludeUnidentified)
        outcomes.push_back({Rule::ExcludeUnidentified, identified, {}});
    if (rules.excludeStartingWith) {
        std::optional<std::u16string> piece = FirstListedPrefix(number, rules.excludePrefixes);
        outcomes.push_back({Rule::ExcludeStartingWith, !piece, piece.value_or(u"")});
    }
    if (rules.includeOnlyStartingWith) {
        std::optional<std::u16string> piece = FirstListedPrefix(number, rules.includePrefixes);
        outcomes.push_back({Rule::IncludeOnly, piece.has_value(), piece.value_or(u"")});
    }
    return outcomes;
}

bool PassesRules(std::u16string_view number, bool identified, const RuleValues& rules)
{
    for (const RuleOutcome& outcome : TestRules(number, identified, rules))
        if (!outcome.passed)
            return false;
    return true;
}

} // namespace pelmora
