#pragma once
// The DI/DO settings page: reads and edits the mode and function parameters of the nine inputs
// and five outputs, each line with its connector label, and writes them back. Every read and
// write runs on the page's worker; the result boxes are shown when it reports back.
#include "DialogExMid.h"
#include "Wnds/DiDo/DiDoItem.h"
#include "controls/ProgressDialog_Implement.h"
#include "platform/PageWorker.h"

#include <vector>

class CMiniGridCtrl;
class CMyProgressCtrl;
class QPushButton;

class CDlgDiDoSet : public CDialogExMid, public CProgressDialog_Implement
{
    Q_OBJECT
public:
    static constexpr int IDD = 261;
    enum {
        IDC_DI_GRID = 2005, IDC_DO_GRID = 2006, IDC_DI_WRITE = 2010, IDC_DI_READ = 2011, IDC_DO_WRITE = 2012,
        IDC_DI_REFRESH = 2013, IDC_DO_READ = 2014, IDC_DO_REFRESH = 2015,
    };
    static constexpr int kAttempts = 10;

    CDlgDiDoSet();

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Activation: rows again from the table, then the please-wait dialog and a quiet read of
    // both sides while on line.
    void Activate();
    // The read buttons: one side, with the progress bar and the result box.
    void ReadParams(bool isDo);
    // The refresh buttons: one side, quietly, while on line.
    void RefreshParams(bool isDo);
    // The write buttons: the grid's choices into the rows and the register list, then written.
    void WriteParams(bool isDo);
    void FillDiGrid();
    void FillDoGrid();

    const CDiDoLists &Lists() const { return m_lists; }
    CMiniGridCtrl *Grid(bool isDo) const { return isDo ? m_pDoGrid : m_pDiGrid; }
    QPushButton *Button(int id) const;
    int LineOfRow(bool isDo, int row) const;
    bool IsBusy() const { return m_worker.IsRunning(); }

private:
    struct Job
    {
        CDiDoLists lists;
        int nSide = -1;          // 0 DI, 1 DO; -1 both (activation)
        bool bWrite = false;
        bool bQuiet = true;
        int nFailed = 0;
    };
    void Start(std::shared_ptr<Job> job);
    void OnJobDone(const Job &job);
    void CollectValues(bool isDo);
    void FillGrid(bool isDo);
    static int WriteSide(const std::vector<CDiDoRegister> &regs, bool isDo, const std::atomic<bool> &stop,
                         const platform::WindowRef &progress);

    CMiniGridCtrl *m_pDiGrid = nullptr;
    CMiniGridCtrl *m_pDoGrid = nullptr;
    std::vector<QPushButton *> m_buttons;
    CMyProgressCtrl *m_pProgress = nullptr;
    CDiDoLists m_lists;
    std::vector<int> m_diRowLine;
    std::vector<int> m_doRowLine;
    bool m_bWaitDialog = false;
    platform::PageWorker m_worker{this, "DI/DO settings"};
};
