// The screen choice of --screen and PELMORA_SCREEN, and the session's
// XDG_CURRENT_DESKTOP, XDG_SESSION_DESKTOP, PLASMA_PLATFORM and SXMO_WM:
// any texts, with any screen size.
#include "fuzz/FuzzSupport.h"
#include "platform/shell/ScreenMetrics.h"

using namespace pelmora;

namespace {
QString Text(std::string_view piece)
{
    return QString::fromStdU16String(fuzz::Utf16(piece));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const QSize available(data[0] * 8, data[1] * 8);
    const double millimetres = data[2];
    const auto pieces = fuzz::Pieces(data + 4, size - 4, 5);
    const QString choiceText = Text(pieces[0]);
    const SessionHints session {Text(pieces[1]), Text(pieces[2]), Text(pieces[3]), Text(pieces[4])};

    // A choice read is one of the three words, whatever blanks and case.
    const std::optional<ScreenChoice> choice = ParseScreenChoice(choiceText);
    if (choice) {
        const QString word = choiceText.trimmed().toLower();
        FUZZ_CHECK(word == QLatin1String("phone") || word == QLatin1String("simulated")
            || word == QLatin1String("auto"));
    }
    // A forced choice is obeyed, whatever the session and the screen say.
    const bool mobile = IsMobileShell(session);
    const ScreenChoice environment = choice.value_or(ScreenChoice::Automatic);
    const bool real = UsesRealScreen(ScreenChoice::Automatic, environment, available, session);
    if (environment == ScreenChoice::Automatic)
        FUZZ_CHECK(real == (mobile || IsPhoneSized(available)));
    else
        FUZZ_CHECK(real == (environment == ScreenChoice::Phone));
    FUZZ_CHECK(!UsesRealScreen(ScreenChoice::Simulated, environment, available, session));

    // Every density and scale is usable: a finger's 7 mm is 21 to 84 pixels.
    const double perMm = PhonePixelsPerMillimetre(available, {millimetres, millimetres * 2});
    FUZZ_CHECK(perMm >= 3 && perMm <= 12);
    const int finger = MillimetresToPixels(7, perMm);
    FUZZ_CHECK(finger >= 21 && finger <= 84);
    const double scale = PhoneDesignScale(available, data[3], UnitSize {});
    FUZZ_CHECK(scale > 0 && scale < 1e6);
    FUZZ_CHECK(SimulatedScreenScale(available.height()) >= 1);
    return 0;
}
