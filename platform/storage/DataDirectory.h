#pragma once

#include <filesystem>

namespace pelmora {

// The folder that holds the four data files and the outbox: PELMORA_HOME when
// set, else "Vantrel/Pelmora" under the XDG data home. Created when missing.
std::filesystem::path DataDirectory();

} // namespace pelmora
