#include "CrashKillRun.h"

#include <QFile>

#include <csignal>
#include <cstdint>
#include <optional>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include "FactoryImage.h"
#include "HexText.h"
#include "MemoryImage.h"
#include "RemoteClient.h"
#include "ServerProcess.h"

namespace
{
using Status = RemoteClient::Status;

// The code area: far from the configuration block, whose write selector every write needs.
constexpr std::size_t areaBegin = FactoryImage::codeAreaAddress;
constexpr std::size_t areaEnd = FactoryImage::basicBlockAddress;
constexpr std::size_t longestWrite = 12 * 1024;

struct Write
{
    long number;
    std::size_t offset;
    std::size_t length;
};

// Two writes agree on a byte only by chance, so a region holding parts of
// two of them gives itself away.
std::uint8_t patternByte(long number, std::size_t address)
{
    std::uint32_t mixed = static_cast<std::uint32_t>(number) * 2654435761u ^ static_cast<std::uint32_t>(address);
    mixed ^= mixed >> 15;
    mixed *= 2246822519u;
    mixed ^= mixed >> 13;
    return static_cast<std::uint8_t>(mixed);
}

std::string writeRequest(const Write &write)
{
    std::vector<std::uint8_t> bytes(write.length);
    for (std::size_t i = 0; i < write.length; ++i)
        bytes[i] = patternByte(write.number, write.offset + i);
    const auto address = HexText::address(static_cast<std::uint16_t>(write.offset));
    return "writedatav20 0A " + address.high + " " + address.low + " "
           + HexText::formatBytes(bytes.data(), bytes.size());
}

// What memory must hold: the bytes, and which acknowledged write put each there (-1: the factory).
class Expectation
{
public:
    Expectation()
        : m_bytes(FactoryImage::build())
        , m_owner(m_bytes.size(), -1)
    { }

    void take(const Write &write)
    {
        for (std::size_t a = write.offset; a < write.offset + write.length; ++a) {
            m_bytes[a] = patternByte(write.number, a);
            m_owner[a] = write.number;
        }
    }

    // Settles the write in flight at the kill against what memory holds,
    // then counts the writes that are missing; memory is taken as it is from then on.
    void check(const std::vector<std::uint8_t> &memory, const std::optional<Write> &inFlight,
               CrashKillRun::Figures &figures)
    {
        if (inFlight) {
            bool someNew = false, someOld = false;
            for (std::size_t a = inFlight->offset; a < inFlight->offset + inFlight->length; ++a) {
                const bool isNew = memory[a] == patternByte(inFlight->number, a);
                const bool isOld = memory[a] == m_bytes[a];
                someNew = someNew || (isNew && !isOld);
                someOld = someOld || (isOld && !isNew);
                if (isNew) {
                    m_bytes[a] = memory[a];
                    m_owner[a] = inFlight->number;
                }
            }
            figures.halfApplied += someNew && someOld;
            figures.inFlightApplied += someNew && !someOld;
        }
        std::set<long> lost;
        for (std::size_t a = 0; a < memory.size(); ++a) {
            if (memory[a] != m_bytes[a]) {
                lost.insert(m_owner[a]);
                m_bytes[a] = memory[a];
            }
        }
        figures.lost += static_cast<long>(lost.size());
    }

private:
    std::vector<std::uint8_t> m_bytes;
    std::vector<long> m_owner;
};

// One bit of a byte the journal holds (one that is not zero: written at some
// time), as a failing disk might change it.
bool damageJournal(const QString &journal, std::mt19937 &random)
{
    QFile file(journal);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    QByteArray bytes = file.readAll();
    std::vector<qsizetype> written;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != 0)
            written.push_back(i);
    }
    if (written.empty())
        return true;
    const qsizetype at = written[random() % written.size()];
    bytes[at] = char(bytes[at] ^ (1 << random() % 8));
    return file.seek(at) && file.write(bytes.constData() + at, 1) == 1;
}

std::optional<std::vector<std::uint8_t>> readMemory(const std::string &socket)
{
    const auto reply =
        RemoteClient::call(socket, "dump 0 " + std::to_string(FactoryImage::memorySize), std::chrono::seconds(5));
    auto bytes = HexText::bytes(reply.data);
    if (reply.status != Status::Ok || !bytes || bytes->size() != FactoryImage::memorySize)
        return std::nullopt;
    return bytes;
}
}  // namespace

CrashKillRun::Figures CrashKillRun::run(const Options &options)
{
    const QString socket = options.directory + "/socket";
    const QString image = options.directory + "/remote.img";
    std::mt19937 random(options.seed);
    Expectation expectation;
    std::optional<Write> inFlight;
    long next = 1;
    Figures figures;
    // One round more than kills: the last restart checks the last kill.
    for (int round = 0; round <= options.rounds; ++round) {
        ServerProcess server(socket, image);
        if (!server.start()) {
            figures.problem = QString("the server did not start in round %1").arg(round);
            return figures;
        }
        const auto memory = readMemory(socket.toStdString());
        if (!memory) {
            figures.problem = QString("the memory could not be read in round %1").arg(round);
            return figures;
        }
        expectation.check(*memory, inFlight, figures);
        inFlight.reset();
        if (round == options.rounds)
            break;

        const auto life =
            std::chrono::milliseconds(std::uniform_int_distribution<long>(0, options.longestLife.count())(random));
        const pid_t pid = static_cast<pid_t>(server.pid());
        std::thread killer([pid, life] {
            std::this_thread::sleep_for(life);
            ::kill(pid, SIGKILL);
        });
        for (;;) {
            // Mostly short writes like the tool's, some long enough to take a while on disk.
            const std::size_t length = random() % 4 == 0
                                           ? std::uniform_int_distribution<std::size_t>(1, longestWrite)(random)
                                           : std::uniform_int_distribution<std::size_t>(1, 64)(random);
            const std::size_t offset = std::uniform_int_distribution<std::size_t>(areaBegin, areaEnd - length)(random);
            const Write write{next++, offset, length};
            if (RemoteClient::call(socket.toStdString(), writeRequest(write)).status != Status::Ok) {
                inFlight = write;
                break;
            }
            ++figures.acknowledged;
            expectation.take(write);
        }
        killer.join();
        server.kill();
        ++figures.rounds;
        if (options.damageJournal
            && !damageJournal(QString::fromStdString(MemoryImage::journalPathOf(image.toStdString())), random)) {
            figures.problem = QString("the journal could not be damaged in round %1").arg(round);
            return figures;
        }
    }
    return figures;
}
