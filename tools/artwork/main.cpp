// Draws the program's artwork and writes it as GIF and JPEG files with their
// resource lists: one per resource pack, and one for the pictures compiled
// into the program. Run at build time: qlr-artwork <output folder>.
#include "ArtNames.h"
#include "ArtStyle.h"
#include "ArtworkWriter.h"
#include "ControlArtist.h"
#include "GifEncoder.h"
#include "JpegEncoder.h"
#include "PanelLayout.h"
#include "RemoteArtist.h"
#include "ScreenArtist.h"

#include <QGuiApplication>
#include <QTextStream>

namespace
{
const QString form = QStringLiteral("formpictures");

using Style = ControlArtist::Style;

bool writeKeySets(ArtworkWriter &writer)
{
    const QList<QColor> looks{ArtStyle::noCode(), ArtStyle::learned(), ArtStyle::chosen(), ArtStyle::downloaded()};
    const QByteArray placeholder = GifEncoder::encode(RemoteArtist::placeholder());
    for (int set = 0; set < looks.size(); ++set) {
        for (int index = 0; index < ArtNames::keySetSize; ++index) {
            const QString code = QStringLiteral("%1").arg(index, 2, 16, QLatin1Char('0')).toUpper();
            const KeyPlace *key = PanelLayout::key(code);
            const QByteArray picture = key ? GifEncoder::encode(RemoteArtist::key(*key, looks[set])) : placeholder;
            if (!writer.add(ArtNames::keySetPacks()[set], ArtNames::keyPicture(index), picture))
                return false;
        }
    }
    return true;
}

bool writeSingles(ArtworkWriter &writer)
{
    const QSize deleteSize(152, 49);
    const QSize clearSize(150, 49);
    const QList<QImage> singles{
        ScreenArtist::hintPicture(false),
        ScreenArtist::hintPicture(true),
        ControlArtist::button(deleteSize, "Stop deleting", Style::Alert),
        ControlArtist::button(deleteSize, "Delete a key", Style::Greyed),
        ControlArtist::button(deleteSize, "Delete a key", Style::Light),
        ControlArtist::button(clearSize, "Clear all keys", Style::Light),
        ControlArtist::button(clearSize, "Clear all keys", Style::Greyed),
    };
    for (size_t i = 0; i < ArtNames::singles.size(); ++i) {
        if (!writer.add(ArtNames::singlesPack, ArtNames::singles[i], JpegEncoder::encode(singles[int(i)])))
            return false;
    }
    return writer.add(ArtNames::singlesPack, ArtNames::animation,
                      GifEncoder::encodeAnimation(ScreenArtist::hintAnimation()));
}

bool writeFormPictures(ArtworkWriter &writer)
{
    bool written = writer.add(form, ArtNames::face(), GifEncoder::encode(RemoteArtist::face()));
    for (const KeyPlace &key : PanelLayout::keys()) {
        written = written
                  && writer.add(form, ArtNames::keyButton(key.code),
                                GifEncoder::encode(RemoteArtist::key(key, ArtStyle::noCode())));
        if (key.deviceMode >= 0)
            written = written
                      && writer.add(form, ArtNames::deviceKeyHighlighted(key.deviceMode),
                                    GifEncoder::encode(RemoteArtist::key(key, ArtStyle::chosen())));
    }
    for (const ModeButtonPlace &place : PanelLayout::modeButtons()) {
        for (bool highlighted : {false, true})
            written = written
                      && writer.add(form, ArtNames::modeButton(place.mode, highlighted),
                                    JpegEncoder::encode(ControlArtist::modeButton(place, highlighted)));
    }
    const QSize learnSize(161, 58);
    using ArtNames::HintPanel;
    const QList<QPair<QString, QImage>> pictures{
        {ArtNames::startLearning(), ControlArtist::button(learnSize, "Start to learn", Style::Go)},
        {ArtNames::stopLearning(), ControlArtist::button(learnSize, "Stop learning", Style::Halt)},
        {ArtNames::closeButton(), ControlArtist::closeButton()},
        {ArtNames::background(), ScreenArtist::background()},
        {ArtNames::splash(), ScreenArtist::splash()},
        {ArtNames::hintPanel(HintPanel::Idle), ScreenArtist::hintPanel(HintPanel::Idle)},
        {ArtNames::hintPanel(HintPanel::LearnOnly), ScreenArtist::hintPanel(HintPanel::LearnOnly)},
        {ArtNames::hintPanel(HintPanel::Learning), ScreenArtist::hintPanel(HintPanel::Learning)},
        {ArtNames::hintPanel(HintPanel::Deleting), ScreenArtist::hintPanel(HintPanel::Deleting)},
    };
    for (const auto &[name, image] : pictures)
        written = written && writer.add(form, name, JpegEncoder::encode(image));
    return written;
}
}  // namespace

int main(int argc, char **argv)
{
    // Drawing text needs a GUI platform, never a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: qlr-artwork <output folder>\n";
        return 2;
    }
    ArtworkWriter writer(QString::fromLocal8Bit(argv[1]));
    if (!writeKeySets(writer) || !writeSingles(writer) || !writeFormPictures(writer)
        || !writer.finish({{form, ArtNames::formPrefix}})) {
        err << "qlr-artwork: " << writer.error() << '\n';
        return 1;
    }
    return 0;
}
