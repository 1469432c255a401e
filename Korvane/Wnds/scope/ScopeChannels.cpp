#include "Wnds/scope/ScopeChannels.h"

#include <algorithm>

int CScopeChannels::PointCount() const
{
    int n = std::max(m_di.m_nCount, m_do.m_nCount);
    for (const auto &c : m_ch)
        n = std::max(n, c.m_nCount);
    return n;
}

void CScopeChannels::ResetLive()
{
    for (auto &c : m_ch) {
        c.m_arrData.assign(kChannelCapacity, 0.0);
        c.m_nCount = 0;
    }
    m_di.m_arrData.assign(kChannelCapacity, 0);
    m_di.m_nCount = 0;
    m_do.m_arrData.assign(kChannelCapacity, 0);
    m_do.m_nCount = 0;
}

void CScopeChannels::ResetCompare()
{
    for (auto &c : m_cmp) {
        c.m_arrData.assign(kChannelCapacity, 0.0);
        c.m_nCount = 0;
    }
    m_cmpDi.m_arrData.assign(kChannelCapacity, 0);
    m_cmpDi.m_nCount = 0;
    m_cmpDo.m_arrData.assign(kChannelCapacity, 0);
    m_cmpDo.m_nCount = 0;
}
