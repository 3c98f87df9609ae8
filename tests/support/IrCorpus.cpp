#include "IrCorpus.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

QString IrCorpus::folder()
{
    const QString path = QStringLiteral(QLR_CORPUS_DIR);
    return QFile::exists(path + "/raw.jsonl") ? path : QString();
}

namespace
{
// Each entry of a corpus file, up to `limit` of them (all for 0), to `take`.
template <typename Take> void eachEntry(const QString &name, std::size_t limit, Take take)
{
    QFile file(IrCorpus::folder() + "/" + name);
    if (IrCorpus::folder().isEmpty() || !file.open(QIODevice::ReadOnly)) {
        return;
    }
    for (std::size_t count = 0; !file.atEnd() && (limit == 0 || count < limit); ++count) {
        take(QJsonDocument::fromJson(file.readLine()).object());
    }
}
}  // namespace

std::vector<IrCorpus::Recording> IrCorpus::rawRecordings(std::size_t limit)
{
    std::vector<Recording> recordings;
    eachEntry("raw.jsonl", limit, [&recordings](const QJsonObject &entry) {
        Recording recording;
        recording.remote = entry.value("path").toString();
        recording.name = entry.value("name").toString();
        recording.signal.carrierHz = entry.value("frequency").toInt();
        for (const QJsonValue value : entry.value("durations").toArray()) {
            recording.signal.durations.push_back(value.toDouble());
        }
        recordings.push_back(std::move(recording));
    });
    return recordings;
}

std::vector<IrCorpus::Decoded> IrCorpus::decodedSignals()
{
    std::vector<Decoded> decoded;
    eachEntry("parsed.jsonl", 0, [&decoded](const QJsonObject &entry) {
        decoded.push_back({entry.value("path").toString(), entry.value("name").toString(),
                           entry.value("protocol").toString(), entry.value("address").toInteger(),
                           entry.value("command").toInteger()});
    });
    return decoded;
}
