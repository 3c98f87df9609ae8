#include <QTest>

#include "ConverterLibrary.h"
#include "KeyDetails.h"
#include "LearnedRemote.h"
#include "ModeSlice.h"
#include "SignalFile.h"
#include "TypedCode.h"

namespace
{
constexpr int cd = 5;
const std::string key = "26";  // VOL+

IrFile::Button parsedButton(const std::string &protocol, long long address, long long command)
{
    IrFile::Button button;
    button.name = "Vol_up";
    button.protocol = protocol;
    button.address = address;
    button.command = command;
    return button;
}

// What the key holds once the code is learned as a capture of it would be.
QString learnedAs(const InfraredSignal &signal)
{
    LearnedRemote remote;
    if (remote.learn(signal, cd, key).outcome != CapturedCodeStore::Outcome::Stored)
        return "not stored";
    const auto index = ModeSlice(remote.tables(), cd).find(key, KeyStateEntry::CodeMatch::Exact);
    ConverterLibrary library;
    std::string why;
    const std::optional<KeyDetails> details =
        KeyDetails::read(remote.device(), remote.tables(), library, index ? static_cast<int>(*index) : -1, &why);
    return QString::fromStdString(details ? details->holds() : why);
}
}  // namespace

class TypedCodeTest : public QObject
{
    Q_OBJECT

private slots:
    void typedCodes_data();
    void typedCodes();
    void buttonsOfSignalFiles_data();
    void buttonsOfSignalFiles();
    void aLibraryWithoutWordsSaysSo();
};

void TypedCodeTest::typedCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("learned");  // what the key then holds
    QTest::addColumn<QString>("problem");  // or why nothing is learned
    // NEC1 D=4 F=8 and one repeat.
    const QString necPronto = "0000 006D 0022 0002 0156 00AB 0015 0015 0015 0015 0015 0040 0015 0015 0015 0015 "
                              "0015 0015 0015 0015 0015 0015 0015 0040 0015 0040 0015 0015 0015 0040 0015 0040 "
                              "0015 0040 0015 0040 0015 0040 0015 0015 0015 0015 0015 0015 0015 0040 0015 0015 "
                              "0015 0015 0015 0015 0015 0015 0015 0040 0015 0040 0015 0040 0015 0015 0015 0040 "
                              "0015 0040 0015 0040 0015 0040 0015 0604 0156 0056 0015 0E43";
    QTest::newRow("Pronto code") << necPronto << "NEC1 D=4 F=8"
                                 << "";
    QTest::newRow("Pronto code over lines") << "\n" + QString(necPronto).replace(" 0015 0040", "\n0015 0040") + "\n"
                                            << "NEC1 D=4 F=8"
                                            << "";
    QTest::newRow("protocol and fields") << "NEC1 D=4 F=8"
                                         << "NEC1 D=4 F=8"
                                         << "";
    QTest::newRow("fields by commas, any case") << "  rc5 d=5,F=33,T=1 "
                                                << "RC5 D=5 F=33 T=1"
                                                << "";
    QTest::newRow("nothing") << " \n"
                             << ""
                             << "no code was given";
    QTest::newRow("Pronto code cut short") << necPronto.left(necPronto.size() - 5) << ""
                                           << "Pronto code: Pronto header announces 72 burst words, found 71";
    QTest::newRow("Pronto code not learned") << "0100 006D 0000 0001 0157 00AC"
                                             << ""
                                             << "Pronto code: not a learned Pronto code";
    QTest::newRow("Pronto word malformed") << "0000 006D 0001 0000 0157 0AC"
                                           << ""
                                           << "Pronto code: malformed Pronto word '0AC'";
    QTest::newRow("unknown protocol") << "NEC D=4 F=8"
                                      << ""
                                      << "unknown protocol 'NEC'";
    QTest::newRow("field missing") << "NEC1 D=4"
                                   << ""
                                   << "missing field F of NEC1";
    QTest::newRow("field out of range") << "RC5 D=32 F=1"
                                        << ""
                                        << "field D=32 out of range for RC5 (0 to 31)";
    QTest::newRow("field malformed") << "NEC1 D=4 F=eight"
                                     << ""
                                     << "malformed value 'eight' of field F";
}

void TypedCodeTest::typedCodes()
{
    QFETCH(QString, text);
    QFETCH(QString, learned);
    QFETCH(QString, problem);
    ConverterLibrary library;
    const TypedCode::Made made = TypedCode::signalOf(text.toStdString(), library);
    QCOMPARE(made.signal.has_value(), problem.isEmpty());
    if (!made.signal) {
        QVERIFY2(QString::fromStdString(made.error).startsWith(problem), made.error.c_str());
        QVERIFY(made.error.find('\n') == std::string::npos);
        return;
    }
    QCOMPARE(learnedAs(*made.signal), learned);
}

void TypedCodeTest::buttonsOfSignalFiles_data()
{
    QTest::addColumn<bool>("raw");
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("learned");
    QTest::addColumn<QString>("problem");
    QTest::newRow("parsed NEC") << false << "NEC" << 7 << 2 << "NEC1 D=7 F=2"
                                << "";
    QTest::newRow("parsed NECext") << false << "NECext" << 0xDF00 << 0xE31C << "NEC1 D=0 S=223 F=28"
                                   << "";
    QTest::newRow("raw") << true << "" << 0 << 0 << "learned format, slot 0, 2 blocks, 36 kHz"
                         << "";
    QTest::newRow("protocol without definition") << false << "RC6A" << 1 << 1 << ""
                                                 << "button 'Vol_up': no protocol definition for RC6A";
    QTest::newRow("address out of range") << false << "NEC" << 0x107 << 2 << ""
                                          << "button 'Vol_up': NEC address or command out of range";
}

void TypedCodeTest::buttonsOfSignalFiles()
{
    QFETCH(bool, raw);
    QFETCH(QString, protocol);
    QFETCH(int, address);
    QFETCH(int, command);
    QFETCH(QString, learned);
    QFETCH(QString, problem);
    IrFile::Button button = parsedButton(protocol.toStdString(), address, command);
    if (raw) {
        std::string error;
        QVERIFY(SignalFile::parseDurations("carrier=36000 3400 1700 420 420 420 1280 420 420 420 1280 420 1280 420 "
                                           "420 420 1280 420 420 420 1280 420 1280 420 420 420",
                                           button.signal, &error));
        button.raw = true;
    }
    ConverterLibrary library;
    const TypedCode::Made made = TypedCode::signalOf(button, library);
    QCOMPARE(made.signal.has_value(), problem.isEmpty());
    if (!made.signal) {
        QCOMPARE(QString::fromStdString(made.error), problem);
        return;
    }
    QCOMPARE(learnedAs(*made.signal), learned);
}

void TypedCodeTest::aLibraryWithoutWordsSaysSo()
{
    // A library of ConvertCode alone converts captures as ever; codes in words it cannot make.
    ConverterLibrary library(QLR_TEST_CONVERTER);
    const TypedCode::Made typed = TypedCode::signalOf("NEC1 D=4 F=8", library);
    QVERIFY(!typed.signal);
    QCOMPARE(QString::fromStdString(typed.error), "the conversion library has no SignalOfProtocol");
    const TypedCode::Made parsed = TypedCode::signalOf(parsedButton("NEC", 7, 2), library);
    QVERIFY(!parsed.signal);
    QCOMPARE(QString::fromStdString(parsed.error),
             "button 'Vol_up': the conversion library has no SignalOfRecorderCode");
    QVERIFY(library.loaded());
    // A Pronto code needs no protocol knowledge.
    QVERIFY(TypedCode::signalOf("0000 006D 0001 0000 0157 00AC", library).signal);
}

QTEST_GUILESS_MAIN(TypedCodeTest)
#include "TypedCodeTest.moc"
