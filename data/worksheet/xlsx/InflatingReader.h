#pragma once
// A large part of a package inflated on a thread of its own, a few chunks ahead of the XML parser that takes them:
// with a second core free, inflating costs the parse no time.

#include <gsf/gsf-input.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace data::xlsx {

class InflatingReader
{
public:
    // Reads size bytes of the part (from where it stands); the part is not touched by anyone else meanwhile.
    // crc: the CRC-32 of those bytes as the zip's directory gives it, checked before the last chunk is handed out.
    InflatingReader(GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc = std::nullopt);
    ~InflatingReader();
    InflatingReader(const InflatingReader&) = delete;
    InflatingReader& operator=(const InflatingReader&) = delete;

    // The next chunk; empty at the end. Throws PackageError when the zip entry cannot be inflated or its bytes do
    // not match their CRC-32.
    std::vector<char> next();

private:
    void run();

    GsfInput* part_;
    std::size_t remaining_;
    std::optional<std::uint32_t> crc_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> chunks_;
    bool done_ = false;
    std::string failure_; // why the part could not be read; empty while it could
    bool stopping_ = false;
    std::thread thread_; // last: it starts once everything above is in place
};

} // namespace data::xlsx
