#include "FaultPlan.h"

#include <algorithm>

void FaultPlan::plan(VirtualRemote::Operation op, int count)
{
    m_pending.at(static_cast<std::size_t>(op)) = std::max(count, 0);
}

bool FaultPlan::take(VirtualRemote::Operation op)
{
    int &pending = m_pending.at(static_cast<std::size_t>(op));
    if (pending == 0) {
        return false;
    }
    --pending;
    return true;
}
