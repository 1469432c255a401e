#pragma once
// The position-loop diagram page.
#include "Wnds/PlaceholderPage.h"

class CDlgPositionCtrl : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 277;
    CDlgPositionCtrl() : CPlaceholderPage(IDD, QStringLiteral("CDlgPositionCtrl"), QStringLiteral("位置环")) {}
};
