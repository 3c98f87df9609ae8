#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTemporaryDir>
#include <optional>

// A folder of resource packs for a test, made from the built packs: copied as
// they are, left out, or rebuilt with pictures removed or replaced. The
// loader's search path points at the folder for the helper's lifetime.
class TestPacks
{
public:
    // Name -> new data; no data removes the entry.
    using Changes = QMap<QString, std::optional<QByteArray>>;

    TestPacks();
    ~TestPacks();

    QString folder() const { return m_folder.path(); }
    // Copies every built pack except `missing`.
    bool copyAll(const QString &missing = {});
    // Replaces the copy of `stem` with one rebuilt by rcc with `changes` applied.
    bool rebuild(const QString &stem, const Changes &changes);
    // A copy of one entry of a built pack.
    QByteArray builtEntry(const QString &stem, const QString &name) const;
    // The names a built pack holds.
    static QStringList names(const QString &stem);

private:
    QTemporaryDir m_folder;
};
