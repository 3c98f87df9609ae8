#include <QtTest>

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <thread>

#include "ConverterInput.h"
#include "TestSignals.h"

namespace
{
using ConvertFunction = const char *(*)(const char *, std::int32_t);

// An NEC lead-in and two bits: well-formed durations, but three marks are no code.
const std::string tooFew = "23281194023006990230EDED";
}  // namespace

// libConLCode.so as the tool uses it: loaded at run time, one entry point.
class ConvertCodeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void onlyConvertCodeIsVisible();
    void unusableTextGivesNothing_data();
    void unusableTextGivesNothing();
    void headerRestIsSkipped();
    void otherModesGiveNothing();
    void eachThreadKeepsItsResult();

private:
    std::string convert(const std::string &text, std::int32_t mode = 2) const { return m_convert(text.c_str(), mode); }

    void *m_library = nullptr;
    ConvertFunction m_convert = nullptr;
    std::string m_nec;
};

void ConvertCodeTest::initTestCase()
{
    m_library = dlopen(QLR_CONLCODE_PATH, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_library, dlerror());
    m_convert = reinterpret_cast<ConvertFunction>(dlsym(m_library, "ConvertCode"));
    QVERIFY(m_convert);
    m_nec = ConverterInput::of(TestSignals::nec(0x20, 0xDF, 0x02, TestSignals::NecRepeat::Ditto, 1));
    QVERIFY(!convert(m_nec).empty());
}

void ConvertCodeTest::cleanupTestCase()
{
    if (m_library) {
        dlclose(m_library);
    }
}

void ConvertCodeTest::onlyConvertCodeIsVisible()
{
    for (const char *name : {"_ZN13CodeConverter7convertB5cxx11ESt17basic_string_viewIcSt11char_traitsIcEE",
                             "_ZN14KnownProtocols6decodeERK8IrSignal",
                             "_ZN11FormatCodec10regenerateESt17basic_"
                             "string_viewIcSt11char_traitsIcEES3_"}) {
        QVERIFY2(!dlsym(m_library, name), name);
    }
}

void ConvertCodeTest::unusableTextGivesNothing_data()
{
    QTest::addColumn<QString>("text");
    const QString nec = QString::fromStdString(m_nec);
    QTest::newRow("empty") << "";
    QTest::newRow("closing only") << "EDED";
    QTest::newRow("lone closing of no frame") << "FEFE0014EDED";
    QTest::newRow("too few marks") << QString::fromStdString(tooFew);
    QTest::newRow("words") << "HELLO WORLD!";
    QTest::newRow("not hex") << QString(nec).replace(8, 1, "X");
    QTest::newRow("a digit short") << nec.mid(1);
    QTest::newRow("no closing") << nec.left(nec.size() - 4);
    QTest::newRow("text after the closing") << nec + "0230";
    QTest::newRow("frame ends on a space") << nec.left(nec.indexOf("FEFE") - 4) + nec.mid(nec.indexOf("FEFE"));
    QTest::newRow("broken separator") << QString(nec).replace(nec.indexOf("FEFE") + 8, 4, "0230");
    QTest::newRow("separator without gap") << nec.left(nec.indexOf("FEFE") + 4) + "EDED";
    QTest::newRow("empty frame") << nec.left(nec.indexOf("EDED") + 4) + "FEFE0020EDED"
                                        + nec.mid(nec.indexOf("EDED") + 4);
    QTest::newRow("cut negative length") << QString::fromStdString(tooFew).left(8) + "FFFF";
}

void ConvertCodeTest::unusableTextGivesNothing()
{
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(convert(text.toStdString())), QString());
}

void ConvertCodeTest::headerRestIsSkipped()
{
    // A fixed five-character cut leaves the header's last digits in front
    // when the frame count has two or three digits.
    const std::string expected = convert(m_nec);
    QCOMPARE(convert("2" + m_nec), expected);
    QCOMPARE(convert("12" + m_nec), expected);
    QCOMPARE(convert("00" + m_nec), expected);
    QCOMPARE(convert("612" + m_nec), expected);
    QCOMPARE(convert("7" + m_nec), std::string());
}

void ConvertCodeTest::otherModesGiveNothing()
{
    for (std::int32_t mode : {0, 1, 3, -2}) {
        QCOMPARE(convert(m_nec, mode), std::string());
    }
    QCOMPARE(std::string(m_convert(nullptr, 2)), std::string());
}

void ConvertCodeTest::eachThreadKeepsItsResult()
{
    const std::string rc5 = ConverterInput::of(TestSignals::rc5(5, 33, 1, 1));
    const std::string necResult = convert(m_nec);
    const std::string rc5Result = convert(rc5);
    QVERIFY(necResult != rc5Result);
    // The result lives in the calling thread's buffer until its next call.
    const char *mine = m_convert(m_nec.c_str(), 2);
    bool othersRight = true;
    std::thread other([&] {
        for (int i = 0; i < 200; ++i) {
            othersRight = othersRight && rc5Result == m_convert(rc5.c_str(), 2);
        }
    });
    for (int i = 0; i < 200; ++i) {
        QCOMPARE(std::string(mine), necResult);
        mine = m_convert(m_nec.c_str(), 2);
    }
    other.join();
    QVERIFY(othersRight);
}

QTEST_APPLESS_MAIN(ConvertCodeTest)
#include "ConvertCodeTest.moc"
