#pragma once

#include <QImage>
#include <QString>

struct ModeButtonPlace;

// Draws the looks of the window's command buttons, mode buttons and close button.
class ControlArtist
{
public:
    enum class Style
    {
        Go,      // start learning
        Halt,    // stop learning, close
        Light,   // usable, waiting to be clicked
        Alert,   // a mode that is on: delete mode, the selected device mode
        Greyed,  // not usable now
    };

    static QImage button(QSize size, const QString &text, Style style);
    // Orange when highlighted.
    static QImage modeButton(const ModeButtonPlace &place, bool highlighted);
    static QImage closeButton();
};
