#pragma once
// The device information page.
#include "Wnds/PlaceholderPage.h"

class CDlgDeviceInfo : public CPlaceholderPage
{
    Q_OBJECT
public:
    static constexpr int IDD = 262;
    CDlgDeviceInfo() : CPlaceholderPage(IDD, QStringLiteral("CDlgDeviceInfo"), QStringLiteral("设备信息")) {}
};
