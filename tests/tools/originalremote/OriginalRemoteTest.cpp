#include <QtTest>

#include <set>

#include "KnownProtocols.h"
#include "OriginalDevices.h"
#include "OriginalOptions.h"
#include "OriginalRemote.h"
#include "RemoteLayout.h"
#include "RemoteRequest.h"
#include "RemoteStatus.h"
#include "ReplyMessages.h"

namespace
{
// The signal as the receiver hears it: the press request's durations in one
// run, gaps and all, which the decoder has to split into frames itself.
std::optional<KnownCode> decodeRequest(const std::string &request, QString *why)
{
    std::string error;
    const auto parsed = RemoteRequest::parse(request, &error);
    if (!parsed || parsed->op != RemoteRequest::Op::Press) {
        *why = QString::fromStdString("not a press request: " + error);
        return std::nullopt;
    }
    IrSignal heard;
    heard.carrierHz = parsed->signal.carrierHz;
    heard.frames.emplace_back();
    for (const double d : parsed->signal.durations)
        heard.frames.back().durations.push_back(static_cast<int>(d));
    return KnownProtocols::decode(heard);
}

std::size_t deviceIndex(const std::string &protocol)
{
    const auto &all = OriginalDevices::all();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (all[i].protocol == protocol)
            return i;
    }
    return all.size();
}

int fieldOf(const ProtocolCodec::Fields &fields, const std::string &name)
{
    for (const auto &[key, value] : fields) {
        if (key == name)
            return value;
    }
    return -1;
}
}  // namespace

class OriginalRemoteTest : public QObject
{
    Q_OBJECT

private slots:
    void everyKeySendsWhatItClaims_data();
    void everyKeySendsWhatItClaims();
    void everyDeviceHasEveryKeyOnce();
    void togglesAlternate_data();
    void togglesAlternate();
    void descriptionNamesTheCode();
    void selection();
    void statusParsing_data();
    void statusParsing();
    void options_data();
    void options();
    void layoutPlacesEveryKeyApart();
    void replyMessages();
};

void OriginalRemoteTest::everyKeySendsWhatItClaims_data()
{
    QTest::addColumn<int>("device");
    QTest::addColumn<int>("key");
    const auto &devices = OriginalDevices::all();
    for (std::size_t d = 0; d < devices.size(); ++d) {
        for (const OriginalKey key : OriginalKeys::all()) {
            QTest::addRow("%s %s", devices[d].name.c_str(), OriginalKeys::name(key).data()) << int(d) << int(key);
        }
    }
}

void OriginalRemoteTest::everyKeySendsWhatItClaims()
{
    QFETCH(int, device);
    QFETCH(int, key);
    OriginalRemote remote;
    QVERIFY(remote.select(std::size_t(device)));
    const OriginalDevice &dev = remote.device();
    std::string error;
    const auto press = remote.press(OriginalKey(key), &error);
    QVERIFY2(press, error.c_str());

    QString why;
    const auto decoded = decodeRequest(press->request, &why);
    QVERIFY2(decoded, qPrintable("the receiver's signal is no known code " + why));
    const ProtocolCodec *codec = KnownProtocols::codecFor(decoded->formatId);
    QVERIFY(codec);
    QCOMPARE(codec->name(*decoded), dev.protocol);
    const ProtocolCodec::Fields got = codec->fields(*decoded);
    for (const auto &[name, value] : dev.fields)
        QCOMPARE(fieldOf(got, name), value);
    QCOMPARE(fieldOf(got, "F"), *dev.function(OriginalKey(key)));
    // What the status line will say is what was sent.
    std::string said = codec->name(*decoded);
    for (const auto &[name, value] : got) {
        const bool shown = name == "F" || name == "T"
                           || std::any_of(dev.fields.begin(), dev.fields.end(),
                                          [&fieldName = name](const auto &f) { return f.first == fieldName; });
        if (shown)
            said += " " + name + "=" + std::to_string(value);
    }
    QCOMPARE(press->description, said);
}

void OriginalRemoteTest::everyDeviceHasEveryKeyOnce()
{
    for (const OriginalDevice &device : OriginalDevices::all()) {
        QCOMPARE(device.functions.size(), OriginalKeys::count);
        std::set<OriginalKey> keys;
        std::set<int> functions;
        for (const auto &[key, function] : device.functions) {
            keys.insert(key);
            functions.insert(function);
        }
        QVERIFY2(keys.size() == OriginalKeys::count, device.name.c_str());
        // Two keys with one code would teach the tool the same code twice.
        QVERIFY2(functions.size() == OriginalKeys::count, device.name.c_str());
    }
}

void OriginalRemoteTest::togglesAlternate_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<bool>("toggles");
    QTest::newRow("RC5") << "RC5" << true;
    QTest::newRow("RC6") << "RC6" << true;
    QTest::newRow("NEC1") << "NEC1" << false;
    QTest::newRow("Sony12") << "Sony12" << false;
}

void OriginalRemoteTest::togglesAlternate()
{
    QFETCH(QString, protocol);
    QFETCH(bool, toggles);
    OriginalRemote remote;
    QVERIFY(remote.select(deviceIndex(protocol.toStdString())));
    // A new press flips the bit whichever key it is, so a held key is told from a new press.
    const OriginalKey keys[] = {OriginalKey::Power, OriginalKey::Power, OriginalKey::VolumeUp, OriginalKey::Digit5};
    int previous = -1;
    for (const OriginalKey key : keys) {
        std::string error;
        const auto press = remote.press(key, &error);
        QVERIFY2(press, error.c_str());
        QString why;
        const auto decoded = decodeRequest(press->request, &why);
        QVERIFY2(decoded, qPrintable(why));
        const int toggle = decoded->toggle;
        QCOMPARE(QString::fromStdString(press->description).contains(" T="), toggles);
        if (!toggles)
            QCOMPARE(toggle, 0);
        else if (previous >= 0)
            QCOMPARE(toggle, 1 - previous);
        previous = toggle;
    }
}

void OriginalRemoteTest::descriptionNamesTheCode()
{
    OriginalRemote remote;
    QVERIFY(remote.select(deviceIndex("NEC1")));
    std::string error;
    QCOMPARE(remote.press(OriginalKey::Power, &error)->description, std::string("NEC1 D=4 F=8"));
    QVERIFY(remote.select(deviceIndex("NECx1")));
    QCOMPARE(remote.press(OriginalKey::Power, &error)->description, std::string("NECx1 D=7 S=7 F=2"));
}

void OriginalRemoteTest::selection()
{
    OriginalRemote remote;
    QCOMPARE(remote.selected(), std::size_t(0));
    QVERIFY(remote.select(2));
    QVERIFY(!remote.select(OriginalDevices::all().size()));
    QCOMPARE(remote.selected(), std::size_t(2));
}

void OriginalRemoteTest::statusParsing_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("attached");
    QTest::addColumn<bool>("other");
    QTest::addColumn<bool>("waiting");
    QTest::newRow("served") << "attached=yes identity=original capture=armed image=/tmp/r.img" << true << true << false
                            << true;
    QTest::newRow("detached other") << "attached=no identity=other capture=idle image=/x" << true << false << true
                                    << false;
    // The image path comes last and may hold anything, the other keys among it.
    QTest::newRow("image with words") << "attached=no identity=original capture=idle image=/a capture=armed b" << true
                                      << false << false << false;
    QTest::newRow("keys only in the image")
        << "attached=yes image=/a identity=other capture=idle" << false << false << false << false;
    QTest::newRow("unknown value") << "attached=maybe identity=original capture=idle image=/x" << false << false
                                   << false << false;
    QTest::newRow("empty") << "" << false << false << false << false;
    QTest::newRow("key prefix") << "attachedx=yes identity=original capture=idle" << false << false << false << false;
}

void OriginalRemoteTest::statusParsing()
{
    QFETCH(QString, data);
    QFETCH(bool, valid);
    const auto status = RemoteStatus::parse(data.toStdString());
    QCOMPARE(status.has_value(), valid);
    if (!status)
        return;
    QTEST(status->attached, "attached");
    QTEST(status->otherIdentity, "other");
    QTEST(status->waitingForCode, "waiting");
    // The swap goes to the identity it does not have, in words the server takes.
    std::string error;
    const auto swap = RemoteRequest::parse(status->swapRequest(), &error);
    QVERIFY2(swap, error.c_str());
    QCOMPARE(swap->identity == VirtualRemote::Identity::Other, !status->otherIdentity);
}

void OriginalRemoteTest::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("skipToolkit");
    QTest::addColumn<QString>("socket");
    QTest::addColumn<bool>("help");
    QTest::addColumn<QString>("error");
    QTest::newRow("environment") << QStringList{} << false << "/from/env" << false << "";
    QTest::newRow("separate") << QStringList{"--socket", "/s"} << false << "/s" << false << "";
    QTest::newRow("joined") << QStringList{"--socket=/j"} << false << "/j" << false << "";
    QTest::newRow("help") << QStringList{"--help"} << false << "/from/env" << true << "";
    QTest::newRow("no value") << QStringList{"--socket"} << false << "/from/env" << false << "--socket needs a value";
    QTest::newRow("empty value") << QStringList{"--socket="} << false << "/from/env" << false
                                 << "--socket needs a value";
    QTest::newRow("unknown") << QStringList{"--image", "x"} << false << "/from/env" << false
                             << "unknown argument --image (see qlr-original --help)";
    QTest::newRow("word") << QStringList{"press"} << false << "/from/env" << false
                          << "unknown argument press (see qlr-original --help)";
    // Before the toolkit has run, its options and their values are still there.
    QTest::newRow("toolkit skipped") << QStringList{"-platform", "offscreen", "--socket", "/t", "-reverse"} << true
                                     << "/t" << false << "";
    QTest::newRow("toolkit kept") << QStringList{"-platform", "offscreen"} << false << "/from/env" << false
                                  << "unknown argument -platform (see qlr-original --help)";
    QTest::newRow("ours among the toolkit's") << QStringList{"-reverse", "--sockets"} << true << "/from/env" << false
                                              << "unknown argument --sockets (see qlr-original --help)";
}

void OriginalRemoteTest::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, skipToolkit);
    QFETCH(bool, help);
    qputenv("QLR_REMOTE_SOCKET", "/from/env");
    std::vector<std::string> words;
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    const OriginalOptions options = OriginalOptions::parse(words, skipToolkit);
    qunsetenv("QLR_REMOTE_SOCKET");
    QTEST(QString::fromStdString(options.socketPath), "socket");
    QCOMPARE(options.help, help);
    QCOMPARE(OriginalOptions::asksForHelp(words), help);
    QTEST(QString::fromStdString(options.error), "error");
}

void OriginalRemoteTest::layoutPlacesEveryKeyApart()
{
    const auto &places = RemoteLayout::places();
    QCOMPARE(places.size(), OriginalKeys::count);
    for (const OriginalKey key : OriginalKeys::all()) {
        const RemoteLayout::Place &place = RemoteLayout::placeOf(key);
        QCOMPARE(int(place.key), int(key));
        QVERIFY(place.x >= RemoteLayout::bodyMargin
                && place.x + place.w <= RemoteLayout::width - RemoteLayout::bodyMargin);
        QVERIFY(place.y > 0 && place.y + place.h < RemoteLayout::height);
        QCOMPARE(RemoteLayout::keyAt(place.centerX(), place.centerY()), std::optional(key));
        if (place.round)
            QVERIFY(RemoteLayout::keyAt(place.x, place.y) != std::optional(key));
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        for (std::size_t j = i + 1; j < places.size(); ++j) {
            const auto &a = places[i];
            const auto &b = places[j];
            const bool apart = a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
            QVERIFY2(
                apart,
                qPrintable(
                    QString("%1 overlaps %2").arg(OriginalKeys::name(a.key).data(), OriginalKeys::name(b.key).data())));
        }
    }
}

void OriginalRemoteTest::replyMessages()
{
    using S = RemoteClient::Status;
    QCOMPARE(ReplyMessages::pressed("NEC1 D=4 F=8", {S::Ok, {}}), std::string("NEC1 D=4 F=8 sent"));
    QVERIFY(ReplyMessages::pressed("X", {S::Fail, {}}).find("not waiting for a code") != std::string::npos);
    const std::string unreachable = ReplyMessages::pressed("X", {S::Unreachable, "no server on /s: gone"});
    QVERIFY(unreachable.starts_with("No virtual remote answers"));
    QVERIFY(unreachable.ends_with("no server on /s: gone"));
    QVERIFY(ReplyMessages::linkChanged("detach", {S::Error, "busy"}).ends_with("busy"));
    QVERIFY(ReplyMessages::linkChanged("identity other", {S::Ok, {}})
            != ReplyMessages::linkChanged("identity original", {S::Ok, {}}));
    QVERIFY(ReplyMessages::trouble({S::Ok, "x"}).empty());
}

QTEST_APPLESS_MAIN(OriginalRemoteTest)
#include "OriginalRemoteTest.moc"
