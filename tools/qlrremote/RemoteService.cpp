#include "RemoteService.h"

#include "HexText.h"
#include "RemoteRequest.h"
#include "VirtualRemote.h"

namespace
{
std::string ok(const std::string &data = {})
{
    return data.empty() ? "OK" : "OK " + data;
}

std::string result(bool success, const std::string &data = {})
{
    return success ? ok(data) : "FAIL";
}

// Device texts and the image path end up on a line of the protocol; anything
// that would break the line is not passed on. `data` is read after `success`
// was worked out, so the call that fills it may be the first argument.
std::string lineSafe(bool success, const std::string &data)
{
    for (const char c : data) {
        if (c < 0x20 || c > 0x7E)
            return "ERR the remote returned unprintable text";
    }
    return result(success, data);
}
}  // namespace

RemoteService::RemoteService(VirtualRemote &remote, std::string imagePath)
    : m_remote(remote)
    , m_imagePath(std::move(imagePath))
{ }

std::string RemoteService::handle(std::string_view line)
{
    std::string error;
    const auto request = RemoteRequest::parse(line, &error);
    return request ? execute(*request) : "ERR " + error;
}

std::string RemoteService::execute(const RemoteRequest &request)
{
    using Op = RemoteRequest::Op;
    const auto &texts = request.texts;
    std::string data;
    switch (request.op) {
    case Op::LinkState:
        return result(m_remote.linkState());
    case Op::ReadVersion:
        return lineSafe(m_remote.readVersion(data), data);
    case Op::ReadData:
        return lineSafe(m_remote.readData(request.count, texts[0], texts[1], texts[2], data), data);
    case Op::WriteData:
        return result(m_remote.writeData(texts[0], texts[1], texts[2], texts[3]));
    case Op::WriteCodeTypeData:
        return result(m_remote.writeCodeTypeData(texts[0]));
    case Op::SetCodeCarrierWave:
        return result(m_remote.setCodeCarrierWave());
    case Op::CollectCodeInfo:
        return lineSafe(m_remote.collectCodeInfo(data), data);
    case Op::BasicInfo:
        return lineSafe(m_remote.basicInfo(data), data);
    case Op::Status:
        return lineSafe(true, std::string("attached=") + (m_remote.attached() ? "yes" : "no") + " identity="
                                  + (m_remote.identity() == VirtualRemote::Identity::Other ? "other" : "original")
                                  + " capture=" + (m_remote.captureArmed() ? "armed" : "idle")
                                  + " image=" + m_imagePath);
    case Op::Attach:
        m_remote.attach();
        return ok();
    case Op::Detach:
        m_remote.detach();
        return ok();
    case Op::Identity:
        m_remote.setIdentity(request.identity);
        return ok();
    case Op::Press:
        return result(m_remote.press(request.signal));
    case Op::Dump: {
        const std::vector<std::uint8_t> bytes = m_remote.dump(request.address, static_cast<std::size_t>(request.count));
        return ok(HexText::formatBytes(bytes.data(), bytes.size()));
    }
    case Op::Reset:
        return result(m_remote.reset());
    case Op::Fault:
        if (request.detachDuringCapture)
            m_remote.detachDuringCapture();
        else
            m_remote.injectFault(request.fault, request.count);
        return ok();
    }
    return "ERR unknown operation";
}
