#include "data/Paths.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace vlm::data {

std::filesystem::path ToNativePath(std::string_view gamePath)
{
    std::string text(gamePath);
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
    return std::filesystem::path(text);
}

std::filesystem::path DefaultAppDataFolder()
{
    const std::filesystem::path below = std::filesystem::path("Quorvel Works") / "Velmora 2";
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / below;

    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            home = pw->pw_dir;
    }
    if (home && *home)
        return std::filesystem::path(home) / ".local" / "share" / below;
    return below;
}

std::filesystem::path ExecutableFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty())
        return std::filesystem::current_path(ec);
    return exe.parent_path();
}

} // namespace vlm::data
