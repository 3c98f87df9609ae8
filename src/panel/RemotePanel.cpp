#include "RemotePanel.h"

#include "IBtn.h"
#include "PanelLayout.h"

#include <QLabel>

namespace
{
const char *const displayNameProperty = "displayName";
}  // namespace

RemotePanel::RemotePanel(const Looks &looks, QWidget *parent)
    : QScrollArea(parent)
{
    setObjectName(QStringLiteral("ykqbox"));
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setGeometry(PanelLayout::remotePanel);

    auto *contents = new QWidget;
    contents->setObjectName(QStringLiteral("ykqboxContents"));
    contents->setFixedSize(PanelLayout::remotePanel.size());
    QPalette colours = contents->palette();
    colours.setColor(QPalette::Window, QColor(53, 124, 168));
    contents->setPalette(colours);
    contents->setAutoFillBackground(true);

    auto *face = new QLabel(contents);
    face->setObjectName(QStringLiteral("z"));
    face->setScaledContents(true);
    face->setPixmap(looks.face);
    face->setGeometry(contents->rect());

    for (const KeyPlace &place : PanelLayout::keys()) {
        auto *key = new IBtn(contents);
        key->setObjectName(place.button);
        key->setCode(place.code);
        key->setProperty(displayNameProperty, place.path);
        key->setGeometry(place.rect);
        key->setPicture(looks.key(place.code));
        if (place.deviceMode >= 0) {
            key->setDisablePic(looks.deviceKeyHighlighted(place.deviceMode));
        } else {
            connect(key, &IBtn::clicked, this, [this, key] { emit keyClicked(key); });
        }
        m_keys.insert(place.code, key);
    }
    setWidget(contents);
}

IBtn *RemotePanel::key(const QString &code) const
{
    return m_keys.value(code);
}

IBtn *RemotePanel::deviceKey(int mode) const
{
    const KeyPlace *place = PanelLayout::deviceKey(mode);
    return place ? key(place->code) : nullptr;
}

QString RemotePanel::displayName(const IBtn *key)
{
    return key ? key->property(displayNameProperty).toString() : QString();
}
