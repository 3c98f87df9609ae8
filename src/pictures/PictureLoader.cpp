#include "PictureLoader.h"

#include "AnimationFile.h"
#include "ArtNames.h"
#include "GifDecoder.h"
#include "JpegDecoder.h"
#include "ResourcePack.h"

#include <array>
#include <memory>

namespace
{
using Decode = QImage (*)(const QByteArray &);

QPixmap loadPicture(const ResourcePack &pack, const QString &name, Decode decode, QString &whyNot)
{
    const std::optional<QByteArray> data = pack.read(name);
    if (!data) {
        whyNot = QStringLiteral("%1 has no picture %2").arg(pack.fileName(), name);
        return {};
    }
    QImage image = decode(*data);
    if (image.isNull()) {
        whyNot = QStringLiteral("picture %2 of %1 cannot be decoded").arg(pack.fileName(), name);
        return {};
    }
    return QPixmap::fromImage(std::move(image));
}
}  // namespace

std::optional<Pictures> PictureLoader::load(QString *whyNot)
{
    QString reason;
    const auto fail = [&]() -> std::optional<Pictures> {
        if (whyNot)
            *whyNot = reason;
        return std::nullopt;
    };

    // Loaded in this order; the packs unload when they go out of scope.
    std::array<std::unique_ptr<ResourcePack>, 5> packs;
    for (size_t i = 0; i < packs.size(); ++i) {
        packs[i] = std::make_unique<ResourcePack>(ArtNames::packs()[int(i)]);
        if (!packs[i]->load()) {
            reason = QStringLiteral("%1 not found").arg(packs[i]->fileName());
            return fail();
        }
    }
    const auto pack = [&](const QString &stem) -> const ResourcePack & {
        return *packs[size_t(ArtNames::packs().indexOf(stem))];
    };
    const ResourcePack &singles = pack(ArtNames::singlesPack);

    // Without the file the player plays nothing; that is no reason to stop.
    AnimationFile::replace(singles.read(ArtNames::animation).value_or(QByteArray()));

    Pictures pictures;
    std::array<QList<QPixmap> *, 4> sets{&pictures.normalpics, &pictures.learnedpics, &pictures.selectedpics,
                                         &pictures.downloadedpics};
    for (QList<QPixmap> *set : sets)
        set->reserve(ArtNames::keySetSize);
    for (int index = 0; index < ArtNames::keySetSize; ++index) {
        for (size_t set = 0; set < sets.size(); ++set) {
            QPixmap picture = loadPicture(pack(ArtNames::keySetPacks()[int(set)]), ArtNames::keyPicture(index),
                                          GifDecoder::firstFrame, reason);
            if (picture.isNull())
                return fail();
            sets[set]->append(std::move(picture));
        }
    }

    const std::array<QPixmap *, 7> singlePictures{
        &pictures.hintpicture,   &pictures.staticpicture, &pictures.stopdeletepicture, &pictures.deletegreypicture,
        &pictures.deletepicture, &pictures.clearpicture,  &pictures.cleargreypicture,
    };
    for (size_t i = 0; i < singlePictures.size(); ++i) {
        *singlePictures[i] = loadPicture(singles, ArtNames::singles[i], JpegDecoder::decode, reason);
        if (singlePictures[i]->isNull())
            return fail();
    }
    return pictures;
}
