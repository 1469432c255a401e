#pragma once
// The load-inertia identification page.
#include "Wnds/PlaceholderPage.h"

class CDlgAidInertia : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 198;
    CDlgAidInertia() : CPlaceholderPage(IDD, QStringLiteral("CDlgAidInertia"), QStringLiteral("负载惯量辨识")) {}
};
