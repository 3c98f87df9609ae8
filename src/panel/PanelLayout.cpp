#include "PanelLayout.h"

#include <QStringList>
#include <algorithm>

const QList<KeyPlace> &PanelLayout::keys()
{
    static const QList<KeyPlace> table{
        {"00", "IBtn1", "POWER/TV", {31, 64, 37, 18}, 0},
        {"01", "IBtn3", "POWER/CBL", {30, 88, 39, 19}, 4},
        {"02", "IBtn8", "TV/Vol+", {31, 113, 34, 18}, 5},
        {"03", "IBtn4", "POWER/AMP", {74, 94, 35, 20}, 3},
        {"04", "IBtn30", "", {120, 94, 35, 20}, 6},
        {"05", "IBtn38", "", {164, 113, 35, 19}, 7},
        {"06", "IBtn37", "", {164, 89, 36, 19}, 2},
        {"07", "IBtn32", "", {164, 63, 37, 20}, 1},
        {"10", "IBtn31", "POWER", {92, 47, 53, 24}},
        {"12", "IBtn5", "1", {32, 151, 42, 20}},
        {"13", "IBtn6", "2", {88, 152, 45, 20}},
        {"14", "IBtn7", "3", {147, 152, 47, 19}},
        {"15", "IBtn10", "4", {32, 185, 42, 26}},
        {"16", "IBtn11", "5", {89, 184, 46, 25}},
        {"17", "IBtn12", "6", {148, 185, 48, 20}},
        {"20", "IBtn14", "7", {32, 221, 43, 21}},
        {"21", "IBtn15", "8", {89, 220, 53, 22}},
        {"22", "IBtn16", "9", {149, 220, 46, 22}},
        {"23", "IBtn18", "DASH", {33, 252, 45, 21}},
        {"24", "IBtn19", "0", {89, 253, 47, 20}},
        {"25", "IBtn20", "ENTER", {149, 253, 46, 19}},
        {"26", "IBtn22", "VOL+", {41, 285, 41, 41}},
        {"27", "IBtn23", "MUTE", {102, 288, 25, 22}},
        {"30", "IBtn24", "CH+", {153, 289, 38, 40}},
        {"31", "IBtn26", "VOL-", {41, 325, 38, 39}},
        {"32", "IBtn27", "AM/FM", {102, 322, 32, 33}},
        {"33", "IBtn28", "CH-", {153, 327, 40, 39}},
        {"34", "IBtn52", "TITLE", {31, 379, 36, 32}},
        {"36", "IBtn36", "MENU", {162, 380, 38, 32}},
        {"37", "IBtn39", "CC", {27, 410, 33, 31}},
        {"40", "IBtn35", "UP", {79, 394, 75, 36}},
        {"41", "IBtn41", "BACK", {173, 418, 33, 25}},
        {"42", "IBtn40", "LIST", {24, 447, 37, 24}},
        {"43", "IBtn56", "LEFT", {62, 423, 32, 53}},
        {"44", "IBtn25", "SELECT", {90, 424, 43, 43}},
        {"45", "IBtn33", "RIGHT", {136, 424, 33, 49}},
        {"46", "IBtn42", "INFO", {178, 457, 33, 22}},
        {"47", "IBtn49", "EXIT", {28, 475, 41, 36}},
        {"50", "IBtn50", "DOWN", {79, 468, 70, 34}},
        {"51", "IBtn34", "TV/AV", {160, 485, 36, 29}},
        {"52", "IBtn54", "BACKFORWARD", {27, 527, 33, 22}},
        {"53", "IBtn51", "pause", {76, 526, 32, 23}},
        {"54", "IBtn55", "play", {120, 526, 40, 24}},
        {"55", "IBtn43", "NEXT", {163, 527, 35, 22}},
        {"56", "IBtn2", "RECORD", {28, 561, 34, 25}},
        {"57", "IBtn53", "BACK", {75, 565, 41, 22}},
        {"60", "IBtn60", "NEXT", {112, 565, 35, 23}},
        {"61", "IBtn44", "stop", {163, 561, 35, 25}},
        {"62", "IBtn65", "PIP", {28, 603, 34, 18}},
        {"63", "IBtn62", "SWAP", {72, 602, 34, 19}},
        {"64", "IBtn29", "INPUT", {118, 602, 35, 19}},
        {"65", "IBtn45", "SLEEP", {163, 603, 36, 19}},
        {"66", "IBtn17", "F", {28, 634, 35, 21}},
        {"67", "IBtn21", "C", {72, 634, 35, 20}},
        {"70", "IBtn13", "R", {117, 633, 38, 20}},
        {"71", "IBtn9", "T", {163, 633, 35, 19}},
    };
    return table;
}

namespace
{
template <typename Matches> const KeyPlace *findKey(Matches matches)
{
    const QList<KeyPlace> &table = PanelLayout::keys();
    const auto found = std::find_if(table.begin(), table.end(), matches);
    return found == table.end() ? nullptr : &*found;
}
}  // namespace

const KeyPlace *PanelLayout::key(const QString &code)
{
    return findKey([&](const KeyPlace &place) { return place.code == code; });
}

const KeyPlace *PanelLayout::deviceKey(int mode)
{
    if (mode < 0)
        return nullptr;
    return findKey([&](const KeyPlace &place) { return place.deviceMode == mode; });
}

const QList<ModeButtonPlace> &PanelLayout::modeButtons()
{
    static const QList<ModeButtonPlace> table{
        {0, "TV_IBTN", {447, 210, 77, 20}},  {1, "CBL_IBTN", {556, 210, 77, 20}}, {2, "SAT_IBTN", {558, 242, 77, 20}},
        {3, "DVD_IBTN", {661, 210, 79, 20}}, {4, "VCR_IBTN", {760, 210, 78, 20}}, {5, "CD_IBTN", {663, 242, 77, 20}},
        {6, "AMP_INTN", {445, 242, 78, 20}}, {7, "AUX_IBTN", {761, 242, 78, 21}},
    };
    return table;
}

QString PanelLayout::modeName(int mode)
{
    static const QStringList names{"TV", "CBL", "SAT", "DVD", "VCR", "CD", "AMP", "AUX"};
    return names.value(mode);
}
