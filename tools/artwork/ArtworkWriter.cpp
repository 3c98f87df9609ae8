#include "ArtworkWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace
{
bool writeFile(const QString &path, const QByteArray &data)
{
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit();
}
}  // namespace

ArtworkWriter::ArtworkWriter(const QString &folder)
    : m_folder(QDir(folder).absolutePath())
{ }

bool ArtworkWriter::add(const QString &collection, const QString &name, const QByteArray &data)
{
    const QString path = m_folder + '/' + collection + '/' + name;
    if (data.isEmpty() || !writeFile(path, data)) {
        m_error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    m_entries[collection].append({name, path});
    return true;
}

bool ArtworkWriter::finish(const QMap<QString, QString> &prefixes)
{
    for (auto collection = m_entries.cbegin(); collection != m_entries.cend(); ++collection) {
        QByteArray list = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\""
                          + prefixes.value(collection.key(), QStringLiteral("/")).toUtf8() + "\">\n";
        for (const auto &[name, path] : collection.value())
            list += "  <file alias=\"" + name.toUtf8() + "\">" + path.toUtf8() + "</file>\n";
        list += "</qresource>\n</RCC>\n";
        const QString path = m_folder + '/' + collection.key() + ".qrc";
        if (!writeFile(path, list)) {
            m_error = QStringLiteral("cannot write %1").arg(path);
            return false;
        }
    }
    return true;
}
