#include "data/Paths.h"

#include <cstdlib>
#include <string>
#include <string_view>
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

namespace {

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::filesystem::path MatchCaseOnDisk(const std::filesystem::path& base, const std::filesystem::path& relative)
{
    std::filesystem::path result = base;
    bool onDisk = true; // every part so far exists, so the next one can be looked for
    for (const std::filesystem::path& part : relative) {
        const std::string name = part.string();
        if (!onDisk || name.empty() || name == "." || name == "..") {
            result /= part;
            continue;
        }
        std::error_code ec;
        if (std::filesystem::exists(result / part, ec)) {
            result /= part;
            continue;
        }
        std::string found;
        for (std::filesystem::directory_iterator it(result.empty() ? "." : result, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string entry = it->path().filename().string();
            if (SameIgnoringAsciiCase(entry, name) && (found.empty() || entry < found))
                found = entry;
        }
        if (found.empty()) {
            onDisk = false;
            result /= part;
        } else {
            result /= found;
        }
    }
    return result;
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

std::filesystem::path GameDataFolder(const std::filesystem::path& exeFolder)
{
    std::error_code ec;
    if (std::filesystem::is_regular_file(exeFolder / "original.vlm", ec))
        return exeFolder;
    const std::filesystem::path installed = exeFolder.parent_path() / "share" / "velmora2";
    if (std::filesystem::is_regular_file(installed / "original.vlm", ec))
        return installed;
    return exeFolder;
}

} // namespace vlm::data
