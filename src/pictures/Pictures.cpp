#include "Pictures.h"

int Pictures::indexOf(const QString &code)
{
    bool ok = false;
    const int index = code.toInt(&ok, 16);
    return ok && index >= 0 ? index : -1;
}
