#pragma once
// How many rows the writes look up and commit at a time, with the reasons.

#include <chrono>

namespace importer::sizes {

// Rows whose stored products are looked up at once when a run matches rows to products already in the store: a
// select of some 1,500 codes, inside SQL Server's limit of 2,100 parameters with a few letters in use.
inline constexpr int kMatchRows = 500;

// A group is committed after this much work, so that the store waits for its disk a few times a second at most,
// while a fault loses little; and after this many rows at most, so that the rows a lost group hands back stay few.
inline constexpr std::chrono::milliseconds kGroupTime{250};
inline constexpr int kGroupRows = 20000;

} // namespace importer::sizes
