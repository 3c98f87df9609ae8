#include "MemoryBackup.h"

#include <QCryptographicHash>

#include <map>

#include "BasicBlock.h"
#include "BlockLayout.h"
#include "HexText.h"

namespace
{
const QByteArray title = "QLR-815 memory backup\n";
const QByteArray checksumKey = "sha256";
constexpr std::uint32_t basicBlockAddress = 0xB000;
constexpr std::size_t basicBlockBytes = 48;
const char *const headerKeys[] = {"version", "model", "identity", "firmware", "date"};

struct Header
{
    std::string model;
    std::string identity;
    std::string firmware;
};

Header headerOf(const std::vector<std::uint8_t> &image)
{
    if (image.size() != BlockLayout::memorySize)
        return {};
    const std::string basic = HexText::formatBytes(image.data() + basicBlockAddress, basicBlockBytes);
    const auto major = BasicBlock::firmwareMajor(basic);
    const auto minor = BasicBlock::firmwareMinor(basic);
    return {BasicBlock::modelCode(basic), BasicBlock::identity(basic),
            major && minor ? HexText::format(*major, 2) + "." + HexText::format(*minor, 2) : std::string()};
}

QByteArray checksum(const QByteArray &header, const std::vector<std::uint8_t> &image)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(header);
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(image.data()), static_cast<qsizetype>(image.size())));
    return hash.result().toHex().toUpper();
}

MemoryBackup::Read refused(MemoryBackup::Problem problem, std::string detail)
{
    return {std::nullopt, problem, std::move(detail)};
}
}  // namespace

MemoryBackup MemoryBackup::of(std::vector<std::uint8_t> image, const QDateTime &date)
{
    const Header header = headerOf(image);
    return {header.model, header.identity, header.firmware, date.toUTC(), std::move(image)};
}

QByteArray MemoryBackup::file() const
{
    QByteArray header = title;
    header += "version: " + QByteArray::number(version) + "\n";
    header += "model: " + QByteArray::fromStdString(model) + "\n";
    header += "identity: " + QByteArray::fromStdString(identity) + "\n";
    header += "firmware: " + QByteArray::fromStdString(firmware) + "\n";
    header += "date: " + date.toUTC().toString(Qt::ISODate).toLatin1() + "\n";
    QByteArray file = header + checksumKey + ": " + checksum(header, image) + "\n\n";
    file.append(reinterpret_cast<const char *>(image.data()), static_cast<qsizetype>(image.size()));
    return file;
}

MemoryBackup::Read MemoryBackup::read(const QByteArray &file)
{
    if (!file.startsWith(title))
        return refused(Problem::NotABackup, "it does not begin with \"" + title.trimmed().toStdString() + "\"");
    const qsizetype end = file.indexOf("\n\n");
    if (end < 0)
        return refused(Problem::Damaged, "its header has no end");
    // Each line after the title is "key: value"; the checksum line comes last.
    std::map<QByteArray, QByteArray> values;
    const QList<QByteArray> lines = file.left(end).mid(title.size()).split('\n');
    QByteArray hashed = title;
    for (const QByteArray &line : lines) {
        const qsizetype colon = line.indexOf(": ");
        if (colon <= 0)
            return refused(Problem::Damaged, "its header line '" + line.left(40).toStdString() + "' is malformed");
        const QByteArray key = line.left(colon);
        if (!values.emplace(key, line.mid(colon + 2)).second)
            return refused(Problem::Damaged, "its header names " + key.toStdString() + " twice");
        if (key != checksumKey)
            hashed += line + "\n";
    }
    bool number = false;
    const int fileVersion = values["version"].toInt(&number);
    if (!number || fileVersion < 1)
        return refused(Problem::Damaged, "its header has no valid version");
    if (fileVersion > version)
        return refused(Problem::NewerVersion, "it was written in format version " + std::to_string(fileVersion)
                                                  + ", and this tool reads version " + std::to_string(version));
    for (const char *key : headerKeys) {
        if (values[key].isEmpty())
            return refused(Problem::Damaged, std::string("its header has no ") + key);
    }
    if (!values.contains(checksumKey) || lines.last().left(checksumKey.size()) != checksumKey)
        return refused(Problem::Damaged, "its header does not end with its checksum");

    MemoryBackup backup;
    backup.image.assign(file.begin() + end + 2, file.end());
    if (backup.image.size() != BlockLayout::memorySize)
        return refused(Problem::Damaged, "it holds " + std::to_string(backup.image.size()) + " bytes of memory, not "
                                             + std::to_string(BlockLayout::memorySize));
    if (checksum(hashed, backup.image) != values[checksumKey].toUpper())
        return refused(Problem::ChecksumFailed, "its checksum does not match its contents");
    backup.model = values["model"].toStdString();
    if (backup.model != supportedModel)
        return refused(Problem::OtherModel,
                       "it is a backup of a remote of model " + backup.model + ", not " + supportedModel);
    backup.identity = values["identity"].toStdString();
    backup.firmware = values["firmware"].toStdString();
    backup.date = QDateTime::fromString(QString::fromLatin1(values["date"]), Qt::ISODate);
    if (!backup.date.isValid())
        return refused(Problem::Damaged, "its date is malformed");
    const Header image = headerOf(backup.image);
    if (image.model != backup.model || image.identity != backup.identity || image.firmware != backup.firmware)
        return refused(Problem::Damaged, "its header does not describe the memory it holds");
    return {std::move(backup), Problem::None, {}};
}
