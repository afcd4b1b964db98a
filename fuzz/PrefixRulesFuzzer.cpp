// The prefix lists of the rule pages (typed by the user or read from a
// settings file), the international prefix, the caller ID the network
// delivered and the modem's operator code and SIM numbers: any texts.
#include "fuzz/FuzzSupport.h"
#include "platform/contacts/ContactCard.h"
#include "platform/modem/CallingCodes.h"
#include "rules/RuleTest.h"

#include <algorithm>

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t switches = data[0];
    const auto pieces = fuzz::Pieces(data + 1, size - 1, 3);
    const std::u16string numberText = fuzz::Utf16(pieces[0]);
    const std::u16string excludeText = fuzz::Utf16(pieces[1]);
    const std::u16string includeText = fuzz::Utf16(pieces[2]);
    const fuzz::ExactText number(numberText);
    const fuzz::ExactText exclude(excludeText);

    // The pieces are the list without its separators, none empty.
    const auto split = SplitPrefixList(exclude.View());
    std::u16string joined;
    for (const std::u16string& piece : split) {
        FUZZ_CHECK(!piece.empty());
        FUZZ_CHECK(piece.find_first_of(u",;") == std::u16string::npos);
        joined += piece;
    }
    std::u16string bare = excludeText;
    std::erase_if(bare, [](char16_t c) { return c == u',' || c == u';'; });
    FUZZ_CHECK(joined == bare);

    // The first listed prefix is a prefix of the number, and no earlier
    // piece is one.
    const auto first = FirstListedPrefix(number.View(), exclude.View());
    FUZZ_CHECK(first.has_value() == StartsWithListedPrefix(number.View(), exclude.View()));
    const auto firstAt = std::find_if(split.begin(), split.end(),
        [&](const std::u16string& piece) { return number.View().starts_with(piece); });
    FUZZ_CHECK(first.has_value() == (firstAt != split.end()));
    if (first)
        FUZZ_CHECK(*first == *firstAt);

    RuleValues rules;
    rules.excludeInternational = switches & 1;
    rules.excludeUnidentified = switches & 2;
    rules.excludeStartingWith = switches & 4;
    rules.includeOnlyStartingWith = switches & 8;
    const bool identified = switches & 16;
    rules.excludePrefixes = excludeText;
    rules.includePrefixes = includeText;
    if (switches & 32)
        rules.homePrefix = includeText;
    const auto outcomes = TestRules(number.View(), identified, rules);
    const bool passes = PassesRules(number.View(), identified, rules);
    FUZZ_CHECK(passes
        == std::all_of(outcomes.begin(), outcomes.end(), [](const auto& o) { return o.passed; }));
    const auto on = static_cast<size_t>(rules.excludeInternational + rules.excludeUnidentified
        + rules.excludeStartingWith + rules.includeOnlyStartingWith);
    FUZZ_CHECK(outcomes.size() == on);
    for (const RuleOutcome& outcome : outcomes)
        FUZZ_CHECK(outcome.piece.empty() || number.View().starts_with(outcome.piece));

    // A home number is what follows a "+" country code the number begins with.
    const std::u16string_view home = HomeNationalNumber(number.View(), includeText);
    if (!home.empty())
        FUZZ_CHECK(includeText.size() > 1 && includeText[0] == u'+'
            && number.View() == includeText + std::u16string(home));

    // The home country is a known code, and one the SIM's number begins with
    // when it was found there.
    const QString sim = QString::fromStdU16String(numberText);
    if (const auto country = HomeCountryOf(QString::fromStdU16String(excludeText), {sim})) {
        FUZZ_CHECK(country->callingCode.startsWith(QLatin1Char('+')));
        FUZZ_CHECK(country->foundFrom.startsWith(QStringLiteral("the network"))
            || sim.startsWith(country->callingCode));
    }
    return 0;
}
