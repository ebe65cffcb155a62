#pragma once
// A large part of a package inflated on a helper thread, a few chunks ahead of the XML parser that takes them: with
// a second core free, inflating costs the parse no time.

#include "queue/BoundedQueue.h"

#include <gsf/gsf-input.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <vector>

namespace data::xlsx {

class InflatingReader
{
public:
    // Reads size bytes of the part (from where it stands); the part is not touched by anyone else meanwhile.
    // crc: the CRC-32 of those bytes as the zip's directory gives it, checked before the last chunk is handed out.
    InflatingReader(GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc = std::nullopt);

    // The next chunk; empty at the end. Throws PackageError when the zip entry cannot be inflated or its bytes do
    // not match their CRC-32; what else stopped the inflating (memory) escapes as it was thrown.
    std::vector<char> next();

private:
    void inflate(std::stop_token stop, GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc);

    BoundedQueue<std::vector<char>> chunks_;
};

} // namespace data::xlsx
