#pragma once
// The fault management page.
#include "Wnds/PlaceholderPage.h"

class CDlgFaultManagement : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 208;
    CDlgFaultManagement() : CPlaceholderPage(IDD, QStringLiteral("CDlgFaultManagement"), QStringLiteral("故障管理")) {}
};
