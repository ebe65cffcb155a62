// Phrase readings (moPhrases): codes of drug names, herbs and everyday words whose characters have several readings,
// the pharmacy word list read before the general words, characters that only the word list reads, the phrase
// table's layout, and that without the bit every code stays as the characters alone give it.

#include "mnemonic/MnemonicCode.h"
#include "mnemonic/PhraseIndex.h"
#include "mnemonic/PhraseTable.h"
#include "mnemonic/PinyinTables.h"
#include "WorkedExamples.h"

#include <QHash>
#include <QStringDecoder>
#include <QTest>

#include <algorithm>
#include <bit>
#include <set>

using namespace mnemonic;

namespace {

constexpr int full = moFullPinyin;
constexpr int mark = moMarkMissing;
constexpr int keep = moKeepSymbols;
constexpr int phrases = moPhrases;

// One record of the phrase table, read back independently of the lookup.
struct PhraseRecord
{
    QByteArray gbk;        // all characters of the phrase
    QList<int> syllables;  // the phrase's syllable number per character (0: no reading)
    QList<int> ownNumbers; // the per-character index's number per character
    QList<int> changePlaces;
};

QByteArray upperLetters(int number, bool whole)
{
    if (number == 0)
        return {};
    const std::string_view letters = phraseSyllableLetters(number);
    return QByteArray(letters.data(), whole ? static_cast<qsizetype>(letters.size()) : 1).toUpper();
}

QByteArray gbkCharacter(int position)
{
    const char bytes[2]{static_cast<char>(kIndexFirstLead + position / kIndexColumns),
                        static_cast<char>(kIndexFirstTrail + position % kIndexColumns)};
    return QByteArray(bytes, 2);
}

// Every record of every pair, with the first two characters taken from the pair's place in the index.
QList<PhraseRecord> allRecords()
{
    QList<int> firstPositions;
    for (int word = 0; word < kPhraseStartWords; ++word) {
        for (int bit = 0; bit < 64; ++bit) {
            if (PhraseStarts[word] >> bit & 1)
                firstPositions.append(word * 64 + bit);
        }
    }
    QList<PhraseRecord> records;
    for (qsizetype group = 0; group < firstPositions.size(); ++group) {
        for (std::size_t pair = PhraseGroupOffsets[group]; pair < PhraseGroupOffsets[group + 1]; ++pair) {
            const QByteArray firstTwo = gbkCharacter(firstPositions[group]) + gbkCharacter(PhraseSeconds[pair]);
            for (std::size_t at = PhrasePairOffsets[pair]; at < PhrasePairOffsets[pair + 1];) {
                PhraseRecord record;
                const int characters = PhraseRecords[at] >> 4;
                const int changes = PhraseRecords[at] & 0x0F;
                record.gbk =
                    firstTwo + QByteArray(reinterpret_cast<const char*>(&PhraseRecords[at + 1]), 2 * (characters - 2));
                for (int k = 0; k < characters; ++k) {
                    const auto lead = static_cast<unsigned char>(record.gbk[2 * k]);
                    const auto trail = static_cast<unsigned char>(record.gbk[2 * k + 1]);
                    record.ownNumbers.append(syllableNumber(lead, trail));
                }
                record.syllables = record.ownNumbers;
                std::size_t change = at + 1 + 2 * (characters - 2);
                for (int c = 0; c < changes; ++c, change += 2) {
                    const int value = PhraseRecords[change] << 8 | PhraseRecords[change + 1];
                    record.changePlaces.append(value >> 9);
                    if ((value >> 9) < characters)
                        record.syllables[value >> 9] = value & 0x1FF;
                }
                records.append(record);
                at = change;
            }
        }
    }
    return records;
}

QString readable(const QByteArray& gbk)
{
    return QStringDecoder("GBK")(gbk);
}

} // namespace

class TestPhraseReadings : public QObject
{
    Q_OBJECT

private slots:
    void phraseCodes_data();
    void phraseCodes();
    void pharmacyWords_data();
    void pharmacyWords();
    void charactersOnlyTheWordListReads();
    void gbkBytesBesidePhrases_data();
    void gbkBytesBesidePhrases();
    void withoutTheBitNothingChanges();
    void workedExamplesKeepTheirCodeWithTheBit();
    void everyPhraseIsFoundWithItsReading();
    void tableLayout();
};

void TestPhraseReadings::phraseCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("withoutPhrases");

    auto row = [](const char* name, const char* text, int options, int maxLength, const char* expected,
                  const char* withoutPhrases) {
        QTest::newRow(name) << QString::fromUtf8(text) << options << maxLength << QString::fromUtf8(expected)
                            << QString::fromUtf8(withoutPhrases);
    };
    // The words that staff type otherwise than the characters read alone
    row("ginseng, 参 shen", "人参", mark, 255, "RS", "RC");
    row("white atractylodes, 术 zhu", "白术", mark, 255, "BZ", "BS");
    row("paris root, 重 chong", "重楼", mark, 255, "CL", "ZL");
    row("changchun, 长 chang", "长春", mark, 255, "CC", "ZC");
    row("walking, 行 xing", "行走", mark, 255, "XZ", "HZ");
    row("music, 乐 yue", "音乐", mark, 255, "YY", "YL");

    // Drug names
    row("compound salvia tablets", "复方丹参片", mark, 255, "FFDSP", "FFDCP");
    row("recombinant insulin", "重组人胰岛素注射液", mark, 255, "CZRYDSZSY", "ZZRYDSZSY");
    row("vinpocetine", "长春西汀片", mark, 255, "CCXTP", "ZCXTP");
    row("hydrocortisone, whole syllables", "氢化可的松", full, 255, "QINGHUAKEDISONG", "QINGHUAKEDESONG");
    row("prednisone, pharmacy reading", "强的松片", full, 255, "QIANGDISONGPIAN", "QIANGDESONGPIAN");
    row("rehmannia pills, whole syllables", "六味地黄丸", full, 255, "LIUWEIDIHUANGWAN", "LIUWEIDEHUANGWAN");
    row("aspirin keeps its code", "阿司匹林肠溶片", mark, 255, "ASPLCRP", "ASPLCRP");
    row("amoxicillin keeps its code", "阿莫西林胶囊", mark, 255, "AMXLJN", "AMXLJN");

    // Herbs and formulas
    row("atractylodes", "苍术", mark, 255, "CZ", "CS");
    row("zedoary", "莪术", mark, 255, "EZ", "ES");
    row("vaccaria", "王不留行", mark, 255, "WBLX", "WBLH");
    row("saffron", "藏红花", mark, 255, "ZHH", "CHH");
    row("magnolia bark, whole syllables", "厚朴", full, 255, "HOUPO", "HOUPU");
    row("phellodendron, whole syllables", "黄柏", full, 255, "HUANGBO", "HUANGBAI");
    row("myrrh, whole syllables", "没药", full, 255, "MOYAO", "MEIYAO");
    row("bitter orange, pharmacy reading", "枳壳", mark, 255, "ZQ", "ZK");
    row("steamed ginseng, pharmacy reading", "红参片", mark, 255, "HSP", "HCP");
    row("formula from two pharmacy phrases", "参苓白术散", mark, 255, "SLBZS", "CLBSS");
    row("pharmacy reading undoes a shorter phrase", "鸡血藤", full, 255, "JIXUETENG", "JIXUETENG");
    row("shorter phrase alone", "鸡血", full, 255, "JIXIE", "JIXUE");
    row("buddha's hand, 佛 fo from the phrase data", "佛手", mark | phrases, 255, "FS", "?S");

    // Everyday words
    row("bank keeps hang", "银行", mark, 255, "YH", "YH");
    row("bank president reads as its characters", "行长", mark, 255, "HZ", "HZ");
    row("happy keeps le", "快乐", full, 255, "KUAILE", "KUAILE");
    row("instrument", "乐器", mark, 255, "YQ", "LQ");
    row("again", "重新", mark, 255, "CX", "ZX");
    row("a reading where the characters have none", "给予", mark, 255, "JY", "?Y");
    row("no phrase, 给 read alone", "给药", mark, 255, "GY", "?Y");
    row("no phrase, 给 read alone, whole syllables", "给药", full, 255, "GEIYAO", "YAO");
    row("as if, fu where 佛 has none", "仿佛", full | mark, 255, "FANGFU", "FANG?");

    // Longest phrase first, then on after it
    row("phrase then a character", "长春花", mark, 255, "CCH", "ZCH");
    row("two phrases in a row", "音乐人参", mark, 255, "YYRS", "YLRC");
    row("phrase followed by the same character", "长春长", mark, 255, "CCZ", "ZCZ");

    // The cut at the maximum length
    row("cut inside a phrase", "长春花", full, 5, "CHANG", "ZHANG");
    row("cut after one initial of a phrase", "长春花", mark, 1, "C", "Z");
    row("cut inside the second syllable", "人参", full, 5, "RENSH", "RENCA");
    row("cut at the end of a phrase", "人参片", mark, 2, "RS", "RC");

    // Symbols and digits beside phrases
    row("digits and symbols kept around a phrase", "0.9%人参10g", keep, 255, "0.9%RS10G", "0.9%RC10G");
    row("digits around a phrase", "0.9%人参10g", mark, 255, "09RS10G", "09RC10G");
    row("full-width brackets kept", "（复方）丹参片", keep, 255, "(FF)DSP", "(FF)DCP");
    row("marked symbols around a phrase", "【人参】", mark, 255, "?RS?", "?RC?");
    row("a space parts the phrase", "人 参", mark | keep, 255, "R C", "R C");
    row("a full-width space parts the phrase", "人\u3000参", mark, 255, "R?C", "R?C");
    row("an ascii letter parts the phrase", "人a参", mark, 255, "RAC", "RAC");
    row("greek letter before a phrase", "α-人参", full | mark, 255, "ARENSHEN", "ARENCAN");

    // Whole syllables
    row("ginseng, whole syllables", "人参", full, 255, "RENSHEN", "RENCAN");
    row("changchun, whole syllables", "长春", full, 255, "CHANGCHUN", "ZHANGCHUN");
    row("music, whole syllables, marked", "音乐", full | mark, 255, "YINYUE", "YINLE");
}

void TestPhraseReadings::phraseCodes()
{
    QFETCH(QString, text);
    QFETCH(int, options);
    QFETCH(int, maxLength);
    QFETCH(QString, expected);
    QFETCH(QString, withoutPhrases);
    QCOMPARE(BuildMnemonicCode(text, options | phrases, maxLength), expected);
    QCOMPARE(BuildMnemonicCode(text, options & ~phrases, maxLength), withoutPhrases);
}

void TestPhraseReadings::pharmacyWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("initials");
    QTest::addColumn<QString>("syllables");

    auto row = [](const char* text, const char* initials, const char* syllables) {
        QTest::newRow(text) << QString::fromUtf8(text) << QString::fromUtf8(initials) << QString::fromUtf8(syllables);
    };
    // Herbs whose general reading is not the pharmacy's
    row("阿胶", "AJ", "AJIAO");
    row("阿胶珠", "AJZ", "AJIAOZHU");
    row("东阿阿胶", "DEAJ", "DONGEAJIAO");
    row("徐长卿", "XCQ", "XUCHANGQING");
    row("佛手", "FS", "FOSHOU");
    row("白术", "BZ", "BAIZHU");
    row("土炒白术", "TCBZ", "TUCHAOBAIZHU");
    row("人参", "RS", "RENSHEN");
    row("南沙参", "NSS", "NANSHASHEN");
    row("西洋参", "XYS", "XIYANGSHEN");
    row("炙甘草", "ZGC", "ZHIGANCAO");
    row("煅蛤壳", "DGK", "DUANGEKE");
    row("生蛤壳", "SGK", "SHENGGEKE");
    row("麸炒枳壳", "FCZQ", "FUCHAOZHIQIAO");
    row("蜜桔梗", "MJG", "MIJIEGENG");
    row("藏青果", "ZQG", "ZANGQINGGUO");
    row("厚朴", "HP", "HOUPO");
    row("黄柏", "HB", "HUANGBO");
    row("柏子仁", "BZR", "BAIZIREN");
    row("重楼", "CL", "CHONGLOU");
    row("熟地黄", "SDH", "SHUDIHUANG");
    row("降香", "JX", "JIANGXIANG");
    row("鸡血藤", "JXT", "JIXUETENG");
    row("炮姜", "PJ", "PAOJIANG");
    // Drug names and dosage forms
    row("长效", "CX", "CHANGXIAO");
    row("硝苯地平长效片", "XBDPCXP", "XIAOBENDIPINGCHANGXIAOPIAN");
    row("长春西汀注射液", "CCXTZSY", "CHANGCHUNXITINGZHUSHEYE");
    row("重酒石酸间羟胺注射液", "CJSSJQAZSY", "CHONGJIUSHISUANJIANQIANGANZHUSHEYE");
    row("强的松龙", "QDSL", "QIANGDISONGLONG");
    row("参麦注射液", "SMZSY", "SHENMAIZHUSHEYE");
    row("血府逐瘀胶囊", "XFZYJN", "XUEFUZHUYUJIAONANG");
    row("调经丸", "TJW", "TIAOJINGWAN");
    row("盐酸可乐定片", "YSKLDP", "YANSUANKELEDINGPIAN");
    row("六味地黄丸", "LWDHW", "LIUWEIDIHUANGWAN");
}

void TestPhraseReadings::pharmacyWords()
{
    QFETCH(QString, text);
    QFETCH(QString, initials);
    QFETCH(QString, syllables);
    QCOMPARE(BuildMnemonicCode(text, mark | phrases, 255), initials);
    QCOMPARE(BuildMnemonicCode(text, full | mark | phrases, 255), syllables);
}

void TestPhraseReadings::charactersOnlyTheWordListReads()
{
    // 佛 and 给 are among them; each gives its letters under moPhrases and a mark without it, never nothing.
    QVERIFY(PhraseCharacterPositions.size() >= 2);
    QCOMPARE(PhraseCharacterPositions.size(), PhraseCharacterSyllables.size());
    QVERIFY(std::is_sorted(PhraseCharacterPositions.begin(), PhraseCharacterPositions.end()));
    for (std::size_t k = 0; k < PhraseCharacterPositions.size(); ++k) {
        const QByteArray character = gbkCharacter(PhraseCharacterPositions[k]);
        const auto lead = static_cast<unsigned char>(character[0]);
        const auto trail = static_cast<unsigned char>(character[1]);
        QCOMPARE(syllableNumber(lead, trail), 0);
        const int number = PhraseCharacterSyllables[k];
        QVERIFY(number >= 1 && std::size_t(number) <= kSyllableCount + PhraseExtraSyllables.size());
        QCOMPARE(BuildMnemonicCode(QByteArrayView(character), mark | phrases, 255), upperLetters(number, false));
        QCOMPARE(BuildMnemonicCode(QByteArrayView(character), full | phrases, 255), upperLetters(number, true));
        QCOMPARE(BuildMnemonicCode(QByteArrayView(character), mark, 255), QByteArray("?"));
    }
    // A character that no table reads keeps its mark: 仏 (8196).
    QCOMPARE(BuildMnemonicCode(QByteArrayView("\x81\x96"), mark | phrases, 255), QByteArray("?"));
}

void TestPhraseReadings::gbkBytesBesidePhrases_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("options");
    QTest::addColumn<QByteArray>("expected");

    // 人 C8CB, 参 B2CE
    QTest::newRow("phrase") << QByteArray("\xC8\xCB\xB2\xCE") << phrases << QByteArray("RS");
    QTest::newRow("lone lead byte after the first character")
        << QByteArray("\xC8\xCB\xB2") << (phrases | keep) << QByteArray("R\xB2");
    QTest::newRow("lead byte before a digit") << QByteArray("\xC8\xCB\xB2"
                                                            "1")
                                              << (phrases | mark) << QByteArray("R1");
    QTest::newRow("phrase read from the second byte on is no phrase")
        << QByteArray("\x31\xC8\xCB\xB2\xCE") << phrases << QByteArray("1RS");
    QTest::newRow("trail byte 0xFF is no character of a phrase")
        << QByteArray("\xC8\xCB\xB2\xFF") << (phrases | mark) << QByteArray("R?");
    QTest::newRow("negative options stay empty") << QByteArray("\xC8\xCB\xB2\xCE") << -1 << QByteArray();
}

void TestPhraseReadings::gbkBytesBesidePhrases()
{
    QFETCH(QByteArray, text);
    QFETCH(int, options);
    QFETCH(QByteArray, expected);
    QCOMPARE(BuildMnemonicCode(QByteArrayView(text), options, 255), expected);
}

void TestPhraseReadings::withoutTheBitNothingChanges()
{
    // Every phrase of the table, read without the bit, gives what its characters give alone.
    const QList<PhraseRecord> records = allRecords();
    QVERIFY(!records.isEmpty());
    for (const PhraseRecord& record : records) {
        QByteArray initials, syllables;
        for (int number : record.ownNumbers) {
            initials += upperLetters(number, false);
            syllables += upperLetters(number, true);
        }
        QCOMPARE(BuildMnemonicCode(QByteArrayView(record.gbk), 0, 255), initials);
        // Every bit above moPhrases set, to no effect.
        QCOMPARE(BuildMnemonicCode(QByteArrayView(record.gbk), full | keep | 0x7FFFFFF0, 255), syllables);
    }
}

void TestPhraseReadings::workedExamplesKeepTheirCodeWithTheBit()
{
    // None of the worked examples holds a word that reads otherwise than its characters; only 佛 and 给, which the
    // index leaves without a reading, are read under moPhrases.
    const QHash<QString, QString> readOtherwise{{QStringLiteral("fo has no syllable, marked"), QStringLiteral("FS")},
                                                {QStringLiteral("fo has no syllable"), QStringLiteral("FS")},
                                                {QStringLiteral("gei has no syllable"), QStringLiteral("GY")}};
    int readWithPhrases = 0;
    for (const workedexamples::Example& example : workedexamples::kExamples) {
        const QString name = QString::fromUtf8(example.name);
        const QString text = QString::fromUtf8(example.text);
        const QString expected = readOtherwise.value(name, QString::fromUtf8(example.code));
        readWithPhrases += readOtherwise.contains(name);
        QCOMPARE(BuildMnemonicCode(text, example.options | phrases, example.maxLength), expected);
    }
    QCOMPARE(readWithPhrases, readOtherwise.size());
}

void TestPhraseReadings::everyPhraseIsFoundWithItsReading()
{
    for (const PhraseRecord& record : allRecords()) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(record.gbk.constData());
        const PhraseMatch match = findPhrase(bytes, record.gbk.size());
        QVERIFY2(match.characters() == record.gbk.size() / 2, qPrintable(readable(record.gbk)));
        QByteArray expected;
        for (int number : record.syllables)
            expected += upperLetters(number, true);
        QCOMPARE(BuildMnemonicCode(QByteArrayView(record.gbk), full | phrases, 255), expected);
    }
}

void TestPhraseReadings::tableLayout()
{
    int startBits = 0;
    for (int word = 0; word < kPhraseStartWords; ++word) {
        QCOMPARE(int{PhraseStartRanks[word]}, startBits);
        startBits += std::popcount(PhraseStarts[word]);
    }
    QCOMPARE(PhraseGroupOffsets.size(), std::size_t(startBits) + 1);
    QCOMPARE(int{PhraseGroupOffsets.front()}, 0);
    QCOMPARE(std::size_t{PhraseGroupOffsets.back()}, PhraseSeconds.size());
    QVERIFY(std::is_sorted(PhraseGroupOffsets.begin(), PhraseGroupOffsets.end()));
    // Second characters ascend within a group, so that they can be searched by halves.
    for (std::size_t group = 0; group + 1 < PhraseGroupOffsets.size(); ++group) {
        QVERIFY(PhraseGroupOffsets[group] < PhraseGroupOffsets[group + 1]);
        for (std::size_t pair = PhraseGroupOffsets[group] + 1; pair < PhraseGroupOffsets[group + 1]; ++pair)
            QVERIFY(PhraseSeconds[pair - 1] < PhraseSeconds[pair]);
    }
    QCOMPARE(PhrasePairOffsets.size(), PhraseSeconds.size() + 1);
    QCOMPARE(int{PhrasePairOffsets.front()}, 0);
    QCOMPARE(std::size_t{PhrasePairOffsets.back()}, PhraseRecords.size());
    for (std::size_t pair = 0; pair + 1 < PhrasePairOffsets.size(); ++pair)
        QVERIFY(PhrasePairOffsets[pair] < PhrasePairOffsets[pair + 1]);

    std::set<QByteArray> seen;
    QByteArray previous;
    const std::set<int> unusedSyllables{165, 394, 401, 402, 403};
    for (const PhraseRecord& record : allRecords()) {
        const QString name = readable(record.gbk);
        QVERIFY2(seen.insert(record.gbk).second, qPrintable(name + QStringLiteral(" twice")));
        const qsizetype characters = record.gbk.size() / 2;
        QVERIFY2(characters >= 2, qPrintable(name));
        for (qsizetype k = 0; k < characters; ++k) {
            const auto lead = static_cast<unsigned char>(record.gbk[2 * k]);
            const auto trail = static_cast<unsigned char>(record.gbk[2 * k + 1]);
            QVERIFY2(lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F, qPrintable(name));
            QVERIFY2(lead != 0xA2 && lead != 0xA3 && lead != 0xA6, qPrintable(name));
        }
        // Longest first among the phrases of one pair, so that the first match is the longest.
        if (previous.left(4) == record.gbk.left(4))
            QVERIFY2(previous.size() >= record.gbk.size(), qPrintable(name));
        previous = record.gbk;
        // A change names a later place than the one before, and a syllable other than the index's.
        int lastPlace = -1;
        for (int place : record.changePlaces) {
            QVERIFY2(place > lastPlace && place < characters, qPrintable(name));
            lastPlace = place;
            const int number = record.syllables[place];
            QVERIFY2(number >= 1 && std::size_t(number) <= kSyllableCount + PhraseExtraSyllables.size() &&
                         !unusedSyllables.contains(number),
                     qPrintable(name));
            QVERIFY2(number != record.ownNumbers[place], qPrintable(name));
        }
    }
}

QTEST_GUILESS_MAIN(TestPhraseReadings)
#include "tst_phrasereadings.moc"
