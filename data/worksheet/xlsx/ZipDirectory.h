#pragma once
// The central directory of a zip, read on its own: what libgsf's zip reader keeps to itself, the CRC-32 of each
// entry, how it is compressed and whether it is encrypted, by the entry's name.

#include <gsf/gsf-input.h>

#include <cstdint>
#include <string>
#include <unordered_map>

namespace data::xlsx {

// Why an entry's bytes are refused, for the messages.
inline constexpr const char* kDamagedEntry = "cannot be inflated (the zip entry is damaged)";
inline constexpr const char* kWrongCrc = "the zip entry is damaged: its bytes do not match their CRC-32";

struct ZipEntry
{
    std::uint32_t crc = 0;
    int method = 0; // 0 stored, 8 deflated, 9 deflate64, ...
    bool encrypted = false;
};

class ZipDirectory
{
public:
    // Reads the directory from the zip's end; false when it cannot be found or read (the zip reader then tells
    // why). The source is left at its start.
    bool read(GsfInput* source);
    // The entry of that name (as the directory spells it, without a leading "/"); of two entries with one name,
    // the one the directory names last, as other readers take it. nullptr when there is none.
    const ZipEntry* find(const std::string& name) const;

private:
    std::unordered_map<std::string, ZipEntry> entries_;
};

// The CRC-32 of a zip entry's bytes, taken as they come.
class Crc32
{
public:
    void add(const void* bytes, std::size_t size);
    std::uint32_t value() const { return value_; }

private:
    std::uint32_t value_ = 0;
};

} // namespace data::xlsx
