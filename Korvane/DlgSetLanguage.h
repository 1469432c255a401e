#pragma once
// The language page of the settings dialog: the user-interface language, switched at once for
// the main window, the current page and the settings dialog itself.
#include "BCGPPropertyPageEx.h"

class QComboBox;
class QPushButton;

class CDlgSetLanguage : public CBCGPPropertyPageEx
{
    Q_OBJECT
public:
    static constexpr int IDD = 263;
    static constexpr int IDC_LABEL = 2136;
    static constexpr int IDC_LANGUAGE = 2137;
    static constexpr int IDC_APPLY = 2029;

    explicit CDlgSetLanguage(QWidget *pParent = nullptr);
    bool OnInitDialog() override;
    void OnApply();

    QComboBox *m_cmbLanguage = nullptr;
    QPushButton *m_btnApply = nullptr;
};
