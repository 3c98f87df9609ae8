#include "StressSignals.h"

#include "IrCorpus.h"
#include "TestSignals.h"

StressSignals::StressSignals(std::size_t recordings)
{
    using TestSignals::bitsOf;
    for (std::uint8_t command : {0x08, 0x12, 0x40})
        m_real.push_back(TestSignals::nec(0x04, 0xFB, command, TestSignals::NecRepeat::Ditto, 1));
    m_real.push_back(TestSignals::rc5(5, 17, 1, 1));
    // Remotes of no known protocol: each shape is a learned format of its own.
    for (int lead : {3400, 4200, 5100}) {
        TestSignals::PulseDistance shape;
        shape.leadMark = lead;
        m_real.push_back(TestSignals::pulseDistance(shape, bitsOf(0x2A5C3, 20)));
        m_real.push_back(TestSignals::pulseDistance(shape, bitsOf(0x15A3C, 20)));
    }
    m_real.push_back(TestSignals::pulseWidth(bitsOf(0x5D, 12)));
    m_real.push_back(TestSignals::dutyCycle(bitsOf(0xB3, 16)));
    m_real.push_back(TestSignals::irregular());
    for (const IrCorpus::Recording &recording : IrCorpus::rawRecordings(recordings))
        m_real.push_back(recording.signal);
}

InfraredSignal StressSignals::pick(std::mt19937 &random) const
{
    if (std::uniform_int_distribution<int>(0, 5)(random) == 0)
        return garbage(random);
    const std::size_t at = std::uniform_int_distribution<std::size_t>(0, m_real.size() - 1)(random);
    const InfraredSignal &chosen = m_real[at];
    return TestSignals::jittered(chosen, 0.03, static_cast<std::uint32_t>(random()));
}

InfraredSignal StressSignals::garbage(std::mt19937 &random)
{
    InfraredSignal signal;
    const int count = std::uniform_int_distribution<int>(1, 300)(random);
    const double longest = std::uniform_int_distribution<int>(0, 1)(random) ? 2000.0 : 40000.0;
    std::uniform_real_distribution<double> length(1.0, longest);
    for (int i = 0; i < count; ++i)
        signal.durations.push_back(length(random));
    return signal;
}
