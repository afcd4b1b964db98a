#include "platform/storage/DataDirectory.h"

#include <cstdlib>
#include <system_error>

namespace pelmora {

std::filesystem::path DataDirectory()
{
    std::filesystem::path dir;
    if (const char* home = std::getenv("PELMORA_HOME"); home && *home) {
        dir = home;
    } else {
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
            dir = xdg;
        else if (const char* user = std::getenv("HOME"); user && *user)
            dir = std::filesystem::path(user) / ".local" / "share";
        else
            dir = std::filesystem::temp_directory_path();
        dir = dir / "Vantrel" / "Pelmora";
    }
    std::error_code ignored;
    std::filesystem::create_directories(dir, ignored);
    return dir;
}

} // namespace pelmora
