#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The names under which the artwork is stored: in the five resource packs, and
// compiled into the program. The generator writes by these names and the
// program reads by them, so they live in one place.
namespace ArtNames
{
// Entries per key picture set; entry n belongs to the key code that reads as n in hex.
inline constexpr int keySetSize = 168;

// The packs, in the order they are loaded.
inline const QStringList &packs()
{
    static const QStringList stems{"on1805", "sn1805", "fn1805", "bn1805", "dn1805"};
    return stems;
}

// The packs of the key picture sets: no code, learned, chosen for learning, downloaded.
inline const QStringList &keySetPacks()
{
    static const QStringList stems{"on1805", "sn1805", "fn1805", "dn1805"};
    return stems;
}

inline QString keyPicture(int index)
{
    return QStringLiteral("gif%1").arg(index);
}

// The pack of the single pictures and the hint animation.
inline const QString singlesPack = QStringLiteral("bn1805");
inline const QString animation = QStringLiteral("flash1");

// The single pictures, in the order they are loaded.
inline const std::array<QString, 7> singles{
    QStringLiteral("gifzelmar"), QStringLiteral("jpgjingtai"), QStringLiteral("stopdelete"),
    QStringLiteral("deletehui"), QStringLiteral("delete"),     QStringLiteral("clear"),
    QStringLiteral("clearhui"),
};

// The pictures compiled into the program, below this resource prefix.
inline const QString formPrefix = QStringLiteral("/qlr/form");

enum class HintPanel
{
    Idle,
    LearnOnly,
    Learning,
    Deleting
};

inline QString face()
{
    return QStringLiteral("face.gif");
}
inline QString keyButton(const QString &code)
{
    return QStringLiteral("keys/%1.gif").arg(code);
}
inline QString deviceKeyHighlighted(int mode)
{
    return QStringLiteral("devicekeys/%1.gif").arg(mode);
}
inline QString modeButton(int mode, bool highlighted)
{
    return QStringLiteral("modes/%1%2.jpg").arg(mode).arg(highlighted ? "-highlight" : "");
}
inline QString startLearning()
{
    return QStringLiteral("start.jpg");
}
inline QString stopLearning()
{
    return QStringLiteral("stop.jpg");
}
inline QString closeButton()
{
    return QStringLiteral("close.jpg");
}
inline QString background()
{
    return QStringLiteral("background.jpg");
}
inline QString splash()
{
    return QStringLiteral("splash.jpg");
}
inline QString hintPanel(HintPanel panel)
{
    static const QStringList names{"idle", "learnonly", "learning", "deleting"};
    return QStringLiteral("hints/%1.jpg").arg(names.at(static_cast<int>(panel)));
}
}  // namespace ArtNames
