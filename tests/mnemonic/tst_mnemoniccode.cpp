// BuildMnemonicCode: the worked examples of product names, and the byte-level rules on raw GBK bytes.

#include "mnemonic/MnemonicCode.h"
#include "mnemonic/MnemonicEncoder.h"
#include "WorkedExamples.h"

#include <QTest>

#include <climits>

using namespace mnemonic;

namespace {

constexpr int none = 0;
constexpr int full = moFullPinyin;
constexpr int mark = moMarkMissing;
constexpr int keep = moKeepSymbols;

// Raw bytes from a string literal, embedded zero bytes included.
template <qsizetype N> QByteArray bytes(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

} // namespace

class TestMnemonicCode : public QObject
{
    Q_OBJECT

private slots:
    void productNames_data();
    void productNames();
    void gbkBytes_data();
    void gbkBytes();
    void cutStopsEarlyAndCountsBytes();
    void textOutsideGbk_data();
    void textOutsideGbk();
    void oneEncoderForManyTexts();
};

void TestMnemonicCode::productNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("expected");

    for (const workedexamples::Example& example : workedexamples::kExamples) {
        QTest::newRow(example.name) << QString::fromUtf8(example.text) << example.options << example.maxLength
                                    << QString::fromUtf8(example.code);
    }
}

void TestMnemonicCode::productNames()
{
    QFETCH(QString, text);
    QFETCH(int, options);
    QFETCH(int, maxLength);
    QFETCH(QString, expected);
    QCOMPARE(BuildMnemonicCode(text, options, maxLength), expected);
}

void TestMnemonicCode::gbkBytes_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray zhongGuo = bytes("\xD6\xD0\xB9\xFA");
    auto row = [](const char* name, const QByteArray& text, int options, int maxLength, const QByteArray& expected) {
        QTest::newRow(name) << text << options << maxLength << expected;
    };

    // Options and maximum length
    row("empty text", "", full | mark | keep, 255, "");
    row("negative options", zhongGuo, -1, 255, "");
    row("most negative options", zhongGuo, INT_MIN, 255, "");
    row("unknown option bits ignored", zhongGuo, 8 | 16 | 0x40000000, 255, "ZG");
    row("unknown bits beside full pinyin", zhongGuo, 0x7FFFFFF8 | full, 255, "ZHONGGUO");
    row("maximum length 0", zhongGuo, full, 0, "");
    row("negative maximum length", zhongGuo, full, -5, "");
    row("maximum length 1", zhongGuo, full, 1, "Z");
    row("maximum length above the result", zhongGuo, full, 9, "ZHONGGUO");
    row("largest maximum length", zhongGuo, full, INT_MAX, "ZHONGGUO");

    // Single bytes
    row("ascii letters upper-cased", "abcXYZ09", none, 255, "ABCXYZ09");
    row("punctuation and space dropped", "a b-c.!", none, 255, "ABC");
    row("punctuation, space and control bytes kept", bytes("a b\t-\x01\x00."), keep, 255, bytes("A B\t-\x01\x00."));
    row("0x80 dropped",
        "\x80"
        "1",
        mark, 255, "1");
    row("0x80 kept",
        "\x80"
        "1",
        keep, 255,
        "\x80"
        "1");
    row("lone lead byte dropped", "\xD6", mark, 255, "");
    row("lone lead byte kept", "\xD6", keep, 255, "\xD6");
    row("lead byte before a digit is single",
        "\xD6"
        "1",
        mark, 255, "1");
    row("lead byte before a digit kept",
        "\xD6"
        "1",
        keep, 255,
        "\xD6"
        "1");
    row("lone 0xFF kept", "\xFF", keep, 255, "\xFF");
    row("0xFF before a digit is single",
        "\xFF"
        "1",
        mark, 255, "1");

    // A lead byte takes the byte after it from 0x40 up, letters included
    row("lead byte and letter form one character",
        "\xB0"
        "Ab",
        full, 255, "LAOB");
    row("lead byte and letter without reading",
        "\xA1"
        "Ab",
        mark, 255, "?B");
    row("lead byte and letter without reading, kept",
        "\xA1"
        "Ab",
        keep, 255, "B");
    row("trail 0x7F has no reading", "\xD6\x7F", mark, 255, "?");
    row("trail 0x7F has no reading, unmarked", "\xD6\x7F", keep, 255, "");
    row("lead byte 0xFF has no reading", "\xFF\xA1", mark, 255, "?");
    row("trail byte 0xFF has no reading", "\xD6\xFF", mark, 255, "?");
    row("trail byte 0xFF after a level-1 row", "\xD7\xFF", mark | keep, 255, "?");

    // Chinese characters and the index
    row("mark without keep", "\xB7\xF0\xCA\xD6", mark, 255, "?S");
    row("ideographic space and comma", "\xA1\xA1\xA1\xA2", mark, 255, "??");
    row("degree Celsius", "\xA1\xE6", mark, 255, "?");
    row("symbol row unmarked, even kept", "\xA1\xE6", keep, 255, "");
    row("user-defined area 1", "\xAA\xA1", mark, 255, "?");
    row("user-defined area 2", "\xF8\xA1", mark, 255, "?");
    row("user-defined area 3", "\xA1\x40", mark, 255, "?");
    row("unassigned end of level 1", "\xD7\xFA", mark, 255, "?");
    row("syllable appended without keep", "\xD6\xD0", full, 255, "ZHONG");

    // Row A2: numbered forms
    row("small roman ten", "\xA2\xAA", none, 255, "10");
    row("number with full stop twenty", "\xA2\xC4", none, 255, "20");
    row("parenthesized twenty", "\xA2\xD8", mark, 255, "20");
    row("circled ten", "\xA2\xE2", none, 255, "10");
    row("parenthesized ideograph one", "\xA2\xE5", none, 255, "1");
    row("roman twelve", "\xA2\xFC", none, 255, "12");
    row("empty numbered forms give nothing, even marked", "\xA2\xAB\xA2\xB0\xA2\xE3\xA2\xEF\xA2\xFE", mark, 255, "");
    row("row A2 below the numbered forms", "\xA2\x40\xA2\xA0", mark, 255, "??");
    row("row A2 trail 0xFF", "\xA2\xFF", mark, 255, "?");

    // Row A3: full-width forms
    row("full-width letters keep their case", "\xA3\xE1\xA3\xE2\xA3\xC3", none, 255, "abC");
    row("full-width letters kept", "\xA3\xE1\xA3\xE2\xA3\xE3", keep, 255, "abc");
    row("full-width digits", "\xA3\xB0\xA3\xB9", none, 255, "09");
    row("full-width symbols dropped, never marked", "\xA3\xA1\xA3\xA0\xA3\x81\xA3\x40\xA3\xFF", mark, 255, "");
    row("full-width space", "\xA3\xA0", keep, 255, " ");
    row("row A3 below 0xA1 gives control bytes", "\xA3\x81\xA3\x9F\xA3\x80", keep, 255, bytes("\x01\x1F\x00"));
    row("row A3 0x40-0x7F gives 0xC0-0xFF", "\xA3\x40\xA3\x7F", keep, 255, "\xC0\xFF");
    row("row A3 trail 0xFF gives 0x7F", "\xA3\xFF", keep, 255, "\x7F");

    // Row A6: Greek letters
    row("capital alpha", "\xA6\xA1", none, 255, "A");
    row("small alpha", "\xA6\xC1", none, 255, "A");
    row("capital and small theta", "\xA6\xA8\xA6\xC8", none, 255, "THTH");
    row("omicron and omega", "\xA6\xAF\xA6\xB8\xA6\xD8", none, 255, "OOO");
    row("eta like epsilon", "\xA6\xA7\xA6\xC5", none, 255, "EE");
    row("phi chi psi", "\xA6\xD5\xA6\xD6\xA6\xD7", none, 255, "PHKHPS");
    row("row A6 outside the alphabets", "\xA6\xA0\xA6\xB9\xA6\xC0\xA6\xD9\xA6\xE0\xA6\xF5\xA6\xFF", mark, 255,
        "???????");
    row("row A6 outside the alphabets unmarked", "\xA6\xE0", keep, 255, "");
}

void TestMnemonicCode::gbkBytes()
{
    QFETCH(QByteArray, text);
    QFETCH(int, options);
    QFETCH(int, maxLength);
    QFETCH(QByteArray, expected);
    QCOMPARE(BuildMnemonicCode(QByteArrayView(text), options, maxLength), expected);
}

void TestMnemonicCode::cutStopsEarlyAndCountsBytes()
{
    // 200 times zhong: the cut at 255 bytes falls inside the 51st syllable.
    const QByteArray text = QByteArray("\xD6\xD0").repeated(200);
    const QByteArray code = BuildMnemonicCode(QByteArrayView(text), moFullPinyin, 255);
    QCOMPARE(code, QByteArray("ZHONG").repeated(51));
    QCOMPARE(BuildMnemonicCode(QByteArrayView(text), moFullPinyin, 1003), QByteArray("ZHONG").repeated(200));
    QCOMPARE(BuildMnemonicCode(QByteArrayView(text), moFullPinyin, 253), QByteArray("ZHONG").repeated(50) + "ZHO");
}

void TestMnemonicCode::textOutsideGbk_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<QString>("expected");

    const QString emoji = QString::fromUtf8("a\U0001F600b");
    QTest::newRow("character outside the BMP is one '?'") << emoji << keep << QStringLiteral("A?B");
    QTest::newRow("'?' is a single byte, dropped") << emoji << mark << QStringLiteral("AB");
    QTest::newRow("character outside GBK is one '?'") << QString::fromUtf8("a\u0E01b") << keep << QStringLiteral("A?B");
    QTest::newRow("lone high surrogate") << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << keep
                                         << QStringLiteral("A?B");
    QTest::newRow("lone low surrogate") << (QStringLiteral("a") + QChar(0xDC00)) << keep << QStringLiteral("A?");
    QTest::newRow("text in GBK beside one outside")
        << QString::fromUtf8("中\u0E01国") << (full | keep) << QStringLiteral("ZHONG?GUO");
}

void TestMnemonicCode::textOutsideGbk()
{
    QFETCH(QString, text);
    QFETCH(int, options);
    QFETCH(QString, expected);
    QCOMPARE(BuildMnemonicCode(text, options, 255), expected);
}

// An import keeps one encoder for all its rows: no text may leave anything behind for the next one.
void TestMnemonicCode::oneEncoderForManyTexts()
{
    MnemonicEncoder encoder;
    for (int round = 0; round < 2; ++round) {
        for (const workedexamples::Example& example : workedexamples::kExamples) {
            QCOMPARE(encoder.build(QString::fromUtf8(example.text), example.options, example.maxLength),
                     QString::fromUtf8(example.code));
        }
    }
    // A surrogate at the end of one text does not pair with the start of the next: each text gives what it gives
    // on its own (through a converter of its own).
    const QString texts[] = {
        QStringLiteral("a") + QChar(0xD800), QStringLiteral("b中"),  QChar(0xDC00) + QStringLiteral("b中"),
        QStringLiteral("c") + QChar(0xD83D), QString(QChar(0xDE00)), QStringLiteral("中国")};
    for (const QString& text : texts)
        QCOMPARE(encoder.build(text, full | keep, 255), BuildMnemonicCode(text, full | keep, 255));
    QCOMPARE(encoder.build(QString(QChar(0xDE00)) + QStringLiteral("b"), keep, 255), QStringLiteral("?B"));
}

QTEST_GUILESS_MAIN(TestMnemonicCode)
#include "tst_mnemoniccode.moc"
