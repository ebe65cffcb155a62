#include "mnemonic/MnemonicEncoder.h"

#include "mnemonic/MnemonicCode.h"

#include <algorithm>

namespace mnemonic {

MnemonicEncoder::MnemonicEncoder() : toGbk_("GBK", QStringConverter::Flag::Stateless) {}

QString MnemonicEncoder::build(const QString& text, int options, int maxLength)
{
    // The GBK converter writes one '?' for each character it cannot encode (a lone surrogate or a whole pair alike).
    const QByteArray gbk = toGbk_(text);
    const QByteArray code = BuildMnemonicCode(QByteArrayView(gbk), options, maxLength);
    // Codes are ASCII unless symbols are kept; only then may they hold GBK bytes to read back.
    if (std::none_of(code.begin(), code.end(), [](char byte) { return static_cast<unsigned char>(byte) >= 0x80; }))
        return QString::fromLatin1(code);
    if (!fromGbk_)
        fromGbk_.emplace("GBK", QStringConverter::Flag::Stateless);
    return (*fromGbk_)(code);
}

} // namespace mnemonic
