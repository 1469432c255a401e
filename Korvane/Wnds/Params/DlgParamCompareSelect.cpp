#include "Wnds/Params/DlgParamCompareSelect.h"

#include "DlgDesktop.h"
#include "SYSPARAM/SysParam.h"
#include "UserCtrlDefValue.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

CDlgParamCompareSelect::CDlgParamCompareSelect(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgParamCompareSelect");
    setWindowTitle(QStringLiteral("参数比对类型选择"));
    resize(MapDialogRect(QRect(0, 0, 260, 120)).size());

    m_grpChoice = new QGroupBox(QStringLiteral("比对的选型"), this);
    platform::SetCtrlId(m_grpChoice, IDC_GROUP);
    m_grpChoice->setGeometry(MapDialogRect(QRect(7, 5, 246, 88)));
    const struct {
        int id;
        const char *text;
        int y;
    } radios[3] = {{IDC_RADIO_DEFAULT, "工作区参数目前值 vs 出厂值", 18},
                   {IDC_RADIO_DRIVE, "工作区参数目前值 vs 伺服里参数目前值", 36},
                   {IDC_RADIO_FILE, "工作区参数目前值 vs 配方文件", 54}};
    for (int i = 0; i < 3; ++i) {
        m_radio[i] = new QRadioButton(QString::fromUtf8(radios[i].text), this);
        platform::SetCtrlId(m_radio[i], radios[i].id);
        m_radio[i]->setGeometry(MapDialogRect(QRect(16, radios[i].y, 230, 12)));
        connect(m_radio[i], &QRadioButton::clicked, this, [this] { OnRadioClicked(); });
    }
    m_editPath = new QLineEdit(this);
    platform::SetCtrlId(m_editPath, IDC_PATH);
    m_editPath->setGeometry(MapDialogRect(QRect(16, 72, 200, 14)));
    m_btnBrowse = new QPushButton(QStringLiteral("..."), this);
    platform::SetCtrlId(m_btnBrowse, IDC_BROWSE);
    m_btnBrowse->setGeometry(MapDialogRect(QRect(220, 72, 26, 14)));
    connect(m_btnBrowse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    m_btnOk = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(m_btnOk, IDOK);
    m_btnOk->setGeometry(MapDialogRect(QRect(146, 100, 50, 14)));
    m_btnOk->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), this);
    platform::SetCtrlId(m_btnCancel, IDCANCEL);
    m_btnCancel->setGeometry(MapDialogRect(QRect(203, 100, 50, 14)));
    connect(m_btnOk, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(m_btnCancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgParamCompareSelect::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_strFilePath.clear();
    const QString stored =
        CUserCtrlDefValueList::GetInstance()->GetValue(IDD, IDC_RADIO_DEFAULT, kCtrlKindButton);
    const int choice = stored.trimmed().toInt();
    // A value from an older or damaged history file must not pick no button at all.
    m_nChoice = choice >= 0 && choice <= 2 ? choice : 0;
    UpdateData(false);
    return true;
}

void CDlgParamCompareSelect::UpdateData(bool fromControls)
{
    if (fromControls) {
        for (int i = 0; i < 3; ++i) {
            if (m_radio[i]->isChecked())
                m_nChoice = i;
        }
        m_strFilePath = m_editPath->text();
    } else {
        m_radio[m_nChoice]->setChecked(true);
        m_editPath->setText(m_strFilePath);
    }
    m_btnBrowse->setEnabled(m_nChoice == 2);
}

void CDlgParamCompareSelect::OnRadioClicked()
{
    UpdateData(true);
}

void CDlgParamCompareSelect::OnBrowse()
{
    platform::FileDialogRequest request;
    request.filter = TrSection(m_strLangSection, QStringLiteral("配方文件")) +
                     QStringLiteral("(*.txt;*.usr;*.rcp;*.csv)|*.txt;*.usr;*.rcp;*.csv||");
    request.overwritePrompt = true;
    request.owner = this;
    if (const CSysParam *sys = GetSysParam())
        request.initialDir = sys->m_strRecipePath;
    const std::optional<QString> path = platform::Ui().FileDialog(request);
    if (!path)
        return;
    m_strFilePath = *path;
    m_editPath->setText(m_strFilePath);
}

void CDlgParamCompareSelect::OnOK()
{
    UpdateData(true);
    if (m_nChoice == 2 && m_strFilePath.isEmpty()) {
        ShowDesktopAlert(1, TrSection(m_strLangSection, QStringLiteral("请选择一个配方文件")), RGB(255, 0, 0), this);
        return;
    }
    CDialogExMid::OnOK();
}

void CDlgParamCompareSelect::OnDestroy()
{
    UpdateData(true);
    CUserCtrlDefValueList::GetInstance()->SetValue(IDD, IDC_RADIO_DEFAULT, kCtrlKindButton,
                                                   QString::asprintf("%d", m_nChoice));
    CDialogExMid::OnDestroy();
}
