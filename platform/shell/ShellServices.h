#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace pelmora {

// The name the desktop knows the program by: its desktop entry, metainfo and
// icon are installed under it, and windows carry it as their application id.
inline constexpr char kApplicationId[] = "com.vantrel.Pelmora";

// Process creation as the shell offers it: a program name and a command line.
// The phone's help viewer "peghelp.exe" is the program's own viewer
// (CHelpViewer), which opens the installed help file at the topic.
bool CreateProcess(const std::u16string& program, const std::u16string& commandLine);

// Tests see the processes the program would start instead of starting them.
using ProcessLauncher
    = std::function<bool(const std::u16string& program, const std::u16string& commandLine)>;
void SetProcessLauncher(ProcessLauncher launcher);

// The help file of that name: beside the program (the build tree), or in the
// installed data folder (share/pelmora beside the program's bin folder).
// Empty when it is in neither. `programDir` is the running program's folder
// unless given.
std::filesystem::path FindInstalledHelpFile(
    const std::u16string& name, const std::filesystem::path& programDir = {});

// The folder whose entries run at every start of the session: the XDG
// autostart folder; empty when the session has none (no absolute
// XDG_CONFIG_HOME or HOME).
std::filesystem::path StartupFolder();
// The running program's full path.
std::filesystem::path ProgramPath();

} // namespace pelmora
