#pragma once
// The table of the ten best results on this computer, shared by every profile. It lives in
// "Saves\tr\tr.ini" under the application-data folder, every line scrambled: sections "rank1"
// to "rank10" with the keys "name" and "score". Scores are 64-bit both ways.
#include <array>
#include <cstdint>
#include <string>

#include "data/DataStore.h"

namespace vlm::data {

struct TTopRanks {
  std::string name;
  int64_t score = 0;
};

using TTopRanksTable = std::array<TTopRanks, 10>;

inline constexpr const char* kTopRanksFile = "Saves\\tr\\tr.ini";  // under the application-data folder
// The longest name the table takes; the name entry stops there.
inline constexpr size_t kTopRankNameLength = 16;

// The table of a first start: rank titles with round scores.
TTopRanksTable DefaultTopRanks();

// What LoadTopRanks found.
struct TTopRanksLoad {
  TTopRanksTable table;
  // Empty when the file was read as it stood or did not exist yet. Otherwise a message for the
  // player naming the file: the damaged file was kept beside it under `keptAs` and the table
  // starts again from the default one.
  std::string message;
  std::string keptAs;  // file name of the kept copy ("" when nothing was kept)
};

// Reads the table. A missing file, or one whose first score does not read as an integer, gives
// the default table, which is written. A damaged file (a line without the scramble marker, a
// score that does not convert) is never overwritten in place: it is renamed to
// "tr.ini.damaged" (or "tr.ini.damaged2", ...) and the default table written instead.
// A table that cannot be written is still returned, with the write failure in `message`.
TTopRanksLoad LoadTopRanks(DataStore& store);
// Writes all ten entries in one atomic replacement. Throws EWriteError.
void SaveTopRanks(DataStore& store, const TTopRanksTable& table);
// Orders by descending score; entries of equal score keep their order, so a new entry put in
// the tenth place sorts below older ones of the same score.
void SortTopRanks(TTopRanksTable& table);
// Whether a score makes the table (it reaches the tenth score).
bool QualifiesForTopRanks(const TTopRanksTable& table, int64_t score);
// Puts `name` with `score` in place of the tenth entry and sorts, when the score qualifies.
// Returns whether it did.
bool InsertTopRank(TTopRanksTable& table, const std::string& name, int64_t score);

}  // namespace vlm::data
