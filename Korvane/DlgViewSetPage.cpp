#include "DlgViewSetPage.h"

#include "DialogExMid.h"
#include "DlgSysSet.h"
#include "MainFrame.h"
#include "ToolBoxEx.h"
#include "controls/KVColorButton.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

CMainFrame *Frame()
{
    return qobject_cast<CMainFrame *>(platform::MainWindow());
}

template <class W>
W *Make(QWidget *parent, int id, const char *text, const QRect &dlu)
{
    auto *w = new W(parent);
    platform::SetCtrlId(w, id);
    if (text)
        w->setText(QString::fromUtf8(text));
    w->setGeometry(CDialogExMid::MapDialogRect(dlu));
    return w;
}

}

CDlgViewSetPage::CDlgViewSetPage(QWidget *pParent) : CBCGPPropertyPageEx(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgViewSetPage");
    m_setNoTranslateIds = {IDC_THEME, IDC_FONT_COLOUR, IDC_TABLE_COLOUR1, IDC_TABLE_COLOUR2};
    setWindowTitle(QStringLiteral("视窗设置"));

    Make<QLabel>(this, IDC_VIEW_LABEL, "视图显示", QRect(14, 14, 80, 10));
    m_chkShowEdit = Make<QCheckBox>(this, IDC_SHOW_EDIT, "参数编辑", QRect(24, 30, 110, 12));
    m_chkShowMonitor = Make<QCheckBox>(this, IDC_SHOW_MONITOR, "参数监控", QRect(144, 30, 110, 12));
    m_chkShowNavigation = Make<QCheckBox>(this, IDC_SHOW_NAVIGATION, "功能导航", QRect(264, 30, 110, 12));
    m_lblTheme = Make<QLabel>(this, IDC_THEME_LABEL, "主题设置", QRect(14, 52, 80, 10));
    m_btnTheme = Make<QPushButton>(this, IDC_THEME, nullptr, QRect(100, 50, 100, 14));
    Make<QLabel>(this, IDC_FONT_LABEL, "字体颜色设置", QRect(14, 74, 80, 10));
    m_btnFont = Make<CKVColorButton>(this, IDC_FONT_COLOUR, nullptr, QRect(100, 72, 100, 14));
    auto *group = new QGroupBox(QStringLiteral("表格设置"), this);
    platform::SetCtrlId(group, -1);
    group->setGeometry(CDialogExMid::MapDialogRect(QRect(10, 96, 300, 64)));
    group->lower();
    m_chkTableCustom = Make<QCheckBox>(this, IDC_TABLE_CUSTOM, "启用表格自定义", QRect(20, 110, 120, 12));
    Make<QLabel>(this, IDC_TABLE_LABEL, "表格间隔色", QRect(20, 134, 92, 10));
    m_btnTable1 = Make<CKVColorButton>(this, IDC_TABLE_COLOUR1, nullptr, QRect(114, 132, 90, 14));
    m_btnTable2 = Make<CKVColorButton>(this, IDC_TABLE_COLOUR2, nullptr, QRect(210, 132, 90, 14));

    for (QCheckBox *box : {m_chkShowEdit, m_chkShowMonitor, m_chkShowNavigation}) {
        const int id = platform::GetCtrlId(box);
        connect(box, &QCheckBox::clicked, this, [this, id] { OnPaneBox(id); });
    }
    connect(m_chkTableCustom, &QCheckBox::clicked, this, [this] { OnTableCustom(); });
    m_nRefreshMsg = platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH"));
}

bool CDlgViewSetPage::OnInitDialog()
{
    CBCGPPropertyPageEx::OnInitDialog();
    m_btnTheme->hide();
    m_lblTheme->hide();
    SetUpColourButtons();
    m_chkShowEdit->setChecked(m_bShowParamEdit);
    m_chkShowMonitor->setChecked(m_bShowParamMonitor);
    m_chkShowNavigation->setChecked(m_bShowNavigation);
    m_chkTableCustom->setChecked(m_bTableCustom);
    return true;
}

void CDlgViewSetPage::SetUpColourButtons()
{
    const QString automatic = TrSection(m_strLangSection, QStringLiteral("默认"));
    const std::pair<CKVColorButton *, COLORREF> buttons[] = {
        {m_btnFont, m_clrFont}, {m_btnTable1, m_clrTable1}, {m_btnTable2, m_clrTable2}};
    for (const auto &[button, colour] : buttons) {
        button->EnableAutomaticButton(automatic, kAutomaticColour, TRUE);
        button->SetColor(colour);
    }
}

bool CDlgViewSetPage::TranslateControls()
{
    CBCGPPropertyPageEx::TranslateControls();
    m_btnTheme->setText(TrSection(m_strLangSection, QStringLiteral("主题选择")));
    SetUpColourButtons();
    return true;
}

void CDlgViewSetPage::OnPaneBox(int id)
{
    CMainFrame *frame = Frame();
    if (!frame)
        return;
    QCheckBox *box = id == IDC_SHOW_EDIT ? m_chkShowEdit : id == IDC_SHOW_MONITOR ? m_chkShowMonitor : m_chkShowNavigation;
    const bool show = box->isChecked();
    QDockWidget *pane = nullptr;
    if (id == IDC_SHOW_EDIT) {
        m_bShowParamEdit = show;
        frame->m_bShowEditParam = show;
        pane = frame->ParamPane();
    } else if (id == IDC_SHOW_MONITOR) {
        m_bShowParamMonitor = show;
        frame->m_bShowMonitorParam = show;
        pane = frame->MonitorPane();
    } else {
        m_bShowNavigation = show;
        frame->m_bShowFuncNavigation = show;
        pane = frame->FunctionPane();
    }
    frame->ApplyPaneSwitches();
    if (pane && show)
        pane->raise();
}

void CDlgViewSetPage::OnColourChosen(int id)
{
    CMainFrame *frame = Frame();
    if (id == IDC_FONT_COLOUR) {
        m_clrFont = m_btnFont->GetColor();
        if (frame)
            frame->m_clrFont = m_clrFont;
    } else if (id == IDC_TABLE_COLOUR1) {
        m_clrTable1 = m_btnTable1->GetColor();
        if (frame)
            frame->m_clrEven = m_clrTable1;
    } else if (id == IDC_TABLE_COLOUR2) {
        m_clrTable2 = m_btnTable2->GetColor();
        if (frame)
            frame->m_clrOdd = m_clrTable2;
    }
    if (m_chkTableCustom->isChecked())
        NotifyTableColours();
}

void CDlgViewSetPage::OnTableCustom()
{
    m_bTableCustom = m_chkTableCustom->isChecked();
    if (CMainFrame *frame = Frame())
        frame->m_bClrCustom = m_bTableCustom;
    NotifyTableColours();
}

void CDlgViewSetPage::NotifyTableColours()
{
    // The settings dialog redraws at once; then every window hears that the colours changed.
    if (auto *dlg = qobject_cast<CDlgSysSet *>(window()))
        platform::SendMessage(platform::WindowRef(dlg), CDlgSysSet::UM_SYSSET_REDRAW);
    platform::PostBroadcast(m_nRefreshMsg, 0, 0);
}

LRESULT CDlgViewSetPage::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND) {
        const int id = int(LOWORD(wParam));
        if (HIWORD(wParam) == BN_CLICKED &&
            (id == IDC_FONT_COLOUR || id == IDC_TABLE_COLOUR1 || id == IDC_TABLE_COLOUR2)) {
            OnColourChosen(id);
            return 0;
        }
    }
    if (msg == m_nRefreshMsg && msg != 0)
        return 1;
    return CBCGPPropertyPageEx::WindowProc(msg, wParam, lParam);
}
