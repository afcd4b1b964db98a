#pragma once

namespace pelmora {

// The program's icons and bitmaps, drawn at start-up rather than shipped as
// binary files.
void RegisterImages();
// The program icon and the logo, drawn in one palette so they match.
void RegisterProgramArt();

} // namespace pelmora
