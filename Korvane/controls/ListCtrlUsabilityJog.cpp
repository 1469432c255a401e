#include "ListCtrlUsabilityJog.h"

#include "platform/ControlId.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

namespace {
constexpr int kCheckedRole = Qt::UserRole + 1;
}

CListCtrlUsabilityJog::CListCtrlUsabilityJog(QWidget *parent) : QTableWidget(parent), MessageTarget(this)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    verticalHeader()->hide();
}

CListCtrlUsabilityJog::~CListCtrlUsabilityJog()
{
    for (CEditUsability *edit : m_arrEdit)
        delete edit;
    m_arrEdit.clear();
}

int CListCtrlUsabilityJog::InsertColumn(int column, const QString &heading, int width)
{
    column = std::clamp(column, 0, columnCount());
    insertColumn(column);
    setHorizontalHeaderItem(column, new QTableWidgetItem(heading));
    setColumnWidth(column, width);
    return column;
}

void CListCtrlUsabilityJog::SetCheckBoxes(bool show)
{
    m_bCheckBoxes = show;
    for (int r = 0; r < rowCount(); ++r)
        SetCheck(r, GetCheck(r));
}

bool CListCtrlUsabilityJog::GetCheck(int row) const
{
    const QTableWidgetItem *it = item(row, kColName);
    return it && it->data(kCheckedRole).toBool();
}

void CListCtrlUsabilityJog::SetCheck(int row, bool checked)
{
    if (row < 0 || row >= rowCount() || columnCount() == 0)
        return;
    QTableWidgetItem *it = item(row, kColName);
    if (!it) {
        it = new QTableWidgetItem;
        setItem(row, kColName, it);
    }
    it->setData(kCheckedRole, checked);
    if (m_bCheckBoxes)
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    else
        it->setData(Qt::CheckStateRole, QVariant());
}

QString CListCtrlUsabilityJog::GetItemText(int row, int column) const
{
    const QTableWidgetItem *it = item(row, column);
    return it ? it->text() : QString();
}

void CListCtrlUsabilityJog::SetItemText(int row, int column, const QString &text)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    if (QTableWidgetItem *it = item(row, column))
        it->setText(text);
    else
        setItem(row, column, new QTableWidgetItem(text));
}

CEditUsability *CListCtrlUsabilityJog::CreateEditor(int row, int address, int min, int max, int regType)
{
    auto *edit = new CEditUsability(address, min, max, regType, viewport());
    platform::SetCtrlId(edit, kFirstEditorId + row);
    edit->hide();
    return edit;
}

void CListCtrlUsabilityJog::AddRow(const QString &name, int value, int address, const QString &unit,
                                   int regType, int min, int max)
{
    const int row = rowCount();
    insertRow(row);
    SetItemText(row, kColName, name);
    CEditUsability *edit = CreateEditor(row, address, min, max, regType);
    edit->m_strValue = QString::number(value);
    edit->setText(edit->m_strValue);
    m_arrEdit.push_back(edit);
    ShowEditor(row, kColValue, FALSE);
    SetItemText(row, kColValue, QString::number(value));
    SetItemText(row, kColRange, QStringLiteral("%1 \uFF5E %2").arg(min).arg(max));
    SetItemText(row, kColUnit, unit);
}

CEditUsability *CListCtrlUsabilityJog::GetEditor(int row) const
{
    return row >= 0 && row < static_cast<int>(m_arrEdit.size()) ? m_arrEdit[static_cast<size_t>(row)] : nullptr;
}

void CListCtrlUsabilityJog::ShowEditor(int row, int column, BOOL show)
{
    CEditUsability *edit = GetEditor(row);
    if (!edit)
        return;
    const QRect cell = visualRect(model()->index(row, column));
    if (show) {
        edit->show();
        edit->setFocus(Qt::MouseFocusReason);
        edit->setText(m_strCurText);
        edit->selectAll();
        edit->m_strValue = m_strCurText;
    } else {
        edit->hide();
    }
    edit->setGeometry(cell);
}

void CListCtrlUsabilityJog::mouseDoubleClickEvent(QMouseEvent *e)
{
    const QModelIndex hit = indexAt(e->position().toPoint());
    if (!hit.isValid()) {
        m_nCurRow = m_nCurCol = -1;
        e->accept();
        return;
    }
    m_nCurRow = hit.row();
    m_nCurCol = hit.column();
    if (m_nCurCol == kColValue) {
        m_strCurText = GetItemText(m_nCurRow, kColValue);
        ShowEditor(m_nCurRow, kColValue, TRUE);
    }
    QTableWidget::mouseDoubleClickEvent(e);
}

LRESULT CListCtrlUsabilityJog::OnEditDone()
{
    CEditUsability *edit = GetEditor(m_nCurRow);
    if (edit) {
        SetItemText(m_nCurRow, m_nCurCol, edit->text());
        edit->hide();
        SetCheck(m_nCurRow, true);
        viewport()->update();
    }
    return 0;
}

LRESULT CListCtrlUsabilityJog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_USABILITY_EDIT_DONE)
        return OnEditDone();
    return MessageTarget::WindowProc(msg, wParam, lParam);
}

bool CListCtrlUsabilityJog::ReadAll()
{
    for (int r = 0; r < rowCount(); ++r) {
        CEditUsability *edit = GetEditor(r);
        if (!edit || !edit->ReadValue())
            return false;
        SetItemText(r, kColValue, edit->text());
    }
    return true;
}

bool CListCtrlUsabilityJog::WriteAll()
{
    for (int r = 0; r < rowCount(); ++r) {
        CEditUsability *edit = GetEditor(r);
        if (!edit || !edit->WriteValue())
            return false;
    }
    return true;
}
