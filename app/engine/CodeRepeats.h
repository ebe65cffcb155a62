#pragma once
// Which rows of a sheet repeat the code of an earlier row, told by a 32-bit hash of each code: only a hint for the
// batching of the writes, so two codes that share a hash simply count as a repeat. The hashes sit in one table of
// at least twice as many slots as the sheet has rows, four bytes a slot (8 MiB for a million rows), where a set
// of them would take several times that.

#include <QString>

#include <cstdint>
#include <vector>

namespace importer {

class CodeRepeats
{
public:
    explicit CodeRepeats(int rowCount);

    // Whether the code came before; remembers it. At most rowCount codes.
    bool repeats(const QString& code);

private:
    std::vector<std::uint32_t> slots_; // 0: empty
    std::uint32_t mask_;
};

} // namespace importer
