#include <QTest>

#include "CodeSignals.h"
#include "ConverterLibrary.h"
#include "KeyDetails.h"
#include "LearnedRemote.h"
#include "ModeSlice.h"
#include "PressInput.h"
#include "TestSignals.h"
#include "TypedCode.h"

Q_DECLARE_METATYPE(InfraredSignal)

namespace
{
constexpr int tv = 0;
constexpr int sat = 2;

InfraredSignal ofProtocol(const char *protocol, const char *fields)
{
    const CodeSignals::Made made = CodeSignals::ofProtocol(protocol, fields);
    if (!made.signal)
        qFatal("%s %s: %s", protocol, fields, made.error.c_str());
    return *made.signal;
}

int indexOf(const LearnedRemote &remote, int mode, const std::string &code)
{
    const auto found = ModeSlice(remote.tables(), mode).find(code, KeyStateEntry::CodeMatch::Exact);
    return found ? static_cast<int>(*found) : -1;
}

std::optional<KeyDetails> detailsOf(LearnedRemote &remote, int mode, const std::string &code, std::string *why)
{
    ConverterLibrary library;
    return KeyDetails::read(remote.device(), remote.tables(), library, indexOf(remote, mode, code), why);
}
}  // namespace

class KeyDetailsTest : public QObject
{
    Q_OBJECT

private slots:
    void whatAKeyHolds_data();
    void whatAKeyHolds();
    void exportedKeysLearnAsTheSameCodes();
};

void KeyDetailsTest::whatAKeyHolds_data()
{
    QTest::addColumn<InfraredSignal>("learnt");  // no durations: nothing learned
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("holds");  // empty: no details
    QTest::addColumn<bool>("learned");
    QTest::newRow("downloaded") << InfraredSignal{} << tv << "10"
                                << "NEC1 D=4 F=16" << false;
    QTest::newRow("learned, of a protocol") << ofProtocol("NEC1", "D=7 F=2") << sat << "40"
                                            << "NEC1 D=7 F=2" << true;
    QTest::newRow("learned, with a toggle") << ofProtocol("RC5", "D=5 F=33 T=1") << sat << "41"
                                            << "RC5 D=5 F=33 T=1" << true;
    QTest::newRow("learned format") << TestSignals::pulseDistance({}, TestSignals::bitsOf(0xA5C3, 16)) << sat << "42"
                                    << "learned format, slot 0, 2 blocks, 38 kHz" << true;
    QTest::newRow("no code") << InfraredSignal{} << sat << "40"
                             << "" << false;
}

void KeyDetailsTest::whatAKeyHolds()
{
    QFETCH(InfraredSignal, learnt);
    QFETCH(int, mode);
    QFETCH(QString, code);
    QFETCH(QString, holds);
    QFETCH(bool, learned);
    LearnedRemote remote;
    if (!learnt.durations.empty())
        QCOMPARE(remote.learn(learnt, mode, code.toStdString()).outcome, CapturedCodeStore::Outcome::Stored);
    std::string why;
    const std::optional<KeyDetails> details = detailsOf(remote, mode, code.toStdString(), &why);
    QCOMPARE(details.has_value(), !holds.isEmpty());
    if (!details) {
        QCOMPARE(QString::fromStdString(why), "it holds no code");
        return;
    }
    QCOMPARE(QString::fromStdString(details->holds()), holds);
    QCOMPARE(details->learned, learned);
}

void KeyDetailsTest::exportedKeysLearnAsTheSameCodes()
{
    // Keys of known protocols with and without a recorder's name, and of learned formats,
    // written to an infrared signal file and learned from it again: by "learn from a
    // code" into another remote, and read back by qlr-remote's press to the same signal.
    struct Key
    {
        int mode;
        std::string code;
        InfraredSignal signal;
    };
    const std::vector<Key> keys = {
        {tv, "10", {}},  // downloaded
        {sat, "40", ofProtocol("NEC1", "D=4 F=8")},
        {sat, "41", ofProtocol("RC5", "D=5 F=33 T=1")},
        {sat, "42", ofProtocol("Sony12", "D=1 F=21")},
        {sat, "43", ofProtocol("Panasonic", "D=128 S=0 F=61")},
        {sat, "44", ofProtocol("JVC", "D=3 F=9")},
        {sat, "45", TestSignals::pulseDistance({}, TestSignals::bitsOf(0xA5C3, 16))},
        {sat, "46", TestSignals::twoBitSymbols(TestSignals::bitsOf(0x1E5A, 16))},
    };
    LearnedRemote original;
    ConverterLibrary library;
    std::vector<IrFile::Button> buttons;
    std::vector<KeyDetails> held;
    int parsed = 0;
    for (const Key &key : keys) {
        if (!key.signal.durations.empty())
            QCOMPARE(original.learn(key.signal, key.mode, key.code).outcome, CapturedCodeStore::Outcome::Stored);
        std::string why;
        const std::optional<KeyDetails> details = detailsOf(original, key.mode, key.code, &why);
        QVERIFY2(details, why.c_str());
        held.push_back(*details);
        buttons.push_back(details->button("KEY_" + key.code + "_" + std::to_string(key.mode)));
        parsed += buttons.back().raw ? 0 : 1;
    }
    QCOMPARE(parsed, 4);  // NEC twice, SIRC and Kaseikyo; the toggle, JVC and learned formats raw

    const std::string file = IrFile::write(buttons);
    std::string error;
    const auto read = IrFile::parse(file, &error);
    QVERIFY2(read, error.c_str());
    QCOMPARE(read->size(), keys.size());
    LearnedRemote copy;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const IrFile::Button &button = (*read)[i];
        QCOMPARE(button.name, buttons[i].name);
        const TypedCode::Made made = TypedCode::signalOf(button, library);
        QVERIFY2(made.signal, made.error.c_str());
        PressInput::Choice choice;
        choice.file = "keys.ir";
        choice.button = button.name;
        const PressInput::Outcome pressed = PressInput::signalOf(choice, file);
        QVERIFY2(pressed.signal, pressed.error.c_str());
        QCOMPARE(pressed.signal->carrierHz, made.signal->carrierHz);
        QCOMPARE(pressed.signal->durations, made.signal->durations);

        QCOMPARE(copy.learn(*made.signal, keys[i].mode, keys[i].code).outcome, CapturedCodeStore::Outcome::Stored);
        std::string why;
        const std::optional<KeyDetails> again = detailsOf(copy, keys[i].mode, keys[i].code, &why);
        QVERIFY2(again, why.c_str());
        QCOMPARE(again->holds(), held[i].holds());
    }
}

QTEST_GUILESS_MAIN(KeyDetailsTest)
#include "KeyDetailsTest.moc"
