// Serial day numbers and the days they name in both date systems: the one pair of functions both formats read
// dates through.
#include "worksheet/SerialDates.h"

#include <QTest>

#include <chrono>

using namespace data;
using namespace std::chrono;

Q_DECLARE_METATYPE(data::DateSystem)

class TestSerialDates : public QObject
{
    Q_OBJECT

private slots:
    void days_data()
    {
        QTest::addColumn<int>("yearNumber");
        QTest::addColumn<unsigned>("monthNumber");
        QTest::addColumn<unsigned>("dayNumber");
        QTest::addColumn<DateSystem>("system");
        QTest::addColumn<qlonglong>("serial"); // -1: the system has no serial for that day
        const DateSystem from1900 = DateSystem::From1900;
        const DateSystem from1904 = DateSystem::From1904;
        QTest::newRow("1900: before the first day") << 1899 << 12u << 30u << from1900 << -1LL;
        QTest::newRow("1900: serial 0") << 1899 << 12u << 31u << from1900 << 0LL;
        QTest::newRow("1900: first day") << 1900 << 1u << 1u << from1900 << 1LL;
        QTest::newRow("1900: before the counted leap day") << 1900 << 2u << 28u << from1900 << 59LL;
        QTest::newRow("1900: the counted leap day") << 1900 << 2u << 29u << from1900 << 60LL;
        QTest::newRow("1900: after the counted leap day") << 1900 << 3u << 1u << from1900 << 61LL;
        QTest::newRow("1900: a date") << 2024 << 3u << 5u << from1900 << 45356LL;
        QTest::newRow("1900: a real leap day") << 2024 << 2u << 29u << from1900 << 45351LL;
        QTest::newRow("1900: last day") << 9999 << 12u << 31u << from1900 << 2958465LL;
        QTest::newRow("1900: past the last day") << 10000 << 1u << 1u << from1900 << -1LL;
        QTest::newRow("no such day") << 2023 << 2u << 29u << from1900 << -1LL;
        QTest::newRow("2100 is no leap year") << 2100 << 2u << 29u << from1900 << -1LL;
        QTest::newRow("no such month") << 2023 << 13u << 1u << from1900 << -1LL;
        QTest::newRow("1904: before the first day") << 1903 << 12u << 31u << from1904 << -1LL;
        QTest::newRow("1904: serial 0") << 1904 << 1u << 1u << from1904 << 0LL;
        QTest::newRow("1904: day one") << 1904 << 1u << 2u << from1904 << 1LL;
        QTest::newRow("1904: no counted leap day") << 1900 << 2u << 29u << from1904 << -1LL;
        QTest::newRow("1904: a date") << 2024 << 3u << 5u << from1904 << 43894LL;
        QTest::newRow("1904: last day") << 9999 << 12u << 31u << from1904 << 2957003LL;
    }
    void days()
    {
        QFETCH(int, yearNumber);
        QFETCH(unsigned, monthNumber);
        QFETCH(unsigned, dayNumber);
        QFETCH(DateSystem, system);
        QFETCH(qlonglong, serial);
        const year_month_day date = year(yearNumber) / month(monthNumber) / day(dayNumber);
        const std::optional<long long> counted = dateSerial(date, system);
        QCOMPARE(counted.value_or(-1), serial);
        if (serial >= 0) {
            const std::optional<year_month_day> named = serialDate(serial, system);
            QVERIFY(named);
            QCOMPARE(int(named->year()), yearNumber);
            QCOMPARE(unsigned(named->month()), monthNumber);
            QCOMPARE(unsigned(named->day()), dayNumber);
        }
    }

    void everySerialRoundTrips_data()
    {
        QTest::addColumn<DateSystem>("system");
        QTest::newRow("1900") << DateSystem::From1900;
        QTest::newRow("1904") << DateSystem::From1904;
    }
    void everySerialRoundTrips()
    {
        QFETCH(DateSystem, system);
        const long long last = lastSerial(system);
        QVERIFY(!serialDate(-1, system));
        QVERIFY(!serialDate(last + 1, system));
        for (long long serial = 0; serial <= last; ++serial) {
            const std::optional<year_month_day> date = serialDate(serial, system);
            if (!date || dateSerial(*date, system) != serial)
                QFAIL(qPrintable(QStringLiteral("serial %1 does not come back").arg(serial)));
        }
    }
};

QTEST_GUILESS_MAIN(TestSerialDates)
#include "tst_serialdates.moc"
