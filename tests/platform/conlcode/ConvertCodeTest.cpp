#include <QtTest>

#include <dlfcn.h>

#include <cstdint>
#include <string>
#include <thread>

#include "ConverterInput.h"
#include "ConverterResult.h"
#include "ProtocolFields.h"
#include "SignalFile.h"
#include "TestSignals.h"

namespace
{
using ConvertFunction = const char *(*)(const char *, std::int32_t);
using FormatsFunction = const char *(*)(const char *, std::int32_t, std::int32_t, const char *);
using DescribeFunction = const char *(*)(const char *, const char *);
using ProtocolFunction = const char *(*)(const char *, const char *);
using RecorderFunction = const char *(*)(const char *, const char *, const char *);

// The line of a description that starts with `key`, without the key; empty when there is none.
QString lineOf(const QString &description, const QString &key)
{
    for (const QString &line : description.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size());
    }
    return {};
}

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
    void keyRecordsInWords_data();
    void keyRecordsInWords();
    void codesInWordsMakeTheirSignal_data();
    void codesInWordsMakeTheirSignal();
    void everyProtocolReadsBackInWords();

private:
    std::string convert(const std::string &text, std::int32_t mode = 2) const { return m_convert(text.c_str(), mode); }
    // The converter's result for a signal in the durations form, as a capture of it gives it.
    ConverterResult learn(const QString &signalText) const;
    QString describe(const std::string &record, const std::string &data = {}) const
    {
        return QString::fromLatin1(m_describe(record.c_str(), data.c_str()));
    }
    // What a signal made from words learns as: its protocol and fields, or the problem.
    QString learnedAs(const QString &signalText) const;

    void *m_library = nullptr;
    ConvertFunction m_convert = nullptr;
    FormatsFunction m_withFormats = nullptr;
    DescribeFunction m_describe = nullptr;
    ProtocolFunction m_ofProtocol = nullptr;
    RecorderFunction m_ofRecorder = nullptr;
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
    m_describe = reinterpret_cast<DescribeFunction>(dlsym(m_library, "DescribeKeyCode"));
    m_ofProtocol = reinterpret_cast<ProtocolFunction>(dlsym(m_library, "SignalOfProtocol"));
    m_ofRecorder = reinterpret_cast<RecorderFunction>(dlsym(m_library, "SignalOfRecorderCode"));
    QVERIFY(m_describe && m_ofProtocol && m_ofRecorder);
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

ConverterResult ConvertCodeTest::learn(const QString &signalText) const
{
    InfraredSignal signal;
    std::string error;
    if (!SignalFile::parseDurations(signalText.toStdString(), signal, &error))
        return {};
    return ConverterResult::of(convert(ConverterInput::of(signal)));
}

QString ConvertCodeTest::learnedAs(const QString &signalText) const
{
    if (signalText.startsWith("error: "))
        return signalText;
    const ConverterResult learned = learn(signalText);
    return learned.known() ? lineOf(describe(learned.knownRecord()), "protocol: ") : "not learned as a known code";
}

void ConvertCodeTest::keyRecordsInWords_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<QString>("recorder");
    QTest::addColumn<QString>("keycode");  // what the key's signal learns as again; empty: no description
    const ConverterResult nec = ConverterResult::of(convert(m_nec));
    const ConverterResult rc5 = ConverterResult::of(convert(ConverterInput::of(TestSignals::rc5(5, 33, 1, 1))));
    const ConverterResult learned =
        ConverterResult::of(convert(ConverterInput::of(TestSignals::pulseDistance({}, {1, 0, 1, 1, 0, 0, 1, 0}))));
    QVERIFY(nec.known() && rc5.known() && !learned.known() && !learned.data.isEmpty());
    const QString necRecord = QString::fromStdString(nec.knownRecord());
    QTest::newRow("known, learned") << necRecord << ""
                                    << "NEC1 D=32 F=2"
                                    << "NEC 32 2" << nec.keyCode();
    QTest::newRow("known, downloaded") << "80" + necRecord.mid(2) << ""
                                       << "NEC1 D=32 F=2"
                                       << "NEC 32 2" << nec.keyCode();
    QTest::newRow("toggle a recorder cannot name") << QString::fromStdString(rc5.knownRecord()) << ""
                                                   << "RC5 D=5 F=33 T=1"
                                                   << "" << rc5.keyCode();
    QTest::newRow("learned format") << QString::fromStdString(learned.learnedRecord()) << learned.data << ""
                                    << "" << learned.keyCode();
    QTest::newRow("learned format without its data") << QString::fromStdString(learned.learnedRecord()) << ""
                                                     << ""
                                                     << ""
                                                     << "";
    QTest::newRow("no code") << "00" + necRecord.mid(2) << ""
                             << ""
                             << ""
                             << "";
    QTest::newRow("not counted as a code") << "A0" + necRecord.mid(2) << ""
                                           << ""
                                           << ""
                                           << "";
    QTest::newRow("a byte short") << necRecord.left(42) << ""
                                  << ""
                                  << ""
                                  << "";
    QTest::newRow("not hex") << QString(necRecord).replace(10, 1, "G") << ""
                             << ""
                             << ""
                             << "";
}

void ConvertCodeTest::keyRecordsInWords()
{
    QFETCH(QString, record);
    QFETCH(QString, data);
    QFETCH(QString, protocol);
    QFETCH(QString, recorder);
    QFETCH(QString, keycode);
    const QString description = describe(record.toStdString(), data.toStdString());
    QCOMPARE(description.isEmpty(), keycode.isEmpty());
    QCOMPARE(lineOf(description, "protocol: "), protocol);
    QCOMPARE(lineOf(description, "recorder: "), recorder);
    if (keycode.isEmpty())
        return;
    // What the key sends is what was learned: it learns as the same code again.
    const QString signal = lineOf(description, "signal: ");
    QVERIFY2(signal.startsWith("carrier="), qPrintable(description));
    QCOMPARE(learn(signal).keyCode(), keycode);
}

void ConvertCodeTest::codesInWordsMakeTheirSignal_data()
{
    QTest::addColumn<QStringList>("words");
    QTest::addColumn<QString>("learned");
    const auto protocol = [](const QString &name, const QString &fields) { return QStringList{name, fields}; };
    const auto recorder = [](const QString &name, const QString &address, const QString &command) {
        return QStringList{name, address, command};
    };
    QTest::newRow("protocol, fields apart") << protocol("NEC1", "D=4 F=8") << "NEC1 D=4 F=8";
    QTest::newRow("protocol, fields by commas") << protocol("nec1", "D=4,F=8") << "NEC1 D=4 F=8";
    QTest::newRow("protocol with a toggle") << protocol("RC5", "D=5 F=33 T=1") << "RC5 D=5 F=33 T=1";
    QTest::newRow("recorder's NEC") << recorder("NEC", "4", "8") << "NEC1 D=4 F=8";
    QTest::newRow("recorder's RC5X") << recorder("RC5X", "5", "10") << "RC5 D=5 F=74";
    QTest::newRow("unknown protocol") << protocol("NEC", "D=4 F=8") << "error: unknown protocol 'NEC'";
    QTest::newRow("field out of range") << protocol("NEC1", "D=300 F=1")
                                        << "error: field D=300 out of range for NEC1 (0 to 255)";
    QTest::newRow("field missing") << protocol("NEC1", "D=4") << "error: missing field F of NEC1";
    QTest::newRow("recorder's address too large")
        << recorder("NEC", "256", "1") << "error: NEC address or command out of range";
    QTest::newRow("recorder's number malformed")
        << recorder("NEC", "4x", "1") << "error: address and command must be whole numbers";
    QTest::newRow("recorder's protocol unknown")
        << recorder("RC6A", "1", "1") << "error: no protocol definition for RC6A";
}

void ConvertCodeTest::codesInWordsMakeTheirSignal()
{
    QFETCH(QStringList, words);
    QFETCH(QString, learned);
    std::vector<std::string> text;
    for (const QString &word : words)
        text.push_back(word.toStdString());
    const QString signal =
        QString::fromLatin1(words.size() == 2 ? m_ofProtocol(text[0].c_str(), text[1].c_str())
                                              : m_ofRecorder(text[0].c_str(), text[1].c_str(), text[2].c_str()));
    QVERIFY2(learnedAs(signal).startsWith(learned), qPrintable(learnedAs(signal)));
}

void ConvertCodeTest::everyProtocolReadsBackInWords()
{
    // Each protocol at its largest fields and at small ones: what a key holds, in
    // its protocol's and its recorder's words, learns as the same code again.
    int recorded = 0;
    for (const std::string &name : ProtocolFields::names()) {
        const QString ranges = QString::fromStdString(ProtocolFields::describe(name));
        for (const bool largest : {true, false}) {
            QStringList fields;
            for (const QString &field : ranges.split(' ')) {
                if (!field.contains("=0.."))
                    continue;
                const int most = field.section("..", 1).section(' ', 0, 0).toInt();
                fields << field.section('=', 0, 0) + "=" + QString::number(largest ? most : most / 3);
            }
            QString given = fields.join(' ');
            if (name.ends_with("-f16"))  // E = 255 - F would be the protocol without -f16
                given.replace(QRegularExpression("E=\\d+"), "E=1");
            const QString signal = QString::fromLatin1(m_ofProtocol(name.c_str(), given.toLatin1().constData()));
            const ConverterResult code = learn(signal);
            QVERIFY2(code.known(), qPrintable(QString::fromStdString(name) + " " + given + ": " + signal.left(60)));
            const QString description = describe(code.knownRecord());
            const QString words = lineOf(description, "protocol: ");
            QVERIFY2(!words.isEmpty(), qPrintable(description));
            const QString again = QString::fromLatin1(m_ofProtocol(words.section(' ', 0, 0).toLatin1().constData(),
                                                                   words.section(' ', 1).toLatin1().constData()));
            QCOMPARE(learn(again).keyCode().left(22), code.keyCode().left(22));
            const QStringList recorder = lineOf(description, "recorder: ").split(' ', Qt::SkipEmptyParts);
            if (recorder.isEmpty())
                continue;
            ++recorded;
            const QString fromRecorder =
                QString::fromLatin1(m_ofRecorder(recorder[0].toLatin1().constData(), recorder[1].toLatin1().constData(),
                                                 recorder[2].toLatin1().constData()));
            QCOMPARE(learn(fromRecorder).keyCode().left(22), code.keyCode().left(22));
        }
    }
    // NEC, NECext, Pioneer, Samsung32, NEC42, RC5, RC6, three SIRCs, Kaseikyo and RCA, mostly at both sizes.
    QVERIFY2(recorded >= 18, qPrintable(QString::number(recorded)));
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
