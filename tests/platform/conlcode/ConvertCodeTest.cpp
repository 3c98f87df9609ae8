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
using FormatsFunction = const char *(*)(const char *, std::int32_t, std::int32_t, const char *);

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
    void offeredFormats_data();
    void offeredFormats();

private:
    std::string convert(const std::string &text, std::int32_t mode = 2) const { return m_convert(text.c_str(), mode); }

    void *m_library = nullptr;
    ConvertFunction m_convert = nullptr;
    FormatsFunction m_withFormats = nullptr;
    std::string m_nec;
};

void ConvertCodeTest::initTestCase()
{
    m_library = dlopen(QLR_CONLCODE_PATH, RTLD_NOW | RTLD_LOCAL);
    QVERIFY2(m_library, dlerror());
    m_convert = reinterpret_cast<ConvertFunction>(dlsym(m_library, "ConvertCode"));
    QVERIFY(m_convert);
    m_withFormats = reinterpret_cast<FormatsFunction>(dlsym(m_library, "ConvertCodeWithFormats"));
    QVERIFY(m_withFormats);
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
    for (const char *name : {"_ZN13CodeConverter7convertB5cxx11ESt17basic_string_viewIcSt11char_traitsIcEEiS3_",
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

void ConvertCodeTest::offeredFormats_data()
{
    // %1: the format the remote stored for another key of the same remote; %2: one of another remote.
    QTest::addColumn<QString>("formats");
    QTest::addColumn<bool>("reused");
    QTest::newRow("none") << "" << false;
    QTest::newRow("the remote's own") << "%1" << true;
    QTest::newRow("after items that are no format") << "12:34;XYZ;ABCDEF:00;%1" << true;
    QTest::newRow("after another remote's") << "%2;%1" << true;
    QTest::newRow("another remote's") << "%2" << false;
}

void ConvertCodeTest::offeredFormats()
{
    QFETCH(QString, formats);
    QFETCH(bool, reused);
    const auto learned = [&](const InfraredSignal &signal) {
        const QString text = QString::fromStdString(convert(ConverterInput::of(signal)));
        return text.left(6) + ":" + text.mid(text.indexOf(":::") + 3);
    };
    const QString stored = learned(TestSignals::pulseDistance({}, TestSignals::bitsOf(0x1234, 16)));
    // Frames of other lengths: no stretch or adjustment of a key makes them its own.
    const QString foreign = learned(TestSignals::pulseDistance({}, TestSignals::bitsOf(0x123456, 24)));
    // Another key of the remote, its lengths a capture's own.
    const InfraredSignal key =
        TestSignals::jittered(TestSignals::pulseDistance({}, TestSignals::bitsOf(0xBEEF, 16)), 0.03, 5);
    const std::string input = ConverterInput::of(key);
    const std::string offered = QString(formats).replace("%1", stored).replace("%2", foreign).toStdString();
    const std::string result = m_withFormats(input.c_str(), 2, ConverterInput::carrierOf(key), offered.c_str());
    if (!reused) {
        QCOMPARE(result, std::string(m_withFormats(input.c_str(), 2, ConverterInput::carrierOf(key), nullptr)));
        return;
    }
    QCOMPARE(QString::fromStdString(result.substr(0, 6)), stored.left(6));
    QCOMPARE(QString::fromStdString(result.substr(result.find(":::") + 3)), stored.mid(7));
}
