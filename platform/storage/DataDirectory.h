#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace pelmora {

// The folder that holds the four data files and the outbox: PELMORA_HOME when
// set, else "Vantrel/Pelmora" under the XDG data home (XDG_DATA_HOME, else
// ~/.local/share). Without any of them there is none: private data is never
// kept in a folder every user shares, such as /tmp; `problem` says why.
// A missing folder is created private (0700), and so is the program's own
// "Vantrel/Pelmora" when it was made wider.
std::optional<std::filesystem::path> FindDataDirectory(std::string& problem);

// FindDataDirectory for the programs: without a data folder it says so on
// stderr and ends the program (status 2).
std::filesystem::path DataDirectory();

} // namespace pelmora
