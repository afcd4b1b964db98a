#include "platform/shell/ScreenMetrics.h"

#include <QList>
#include <QtGlobal>

#include <algorithm>
#include <array>
#include <cmath>

namespace pelmora {

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kTypicalPhoneDpi = 140.0;
constexpr double kDesktopDpi = 96.0;
constexpr double kNarrowestPhoneMm = 45.0;
constexpr double kWidestPhoneMm = 85.0;
// 76 to 305 logical pixels per inch: what phone shells choose their scale for.
constexpr double kLeastPixelsPerMm = 3.0;
constexpr double kMostPixelsPerMm = 20.0;
// 360 logical pixels across this width are the typical 140 per inch.
constexpr double kTypicalPhoneWidthMm = 360.0 / (kTypicalPhoneDpi / kMillimetresPerInch);

// Portrait templates are at most 160 x 224 units, landscape pages 212 x 160.
constexpr double kPortraitWidthDu = 160;
constexpr double kPortraitHeightDu = 224;
constexpr double kLandscapeWidthDu = 212;

bool NamesMobileShell(QStringView name)
{
    constexpr std::array<const char*, 5> kShells
        = {"phosh", "plasma-mobile", "plasmamobile", "sxmo", "lomiri"};
    const QString lower = name.trimmed().toString().toLower();
    return std::any_of(kShells.begin(), kShells.end(),
        [&lower](const char* shell) { return lower == QLatin1String(shell); });
}

} // namespace

std::optional<ScreenChoice> ParseScreenChoice(QStringView text)
{
    const QString word = text.trimmed().toString().toLower();
    if (word == QLatin1String("phone"))
        return ScreenChoice::Phone;
    if (word == QLatin1String("simulated"))
        return ScreenChoice::Simulated;
    if (word == QLatin1String("auto"))
        return ScreenChoice::Automatic;
    return std::nullopt;
}

SessionHints SessionHints::FromEnvironment()
{
    return {qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
        qEnvironmentVariable("XDG_SESSION_DESKTOP"), qEnvironmentVariable("PLASMA_PLATFORM"),
        qEnvironmentVariable("SXMO_WM")};
}

bool IsMobileShell(const SessionHints& session)
{
    for (QStringView name : QStringView(session.currentDesktop).split(u':'))
        if (NamesMobileShell(name))
            return true;
    if (NamesMobileShell(session.sessionDesktop))
        return true;
    // Plasma Mobile runs as "KDE" and tells its form factor here.
    const QString platform = session.plasmaPlatform.toLower();
    if (platform.startsWith(QLatin1String("phone")) || platform.contains(QLatin1String("handset")))
        return true;
    return !session.sxmoWm.trimmed().isEmpty();
}

bool IsPhoneSized(QSize available)
{
    const int shorter = std::min(available.width(), available.height());
    return shorter > 0 && shorter <= kPhoneShorterSide;
}

bool UsesRealScreen(
    ScreenChoice option, ScreenChoice environment, QSize available, const SessionHints& session)
{
    for (ScreenChoice choice : {option, environment})
        if (choice != ScreenChoice::Automatic)
            return choice == ScreenChoice::Phone;
    return IsPhoneSized(available) || IsMobileShell(session);
}

double PhonePixelsPerMillimetre(QSize logical, QSizeF physicalMillimetres)
{
    const double shorterPx = std::min(logical.width(), logical.height());
    const double shorterMm = std::min(physicalMillimetres.width(), physicalMillimetres.height());
    // NaN fails the comparisons and falls back too.
    if (shorterMm >= kNarrowestPhoneMm && shorterMm <= kWidestPhoneMm) {
        const double density = shorterPx / shorterMm;
        if (density >= kLeastPixelsPerMm && density <= kMostPixelsPerMm)
            return density;
    }
    // No size of its own: a typical phone's width, so the density follows
    // the shell's scale (720 pixels across at scale 1 are twice as dense as
    // 360 at scale 2), within what phones have.
    if (shorterPx > 0)
        return std::clamp(shorterPx / kTypicalPhoneWidthMm, kLeastPixelsPerMm, kMostPixelsPerMm);
    return kTypicalPhoneDpi / kMillimetresPerInch;
}

double SimulatedPixelsPerMillimetre(double scale)
{
    return kDesktopDpi / kMillimetresPerInch * std::max(scale, 1.0);
}

int MillimetresToPixels(double millimetres, double pixelsPerMillimetre)
{
    return static_cast<int>(std::lround(millimetres * pixelsPerMillimetre));
}

double SimulatedScreenScale(int availableHeight, double desktopFontPixels)
{
    constexpr int kScreenAndBars = 640;
    const int whole = std::max(1, availableHeight / kScreenAndBars);
    // The screen, its menu bar and the window's frame within the monitor.
    constexpr double kScreenBarsAndFrame = 400;
    const double fits = availableHeight / kScreenBarsAndFrame;
    const double readable = std::min(desktopFontPixels / kDesignFontPixels, fits);
    return std::max<double>(whole, readable);
}

double PhoneDesignScale(QSize available, int chrome, UnitSize design, int landscapeHeightDu)
{
    const double width = available.width();
    const double height = std::max(available.height() - chrome, 1);
    const bool landscape = available.width() > available.height();
    const double across = landscape ? kLandscapeWidthDu : kPortraitWidthDu;
    const double down = landscape ? landscapeHeightDu : kPortraitHeightDu;
    const double scale = std::min(width / (across * design.x), height / (down * design.y));
    return scale > 0 ? scale : 1.0;
}

} // namespace pelmora
