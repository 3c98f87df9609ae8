#pragma once

#include <QList>
#include <QPixmap>
#include <QString>

// The key picture sets and single pictures the main window owns. Entry n of a
// set belongs to the key whose code reads as n in hex.
struct Pictures
{
    QList<QPixmap> normalpics;      // no code (grey)
    QList<QPixmap> learnedpics;     // learned code (red)
    QList<QPixmap> selectedpics;    // chosen for learning (yellow)
    QList<QPixmap> downloadedpics;  // downloaded code (green)
    QPixmap hintpicture;            // the hint picture, idle
    QPixmap staticpicture;          // the hint picture while learning
    QPixmap stopdeletepicture;      // delete-one button, delete mode on
    QPixmap deletegreypicture;      // delete-one button, greyed
    QPixmap deletepicture;          // delete-one button, usable
    QPixmap clearpicture;           // clear-all button, usable
    QPixmap cleargreypicture;       // clear-all button, greyed

    // The set entry of a key code: "45" is 69; -1 for text that is no hex number.
    static int indexOf(const QString &code);
};
