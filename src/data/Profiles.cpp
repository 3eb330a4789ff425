#include "data/Profiles.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>
#include <exception>
#include <system_error>

#include "data/Errors.h"
#include "data/FileIo.h"
#include "data/IniText.h"
#include "data/Numbers.h"
#include "data/Options.h"
#include "data/Scramble.h"

namespace vlm::data {

namespace {

std::string SectionOf(int slot) { return std::to_string(slot); }

using ValueFn = std::function<std::string(const std::string& section, const char* key)>;

// Reads one key that must convert, naming the file, section and key when it does not.
class SlotReader {
 public:
  SlotReader(ValueFn read, std::string_view file) : read_(std::move(read)), file_(file) {}

  std::string Text(const std::string& section, const char* key) { return read_(section, key); }
  // "Ship" and "TimeShip": a key that is not there is no ship.
  std::string Code(const std::string& section, const char* key) {
    std::string value = Text(section, key);
    return value == kIniError ? std::string() : value;
  }
  int32_t Int(const std::string& section, const char* key) {
    int32_t value = 0;
    const std::string text = Text(section, key);
    if (!TryStrToInt(text, value)) Fail(section, key, text, "a whole number");
    return value;
  }
  int64_t Int64(const std::string& section, const char* key) {
    int64_t value = 0;
    const std::string text = Text(section, key);
    if (!TryStrToInt64(text, value)) Fail(section, key, text, "a whole number");
    return value;
  }
  double Float(const std::string& section, const char* key) {
    double value = 0;
    const std::string text = Text(section, key);
    if (!TryStrToFloat(text, value) || !std::isfinite(value)) Fail(section, key, text, "a number");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& section, const char* key, const std::string& text, const char* what) {
    throw EConvertError(std::string(file_) + ": [" + section + "] " + key + " = \"" + text + "\" is not " + what,
                        text);
  }
  ValueFn read_;
  std::string_view file_;
};

// The slots and the name from any source of values; changes nothing when a value is damaged.
void LoadSlots(const ValueFn& read, std::string_view file, TSaveSlots& slots, TPlayer& player) {
  TSaveSlots next = slots;
  for (TSaves& s : next) s.Visible = false;
  // The name stands in "MAIN" whatever the slots hold (a profile without slots has one too).
  std::string name = read("MAIN", "Name");
  if (name == kIniError) name = player.Name;
  SlotReader r(read, file);
  int n = 0;
  for (int32_t marker = 0; n < kSaveSlotCount && TryStrToInt(read(std::to_string(n), "int"), marker);) ++n;
  for (int i = 0; i < n; ++i) {
    const std::string sec = SectionOf(i);
    TSaves& s = next[size_t(i)];
    const int32_t visible = r.Int(sec, "Visible");
    if (visible == 0 || visible == 1) s.Visible = visible == 1;
    s.Title = r.Text(sec, "Title");
    s.LogoName = r.Text(sec, "LogoName");
    s.Level = r.Int(sec, "Level");
    s.Scores = r.Int64(sec, "Scores");
    s.Ship = r.Code(sec, "Ship");
    s.TimeShip = r.Code(sec, "TimeShip");
    s.Health = r.Float(sec, "Health");
    s.Armor = r.Int(sec, "Armor");
    s.Lifes = r.Int(sec, "Lifes");
    s.BonusLifeIndex = r.Int(sec, "BonusLifeIndex");
    s.Points = r.Int(sec, "Points");
  }
  slots = std::move(next);
  player.Name = std::move(name);
}

void LoadSlotsFromLines(const std::vector<std::string>& plainLines, TSaveSlots& slots, TPlayer& player) {
  const IniDocument doc(plainLines);
  LoadSlots([&](const std::string& section, const char* key) { return doc.Read(section, key); }, "the default save",
            slots, player);
}

// The profile file's name as the player sees it in a message.
std::string Shown(const std::string& fileName) { return "Saves/" + fileName; }

// The default save's lines, unscrambled; a built-in save with the first level open when the
// file beside the game is missing or damaged (the reason then goes into `messages`).
std::vector<std::string> DefaultSaveLines(DataStore& store, std::vector<std::string>& messages) {
  const std::filesystem::path path = store.ResolvePath(kDefaultSaveFile);
  std::string problem;
  if (auto bytes = ReadWholeFile(path)) {
    std::vector<std::string> lines =
        SplitLines(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    try {
      UnscrambleLines(lines, path.string());
      // It must load as a profile would.
      TSaveSlots slots;
      TPlayer probe;
      LoadSlotsFromLines(lines, slots, probe);
      return lines;
    } catch (const std::exception& e) {
      problem = e.what();
    }
  } else {
    problem = "it is missing";
  }
  messages.push_back("the default save\rdefaultsave.ini\rcannot be used: your\rprofile opens level 1.");
  std::fprintf(stderr, "velmora2: the default save %s cannot be used: %s\n", path.string().c_str(), problem.c_str());
  std::vector<std::string> lines = {"[MAIN]", "Name="};
  for (int i = 0; i < kSaveSlotCount; ++i) {
    lines.push_back("[" + SectionOf(i) + "]");
    lines.push_back("int=1");
    lines.push_back(std::string("Visible=") + (i == 0 ? "1" : "0"));
    lines.push_back("Title=level " + std::to_string(i + 1));
    lines.push_back("LogoName=Level" + std::to_string(i + 1) + "Logo");
    lines.push_back("Level=" + std::to_string(i + 1));
    lines.push_back("Scores=0");
    lines.push_back("Ship=");
    lines.push_back("TimeShip=");
    lines.push_back("Health=100");
    lines.push_back("Armor=0");
    lines.push_back("Lifes=3");
    lines.push_back("BonusLifeIndex=1");
    lines.push_back("points=0");
  }
  return lines;
}

bool NaturalLess(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      size_t ei = i, ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      // Leading zeros aside, the longer run is the larger number.
      size_t si = i, sj = j;
      while (si + 1 < ei && a[si] == '0') ++si;
      while (sj + 1 < ej && b[sj] == '0') ++sj;
      if (ei - si != ej - sj) return ei - si < ej - sj;
      if (int c = a.compare(si, ei - si, b, sj, ej - sj); c != 0) return c < 0;
      i = ei;
      j = ej;
    } else {
      // "." sorts before "_": "x.ini" before "x_2.ini".
      if (a[i] != b[j]) return (unsigned char)a[i] < (unsigned char)b[j];
      ++i;
      ++j;
    }
  }
  if ((a.size() - i) != (b.size() - j)) return a.size() - i < b.size() - j;
  return a < b;
}

}  // namespace

std::filesystem::path ProfilesFolder(const DataStore& store) { return store.AppDataFolder() / "Saves"; }

bool IsProfileFileName(std::string_view name) {
  if (name.size() <= 4 || name.size() > 255 || name.front() == '.') return false;
  if (name.find_first_of("/\\:") != std::string_view::npos) return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return EqualsNoCase(name.substr(name.size() - 4), ".ini");
}

void LoadProfile(DataStore& store, std::string_view file, TSaveSlots& slots, TPlayer& player) {
  // The file as it is now, not a copy read before it last changed.
  store.ClearCache();
  LoadSlots([&](const std::string& section, const char* key) { return store.ReadSavedValue(file, section, key); },
            file, slots, player);
}

void LoadCurrentProfile(DataStore& store, TSaveSlots& slots, TPlayer& player) {
  if (!IsProfileFileName(player.FileName))
    throw DataError("\"" + player.FileName + "\" is not the name of a profile file");
  LoadProfile(store, (ProfilesFolder(store) / player.FileName).string(), slots, player);
}

std::vector<std::string> ScanProfiles(DataStore& store, TProfiles& profiles, TPlayer& player) {
  std::vector<std::string> messages, damaged;
  profiles.List.clear();
  profiles.Selected = 0;
  std::vector<std::string> names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(ProfilesFolder(store), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsProfileFileName(name) && IsRegularFile(it->path())) names.push_back(name);
  }
  // Name order with the numbers in the names taken as numbers: the profiles of one second come
  // in the order they were made ("..._9.ini" before "..._10.ini").
  std::sort(names.begin(), names.end(), NaturalLess);
  for (const std::string& name : names) {
    const std::string path = (ProfilesFolder(store) / name).string();
    try {
      // The whole file must load, not only its name: a profile listed can be played.
      TSaveSlots slots;
      TPlayer probe;
      LoadProfile(store, path, slots, probe);
      const std::string playerName = store.ReadSavedValue(path, "MAIN", "Name");
      if (playerName == kIniError) throw DataError(path + ": [MAIN] Name is missing");
      profiles.List.push_back({name, playerName});
      if (name == player.FileName) profiles.Selected = int32_t(profiles.List.size());
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: the profile %s is damaged and left out of the list: %s\n", path.c_str(),
                   e.what());
      if (profiles.ReportedDamaged.insert(name).second) damaged.push_back(name);
    }
  }
  store.ClearCache();
  if (profiles.Selected == 0) player.FileName.clear();
  // One message naming them all, short enough for the message box.
  if (damaged.size() == 1) {
    messages.push_back("the profile file\r" + damaged[0] + "\ris damaged. it is left\rout of the list as it is.");
  } else if (!damaged.empty()) {
    std::string text = "damaged profiles, left\rout of the list as\rthey are:";
    for (size_t i = 0; i < damaged.size() && i < 3; ++i) text += "\r" + damaged[i];
    if (damaged.size() > 3) text += "\rand " + std::to_string(damaged.size() - 3) + " more";
    messages.push_back(text);
  }
  return messages;
}

void SaveSlot(DataStore& store, const std::string& fileName, int slot, const TSaves& v) {
  if (!IsProfileFileName(fileName)) throw EWriteError(fileName, "not the name of a profile file");
  if (slot < 0 || slot >= kSaveSlotCount) throw EWriteError(fileName, "there is no save slot " + std::to_string(slot));
  const std::filesystem::path folder = ProfilesFolder(store);
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string sec = SectionOf(slot);
  const IniWrite writes[] = {
      {sec, "Scores", IntToStr(v.Scores)},
      {sec, "Health", FloatToStr(v.Health)},
      {sec, "Armor", IntToStr(v.Armor)},
      {sec, "TimeShip", v.TimeShip},
      {sec, "Ship", v.Ship},
      {sec, "Visible", "1"},
      {sec, "Lifes", IntToStr(v.Lifes)},
      {sec, "BonusLifeIndex", IntToStr(v.BonusLifeIndex)},
      {sec, "points", IntToStr(v.Points)},
  };
  store.WriteSavedValues((folder / fileName).string(), writes);
}

std::string ProfileFileName(const std::tm& when, int serial) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d_%02d_%02d_%02d_%02d_%02d", when.tm_year + 1900, when.tm_mon + 1,
                when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
  std::string name = text;
  if (serial > 1) name += "_" + std::to_string(serial);
  return name + ".ini";
}

TProfileCreation CreateProfile(DataStore& store, TProfiles& profiles, TPlayer& player, TSaveSlots& slots,
                               const std::string& name, const std::tm& when) {
  TProfileCreation result;
  std::vector<std::string> lines = DefaultSaveLines(store, result.Messages);
  std::string why = WhyNotStorable("MAIN", "Name", name);
  if (!why.empty()) {
    result.Messages.push_back("the name cannot be stored.");
    return result;
  }
  SetIniValue(lines, "MAIN", "Name", name);
  // The slots and the name in memory first: they are the player's even when no file can hold them.
  LoadSlotsFromLines(lines, slots, player);
  player.Name = name;
  player.FileName.clear();

  ScrambleLines(lines);
  const std::string bytes = JoinLines(lines, "\r\n");
  const std::filesystem::path folder = ProfilesFolder(store);
  std::string fileName;
  try {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    // Two profiles made within one second must not share a file: the next free serial is taken.
    for (int serial = 1; serial < 1000 && fileName.empty(); ++serial) {
      const std::string candidate = ProfileFileName(when, serial);
      if (CreateFileAtomically(folder / candidate, bytes, Shown(candidate))) fileName = candidate;
    }
    if (fileName.empty()) throw EWriteError(Shown(ProfileFileName(when)), "every name of this second is taken");
  } catch (const EWriteError& e) {
    std::fprintf(stderr, "velmora2: %s: %s\n", e.what(), e.Reason().c_str());
    if (!profiles.WriteFailureReported) {
      profiles.WriteFailureReported = true;
      result.Messages.push_back("your profile cannot be\rsaved: the folder for\rsaves cannot be written.\ryou can play on, but\ryour progress is not kept.");
    }
  }
  if (!fileName.empty()) {
    player.FileName = fileName;
    for (const std::string& m : ScanProfiles(store, profiles, player)) result.Messages.push_back(m);
    try {
      RememberCurrentProfile(store, fileName);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "velmora2: %s\n", e.what());
      if (!profiles.WriteFailureReported) {
        profiles.WriteFailureReported = true;
        result.Messages.push_back("game.ini cannot be\rwritten: the current\rplayer is not kept.");
      }
    }
  }
  // Load what was written, as every later start will.
  try {
    if (!player.FileName.empty()) {
      LoadCurrentProfile(store, slots, player);
      result.Created = true;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "velmora2: the new profile cannot be read: %s\n", e.what());
    result.Messages.push_back("the new profile\rcannot be read.");
  }
  return result;
}

void SelectFirstProfile(TProfiles& profiles, TPlayer& player) {
  if (profiles.List.empty()) return;
  profiles.Selected = 1;
  player.FileName = profiles.List.front().FileName;
  player.Name = profiles.List.front().Name;
}

void DeleteProfile(DataStore& store, const std::string& fileName) {
  if (!IsProfileFileName(fileName)) throw EWriteError(fileName, "not the name of a profile file");
  const std::filesystem::path path = ProfilesFolder(store) / fileName;
  store.ClearCache();
  std::error_code ec;
  if (!std::filesystem::remove(path, ec) || ec)
    throw EWriteError(Shown(fileName), ec ? ec.message() : std::string("it is not there"));
}

void RememberCurrentProfile(DataStore& store, const std::string& fileName) {
  store.EnsureAppDataFolder();
  store.WriteIniValue(UserOptionsFile(store).string(), "PLAYER", "FileName", fileName);
}

void ScrollToSelected(TProfiles& profiles) {
  if (profiles.Selected > kProfileRows) profiles.Scroll = profiles.Selected - kProfileRows;
  const int32_t last = std::max<int32_t>(0, int32_t(profiles.List.size()) - kProfileRows);
  profiles.Scroll = std::clamp(profiles.Scroll, 0, last);
}

}  // namespace vlm::data
