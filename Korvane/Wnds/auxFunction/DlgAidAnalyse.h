#pragma once
// The mechanism frequency-response analysis page.
#include "Wnds/PlaceholderPage.h"

class DlgAidAnalyse : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 206;
    DlgAidAnalyse() : CPlaceholderPage(IDD, QStringLiteral("DlgAidAnalyse"), QStringLiteral("频率特性分析")) {}
};
