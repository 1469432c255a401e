#pragma once
// The page area of the main window: one function page shown at a time, each created the first
// time its page id is asked for and kept until the view goes; switching pages sends the page
// protocol in a fixed order so that only the visible page runs its timer. A page fills the area;
// a page that needs more room than the area has (its minimum size) keeps that size and scrolls
// under the area's scroll bars, so that every control can be brought into view.
#include "DialogExMid.h"
#include "PageIds.h"
#include "PageWorkers.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>

class CDlgStatus;
class QScrollBar;

// One entry of the page table.
struct CPageEntry
{
    QPointer<CDialogExMid> pPage;
    int nExtra = 0;
    QString strName;
};
using CPageMap = std::map<int, CPageEntry>;

// The page of `nPageId`: the one already in the map (its int and name copied out), else a new
// page of the table's class (its name copied out and stored; a new entry keeps `nExtra`).
// Null for ids without a page (0, 1, 14 and ids outside -1..17).
CDialogExMid *CreatePage(CPageMap &map, int nPageId, int &nExtra, QString &strName);
// The table's page name for an id; empty for ids without a page.
QString PageName(int nPageId);

// Exit and the view's end: detaches every page's mailbox, sets every page worker's stop flag,
// then joins them (platform::PageWorker) while pumping events, and calls StopWorkers of the
// pages that run threads of their own.
void StopPageWorkers(CPageMap &map);
// Stops every page's workers, then deletes the pages and empties the map.
void ClearPageTable(CPageMap &map);

class CKorvaneView : public QWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CKorvaneView(QWidget *parent = nullptr);
    ~CKorvaneView() override;

    // First showing: the hidden status strip, the oscilloscope page created hidden, the
    // parameter page shown when the application has a main frame. Runs once.
    void OnInitialUpdate();
    void ShowPage(int nPageId);
    // Starts the current page's own timer (after a toolbar command stopped it).
    void StartPageTimer();
    // The current page and the status strip re-text themselves.
    // Re-texts every page made so far (and the status page) in the current language.
    void RetranslatePage();

    CDialogExMid *CurrentPage() const { return m_pCurPage; }
    // Scrolls the current page so that `w` (one of its controls) is in view, as far as it fits.
    void EnsureVisible(const QWidget *w);
    QScrollBar *VerticalBar() const { return m_pVBar; }
    QScrollBar *HorizontalBar() const { return m_pHBar; }
    // The page table: every page created so far, by page id. The view owns the pages.
    CPageMap &Pages() { return m_mapPages; }
    CDlgStatus *StatusStrip() const { return m_pDlgStatus; }

    // UM_RESTART_PAGE_TIMER from a page: StartPageTimer.
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void resizeEvent(QResizeEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    void CreatePageWindow(CDialogExMid *page);
    void LayoutPage();

    CPageMap m_mapPages;
    QPointer<CDialogExMid> m_pCurPage;
    CDlgStatus *m_pDlgStatus = nullptr;
    QScrollBar *m_pVBar = nullptr;
    QScrollBar *m_pHBar = nullptr;
    bool m_bInitialUpdateDone = false;
};
