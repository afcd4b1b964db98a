#pragma once

namespace pelmora {

// The program's icons and bitmaps, drawn at start-up rather than shipped as
// binary files.
void RegisterImages();

} // namespace pelmora
