#include "DlgSysSet.h"

#include "BCGPPropertyPageEx.h"
#include "DlgSetFunction.h"
#include "DlgSetLanguage.h"
#include "DlgViewSetPage.h"
#include "platform/LanguageConf.h"

CDlgSysSet::CDlgSysSet(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgSysSet");
    setWindowTitle(QStringLiteral("设置"));
    resize(MapDialogRect(QRect(0, 0, 677, 315)).size());
    m_sheet = new CBCGPPropertySheet(this);
    m_sheet->setObjectName(QStringLiteral("sheet"));
    m_sheet->setDocumentMode(false);
    m_pageView = new CDlgViewSetPage();
    m_pageLanguage = new CDlgSetLanguage();
    m_pageFunction = new CDlgSetFunction();
    for (CBCGPPropertyPageEx *page : Pages())
        m_sheet->addTab(page, page->windowTitle());
}

std::array<CBCGPPropertyPageEx *, 3> CDlgSysSet::Pages() const
{
    return {m_pageView, m_pageLanguage, m_pageFunction};
}

CDlgSysSet::~CDlgSysSet() = default;

bool CDlgSysSet::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    // The pages already sit in the sheet: their windows are made in place.
    const auto pages = Pages();
    for (size_t i = 0; i < pages.size(); ++i) {
        if (!pages[i]->IsCreated())
            pages[i]->Create(pages[i]->m_nIDD, nullptr);
        m_sheet->setTabText(int(i), pages[i]->windowTitle());
    }
    m_sheet->setGeometry(rect());
    m_sheet->show();
    return true;
}

bool CDlgSysSet::TranslateControls()
{
    // The dialog has no controls of its own: its caption, then the pages look after theirs.
    const QString caption = windowTitle();
    if (!caption.isEmpty())
        setWindowTitle(GetSqlite()->TranslateControl(m_strLangSection, kCaptionTextKey, caption));
    for (int i = 0; m_sheet && i < m_sheet->count(); ++i) {
        if (auto *page = qobject_cast<CBCGPPropertyPageEx *>(m_sheet->widget(i))) {
            page->TranslateControls();
            m_sheet->setTabText(i, page->windowTitle());
        }
    }
    return true;
}

void CDlgSysSet::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    if (m_sheet)
        m_sheet->setGeometry(0, 0, cx, cy);
}

LRESULT CDlgSysSet::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_SYSSET_REDRAW) {
        ++m_nRedraws;
        repaint();
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}
