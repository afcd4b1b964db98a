#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringView>

#include <optional>

namespace pelmora {

// Which screen the program lays itself out for: the real one on a phone, a
// simulated 240 x 320 phone screen on a desktop. Automatic decides from the
// screen and the session.
enum class ScreenChoice { Automatic, Phone, Simulated };

// "phone", "simulated" or "auto" (any case, blanks around ignored), as
// --screen and PELMORA_SCREEN give it; nothing for any other text.
std::optional<ScreenChoice> ParseScreenChoice(QStringView text);

// What the session says about its shell.
struct SessionHints {
    QString currentDesktop; // XDG_CURRENT_DESKTOP, names separated by ':'
    QString sessionDesktop; // XDG_SESSION_DESKTOP
    QString plasmaPlatform; // PLASMA_PLATFORM, "phone:handset" on Plasma Mobile
    QString sxmoWm; // SXMO_WM, set by sxmo

    static SessionHints FromEnvironment();
};

// A shell made for phones: Phosh, Plasma Mobile, sxmo, Lomiri.
bool IsMobileShell(const SessionHints& session);

// The shorter side, in logical pixels, up to which a screen is a phone's.
constexpr int kPhoneShorterSide = 540;
bool IsPhoneSized(QSize available);

// The option wins over the environment, the environment over what the
// screen and the session look like.
bool UsesRealScreen(
    ScreenChoice option, ScreenChoice environment, QSize available, const SessionHints& session);

// Logical pixels per millimetre of a phone screen: from its physical size
// where that is a phone's (45 to 85 mm across the shorter side, 3 to 20
// pixels a millimetre), else the shorter side taken as a typical phone's
// 65 mm, so that the density follows the shell's scale (360 pixels across
// are about 140 per inch, as on most Linux phones at scale 2 or 3).
double PhonePixelsPerMillimetre(QSize logical, QSizeF physicalMillimetres);
// The simulated screen is a 96-dpi design drawn at `scale`.
double SimulatedPixelsPerMillimetre(double scale);
int MillimetresToPixels(double millimetres, double pixelsPerMillimetre);

// The scale the simulated screen (320 high, a menu bar above it) is drawn at
// on a monitor whose available height is `availableHeight`: a whole number
// that takes at most about half of the height, raised by a fraction where
// the desktop's font (`desktopFontPixels` high) is larger than the design's
// 10 pixels, so that no text is smaller than the desktop's own, as long as
// the screen still fits on the monitor; never less than its own size.
constexpr double kDesignFontPixels = 10.0;
double SimulatedScreenScale(int availableHeight, double desktopFontPixels = kDesignFontPixels);

// Pixels per dialog unit at the design's own size.
struct UnitSize {
    double x = 1.5;
    double y = 1.375;
};

// The scale of the design on a phone screen of `available` logical pixels,
// `chrome` of whose height the window's own bars take: in portrait the
// portrait templates (160 x 224 units) fill the width, in landscape the
// landscape templates (212 units wide, pages 160 high, dialogs 164) fill
// the height left by the bars.
constexpr int kLandscapePageHeightDu = 160;
constexpr int kLandscapeDialogHeightDu = 164;
double PhoneDesignScale(
    QSize available, int chrome, UnitSize design, int landscapeHeightDu = kLandscapePageHeightDu);

} // namespace pelmora
