// The mnemonic code of a GBK text: one pass over its bytes, one table lookup per double-byte character; under
// moPhrases also a two-bit filter test per character, and the phrase table where the filter lets a phrase begin.

#include "mnemonic/MnemonicCode.h"

#include "mnemonic/MnemonicEncoder.h"
#include "mnemonic/PhraseTable.h"
#include "mnemonic/PinyinTables.h"

#include <algorithm>

namespace mnemonic {
namespace {

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kFirstTrail = 0x40;
constexpr unsigned kNoByteAfter = 0; // the end of the text counts as a byte below the trail range
// A double-byte character yields at most six letters, a single byte one: three bytes per byte of text at most.
constexpr qsizetype kMaxBytesPerPiece = 6;
constexpr qsizetype kMaxResultPerTextByte = 3;

bool isDigitOrLetter(unsigned byte)
{
    return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

char upper(char letter)
{
    return letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
}

// Writes the pieces into a buffer sized once for the whole text.
class CodeWriter
{
public:
    CodeWriter(char* out, int options)
        : out_(out), fullPinyin_(options & moFullPinyin), markMissing_(options & moMarkMissing),
          keepSymbols_(options & moKeepSymbols)
    {
    }

    qsizetype written(const char* start) const { return out_ - start; }
    bool before(const char* stop) const { return out_ < stop; }

    void singleByte(unsigned byte)
    {
        if (keepSymbols_ || isDigitOrLetter(byte))
            *out_++ = upper(static_cast<char>(byte));
    }

    // Inlined into both walks, as into the one loop before phrases: called, it made the default codes 5% dearer. Under
    // moPhrases a character that the index leaves without a reading takes the word list's reading of it alone.
    template <bool Phrases = false> Q_ALWAYS_INLINE void doubleByte(unsigned lead, unsigned trail)
    {
        switch (lead) {
        case 0xA2:
            numberSign(trail);
            break;
        case 0xA3:
            fullWidthForm(trail);
            break;
        case 0xA6:
            greekLetter(trail);
            break;
        default:
            if constexpr (Phrases)
                characterWithPhrases(lead, trail);
            else
                syllable(lead, trail);
            break;
        }
    }

    // The syllables of a phrase at text, character by character, each only while the result is shorter than limit;
    // returns the bytes of text read. A phrase's characters all lie in the index (they are Chinese characters).
    qsizetype phrase(const PhraseMatch& phrase, const unsigned char* text, const char* start, qsizetype limit)
    {
        int change = 0;
        for (int place = 0; place < phrase.characters() && written(start) < limit; ++place) {
            int number = syllableNumber(text[2 * place], text[2 * place + 1]);
            if (change < phrase.changeCount() && phrase.changePlace(change) == place)
                number = phrase.changeSyllable(change++);
            else if (number == 0)
                number = characterAloneSyllable(text[2 * place], text[2 * place + 1]);
            phraseSyllable(number);
        }
        return 2 * qsizetype{phrase.characters()};
    }

private:
    void noReading()
    {
        if (markMissing_)
            *out_++ = '?';
    }

    void append(std::string_view letters, bool upperCase)
    {
        for (char letter : letters)
            *out_++ = upperCase ? upper(letter) : letter;
    }

    // Numbered forms: their number as digits; a code without a form gives nothing, not even a mark.
    void numberSign(unsigned trail)
    {
        if (trail < kNumberSignFirstTrail || trail > 0xFE)
            return noReading();
        append(NumberSignTexts[trail - kNumberSignFirstTrail], false);
    }

    // Full-width forms are the ASCII byte 0x80 below; the letters keep their case.
    void fullWidthForm(unsigned trail)
    {
        const unsigned byte = (trail - 0x80) & 0xFF;
        if (keepSymbols_ || isDigitOrLetter(byte))
            *out_++ = static_cast<char>(byte);
    }

    void greekLetter(unsigned trail)
    {
        int position = 0;
        if (trail >= 0xA1 && trail <= 0xB8)
            position = static_cast<int>(trail - 0xA0);
        else if (trail >= 0xC1 && trail <= 0xD8)
            position = static_cast<int>(trail - 0xC0);
        if (position == 0)
            return noReading();
        append(GreekLetterNames[position - 1], true);
    }

    // Lead byte 0xFF or trail byte 0xFF lie outside the index: GBK assigns no character there.
    void syllable(unsigned lead, unsigned trail)
    {
        syllable(lead <= kIndexLastLead && trail <= kIndexLastTrail ? syllableNumber(lead, trail) : 0);
    }

    // Lead byte 0xFF or trail byte 0xFF: no character, as above.
    void characterWithPhrases(unsigned lead, unsigned trail)
    {
        if (lead > kIndexLastLead || trail > kIndexLastTrail)
            return noReading();
        const int number = syllableNumber(lead, trail);
        phraseSyllable(number != 0 ? number : characterAloneSyllable(lead, trail));
    }

    // A syllable number of the phrase data (phraseSyllableLetters), or 0 for no reading.
    void phraseSyllable(int number)
    {
        if (number == 0)
            return noReading();
        const std::string_view letters = phraseSyllableLetters(number);
        append(fullPinyin_ ? letters : letters.substr(0, 1), true);
    }

    // Syllable number 1..405 of PinyinSyllables, or 0 for no reading.
    void syllable(int number)
    {
        if (number == 0)
            return noReading();
        const std::string_view letters = syllableLetters(number);
        append(fullPinyin_ ? letters : letters.substr(0, 1), true);
    }

    char* out_;
    const bool fullPinyin_;
    const bool markMissing_;
    const bool keepSymbols_;
};

// The walk over the text, into the buffer at start; returns the bytes written. Out of line, like the walk with phrases:
// each has the registers to itself. Over pointers, with the limit as a place in the buffer: with an index and a count
// the loop ran out of registers and read the text's address from memory twice a character.
Q_NEVER_INLINE qsizetype walk(const unsigned char* text, qsizetype size, int options, char* start, qsizetype limit)
{
    CodeWriter writer(start, options);
    const unsigned char* const end = text + size;
    const char* const stop = start + limit;
    for (const unsigned char* at = text; at < end && writer.before(stop);) {
        const unsigned c = at[0];
        const unsigned n = at + 1 < end ? at[1] : kNoByteAfter;
        if (c < kFirstLead || n < kFirstTrail) {
            writer.singleByte(c);
            at += 1;
            continue;
        }
        writer.doubleByte(c, n);
        at += 2;
    }
    return writer.written(start);
}

// The same under moPhrases, findPhrase spelled out.
Q_NEVER_INLINE qsizetype walkWithPhrases(const unsigned char* text, qsizetype size, int options, char* start,
                                         qsizetype limit)
{
    CodeWriter writer(start, options);
    const unsigned char* const end = text + size;
    const unsigned char* const lastPairStart = end - 4;
    const char* const stop = start + limit;
    for (const unsigned char* at = text; at < end && writer.before(stop);) {
        const unsigned c = at[0];
        const unsigned n = at + 1 < end ? at[1] : kNoByteAfter;
        if (c < kFirstLead || n < kFirstTrail) {
            writer.singleByte(c);
            at += 1;
            continue;
        }
        if (at <= lastPairStart && mayBeginPhrase(at)) {
            if (const PhraseMatch phrase = findPhraseBeginning(at, end - at); phrase.characters() > 0) {
                at += writer.phrase(phrase, at, start, limit);
                continue;
            }
        }
        writer.doubleByte<true>(c, n);
        at += 2;
    }
    return writer.written(start);
}

} // namespace

QByteArray BuildMnemonicCode(QByteArrayView gbkText, int options, int maxLength)
{
    if (options < 0 || maxLength <= 0 || gbkText.isEmpty())
        return {};

    // Bytes after the maximum length cannot change the result, so the walk stops once it is reached.
    const qsizetype limit = maxLength;
    QByteArray result(std::min(gbkText.size() * kMaxResultPerTextByte, limit - 1 + kMaxBytesPerPiece),
                      Qt::Uninitialized);
    char* const start = result.data();
    const auto* text = reinterpret_cast<const unsigned char*>(gbkText.data());
    // The walks stop at start + stopAt, a place inside the buffer: a longer limit is never reached before the text
    // ends.
    const qsizetype stopAt = std::min(limit, result.size());
    const qsizetype written = (options & moPhrases) ? walkWithPhrases(text, gbkText.size(), options, start, stopAt)
                                                    : walk(text, gbkText.size(), options, start, stopAt);
    result.truncate(std::min(written, limit));
    return result;
}

QString BuildMnemonicCode(const QString& text, int options, int maxLength)
{
    return MnemonicEncoder().build(text, options, maxLength);
}

} // namespace mnemonic
