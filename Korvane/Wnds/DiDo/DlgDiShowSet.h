#pragma once
// The DI/DO display page: for every input and output line whose mode parameter exists, whether
// it is active, its mode text and its connector pin, inputs above and outputs below. Once a
// second the states and the mode and function values are read again, on the page's worker; a
// tick that finds the previous round still running skips. A state that could not be read keeps
// its last value and is shown greyed.
#include "DialogExMid.h"
#include "Wnds/DiDo/DiDoItem.h"
#include "grid/GridRowData.h"
#include "platform/PageWorker.h"

class CDlgBCGGrid;
class CMyProgressCtrl;

class CDlgDiShowSet : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 239;
    static constexpr UINT_PTR kShowTimer = 2000;
    static constexpr UINT kRefreshMs = 1000;
    // The refresh period the page starts its timer with: kRefreshMs, unless a test of the page's
    // logic shortened it to run quicker. 0 restores the default.
    static UINT RefreshMs();
    static void SetRefreshMs(UINT ms);
    static constexpr int kAttempts = 10;
    static constexpr WORD kDiReferenceBase = 0x0108;
    static constexpr WORD kDoReferenceBase = 0x0129;

    CDlgDiShowSet();

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Starts one read round unless one runs or the drive is off line; answers whether it did.
    bool StartRefresh();
    void FillDiTable();
    void FillDoTable();
    // Whether the line is active: its state bit against its reference (the function value).
    static BYTE ActiveState(bool bitSet, int reference);
    // The table rows of one side for a product.
    static CGridRowDataMap BuildRows(const std::vector<CDiDoItem> &rows, bool isDo, int productId);

    const CDiDoLists &Lists() const { return m_lists; }
    CDlgBCGGrid *DiGrid() const { return m_pDiGrid; }
    CDlgBCGGrid *DoGrid() const { return m_pDoGrid; }
    bool IsReading() const { return m_worker.IsRunning(); }
    int Rounds() const { return m_nRounds; }

protected:
    void OnTimer(UINT_PTR id) override;

private:
    struct Round
    {
        CDiDoLists lists;
        bool bParamsFailed = false;
    };
    static void ReadSide(std::vector<CDiDoItem> &rows, const std::vector<CDiDoRegister> &regs, WORD stateReg,
                         WORD referenceBase, const std::atomic<bool> &stop, bool *pParamsFailed,
                         const platform::WindowRef &progress);
    void OnRound(const Round &round);
    void ApplyConnectorLabels();
    void StartShowTimer();

    CDlgBCGGrid *m_pDiGrid = nullptr;
    CDlgBCGGrid *m_pDoGrid = nullptr;
    CMyProgressCtrl *m_pProgress = nullptr;
    CDiDoLists m_lists;
    bool m_bParamsReadOnce = false;
    int m_nRounds = 0;
    platform::PageWorker m_worker{this, "DI/DO display"};
};
