// Renders every picture of the artwork, decoded the way the program decodes
// them, onto one sheet, with two mock-ups of the main window on top so that
// buttons and pictures can be checked in place: qlr-artwork-sheet <out.png>.
#include "FormPictures.h"
#include "GifDecoder.h"
#include "PanelLayout.h"
#include "PictureLoader.h"
#include "ResourcePack.h"

#include <QApplication>
#include <QPainter>
#include <QTextStream>

namespace
{
using ArtNames::HintPanel;

// Places pictures left to right with their names under them, wrapping at the sheet's width.
class Flow
{
public:
    Flow(QPainter &painter, int top, int width)
        : m_painter(painter)
        , m_y(top)
        , m_width(width)
    { }

    void add(const QPixmap &picture, const QString &label)
    {
        const int width = qMax(picture.width(), 60);
        if (m_x + width > m_width) {
            m_x = 10;
            m_y += m_rowHeight + 24;
            m_rowHeight = 0;
        }
        m_painter.drawPixmap(m_x, m_y, picture);
        m_painter.setPen(Qt::black);
        m_painter.drawText(QRect(m_x, m_y + picture.height() + 2, width + 40, 16), Qt::AlignLeft, label);
        m_x += width + 14;
        m_rowHeight = qMax(m_rowHeight, picture.height());
    }
    void newRow() { m_x = m_width; }
    int bottom() const { return m_y + m_rowHeight + 24; }

private:
    QPainter &m_painter;
    int m_x = 10;
    int m_y;
    int m_width;
    int m_rowHeight = 0;
};

// The face with every key button over it in the look `lookOf` picks.
QPixmap remotePanel(const std::function<QPixmap(const KeyPlace &)> &lookOf)
{
    QPixmap panel(PanelLayout::remotePanel.size());
    QPainter painter(&panel);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(QPoint(0, 0), panel.size()), FormPictures::face());
    for (const KeyPlace &key : PanelLayout::keys())
        painter.drawPixmap(key.rect.topLeft(), lookOf(key));
    return panel;
}

void drawLabels(QPainter &painter, const QString &status)
{
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    painter.setPen(Qt::black);
    painter.drawText(813, 68, 180, 18, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QLR-815"));
    painter.drawText(812, 104, 180, 18, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("V 2.2"));
    painter.drawText(812, 136, 180, 18, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral(" 2.0"));
    painter.setPen(QColor(220, 0, 0));
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 11, QFont::Bold));
    painter.drawText(QRect(440, 283, 409, 99), Qt::AlignHCenter | Qt::AlignTop, status);
}

QPixmap mockup(const Pictures &pictures, bool learning)
{
    QPixmap window(1016, 746);
    window.fill(QColor(53, 124, 168));
    QPainter painter(&window);
    painter.drawPixmap(0, 0, FormPictures::background());
    const int mode = learning ? 3 : 0;
    painter.drawPixmap(
        PanelLayout::remotePanel.topLeft(), remotePanel([&](const KeyPlace &key) {
            if (key.deviceMode >= 0)
                return key.deviceMode == mode ? FormPictures::deviceKeyHighlighted(mode)
                                              : FormPictures::keyButton(key.code);
            const int index = Pictures::indexOf(key.code);
            if (learning && key.code == "44")
                return pictures.selectedpics[index];
            const QList<QPixmap> *sets[] = {&pictures.normalpics, &pictures.downloadedpics, &pictures.learnedpics};
            return (*sets[index % 3])[index];
        }));
    for (const ModeButtonPlace &place : PanelLayout::modeButtons())
        painter.drawPixmap(place.rect.topLeft(), FormPictures::modeButton(place.mode, place.mode == mode));
    painter.drawPixmap(439, 319, learning ? pictures.staticpicture : pictures.hintpicture);
    painter.drawPixmap(440, 391, FormPictures::hintPanel(learning ? HintPanel::Learning : HintPanel::Idle));
    painter.drawPixmap(400, 617, learning ? FormPictures::stopLearning() : FormPictures::startLearning());
    painter.drawPixmap(596, 618, learning ? pictures.deletegreypicture : pictures.deletepicture);
    painter.drawPixmap(779, 618, learning ? pictures.cleargreypicture : pictures.clearpicture);
    painter.drawPixmap(969, 8, FormPictures::closeButton());
    drawLabels(painter, learning ? QStringLiteral("press a button to be learnt on original RC")
                                 : QStringLiteral("You select tv device"));
    return window;
}
}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: qlr-artwork-sheet <out.png>\n";
        return 2;
    }
    QString whyNot;
    const std::optional<Pictures> pictures = PictureLoader::load(&whyNot);
    if (!pictures) {
        err << "cannot load the pictures: " << whyNot << '\n';
        return 1;
    }
    ResourcePack singles(ArtNames::singlesPack);
    singles.load();
    const QList<GifFrame> animation = GifDecoder::frames(singles.read(ArtNames::animation).value_or(QByteArray()));

    QImage sheet(2060, 2600, QImage::Format_RGB32);
    sheet.fill(QColor(236, 236, 236));
    QPainter painter(&sheet);
    painter.drawPixmap(10, 10, mockup(*pictures, false));
    QPixmap learning = mockup(*pictures, true);
    {
        QPainter over(&learning);
        if (animation.size() > 4)
            over.drawImage(437, 316, animation[4].image);
    }
    painter.drawPixmap(1036, 10, learning);

    Flow flow(painter, 780, 2050);
    const QList<QPair<QString, const QList<QPixmap> *>> sets{
        {"normalpics", &pictures->normalpics},
        {"learnedpics", &pictures->learnedpics},
        {"selectedpics", &pictures->selectedpics},
        {"downloadedpics", &pictures->downloadedpics},
    };
    flow.add(FormPictures::face(), "face 190x730");
    for (const auto &[name, set] : sets)
        flow.add(remotePanel([&](const KeyPlace &key) { return (*set)[Pictures::indexOf(key.code)]; }), name);
    flow.add(remotePanel([](const KeyPlace &key) {
                 return key.deviceMode >= 0 ? FormPictures::deviceKeyHighlighted(key.deviceMode)
                                            : FormPictures::keyButton(key.code);
             }),
             "initial + device highlight");
    flow.add(pictures->normalpics[0x1A], "gif26 (no key)");
    for (HintPanel panel : {HintPanel::Idle, HintPanel::LearnOnly, HintPanel::Learning, HintPanel::Deleting})
        flow.add(FormPictures::hintPanel(panel), ArtNames::hintPanel(panel));
    flow.newRow();
    flow.add(pictures->hintpicture, "gifzelmar");
    flow.add(pictures->staticpicture, "jpgjingtai");
    flow.add(FormPictures::splash(), "splash");
    flow.add(FormPictures::startLearning(), "start");
    flow.add(FormPictures::stopLearning(), "stop");
    flow.add(pictures->deletepicture, "delete");
    flow.add(pictures->stopdeletepicture, "stopdelete");
    flow.add(pictures->deletegreypicture, "deletehui");
    flow.add(pictures->clearpicture, "clear");
    flow.add(pictures->cleargreypicture, "clearhui");
    flow.add(FormPictures::closeButton(), "close");
    flow.newRow();
    for (const ModeButtonPlace &place : PanelLayout::modeButtons()) {
        flow.add(FormPictures::modeButton(place.mode, false), place.button);
        flow.add(FormPictures::modeButton(place.mode, true), "highlighted");
    }
    flow.newRow();
    for (int i = 0; i < animation.size(); ++i)
        flow.add(QPixmap::fromImage(animation[i].image),
                 QStringLiteral("flash1 frame %1, %2 ms").arg(i).arg(animation[i].delayMs));
    painter.end();
    const QImage used = sheet.copy(0, 0, sheet.width(), qMin(sheet.height(), flow.bottom()));
    if (!used.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        err << "cannot write " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
