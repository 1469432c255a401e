#include "ProgressDialog_Implement.h"

#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

CPleaseWaitDlg *g_pProgressDlg = nullptr;
BOOL g_bProgressDone = TRUE;

namespace {

constexpr int kPollMs = 100;
int g_nWatchers = 0;

// Polls the owner on the GUI thread: at once, then 100 ms after each FALSE answer. It ends
// on the first non-zero answer or when the owner is gone, and with the application.
class ProgressWatcher : public QObject
{
public:
    explicit ProgressWatcher(platform::WindowRef owner) : QObject(qApp), m_owner(std::move(owner))
    {
        ++g_nWatchers;
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, &ProgressWatcher::Poll);
        m_timer.start(0);
    }
    ~ProgressWatcher() override { --g_nWatchers; }

private:
    void Poll()
    {
        if (!m_owner.IsAlive() || platform::SendMessage(m_owner, UM_PROGRESS_POLL, 0, 0) != 0) {
            deleteLater();
            return;
        }
        m_timer.start(kPollMs);
    }

    platform::WindowRef m_owner;
    QTimer m_timer;
};

}

CPleaseWaitDlg::~CPleaseWaitDlg()
{
    delete m_wnd.data();
}

bool CPleaseWaitDlg::Create(const QString &caption, const QString &message, QWidget *parent)
{
    auto *dlg = new QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    dlg->setWindowTitle(caption);
    dlg->setModal(false);
    auto *layout = new QVBoxLayout(dlg);
    layout->addWidget(new QLabel(message, dlg));
    auto *busy = new QProgressBar(dlg);
    busy->setRange(0, 0);  // runs without a known end
    busy->setTextVisible(false);
    layout->addWidget(busy);
    auto *cancel = new QPushButton(TrText(QStringLiteral("取消")), dlg);
    layout->addWidget(cancel, 0, Qt::AlignRight);
    // Cancel, Escape and closing the window all ask to stop waiting; the next poll closes it.
    QObject::connect(cancel, &QPushButton::clicked, dlg, [this] { RequestCancel(); });
    QObject::connect(dlg, &QDialog::rejected, dlg, [this, dlg] {
        RequestCancel();
        dlg->show();  // it stays until the next poll deletes it
    });
    m_wnd = dlg;
    dlg->show();
    return true;
}

void CPleaseWaitDlg::SetFocus()
{
    if (m_wnd) {
        m_wnd->raise();
        m_wnd->activateWindow();
        m_wnd->setFocus();
    }
}

bool CPleaseWaitDlg::TakeCancelRequest()
{
    const bool c = m_bCancel;
    m_bCancel = false;
    return c;
}

void CProgressDialog_Implement::ShowProgress(const QString &strText, platform::WindowRef hNotifyWnd,
                                             QWidget *pParentWnd)
{
    if (g_pProgressDlg) {
        if (g_pProgressDlg->HasWindow()) {
            g_pProgressDlg->SetFocus();
        } else {
            delete g_pProgressDlg;
            g_pProgressDlg = nullptr;
        }
        return;
    }
    g_pProgressDlg = new CPleaseWaitDlg;
    QWidget *parent = pParentWnd ? pParentWnd : platform::MainWindow();
    g_pProgressDlg->Create(TrText(strText), TrText(QStringLiteral("请稍候...")), parent);
    g_bProgressDone = FALSE;
    new ProgressWatcher(std::move(hNotifyWnd));
}

void CProgressDialog_Implement::SetDone()
{
    g_bProgressDone = TRUE;
}

BOOL CProgressDialog_Implement::PollFinished(BOOL bFinished)
{
    if (!g_pProgressDlg || !g_pProgressDlg->HasWindow()) {
        g_bProgressDone = TRUE;
        return TRUE;
    }
    const bool cancel = g_pProgressDlg->TakeCancelRequest();
    if (!cancel && !bFinished && !g_bProgressDone)
        return FALSE;
    g_bProgressDone = TRUE;
    delete g_pProgressDlg;
    g_pProgressDlg = nullptr;
    return TRUE;
}

int CProgressDialog_Implement::RunningWatchers()
{
    return g_nWatchers;
}
