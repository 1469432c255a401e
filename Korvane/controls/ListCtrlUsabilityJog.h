#pragma once
// A short table of drive parameters, one row per register: name, value, range and unit. A
// double-click on a value opens the row's in-place editor (CEditUsability), which writes the
// register on Enter; the owner can read or write every row at once.
#include "controls/EditUsability.h"
#include "platform/Messages.h"

#include <QTableWidget>

#include <vector>

class CListCtrlUsabilityJog : public QTableWidget, public platform::MessageTarget
{
public:
    // Control id of the editor of row 0; row r's editor has kFirstEditorId + r.
    static constexpr int kFirstEditorId = 0x81E;
    enum Column { kColName = 0, kColValue = 1, kColRange = 2, kColUnit = 3 };

    explicit CListCtrlUsabilityJog(QWidget *parent = nullptr);
    ~CListCtrlUsabilityJog() override;

    // Columns as the owner creates them (heading and width in pixels).
    int InsertColumn(int column, const QString &heading, int width = 80);
    // Check boxes in the name column (the check mark set after an edit is only seen with them).
    void SetCheckBoxes(bool show);
    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);

    int GetItemCount() const { return rowCount(); }
    QString GetItemText(int row, int column) const;
    void SetItemText(int row, int column, const QString &text);

    // regType 1: one 16-bit register; any other: a 32-bit value in two registers.
    void AddRow(const QString &name, int value, int address, const QString &unit, int regType, int min, int max);
    // Reads every row in order, stopping at the first failure (later rows keep their text).
    bool ReadAll();
    // Writes every row's value in order, stopping at the first failure. One try each.
    bool WriteAll();
    void ShowEditor(int row, int column, BOOL show);
    CEditUsability *GetEditor(int row) const;

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    int m_nCurRow = -1;
    int m_nCurCol = -1;
    std::vector<CEditUsability *> m_arrEdit;  // one per row; children of the view
    QString m_strCurText;

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    CEditUsability *CreateEditor(int row, int address, int min, int max, int regType);
    LRESULT OnEditDone();
    bool m_bCheckBoxes = false;
};
