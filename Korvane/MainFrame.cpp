#include "MainFrame.h"

#include "KorvaneApp.h"
#include "KorvaneView.h"
#include "platform/LanguageConf.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>

namespace {

constexpr int kPaneIds[] = {2006, 2007, 2008, 2009};
constexpr double kPaneShares[] = {0.1, 0.1, 0.6, 0.2};

}

CMainFrame::CMainFrame(QWidget *parent) : QMainWindow(parent), MessageTarget(this)
{
    setWindowTitle(TrSection(m_strLangSection, QStringLiteral("Halvex伺服调试软件")));

    m_pView = new CKorvaneView(this);
    setCentralWidget(m_pView);

    const QScreen *screen = QGuiApplication::primaryScreen();
    const int workWidth = screen ? screen->availableGeometry().width() : 1280;
    QStatusBar *bar = statusBar();
    for (size_t i = 0; i < m_statusPanes.size(); ++i) {
        auto *pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("pane%1").arg(kPaneIds[i]));
        pane->setMinimumWidth(int(workWidth * kPaneShares[i]));
        pane->setStyleSheet(QStringLiteral("color: rgb(220, 220, 220);"));
        bar->addWidget(pane);
        m_statusPanes[i] = pane;
    }
    m_statusPanes[3]->setText(QStringLiteral("Halvex"));
    resize(1280, 800);
}

CMainFrame::~CMainFrame() = default;

QLabel *CMainFrame::StatusPane(int index) const
{
    return index >= 0 && index < int(m_statusPanes.size()) ? m_statusPanes[size_t(index)] : nullptr;
}

void CMainFrame::setVisible(bool visible)
{
    if (visible && !m_bAllowShow)
        return;
    QMainWindow::setVisible(visible);
}

LRESULT CMainFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case UM_FUNCTION_TOOL_CLICK:
        m_pView->ShowPage(int(wParam));
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    default:
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
}

void CMainFrame::ShowAllParameters()
{
    m_pView->ShowPage(kParamsPageId);
}

void CMainFrame::closeEvent(QCloseEvent *e)
{
    if (HasKorvaneApp())
        theApp.SaveSysSetIni();
    QMainWindow::closeEvent(e);
    // Closing the main window ends the program, whatever other window is still open.
    if (e->isAccepted())
        QCoreApplication::quit();
}
