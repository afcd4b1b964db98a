// The screen choice of --screen and PELMORA_SCREEN, and the session's
// XDG_CURRENT_DESKTOP, XDG_SESSION_DESKTOP, PLASMA_PLATFORM and SXMO_WM:
// any texts, with any screen size; and the texts a user gives for a phone's
// screen (pelmora-sim --screen-size) and for a schedule window's times.
#include "app/SimScript.h"
#include "fuzz/FuzzSupport.h"
#include "platform/shell/ScreenMetrics.h"
#include "schedule/WeeklySchedule.h"

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

    // Every density and scale is usable: a finger's 7 mm is 21 to 140 pixels
    // (a dense phone at scale 1 reports up to 20 pixels a millimetre).
    const double perMm = PhonePixelsPerMillimetre(available, {millimetres, millimetres * 2});
    FUZZ_CHECK(perMm >= 3 && perMm <= 20);
    const int finger = MillimetresToPixels(7, perMm);
    FUZZ_CHECK(finger >= 21 && finger <= 140);
    const double scale = PhoneDesignScale(available, data[3], UnitSize {});
    FUZZ_CHECK(scale > 0 && scale < 1e6);
    FUZZ_CHECK(SimulatedScreenScale(available.height()) >= 1);

    // A phone's screen read is whole logical pixels, its shorter side a phone's.
    if (const auto phone = sim::ParsePhoneScreen(choiceText)) {
        const QSize logical = phone->Logical();
        FUZZ_CHECK(logical * phone->scale == phone->pixels);
        FUZZ_CHECK(std::min(logical.width(), logical.height()) >= 240);
        FUZZ_CHECK(std::min(logical.width(), logical.height()) <= 540);
    }
    // A typed time is a minute of the day, and its HH:MM reads back the same.
    if (const auto minute = MinuteFromTyped(choiceText)) {
        FUZZ_CHECK(*minute >= 0 && *minute < 24 * 60);
        FUZZ_CHECK(MinuteFromTyped(MinuteText(*minute)) == minute);
    }
    return 0;
}
