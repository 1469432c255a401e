#pragma once
// The setup wizard page.
#include "Wnds/PlaceholderPage.h"

class CDlgSetupWizard : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 278;
    CDlgSetupWizard() : CPlaceholderPage(IDD, QStringLiteral("CDlgSetupWizard"), QStringLiteral("安装向导")) {}
};
