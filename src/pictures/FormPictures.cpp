#include "FormPictures.h"

#include "GifDecoder.h"
#include "JpegDecoder.h"

#include <QResource>

// The resources live in a static library; naming their initialiser keeps the
// linker from dropping them.
static void registerFormPictures()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(formpictures);
        return true;
    }();
    Q_UNUSED(registered);
}

QPixmap FormPictures::picture(const QString &name)
{
    registerFormPictures();
    const QResource resource(QLatin1Char(':') + ArtNames::formPrefix + QLatin1Char('/') + name);
    if (!resource.isValid())
        return {};
    const QByteArray data = resource.uncompressedData();
    QImage image = name.endsWith(QLatin1String(".gif")) ? GifDecoder::firstFrame(data) : JpegDecoder::decode(data);
    return QPixmap::fromImage(std::move(image));
}

QPixmap FormPictures::face()
{
    return picture(ArtNames::face());
}

QPixmap FormPictures::keyButton(const QString &code)
{
    return picture(ArtNames::keyButton(code));
}

QPixmap FormPictures::deviceKeyHighlighted(int mode)
{
    return picture(ArtNames::deviceKeyHighlighted(mode));
}

QPixmap FormPictures::modeButton(int mode, bool highlighted)
{
    return picture(ArtNames::modeButton(mode, highlighted));
}

QPixmap FormPictures::startLearning()
{
    return picture(ArtNames::startLearning());
}

QPixmap FormPictures::stopLearning()
{
    return picture(ArtNames::stopLearning());
}

QPixmap FormPictures::closeButton()
{
    return picture(ArtNames::closeButton());
}

QPixmap FormPictures::background()
{
    return picture(ArtNames::background());
}

QPixmap FormPictures::hintPanel(ArtNames::HintPanel panel)
{
    return picture(ArtNames::hintPanel(panel));
}

QPixmap FormPictures::splash()
{
    return picture(ArtNames::splash());
}
