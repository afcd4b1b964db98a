#include "platform/storage/DataDirectory.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

namespace pelmora {

namespace {

// Creates every missing folder of `dir` with mode 0700, whatever the umask.
void CreatePrivateFolders(const std::filesystem::path& dir)
{
    std::filesystem::path made;
    for (const auto& part : dir) {
        made /= part;
        if (::mkdir(made.c_str(), 0700) == 0)
            ::chmod(made.c_str(), 0700);
    }
}

} // namespace

std::optional<std::filesystem::path> FindDataDirectory(std::string& problem)
{
    std::filesystem::path dir;
    bool own = true;
    if (const char* home = std::getenv("PELMORA_HOME"); home && *home) {
        dir = home;
        own = false;
    } else {
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
            dir = xdg;
        else if (const char* user = std::getenv("HOME"); user && *user)
            dir = std::filesystem::path(user) / ".local" / "share";
        else {
            problem = "neither HOME nor XDG_DATA_HOME is set, so there is no private folder "
                      "for Pelmora's data; set HOME (or PELMORA_HOME) and start again";
            return std::nullopt;
        }
        dir = dir / "Vantrel" / "Pelmora";
    }
    CreatePrivateFolders(dir);
    // The program's own folder is narrowed to its owner; a folder the user
    // named with PELMORA_HOME is left as the user set it.
    struct stat st { };
    if (own && ::stat(dir.c_str(), &st) == 0 && (st.st_mode & 077) != 0)
        ::chmod(dir.c_str(), st.st_mode & 0700);
    return dir;
}

std::filesystem::path DataDirectory()
{
    std::string problem;
    if (auto dir = FindDataDirectory(problem))
        return *dir;
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, problem.c_str());
    std::exit(2);
}

} // namespace pelmora
