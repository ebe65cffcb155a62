#pragma once
// Mnemonic codes of many texts in a row (an import builds one per product): the GBK converters are made once,
// not for every text, which costs more than the conversion itself.

#include <QString>
#include <QStringDecoder>
#include <QStringEncoder>

#include <optional>

namespace mnemonic {

class MnemonicEncoder
{
public:
    MnemonicEncoder();
    MnemonicEncoder(const MnemonicEncoder&) = delete;
    MnemonicEncoder& operator=(const MnemonicEncoder&) = delete;

    // As BuildMnemonicCode(const QString&, int, int): text to GBK (a character outside GBK becomes one '?' byte),
    // the code of those bytes, read back as GBK.
    QString build(const QString& text, int options, int maxLength);

private:
    // Stateless: nothing of one text (a surrogate cut in two, say) carries over into the next.
    QStringEncoder toGbk_;
    // Made when a code first holds a byte that is not ASCII, which only kept symbols give.
    std::optional<QStringDecoder> fromGbk_;
};

} // namespace mnemonic
