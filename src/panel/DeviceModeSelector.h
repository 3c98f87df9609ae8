#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "PanelLayout.h"

class IBtn;

// The eight device modes, each selected by a pair of buttons: a mode button on
// the window and a device key on the remote's picture. The pair of the current
// mode shows its alternate (highlighted) look, every other pair its normal look.
class DeviceModeSelector : public QObject
{
    Q_OBJECT

public:
    enum class Source
    {
        DeviceKey,
        ModeButton
    };

    struct Pair
    {
        IBtn *modeButton = nullptr;
        IBtn *deviceKey = nullptr;
    };
    using Pairs = std::array<Pair, PanelLayout::modeCount>;

    explicit DeviceModeSelector(const Pairs &pairs, QObject *parent = nullptr);

    // The status text a click of the mode's button of that kind shows; the
    // two kinds spell some modes differently.
    static QString text(int mode, Source source);

    // The pair of `mode` takes its highlighted look and the others their
    // normal one. The image button swaps looks without testing its current
    // state, so only buttons whose look has to change are switched: a second
    // switch would overwrite the normal picture it keeps.
    void highlight(int mode);

signals:
    // A button of the pair of `mode` was clicked; `text` is its status text.
    void selected(int mode, const QString &text);

private:
    Pairs m_pairs;
};
