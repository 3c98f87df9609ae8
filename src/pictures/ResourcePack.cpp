#include "ResourcePack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QResource>
#include <atomic>

namespace
{
std::optional<QStringList> &searchPathOverride()
{
    static std::optional<QStringList> directories;
    return directories;
}
}  // namespace

ResourcePack::ResourcePack(const QString &stem)
    : m_stem(stem)
{ }

ResourcePack::~ResourcePack()
{
    unload();
}

QStringList ResourcePack::searchPath()
{
    if (searchPathOverride())
        return *searchPathOverride();
    QStringList directories{
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../" QLR_PRIVATE_DIR))};
    // An empty entry would mean the current directory; a pack is not taken from there.
    const QString libraryPath = qEnvironmentVariable("LD_LIBRARY_PATH");
    directories += libraryPath.split(u':', Qt::SkipEmptyParts);
    return directories;
}

void ResourcePack::setSearchPathForTesting(std::optional<QStringList> directories)
{
    searchPathOverride() = std::move(directories);
}

QString ResourcePack::find(const QString &fileName)
{
    for (const QString &directory : searchPath()) {
        const QFileInfo candidate(QDir(directory), fileName);
        if (candidate.isFile())
            return candidate.absoluteFilePath();
    }
    return {};
}

bool ResourcePack::load()
{
    if (isLoaded())
        return true;
    const QString file = find(fileName());
    if (file.isEmpty())
        return false;
    static std::atomic<int> serial = 0;
    const QString root = QStringLiteral("/qlr-pack/%1/%2").arg(m_stem).arg(++serial);
    if (!QResource::registerResource(file, root))
        return false;
    m_file = file;
    m_root = root;
    return true;
}

std::optional<QByteArray> ResourcePack::read(const QString &name) const
{
    if (!isLoaded())
        return std::nullopt;
    const QResource resource(QLatin1Char(':') + m_root + QLatin1Char('/') + name);
    // A directory has no data; only a file is a picture.
    if (!resource.isValid() || !resource.data())
        return std::nullopt;
    const QByteArray data = resource.uncompressedData();
    // The pack's bytes go away with the pack; the caller keeps its own.
    return QByteArray(data.constData(), data.size());
}

void ResourcePack::unload()
{
    if (!isLoaded())
        return;
    QResource::unregisterResource(m_file, m_root);
    m_file.clear();
    m_root.clear();
}
