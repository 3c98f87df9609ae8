#include <QtTest>

#include <set>

#include "FactoryImage.h"
#include "RemoteText.h"

using namespace RemoteText;

// The factory memory read the way the tool reads it at start-up: every field
// at its documented place, every pointer translated.
class FactoryImageTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualRemote> m_remote = memoryOnly();

    // Pointer translation: at or above ptrbase relative to 0, below it to paramaddr.
    int pointer(const QString &params, int offset) const
    {
        const QString config = read(*m_remote, 0xB03C, 2);
        const int stored = word(params, offset);
        const int base = word(config, 12);
        return stored >= base ? stored - base : stored + word(config, 0);
    }

private slots:
    void basicBlock()
    {
        const QString basic = read(*m_remote, 0xB000, 6);
        QCOMPARE(basic.size(), 96);
        QCOMPARE(basic.left(30), ascii("QLR815-00A1B2C3"));
        QCOMPARE(basic.mid(30, 34), ascii("USB LEARNING RC") + "0000");
        QCOMPARE(basic.mid(64, 4), QString("0103"));
        QCOMPARE(basic.mid(70, 4), QString("1805"));
        QCOMPARE(basic.mid(74), QString(22, '0'));
        std::string info;
        QVERIFY(m_remote->basicInfo(info));
        QCOMPARE(QString::fromStdString(info), basic);
        std::string version;
        QVERIFY(m_remote->readVersion(version));
        QCOMPARE(QString::fromStdString(version), QString("1020 QLR-815 USB V1.03"));
    }

    void parameters()
    {
        const QString config = read(*m_remote, 0xB03C, 2);
        QCOMPARE(word(config, 0), 0x1000);
        QCOMPARE(word(config, 12), 0x8000);
        QCOMPARE(config.mid(16, 2), QString("0A"));

        const QString params = read(*m_remote, 0x1000, 5);
        QCOMPARE(word(params, 0), 400);
        QCOMPARE(byte(params, 14), 32);
        QCOMPARE(word(params, 16), 1020);
        QCOMPARE(pointer(params, 32), 0x2000);
        QCOMPARE(pointer(params, 48), 0x1100);
        QCOMPARE(pointer(params, 52), 0x4800);
        QCOMPARE(pointer(params, 56), 0x5000);
        QCOMPARE(byte(params, 64), 48);
    }

    void keyCodeList()
    {
        const QString list = read(*m_remote, 0x1020, 50);
        QCOMPARE(byte(list, 0), 48);
        QCOMPARE(list.mid(2, 96), QString("101213141516172021222324252627303132333436374041424344454647"
                                          "505152535455565760616263646566677071"));
    }

    void knownFormats()
    {
        const QString table = read(*m_remote, 0x1100, 120);
        QCOMPARE(word(table, 0), 8);
        QStringList ids;
        for (int i = 0; i < 8; ++i) {
            ids << table.mid(4 + 12 * i, 6);
            QCOMPARE(table.mid(10 + 12 * i, 6), QString("000000"));
        }
        QCOMPARE(ids, QStringList({"010000", "020000", "030000", "050000", "0C0000", "220155", "2301A0", "2402B7"}));
    }

    void keyStates()
    {
        // The tool's read: 400 records rounded up to whole units, plus one.
        const QString table = read(*m_remote, 0x2000, 400 * 44 / 16 + 1);
        QCOMPARE(table.size(), 8808 * 2);
        const QString codes = read(*m_remote, 0x1021, 6).left(96);
        const std::set<QString> expected = {"0|10", "0|12", "0|13", "0|14", "0|15", "0|16", "0|17",
                                            "0|20", "0|21", "0|22", "0|24", "0|26", "0|27", "0|30",
                                            "0|31", "0|33", "3|10", "3|53", "3|54", "3|61"};
        std::set<QString> downloaded;
        std::set<QString> codeData;
        for (int index = 0; index < 384; ++index) {
            const QString record = table.mid(44 * index, 44);
            const int flags = byte(record, 0);
            if ((flags & 0xA0) != 0x80) {
                QCOMPARE(record, QString(44, '0'));
                continue;
            }
            QCOMPARE(flags & 0x40, 0);                    // kind 1: downloaded, not learned
            QCOMPARE(record.mid(2, 4), QString("0000"));  // a known format
            QCOMPARE(record.mid(6, 6), QString("010000"));
            downloaded.insert(QString::number(index / 48) + "|" + codes.mid(2 * (index % 48), 2));
            codeData.insert(record.mid(12));
        }
        QCOMPARE(downloaded, expected);
        QCOMPARE(codeData.size(), expected.size());  // every key sends its own code
        const QString codeType = table.mid(44 * 384, 44 * 16);
        QVERIFY(codeType.startsWith("5A"));
        for (int i = 0; i < codeType.size(); i += 2) {
            QVERIFY2(byte(codeType, i) != 0, qPrintable(QString("code-type byte %1 is zero").arg(i / 2)));
        }
    }

    void allocationAndCodeArea()
    {
        // The tool reads (32 x 6 + 128) / 8 + 1 units: map and records, all free.
        QCOMPARE(read(*m_remote, 0x4800, 41), QString(41 * 16, '0'));
        QCOMPARE(read(*m_remote, 0x5000, 1020), QString(1020 * 16, '0'));
    }

    void helpersAgreeWithTheImage()
    {
        const auto image = FactoryImage::build();
        for (const auto &key : FactoryImage::downloadedKeys) {
            const auto record = FactoryImage::downloadedRecord(key.mode, key.keyCode);
            const auto at = FactoryImage::keyRecordAddress(FactoryImage::keyIndex(key.mode, key.keyCode));
            QVERIFY(std::equal(record.begin(), record.end(), image.begin() + at));
        }
        QCOMPARE(FactoryImage::keyIndex(1, 0x13), 48 + 2);
        QCOMPARE(FactoryImage::keyIndex(0, 0x11), -1);
        QCOMPARE(FactoryImage::keyIndex(8, 0x10), -1);
    }
};

QTEST_GUILESS_MAIN(FactoryImageTest)
#include "FactoryImageTest.moc"
