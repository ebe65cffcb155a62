#include "worksheet/xlsx/InflatingReader.h"

#include "queue/Quantities.h"
#include "worksheet/xlsx/XmlParts.h"
#include "worksheet/xlsx/ZipDirectory.h"

#include <algorithm>

namespace data::xlsx {

InflatingReader::InflatingReader(GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc)
    : chunks_(sizes::kChunksAhead)
{
    chunks_.produce([this, part, size, crc](std::stop_token stop) { inflate(stop, part, size, crc); });
}

void InflatingReader::inflate(std::stop_token stop, GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc)
{
    Crc32 sum;
    for (std::size_t remaining = size; remaining > 0;) {
        std::vector<char> chunk(std::min(remaining, sizes::kChunkBytes));
        if (!gsf_input_read(part, chunk.size(), reinterpret_cast<guint8*>(chunk.data())))
            throw PackageError(kDamagedEntry);
        if (crc)
            sum.add(chunk.data(), chunk.size());
        remaining -= chunk.size();
        if (remaining == 0 && crc && sum.value() != *crc)
            throw PackageError(kWrongCrc);
        if (!chunks_.push(std::move(chunk), stop))
            return; // nobody reads on
    }
}

std::vector<char> InflatingReader::next()
{
    return chunks_.pop().value_or(std::vector<char>());
}

} // namespace data::xlsx
