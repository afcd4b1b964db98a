#include "platform/shell/ShellServices.h"

#include "platform/shell/HelpViewer.h"

#include <QCoreApplication>
#include <QString>

#include <cstdlib>

namespace pelmora {

namespace {
// Where the installed help lies, relative to the installed program's folder;
// the build computes it from its install layout.
constexpr char kInstalledHelpDir[] = PELMORA_INSTALLED_HELP_DIR;

ProcessLauncher& Launcher()
{
    static ProcessLauncher launcher;
    return launcher;
}

bool OpenHelp(const std::u16string& commandLine)
{
    // "file:" name "#" topic
    const QString line = QString::fromStdU16String(commandLine);
    if (!line.startsWith(QStringLiteral("file:")))
        return false;
    const qsizetype hash = line.indexOf(u'#');
    const QString name = line.mid(5, hash < 0 ? -1 : hash - 5);
    const QString topic = hash < 0 ? QString() : line.mid(hash + 1);
    const std::filesystem::path file = FindInstalledHelpFile(name.toStdU16String());
    if (file.empty())
        return false;
    // The program's own viewer: nothing depends on a browser being set up.
    CHelpViewer::Open(file, topic);
    return true;
}
} // namespace

void SetProcessLauncher(ProcessLauncher launcher)
{
    Launcher() = std::move(launcher);
}

bool CreateProcess(const std::u16string& program, const std::u16string& commandLine)
{
    if (Launcher())
        return Launcher()(program, commandLine);
    if (program == u"peghelp.exe")
        return OpenHelp(commandLine);
    return false;
}

std::filesystem::path ProgramPath()
{
    return QCoreApplication::applicationFilePath().toStdString();
}

std::filesystem::path FindInstalledHelpFile(
    const std::u16string& name, const std::filesystem::path& programDir)
{
    const std::filesystem::path dir = programDir.empty() ? ProgramPath().parent_path() : programDir;
    const std::filesystem::path fileName = QString::fromStdU16String(name).toStdString();
    for (const std::filesystem::path& candidate :
        {dir / fileName, dir / kInstalledHelpDir / fileName}) {
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error))
            return std::filesystem::weakly_canonical(candidate, error);
    }
    return {};
}

std::filesystem::path StartupFolder()
{
    // A relative folder would depend on where the program was started, and
    // the session never looks there: such values do not count.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::filesystem::path(config) / "autostart";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / ".config" / "autostart";
    return {};
}

} // namespace pelmora
