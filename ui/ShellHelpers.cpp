#include "ui/ShellHelpers.h"

#include "platform/framework/MessageBox.h"
#include "platform/shell/Notifications.h"
#include "platform/shell/ShellServices.h"
#include "platform/storage/DataFile.h"
#include "platform/storage/FixedText.h"

#include <QString>

#include <filesystem>

namespace pelmora {

namespace {

constexpr size_t kCommandLineChars = 260;
constexpr size_t kAppendChars = 250;

// Appends at most 250 characters, keeping the whole within the 260-character
// buffer (with its terminator).
void Append(std::u16string& buffer, std::u16string_view text)
{
    text = CutWhole(text, kAppendChars);
    const size_t room = kCommandLineChars - 1 - buffer.size();
    buffer.append(CutWhole(text, room));
}

std::filesystem::path ToPath(std::u16string_view text)
{
    return QString::fromStdU16String(std::u16string(text)).toStdString();
}

// A desktop entry's Exec value quotes its arguments; inside quotes these four
// characters are escaped, and every backslash is doubled once more because
// the value is itself a string of the file.
std::string QuoteExecArgument(const std::string& path)
{
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$')
            quoted += "\\\\";
        else if (c == '\\')
            quoted += "\\\\\\";
        quoted += c;
    }
    return quoted + "\"";
}

} // namespace

bool AddNotification(std::u16string_view title, std::u16string_view html, const QIcon& icon,
    uint32_t durationSeconds, QWidget* sink, uint32_t id)
{
    SHNOTIFICATIONDATA data;
    data.cbStruct = SHNOTIFICATIONDATA::kSize;
    data.dwID = id;
    data.npPriority = SHNOTIFICATIONDATA::SHNP_INFORM;
    data.csDuration = durationSeconds;
    data.hicon = icon;
    data.grfFlags = SHNOTIFICATIONDATA::SHNF_FORCEMESSAGE;
    data.clsid = kNotificationClass;
    data.hwndSink = sink;
    data.pszHTML = QString::fromStdU16String(std::u16string(html));
    data.pszTitle = QString::fromStdU16String(std::u16string(title));
    data.lParam = 0;
    return SHNotificationAdd(data);
}

bool RemoveNotification(uint32_t id)
{
    return SHNotificationRemove(kNotificationClass, id);
}

bool LaunchHelp(std::u16string_view helpFile, std::u16string_view topic)
{
    std::u16string commandLine;
    Append(commandLine, u"file:");
    Append(commandLine, helpFile);
    if (helpFile.find(u".htm") == std::u16string_view::npos)
        Append(commandLine, u".htm");
    Append(commandLine, u"#");
    Append(commandLine, topic.empty() ? std::u16string_view(u"Main_Contents") : topic);
    return CreateProcess(u"peghelp.exe", commandLine);
}

std::u16string GetAutorunShortcutPath(std::u16string_view name)
{
    const std::filesystem::path folder = StartupFolder();
    // Without a startup folder a bare file name would land in the current
    // directory, where nothing ever starts it.
    if (folder.empty())
        return {};
    return QString::fromStdString((folder / (ToPath(name).string() + ".desktop")).string())
        .toStdU16String();
}

void CreateAutorunShortcut(std::u16string_view name, std::u16string_view arguments)
{
    const std::filesystem::path path = ToPath(GetAutorunShortcutPath(name));
    if (path.empty())
        return;
    std::error_code error;
    // A fresh session may not have the folder yet; without it the entry
    // could not be written at all.
    std::filesystem::create_directories(path.parent_path(), error);
    const std::string target = QuoteExecArgument(ProgramPath().string()) + " "
        + QString::fromStdU16String(std::u16string(arguments)).toStdString();
    const std::string entry = "[Desktop Entry]\n"
                              "Type=Application\n"
                              "Name="
        + QString::fromStdU16String(dlg::AppTitle()).toStdString()
        + "\n"
          "Comment=Answers missed calls with a text message\n"
          "Exec="
        + target
        + "\n"
          "Terminal=false\n"
          "X-GNOME-Autostart-enabled=true\n";
    WriteFileSafely(path, std::span(reinterpret_cast<const uint8_t*>(entry.data()), entry.size()));
}

bool AutorunShortcutExists(std::u16string_view name)
{
    std::error_code error;
    const std::filesystem::path path = ToPath(GetAutorunShortcutPath(name));
    return !path.filename().empty() && std::filesystem::exists(path, error);
}

void DeleteAutorunShortcut(std::u16string_view name)
{
    const std::filesystem::path path = ToPath(GetAutorunShortcutPath(name));
    std::error_code error;
    if (!path.empty())
        std::filesystem::remove(path, error);
}

} // namespace pelmora
