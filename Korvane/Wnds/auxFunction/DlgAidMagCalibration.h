#pragma once
// The magnetic-pole angle identification page.
#include "Wnds/PlaceholderPage.h"

class CDlgAidMagCalibration : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 207;
    CDlgAidMagCalibration() : CPlaceholderPage(IDD, QStringLiteral("CDlgAidMagCalibration"), QStringLiteral("电机磁极角辨识")) {}
};
