#pragma once
// The DI/DO monitor page: the live state and mode of the nine inputs and five outputs, and
// forcing them from the PC. Reading and forcing run on the page's worker behind the
// please-wait dialog (activation) or quietly (clicks and the forcing switches); the GUI thread
// only asks and paints. A state that could not be read keeps its last value, greyed.
#include "DialogExMid.h"
#include "Wnds/DiDo/DiDoItem.h"
#include "controls/ProgressDialog_Implement.h"
#include "platform/PageWorker.h"

#include <vector>

class CMiniGridCtrl;
class CMyProgressCtrl;
class QCheckBox;

class CDlgDiDoMonitor : public CDialogExMid, public CProgressDialog_Implement
{
    Q_OBJECT
public:
    static constexpr int IDD = 260;
    enum { IDC_DI_GRID = 2005, IDC_DO_GRID = 2006, IDC_FORCE_DI = 2052, IDC_FORCE_DO = 2055 };
    static constexpr int kAttempts = 3;
    static constexpr int kForceBudget = 3;
    static constexpr int kForcePauseMs = 100;
    // The pause between a forced word and the enable word: kForcePauseMs, unless a test of the
    // page's logic shortened it. 0 restores the default.
    static int ForcePauseMs();
    static void SetForcePauseMs(int ms);

    CDlgDiDoMonitor();

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Activation: the please-wait dialog and one read of everything.
    void StartRead();
    // A click released on a grid cell (grid row and column).
    void OnGridClick(bool isDo, int row, int column);
    // The forcing switch of one side was clicked.
    void OnForceSwitch(bool isDo);
    void InitDiData();
    void InitDoData();

    const CDiDoLists &Lists() const { return m_lists; }
    CMiniGridCtrl *Grid(bool isDo) const { return isDo ? m_pDoGrid : m_pDiGrid; }
    QCheckBox *ForceBox(bool isDo) const { return isDo ? m_pForceDo : m_pForceDi; }
    // The line shown in a grid row; -1 for none.
    int LineOfRow(bool isDo, int row) const;
    bool IsBusy() const { return m_worker.IsRunning(); }

private:
    struct Job
    {
        CDiDoLists lists;
        bool bForceDi = false;
        bool bForceDo = false;
        bool bOnline = false;
        int nForceSide = -1;   // 0 DI, 1 DO: write the forced word and the enable word
        int nSwitchSide = -1;  // 0 DI, 1 DO: write the enable word, read that side's list
    };
    void Run(std::shared_ptr<Job> job);
    static void ReadAll(Job &job, const std::atomic<bool> &stop);
    static void Force(Job &job, const std::atomic<bool> &stop);
    void FillGrid(bool isDo);

    CMiniGridCtrl *m_pDiGrid = nullptr;
    CMiniGridCtrl *m_pDoGrid = nullptr;
    QCheckBox *m_pForceDi = nullptr;
    QCheckBox *m_pForceDo = nullptr;
    CMyProgressCtrl *m_pProgress = nullptr;
    CDiDoLists m_lists;
    std::vector<int> m_diRowLine;
    std::vector<int> m_doRowLine;
    bool m_bForceDi = false;
    bool m_bForceDo = false;
    bool m_bWaitDialog = false;
    platform::PageWorker m_worker{this, "DI/DO monitor"};
};
