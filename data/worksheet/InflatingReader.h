#pragma once
// A large part of a package inflated on a thread of its own, a few chunks ahead of the XML parser that takes them:
// with a second core free, inflating costs the parse no time.

#include <gsf/gsf-input.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace data::xlsx {

class InflatingReader
{
public:
    // Reads size bytes of the part (from where it stands); the part is not touched by anyone else meanwhile.
    InflatingReader(GsfInput* part, std::size_t size);
    ~InflatingReader();
    InflatingReader(const InflatingReader&) = delete;
    InflatingReader& operator=(const InflatingReader&) = delete;

    // The next chunk; empty at the end. Throws PackageError when the zip entry cannot be inflated.
    std::vector<char> next();

private:
    void run();

    GsfInput* part_;
    std::size_t remaining_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::vector<char>> chunks_;
    bool done_ = false;
    bool failed_ = false;
    bool stopping_ = false;
    std::thread thread_; // last: it starts once everything above is in place
};

} // namespace data::xlsx
