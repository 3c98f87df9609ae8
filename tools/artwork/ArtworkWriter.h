#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

// Writes the generated pictures below one folder and, for each collection, a
// resource list (.qrc) naming every file under its resource name.
class ArtworkWriter
{
public:
    explicit ArtworkWriter(const QString &folder);

    // Writes `data` as `<collection>/<name>` and lists it in `<collection>.qrc`
    // under `name`. False when the data is empty or cannot be written.
    bool add(const QString &collection, const QString &name, const QByteArray &data);
    // Writes the resource lists; `prefixes` gives a collection's resource
    // prefix, "/" by default. False when one cannot be written.
    bool finish(const QMap<QString, QString> &prefixes = {});
    QString error() const { return m_error; }

private:
    QString m_folder;
    QMap<QString, QList<QPair<QString, QString>>> m_entries;  // collection -> (name, file)
    QString m_error;
};
