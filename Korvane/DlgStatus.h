#pragma once
// The view's status strip: a hidden child of the view that re-texts with the page.
#include "DialogExMid.h"

class CDlgStatus : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 179;
    explicit CDlgStatus(QWidget *pParent = nullptr);
};
