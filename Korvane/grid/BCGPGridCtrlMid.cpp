#include "grid/BCGPGridCtrlMid.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QPainter>

#include <cstdlib>

using platform::FilterColumnInfo;
using platform::GridCtrl;
using platform::GridItem;
using platform::GridRow;

// ---- Row -------------------------------------------------------------------------------------

bool CBCPGridRowMid::OnDblClick(const QPoint &point)
{
    GridCtrl *grid = GetOwnerList();
    if (!grid)
        return false;
    GridItem *hit = nullptr;
    for (int c = 0; c < GetItemCount(); ++c) {
        GridItem *item = GetItem(c);
        if (item && item->GetRect().contains(point)) {
            hit = item;
            break;
        }
    }
    if (grid->SendToOwnerByName("BCGM_GRID_ITEM_DBLCLICK", reinterpret_cast<LPARAM>(hit)))
        return true;
    return hit ? hit->OnDblClick(point) : false;
}

// ---- Cell ------------------------------------------------------------------------------------

QString CBCGPGridItemMid::s_strFormatFloat = QStringLiteral("%f");
QString CBCGPGridItemMid::s_strFormatDouble = QStringLiteral("%lf");

CBCGPGridItemMid::CBCGPGridItemMid(const QVariant &value)
    : GridItem(value), m_strFormatFloat(s_strFormatFloat), m_strFormatDouble(s_strFormatDouble)
{
}

namespace {

QString FormatReal(const QString &format, double v)
{
    const QByteArray f = format.toLatin1();
    char buf[128];
    std::snprintf(buf, sizeof buf, f.constData(), v);
    return QString::fromLatin1(buf);
}

// Leading decimal digits as the C library reads them; none give 0.
long long LeadingInteger(const QString &text)
{
    return std::strtoll(text.toLatin1().constData(), nullptr, 10);
}

}

QString CBCGPGridItemMid::FormatItem() const
{
    switch (m_value.typeId()) {
    case QMetaType::Float:
        return FormatReal(m_bOwnFormats ? m_strFormatFloat : s_strFormatFloat, double(m_value.toFloat()));
    case QMetaType::Double:
        return FormatReal(m_bOwnFormats ? m_strFormatDouble : s_strFormatDouble, m_value.toDouble());
    default:
        return GridItem::FormatItem();
    }
}

bool CBCGPGridItemMid::TextToVar(const QString &text)
{
    switch (m_value.typeId()) {
    case QMetaType::Int:
        m_value = static_cast<int>(LeadingInteger(text));
        break;
    case QMetaType::UInt:
        m_value = static_cast<unsigned>(LeadingInteger(text));
        break;
    default:
        GridItem::TextToVar(text);
        break;
    }
    return true;
}

void CBCGPGridItemMid::SetValueFormat(const QString &format, const QVariant &value)
{
    m_bOwnFormats = 1;
    if (value.typeId() == QMetaType::Float)
        m_strFormatFloat = format;
    else if (value.typeId() == QMetaType::Double)
        m_strFormatDouble = format;
}

bool CBCGPGridItemMid::PushChar(QChar ch)
{
    const int type = m_value.typeId();
    const bool typed = type == QMetaType::Short || type == QMetaType::Int || type == QMetaType::Float
                       || type == QMetaType::Double || type == QMetaType::QString || type == QMetaType::UChar
                       || type == QMetaType::UShort || type == QMetaType::UInt || type == QMetaType::LongLong
                       || type == QMetaType::ULongLong;
    const bool freeTyping = IsAllowEdit() && !IsRestrictToList();
    if (typed && IsEnabled() && freeTyping) {
        // The grid opens the editor with the character in it.
        return true;
    }
    if (!freeTyping) {
        if (ch == QLatin1Char(' ')) {
            OnDblClick(QPoint(-1, -1));
        } else if (GetOptionCount() > 0) {
            const QChar up = ch.toUpper();
            const int n = GetOptionCount();
            const int current = n > 1 ? m_options.indexOf(IsInPlaceEditing() ? GetInPlaceText() : FormatItem()) : -1;
            const int start = current >= 0 ? current + 1 : 0;
            const int steps = current >= 0 ? n - 1 : n;
            for (int k = 0; k < steps; ++k) {
                const QString &opt = m_options[(start + k) % n];
                if (!opt.isEmpty() && opt.at(0).toUpper() == up) {
                    if (IsInPlaceEditing()) {
                        SetInPlaceText(opt);
                        OnUpdateValue();
                    } else {
                        TextToVar(opt);
                        SetItemChanged();
                    }
                    break;
                }
            }
        }
    }
    OnEndEdit();
    return false;
}

bool CBCGPGridItemMid::OnDblClick(const QPoint &)
{
    if (!IsInPlaceEditing())
        return false;
    if (GetOptionCount() > 1 && IsEnabled())
        return m_options.contains(GetInPlaceText());
    if (GetOptionCount() == 1 && IsEnabled()) {
        const QString label = FormatItem();
        if (auto *combo = qobject_cast<QComboBox *>(GetInPlaceWnd()))
            combo->showPopup();
        if (FormatItem() != label)
            SetItemChanged();
        return true;
    }
    return false;
}

void CBCGPGridItemMid::OnSelectCombo(const QString &choice)
{
    const QString old = GetInPlaceText();
    if (m_bMultiSelect && !old.isEmpty()) {
        if (!old.contains(choice))
            SetInPlaceText(old + QStringLiteral(";") + choice);
        else
            SetInPlaceText(old);
    } else {
        SetInPlaceText(choice);
    }
    OnUpdateValue();
}

// ---- Column information ----------------------------------------------------------------------

int CBCGPGridColumnsInfoMid::CalcRightFrozenWidth(const GridCtrl *grid)
{
    int width = 0;
    if (grid && grid->GetRightFrozenCount() > 0) {
        const std::vector<int> order = grid->GetColumnOrderArray();
        int counted = 0;
        for (auto it = order.rbegin(); it != order.rend() && counted < grid->GetRightFrozenCount(); ++it, ++counted) {
            if (grid->GetColumnVisible(*it))
                width += grid->GetColumnWidth(*it);
        }
    }
    m_nRightFrozenWidth = width;
    return width;
}

int CBCGPGridColumnsInfoMid::GetRightFrozenOffset(const GridCtrl *grid, int column) const
{
    int width = 0;
    if (!grid)
        return 0;
    const std::vector<int> order = grid->GetColumnOrderArray();
    int counted = 0;
    for (auto it = order.rbegin(); it != order.rend() && counted < grid->GetRightFrozenCount(); ++it, ++counted) {
        if (*it >= column && grid->GetColumnVisible(*it))
            width += grid->GetColumnWidth(*it);
    }
    return width;
}

// ---- Grid ------------------------------------------------------------------------------------

CBCGPGridCtrlMid::CBCGPGridCtrlMid(QWidget *parent) : GridCtrl(parent) {}

GridRow *CBCGPGridCtrlMid::CreateRow() { return new CBCPGridRowMid(); }

void CBCGPGridCtrlMid::SetRowHeight()
{
    GridCtrl::SetRowHeight();
    const QFontMetrics fm(GetGridFont());
    int h = fm.height() + 2 * 2;
    if (m_bUseMinRowHeight && m_nMinRowHeight > h)
        h = m_nMinRowHeight;
    m_nRowHeight = h;
    for (int i = 0; i < 3; ++i)
        View(i)->verticalHeader()->setDefaultSectionSize(h);
}

void CBCGPGridCtrlMid::Sort(int col, bool bAscending, bool bAdd)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ClearSelection();
    GetColumnsInfo().SetSortColumn(col, bAscending, bAdd);
    ResortNow();
    QApplication::restoreOverrideCursor();
}

void CBCGPGridCtrlMid::OnFilterBarChanged(int col, const QString &text)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    auto &list = FilterBarList();
    auto it = std::find_if(list.begin(), list.end(), [col](const auto &e) { return e.first == col; });
    FilterColumnInfo info;
    info.nCol = col;
    if (text.isEmpty()) {
        if (it == list.end())
            return;
        const bool hadText = !it->second.isEmpty();
        list.erase(it);
        if (!hadText)
            return;
    } else {
        const QString t = IsFilterBarCaseSensitive() ? text : text.toLower();
        if (it != list.end()) {
            if (it->second == t)
                return;
            it->second = t;
        } else {
            list.emplace_back(col, t);
        }
        info.strFilter = t;
        info.bAll = false;
    }
    if (GetOwner()
        && SendToOwnerByName("BCGM_GRID_FILTER_BAR_CHANGED", reinterpret_cast<LPARAM>(&info)) == 1)
        return;
    OnFilterBarUpdate(col);
}

void CBCGPGridCtrlMid::OnFilterBarClearAll()
{
    GridCtrl::OnFilterBarClearAll();
    OnClickFilterBarClearButton(-1);
}

void CBCGPGridCtrlMid::OnFilterEditClearButton(int col) { OnClickFilterBarClearButton(col); }

void CBCGPGridCtrlMid::OnClickFilterBarClearButton(int col)
{
    QObject *owner = GetOwner();
    if (owner)
        platform::PostMessage(platform::WindowRef(owner),
                              platform::GridMessage("BCGM_GRID_CLICK_FILTER_BAR_CLEAR_BTN"),
                              static_cast<WPARAM>(GetDlgCtrlID()), col);
}

void CBCGPGridCtrlMid::OnFilterBarEnter(int col)
{
    FilterColumnInfo info;
    info.nCol = col;
    SendToOwnerByName("BCGM_GRID_FILTER_BAR_ENTER_MSG", reinterpret_cast<LPARAM>(&info));
}

QWidget *CBCGPGridCtrlMid::OnCreateFilterBarCtrl(int col, const QString &prompt)
{
    QWidget *w = GridCtrl::OnCreateFilterBarCtrl(col, prompt);
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        if (m_bShowFilterSearchGlyph) {
            QPixmap glyph(12, 12);
            glyph.fill(Qt::transparent);
            QPainter p(&glyph);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(QColor(0x70, 0x70, 0x70), 1.5));
            p.drawEllipse(QRectF(1, 1, 7, 7));
            p.drawLine(QPointF(7.5, 7.5), QPointF(11, 11));
            p.end();
            edit->addAction(QIcon(glyph), QLineEdit::TrailingPosition);
        }
        edit->setTextMargins(3, 0, 3, 0);
    }
    return w;
}

void CBCGPGridCtrlMid::OnRowCheckBoxClick(GridRow *row)
{
    if (!GetOwner() || !row)
        return;
    row->ToggleCheck();
    SendToOwnerByName("BCGM_GRID_ROW_CHECKBOX_CLICK", reinterpret_cast<LPARAM>(row));
    RedrawAll();
}

void CBCGPGridCtrlMid::OnHeaderCheckBoxClick(int col)
{
    if (!GetOwner())
        return;
    // An owner that answers has taken the click over and gets no end notice; otherwise the box
    // flips. Either way the rows shown (visible and passing the filter) take the box's state
    // before the end notice, so that whoever counts them then sees them as the user does.
    const bool taken = SendToOwnerByName("BCGM_GRID_HEADERCHECKBOX_CLICK", col) != 0;
    if (!taken)
        GetColumnsInfo().SetCheckBoxState(!GetColumnsInfo().GetCheckBoxState());
    const bool state = GetColumnsInfo().GetCheckBoxState();
    for (int r = 0; r < GetRowCount(); ++r) {
        platform::GridRow *row = GetRow(r);
        if (row->IsItemVisible() && !FilterItem(row))
            row->SetCheck(state);
    }
    RedrawAll();
    if (!taken)
        SendToOwnerByName("BCGM_GRID_HEADERCHECKBOX_CLICK_END", col);
}

bool CBCGPGridCtrlMid::IsHeaderMenuButtonEnabled(int col) const
{
    const platform::GridColumn *c = GetColumnsInfo().Column(col);
    return IsFilterEnabled() && c && c->headerMenuButton;
}

bool CBCGPGridCtrlMid::PreTranslateKey(int key, Qt::KeyboardModifiers mods, const QString &text)
{
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && GetFocusedFilterColumn() < 0) {
        SendToOwnerByName("BCGM_GRID_ENTER_MSG", 0);
        return true;
    }
    return GridCtrl::PreTranslateKey(key, mods, text);
}

bool CBCGPGridCtrlMid::OnInplaceEditKeyDown(int key, Qt::KeyboardModifiers mods)
{
    const bool result = GridCtrl::OnInplaceEditKeyDown(key, mods);
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && GetFocusedFilterColumn() < 0)
        SendToOwnerByName("BCGM_GRID_ENTER_MSG", 0);
    return result;
}
