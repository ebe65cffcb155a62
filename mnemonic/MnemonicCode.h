#pragma once
// Mnemonic codes: pinyin initials (or whole syllables) of a product name, for quick look-up at the till.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace mnemonic {

enum MnemonicOption : int {
    moFullPinyin = 1,  // whole syllable instead of the first letter
    moMarkMissing = 2, // "?" for a double-byte character without a reading
    moKeepSymbols = 4, // keep single bytes and full-width forms that are neither digits nor letters
    moPhrases = 8,     // read words as words: 人参 ren shen, not ren can as its characters alone
};

// The conversion proper, on GBK bytes. Pure; never fails.
QByteArray BuildMnemonicCode(QByteArrayView gbkText, int options, int maxLength);

// Converts text to GBK (a character outside GBK becomes one '?' byte) and calls the byte version.
// The result's bytes are read back as GBK. For many texts in a row, MnemonicEncoder is cheaper.
QString BuildMnemonicCode(const QString& text, int options, int maxLength);

} // namespace mnemonic
