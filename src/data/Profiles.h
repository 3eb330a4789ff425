#pragma once
// Player profiles: one scrambled INI file per player in "Saves" under the application-data
// folder, with the player's name ("MAIN" "Name") and fifteen level save slots (sections "0" to
// "14"). A new profile is a copy of the default save beside the game ("Saves\tr\defaultsave.ini",
// scrambled too) with the new name written in. The current profile's file name is kept in
// "game.ini" ("PLAYER" "FileName").
//
// Every write replaces its file atomically, so a write cut short leaves the old file or the new
// one. A profile that cannot be read is named in a message, left as it is on disk and left out of
// the list; the other profiles stay usable.
#include <array>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "data/DataStore.h"
#include "data/Player.h"

namespace vlm::data {

inline constexpr int kSaveSlotCount = 15;
// Beside the game (resolved against the working folder, never looked up in the archive).
inline constexpr const char* kDefaultSaveFile = "\\Saves\\tr\\defaultsave.ini";
// The longest player name the name entry takes.
inline constexpr size_t kProfileNameLength = 16;

// One level save slot.
struct TSaves {
  bool Visible = false;
  std::string Title;
  std::string LogoName;
  int32_t Level = 0;
  int64_t Scores = 0;
  std::string Ship;      // the ship flown when the slot was written
  std::string TimeShip;  // the player's own ship while a level's time ship was flown, else empty
  double Health = 0.0;
  int32_t Armor = 0;
  int32_t Lifes = 0;
  int32_t BonusLifeIndex = 0;
  int32_t Points = 0;
};
using TSaveSlots = std::array<TSaves, kSaveSlotCount>;

// One entry of the profile list.
struct TProfile {
  std::string FileName;  // without folder
  std::string Name;
};

// The profile list and where the change-player screen stands in it.
struct TProfiles {
  std::vector<TProfile> List;
  int32_t Selected = 0;  // 1-based index of the current (highlighted) profile; 0 when none
  int32_t Scroll = 0;    // 0-based offset of the list's first shown row
  // Files already reported as damaged, so a rescan does not repeat the message.
  std::set<std::string> ReportedDamaged;
  // A write to the player's folder failed and the player was told; later failures go to stderr.
  bool WriteFailureReported = false;
};

// "<application-data folder>/Saves".
std::filesystem::path ProfilesFolder(const DataStore& store);
// A name that may stand for a profile file in "Saves": "*.ini", no folder part, no leading dot.
// A name from "game.ini" that is not such a name never reaches the file system.
bool IsProfileFileName(std::string_view fileName);

// Rebuilds the list from the "*.ini" files of "Saves", in name order. A file that cannot be read
// as a profile is left out (and left on disk) with a message naming it, once per file and run.
// `Selected` follows player.FileName; when no entry has that name the FileName is cleared.
// Returns the messages for the player.
std::vector<std::string> ScanProfiles(DataStore& store, TProfiles& profiles, TPlayer& player);

// Fills the slots and the player's name from a profile or the default save (`file` as the
// DataStore names files). All fifteen slots are hidden first; the consecutive sections "0", "1",
// ... whose "int" is an integer (at most 15) are then read. "Visible" 1 opens a slot, 0 hides it,
// any other integer leaves it as it was. "Ship" and "TimeShip" missing read as empty.
// Throws (ECryptError, EConvertError, DataError) for a damaged file, leaving `slots` and `player`
// as they were.
void LoadProfile(DataStore& store, std::string_view file, TSaveSlots& slots, TPlayer& player);
// LoadProfile of "Saves\<player.FileName>" under the application-data folder.
void LoadCurrentProfile(DataStore& store, TSaveSlots& slots, TPlayer& player);

// Writes one slot of the profile `fileName` in one atomic replacement: "Scores", "Health",
// "Armor", "TimeShip", "Ship", "Visible" = 1, "Lifes", "BonusLifeIndex", "points" from `values`.
// Throws EWriteError (the file is then as it was) or ECryptError for a damaged profile.
void SaveSlot(DataStore& store, const std::string& fileName, int slot, const TSaves& values);

// The name of a profile made at `when`: date and time with "_" between the fields and ".ini",
// "2026_12_10_15_02_23.ini"; with `serial` > 1 "_<serial>" goes before ".ini".
std::string ProfileFileName(const std::tm& when, int serial = 1);

// What CreateProfile did.
struct TProfileCreation {
  bool Created = false;              // the file was written and is the current profile
  std::vector<std::string> Messages; // for the player: an unusable default save, a failed write
};

// A new profile named `name` from the default save: written under a file name no other profile
// has (never over an existing file), made current, the list rescanned, "game.ini" told, the
// profile loaded. A default save that is missing or damaged is reported and a save with the
// first level open is used instead. When "Saves" cannot be written the player plays on with the
// name and the default slots in memory and no profile file (player.FileName empty).
TProfileCreation CreateProfile(DataStore& store, TProfiles& profiles, TPlayer& player, TSaveSlots& slots,
                               const std::string& name, const std::tm& when);

// Makes the first listed profile current (FileName and Name); nothing when the list is empty.
void SelectFirstProfile(TProfiles& profiles, TPlayer& player);

// Removes "Saves\<fileName>". Throws EWriteError when it cannot.
void DeleteProfile(DataStore& store, const std::string& fileName);

// Writes "PLAYER" "FileName" into the user's "game.ini". Throws EWriteError / DataError.
void RememberCurrentProfile(DataStore& store, const std::string& fileName);

// Scrolls the list so that the selected profile is among the nine rows shown.
void ScrollToSelected(TProfiles& profiles);
inline constexpr int32_t kProfileRows = 9;

}  // namespace vlm::data
