#pragma once

class QAbstractScrollArea;

namespace pelmora::dlg {

// Kinetic scrolling for every list, text view and scrolling dialog of the
// program: a finger's swipe moves the view and lets it glide, a tap still
// selects, a tap-and-hold still opens the menu. On a phone's own screen a
// mouse drag swipes too, as a phone shell may hand a touch over as one.
// Installed once; each scrolling view takes it as it is first shown.
void InstallTouchScrolling();

// The same for one view, now: with `mouseToo` a drag with the left button
// swipes as well.
void EnableTouchScrolling(QAbstractScrollArea* area, bool mouseToo);

} // namespace pelmora::dlg
