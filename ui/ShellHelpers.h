#pragma once

#include <string>
#include <string_view>

namespace pelmora {

// Starts the help viewer on `helpFile` at `topic` ("Main_Contents" when the
// topic is empty); the command line is "file:" name [".htm"] "#" topic.
bool LaunchHelp(std::u16string_view helpFile, std::u16string_view topic = {});

// The start-up entry that starts the program with `arguments` at every
// session start: "<name>.desktop" in the XDG autostart folder.
std::u16string GetAutorunShortcutPath(std::u16string_view name);
void CreateAutorunShortcut(std::u16string_view name, std::u16string_view arguments);
bool AutorunShortcutExists(std::u16string_view name);
void DeleteAutorunShortcut(std::u16string_view name);

} // namespace pelmora
