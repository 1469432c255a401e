#pragma once
// The speed-loop diagram page.
#include "Wnds/PlaceholderPage.h"

class CDlgSpeedLoop : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 271;
    CDlgSpeedLoop() : CPlaceholderPage(IDD, QStringLiteral("CDlgSpeedLoop"), QStringLiteral("速度环")) {}
};
