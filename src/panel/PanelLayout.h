#pragma once

#include <QList>
#include <QRect>
#include <QString>

// One key button over the remote's face. The rectangle is in the pixels of the
// remote panel (the 228 x 745 container that shows the face stretched).
struct KeyPlace
{
    QString code;    // two digits 0..7; read as hex it indexes the picture sets
    QString button;  // object name on the form, e.g. "IBtn33"
    QString path;    // display name, e.g. "RIGHT"
    QRect rect;
    int deviceMode = -1;  // the mode a device key selects; -1 for a learnable key
};

// One of the eight mode buttons of the right-hand panel, in window client pixels.
struct ModeButtonPlace
{
    int mode = 0;
    QString button;  // object name on the form, e.g. "TV_IBTN"
    QRect rect;
};

// Where the remote panel's buttons sit and what they are. Shared by the artwork,
// which draws the keys where the buttons will lie, and the window, which lays
// the buttons out.
class PanelLayout
{
public:
    static constexpr int modeCount = 8;
    // The container of the face and the key buttons, in window client pixels.
    static constexpr QRect remotePanel{14, 2, 228, 745};
    // The stored face picture; the container shows it stretched.
    static constexpr QSize faceSize{190, 730};

    // The 56 keys, ordered by key code.
    static const QList<KeyPlace> &keys();
    // Null when no key has that code.
    static const KeyPlace *key(const QString &code);
    // The device key that selects `mode`; null for a mode out of range.
    static const KeyPlace *deviceKey(int mode);
    // In the order of the device modes, TV first.
    static const QList<ModeButtonPlace> &modeButtons();
    // "TV", "CBL", ... "AUX".
    static QString modeName(int mode);
};
