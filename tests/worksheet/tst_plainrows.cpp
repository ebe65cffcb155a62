// Rows of the plain shape are read without expat. Whatever it reads, the plain reading must hand the handler what
// expat hands it (the same starts with the same attributes, ends and characters); whatever it cannot read as expat
// would, it must leave to expat, which reads it or refuses it.
#include "worksheet/xlsx/PlainRows.h"
#include "worksheet/xlsx/XmlParts.h"

#include <QTest>

using data::xlsx::XmlAttributes;
using data::xlsx::XmlName;

namespace {

// The events as lines; neighbouring character data joined, as expat may split it anywhere.
class Recorder : public data::xlsx::XmlHandler
{
public:
    QStringList events;

    void startElement(const XmlName& name, const XmlAttributes& attributes) override
    {
        QString line = QStringLiteral("start %1:%2").arg(text(name.prefix), text(name.local));
        attributes.forEach([&](std::string_view local, const char* value) {
            line += QStringLiteral(" %1=[%2]").arg(text(local), value);
        });
        events.append(line);
    }
    void endElement(const XmlName& name) override
    {
        events.append(QStringLiteral("end %1:%2").arg(text(name.prefix), text(name.local)));
    }
    void characters(std::string_view chars) override
    {
        if (!events.isEmpty() && events.back().startsWith(QStringLiteral("text ")))
            events.back() += text(chars);
        else
            events.append(QStringLiteral("text ") + text(chars));
    }

private:
    static QString text(std::string_view bytes) { return QString::fromUtf8(bytes.data(), qsizetype(bytes.size())); }
};

// What expat hands over for the rows, read as a piece is: inside an element of its own.
QStringList byExpat(const QByteArray& rows)
{
    Recorder recorder;
    data::xlsx::XmlPartParser parser(recorder, "sheet1.xml", 2);
    parser.parse("<piece>", 7);
    parser.parse(rows.constData(), std::size_t(rows.size()));
    parser.parse("</piece>", 8);
    parser.finish();
    recorder.events.removeFirst();
    recorder.events.removeLast();
    return recorder.events;
}

bool expatRefuses(const QByteArray& rows)
{
    try {
        byExpat(rows);
        return false;
    } catch (const data::xlsx::PackageError&) {
        return true;
    }
}

} // namespace

class TestPlainRows : public QObject
{
    Q_OBJECT

private slots:
    void sameAsExpat_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::newRow("as Excel writes them")
            << QByteArray("<row r=\"2\" spans=\"1:10\" x14ac:dyDescent=\"0.25\"><c r=\"A2\"><v>100001</v></c><c "
                          "r=\"B2\" t=\"s\"><v>10</v></c><c r=\"C2\" s=\"1\"/></row><row r=\"3\"><c r=\"A3\" "
                          "t=\"b\"><v>1</v></c></row>");
        QTest::newRow("white space in and between tags")
            << QByteArray("<row r = '3' >\n  <c\tr=\"A3\" ><v> 1.5 </v></c >\n</row >\n");
        QTest::newRow("empty elements") << QByteArray("<row><c><v/></c><c/></row>");
        QTest::newRow("a formula and its result")
            << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"str\"><f>IF(B1>2,\"a\",'b')</f><v>a>b</v></c></row>");
        QTest::newRow("prefixed elements") << QByteArray("<x:row r=\"1\"><x:c r=\"A1\"><x:v>2</x:v></x:c></x:row>");
        QTest::newRow("a greater-than sign in a value") << QByteArray("<row r=\"1\" x=\"a>b\"></row>");
        QTest::newRow("text in UTF-8") << QByteArray(
            "<row r=\"1\"><c t=\"inlineStr\"><is><t>阿莫西林 é 😀</t></is></c><c x='名\"'/></row>");
        QTest::newRow("shared strings' items")
            << QByteArray("<si><t>甲</t></si><si><r><t>乙</t></r><rPh><t>yi</t></rPh></si>");
    }

    void sameAsExpat()
    {
        QFETCH(QByteArray, rows);
        Recorder recorder;
        QVERIFY(data::xlsx::readPlainRows(std::string_view(rows.constData(), std::size_t(rows.size())), recorder));
        QCOMPARE(recorder.events, byExpat(rows));
    }

    // Left to expat: what it reads otherwise than as written, and what it refuses.
    void leftToExpat_data()
    {
        QTest::addColumn<QByteArray>("rows");
        QTest::addColumn<bool>("refused");
        QTest::newRow("a reference") << QByteArray("<row r=\"1\"><c t=\"str\"><v>a&amp;b</v></c></row>") << false;
        QTest::newRow("a reference in a value") << QByteArray("<row r=\"1\" x=\"&#49;\"></row>") << false;
        QTest::newRow("a carriage return") << QByteArray("<row r=\"1\">\r\n</row>") << false;
        QTest::newRow("a tab in a value") << QByteArray("<row r=\"1\" x=\"a\tb\"></row>") << false;
        QTest::newRow("a comment") << QByteArray("<row r=\"1\"><!-- <c/> --></row>") << false;
        QTest::newRow("a CDATA section") << QByteArray("<row r=\"1\"><![CDATA[<c/>]]></row>") << false;
        QTest::newRow("a processing instruction") << QByteArray("<row r=\"1\"><?pi x?></row>") << false;
        QTest::newRow("an end tag of another element") << QByteArray("<row r=\"1\"><c></row></c>") << true;
        QTest::newRow("an element left open") << QByteArray("<row r=\"1\"><c>") << true;
        QTest::newRow("an end tag with nothing open") << QByteArray("</row><row>") << true;
        QTest::newRow("an attribute twice") << QByteArray("<row r=\"1\" r=\"2\"></row>") << true;
        QTest::newRow("attributes run together") << QByteArray("<c r=\"A1\"t=\"s\"></c>") << true;
        QTest::newRow("an attribute without quotes") << QByteArray("<row r=1></row>") << true;
        QTest::newRow("a value left open") << QByteArray("<row r=\"1></row>") << true;
        QTest::newRow("the end of a CDATA section") << QByteArray("<row>]]></row>") << true;
        QTest::newRow("a control character") << QByteArray("<row>\x01</row>") << true;
        QTest::newRow("a lone less-than sign") << QByteArray("<row>a < b</row>") << true;
        QTest::newRow("an overlong form") << QByteArray("<row>\xC0\x80</row>") << true;
        QTest::newRow("a surrogate") << QByteArray("<row>\xED\xA0\x80</row>") << true;
        QTest::newRow("U+FFFE") << QByteArray("<row>\xEF\xBF\xBE</row>") << true;
        QTest::newRow("past U+10FFFF") << QByteArray("<row>\xF4\x90\x80\x80</row>") << true;
        QTest::newRow("a character cut short") << QByteArray("<row>\xE5\x90</row>") << true;
        QTest::newRow("a stray continuation byte") << QByteArray("<row x=\"\x80\"></row>") << true;
    }

    void leftToExpat()
    {
        QFETCH(QByteArray, rows);
        QFETCH(bool, refused);
        Recorder recorder;
        QVERIFY(!data::xlsx::readPlainRows(std::string_view(rows.constData(), std::size_t(rows.size())), recorder));
        QCOMPARE(expatRefuses(rows), refused);
    }
};

QTEST_GUILESS_MAIN(TestPlainRows)
#include "tst_plainrows.moc"
