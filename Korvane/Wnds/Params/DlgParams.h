#pragma once
// The parameter table page.
#include "Wnds/PlaceholderPage.h"

class CDlgParams : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 135;
    CDlgParams() : CPlaceholderPage(IDD, QStringLiteral("CDlgParams"), QStringLiteral("参数管理")) {}
};
