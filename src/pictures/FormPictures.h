#pragma once

#include "ArtNames.h"

#include <QPixmap>
#include <QString>

// The pictures stored with the windows, compiled into the program. Each call
// decodes a fresh picture for the control that shows it.
class FormPictures
{
public:
    // The remote's face, 190 x 730; the remote panel shows it stretched.
    static QPixmap face();
    // A key button's initial look, at the button's size; null for an unknown code.
    static QPixmap keyButton(const QString &code);
    // The yellow highlighted look of the device key of `mode`.
    static QPixmap deviceKeyHighlighted(int mode);
    // A mode button, normal or in its orange highlighted look.
    static QPixmap modeButton(int mode, bool highlighted);
    static QPixmap startLearning();
    static QPixmap stopLearning();
    static QPixmap closeButton();
    static QPixmap background();
    static QPixmap hintPanel(ArtNames::HintPanel panel);
    static QPixmap splash();

private:
    static QPixmap picture(const QString &name);
};
