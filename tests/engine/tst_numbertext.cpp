// The strict number texts of price, stock and discount cells.
#include "engine/sheet/NumberText.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

class TestNumberText : public QObject
{
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void throwsForTheUsersLocale();
};

void TestNumberText::parses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("separator");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<double>("value");

    const QString point = QStringLiteral(".");
    const QString comma = QStringLiteral(",");
    auto ok = [&](const char* name, const QString& text, const QString& separator, double value) {
        QTest::newRow(name) << text << separator << true << value;
    };
    auto refused = [&](const char* name, const QString& text, const QString& separator) {
        QTest::newRow(name) << text << separator << false << 0.0;
    };

    ok("fraction", "12.5", point, 12.5);
    ok("whole", "8", point, 8);
    ok("exponent", "1e2", point, 100);
    ok("capital exponent with sign", "2.5E-1", point, 0.25);
    ok("exponent plus", "3e+2", point, 300);
    ok("negative", "-3", point, -3);
    ok("plus sign", "+4", point, 4);
    ok("blanks around", " 7 ", point, 7);
    ok("leading point", ".5", point, 0.5);
    ok("trailing point", "5.", point, 5);
    ok("leading zeros", "007", point, 7);
    ok("comma locale", "12,5", comma, 12.5);
    ok("underflow rounds to zero", "1e-400", point, 0.0);
    ok("negative underflow", "-1e-400", point, -0.0);
    ok("huge negative exponent", "1e-99999999999999999999", point, 0.0);
    ok("long fraction", "0.1000000000000000000000000000001", point, 0.1);

    refused("comma under point locale", "12,5", point);
    refused("point under comma locale", "12.5", comma);
    refused("thousands separator", "1,000", point);
    refused("grouped with two points", "1.000.000", point);
    refused("currency before", "¥12", point);
    refused("dollar", "$12", point);
    refused("percent", "5%", point);
    refused("hex", "0x10", point);
    refused("inf", "inf", point);
    refused("infinity", "Infinity", point);
    refused("nan", "nan", point);
    refused("overflow", "1e999", point);
    refused("overflow by digits", QString(400, u'9'), point);
    refused("huge exponent", "1e99999999999999999999", point);
    refused("empty", "", point);
    refused("blanks only", "   ", point);
    refused("sign alone", "+", point);
    refused("point alone", ".", point);
    refused("exponent without digits", "1e", point);
    refused("exponent sign without digits", "1e+", point);
    refused("exponent alone", "e5", point);
    refused("two signs", "--3", point);
    refused("blank after sign", "- 3", point);
    refused("blank inside", "1 000", point);
    refused("letters after", "12元", point);
    refused("full-width digits", "１２", point);
    refused("tab", "\t7", point);
}

void TestNumberText::parses()
{
    QFETCH(QString, text);
    QFETCH(QString, separator);
    QFETCH(bool, accepted);
    QFETCH(double, value);

    const std::optional<double> parsed = importer::parseNumberText(text, separator);
    QCOMPARE(parsed.has_value(), accepted);
    if (!accepted)
        return;
    QCOMPARE(*parsed, value);
    QCOMPARE(std::signbit(*parsed), std::signbit(value));
}

void TestNumberText::throwsForTheUsersLocale()
{
    // A subnormal comes through as itself.
    QCOMPARE(importer::numberFromText(QStringLiteral("4e-320")), 4e-320);
    QVERIFY(importer::numberFromText(QStringLiteral("4e-320")) > 0);
    const QString separator = QLocale::system().decimalPoint();
    QCOMPARE(importer::numberFromText(QStringLiteral("12") + separator + QStringLiteral("5")), 12.5);
    QVERIFY_THROWS_EXCEPTION(importer::NumberTextError, importer::numberFromText(QStringLiteral("5%")));
    QVERIFY_THROWS_EXCEPTION(importer::NumberTextError, importer::numberFromText(QStringLiteral("1e999")));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "tst_numbertext.moc"
