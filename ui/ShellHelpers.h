#pragma once

#include "platform/shell/Notifications.h"

#include <cstdint>
#include <string>
#include <string_view>

class QIcon;
class QWidget;

namespace pelmora {

// Starts the help viewer on `helpFile` at `topic` ("Main_Contents" when the
// topic is empty); the command line is "file:" name [".htm"] "#" topic.
bool LaunchHelp(std::u16string_view helpFile, std::u16string_view topic = {});
// The program's help file, passed without a directory.
inline constexpr char16_t kHelpFile[] = u"pelmora.htm";

// The start-up entry that starts the program with `arguments` at every
// session start: "<name>.desktop" in the XDG autostart folder. Without such
// a folder the path is empty, no entry is made and none exists.
std::u16string GetAutorunShortcutPath(std::u16string_view name);
void CreateAutorunShortcut(std::u16string_view name, std::u16string_view arguments);
bool AutorunShortcutExists(std::u16string_view name);
void DeleteAutorunShortcut(std::u16string_view name);

// The program's own class of notifications; the same for adding and removing.
inline constexpr NotificationClassId kNotificationClass
    = {0x6a1f4c2e, 0x9b3d, 0x4e57, {0x8c, 0x21, 0x5d, 0x0e, 0x73, 0xa4, 0xb9, 0x12}};

// The notification bubble: an HTML text whose buttons
// (<input type=button name='cmd:N' value='Label'>) send command N to `sink`.
bool AddNotification(std::u16string_view title, std::u16string_view html, const QIcon& icon,
    uint32_t durationSeconds, QWidget* sink, uint32_t id);
bool RemoveNotification(uint32_t id);

} // namespace pelmora
