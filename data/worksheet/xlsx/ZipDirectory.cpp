#include "worksheet/xlsx/ZipDirectory.h"

#include <zlib.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <climits>
#include <vector>

namespace data::xlsx {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kEntrySignature = 0x02014b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxComment = 0xffff;
constexpr std::size_t kEntrySize = 46;
constexpr std::uint64_t kMaxDirectorySize = std::uint64_t(1) << 28;

std::uint64_t little(const unsigned char* bytes, int size)
{
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

bool readAt(GsfInput* source, std::uint64_t offset, std::vector<unsigned char>& bytes)
{
    return gsf_input_seek(source, gsf_off_t(offset), G_SEEK_SET) == FALSE &&
           (bytes.empty() || gsf_input_read(source, bytes.size(), bytes.data()) != nullptr);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define PI_CRC_FOLDING 1

#define PI_FOLDING_TARGET __attribute__((target("pclmul,sse4.1")))

PI_FOLDING_TARGET inline __m128i load(const unsigned char* bytes)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// value times k's two halves, added to next: 128 bits of the message moved on by the distance k stands for.
PI_FOLDING_TARGET inline __m128i fold(__m128i value, __m128i next, __m128i k)
{
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(value, k, 0x11), _mm_clmulepi64_si128(value, k, 0x00)),
                         next);
}

// CRC-32 by carry-less multiplication (folding 64 bytes at a time, then Barrett reduction), as Intel describes it
// for generic polynomials: several times zlib's speed, so that checking every byte of a large sheet costs its read
// no measurable time. state is the CRC register (not inverted); size >= 64 and a multiple of 16.
PI_FOLDING_TARGET std::uint32_t foldedCrc(const unsigned char* at, std::size_t size, std::uint32_t state)
{
    // The constants of the bit-reflected polynomial 0xEDB88320: x^(4*128+32), x^(4*128-32), x^(128+32), x^(128-32)
    // mod P, x^64 mod P, and P with its Barrett quotient.
    const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
    const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);

    __m128i x1 = _mm_xor_si128(load(at), _mm_cvtsi32_si128(int(state)));
    __m128i x2 = load(at + 16);
    __m128i x3 = load(at + 32);
    __m128i x4 = load(at + 48);
    at += 64;
    size -= 64;
    for (; size >= 64; at += 64, size -= 64) {
        x1 = fold(x1, load(at), k1k2);
        x2 = fold(x2, load(at + 16), k1k2);
        x3 = fold(x3, load(at + 32), k1k2);
        x4 = fold(x4, load(at + 48), k1k2);
    }
    x1 = fold(x1, x2, k3k4);
    x1 = fold(x1, x3, k3k4);
    x1 = fold(x1, x4, k3k4);
    for (; size >= 16; at += 16, size -= 16)
        x1 = fold(x1, load(at), k3k4);

    // 128 bits to 64, to 32.
    const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, k3k4, 0x10));
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), _mm_srli_si128(x1, 4));
    __m128i x2b = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    x2b = _mm_clmulepi64_si128(_mm_and_si128(x2b, low32), poly, 0x00);
    return std::uint32_t(_mm_extract_epi32(_mm_xor_si128(x1, x2b), 1));
}

bool canFold()
{
    static const bool supported = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return supported;
}
#endif

} // namespace

void Crc32::add(const void* bytes, std::size_t size)
{
    const auto* at = static_cast<const Bytef*>(bytes);
#ifdef PI_CRC_FOLDING
    if (size >= 64 && canFold()) {
        const std::size_t folded = size & ~std::size_t(15);
        value_ = ~foldedCrc(at, folded, ~value_);
        at += folded;
        size -= folded;
    }
#endif
    while (size > 0) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
        value_ = static_cast<std::uint32_t>(crc32(value_, at, piece));
        at += piece;
        size -= piece;
    }
}

bool ZipDirectory::read(GsfInput* source)
{
    entries_.clear();
    const gsf_off_t fileSize = gsf_input_size(source);
    if (fileSize < gsf_off_t(kEndSize))
        return false;
    const auto size = std::uint64_t(fileSize);
    std::vector<unsigned char> tail(std::min<std::uint64_t>(size, kEndSize + kMaxComment));
    const std::uint64_t tailStart = size - tail.size();
    bool read = readAt(source, tailStart, tail);
    std::uint64_t end = tail.size(); // where the end record starts in tail
    for (std::size_t at = tail.size() - kEndSize + 1; read && at-- > 0;) {
        if (little(&tail[at], 4) == kEndSignature) {
            end = at;
            break;
        }
    }
    if (end == tail.size()) {
        gsf_input_seek(source, 0, G_SEEK_SET);
        return false;
    }
    std::uint64_t count = little(&tail[end + 10], 2);
    std::uint64_t directorySize = little(&tail[end + 12], 4);
    std::uint64_t directoryOffset = little(&tail[end + 16], 4);
    if ((count == 0xffff || directorySize == 0xffffffff || directoryOffset == 0xffffffff) && tailStart + end >= 20) {
        std::vector<unsigned char> locator(20);
        std::vector<unsigned char> record(56);
        if (readAt(source, tailStart + end - 20, locator) && little(locator.data(), 4) == kZip64LocatorSignature &&
            readAt(source, little(&locator[8], 8), record) && little(record.data(), 4) == kZip64EndSignature) {
            count = little(&record[32], 8);
            directorySize = little(&record[40], 8);
            directoryOffset = little(&record[48], 8);
        }
    }
    std::vector<unsigned char> directory;
    if (directorySize <= kMaxDirectorySize && directoryOffset + directorySize <= size) {
        directory.resize(directorySize);
        read = readAt(source, directoryOffset, directory);
    } else {
        read = false;
    }
    gsf_input_seek(source, 0, G_SEEK_SET);
    if (!read)
        return false;
    for (std::size_t at = 0; count > 0 && at + kEntrySize <= directory.size(); --count) {
        const unsigned char* entry = &directory[at];
        if (little(entry, 4) != kEntrySignature)
            return false;
        const std::size_t nameLength = little(entry + 28, 2);
        const std::size_t next = at + kEntrySize + nameLength + little(entry + 30, 2) + little(entry + 32, 2);
        if (next > directory.size())
            return false;
        std::string name(reinterpret_cast<const char*>(entry + kEntrySize), nameLength);
        name.erase(0, name.find_first_not_of('/'));
        // The later of two entries of one name replaces the earlier.
        entries_[name] =
            ZipEntry{std::uint32_t(little(entry + 16, 4)), int(little(entry + 10, 2)), (little(entry + 8, 2) & 1) != 0};
        at = next;
    }
    return true;
}

const ZipEntry* ZipDirectory::find(const std::string& name) const
{
    const auto found = entries_.find(name);
    return found == entries_.end() ? nullptr : &found->second;
}

} // namespace data::xlsx
