#pragma once
// The live status data monitor page.
#include "Wnds/PlaceholderPage.h"

class CDlgStatusData : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 211;
    CDlgStatusData() : CPlaceholderPage(IDD, QStringLiteral("CDlgStatusData"), QStringLiteral("数据监控")) {}
};
