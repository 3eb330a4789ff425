// Player profiles: loading the slots, writing one slot, making, listing and deleting profiles,
// and what happens to the player's files when a profile is damaged, two are made in one second,
// the folder cannot be written, or the game is killed in the middle of a save.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "data/DataStore.h"
#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/IniText.h"
#include "data/Profiles.h"
#include "data/Scramble.h"
#include "TempFolder.h"

namespace vlm::data {
namespace {

using vlm::testing::ReadFile;
using vlm::testing::TempFolder;
using vlm::testing::WriteFile;

// One slot's lines as a profile stores them.
std::string SlotText(int slot, int visible, const std::string& extra = {}) {
  return "[" + std::to_string(slot) + "]\nint=1\nVisible=" + std::to_string(visible) + "\nTitle=level " +
         std::to_string(slot + 1) + "\nLogoName=Level" + std::to_string(slot + 1) + "Logo\nLevel=" +
         std::to_string(slot + 1) +
         "\nScores=100\nShip=01_01_00_00_01_00_00_00_00_06\nTimeShip=\nHealth=100\nArmor=0\nLifes=3\n"
         "BonusLifeIndex=1\npoints=0\n" + extra;
}

// Plain INI text scrambled line by line, as the game keeps its saves.
std::string Scrambled(const std::string& plain) {
  std::vector<std::string> lines = SplitLines(plain);
  ScrambleLines(lines);
  return JoinLines(lines, "\r\n");
}

std::string ProfileText(const std::string& name, int slots, int visibleUpTo = 1) {
  std::string text = "[MAIN]\nName=" + name + "\n";
  for (int i = 0; i < slots; ++i) text += SlotText(i, i < visibleUpTo ? 1 : 0);
  return text;
}

std::tm At(int h, int m, int s) {
  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 10;
  t.tm_hour = h;
  t.tm_min = m;
  t.tm_sec = s;
  return t;
}

class Profiles : public ::testing::Test {
 protected:
  Profiles() : store(folder / "game", folder / "user") {
    std::filesystem::create_directories(folder / "game");
    std::filesystem::create_directories(folder / "user" / "Saves");
  }
  std::filesystem::path Saves() const { return folder / "user" / "Saves"; }
  void PutProfile(const std::string& file, const std::string& plain) { WriteFile(Saves() / file, Scrambled(plain)); }
  void PutDefaultSave(const std::string& plain) {
    WriteFile(folder / "game" / "Saves" / "tr" / "defaultsave.ini", Scrambled(plain));
  }

  TempFolder folder;
  DataStore store;
  TProfiles profiles;
  TPlayer player;
  TSaveSlots slots;
};

TEST_F(Profiles, AProfileOpensOnlyTheSlotsItHasAndAVisibleOfTwoKeepsTheSlotAsItWas) {
  // Three present sections open at most slots 0 to 2; "Visible" 2 leaves a slot as step 2 left
  // it (hidden), whatever it was before the load.
  struct Case {
    const char* what;
    std::vector<int> visible;  // "Visible" of the present sections
    std::vector<bool> open;    // slots 0..4 after the load
  };
  const Case cases[] = {
      {"three open sections", {1, 1, 1}, {true, true, true, false, false}},
      {"the middle one hidden", {1, 0, 1}, {true, false, true, false, false}},
      {"Visible 2 in the middle", {1, 2, 1}, {true, false, true, false, false}},
  };
  for (const Case& c : cases) {
    std::string text = "[MAIN]\nName=Ada\n";
    for (size_t i = 0; i < c.visible.size(); ++i) text += SlotText(int(i), c.visible[i]);
    // A fourth section without "int" ends the list even though its values would open it.
    text += "[3]\nVisible=1\nLevel=4\n";
    PutProfile("a.ini", text);
    for (TSaves& s : slots) s.Visible = true;  // a previous profile had every slot open
    LoadProfile(store, (Saves() / "a.ini").string(), slots, player);
    for (size_t k = 0; k < c.open.size(); ++k) EXPECT_EQ(slots[k].Visible, c.open[k]) << c.what << ", slot " << k;
    for (size_t k = 5; k < slots.size(); ++k) EXPECT_FALSE(slots[k].Visible) << c.what << ", slot " << k;
    EXPECT_EQ(player.Name, "Ada");
  }
}

TEST_F(Profiles, ASlotWrittenIsReadBackExactlyWithItsScoreIn64Bits) {
  PutProfile("a.ini", ProfileText("Ada", 15));
  TSaves v;
  v.Scores = 5'000'000'000'123;  // far beyond 32 bits
  v.Health = 63.25;
  v.Armor = 75;
  v.Lifes = 4;
  v.BonusLifeIndex = 3;
  v.Points = 7;
  v.Ship = "03_04_02_01_03_03_02_01_01_09";
  v.TimeShip = "01_01_00_00_01_00_00_00_00_06";
  SaveSlot(store, "a.ini", 5, v);
  LoadProfile(store, (Saves() / "a.ini").string(), slots, player);
  const TSaves& s = slots[5];
  EXPECT_TRUE(s.Visible);
  EXPECT_EQ(s.Scores, v.Scores);
  EXPECT_DOUBLE_EQ(s.Health, 63.25);
  EXPECT_EQ(s.Armor, 75);
  EXPECT_EQ(s.Lifes, 4);
  EXPECT_EQ(s.BonusLifeIndex, 3);
  EXPECT_EQ(s.Points, 7);
  EXPECT_EQ(s.Ship, v.Ship);
  EXPECT_EQ(s.TimeShip, v.TimeShip);
  // Title, logo and level come from the default save and are never written by the game.
  EXPECT_EQ(s.Title, "level 6");
  EXPECT_EQ(s.Level, 6);
  // The decimal comma, as every user file writes numbers.
  store.ClearCache();
  EXPECT_EQ(store.ReadSavedValue((Saves() / "a.ini").string(), "5", "Health"), "63,25");

  // Written again without a time ship: the old "TimeShip" must not come back with the slot.
  v.TimeShip.clear();
  SaveSlot(store, "a.ini", 5, v);
  LoadProfile(store, (Saves() / "a.ini").string(), slots, player);
  EXPECT_EQ(slots[5].TimeShip, "");
}

TEST_F(Profiles, ADamagedProfileIsNamedLeftAsItIsAndLeftOutWhileTheOthersAreListed) {
  PutProfile("1.ini", ProfileText("Ada", 3));
  // A line without the marker: the file is damaged from its second line on.
  const std::string damaged = Scrambled("[MAIN]") + "\r\nName=plain text\r\n" + Scrambled(SlotText(0, 1));
  WriteFile(Saves() / "2.ini", damaged);
  // A slot value that does not convert.
  PutProfile("3.ini", "[MAIN]\nName=Cy\n[0]\nint=1\nVisible=1\nTitle=x\nLogoName=x\nLevel=one\n");
  PutProfile("4.ini", ProfileText("Dee", 2));
  player.FileName = "2.ini";

  std::vector<std::string> messages = ScanProfiles(store, profiles, player);
  ASSERT_EQ(profiles.List.size(), 2u);
  EXPECT_EQ(profiles.List[0].Name, "Ada");
  EXPECT_EQ(profiles.List[1].Name, "Dee");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("\r2.ini"), std::string::npos) << messages[0];
  EXPECT_NE(messages[0].find("\r3.ini"), std::string::npos) << messages[0];
  EXPECT_EQ(ReadFile(Saves() / "2.ini"), damaged);  // untouched
  // The damaged one was current: no profile is current now.
  EXPECT_EQ(player.FileName, "");
  EXPECT_EQ(profiles.Selected, 0);
  // A rescan does not repeat the messages.
  EXPECT_TRUE(ScanProfiles(store, profiles, player).empty());
  EXPECT_EQ(profiles.List.size(), 2u);
  // A profile without slots still names its player.
  PutProfile("5.ini", "[MAIN]\nName=Eve\n");
  player.Name = "someone else";
  LoadProfile(store, (Saves() / "5.ini").string(), slots, player);
  EXPECT_EQ(player.Name, "Eve");
  // Loading a damaged one fails without touching the slots held.
  slots[0].Title = "kept";
  EXPECT_ANY_THROW(LoadProfile(store, (Saves() / "3.ini").string(), slots, player));
  EXPECT_EQ(slots[0].Title, "kept");
}

TEST_F(Profiles, TwoProfilesMadeInOneSecondGetTwoFiles) {
  PutDefaultSave(ProfileText("", 15));
  const TProfileCreation a = CreateProfile(store, profiles, player, slots, "Ada", At(15, 2, 23));
  ASSERT_TRUE(a.Created);
  const std::string first = player.FileName;
  const std::string firstBytes = ReadFile(Saves() / first);
  const TProfileCreation b = CreateProfile(store, profiles, player, slots, "Bob", At(15, 2, 23));
  ASSERT_TRUE(b.Created);
  EXPECT_TRUE(a.Messages.empty() && b.Messages.empty());
  EXPECT_EQ(first, "2026_12_10_15_02_23.ini");
  EXPECT_EQ(player.FileName, "2026_12_10_15_02_23_2.ini");
  EXPECT_EQ(ReadFile(Saves() / first), firstBytes);
  ASSERT_EQ(profiles.List.size(), 2u);
  EXPECT_EQ(profiles.List[0].Name, "Ada");
  EXPECT_EQ(profiles.List[1].Name, "Bob");
  EXPECT_EQ(profiles.Selected, 2);
  EXPECT_EQ(player.Name, "Bob");
  // The new profile is the current one in game.ini and its slots are the default save's.
  EXPECT_EQ(store.ReadIniValue((folder / "user" / "game.ini").string(), "PLAYER", "FileName"), player.FileName);
  EXPECT_TRUE(slots[0].Visible);
  EXPECT_FALSE(slots[1].Visible);

  // The ninth, tenth and eleventh of that second stay in the order they were made.
  for (const char* name : {"C", "D", "E", "F", "G", "H", "I", "J", "K"})
    ASSERT_TRUE(CreateProfile(store, profiles, player, slots, name, At(15, 2, 23)).Created);
  ASSERT_EQ(profiles.List.size(), 11u);
  EXPECT_EQ(profiles.List[9].FileName, "2026_12_10_15_02_23_10.ini");
  EXPECT_EQ(profiles.List[10].Name, "K");
  EXPECT_EQ(profiles.Selected, 11);
}

TEST_F(Profiles, WithoutADefaultSaveANewProfileOpensTheFirstLevelAndSaysWhy) {
  const TProfileCreation made = CreateProfile(store, profiles, player, slots, "Ada", At(9, 0, 0));
  ASSERT_TRUE(made.Created);
  ASSERT_EQ(made.Messages.size(), 1u);
  EXPECT_NE(made.Messages[0].find("defaultsave.ini"), std::string::npos);
  EXPECT_TRUE(slots[0].Visible);
  EXPECT_EQ(slots[0].Level, 1);
  EXPECT_EQ(slots[0].Lifes, 3);
  EXPECT_FALSE(slots[1].Visible);
}

TEST_F(Profiles, DeletingTheCurrentProfileMakesTheFirstListedCurrent) {
  for (const char* f : {"a.ini", "b.ini", "c.ini"}) PutProfile(f, ProfileText(std::string("P") + f[0], 2));
  player.FileName = "b.ini";
  ScanProfiles(store, profiles, player);
  ASSERT_EQ(profiles.Selected, 2);
  DeleteProfile(store, "b.ini");
  ScanProfiles(store, profiles, player);
  EXPECT_EQ(profiles.List.size(), 2u);
  EXPECT_EQ(player.FileName, "");
  SelectFirstProfile(profiles, player);
  EXPECT_EQ(profiles.Selected, 1);
  EXPECT_EQ(player.FileName, "a.ini");
  EXPECT_EQ(player.Name, "Pa");
  EXPECT_FALSE(std::filesystem::exists(Saves() / "b.ini"));
}

TEST_F(Profiles, OnlyPlainProfileNamesReachTheFileSystem) {
  struct Case {
    const char* name;
    bool ok;
  };
  for (const Case& c : {Case{"2026_12_10_15_02_23.ini", true}, Case{"A.INI", true}, Case{"../game.ini", false},
                        Case{"..\\x.ini", false}, Case{"/etc/x.ini", false}, Case{".hidden.ini", false},
                        Case{"x.txt", false}, Case{".ini", false}, Case{"", false}, Case{"a\nb.ini", false}})
    EXPECT_EQ(IsProfileFileName(c.name), c.ok) << c.name;
  // game.ini naming a file outside "Saves" loads nothing and deletes nothing.
  WriteFile(folder / "user" / "x.ini", Scrambled(ProfileText("Eve", 1)));
  player.FileName = "../x.ini";
  EXPECT_THROW(LoadCurrentProfile(store, slots, player), DataError);
  EXPECT_THROW(DeleteProfile(store, "../x.ini"), EWriteError);
  EXPECT_TRUE(std::filesystem::exists(folder / "user" / "x.ini"));
}

TEST_F(Profiles, AFolderThatCannotBeWrittenIsReportedOnceAndTheGamePlaysOn) {
  // A file where the "Saves" folder should be.
  std::filesystem::remove_all(Saves());
  WriteFile(Saves(), "not a folder");
  PutDefaultSave(ProfileText("", 15));
  const TProfileCreation a = CreateProfile(store, profiles, player, slots, "Ada", At(10, 0, 0));
  EXPECT_FALSE(a.Created);
  ASSERT_EQ(a.Messages.size(), 1u);
  EXPECT_NE(a.Messages[0].find("cannot be"), std::string::npos);
  // The player goes on with the name and the default save's slots in memory.
  EXPECT_EQ(player.Name, "Ada");
  EXPECT_EQ(player.FileName, "");
  EXPECT_TRUE(slots[0].Visible);
  // Told once.
  const TProfileCreation b = CreateProfile(store, profiles, player, slots, "Ada", At(10, 0, 1));
  EXPECT_FALSE(b.Created);
  EXPECT_TRUE(b.Messages.empty());
  EXPECT_EQ(ReadFile(Saves()), "not a folder");
}

TEST_F(Profiles, AFullDiskLeavesTheProfileAsItWas) {
  // The write of a slot runs out of room (a file size limit stands in for a full disk): the
  // save fails, and the profile on disk is the old one, byte for byte.
  PutProfile("a.ini", ProfileText("Ada", 15));
  const std::string before = ReadFile(Saves() / "a.ini");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &limit);
    TSaves v;
    v.Scores = 42;
    try {
      SaveSlot(store, "a.ini", 3, v);
    } catch (const EWriteError&) {
      _exit(7);  // refused, as it should be
    }
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 7);
  EXPECT_EQ(ReadFile(Saves() / "a.ini"), before);
  // Nothing half-written is left beside it.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(Saves())) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1u);
}

TEST_F(Profiles, ANewFileIsNeverWrittenOverAnOldOne) {
  WriteFile(Saves() / "a.ini", "old");
  EXPECT_FALSE(CreateFileAtomically(Saves() / "a.ini", "new", "a.ini"));
  EXPECT_EQ(ReadFile(Saves() / "a.ini"), "old");
  EXPECT_TRUE(CreateFileAtomically(Saves() / "b.ini", "new", "b.ini"));
  EXPECT_EQ(ReadFile(Saves() / "b.ini"), "new");
}

TEST_F(Profiles, ScrollingKeepsTheSelectedProfileAmongTheNineRows) {
  struct Case {
    int count, selected, scrollBefore, scrollAfter;
  };
  for (const Case& c : {Case{12, 12, 0, 3}, Case{12, 9, 0, 0}, Case{12, 10, 0, 1}, Case{5, 1, 3, 0},
                        Case{11, 1, 3, 2}, Case{0, 0, 0, 0}}) {
    profiles.List.assign(size_t(c.count), TProfile{"x.ini", "x"});
    profiles.Selected = c.selected;
    profiles.Scroll = c.scrollBefore;
    ScrollToSelected(profiles);
    EXPECT_EQ(profiles.Scroll, c.scrollAfter) << c.count << " profiles, " << c.selected << " selected";
  }
}

// A process saving slot after slot is killed at a random moment, many times over. After every
// kill the profile on disk must load and hold one complete write: the one before or the one
// being made, never a mix, a torn file or an empty one.
TEST_F(Profiles, KilledWhileSavingTheProfileIsAlwaysTheOldOrTheNewOne) {
  PutProfile("a.ini", ProfileText("Ada", 15));
  std::mt19937 random(20261210);
  int sawNew = 0;
  for (int round = 0; round < 150; ++round) {
    store.ClearCache();
    LoadProfile(store, (Saves() / "a.ini").string(), slots, player);
    const int64_t before = slots[4].Scores;
    // The child says when its first write is done, so the kill lands among writes however slow
    // the disk is (a synced write can take longer than the whole random wait on a busy machine).
    int started[2];
    ASSERT_EQ(pipe(started), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(started[0]);
      DataStore own(folder / "game", folder / "user");
      // Every write gives all the slot's numbers the one next value, so a file that mixed two
      // writes would show different values in one slot.
      for (int64_t n = before + 1;; ++n) {
        TSaves v;
        v.Scores = n;
        v.Armor = int32_t(n % 100000);
        v.Lifes = int32_t(n % 100000);
        v.Points = int32_t(n % 100000);
        v.Ship = "01_01_00_00_01_00_00_00_00_06";
        SaveSlot(own, "a.ini", 4, v);
        if (n == before + 1) {
          const char one = 1;
          if (write(started[1], &one, 1) != 1) _exit(1);
        }
      }
    }
    close(started[1]);
    char got = 0;
    const bool wrote = read(started[0], &got, 1) == 1;
    close(started[0]);
    usleep(useconds_t(std::uniform_int_distribution<int>(0, 30000)(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(wrote) << "round " << round << ": the saving process ended before its first write";
    store.ClearCache();
    TSaveSlots after;
    TPlayer who;
    ASSERT_NO_THROW(LoadProfile(store, (Saves() / "a.ini").string(), after, who)) << "round " << round;
    EXPECT_EQ(who.Name, "Ada") << "round " << round;
    const TSaves& s = after[4];
    EXPECT_GE(s.Scores, before) << "round " << round;
    if (s.Scores > before) {
      ++sawNew;
      EXPECT_TRUE(s.Visible);
      EXPECT_EQ(s.Armor, int32_t(s.Scores % 100000)) << "round " << round;
      EXPECT_EQ(s.Lifes, int32_t(s.Scores % 100000)) << "round " << round;
      EXPECT_EQ(s.Points, int32_t(s.Scores % 100000)) << "round " << round;
    }
    // The other slots are whole too.
    EXPECT_EQ(after[0].Title, "level 1") << "round " << round;
    EXPECT_EQ(after[14].Level, 15) << "round " << round;
  }
  // Every round saw its first write through.
  EXPECT_EQ(sawNew, 150);
  // A kill mid-write leaves a hidden temporary sibling; it is cleared once it is old.
  RemoveStaleTempFiles(Saves(), 0);
  for (const auto& e : std::filesystem::directory_iterator(Saves()))
    EXPECT_EQ(e.path().filename(), "a.ini");
}

}  // namespace
}  // namespace vlm::data
