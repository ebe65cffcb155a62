// The small texts inside a package's XML: escapes, cell references, row numbers and ISO dates.
#include "worksheet/xlsx/PackageText.h"

#include <QTest>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

using namespace data::xlsx;
using data::DateSystem;

class TestPackageText : public QObject
{
    Q_OBJECT

private slots:
    void decodedText_data()
    {
        QTest::addColumn<QByteArray>("utf8");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QByteArray("阿莫西林") << u"阿莫西林"_qs;
        QTest::newRow("carriage return") << QByteArray("a_x000D_b") << u"a\rb"_qs;
        QTest::newRow("upper and lower hex digits") << QByteArray("_x4e2D_") << u"中"_qs;
        QTest::newRow("escaped underscore keeps the next escape") << QByteArray("_x005F_x000D_") << u"_x000D_"_qs;
        QTest::newRow("not hex") << QByteArray("_x00G0_") << u"_x00G0_"_qs;
        QTest::newRow("cut short") << QByteArray("ab_x000") << u"ab_x000"_qs;
        QTest::newRow("one after the other") << QByteArray("_x0041__x0042_") << u"AB"_qs;
        QTest::newRow("a surrogate pair in two escapes") << QByteArray("_xD83D__xDE00_") << u"😀"_qs;
        QTest::newRow("lone high surrogate") << QByteArray("_xD800_") << u"\uFFFD"_qs;
        QTest::newRow("lone low surrogate") << QByteArray("a_xDC00_b") << u"a\uFFFDb"_qs;
        QTest::newRow("high surrogate before a character") << QByteArray("_xD800_x") << u"\uFFFDx"_qs;
        QTest::newRow("two high surrogates, then a low one")
            << QByteArray("_xD800__xD801__xDC00_") << u"\uFFFD\U00010400"_qs;
        QTest::newRow("low before high") << QByteArray("_xDC00__xD800_") << u"\uFFFD\uFFFD"_qs;
    }
    void decodedText()
    {
        QFETCH(QByteArray, utf8);
        QFETCH(QString, text);
        QCOMPARE(data::xlsx::decodedText(std::string_view(utf8.constData(), size_t(utf8.size()))), text);
    }

    void cellReferences_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("A1") << QByteArray("A1") << true << 0 << 0;
        QTest::newRow("lower case") << QByteArray("ab12") << true << 11 << 27;
        QTest::newRow("last cell") << QByteArray("XFD1048576") << true << 1048575 << 16383;
        QTest::newRow("past the last column") << QByteArray("XFE1") << false << 0 << 0;
        QTest::newRow("past the last row") << QByteArray("A1048577") << false << 0 << 0;
        QTest::newRow("row 0") << QByteArray("A0") << false << 0 << 0;
        QTest::newRow("no row") << QByteArray("B") << false << 0 << 0;
        QTest::newRow("no column") << QByteArray("12") << false << 0 << 0;
        QTest::newRow("absolute") << QByteArray("$A$1") << false << 0 << 0;
        QTest::newRow("too many letters") << QByteArray("AAAAA1") << false << 0 << 0;
        QTest::newRow("sign") << QByteArray("A+1") << false << 0 << 0;
    }
    void cellReferences()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(int, row);
        QFETCH(int, column);
        const auto reference = parseCellReference(std::string_view(text.constData(), size_t(text.size())));
        QCOMPARE(reference.has_value(), valid);
        if (valid) {
            QCOMPARE(int(reference->row), row);
            QCOMPARE(int(reference->column), column);
        }
    }

    void isoDates_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("from1904");
        QTest::addColumn<QString>("shown"); // through the same date text as every date cell; "" when no date
        QTest::newRow("date") << QByteArray("2024-03-05") << false << u"2024-03-05"_qs;
        QTest::newRow("date and time, UTC mark")
            << QByteArray("2024-03-05T14:15:16Z") << false << u"2024-03-05 14:15:16"_qs;
        QTest::newRow("fractions of a second")
            << QByteArray("2024-03-05T14:15:16.400") << false << u"2024-03-05 14:15:16"_qs;
        QTest::newRow("first day") << QByteArray("1900-01-01") << false << u"1900-01-01"_qs;
        QTest::newRow("before the counted leap day") << QByteArray("1900-02-28") << false << u"1900-02-28"_qs;
        QTest::newRow("the counted leap day") << QByteArray("1900-02-29") << false << u"1900-02-29"_qs;
        QTest::newRow("after the counted leap day") << QByteArray("1900-03-01") << false << u"1900-03-01"_qs;
        QTest::newRow("before the first day") << QByteArray("1899-12-30") << false << QString();
        QTest::newRow("last day") << QByteArray("9999-12-31") << false << u"9999-12-31"_qs;
        QTest::newRow("1904 system") << QByteArray("2024-03-05") << true << u"2024-03-05"_qs;
        QTest::newRow("before 1904 in the 1904 system") << QByteArray("1903-12-31") << true << QString();
        QTest::newRow("1904 system: day one") << QByteArray("1904-01-02") << true << u"1904-01-02"_qs;
        QTest::newRow("1904 system: no counted leap day") << QByteArray("1900-02-29") << true << QString();
        QTest::newRow("1904 system: last day") << QByteArray("9999-12-31") << true << u"9999-12-31"_qs;
        QTest::newRow("time alone") << QByteArray("08:30:00") << false << u"08:30:00"_qs;
        QTest::newRow("no such day") << QByteArray("2023-02-29") << false << QString();
        QTest::newRow("no such month") << QByteArray("2023-13-01") << false << QString();
        QTest::newRow("not a date") << QByteArray("yesterday") << false << QString();
    }
    void isoDates()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, from1904);
        QFETCH(QString, shown);
        const DateSystem system = from1904 ? DateSystem::From1904 : DateSystem::From1900;
        const auto serial = isoDateSerial(std::string_view(text.constData(), size_t(text.size())), system);
        QCOMPARE(serial ? data::dateText(*serial, system) : QString(), shown);
    }

    void errorCodes()
    {
        for (const char* text : {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"}) {
            const auto code = errorCode(text);
            QVERIFY2(code && data::errorText(*code) == QLatin1String(text), text);
        }
        QVERIFY(!errorCode("#SPILL!"));
    }

    // Short decimals are read without from_chars, to its very value; anything else is left to it.
    void shortDecimals_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("read");
        QTest::newRow("a whole number") << QByteArray("43832") << true;
        QTest::newRow("a price") << QByteArray("104.09") << true;
        QTest::newRow("negative") << QByteArray("-0.95") << true;
        QTest::newRow("negative zero") << QByteArray("-0") << true;
        QTest::newRow("leading zeros") << QByteArray("000.000001") << true;
        QTest::newRow("fifteen digits") << QByteArray("0.1234567890123") << true;
        QTest::newRow("the largest of fifteen digits") << QByteArray("999999999999999") << true;
        QTest::newRow("sixteen digits") << QByteArray("1234567890.123456") << false;
        QTest::newRow("an exponent") << QByteArray("1E-3") << false;
        QTest::newRow("no digit before the point") << QByteArray(".5") << false;
        QTest::newRow("no digit after the point") << QByteArray("5.") << false;
        QTest::newRow("two points") << QByteArray("1.2.3") << false;
        QTest::newRow("a sign alone") << QByteArray("-") << false;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("text") << QByteArray("12a") << false;
    }

    void shortDecimals()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, read);
        const std::string_view view(text.constData(), std::size_t(text.size()));
        const auto value = shortDecimal(view);
        QCOMPARE(value.has_value(), read);
        if (!value)
            return;
        double expected = 0;
        QVERIFY(std::from_chars(view.data(), view.data() + view.size(), expected).ec == std::errc());
        QCOMPARE(std::bit_cast<std::uint64_t>(*value), std::bit_cast<std::uint64_t>(expected));
    }

    // The same bits as from_chars over many decimals of every length and scale (a fixed seed: the same each run).
    void shortDecimalsAsFromChars()
    {
        std::mt19937_64 random(32);
        int read = 0;
        for (int i = 0; i < 200000; ++i) {
            const int digits = 1 + int(random() % 15);
            std::string text = std::to_string(random() % 1000000000000000ull).substr(0, std::size_t(digits));
            const std::size_t point = random() % (text.size() + 1);
            if (point > 0 && point < text.size())
                text.insert(point, 1, '.');
            if (random() % 4 == 0)
                text.insert(0, 1, '-');
            double expected = 0;
            std::from_chars(text.data(), text.data() + text.size(), expected);
            const auto value = shortDecimal(text);
            QVERIFY2(value, text.c_str());
            QVERIFY2(std::bit_cast<std::uint64_t>(*value) == std::bit_cast<std::uint64_t>(expected), text.c_str());
            ++read;
        }
        QCOMPARE(read, 200000);
    }
};

QTEST_GUILESS_MAIN(TestPackageText)
#include "tst_packagetext.moc"
