#pragma once
// The digital input and output settings page.
#include "Wnds/PlaceholderPage.h"

class CDlgDiDoSet : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 261;
    CDlgDiDoSet() : CPlaceholderPage(IDD, QStringLiteral("CDlgDiDoSet"), QStringLiteral("IO设置")) {}
};
