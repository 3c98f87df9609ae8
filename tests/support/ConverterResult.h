#pragma once

#include <QRegularExpression>
#include <QString>

// The converter's result split into its fields, as the tool splits it.
struct ConverterResult
{
    QString id;
    QString partA;
    QString partB;
    QString data;
    bool wellFormed = false;

    static ConverterResult of(const std::string &text)
    {
        ConverterResult r;
        const QString all = QString::fromStdString(text);
        const int idEnd = all.indexOf("::");
        const int aEnd = all.indexOf(':', idEnd + 2);
        const int bEnd = all.indexOf(":::", aEnd + 1);
        if (idEnd < 0 || aEnd < 0 || bEnd < 0) {
            return r;
        }
        r.id = all.left(idEnd);
        r.partA = all.mid(idEnd + 2, aEnd - idEnd - 2);
        r.partB = all.mid(aEnd + 1, bEnd - aEnd - 1);
        r.data = all.mid(bEnd + 3);
        static const QRegularExpression hex("^[0-9A-F]*$");
        r.wellFormed = r.id.size() == 6 && r.partA.size() == 16 && r.partB.size() == 16 && r.data.size() % 2 == 0
                       && hex.match(r.id + r.partA + r.partB + r.data).hasMatch();
        return r;
    }
    // The key record the tool writes for a known format.
    std::string knownRecord() const { return ("C00000" + id + partA + partB).toStdString(); }
    // The key record of a learned format in allocation slot 0.
    std::string learnedRecord() const { return ("C0008000FFFF" + partA + partB).toStdString(); }
    bool known() const { return id.left(2).toInt(nullptr, 16) < 0x22 && id.mid(2) == "0000"; }
    // What names the key's code: a known format's fields, toggle, carrier and
    // repeats without the timing that follows each capture (part B's skew and
    // gap step bits, its stretch nibbles); a learned key's format and bits.
    QString keyCode() const
    {
        if (!known()) {
            return id + partA + partB;
        }
        const int repeatKind = partB.mid(2, 2).toInt(nullptr, 16) & 0x03;
        return id + partA + partB.left(2) + QString::number(repeatKind) + partB.mid(4, 2);
    }
};
