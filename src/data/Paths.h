#pragma once
// Where the game's files live, and how the game's "\"-separated names meet the file system.

#include <filesystem>
#include <string_view>

namespace vlm::data {

// Turns every "\" of a name from a data file into "/". Nothing else changes.
std::filesystem::path ToNativePath(std::string_view gamePath);

// base / relative, each part of relative spelt as the file system spells it: the game's files
// name their data without regard to case ("data\t_data\hints.ini" is "Data/T_Data/Hints.ini"),
// as the system they were written for did. A part spelt exactly as on disk is taken as it is;
// otherwise the first entry of the folder (in name order) that differs only in ASCII case;
// a part with no such entry, and everything after it, stays as given, so a new file gets the
// name the game gives it.
std::filesystem::path MatchCaseOnDisk(const std::filesystem::path& base, const std::filesystem::path& relative);

// $XDG_DATA_HOME (or ~/.local/share when unset or not absolute) + "Quorvel Works/Velmora 2".
// When neither the variable nor a home folder can be found, the prefix is empty and the
// result is the relative path "Quorvel Works/Velmora 2".
std::filesystem::path DefaultAppDataFolder();

// The folder that holds the running executable (from /proc/self/exe).
std::filesystem::path ExecutableFolder();

// Where the game's content is: the executable's folder when "original.vlm" is beside it (the
// build tree), else <prefix>/share/velmora2 of an installed game (bin/ beside share/), else
// the executable's folder (and the game reports the missing archive there).
std::filesystem::path GameDataFolder(const std::filesystem::path& exeFolder);

} // namespace vlm::data
