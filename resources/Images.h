#pragma once

namespace pelmora {

// The program's icons and bitmaps: SVG drawings compiled into the program
// (resources/images), and the application icon painted at start-up.
void RegisterImages();
// The program icon and the logo, drawn in one palette so they match.
void RegisterProgramArt();

} // namespace pelmora
