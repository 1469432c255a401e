#pragma once
// The digital input and output monitor page.
#include "Wnds/PlaceholderPage.h"

class CDlgDiDoMonitor : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 260;
    CDlgDiDoMonitor() : CPlaceholderPage(IDD, QStringLiteral("CDlgDiDoMonitor"), QStringLiteral("IO监控")) {}
};
