#pragma once
// Asks what the parameter page compares the workspace values with: the factory defaults, the
// values in the drive or a recipe file (with its path). The choice is remembered between runs;
// the path is asked afresh every time.
#include "DialogExMid.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class CDlgParamCompareSelect : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 256;
    enum {
        IDC_GROUP = 2128,
        IDC_RADIO_DEFAULT = 2124,
        IDC_RADIO_DRIVE = 2125,
        IDC_RADIO_FILE = 2127,
        IDC_PATH = 2131,
        IDC_BROWSE = 2130,
    };

    explicit CDlgParamCompareSelect(QWidget *pParent = nullptr);

    bool OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;

    void OnRadioClicked();
    void OnBrowse();
    // Controls -> members, and members -> controls.
    void UpdateData(bool fromControls);

    // 0 factory defaults, 1 the drive, 2 a recipe file.
    int m_nChoice = 0;
    QString m_strFilePath;

    QGroupBox *m_grpChoice = nullptr;
    QRadioButton *m_radio[3] = {};
    QLineEdit *m_editPath = nullptr;
    QPushButton *m_btnBrowse = nullptr;
    QPushButton *m_btnOk = nullptr;
    QPushButton *m_btnCancel = nullptr;
};
