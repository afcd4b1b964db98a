#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

struct SettingsRecord;

// What the rule pages hold at the moment a call is decided: the exclude
// page's three check boxes and prefix list, and whether the include page's
// "Only numbers starting with" is selected, with its prefix list.
struct RuleValues {
    bool excludeInternational = false;
    bool excludeUnidentified = false;
    bool excludeStartingWith = false;
    std::u16string excludePrefixes;
    bool includeOnlyStartingWith = false;
    std::u16string includePrefixes;
    // The settings' international prefix: a number behind it, when it is a
    // country code, comes from the user's own country.
    std::u16string homePrefix;

    // The rules as the settings record keeps them, for tools that decide
    // without the pages.
    static RuleValues FromSettings(const SettingsRecord& settings);
};

// The pieces of a prefix list: split at every "," and ";", runs of
// separators give no empty pieces, and nothing else is removed, so a space
// belongs to the piece it stands in.
std::vector<std::u16string> SplitPrefixList(std::u16string_view list);

// Whether `number` begins with a piece of `list` (exact, case-sensitive; a
// piece equal to the whole number counts).
bool StartsWithListedPrefix(std::u16string_view number, std::u16string_view list);

// The first listed piece that `number` begins with, or nullopt.
std::optional<std::u16string> FirstListedPrefix(
    std::u16string_view number, std::u16string_view list);

enum class Rule { ExcludeInternational, ExcludeUnidentified, ExcludeStartingWith, IncludeOnly };

// One switched-on rule and what it says about a number; `piece` is the
// prefix that matched, when one did.
struct RuleOutcome {
    Rule rule = Rule::ExcludeInternational;
    bool passed = true;
    std::u16string piece;

    bool operator==(const RuleOutcome&) const = default;
};

// Every switched-on rule in the order the test makes them: the exclude rules
// (a leading "+" not followed by the home country's code when international
// numbers are excluded, an unidentified
// caller, a listed prefix), then the include rule.
std::vector<RuleOutcome> TestRules(
    std::u16string_view number, bool identified, const RuleValues& rules);

// The rule test of a missed call: every switched-on rule passes. With "Only
// numbers starting with" an empty list admits no number.
bool PassesRules(std::u16string_view number, bool identified, const RuleValues& rules);

} // namespace pelmora
