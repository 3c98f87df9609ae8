#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// One resource pack: a file "<stem>.rcc" found in the library search path,
// holding raw data by name. Loading maps it under a root of its own, so two
// packs never see each other's names; destruction unloads it.
class ResourcePack
{
public:
    explicit ResourcePack(const QString &stem);
    ~ResourcePack();
    ResourcePack(const ResourcePack &) = delete;
    ResourcePack &operator=(const ResourcePack &) = delete;

    QString fileName() const { return m_stem + QStringLiteral(".rcc"); }
    // False when the pack is not found in the search path or is no pack.
    bool load();
    bool isLoaded() const { return !m_root.isEmpty(); }
    // A copy of the named data; nothing when the pack is not loaded or has no
    // such name. The copy outlives the pack.
    std::optional<QByteArray> read(const QString &name) const;
    void unload();

    // Where packs are looked for, in order: ../lib/qlr-learn beside the program, then the
    // directories of LD_LIBRARY_PATH.
    static QStringList searchPath();
    // Tests point the search elsewhere; nothing restores the real path.
    static void setSearchPathForTesting(std::optional<QStringList> directories);
    // The full name of the first file of that name in the search path; empty if none.
    static QString find(const QString &fileName);

private:
    QString m_stem;
    QString m_file;
    QString m_root;
};
