#include "TestPacks.h"

#include "ArtNames.h"
#include "ResourcePack.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace
{
// For its lifetime the search finds the built packs, then the test's folder again.
class BuiltPacksFound
{
public:
    explicit BuiltPacksFound(const QString &testFolder)
        : m_testFolder(testFolder)
    {
        ResourcePack::setSearchPathForTesting(std::nullopt);
    }
    ~BuiltPacksFound() { ResourcePack::setSearchPathForTesting(QStringList{m_testFolder}); }

private:
    QString m_testFolder;
};
}  // namespace

TestPacks::TestPacks()
{
    ResourcePack::setSearchPathForTesting(QStringList{m_folder.path()});
}

TestPacks::~TestPacks()
{
    ResourcePack::setSearchPathForTesting(std::nullopt);
}

QStringList TestPacks::names(const QString &stem)
{
    QStringList result;
    if (stem == ArtNames::singlesPack) {
        for (const QString &name : ArtNames::singles)
            result.append(name);
        result.append(ArtNames::animation);
        return result;
    }
    for (int index = 0; index < ArtNames::keySetSize; ++index)
        result.append(ArtNames::keyPicture(index));
    return result;
}

QByteArray TestPacks::builtEntry(const QString &stem, const QString &name) const
{
    const BuiltPacksFound found(m_folder.path());
    ResourcePack built(stem);
    return built.load() ? built.read(name).value_or(QByteArray()) : QByteArray();
}

bool TestPacks::copyAll(const QString &missing)
{
    const BuiltPacksFound found(m_folder.path());
    bool copied = true;
    for (const QString &stem : ArtNames::packs()) {
        const QString file = ResourcePack::find(stem + QStringLiteral(".rcc"));
        if (stem != missing)
            copied = copied && !file.isEmpty() && QFile::copy(file, m_folder.filePath(stem + QStringLiteral(".rcc")));
    }
    return copied;
}

bool TestPacks::rebuild(const QString &stem, const Changes &changes)
{
    const QString sources = m_folder.filePath(QStringLiteral("sources-") + stem);
    if (!QDir().mkpath(sources))
        return false;
    ResourcePack built(stem);
    {
        const BuiltPacksFound found(m_folder.path());
        if (!built.load())
            return false;
    }
    QByteArray list = "<!DOCTYPE RCC><RCC version=\"1.0\"><qresource prefix=\"/\">\n";
    for (const QString &name : names(stem)) {
        const std::optional<QByteArray> data = changes.contains(name) ? changes.value(name) : built.read(name);
        if (!data)
            continue;
        const QString file = sources + QLatin1Char('/') + name;
        if (!TestFiles::write(file, *data))
            return false;
        list += "<file alias=\"" + name.toUtf8() + "\">" + file.toUtf8() + "</file>\n";
    }
    list += "</qresource></RCC>\n";
    const QString qrc = sources + QStringLiteral(".qrc");
    if (!TestFiles::write(qrc, list))
        return false;
    const QString pack = m_folder.filePath(stem + QStringLiteral(".rcc"));
    QFile::remove(pack);
    const int exitCode =
        QProcess::execute(QStringLiteral(QLR_RCC), {QStringLiteral("--binary"), QStringLiteral("--no-compress"), qrc,
                                                    QStringLiteral("-o"), pack});
    return exitCode == 0;
}
