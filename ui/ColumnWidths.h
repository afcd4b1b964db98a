#pragma once

#include <string_view>

namespace pelmora {

// Reads a text of comma-separated decimal widths into `widths` (which holds
// `count` places); true only when it holds exactly `count` numbers. The text
// is a remembered setting, so it may hold anything.
bool ParseColumnWidths(std::u16string_view text, int* widths, int count);

} // namespace pelmora
