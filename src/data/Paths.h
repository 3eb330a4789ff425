#pragma once
// Where the game's files live, and how the game's "\"-separated names meet the file system.

#include <filesystem>
#include <string_view>

namespace vlm::data {

// Turns every "\" of a name from a data file into "/". Nothing else changes.
std::filesystem::path ToNativePath(std::string_view gamePath);

// $XDG_DATA_HOME (or ~/.local/share when unset or not absolute) + "Quorvel Works/Velmora 2".
// When neither the variable nor a home folder can be found, the prefix is empty and the
// result is the relative path "Quorvel Works/Velmora 2".
std::filesystem::path DefaultAppDataFolder();

// The folder that holds the running executable (from /proc/self/exe).
std::filesystem::path ExecutableFolder();

} // namespace vlm::data
