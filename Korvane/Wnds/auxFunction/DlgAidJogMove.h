#pragma once
// The jog trial-run page.
#include "Wnds/PlaceholderPage.h"

class CDlgAidJogMove : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 117;
    CDlgAidJogMove() : CPlaceholderPage(IDD, QStringLiteral("CDlgAidJogMove"), QStringLiteral("试运转")) {}
};
