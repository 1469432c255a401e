#pragma once
// The please-wait dialog of pages that run one piece of drive work on a worker of their own.
// One dialog and one done flag exist for the whole process. While the dialog is up, a watcher
// on the GUI thread asks the owner at once and then every 100 ms (UM_PROGRESS_POLL) whether
// the dialog may close; the owner answers with PollFinished, and its completion handler marks
// the work done with SetDone. An owner window that is gone ends the watcher as a TRUE answer
// does.
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QPointer>
#include <QString>

class QDialog;
class QWidget;

// The modeless dialog: the caption, "请稍候..." and a Cancel button. The object may outlive its
// window (the window goes with its parent); it then counts as having none.
class CPleaseWaitDlg
{
public:
    CPleaseWaitDlg() = default;
    ~CPleaseWaitDlg();
    CPleaseWaitDlg(const CPleaseWaitDlg &) = delete;
    CPleaseWaitDlg &operator=(const CPleaseWaitDlg &) = delete;

    bool Create(const QString &caption, const QString &message, QWidget *parent);
    bool HasWindow() const { return !m_wnd.isNull(); }
    QDialog *Window() const { return m_wnd.data(); }
    void SetFocus();
    // The user's cancel request since the last call; reading it resets it.
    bool TakeCancelRequest();
    void RequestCancel() { m_bCancel = true; }

private:
    QPointer<QDialog> m_wnd;
    bool m_bCancel = false;
};

// Touched only on the GUI thread, by the three operations below.
extern CPleaseWaitDlg *g_pProgressDlg;
extern BOOL g_bProgressDone;

class CProgressDialog_Implement
{
public:
    // Shows the dialog with the caption and starts the watcher polling hNotifyWnd. While a
    // dialog is up this only focuses it.
    virtual void ShowProgress(const QString &strText, platform::WindowRef hNotifyWnd, QWidget *pParentWnd);
    virtual void SetDone();
    // The owner's answer to UM_PROGRESS_POLL: TRUE (after closing the dialog) once the work is
    // done, cancelled or bFinished is given; FALSE while it runs.
    static BOOL PollFinished(BOOL bFinished);

    // Watchers now polling (for tests).
    static int RunningWatchers();

protected:
    ~CProgressDialog_Implement() = default;
};
