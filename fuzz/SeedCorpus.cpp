// Writes the fuzzers' seed corpora: the factory image's blocks, and for a
// spread of real recordings of the infrared corpus their signal files, the
// receiver's captures, the converter's inputs, the parts and format data of
// the learned codes they convert to, bundles of two of them, and server
// sessions that press them. The hand-made seeds (Pronto codes, other
// requests) live beside them. Usage: fuzz_seeds IRCORPUS_DIR CORPUS_DIR
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "CaptureEncoding.h"
#include "CodeConverter.h"
#include "EncodedCapture.h"
#include "FactoryImage.h"
#include "HexText.h"
#include "ReceiverCapture.h"
#include "SignalFile.h"
#include "SparseImage.h"

namespace
{
constexpr std::size_t recordings = 24;

void write(const std::filesystem::path &path, const std::string &text)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<InfraredSignal> spreadOfRecordings(const std::filesystem::path &rawFile)
{
    std::ifstream in(rawFile);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    std::vector<InfraredSignal> spread;
    for (std::size_t i = 0; i < recordings && !lines.empty(); ++i) {
        const QJsonObject value =
            QJsonDocument::fromJson(QByteArray::fromStdString(lines[i * lines.size() / recordings])).object();
        const QJsonValue durations = value.value(QStringLiteral("durations"));
        const QJsonValue frequency = value.value(QStringLiteral("frequency"));
        if (durations.isUndefined() || frequency.isUndefined())
            continue;
        InfraredSignal signal;
        signal.carrierHz = static_cast<int>(frequency.toDouble());
        for (const QJsonValue duration : durations.toArray())
            signal.durations.push_back(duration.toDouble());
        spread.push_back(signal);
    }
    return spread;
}
}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: fuzz_seeds IRCORPUS_DIR CORPUS_DIR\n";
        return 2;
    }
    const std::filesystem::path corpus = argv[2];
    const auto image = SparseImage::compress(FactoryImage::build());
    write(corpus / "blocks/factory", std::string(image.begin(), image.end()));

    const auto spread = spreadOfRecordings(std::filesystem::path(argv[1]) / "raw.jsonl");
    if (spread.empty()) {
        std::cerr << "no recordings in " << argv[1] << "\n";
        return 1;
    }
    std::string previous;
    for (std::size_t i = 0; i < spread.size(); ++i) {
        const std::string name = "raw" + std::to_string(i);
        const std::string durations = SignalFile::format(spread[i]);
        write(corpus / "signalfile" / name, durations + "\n");
        write(corpus / "request" / name,
              "SetCodeCarrierWave\nstatus\npress " + durations + "\nRCollectCodeInfo\nstatus\n");
        const auto capture = ReceiverCapture::text(spread[i]);
        if (!capture)
            continue;
        write(corpus / "capture" / name, *capture);
        const std::string input =
            EncodedCapture::converterinput(CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(*capture)));
        if (input.empty())
            continue;
        write(corpus / "convert" / name, input);
        // A learned code: id "::" A ":" B ":::" data, all hex.
        const std::string code = CodeConverter::convert(input);
        if (code.size() <= 44 || code.compare(41, 3, ":::") != 0)
            continue;
        const auto writeFormat = [&corpus](const std::string &seed, const std::string &learned) {
            const auto parts = HexText::bytes(learned.substr(8, 16) + learned.substr(25, 16));
            const auto format = HexText::bytes(learned.substr(44));
            if (parts && format)
                write(corpus / "formatdata" / seed,
                      std::string(parts->begin(), parts->end()) + std::string(format->begin(), format->end()));
        };
        writeFormat(name, code);
        // The key offered the code before it, with no slot free: a bundle that holds both.
        if (!previous.empty()) {
            const std::string offered = previous.substr(0, 6) + ":" + previous.substr(44) + ":" + previous.substr(8, 16)
                                        + previous.substr(25, 16) + ";slotsfull";
            const std::string bundled = CodeConverter::convert(input, 0, offered);
            if (bundled.size() > 44 && bundled.compare(0, 6, previous, 0, 6) == 0
                && bundled.compare(44, std::string::npos, previous, 44) != 0)
                writeFormat("bundle" + std::to_string(i), bundled);
        }
        previous = code;
    }
    return 0;
}
