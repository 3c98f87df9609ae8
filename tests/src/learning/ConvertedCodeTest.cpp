#include <QTest>

#include <string>

#include "ConvertedCode.h"

Q_DECLARE_METATYPE(std::string)

namespace
{
const std::string partA = "0123456789ABCDEF";
const std::string partB = "FEDCBA9876543210";

std::string result(const std::string &id, const std::string &a, const std::string &b, const std::string &data)
{
    return id + "::" + a + ":" + b + ":::" + data;
}
}  // namespace

class ConvertedCodeTest : public QObject
{
    Q_OBJECT

private slots:
    void wellFormed_data();
    void wellFormed();
    void malformed_data();
    void malformed();
};

void ConvertedCodeTest::wellFormed_data()
{
    QTest::addColumn<std::string>("id");
    QTest::addColumn<std::string>("data");

    QTest::newRow("known format, no data") << std::string("010000") << std::string();
    QTest::newRow("learned format") << std::string("ABCDEF") << std::string("00112233445566778899");
    QTest::newRow("lower case") << std::string("abcdef") << std::string("0a0b");
}

void ConvertedCodeTest::wellFormed()
{
    QFETCH(std::string, id);
    QFETCH(std::string, data);
    const auto code = ConvertedCode::parse(result(id, partA, partB, data));
    QVERIFY(code.has_value());
    QCOMPARE(code->formatid, id);
    QCOMPARE(code->parta, partA);
    QCOMPARE(code->partb, partB);
    QCOMPARE(code->formatdata, data);
}

void ConvertedCodeTest::malformed_data()
{
    QTest::addColumn<std::string>("text");

    QTest::newRow("empty") << std::string();
    QTest::newRow("no \"::\"") << "010000:" + partA + ":" + partB + ":::";
    QTest::newRow("no \":\" after part A") << "010000::" + partA + partB + ":::";
    QTest::newRow("no \":::\"") << "010000::" + partA + ":" + partB + "::";
    QTest::newRow("id of five digits") << result("01000", partA, partB, "");
    QTest::newRow("id of seven digits") << result("0100000", partA, partB, "");
    QTest::newRow("id not hex") << result("01000G", partA, partB, "");
    QTest::newRow("part A of 15 digits") << result("010000", partA.substr(1), partB, "");
    QTest::newRow("part B of 17 digits") << result("010000", partA, partB + "0", "");
    QTest::newRow("part A not hex") << result("010000", "X" + partA.substr(1), partB, "");
    QTest::newRow("data of odd length") << result("ABCDEF", partA, partB, "012");
    QTest::newRow("data not hex") << result("ABCDEF", partA, partB, "01:2");
}

void ConvertedCodeTest::malformed()
{
    QFETCH(std::string, text);
    QVERIFY(!ConvertedCode::parse(text).has_value());
}

QTEST_GUILESS_MAIN(ConvertedCodeTest)
#include "ConvertedCodeTest.moc"
