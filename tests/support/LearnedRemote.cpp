#include "LearnedRemote.h"

#include <QtGlobal>

#include "BlockLayout.h"
#include "CaptureEncoding.h"
#include "CodeConverter.h"
#include "EncodedCapture.h"
#include "ModeSlice.h"
#include "RemoteTablesReader.h"
#include "TCollectCode.h"

LearnedRemote::LearnedRemote()
{
    RemoteTablesReader::Result read = RemoteTablesReader::read(*m_quick.device);
    if (read.outcome != RemoteTablesReader::Outcome::Ok)
        qFatal("factory tables: %s", read.reason.c_str());
    m_tables = std::move(read.tables);
}

CapturedCodeStore::Result LearnedRemote::learn(const InfraredSignal &signal, int mode, const std::string &keycode)
{
    // As the capture thread polls: a fresh zeroed buffer, taken whole.
    std::string collectedcode;
    if (m_quick.device->SetCodeCarrierWave() && m_quick.remote->press(signal)) {
        std::vector<char> buffer(TCollectCode::bufferSize, '\0');
        if (m_quick.device->RCollectCodeInfo(buffer.data()))
            collectedcode.assign(buffer.data(), buffer.size());
    }
    CapturedCodeStore store(
        m_tables, *m_quick.device, [](const std::string &input, int carrierHz, const std::string &storedFormats) {
            return Conversion{
                Conversion::Status::Converted, CodeConverter::convert(input, carrierHz, storedFormats), {}};
        });
    return store.store(collectedcode, keycode, mode);
}

std::vector<std::uint8_t> LearnedRemote::image() const
{
    return m_quick.remote->dump(0, VirtualRemote::memorySize);
}

int LearnedRemote::recordAddress(int mode, const std::string &keycode) const
{
    // The first mode's entries are the remote's key-code list.
    const auto position = ModeSlice(m_tables, 0).find(keycode, KeyStateEntry::CodeMatch::IgnoringCase);
    if (!position)
        return -1;
    return m_tables.keytableaddr + BlockLayout::keyRecordBytes * (mode * m_tables.keyspermode + int(*position));
}

std::string LearnedRemote::convertCapture(const std::string &collectedcode)
{
    const std::string encoded = CaptureEncoding::encodecapture(CaptureEncoding::trimcapture(collectedcode));
    return CodeConverter::convert(EncodedCapture::converterinput(encoded), EncodedCapture::carrierHz(encoded));
}
