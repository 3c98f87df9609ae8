#include <QtTest>

#include <algorithm>

#include "CodeSignals.h"
#include "IrFile.h"
#include "KnownProtocols.h"
#include "PressInput.h"
#include "ProtocolFields.h"
#include "SignalFile.h"

using Fields = ProtocolCodec::Fields;
Q_DECLARE_METATYPE(Fields)

namespace
{
const char *const tvRemote = "Filetype: IR signals file\n"
                             "Version: 1\n"
                             "# \n"
                             "name: Power\n"
                             "type: parsed\n"
                             "protocol: NEC\n"
                             "address: 07 00 00 00\n"
                             "command: 02 00 00 00\n"
                             "# \n"
                             "name: Vol_up\r\n"
                             "type: raw\n"
                             "frequency: 36000\n"
                             "duty_cycle: 0.330000\n"
                             "data: 9024 4512 579\n"
                             "data: 552 579\n"
                             "#\n"
                             "name: Mute\n"
                             "type: parsed\n"
                             "protocol: NECext\n"
                             "address: 00 DF 00 00\n"
                             "command: 1C E3 00 00\n";

// The known code a signal is, as the conversion library reads it back (it
// divides frames at long spaces itself).
QString decoded(const InfraredSignal &signal)
{
    IrSignal ir;
    ir.carrierHz = signal.carrierHz;
    ir.frames.emplace_back();
    for (const double duration : signal.durations)
        ir.frames.back().durations.push_back(static_cast<int>(duration));
    const auto code = KnownProtocols::decode(ir);
    if (!code)
        return "unknown";
    const ProtocolCodec *codec = KnownProtocols::codecFor(code->formatId);
    QString text = QString::fromStdString(codec->name(*code));
    for (const auto &[name, value] : codec->fields(*code))
        text += QStringLiteral(" %1=%2").arg(QString::fromStdString(name)).arg(value);
    return text;
}

PressInput::Outcome pressOf(const QStringList &words, const QByteArray &file = {})
{
    std::vector<std::string> arguments;
    for (const QString &word : words)
        arguments.push_back(word.toStdString());
    std::string error;
    const auto choice = PressInput::choose(arguments, &error);
    if (!choice)
        return {std::nullopt, error, {}};
    return PressInput::signalOf(*choice, file.toStdString());
}
}  // namespace

class PressInputTest : public QObject
{
    Q_OBJECT

private slots:
    void protocolFieldsWithDefaults_data()
    {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<Fields>("expected");
        QTest::newRow("NEC1, S and E from D and F") << "NEC1"
                                                    << "D=4,F=8" << Fields{{"D", 4}, {"S", 251}, {"F", 8}, {"E", 247}};
        QTest::newRow("fields apart, as the tool shows them")
            << "NEC1"
            << "D=4 F=8" << Fields{{"D", 4}, {"S", 251}, {"F", 8}, {"E", 247}};
        QTest::newRow("blanks around the equals signs")
            << "NEC1"
            << " D = 4  F= 8 ,S =1" << Fields{{"D", 4}, {"S", 1}, {"F", 8}, {"E", 247}};
        QTest::newRow("S given") << "nec1"
                                 << "D=0x86, S=0x6B ,F=18" << Fields{{"D", 134}, {"S", 107}, {"F", 18}, {"E", 237}};
        QTest::newRow("NECx1, S copies D") << "NECX1"
                                           << "D=7,F=2" << Fields{{"D", 7}, {"S", 7}, {"F", 2}, {"E", 253}};
        QTest::newRow("f16, E given") << "NEC1-f16"
                                      << "F=18,D=64,E=52" << Fields{{"D", 64}, {"S", 191}, {"F", 18}, {"E", 52}};
        QTest::newRow("toggle 0 unless given") << "rc5"
                                               << "D=20,F=90" << Fields{{"D", 20}, {"F", 90}, {"T", 0}};
        QTest::newRow("toggle given, field in lower case") << "RC6"
                                                           << "d=1,F=2,T=1" << Fields{{"D", 1}, {"F", 2}, {"T", 1}};
        QTest::newRow("13-bit device") << "NEC42"
                                       << "D=8191,F=255" << Fields{{"D", 8191}, {"F", 255}};
        QTest::newRow("braces in the name") << "jvc{2}"
                                            << "D=193,F=128" << Fields{{"D", 193}, {"F", 128}};
        QTest::newRow("MCE, 7-bit device, toggle 0 unless given")
            << "mce"
            << "D=127,S=0x0F,F=12" << Fields{{"D", 127}, {"S", 15}, {"F", 12}, {"T", 0}};
    }

    void protocolFieldsWithDefaults()
    {
        QFETCH(QString, protocol);
        QFETCH(QString, fields);
        QFETCH(Fields, expected);
        std::string error;
        const auto code = ProtocolFields::parse(protocol.toStdString(), fields.toStdString(), &error);
        QVERIFY2(code, error.c_str());
        QCOMPARE(code->fields, expected);
    }

    void everyProtocolSendsItsLargestFields()
    {
        // The table and the codecs agree: each field at its top and just above it.
        for (const std::string &name : ProtocolFields::names()) {
            const QString described = QString::fromStdString(ProtocolFields::describe(name));
            QStringList top;
            for (const QString &field : described.split(' ')) {
                if (field.contains("=0.."))
                    top << field.section('=', 0, 0) + "=" + field.section("..", 1);
            }
            std::string error;
            auto code = ProtocolFields::parse(name, top.join(',').toStdString(), &error);
            if (name.ends_with("-f16"))  // E = 255 - F would be the protocol without -f16
                code = ProtocolFields::parse(name, top.join(',').replace("E=255", "E=1").toStdString(), &error);
            QVERIFY2(code, (name + ": " + error).c_str());
            const CodeSignals::Made made = CodeSignals::ofCode(code->protocol, code->fields);
            QVERIFY2(made.signal, (name + ": " + made.error).c_str());
            for (int i = 0; i < top.size(); ++i) {
                QStringList above = top;
                const int most = above[i].section('=', 1).toInt();
                above[i] = above[i].section('=', 0, 0) + "=" + QString::number(most + 1);
                QVERIFY(!ProtocolFields::parse(name, above.join(',').toStdString(), &error));
                QVERIFY2(error.find("out of range") != std::string::npos, error.c_str());
            }
        }
    }

    void everyKnownFormatCanBePressed()
    {
        // A codec the conversion library gains needs its row in the table, or press cannot send it.
        // Tables tell their protocols by part A's last byte; names may turn
        // on how a code repeats (NEC1, NEC2; Sharp{1}, Sharp) or on the
        // carrier heard (DirecTV_P0 to P5).
        const std::vector<std::string> names = ProtocolFields::names();
        for (std::uint32_t first = 1; first < KnownFormats::firstLearnedByte; ++first) {
            const ProtocolCodec *codec = KnownProtocols::codecFor(first << 16);
            for (int last = 0; codec && last < 256; ++last) {
                for (const RepeatKind repeat : {RepeatKind::None, RepeatKind::Ditto, RepeatKind::Full}) {
                    for (const std::uint8_t kHz : {0, 38, 57}) {
                        KnownCode code;
                        code.formatId = first << 16;
                        code.fields.back() = static_cast<std::uint8_t>(last);
                        code.repeat = repeat;
                        code.repeatCount = repeat == RepeatKind::None ? 0 : 1;
                        code.carrierKHz = kHz;
                        const std::string name = codec->name(code);
                        QVERIFY2(name.empty() || std::find(names.begin(), names.end(), name) != names.end(),
                                 name.c_str());
                    }
                }
            }
        }
    }

    void protocolSignalsDecodeAsTheirCode_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("code");
        QTest::newRow("NEC1") << QStringList{"--protocol", "NEC1", "--fields", "D=4,F=8"} << "NEC1 D=4 S=251 F=8 E=247";
        QTest::newRow("RC5") << QStringList{"--protocol", "RC5", "--fields", "D=3,F=17"} << "RC5 D=3 F=17 T=0";
        QTest::newRow("Sony12") << QStringList{"--protocol", "sony12", "--fields", "D=1,F=21"} << "Sony12 D=1 F=21";
        QTest::newRow("MCE") << QStringList{"--protocol", "MCE", "--fields", "D=4,S=15,F=12,T=1"}
                             << "MCE D=4 S=15 F=12 T=1";
    }

    void protocolSignalsDecodeAsTheirCode()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, code);
        const auto outcome = pressOf(words);
        QVERIFY2(outcome.signal, outcome.error.c_str());
        QCOMPARE(decoded(*outcome.signal), code);
    }

    void irFileButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("code");
        QTest::newRow("parsed NEC") << "Power"
                                    << "NEC1 D=7 S=248 F=2 E=253";
        QTest::newRow("parsed NECext, 16-bit address") << "Mute"
                                                       << "NEC1 D=0 S=223 F=28 E=227";
        QTest::newRow("any case") << "power"
                                  << "NEC1 D=7 S=248 F=2 E=253";
    }

    void irFileButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, code);
        const auto outcome = pressOf({"tv.ir", "--button", button}, tvRemote);
        QVERIFY2(outcome.signal, outcome.error.c_str());
        QCOMPARE(decoded(*outcome.signal), code);
    }

    void irFileRawButtonIsItsData()
    {
        const auto outcome = pressOf({"tv.ir", "--button", "Vol_up"}, tvRemote);
        QVERIFY2(outcome.signal, outcome.error.c_str());
        QCOMPARE(outcome.signal->carrierHz, 36000);
        QCOMPARE(outcome.signal->durations, (std::vector<double>{9024, 4512, 579, 552, 579}));
    }

    void irFileOfSeveralButtonsListsThem()
    {
        const auto outcome = pressOf({"tv.ir"}, tvRemote);
        QVERIFY(!outcome.signal);
        QVERIFY2(outcome.error.find("holds 3 buttons") != std::string::npos, outcome.error.c_str());
        QCOMPARE(QString::fromStdString(outcome.listing),
                 "Power  NEC address 0x7 command 0x2\nVol_up  raw, 36000 Hz, 5 durations\n"
                 "Mute  NECext address 0xDF00 command 0xE31C\n");
        // A file of one button needs no choice.
        const QByteArray one = QByteArray(tvRemote).left(QByteArray(tvRemote).indexOf("# \nname: Vol_up"));
        const auto single = pressOf({"one.ir"}, one);
        QVERIFY2(single.signal, single.error.c_str());
        QCOMPARE(decoded(*single.signal), "NEC1 D=7 S=248 F=2 E=253");
    }

    void prontoOnTheCommandLine()
    {
        const char *code = "0000 006D 0001 0000 0156 00AB";
        const auto outcome = pressOf({"--pronto", code});
        QVERIFY2(outcome.signal, outcome.error.c_str());
        InfraredSignal expected;
        std::string error;
        QVERIFY(SignalFile::parse(code, expected, &error));
        QCOMPARE(outcome.signal->carrierHz, expected.carrierHz);
        QCOMPARE(outcome.signal->durations, expected.durations);
    }

    void plainSignalFilesStillRead()
    {
        const auto outcome = pressOf({"power.txt"}, "carrier=40000 9000 4500 560");
        QVERIFY2(outcome.signal, outcome.error.c_str());
        QCOMPARE(outcome.signal->carrierHz, 40000);
        QCOMPARE(outcome.signal->durations, (std::vector<double>{9000, 4500, 560}));
    }

    void badInputIsNamed_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("problem");
        const QByteArray header = "Filetype: IR signals file\nVersion: 1\n#\n";
        const QByteArray power =
            "name: Power\ntype: parsed\nprotocol: NEC\naddress: 07 00 00 00\ncommand: 02 00 00 00\n";
        const QStringList file{"tv.ir", "--button", "Power"};
        // Choosing the signal.
        QTest::newRow("nothing") << QStringList() << QByteArray() << "press takes one signal file";
        QTest::newRow("file and protocol")
            << QStringList{"a.txt", "--protocol", "NEC1"} << QByteArray() << "press takes one signal file";
        QTest::newRow("pronto and protocol")
            << QStringList{"--pronto", "0000", "--protocol", "NEC1"} << QByteArray() << "press takes one signal file";
        QTest::newRow("fields alone") << QStringList{"a.txt", "--fields", "D=1"} << QByteArray()
                                      << "--fields belongs to --protocol";
        QTest::newRow("button alone") << QStringList{"--pronto", "0000", "--button", "x"} << QByteArray()
                                      << "--button needs an infrared signal file";
        QTest::newRow("option twice") << QStringList{"a.ir", "--button", "x", "--button", "y"} << QByteArray()
                                      << "--button given twice";
        QTest::newRow("option without value")
            << QStringList{"--protocol"} << QByteArray() << "--protocol needs a value";
        // Protocols and fields.
        const auto protocol = [](const QString &name, const QString &fields) {
            return QStringList{"--protocol", name, "--fields", fields};
        };
        QTest::newRow("unknown protocol")
            << protocol("NEC", "D=1,F=1") << QByteArray() << "--protocol NEC: unknown protocol 'NEC' (known: NEC1 NEC2";
        QTest::newRow("unknown field") << protocol("RC5", "D=1,F=1,S=2") << QByteArray()
                                       << "RC5 has no field 'S' (its fields: D F T)";
        QTest::newRow("implied field") << protocol("NEC1", "D=1,F=1,E=3") << QByteArray()
                                       << "NEC1 has no field 'E' (its fields: D S F)";
        QTest::newRow("missing field") << protocol("NEC1", "D=1") << QByteArray() << "missing field F of NEC1";
        QTest::newRow("no fields") << QStringList{"--protocol", "sony12"} << QByteArray()
                                   << "missing field D of Sony12";
        QTest::newRow("out of range") << protocol("RC5", "D=32,F=1") << QByteArray()
                                      << "field D=32 out of range for RC5 (0 to 31)";
        QTest::newRow("negative") << protocol("RC5", "D=-1,F=1") << QByteArray() << "field D=-1 out of range";
        QTest::newRow("not a number") << protocol("RC5", "D=four,F=1") << QByteArray()
                                      << "malformed value 'four' of field D";
        QTest::newRow("no equals") << protocol("RC5", "D4,F=1") << QByteArray() << "malformed field 'D4'";
        QTest::newRow("empty item") << protocol("RC5", "D=4,,F=1") << QByteArray() << "malformed field ''";
        QTest::newRow("field twice") << protocol("RC5", "D=4,F=1,d=5") << QByteArray() << "field D given twice";
        QTest::newRow("f16 that is plain NEC1")
            << protocol("NEC1-f16", "D=1,F=1,E=254") << QByteArray() << "NEC1-f16 cannot send D=1,S=254,F=1,E=254";
        // Pronto codes.
        QTest::newRow("pronto durations") << QStringList{"--pronto", "9000 4500"} << QByteArray()
                                          << "--pronto: not a learned Pronto code: its first word is 0000, not '9000'";
        QTest::newRow("pronto empty words")
            << QStringList{"--pronto", " "} << QByteArray() << "--pronto: no Pronto code";
        QTest::newRow("pronto short") << QStringList{"--pronto", "0000 006D 0001"} << QByteArray()
                                      << "--pronto: Pronto code too short";
        // Infrared signal files.
        QTest::newRow("no header") << file << QByteArray("Filetype: IR library\n") + power
                                   << "tv.ir: line 1: not an infrared signal file";
        QTest::newRow("version") << file << QByteArray("Filetype: IR signals file\nVersion: 2\n") + power
                                 << "tv.ir: line 2: expected 'Version: 1', found 'Version: 2'";
        QTest::newRow("header only") << QStringList{"tv.ir"} << QByteArray("Filetype: IR signals file\n")
                                     << "tv.ir: no 'Version: 1' line";
        QTest::newRow("no buttons") << QStringList{"tv.ir"} << header << "tv.ir holds no buttons";
        QTest::newRow("key before name") << file << header + "type: raw\n" + power
                                         << "tv.ir: line 4: 'type' before the first button's 'name:'";
        QTest::newRow("not a key") << file << header + power + "garbage\n"
                                   << "tv.ir: line 9: 'garbage' is no 'key: value' line";
        QTest::newRow("unknown key") << file << header + power + "colour: red\n"
                                     << "tv.ir: line 9: unknown key 'colour'";
        QTest::newRow("second key") << file << header + power + "command: 03 00 00 00\n"
                                    << "tv.ir: line 9: a second 'command' in button 'Power'";
        QTest::newRow("bad type") << file << header + "name: Power\ntype: cooked\n"
                                  << "line 5: type 'cooked'";
        QTest::newRow("bad address") << file << header + QByteArray(power).replace("07 00 00 00", "07 0")
                                     << "tv.ir: line 7: malformed address '07 0'";
        QTest::newRow("address too long") << file << header + QByteArray(power).replace("07 00 00 00", "07 00 00 00 00")
                                          << "line 7: malformed address";
        QTest::newRow("missing command") << file << header + QByteArray(power).replace("command: 02 00 00 00\n", "")
                                         << "tv.ir: line 4: button 'Power' has no 'command:'";
        QTest::newRow("raw with protocol")
            << file << header + "name: Power\ntype: raw\nfrequency: 38000\ndata: 1 2 3\nprotocol: NEC\n"
            << "line 4: button 'Power' of type raw has a protocol";
        QTest::newRow("raw without data") << file << header + "name: Power\ntype: raw\nfrequency: 38000\n"
                                          << "button 'Power' has no 'data:'";
        QTest::newRow("raw bad duration") << file << header + "name: Power\ntype: raw\nfrequency: 38000\ndata: 900 -5\n"
                                          << "tv.ir: line 7: malformed duration '-5'";
        QTest::newRow("raw bad frequency") << file << header + "name: Power\ntype: raw\nfrequency: 38kHz\ndata: 1\n"
                                           << "line 6: malformed frequency '38kHz'";
        QTest::newRow("raw bad duty cycle")
            << file << header + "name: Power\ntype: raw\nfrequency: 38000\nduty_cycle: 33\ndata: 1\n"
            << "line 7: malformed duty_cycle '33'";
        QTest::newRow("no such button") << QStringList{"tv.ir", "--button", "Eject"} << QByteArray(tvRemote)
                                        << "tv.ir has no button 'Eject' (its buttons: Power, Vol_up, Mute)";
        QTest::newRow("two buttons of one name")
            << file << header + power + "#\n" + power << "tv.ir has 2 buttons named 'Power' (lines 4, 10)";
        QTest::newRow("protocol without definition")
            << file << header + QByteArray(power).replace("NEC", "RC6A")
            << "tv.ir: line 6: button 'Power': no protocol definition for RC6A";
        QTest::newRow("address too large for the protocol")
            << file << header + QByteArray(power).replace("07 00 00 00", "07 01 00 00")
            << "tv.ir: line 6: button 'Power': NEC address or command out of range";
        QTest::newRow("button of a plain signal file")
            << file << QByteArray("9000 4500")
            << "--button needs an infrared signal file, and tv.ir has no 'Filetype:' header";
        QTest::newRow("standard input named")
            << QStringList{"-"} << QByteArray("9000 abc") << "standard input: malformed duration 'abc'";
    }

    void badInputIsNamed()
    {
        QFETCH(QStringList, words);
        QFETCH(QByteArray, file);
        QFETCH(QString, problem);
        const auto outcome = pressOf(words, file);
        QVERIFY(!outcome.signal);
        QVERIFY2(QString::fromStdString(outcome.error).contains(problem), outcome.error.c_str());
        QVERIFY(outcome.error.find('\n') == std::string::npos);
    }

    void tooManyDurationsAreRefused()
    {
        QByteArray file = "Filetype: IR signals file\nVersion: 1\nname: Long\ntype: raw\nfrequency: 38000\n";
        for (std::size_t i = 0; i <= SignalFile::maxDurations; i += 1000)
            file += "data:" + QByteArray(" 500").repeated(1000) + "\n";
        const auto outcome = pressOf({"long.ir"}, file);
        QVERIFY(!outcome.signal);
        QVERIFY2(outcome.error.find("too many durations") != std::string::npos, outcome.error.c_str());
    }
};

QTEST_GUILESS_MAIN(PressInputTest)
#include "PressInputTest.moc"
