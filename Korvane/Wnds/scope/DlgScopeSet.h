#pragma once
// The oscilloscope side panel's "参数" tab: the parameters of the custom group "示波器参数" in
// a small table, edited in place, read from and written to the drive without leaving the
// oscilloscope. A roll capture occupies the link, so a write offers to stop it first and
// starts it again once the write has ended.
//
// Reads and writes run on the tab's worker with the parameter page's transactions; only one
// parameter transfer runs in the program at a time.
#include "DialogExMid.h"
#include "database/DBDataParameter.h"
#include "grid/DlgBCGGrid.h"

#include <QList>

#include <functional>
#include <memory>

namespace platform {
class PageWorker;
}
class QLabel;
class QPushButton;

class CDlgScopeSet : public CDialogExMid
{
    Q_OBJECT
public:
    static constexpr int IDD = 228;
    enum { IDC_WRITE = 2062, IDC_READ = 2063, ID_EDIT_GROUP = 32937 };
    static constexpr int kContextMenuId = 224;
    static constexpr int kTries = 10;
    static constexpr int kButtonStrip = 50;

    explicit CDlgScopeSet(QWidget *pParent = nullptr);
    ~CDlgScopeSet() override;

    // Bound by the side panel to its stop and start of the capture; either may be empty.
    std::function<int()> m_fnStopSampling;
    std::function<int()> m_fnStartSampling;

    bool OnInitDialog() override;
    void OnSize(int cx, int cy) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Rebuilds the rows from the group's members found in the connected drive's table. TRUE.
    BOOL FillScopeParamRows();
    // Writes every row's parameter (after the confirmation list).
    void OnWriteParams();
    // The same write with these (code, value) pairs in place of the table's values for their
    // rows. The table takes a value only once the drive has taken it, so a write that is
    // declined, cancelled or refused leaves it as it was. False when no write was started.
    bool WriteParamsWithValues(const QList<QPair<QString, std::int32_t>> &values);
    // Reads every row's parameter.
    void OnReadParams();
    // The answer to the read worker: values in range are stored, then the rows rebuilt.
    BOOL ApplyScopeReadResults();
    // The value cell of the row was edited: a value in range is stored, else the old one returns
    // and the user is told.
    void CommitScopeParamValue(int nRow, int nCol);
    LRESULT OnScopeGridEnter();
    // Command "编辑": the custom group editor on the group.
    void OnEditScopeGroup();
    // The menu of the table, when the screen point lies inside it.
    void OnContextMenu(const QPoint &screenPos);

    // In the current device's checked list, the entry with the code is replaced, else appended.
    static BOOL StoreCheckedParameter(const CDBDataParameter &param);

    // ---- access for the side panel and tests
    CDlgBCGGrid *Grid() { return &m_dlgGrid; }
    QPushButton *WriteButton() const { return m_btnWrite; }
    QPushButton *ReadButton() const { return m_btnRead; }
    // Says how the group is filled; shown while the table has no row.
    QLabel *HintLabel() const { return m_lblHint; }
    bool IsTransferRunning() const;
    // The parameter of a row (by its position cell), or null.
    CDBDataParameter *RecordOfRow(int nRow);

    CDlgBCGGrid m_dlgGrid;
    BOOL m_bHasScopeGroup = FALSE;
    QString m_strScopeGroup;
    QList<CDBDataParameter> m_arrTransferParameter;
    // The capture this tab stopped for the running write; started again when the write ends.
    bool m_bRestartSampling = false;

protected:
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    // The link is up, there are rows and no other transfer runs; tells the user of the first
    // two under the caption.
    bool ReadyToTransfer(const char *caption);
    // "是否先停止?" while a roll runs: false when the user declined; stops the capture on Yes.
    bool StopRollForWrite();
    // Opens the confirmation list and starts the write; false when nothing was started.
    bool StartScopeParamWrite();
    void StartScopeParamRead();
    void WriteWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop);
    void ReadWorker(QList<CDBDataParameter> list, const std::atomic<bool> &stop);
    // The write is over: the values the drive took go into the table, then a stopped capture
    // starts again.
    void OnWriteEnded(const QList<QPair<QString, std::int32_t>> &written = {});
    // The rows' parameters, in row order.
    QList<CDBDataParameter> RowParameters();
    void ShowBox(const char *text, const char *caption);

    QPushButton *m_btnWrite = nullptr;
    QPushButton *m_btnRead = nullptr;
    QLabel *m_lblHint = nullptr;
    std::unique_ptr<platform::PageWorker> m_pWorker;
    UINT m_nMsgEnter = 0;
    UINT m_nMsgSelChanged = 0;
    UINT m_nMsgWriteEnded = 0;
    // The last typed value was refused: the Enter that ended its edit writes nothing.
    bool m_bEditRefused = false;
};
