// Numbers in general format, date serials, error codes and the number formats that make a number a date.
#include "worksheet/CellFormats.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <limits>

using namespace data;

class TestCellFormats : public QObject
{
    Q_OBJECT

private slots:
    void generalNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("decimalPoint");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole number has no point") << 1001.0 << "."
                                                   << "1001";
        QTest::newRow("fraction without trailing zeros") << 12.5 << "."
                                                         << "12.5";
        QTest::newRow("15 significant digits hide binary noise") << 0.1 + 0.2 << "."
                                                                 << "0.3";
        QTest::newRow("a third") << 1.0 / 3 << "."
                                 << "0.333333333333333";
        QTest::newRow("rounded to 15 digits") << 123456789.123456789 << "."
                                              << "123456789.123457";
        QTest::newRow("15 digits stay whole") << 999999999999999.0 << "."
                                              << "999999999999999";
        QTest::newRow("16 digits in exponent form") << 1234567890123456.0 << "."
                                                    << "1.23456789012346E+15";
        QTest::newRow("exact power of ten") << 1e15 << "."
                                            << "1E+15";
        QTest::newRow("20 digits") << 1e20 << "."
                                   << "1E+20";
        QTest::newRow("negative") << -1234567.891 << "."
                                  << "-1234567.891";
        QTest::newRow("small stays plain") << 0.0001 << "."
                                           << "0.0001";
        QTest::newRow("very small in exponent form") << 0.00001 << "."
                                                     << "1E-05";
        QTest::newRow("negative zero") << -0.0 << "."
                                       << "0";
        QTest::newRow("locale's decimal comma") << 12.5 << ","
                                                << "12,5";
        QTest::newRow("comma in exponent form") << 1.5e-7 << ","
                                                << "1,5E-07";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "."
                                      << "#NUM!";
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "."
                                  << "#NUM!";
    }
    void generalNumber()
    {
        QFETCH(double, value);
        QFETCH(QString, decimalPoint);
        QFETCH(QString, text);
        QCOMPARE(generalNumberText(value, decimalPoint.front()), text);
    }

    void generalNumberAgreesWithPrintf()
    {
        // The shortcut for values with few decimals against C's %.15g over many values of every kind.
        const auto reference = [](double value) {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.15g", value);
            return QString::fromLatin1(buffer).replace(u'e', u'E');
        };
        QRandomGenerator random(20240305);
        ValueChars chars;
        QString reused;
        for (int i = 0; i < 200000; ++i) {
            double value;
            switch (i % 4) {
            case 0:
                value = double(random.bounded(2000000)) / std::pow(10.0, random.bounded(9));
                break;
            case 1:
                value = (random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-8, 18));
                break;
            case 2:
                value = double(qint64(random.generate64() >> random.bounded(10, 40))) / 1000;
                break;
            default:
                value = std::nextafter(double(random.bounded(100000)) / 100, 1e300 * (i % 8 == 3 ? 1 : -1));
            }
            if (value == 0)
                continue;
            if (generalNumberText(value, u'.') != reference(value))
                QFAIL(qPrintable(QStringLiteral("%1 gives %2").arg(reference(value), generalNumberText(value, u'.'))));
            // Written over the value before, longer or shorter, as a making thread reads its cells.
            assignText(reused, generalNumberText(value, u'.', chars));
            if (reused != reference(value))
                QFAIL(qPrintable(QStringLiteral("%1 gives %2 in place").arg(reference(value), reused)));
        }
    }

    void date_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<bool>("from1904");
        QTest::addColumn<QString>("text");
        QTest::newRow("first day") << 1.0 << false << "1900-01-01";
        QTest::newRow("last day of February 1900") << 59.0 << false << "1900-02-28";
        QTest::newRow("the 1900 system's leap day") << 60.0 << false << "1900-02-29";
        QTest::newRow("first day after the leap day") << 61.0 << false << "1900-03-01";
        QTest::newRow("a date") << 45356.0 << false << "2024-03-05";
        QTest::newRow("2100 is no leap year") << 73110.0 << false << "2100-03-01";
        QTest::newRow("date and time") << 45356.5 << false << "2024-03-05 12:00:00";
        QTest::newRow("seconds rounded") << 45356.0 + 59.6 / 86400 << false << "2024-03-05 00:01:00";
        QTest::newRow("rounding into the next day") << 45356.9999999 << false << "2024-03-06";
        QTest::newRow("time alone") << 0.75 << false << "18:00:00";
        QTest::newRow("zero") << 0.0 << false << "00:00:00";
        QTest::newRow("last day Excel shows") << 2958465.0 << false << "9999-12-31";
        QTest::newRow("past 9999") << 2958466.0 << false << "";
        QTest::newRow("rounding past the last day") << 2958465.9999999 << false << "";
        QTest::newRow("negative") << -1.0 << false << "";
        QTest::newRow("not a number") << std::nan("") << false << "";
        QTest::newRow("1904: day one") << 1.0 << true << "1904-01-02";
        QTest::newRow("1904: a date") << 43894.0 << true << "2024-03-05";
        QTest::newRow("1904: time alone") << 0.5 << true << "12:00:00";
        QTest::newRow("1904: last day") << 2958465.0 - 1462 << true << "9999-12-31";
        QTest::newRow("1904: past 9999") << 2958465.0 - 1461 << true << "";
        QTest::newRow("1904: rounding past the last day") << 2958465.9999999 - 1462 << true << "";
    }
    void date()
    {
        QFETCH(double, serial);
        QFETCH(bool, from1904);
        QFETCH(QString, text);
        QCOMPARE(dateText(serial, from1904 ? DateSystem::From1904 : DateSystem::From1900), text);
    }

    void everyDayOfTheCalendar()
    {
        // Every serial up to 9999-12-31 against Qt's calendar, in both date systems.
        const auto same = [](const QString& text, QDate day) {
            return text.size() == 10 && text.left(4).toInt() == day.year() && text.mid(5, 2).toInt() == day.month() &&
                   text.mid(8, 2).toInt() == day.day() && text[4] == u'-' && text[7] == u'-';
        };
        QDate day(1900, 3, 1);
        for (int serial = 61; serial <= 2958465; ++serial, day = day.addDays(1)) {
            if (!same(dateText(serial, DateSystem::From1900), day))
                QFAIL(
                    qPrintable(QStringLiteral("1900 serial %1 is not %2").arg(serial).arg(day.toString(Qt::ISODate))));
        }
        day = QDate(1904, 1, 2);
        for (int serial = 1; serial <= 2958465 - 1462; ++serial, day = day.addDays(1)) {
            if (!same(dateText(serial, DateSystem::From1904), day))
                QFAIL(
                    qPrintable(QStringLiteral("1904 serial %1 is not %2").arg(serial).arg(day.toString(Qt::ISODate))));
        }
    }

    void errorCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("null") << 0x00 << "#NULL!";
        QTest::newRow("div0") << 0x07 << "#DIV/0!";
        QTest::newRow("value") << 0x0F << "#VALUE!";
        QTest::newRow("ref") << 0x17 << "#REF!";
        QTest::newRow("name") << 0x1D << "#NAME?";
        QTest::newRow("num") << 0x24 << "#NUM!";
        QTest::newRow("na") << 0x2A << "#N/A";
    }
    void errorCodes()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(errorText(std::uint8_t(code)).toString(), text);
    }

    void builtInDateFormats()
    {
        for (int index = 0; index < 164; ++index) {
            const bool date = (index >= 14 && index <= 22) || (index >= 27 && index <= 36) ||
                              (index >= 45 && index <= 47) || (index >= 50 && index <= 58);
            QVERIFY2(isBuiltInDateFormat(index) == date, qPrintable(QString::number(index)));
        }
    }

    void dateFormatStrings_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("isDate");
        QTest::newRow("iso date") << "yyyy-mm-dd" << true;
        QTest::newRow("upper case") << "YYYY/MM/DD" << true;
        QTest::newRow("time with AM/PM") << "h:mm AM/PM" << true;
        QTest::newRow("elapsed hours") << "[h]:mm:ss" << true;
        QTest::newRow("seconds with fraction") << "mm:ss.0" << true;
        QTest::newRow("chinese date with locale") << "[$-804]yyyy\"年\"m\"月\"d\"日\"" << true;
        QTest::newRow("colour is no date") << "[Red]0.00" << false;
        QTest::newRow("quoted letters") << "0.00\" days\"" << false;
        QTest::newRow("escaped letter") << "#,##0\\h" << false;
        QTest::newRow("padding character") << "0_h" << false;
        QTest::newRow("accounting") << "_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"??_);_(@_)" << false;
        QTest::newRow("general") << "General" << false;
        QTest::newRow("text") << "@" << false;
        QTest::newRow("scientific") << "0.00E+00" << false;
        QTest::newRow("more digits than date parts") << "0.000 d" << false;
    }
    void dateFormatStrings()
    {
        QFETCH(QString, format);
        QFETCH(bool, isDate);
        QCOMPARE(isDateFormatString(format), isDate);
    }
};

QTEST_GUILESS_MAIN(TestCellFormats)
#include "tst_cellformats.moc"
