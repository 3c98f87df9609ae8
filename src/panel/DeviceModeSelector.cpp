#include "DeviceModeSelector.h"

#include "IBtn.h"

DeviceModeSelector::DeviceModeSelector(const Pairs &pairs, QObject *parent)
    : QObject(parent)
    , m_pairs(pairs)
{
    for (int mode = 0; mode < PanelLayout::modeCount; ++mode) {
        const Pair &pair = m_pairs[std::size_t(mode)];
        connect(pair.deviceKey, &IBtn::clicked, this,
                [this, mode] { emit selected(mode, text(mode, Source::DeviceKey)); });
        connect(pair.modeButton, &IBtn::clicked, this,
                [this, mode] { emit selected(mode, text(mode, Source::ModeButton)); });
    }
}

QString DeviceModeSelector::text(int mode, Source source)
{
    // By mode: the device key's text, then the mode button's.
    static const std::array<std::array<const char16_t *, 2>, PanelLayout::modeCount> texts{{
        {u"You select TV device", u"You select TV device！"},
        {u"You select CBL device！", u"You select CBL device！"},
        {u"You select SATILLATE device！", u"You select SATILLATE device!"},
        {u"You select dvd device！", u"You select DVD device！"},
        {u"You select vcr device！", u"You select VCR device！"},
        {u"You select CD device！", u"Your select CD device！"},
        {u"You select AMP device！", u"You select AMP device！"},
        {u"You select AUX device！", u"You select AUX device！"},
    }};
    if (mode < 0 || mode >= PanelLayout::modeCount)
        return {};
    return QString::fromUtf16(texts[std::size_t(mode)][source == Source::DeviceKey ? 0 : 1]);
}

void DeviceModeSelector::highlight(int mode)
{
    for (int other = 0; other < PanelLayout::modeCount; ++other) {
        const bool highlighted = other == mode;
        const Pair &pair = m_pairs[std::size_t(other)];
        for (IBtn *button : {pair.modeButton, pair.deviceKey}) {
            // IsEnable true is the normal look.
            if (button->isEnable() == highlighted)
                button->setIsEnable(!highlighted);
        }
    }
}
