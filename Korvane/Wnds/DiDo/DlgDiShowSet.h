#pragma once
// The digital input and output function view.
#include "Wnds/PlaceholderPage.h"

class CDlgDiShowSet : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 239;
    CDlgDiShowSet() : CPlaceholderPage(IDD, QStringLiteral("CDlgDiShowSet"), QStringLiteral("IO功能监控")) {}
};
