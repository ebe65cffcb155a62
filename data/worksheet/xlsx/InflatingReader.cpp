#include "InflatingReader.h"

#include "XmlParts.h"
#include "ZipDirectory.h"

#include <algorithm>

namespace data::xlsx {

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 18;
constexpr std::size_t kChunksAhead = 4;

} // namespace

InflatingReader::InflatingReader(GsfInput* part, std::size_t size, std::optional<std::uint32_t> crc)
    : part_(part), remaining_(size), crc_(crc), thread_([this] { run(); })
{
}

InflatingReader::~InflatingReader()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void InflatingReader::run()
{
    Crc32 crc;
    while (remaining_ > 0) {
        std::vector<char> chunk(std::min(remaining_, kChunk));
        const bool read = gsf_input_read(part_, chunk.size(), reinterpret_cast<guint8*>(chunk.data())) != nullptr;
        if (read && crc_)
            crc.add(chunk.data(), chunk.size());
        std::unique_lock lock(mutex_);
        if (!read) {
            failure_ = kDamagedEntry;
            break;
        }
        if (remaining_ == chunk.size() && crc_ && crc.value() != *crc_) {
            failure_ = kWrongCrc;
            break;
        }
        remaining_ -= chunk.size();
        changed_.wait(lock, [this] { return chunks_.size() < kChunksAhead || stopping_; });
        if (stopping_)
            break;
        chunks_.push_back(std::move(chunk));
        changed_.notify_all();
    }
    {
        const std::lock_guard lock(mutex_);
        done_ = true;
    }
    changed_.notify_all();
}

std::vector<char> InflatingReader::next()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !chunks_.empty() || done_; });
    if (!chunks_.empty()) {
        std::vector<char> chunk = std::move(chunks_.front());
        chunks_.pop_front();
        changed_.notify_all();
        return chunk;
    }
    if (!failure_.empty())
        throw PackageError(failure_);
    return {};
}

} // namespace data::xlsx
