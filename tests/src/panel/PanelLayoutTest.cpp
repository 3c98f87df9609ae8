#include <QSet>
#include <QtTest>

#include "PanelLayout.h"

// The key table as the artwork and the window rely on it.
class PanelLayoutTest : public QObject
{
    Q_OBJECT

private slots:
    void keysAreUniqueAndInsideThePanel()
    {
        const QList<KeyPlace> &keys = PanelLayout::keys();
        QCOMPARE(keys.size(), 56);
        QSet<QString> codes;
        QSet<QString> buttons;
        const QRect panel(QPoint(0, 0), PanelLayout::remotePanel.size());
        for (const KeyPlace &key : keys) {
            QVERIFY2(QRegularExpression("^[0-7][0-7]$").match(key.code).hasMatch(), qPrintable(key.code));
            codes.insert(key.code);
            buttons.insert(key.button);
            QVERIFY2(panel.contains(key.rect), qPrintable(key.button));
            QCOMPARE(PanelLayout::key(key.code), &key);
        }
        QCOMPARE(codes.size(), keys.size());
        QCOMPARE(buttons.size(), keys.size());
        for (const char *absent : {"11", "35", "72", "77", "1A", ""})
            QVERIFY(!PanelLayout::key(absent));
    }

    void everyModeHasOneDeviceKeyAndOneModeButton()
    {
        QSet<QString> modeButtons;
        for (int mode = 0; mode < PanelLayout::modeCount; ++mode) {
            const KeyPlace *key = PanelLayout::deviceKey(mode);
            QVERIFY(key);
            QCOMPARE(key->deviceMode, mode);
            QCOMPARE(PanelLayout::modeButtons().at(mode).mode, mode);
            modeButtons.insert(PanelLayout::modeButtons().at(mode).button);
        }
        QCOMPARE(modeButtons.size(), PanelLayout::modeCount);
        QVERIFY(!PanelLayout::deviceKey(8));
        QVERIFY(!PanelLayout::deviceKey(-1));
        QCOMPARE(PanelLayout::deviceKey(0)->code, QStringLiteral("00"));
        QCOMPARE(PanelLayout::deviceKey(1)->button, QStringLiteral("IBtn32"));
        QCOMPARE(PanelLayout::modeName(2), QStringLiteral("SAT"));
        QCOMPARE(PanelLayout::modeButtons().at(6).button, QStringLiteral("AMP_INTN"));
    }
};

QTEST_MAIN(PanelLayoutTest)
#include "PanelLayoutTest.moc"
