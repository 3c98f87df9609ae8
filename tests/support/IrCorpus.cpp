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

std::vector<IrCorpus::Recording> IrCorpus::rawRecordings(std::size_t limit)
{
    std::vector<Recording> recordings;
    if (folder().isEmpty()) {
        return recordings;
    }
    QFile file(folder() + "/raw.jsonl");
    if (!file.open(QIODevice::ReadOnly)) {
        return recordings;
    }
    while (!file.atEnd() && (limit == 0 || recordings.size() < limit)) {
        const QJsonObject entry = QJsonDocument::fromJson(file.readLine()).object();
        Recording recording;
        recording.remote = entry.value("path").toString();
        recording.name = entry.value("name").toString();
        recording.signal.carrierHz = entry.value("frequency").toInt();
        for (const QJsonValue value : entry.value("durations").toArray()) {
            recording.signal.durations.push_back(value.toDouble());
        }
        recordings.push_back(std::move(recording));
    }
    return recordings;
}
