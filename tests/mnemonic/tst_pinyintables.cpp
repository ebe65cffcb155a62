// The constant tables of the mnemonic codes: the syllable list, the generated GBK index and the symbol tables.

#include "mnemonic/PinyinTables.h"

#include <QTest>

#include <algorithm>
#include <map>
#include <set>

using namespace mnemonic;

namespace {

QByteArray letters(std::string_view text)
{
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

int entry(int lead, int trail)
{
    return GbkSyllableIndex[(lead - 0x81) * 191 + (trail - 0x40)];
}

int readingsIn(int firstLead, int lastLead, int firstTrail, int lastTrail)
{
    int count = 0;
    for (int lead = firstLead; lead <= lastLead; ++lead) {
        for (int trail = firstTrail; trail <= lastTrail; ++trail)
            count += entry(lead, trail) != 0 ? 1 : 0;
    }
    return count;
}

} // namespace

class TestPinyinTables : public QObject
{
    Q_OBJECT

private slots:
    void syllablesAtTheirNumbers_data();
    void syllablesAtTheirNumbers();
    void syllablesOrderLettersAndLengths();
    void indexEntriesAreSyllableNumbers();
    void indexAreas_data();
    void indexAreas();
    void tellingEntries_data();
    void tellingEntries();
    void unusedSyllablesNeverReferenced_data();
    void unusedSyllablesNeverReferenced();
    void numberSignTexts_data();
    void numberSignTexts();
    void greekLetterNames();
};

void TestPinyinTables::syllablesAtTheirNumbers_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QByteArray>("syllable");
    const std::map<int, const char*> known{
        {1, "a"},       {50, "cu"},     {84, "fu"},    {85, "fou"},   {91, "ge"},    {92, "ji"},   {93, "gen"},
        {100, "guan"},  {126, "jiang"}, {127, "qiao"}, {128, "jiao"}, {150, "kuai"}, {165, "lia"}, {166, "lian"},
        {167, "liang"}, {200, "nai"},   {219, "nue"},  {220, "yao"},  {221, "nuo"},  {250, "qu"},  {300, "sun"},
        {350, "ying"},  {393, "zuo"},   {394, ""},     {395, "ei"},   {396, "m"},    {397, "n"},   {398, "dia"},
        {399, "cen"},   {400, "nou"},   {401, "jv"},   {402, "qv"},   {403, "xv"},   {404, "lv"},  {405, "nv"},
    };
    for (const auto& [number, syllable] : known)
        QTest::addRow("%d %s", number, syllable) << number << QByteArray(syllable);
}

void TestPinyinTables::syllablesAtTheirNumbers()
{
    QFETCH(int, number);
    QFETCH(QByteArray, syllable);
    QCOMPARE(letters(syllableLetters(number)), syllable);
}

void TestPinyinTables::syllablesOrderLettersAndLengths()
{
    // Alphabetical up to 393 but for the four entries placed out of order.
    std::set<int> outOfOrder;
    for (int number = 1; number < 393; ++number) {
        if (syllableLetters(number) >= syllableLetters(number + 1))
            outOfOrder.insert(number);
    }
    QCOMPARE(outOfOrder, (std::set<int>{84, 92, 127, 220}));

    std::map<std::size_t, int> lengths;
    std::set<std::string_view> seen;
    for (std::string_view syllable : PinyinSyllables) {
        ++lengths[syllable.size()];
        QVERIFY2(seen.insert(syllable).second, "a syllable occurs twice");
        for (char letter : syllable)
            QVERIFY2(letter >= 'a' && letter <= 'z', "a syllable holds a byte that is not a small letter");
    }
    const std::map<std::size_t, int> expected{{0, 1}, {1, 5}, {2, 81}, {3, 170}, {4, 120}, {5, 25}, {6, 3}};
    QCOMPARE(lengths, expected);
}

void TestPinyinTables::indexEntriesAreSyllableNumbers()
{
    for (std::uint16_t number : GbkSyllableIndex)
        QVERIFY(number <= kSyllableCount);
    for (int lead = 0x81; lead <= 0xFE; ++lead)
        QCOMPARE(entry(lead, 0x7F), 0);
}

void TestPinyinTables::indexAreas_data()
{
    QTest::addColumn<int>("firstLead");
    QTest::addColumn<int>("lastLead");
    QTest::addColumn<int>("firstTrail");
    QTest::addColumn<int>("lastTrail");
    QTest::addColumn<int>("fewestReadings");
    QTest::addColumn<int>("mostReadings");

    // The two GB2312 levels are exact: every character but fo, gei and one radical in level 2.
    QTest::newRow("GB2312 level 1") << 0xB0 << 0xD7 << 0xA1 << 0xFE << 3753 << 3753;
    QTest::newRow("GB2312 level 2") << 0xD8 << 0xF7 << 0xA1 << 0xFE << 3007 << 3007;
    QTest::newRow("GBK/3") << 0x81 << 0xA0 << 0x40 << 0xFE << 5988 << 6080;
    QTest::newRow("GBK/4") << 0xAA << 0xFE << 0x40 << 0xA0 << 7997 << 8080;
    QTest::newRow("symbol rows") << 0xA1 << 0xA9 << 0xA1 << 0xFE << 0 << 0;
    QTest::newRow("symbol area A840-A9A0") << 0xA8 << 0xA9 << 0x40 << 0xA0 << 0 << 0;
    QTest::newRow("user-defined area AAA1-AFFE") << 0xAA << 0xAF << 0xA1 << 0xFE << 0 << 0;
    QTest::newRow("user-defined area F8A1-FEFE") << 0xF8 << 0xFE << 0xA1 << 0xFE << 0 << 0;
    QTest::newRow("user-defined area A140-A7A0") << 0xA1 << 0xA7 << 0x40 << 0xA0 << 0 << 0;
    QTest::newRow("unassigned end of level 1") << 0xD7 << 0xD7 << 0xFA << 0xFE << 0 << 0;
    QTest::newRow("unassigned FE50-FEA0") << 0xFE << 0xFE << 0x50 << 0xA0 << 0 << 0;
}

void TestPinyinTables::indexAreas()
{
    QFETCH(int, firstLead);
    QFETCH(int, lastLead);
    QFETCH(int, firstTrail);
    QFETCH(int, lastTrail);
    QFETCH(int, fewestReadings);
    QFETCH(int, mostReadings);
    const int readings = readingsIn(firstLead, lastLead, firstTrail, lastTrail);
    QVERIFY2(readings >= fewestReadings && readings <= mostReadings, QByteArray::number(readings).constData());
}

void TestPinyinTables::tellingEntries_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("syllable");
    const std::pair<int, const char*> entries[]{
        {0xD0D0, "hang"}, {0xB3A4, "zhang"}, {0xD6D8, "zhong"}, {0xC0D6, "le"},   {0xBBB9, "huan"},  {0xC1CB, "le"},
        {0xD7C5, "zhe"},  {0xBEF5, "jiao"},  {0xB6BC, "dou"},   {0xD4F8, "ceng"}, {0xB2CE, "can"},   {0xCAF5, "shu"},
        {0xB1A1, "bao"},  {0xB0D8, "bai"},   {0xC6D3, "pu"},    {0xBFC7, "ke"},   {0xC2CA, "lv"},    {0xC2CC, "lv"},
        {0xC5AE, "nv"},   {0xC2D4, "lue"},   {0xD6D0, "zhong"}, {0xB9FA, "guo"},  {0xC1A9, "liang"}, {0xB0A1, "a"},
        {0xB7F0, ""},     {0xB8F8, ""},      {0xF7D4, ""},
    };
    for (const auto& [code, syllable] : entries)
        QTest::addRow("%04X %s", code, *syllable ? syllable : "none") << code << QByteArray(syllable);
}

void TestPinyinTables::tellingEntries()
{
    QFETCH(int, code);
    QFETCH(QByteArray, syllable);
    const int number = syllableNumber(static_cast<unsigned>(code >> 8), static_cast<unsigned>(code & 0xFF));
    QCOMPARE(number == 0 ? QByteArray() : letters(syllableLetters(number)), syllable);
}

void TestPinyinTables::unusedSyllablesNeverReferenced_data()
{
    QTest::addColumn<int>("number");
    for (int number : {165, 394, 401, 402, 403})
        QTest::addRow("%s", letters(syllableLetters(number)).isEmpty() ? "empty" : syllableLetters(number).data())
            << number;
}

void TestPinyinTables::unusedSyllablesNeverReferenced()
{
    QFETCH(int, number);
    QVERIFY(std::find(GbkSyllableIndex.begin(), GbkSyllableIndex.end(), number) == GbkSyllableIndex.end());
}

void TestPinyinTables::numberSignTexts_data()
{
    QTest::addColumn<int>("firstTrail");
    QTest::addColumn<int>("lastTrail");
    QTest::addColumn<bool>("numbered");
    QTest::newRow("small roman numerals") << 0xA1 << 0xAA << true;
    QTest::newRow("gap A2AB-A2B0") << 0xAB << 0xB0 << false;
    QTest::newRow("numbers with full stop") << 0xB1 << 0xC4 << true;
    QTest::newRow("parenthesized numbers") << 0xC5 << 0xD8 << true;
    QTest::newRow("circled numbers") << 0xD9 << 0xE2 << true;
    QTest::newRow("gap A2E3-A2E4") << 0xE3 << 0xE4 << false;
    QTest::newRow("parenthesized ideographs") << 0xE5 << 0xEE << true;
    QTest::newRow("gap A2EF-A2F0") << 0xEF << 0xF0 << false;
    QTest::newRow("roman numerals") << 0xF1 << 0xFC << true;
    QTest::newRow("gap A2FD-A2FE") << 0xFD << 0xFE << false;
}

void TestPinyinTables::numberSignTexts()
{
    QFETCH(int, firstTrail);
    QFETCH(int, lastTrail);
    QFETCH(bool, numbered);
    for (int trail = firstTrail; trail <= lastTrail; ++trail) {
        const QByteArray expected = numbered ? QByteArray::number(trail - firstTrail + 1) : QByteArray();
        QCOMPARE(letters(NumberSignTexts[trail - 0xA1]), expected);
    }
}

void TestPinyinTables::greekLetterNames()
{
    const char* const expected[]{"a", "b", "g", "d", "e", "z", "e", "th", "i",  "k",  "l",  "m",
                                 "n", "x", "o", "p", "r", "s", "t", "u",  "ph", "kh", "ps", "o"};
    for (int k = 0; k < kGreekLetterCount; ++k)
        QCOMPARE(letters(GreekLetterNames[k]), QByteArray(expected[k]));
}

QTEST_GUILESS_MAIN(TestPinyinTables)
#include "tst_pinyintables.moc"
