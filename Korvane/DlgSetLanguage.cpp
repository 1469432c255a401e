#include "DlgSetLanguage.h"

#include "DialogExMid.h"
#include "DlgSysSet.h"
#include "KorvaneApp.h"
#include "LangText.h"
#include "MainFrame.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

CDlgSetLanguage::CDlgSetLanguage(QWidget *pParent) : CBCGPPropertyPageEx(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSetLanguage");
    m_setNoTranslateIds = {IDC_LANGUAGE};
    setWindowTitle(QStringLiteral("语言设置"));
    auto *label = new QLabel(QStringLiteral("当前语言"), this);
    platform::SetCtrlId(label, IDC_LABEL);
    // Wide enough for "Current Language" as well.
    label->setGeometry(CDialogExMid::MapDialogRect(QRect(14, 16, 90, 10)));
    m_cmbLanguage = new QComboBox(this);
    platform::SetCtrlId(m_cmbLanguage, IDC_LANGUAGE);
    m_cmbLanguage->setGeometry(CDialogExMid::MapDialogRect(QRect(108, 14, 120, 14)));
    m_btnApply = new QPushButton(QStringLiteral("应用"), this);
    platform::SetCtrlId(m_btnApply, IDC_APPLY);
    m_btnApply->setGeometry(CDialogExMid::MapDialogRect(QRect(236, 13, 50, 16)));
    connect(m_btnApply, &QPushButton::clicked, this, [this] { OnApply(); });
}

bool CDlgSetLanguage::OnInitDialog()
{
    CBCGPPropertyPageEx::OnInitDialog();
    // The languages are named in their own writing, in every language.
    m_cmbLanguage->clear();
    m_cmbLanguage->addItems({QStringLiteral("简体中文"), QStringLiteral("繁體中文"), QStringLiteral("English")});
    const int current = HasKorvaneApp() ? theApp.m_nLanguage : int(CLanguageConf::GetTheOne()->Get());
    m_cmbLanguage->setCurrentIndex(current >= 0 && current < 3 ? current : -1);
    return true;
}

void CDlgSetLanguage::OnApply()
{
    const int selected = m_cmbLanguage->currentIndex();
    if (HasKorvaneApp())
        theApp.m_nLanguage = selected;
    if (selected < 0 || unsigned(selected) == CLanguageConf::GetTheOne()->Get())
        return;
    SelectLanguage(unsigned(selected));
    if (HasKorvaneApp()) {
        theApp.m_strLangFile = GetLangText().m_strLangFile;
        theApp.m_strLanguage = GetLangText().m_strLanguage;
    }
    if (auto *frame = qobject_cast<CMainFrame *>(platform::MainWindow()))
        frame->RetranslateAll();
    if (auto *dlg = qobject_cast<CDlgSysSet *>(window()))
        dlg->TranslateControls();
}
