#pragma once

#include <QHash>
#include <QPixmap>
#include <QScrollArea>
#include <functional>

class IBtn;

// The picture of the remote (`ykqbox`) with an image button over each of its
// 56 keys. A borderless scroll box whose contents fit, so no scroll bar shows.
class RemotePanel : public QScrollArea
{
    Q_OBJECT

public:
    // The pictures stored with the window.
    struct Looks
    {
        QPixmap face;                                           // stretched over the panel
        std::function<QPixmap(const QString &code)> key;        // a key button's initial look
        std::function<QPixmap(int mode)> deviceKeyHighlighted;  // a device key's alternate look
    };

    explicit RemotePanel(const Looks &looks, QWidget *parent = nullptr);

    // Null when no key has that code.
    IBtn *key(const QString &code) const;
    // The device key that selects `mode`; null for a mode out of range.
    IBtn *deviceKey(int mode) const;
    // The name the user knows the key by ("RIGHT"). It is kept apart from the
    // button's Path, which a press would open through the desktop.
    static QString displayName(const IBtn *key);

signals:
    // A learnable key was clicked; device keys select modes instead.
    void keyClicked(IBtn *key);

private:
    QHash<QString, IBtn *> m_keys;
};
