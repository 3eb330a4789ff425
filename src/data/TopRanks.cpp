#include "data/TopRanks.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "data/Errors.h"
#include "data/Numbers.h"

namespace vlm::data {

namespace {

std::string FilePath(const DataStore& store) { return (store.AppDataFolder() / "Saves" / "tr" / "tr.ini").string(); }

std::string Section(size_t rank) { return "rank" + std::to_string(rank); }

// The ten entries as stored; throws ECryptError or EConvertError when the file is damaged.
TTopRanksTable ReadTable(DataStore& store, const std::string& file) {
  TTopRanksTable table;
  for (size_t n = 1; n <= table.size(); ++n) {
    table[n - 1].name = store.ReadSavedValue(file, Section(n), "name");
    table[n - 1].score = StrToInt64(store.ReadSavedValue(file, Section(n), "score"));
    if (table[n - 1].score < 0) throw EConvertError("a negative score in " + file, IntToStr(table[n - 1].score));
  }
  return table;
}

// Moves a damaged file out of the way under a name not yet taken; returns that name, "" when
// the rename failed (the file then stays and is replaced by the default table's write).
std::string KeepAside(const std::filesystem::path& file) {
  for (int i = 1; i < 1000; ++i) {
    std::filesystem::path aside = file;
    aside += i == 1 ? ".damaged" : ".damaged" + std::to_string(i);
    std::error_code ec;
    if (std::filesystem::exists(aside, ec)) continue;
    std::filesystem::rename(file, aside, ec);
    return ec ? std::string() : aside.filename().string();
  }
  return {};
}

}  // namespace

TTopRanksTable DefaultTopRanks() {
  return {{{"QUORVEL", 500000},
           {"Velmoran", 400000},
           {"Expert", 300000},
           {"Master", 200000},
           {"Colonel", 100000},
           {"Captain", 50000},
           {"Soldier", 25000},
           {"Beginner", 10000},
           {"Beginner", 1000},
           {"Beginner", 100}}};
}

TTopRanksLoad LoadTopRanks(DataStore& store) {
  TTopRanksLoad result;
  const std::string file = FilePath(store);
  bool probeOk = false;
  std::string damage;
  try {
    int64_t probe = 0;
    probeOk = TryStrToInt64(store.ReadSavedValue(file, "Rank1", "Score"), probe);
    if (probeOk) {
      result.table = ReadTable(store, file);
      return result;
    }
  } catch (const std::exception& e) {
    damage = e.what();
  }
  result.table = DefaultTopRanks();
  const std::filesystem::path path(file);
  std::error_code ec;
  if (!damage.empty() || std::filesystem::exists(path, ec)) {
    // Something is there but unreadable: keep it for the player, never overwrite it.
    store.ClearCache();
    result.keptAs = KeepAside(path);
    result.message = "the top ranks file tr.ini\ris damaged: the table\rstarts anew.";
    if (!result.keptAs.empty()) result.message += "\rthe old file is kept as\r" + result.keptAs;
  }
  try {
    SaveTopRanks(store, result.table);
  } catch (const std::exception& e) {
    if (!result.message.empty()) result.message += "\r";
    result.message += e.what();
  }
  return result;
}

void SaveTopRanks(DataStore& store, const TTopRanksTable& table) {
  const std::filesystem::path folder = store.AppDataFolder() / "Saves" / "tr";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::vector<IniWrite> writes;
  writes.reserve(table.size() * 2);
  for (size_t n = 1; n <= table.size(); ++n) {
    writes.push_back({Section(n), "name", table[n - 1].name});
    writes.push_back({Section(n), "score", IntToStr(table[n - 1].score)});
  }
  store.WriteSavedValues(FilePath(store), writes);
}

void SortTopRanks(TTopRanksTable& table) {
  std::stable_sort(table.begin(), table.end(),
                   [](const TTopRanks& a, const TTopRanks& b) { return a.score > b.score; });
}

bool QualifiesForTopRanks(const TTopRanksTable& table, int64_t score) { return score >= table.back().score; }

bool InsertTopRank(TTopRanksTable& table, const std::string& name, int64_t score) {
  if (!QualifiesForTopRanks(table, score)) return false;
  table.back() = {name.substr(0, kTopRankNameLength), score};
  SortTopRanks(table);
  return true;
}

}  // namespace vlm::data
