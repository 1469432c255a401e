#pragma once
// The oscilloscope page.
#include "Wnds/PlaceholderPage.h"

class CDlgScope : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 185;
    CDlgScope() : CPlaceholderPage(IDD, QStringLiteral("CDlgScope"), QStringLiteral("示波器")) {}
};
