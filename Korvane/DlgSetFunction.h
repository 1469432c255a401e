#pragma once
// The function page of the settings dialog: whether Enter in the parameter table writes to the
// drive, and whether the safety prompt shows before the tuning aids. Its texts stay as they
// are in every language.
#include "BCGPPropertyPageEx.h"

class QCheckBox;

class CDlgSetFunction : public CBCGPPropertyPageEx
{
    Q_OBJECT
public:
    static constexpr int IDD = 267;
    static constexpr int IDC_ENTER_WRITES = 2141;
    static constexpr int IDC_DANGER = 2149;

    explicit CDlgSetFunction(QWidget *pParent = nullptr);
    bool OnInitDialog() override;
    void OnEnterWrites();
    void OnDanger();

    QCheckBox *m_chkEnterWrites = nullptr;
    QCheckBox *m_chkDanger = nullptr;
};
