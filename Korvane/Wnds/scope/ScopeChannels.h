#pragma once
// What the trace view holds, free of painting: the live channels (four analog, DI, DO), the
// comparison channels, the time per point and the visible window. The view builds on it;
// the sampling panel's core fills and reads it.
#include "Wnds/scope/Channel.h"

class CScopeChannels {
public:
    CChannel m_ch[4];
    CDIDOChannel m_di;
    CDIDOChannel m_do;
    CChannel m_cmp[4];
    CDIDOChannel m_cmpDi;
    CDIDOChannel m_cmpDo;
    double m_dTimePerPoint = 0.125;  // ms between two points
    bool m_bRoll = false;
    bool m_bSelect = false;
    int m_nWindowStart = 0;  // visible window, in points; the start may be negative
    int m_nWindowEnd = 0;

    // The largest count of the six live channels.
    int PointCount() const;
    // Empty the live (or comparison) channels: fresh arrays, counts 0.
    void ResetLive();
    void ResetCompare();
};
