// Variable expansion: a template's text (typed, or read from the templates
// file) and a caller's name parts (from any address book): any texts.
#include "fuzz/FuzzSupport.h"
#include "messages/VariableExpansion.h"
#include "settings/SettingsRecord.h"

#include <algorithm>

using namespace pelmora;

namespace {

size_t Occurrences(std::u16string_view text, std::u16string_view name)
{
    size_t count = 0;
    for (size_t at = text.find(name); at != std::u16string_view::npos;
         at = text.find(name, at + name.size()))
        ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t options = data[0];
    const auto pieces = fuzz::Pieces(data + 1, size - 1, 7);
    const std::u16string templateText = fuzz::Utf16(pieces[0]);
    const fuzz::ExactText text(templateText);

    ContactNameParts caller;
    caller.title = fuzz::Utf16(pieces[1]);
    caller.firstName = fuzz::Utf16(pieces[2]);
    caller.middleName = fuzz::Utf16(pieces[3]);
    caller.lastName = fuzz::Utf16(pieces[4]);
    caller.suffix = fuzz::Utf16(pieces[5]);
    SettingsRecord settings;
    settings.removeSpaceAfterEmpty = options & 1;
    // The replacement words as a settings file may hold them: the name
    // parts cut to the field, with or without a terminator.
    const std::u16string* parts[] = {&caller.title, &caller.firstName, &caller.middleName,
        &caller.lastName, &caller.suffix, &caller.title};
    for (size_t i = 0; i < settings.replacement.size(); ++i) {
        auto& units = settings.replacement[i].units;
        const size_t n = std::min(parts[i]->size(), units.size());
        std::copy_n(parts[i]->begin(), n, units.begin());
    }
    if (options & 2) {
        caller.firstName.clear();
        caller.lastName.clear();
    }

    const std::u16string expanded = ExpandVariables(text.View(), caller, settings);
    // Only variables change: a text without a "[" is sent as it is.
    if (templateText.find(u'[') == std::u16string::npos)
        FUZZ_CHECK(expanded == templateText);

    // One variable by name: every occurrence, left to right, replaced once.
    const std::u16string nameText = fuzz::Utf16(pieces[6]);
    const fuzz::ExactText name(nameText);
    const fuzz::ExactText value(caller.title);
    std::u16string replaced(templateText);
    ReplaceVariable(replaced, name.View(), value.View(), 0);
    if (!nameText.empty()) {
        const size_t count = Occurrences(templateText, nameText);
        FUZZ_CHECK(replaced.size()
            == templateText.size() - count * nameText.size() + count * caller.title.size());
        if (count == 0)
            FUZZ_CHECK(replaced == templateText);
    } else {
        FUZZ_CHECK(replaced == templateText);
    }

    const MessageLengthEstimate measured = MeasureMessage(expanded);
    FUZZ_CHECK(measured.length == static_cast<int>(expanded.size()));
    FUZZ_CHECK(measured.maximum
        == (measured.lengthClass == 2       ? 70
                : measured.lengthClass == 1 ? 140
                                            : 160));
    const MessageLengthEstimate estimate = EstimateMessageLength(text.View());
    FUZZ_CHECK(estimate.length >= 0);
    return 0;
}
