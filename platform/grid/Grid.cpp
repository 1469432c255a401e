#include "platform/grid/Grid.h"

#include "platform/ControlId.h"
#include "platform/grid/GridParts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QSet>
#include <QStringListModel>
#include <QStyle>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {

namespace {

QColor C(COLORREF c) { return ColorFromRef(c); }

constexpr COLORREF kHeaderBack = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kHeaderLine = RGB(0xC8, 0xC8, 0xC8);
constexpr COLORREF kSelectBack = RGB(0xCC, 0xE8, 0xFF);
constexpr COLORREF kAltBack = RGB(0xF7, 0xF7, 0xF7);
constexpr COLORREF kSeparator = RGB(0x69, 0x69, 0x69);
constexpr int kTextMargin = 5;
constexpr int kMenuButton = 16;

int QtAlign(int align)
{
    int a = align & (Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter);
    if (!a)
        a = Qt::AlignLeft;
    return a | Qt::AlignVCenter;
}

}

UINT GridMessage(const char *name) { return RegisterWindowMessage(QString::fromLatin1(name)); }

int GridCheckBoxSize() { return 13; }

void DrawGridCheckBox(QPainter &p, const QRect &box, int state, bool enabled)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(enabled ? QColor(0x33, 0x33, 0x33) : QColor(0xA0, 0xA0, 0xA0));
    p.setBrush(enabled ? Qt::white : QColor(0xF0, 0xF0, 0xF0));
    p.drawRect(box.adjusted(0, 0, -1, -1));
    const QColor mark = enabled ? QColor(0x20, 0x20, 0x20) : QColor(0xA0, 0xA0, 0xA0);
    if (state == 1) {
        QPen pen(mark, 2);
        p.setPen(pen);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPointF a(box.left() + box.width() * 0.22, box.top() + box.height() * 0.52);
        const QPointF b(box.left() + box.width() * 0.42, box.top() + box.height() * 0.72);
        const QPointF c(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
        p.drawPolyline(QVector<QPointF>{a, b, c});
    } else if (state == 2) {
        p.fillRect(box.adjusted(3, 3, -3, -3), mark);
    }
    p.restore();
}

// ---- GridItem ------------------------------------------------------------------------------

GridItem::GridItem(const QVariant &value) : m_value(value) {}

GridItem::~GridItem()
{
    if (m_pWndInPlace)
        m_pWndInPlace->deleteLater();
}

void GridItem::SetValue(const QVariant &value, bool bRedraw)
{
    m_value = value;
    if (bRedraw)
        Redraw();
}

QString GridItem::FormatItem() const
{
    switch (m_value.typeId()) {
    case QMetaType::Bool:
        return m_value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::Double:
        return QString::asprintf("%g", m_value.toDouble());
    case QMetaType::Float:
        return QString::asprintf("%g", double(m_value.toFloat()));
    case QMetaType::QDateTime:
        return m_value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    default:
        return m_value.toString();
    }
}

bool GridItem::TextToVar(const QString &text)
{
    bool ok = true;
    switch (m_value.typeId()) {
    case QMetaType::Int:
        m_value = text.trimmed().toInt(&ok);
        break;
    case QMetaType::UInt:
        m_value = text.trimmed().toUInt(&ok);
        break;
    case QMetaType::LongLong:
        m_value = text.trimmed().toLongLong(&ok);
        break;
    case QMetaType::Double:
        m_value = text.trimmed().toDouble(&ok);
        break;
    case QMetaType::Float:
        m_value = text.trimmed().toFloat(&ok);
        break;
    case QMetaType::Bool:
        m_value = text.trimmed().toInt() != 0;
        break;
    default:
        m_value = text;
        break;
    }
    return ok;
}

void GridItem::AddOption(const QString &text, bool bInsertUnique)
{
    if (bInsertUnique && m_options.contains(text))
        return;
    m_options.append(text);
}

void GridItem::SetBackgroundColor(COLORREF c, bool bRedraw)
{
    m_clrBack = c;
    if (bRedraw)
        Redraw();
}

void GridItem::SetTextColor(COLORREF c, bool bRedraw)
{
    m_clrText = c;
    if (bRedraw)
        Redraw();
}

GridCtrl *GridItem::GetOwnerList() const { return m_pRow ? m_pRow->GetOwnerList() : nullptr; }

GridItemID GridItem::GetGridItemID() const
{
    return GridItemID{m_pRow ? m_pRow->GetRowId() : -1, m_nColumn};
}

COLORREF GridItem::OnFillBackground(QPainter &p, const QRect &rect, const GridPaintInfo &info)
{
    COLORREF back = info.backColor;
    if (!info.selected && m_clrBack != kGridDefaultColor)
        back = m_clrBack;
    p.fillRect(rect, C(back));
    if (m_clrText != kGridDefaultColor)
        return m_clrText;
    return info.textColor;
}

void GridItem::OnDrawValue(QPainter &p, const QRect &rect, const GridPaintInfo &info, COLORREF textColor)
{
    const QString text = FormatItem();
    if (text.isEmpty())
        return;
    p.setPen(C(textColor));
    const QRect r = rect.adjusted(kTextMargin, 0, -kTextMargin, 0);
    int align = m_nAlign;
    if (!align) {
        GridCtrl *g = GetOwnerList();
        const GridColumn *col = g ? g->GetColumnsInfo().Column(m_nColumn) : nullptr;
        align = col ? col->align : Qt::AlignLeft;
    }
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, r.width());
    p.drawText(r, QtAlign(align) | Qt::TextSingleLine, shown);
}

bool GridItem::OnClickValue(UINT, const QPoint &) { return false; }

bool GridItem::OnDblClick(const QPoint &) { return false; }

bool GridItem::PushChar(QChar) { return false; }

bool GridItem::CanEditInPlace() const
{
    return m_bEnabled && !m_bReadOnly && !IsPushButton() && (m_bAllowEdit || !m_options.isEmpty());
}

QWidget *GridItem::CreateInPlaceEdit(QWidget *parent)
{
    if (!m_options.isEmpty()) {
        auto *combo = new QComboBox(parent);
        combo->setEditable(m_bAllowEdit && !m_bRestrictToList);
        combo->addItems(m_options);
        if (combo->isEditable()) {
            // The grid decides what completes the typed text, asked again at every keystroke.
            auto *model = new QStringListModel(combo);
            auto *completer = new QCompleter(model, combo);
            completer->setCaseSensitivity(Qt::CaseInsensitive);
            completer->setCompletionMode(QCompleter::PopupCompletion);
            combo->setCompleter(completer);
            QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this, combo, model, completer](const QString &typed) {
                GridCtrl *grid = GetOwnerList();
                if (m_pWndInPlace != combo || !grid)
                    return;
                model->setStringList(grid->FillAutoCompleteList(this, typed));
                if (model->rowCount() > 0)
                    completer->complete();
            });
        }
        QObject::connect(combo, &QComboBox::activated, combo, [this, combo](int i) {
            if (m_pWndInPlace == combo && i >= 0)
                OnSelectCombo(combo->itemText(i));
        });
        return combo;
    }
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    return edit;
}

void GridItem::SetEditorText(QWidget *editor)
{
    const QString text = FormatItem();
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        const int i = combo->findText(text);
        if (combo->isEditable())
            combo->setEditText(text);
        else if (i >= 0)
            combo->setCurrentIndex(i);
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        edit->setText(text);
        edit->selectAll();
    }
}

QString GridItem::GetEditorText(QWidget *editor) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        return combo->currentText();
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        return edit->text();
    return FormatItem();
}

QString GridItem::GetInPlaceText() const
{
    return m_pWndInPlace ? GetEditorText(m_pWndInPlace) : QString();
}

void GridItem::SetInPlaceText(const QString &text)
{
    if (auto *combo = qobject_cast<QComboBox *>(m_pWndInPlace.data())) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            int i = combo->findText(text);
            if (i < 0) {
                combo->addItem(text);
                i = combo->count() - 1;
            }
            combo->setCurrentIndex(i);
        }
    } else if (auto *edit = qobject_cast<QLineEdit *>(m_pWndInPlace.data())) {
        edit->setText(text);
    }
}

bool GridItem::OnUpdateValue()
{
    if (!m_pWndInPlace)
        return false;
    const QString before = FormatItem();
    TextToVar(GetEditorText(m_pWndInPlace));
    return FormatItem() != before;
}

void GridItem::OnSelectCombo(const QString &choice)
{
    SetInPlaceText(choice);
    OnUpdateValue();
}

void GridItem::OnEndEdit()
{
    if (GridCtrl *g = GetOwnerList())
        g->EndEditItem(true);
}

QRect GridItem::GetRect() const
{
    GridCtrl *g = GetOwnerList();
    return g ? g->GetItemRect(GetGridItemID()) : QRect();
}

void GridItem::Redraw()
{
    if (GridCtrl *g = GetOwnerList())
        g->RedrawItem(this);
}

void GridItem::SetItemChanged()
{
    m_bChanged = true;
    Redraw();
    if (GridCtrl *g = GetOwnerList())
        g->OnItemChanged(this, GetGridItemID().m_nRow, m_nColumn);
}

// ---- Check and date cells --------------------------------------------------------------------

GridCheckItem::GridCheckItem(bool bChecked, const QString &label)
    : GridItem(QVariant(bChecked)), m_strLabel(label)
{
}

void GridCheckItem::OnDrawValue(QPainter &p, const QRect &rect, const GridPaintInfo &info,
                                COLORREF textColor)
{
    const int s = GridCheckBoxSize();
    const bool withLabel = !m_strLabel.isEmpty();
    const int x = withLabel ? rect.left() + 4 : rect.center().x() - s / 2;
    const QRect box(x, rect.center().y() - s / 2, s, s);
    DrawGridCheckBox(p, box, GetState() ? 1 : 0, IsEnabled());
    if (withLabel) {
        p.setPen(C(textColor));
        const QRect r(box.right() + 5, rect.top(), rect.right() - box.right() - 5, rect.height());
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(m_strLabel, Qt::ElideRight, r.width()));
    }
}

bool GridCheckItem::OnClickValue(UINT msg, const QPoint &)
{
    GridCtrl *g = GetOwnerList();
    if (msg != 0x0201 /* WM_LBUTTONDOWN */ || !IsEnabled() || IsReadOnly() || (g && g->IsReadOnly()))
        return false;
    m_value = !GetState();
    SetItemChanged();
    return true;
}

bool GridCheckItem::PushChar(QChar ch)
{
    if (ch != QLatin1Char(' '))
        return false;
    return OnClickValue(0x0201, QPoint(-1, -1));
}

GridDateTimeItem::GridDateTimeItem(const QDateTime &value) : GridItem(QVariant(value)) {}

QString GridDateTimeItem::FormatItem() const
{
    if (m_value.typeId() != QMetaType::QDateTime)
        return GridItem::FormatItem();
    return m_value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool GridDateTimeItem::TextToVar(const QString &text)
{
    QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid())
        dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd"));
    if (!dt.isValid())
        return false;
    m_value = dt;
    return true;
}

QWidget *GridDateTimeItem::CreateInPlaceEdit(QWidget *parent)
{
    auto *edit = new QDateTimeEdit(parent);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    edit->setCalendarPopup(true);
    return edit;
}

void GridDateTimeItem::SetEditorText(QWidget *editor)
{
    if (auto *edit = qobject_cast<QDateTimeEdit *>(editor))
        edit->setDateTime(m_value.toDateTime());
}

QString GridDateTimeItem::GetEditorText(QWidget *editor) const
{
    if (auto *edit = qobject_cast<QDateTimeEdit *>(editor))
        return edit->dateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    return FormatItem();
}

// ---- GridRow -------------------------------------------------------------------------------

GridRow::GridRow(int nColumns)
{
    for (int i = 0; i < nColumns; ++i)
        AddItem(new GridItem());
}

GridRow::~GridRow()
{
    for (GridItem *item : m_items)
        delete item;
}

void GridRow::ReplaceItem(int column, GridItem *item)
{
    if (column < 0)
        return;
    if (column >= GetItemCount())
        m_items.resize(column + 1, nullptr);
    delete m_items[column];
    m_items[column] = item;
    if (item) {
        item->m_pRow = this;
        item->m_nColumn = column;
    }
}

void GridRow::AddItem(GridItem *item) { ReplaceItem(GetItemCount(), item); }

void GridRow::SetCheck(bool bCheck) { m_bChecked = bCheck; }

bool GridRow::IsSelected() const
{
    return m_pGrid && m_pGrid->GetCurSel() == this;
}

bool GridRow::OnDblClick(const QPoint &) { return false; }

// ---- Columns information ---------------------------------------------------------------------

int GridColumnsInfo::GetColumnState(int column) const
{
    for (const auto &[c, asc] : m_sort) {
        if (c == column)
            return asc ? 1 : -1;
    }
    return 0;
}

void GridColumnsInfo::SetSortColumn(int column, bool bAscending, bool bAdd)
{
    if (!bAdd)
        m_sort.clear();
    for (auto &s : m_sort) {
        if (s.first == column) {
            s.second = bAscending;
            return;
        }
    }
    m_sort.emplace_back(column, bAscending);
}

void GridColumnsInfo::RemoveSortColumn(int column)
{
    std::erase_if(m_sort, [column](const auto &s) { return s.first == column; });
}

bool GridColumnsInfo::SetColumnSumText(int column, const QString &text)
{
    GridColumn *c = Column(column);
    if (!c)
        return false;
    c->sumText = text;
    return true;
}

// ---- Model and proxy -----------------------------------------------------------------------

int GridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : g->m_modelRows;
}

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : g->GetColumnCount();
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= g->m_modelRows)
        return QVariant();
    const GridItem *item = g->m_rows[index.row()]->GetItem(index.column());
    if (!item)
        return QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return item->FormatItem();
    case Qt::EditRole:
        return item->GetValue();
    default:
        return QVariant();
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (o == Qt::Horizontal)
        return g->GetColumnName(section);
    if (section < 0 || section >= g->m_modelRows)
        return QVariant();
    return g->GetRowNumber(g->m_rows[section]);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const GridRow *row = index.row() < g->m_modelRows ? g->m_rows[index.row()] : nullptr;
    const GridItem *item = row ? row->GetItem(index.column()) : nullptr;
    if (item && !g->m_bReadOnly && row->CanEditRow() && item->CanEditInPlace())
        f |= Qt::ItemIsEditable;
    return f;
}

void GridModel::Announce(int newCount)
{
    if (newCount <= g->m_modelRows)
        return;
    beginInsertRows(QModelIndex(), g->m_modelRows, newCount - 1);
    g->m_modelRows = newCount;
    endInsertRows();
}

void GridModel::Reset(const std::function<void()> &change)
{
    beginResetModel();
    change();
    endResetModel();
}

void GridModel::CellChanged(int row, int col)
{
    if (row < 0 || row >= g->m_modelRows)
        return;
    const QModelIndex i = index(row, col);
    emit dataChanged(i, i);
}

bool GridProxy::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (sourceRow < 0 || sourceRow >= static_cast<int>(g->m_rows.size()))
        return false;
    const GridRow *row = g->m_rows[sourceRow];
    return row->IsItemVisible() && !g->FilterItem(row);
}

namespace {

int CompareItems(const GridItem *a, const GridItem *b)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
    const QVariant &va = a->GetValue();
    const QVariant &vb = b->GetValue();
    if (va.typeId() == QMetaType::QString && vb.typeId() == QMetaType::QString) {
        const int c = QString::compare(va.toString(), vb.toString());
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    const QPartialOrdering o = QVariant::compare(va, vb);
    if (o == QPartialOrdering::Less)
        return -1;
    if (o == QPartialOrdering::Greater)
        return 1;
    if (o == QPartialOrdering::Equivalent)
        return 0;
    const int c = QString::compare(a->FormatItem(), b->FormatItem());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}

namespace {

GridProxy::SortKey KeyOf(const GridItem *item)
{
    GridProxy::SortKey k;
    if (!item)
        return k;
    const QVariant &v = item->GetValue();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::Char:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool:
        k.number = true;
        k.value = v.toDouble();
        break;
    case QMetaType::QDateTime:
        k.number = true;
        k.value = double(v.toDateTime().toMSecsSinceEpoch());
        break;
    case QMetaType::QString:
        k.text = v.toString();
        break;
    default:
        k.text = item->FormatItem();
        break;
    }
    return k;
}

int CompareKeys(const GridProxy::SortKey &a, const GridProxy::SortKey &b)
{
    if (a.number && b.number)
        return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    if (a.number != b.number)
        return a.number ? -1 : 1;  // numbers before texts
    const int c = QString::compare(a.text, b.text);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}

void GridProxy::Resort()
{
    const auto &columns = g->GetColumnsInfo().GetSortColumns();
    m_keys.assign(columns.size(), {});
    const int n = g->m_modelRows;
    for (std::size_t k = 0; k < columns.size(); ++k) {
        m_keys[k].resize(n);
        for (int r = 0; r < n; ++r)
            m_keys[k][r] = KeyOf(g->m_rows[r]->GetItem(columns[k].first));
    }
    m_groupRank.clear();
    if (!g->m_groupCols.empty()) {
        std::map<QString, int> firstRow;
        m_groupRank.resize(n);
        for (int r = 0; r < n; ++r)
            m_groupRank[r] = firstRow.try_emplace(g->GroupKey(r), r).first->second;
    }
    sort(0, Qt::AscendingOrder);
    m_keys.clear();
    m_groupRank.clear();
}

bool GridProxy::lessThan(const QModelIndex &a, const QModelIndex &b) const
{
    if (!m_groupRank.empty() && m_groupRank[a.row()] != m_groupRank[b.row()])
        return m_groupRank[a.row()] < m_groupRank[b.row()];
    if (!m_keys.empty()) {
        const auto &columns = g->GetColumnsInfo().GetSortColumns();
        for (std::size_t k = 0; k < m_keys.size() && k < columns.size(); ++k) {
            const int c = CompareKeys(m_keys[k][a.row()], m_keys[k][b.row()]);
            if (c)
                return columns[k].second ? c < 0 : c > 0;
        }
        return a.row() < b.row();
    }
    const GridRow *ra = g->m_rows[a.row()];
    const GridRow *rb = g->m_rows[b.row()];
    for (const auto &[col, asc] : g->GetColumnsInfo().GetSortColumns()) {
        const int c = CompareItems(ra->GetItem(col), rb->GetItem(col));
        if (c)
            return asc ? c < 0 : c > 0;
    }
    return a.row() < b.row();
}

// ---- Delegate ------------------------------------------------------------------------------

GridItem *GridDelegate::ItemAt(const QModelIndex &proxyIndex) const
{
    const QModelIndex src = g->m_proxy->mapToSource(proxyIndex);
    if (!src.isValid() || src.row() >= g->m_modelRows)
        return nullptr;
    return g->m_rows[src.row()]->GetItem(src.column());
}

QRect GridDelegate::CheckBoxRect(const QRect &cell) const
{
    const int s = GridCheckBoxSize();
    return QRect(cell.left() + 4, cell.center().y() - s / 2, s, s);
}

QRect GridDelegate::ValueRect(const QRect &cell, int column) const
{
    if (g->m_bCheckBoxes && column == g->GetFirstDisplayColumn())
        return cell.adjusted(GridCheckBoxSize() + 6, 0, 0, 0);
    return cell;
}

void GridDelegate::paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QModelIndex src = g->m_proxy->mapToSource(index);
    if (!src.isValid() || src.row() >= g->m_modelRows)
        return;
    GridRow *row = g->m_rows[src.row()];
    GridItem *item = row->GetItem(src.column());
    GridPaintInfo info;
    info.selected = option.state & QStyle::State_Selected;
    info.font = g->m_font;
    const GridCtrl::ColorTheme &theme = g->m_theme;
    info.textColor = theme.text != kGridDefaultColor ? theme.text : g->m_clrText;
    const COLORREF even = theme.evenBack != kGridDefaultColor ? theme.evenBack : RGB(255, 255, 255);
    const COLORREF odd = theme.oddBack != kGridDefaultColor ? theme.oddBack : g->m_bAlternateRows ? kAltBack : even;
    info.backColor = info.selected ? kSelectBack : (index.row() & 1) ? odd : even;
    p->save();
    p->setFont(g->m_font);
    const QRect cell = option.rect.adjusted(0, g->GroupBandHeight(index.row()), 0, 0);
    QRect valueRect = cell;
    if (g->m_bCheckBoxes && src.column() == g->GetFirstDisplayColumn()) {
        p->fillRect(cell, C(info.backColor));
        DrawGridCheckBox(*p, CheckBoxRect(cell), row->GetCheck() ? 1 : 0, true);
        valueRect = ValueRect(cell, src.column());
    }
    if (item) {
        p->setClipRect(valueRect);
        const COLORREF text = item->OnFillBackground(*p, valueRect, info);
        item->OnDrawValue(*p, valueRect, info, text);
    } else {
        p->fillRect(valueRect, C(info.backColor));
    }
    p->restore();
}

QSize GridDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return QSize(75, g->m_nRowHeight);
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    GridItem *item = ItemAt(index);
    if (!item)
        return nullptr;
    QWidget *editor = item->CreateInPlaceEdit(parent);
    if (!editor)
        return nullptr;
    editor->setFont(g->m_font);
    item->m_pWndInPlace = editor;
    g->NotifyBeginEdit(item);
    return editor;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (GridItem *item = ItemAt(index))
        item->SetEditorText(editor);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    GridItem *item = ItemAt(index);
    if (!item || item->m_pWndInPlace != editor)
        return;
    const bool changed = item->OnUpdateValue();
    g->OnEditorCommitted(item, changed);
}

void GridDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    GridItem *item = ItemAt(index);
    if (item && item->m_pWndInPlace == editor) {
        item->m_pWndInPlace = nullptr;
        g->NotifyEndEdit(item);
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

void GridDelegate::updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    const QModelIndex src = g->m_proxy->mapToSource(index);
    editor->setGeometry(ValueRect(option.rect.adjusted(0, g->GroupBandHeight(index.row()), 0, 0), src.column()));
}

bool GridDelegate::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                               const QModelIndex &index)
{
    if (event->type() != QEvent::MouseButtonPress)
        return false;
    auto *me = static_cast<QMouseEvent *>(event);
    const QModelIndex src = g->m_proxy->mapToSource(index);
    if (!src.isValid() || src.row() >= g->m_modelRows)
        return false;
    GridRow *row = g->m_rows[src.row()];
    const QPoint pt = me->position().toPoint();
    if (pt.y() < option.rect.top() + g->GroupBandHeight(index.row()))
        return false;  // the group's caption band
    if (me->button() == Qt::LeftButton && g->m_bCheckBoxes && src.column() == g->GetFirstDisplayColumn()
        && pt.x() < ValueRect(option.rect, src.column()).left()) {
        g->OnRowCheckBoxClick(row);
        return true;
    }
    GridItem *item = row->GetItem(src.column());
    if (!item || item->IsInPlaceEditing())
        return false;
    const UINT msg = me->button() == Qt::RightButton ? 0x0204 : 0x0201;
    if (me->button() != Qt::LeftButton && me->button() != Qt::RightButton)
        return false;
    // Cells work in the grid's coordinates, as their GetRect does.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const QPoint gridPt = view ? view->viewport()->mapTo(g, pt) : pt;
    return item->OnClickValue(msg, gridPt);
}

bool GridDelegate::eventFilter(QObject *object, QEvent *event)
{
    auto *editor = qobject_cast<QWidget *>(object);
    if (editor && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int key = ke->key();
        const bool isEnter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const bool ends = g->CanEndInplaceEditOnChar(key, ke->modifiers());
        if (isEnter || key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Left
            || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
            if (!ends) {
                // Keys that do not end the edit stay in the editor; Enter with a modifier
                // is swallowed so that the editor does not end on its own.
                return isEnter ? true : QStyledItemDelegate::eventFilter(object, event);
            }
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::NoHint);
            g->OnInplaceEditKeyDown(key, ke->modifiers());
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ---- Header --------------------------------------------------------------------------------

GridHeader::GridHeader(GridCtrl *grid, QWidget *parent) : QHeaderView(Qt::Horizontal, parent), g(grid)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setSortIndicatorShown(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setMinimumSectionSize(4);
    setMouseTracking(true);
}

QSize GridHeader::sizeHint() const
{
    QSize s = QHeaderView::sizeHint();
    if (!g)
        return s;
    s.setHeight(g->m_bHeader ? g->m_nHeaderHeight + (g->m_bFilterBar ? g->m_nFilterBarHeight : 0) : 0);
    return s;
}

QRect GridHeader::SectionRect(int logical) const
{
    return QRect(sectionViewportPosition(logical), 0, sectionSize(logical), g->m_nHeaderHeight);
}

QRect GridHeader::CheckBoxRect(const QRect &section) const
{
    const int s = GridCheckBoxSize();
    return QRect(section.left() + 4, section.top() + (g->m_nHeaderHeight - s) / 2, s, s);
}

QRect GridHeader::MenuButtonRect(const QRect &section) const
{
    return QRect(section.right() - kMenuButton - 1, section.top() + (g->m_nHeaderHeight - kMenuButton) / 2,
                 kMenuButton, kMenuButton);
}

QRect GridHeader::TextRect(const QRect &r, int logical) const
{
    QRect textRect = r.adjusted(kTextMargin, 0, -kTextMargin, 0);
    if (g->m_bCheckBoxes && logical == g->GetFirstDisplayColumn())
        textRect.setLeft(CheckBoxRect(r).right() + 5);
    if (g->IsHeaderMenuButtonEnabled(logical)) {
        const QRect b = MenuButtonRect(r);
        textRect.setRight(g->GetHeaderMenuButtonImageIndex(logical, true) % 3 ? b.left() - 9 : b.left() - 2);
    } else if (g->GetColumnsInfo().GetColumnState(logical)) {
        textRect.setRight(r.right() - 16);
    }
    return textRect;
}

void GridHeader::paintEvent(QPaintEvent *e)
{
    QHeaderView::paintEvent(e);
    if (!g || !g->m_bFilterBar)
        return;
    // The filter bar under the sections: background, bottom line and column separators.
    QPainter p(viewport());
    const QRect band(0, g->m_nHeaderHeight, viewport()->width(), g->m_nFilterBarHeight);
    p.fillRect(band, C(kHeaderBack));
    p.setPen(C(kHeaderLine));
    p.drawLine(band.bottomLeft(), band.bottomRight());
    for (int v = 0; v < count(); ++v) {
        const int logical = logicalIndex(v);
        if (isSectionHidden(logical))
            continue;
        const int x = sectionViewportPosition(logical) + sectionSize(logical) - 1;
        p.drawLine(x, band.top(), x, band.bottom());
    }
}

void GridHeader::paintSection(QPainter *p, const QRect &rect, int logical) const
{
    if (!g)
        return;
    const QRect r(rect.left(), 0, rect.width(), g->m_nHeaderHeight);
    const GridColumnsInfo &info = g->GetColumnsInfo();
    const GridColumn *col = info.Column(logical);
    if (!col)
        return;
    p->save();
    auto colour = info.m_mapHeaderColors.find(logical);
    const bool coloured = colour != info.m_mapHeaderColors.end();
    p->fillRect(r, C(coloured ? colour->second.second : kHeaderBack));
    if (g->IsColumnSelected(logical))
        p->fillRect(r, QColor(0xCC, 0xE8, 0xFF));
    p->setPen(C(kHeaderLine));
    p->drawLine(r.topRight(), r.bottomRight());
    p->drawLine(r.bottomLeft(), r.bottomRight());

    const QRect textRect = TextRect(r, logical);
    if (g->m_bCheckBoxes && logical == g->GetFirstDisplayColumn())
        DrawGridCheckBox(*p, CheckBoxRect(r), info.GetCheckBoxState() ? 1 : 0, true);
    if (g->IsHeaderMenuButtonEnabled(logical)) {
        const QRect b = MenuButtonRect(r);
        const int image = g->GetHeaderMenuButtonImageIndex(logical, true);
        p->setPen(QColor(0x70, 0x70, 0x70));
        p->setBrush(QColor(0xFA, 0xFA, 0xFA));
        p->drawRect(b.adjusted(0, 0, -1, -1));
        p->setRenderHint(QPainter::Antialiasing, true);
        p->setBrush(image >= 3 ? QColor(0x20, 0x60, 0xC0) : QColor(0x50, 0x50, 0x50));
        p->setPen(Qt::NoPen);
        const QPointF c = QRectF(b).center();
        if (image >= 3) {  // a funnel: the column is filtered
            p->drawPolygon(QPolygonF({QPointF(c.x() - 5, c.y() - 4), QPointF(c.x() + 5, c.y() - 4),
                                      QPointF(c.x() + 1, c.y()), QPointF(c.x() + 1, c.y() + 4),
                                      QPointF(c.x() - 1, c.y() + 4), QPointF(c.x() - 1, c.y())}));
        } else {  // a drop-down triangle
            p->drawPolygon(QPolygonF({QPointF(c.x() - 4, c.y() - 2), QPointF(c.x() + 4, c.y() - 2),
                                      QPointF(c.x(), c.y() + 3)}));
        }
        const int sort = image % 3;
        if (sort) {
            const double y = sort == 1 ? b.top() + 2 : b.bottom() - 2;
            const double dy = sort == 1 ? 3 : -3;
            p->setBrush(QColor(0x20, 0x20, 0x20));
            p->drawPolygon(QPolygonF({QPointF(b.left() - 7, y + dy), QPointF(b.left() - 1, y + dy),
                                      QPointF(b.left() - 4, y)}));
        }
        p->setRenderHint(QPainter::Antialiasing, false);
    } else if (const int state = info.GetColumnState(logical)) {
        p->setRenderHint(QPainter::Antialiasing, true);
        p->setBrush(QColor(0x40, 0x40, 0x40));
        p->setPen(Qt::NoPen);
        const double x = r.right() - 10, y = r.center().y();
        if (state > 0)
            p->drawPolygon(QPolygonF({QPointF(x - 4, y + 2), QPointF(x + 4, y + 2), QPointF(x, y - 3)}));
        else
            p->drawPolygon(QPolygonF({QPointF(x - 4, y - 2), QPointF(x + 4, y - 2), QPointF(x, y + 3)}));
        p->setRenderHint(QPainter::Antialiasing, false);
    }
    p->setFont(g->m_font);
    p->setPen(coloured ? C(colour->second.first) : QColor(0, 0, 0));
    const QString shown = p->fontMetrics().elidedText(col->name, Qt::ElideRight, textRect.width());
    const_cast<GridColumn *>(col)->nameTruncated = shown != col->name;
    p->drawText(textRect, QtAlign(col->headerAlign) | Qt::TextSingleLine, shown);
    p->restore();
}

void GridHeader::mousePressEvent(QMouseEvent *e)
{
    const QPoint pos = e->position().toPoint();
    if (!g)
        return QHeaderView::mousePressEvent(e);
    if (pos.y() >= g->m_nHeaderHeight)
        return;  // the filter bar's gaps between edits
    const int logical = logicalIndexAt(pos);
    if (logical < 0)
        return QHeaderView::mousePressEvent(e);
    const QRect r = SectionRect(logical);
    if (e->button() == Qt::RightButton) {
        g->OnHeaderColumnRClick(logical);
        return;
    }
    if (e->button() == Qt::LeftButton) {
        if (g->m_bCheckBoxes && logical == g->GetFirstDisplayColumn() && CheckBoxRect(r).contains(pos)) {
            g->OnHeaderCheckBoxClick(logical);
            return;
        }
        if (g->IsHeaderMenuButtonEnabled(logical) && MenuButtonRect(r).contains(pos)) {
            g->OnHeaderMenuButtonClick(logical, r);
            return;
        }
        if (sectionsMovable() && !g->DragColumn(logical)) {
            // A column that must not move is pressed: it may still be clicked (sorted).
            setSectionsMovable(false);
            QHeaderView::mousePressEvent(e);
            setSectionsMovable(true);
            return;
        }
    }
    QHeaderView::mousePressEvent(e);
}

void GridHeader::mouseMoveEvent(QMouseEvent *e) { QHeaderView::mouseMoveEvent(e); }

bool GridHeader::viewportEvent(QEvent *e)
{
    if (g && e->type() == QEvent::ToolTip) {
        auto *he = static_cast<QHelpEvent *>(e);
        const int logical = logicalIndexAt(he->pos());
        if (logical >= 0 && g->IsHeaderMenuButtonEnabled(logical)
            && MenuButtonRect(SectionRect(logical)).contains(he->pos())) {
            const QString tip = g->GetHeaderMenuButtonTooltip(logical);
            if (!tip.isEmpty()) {
                QToolTip::showText(he->globalPos(), tip, this);
                return true;
            }
        }
    }
    return QHeaderView::viewportEvent(e);
}

// ---- Views ---------------------------------------------------------------------------------

GridView::GridView(GridCtrl *grid, int which) : QTableView(grid), g(grid), m_which(which)
{
    setHorizontalHeader(new GridHeader(grid, this));
    // Header presses are the grid's (sorting, check box, menu button), not column selection.
    disconnect(horizontalHeader(), SIGNAL(sectionPressed(int)), this, SLOT(selectColumn(int)));
    disconnect(horizontalHeader(), SIGNAL(sectionEntered(int)), this, SLOT(_q_selectColumn(int)));
    setFrameShape(QFrame::NoFrame);
    // A delegate of its own: a delegate's commit and close signals reach every view it serves.
    setItemDelegate(new GridDelegate(grid));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
                    | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(4);
    // Wide enough for the sum row's caption under it.
    verticalHeader()->setMinimumWidth(36);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setVisible(which == 0);
    horizontalHeader()->setSectionsMovable(false);
    viewport()->setMouseTracking(true);
}

void GridView::keyPressEvent(QKeyEvent *e)
{
    if (state() != QAbstractItemView::EditingState
        && g->PreTranslateKey(e->key(), e->modifiers(), e->text())) {
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

void GridView::mousePressEvent(QMouseEvent *e)
{
    QTableView::mousePressEvent(e);
}

void GridView::mouseReleaseEvent(QMouseEvent *e)
{
    QTableView::mouseReleaseEvent(e);
    const QPoint pt = viewport()->mapTo(g, e->position().toPoint());
    const GridItemID hit = g->HitTest(pt);
    if (e->button() == Qt::LeftButton)
        g->OnCellLButtonUp(hit, pt);
    else if (e->button() == Qt::RightButton)
        g->OnCellRButtonUp(hit, pt);
}

void GridView::mouseDoubleClickEvent(QMouseEvent *e)
{
    const QPoint pt = viewport()->mapTo(g, e->position().toPoint());
    const GridItemID hit = g->HitTest(pt);
    GridRow *row = hit.m_nRow >= 0 ? g->GetRow(hit.m_nRow) : nullptr;
    if (!(row && row->OnDblClick(pt)))
        QTableView::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton)
        g->OnCellDblClk(hit, pt);
}

bool GridView::viewportEvent(QEvent *e)
{
    if (g && e->type() == QEvent::ToolTip) {
        auto *he = static_cast<QHelpEvent *>(e);
        const GridItemID hit = g->HitTest(viewport()->mapTo(g, he->pos()));
        QString text, description;
        if (!hit.IsNull())
            g->GetItemCustomTooltip(hit, text, description);
        if (!description.isEmpty())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + description;
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(he->globalPos(), text, viewport());
        return true;
    }
    return QTableView::viewportEvent(e);
}

void GridView::wheelEvent(QWheelEvent *e)
{
    if (m_which != 1) {
        // The frozen views scroll with the main one.
        QCoreApplication::sendEvent(g->m_views[1]->viewport(), e);
        return;
    }
    QTableView::wheelEvent(e);
    QScrollBar *vs = verticalScrollBar();
    if (vs->value() >= vs->maximum())
        g->OnScrollEnd();
}

void GridView::paintEvent(QPaintEvent *e)
{
    QTableView::paintEvent(e);
    if (g->m_bandRows.empty())
        return;
    QPainter p(viewport());
    p.setFont(g->m_font);
    // The caption is written in the leftmost view that shows columns.
    const bool writes = m_which == 0 ? g->m_nLeftFrozen > 0
                                     : m_which == 1 && !(g->m_views[0]->isVisible() && g->m_nLeftFrozen > 0);
    const int w = viewport()->width();
    for (const auto &[viewRow, caption] : g->m_groupCaptions) {
        const int y = rowViewportPosition(viewRow);
        const int h = g->GroupBandHeight(viewRow);
        if (y + h < 0 || y > viewport()->height())
            continue;
        const QRect band(0, y, w, h);
        p.fillRect(band, C(kHeaderBack));
        p.setPen(C(kHeaderLine));
        p.drawLine(band.bottomLeft(), band.bottomRight());
        if (writes && !caption.isEmpty()) {
            QFont bold = g->m_font;
            bold.setBold(true);
            p.setFont(bold);
            p.setPen(C(g->m_clrText));
            const QRect textRect = band.adjusted(kTextMargin - horizontalOffset(), 0, 0, 0);
            p.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                       QFontMetrics(bold).elidedText(caption, Qt::ElideRight, textRect.width() + horizontalOffset()));
            p.setFont(g->m_font);
        }
    }
}

void GridSumBand::paintEvent(QPaintEvent *)
{
    if (!g->GetColumnsInfo().m_bShowSumRow)
        return;
    QPainter p(this);
    p.setFont(g->m_font);
    const QRect band = rect();
    p.fillRect(band, C(kHeaderBack));
    GridView *view = g->m_views[m_which];
    const int x0 = view->viewport()->geometry().left();
    QPen sep(C(kSeparator));
    p.setPen(sep);
    p.drawLine(0, 0, band.right(), 0);
    if (m_which == 0 && x0 > 0) {
        const QRect caption(0, 1, x0, band.height() - 1);
        p.setPen(QColor(0, 0, 0));
        p.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(g->GetColumnsInfo().m_strSumRowCaption, Qt::ElideRight,
                                              caption.width()));
        p.setPen(C(kHeaderLine));
        p.drawLine(caption.topRight(), caption.bottomRight());
    }
    p.setClipRect(QRect(x0, 1, band.width() - x0, band.height() - 1));
    GridColumnsInfo &info = g->GetColumnsInfo();
    for (int c = 0; c < info.GetColumnCount(); ++c) {
        if (view->isColumnHidden(c))
            continue;
        GridColumn *col = info.Column(c);
        const QRect cell(x0 + view->columnViewportPosition(c), 1, view->columnWidth(c), band.height() - 1);
        p.setPen(C(kHeaderLine));
        p.drawLine(cell.topRight(), cell.bottomRight());
        const QRect text = cell.adjusted(kTextMargin, 0, -kTextMargin, 0);
        const QString shown = p.fontMetrics().elidedText(col->sumText, Qt::ElideRight, text.width());
        col->nameTruncated = shown != col->sumText;
        p.setPen(QColor(0, 0, 0));
        p.drawText(text, QtAlign(col->headerAlign) | Qt::TextSingleLine, shown);
    }
}

// ---- The filter popup of the header menu buttons ---------------------------------------------

namespace {

class FilterPopup : public QDialog
{
public:
    FilterPopup(GridCtrl *grid, UINT cmdId, int col, const QStringList &values)
        : QDialog(grid, Qt::Popup), m_grid(grid), m_cmd(cmdId), m_col(col)
    {
        setAttribute(Qt::WA_DeleteOnClose);
        setObjectName(QStringLiteral("GridFilterPopup"));
        auto *layout = new QVBoxLayout(this);
        m_list = new QListWidget(this);
        layout->addWidget(m_list);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        layout->addWidget(buttons);
        connect(buttons, &QDialogButtonBox::accepted, this, &FilterPopup::Apply);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
        const auto found = grid->ColumnFilters().find(col);
        const FilterColumnInfo current = found != grid->ColumnFilters().end() ? found->second : FilterColumnInfo{};
        auto *all = new QListWidgetItem(QStringLiteral("(Select All)"), m_list);
        all->setCheckState(current.bAll ? Qt::Checked : Qt::PartiallyChecked);
        for (const QString &v : values) {
            auto *item = new QListWidgetItem(v, m_list);
            item->setCheckState(current.bAll || current.lstValues.contains(v) ? Qt::Checked : Qt::Unchecked);
        }
        connect(m_list, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
            if (m_updating)
                return;
            m_updating = true;
            if (m_list->row(item) == 0) {
                for (int i = 1; i < m_list->count(); ++i)
                    m_list->item(i)->setCheckState(item->checkState());
            } else {
                m_list->item(0)->setCheckState(Qt::PartiallyChecked);
            }
            m_updating = false;
        });
        resize(220, 300);
    }

private:
    void Apply()
    {
        FilterColumnInfo f;
        f.nCol = m_col;
        f.bAll = m_list->item(0)->checkState() == Qt::Checked;
        if (!f.bAll) {
            int checked = 0;
            for (int i = 1; i < m_list->count(); ++i) {
                if (m_list->item(i)->checkState() == Qt::Checked) {
                    f.lstValues.append(m_list->item(i)->text());
                    ++checked;
                }
            }
            if (checked == m_list->count() - 1) {
                f.bAll = true;
                f.lstValues.clear();
            }
        }
        QPointer<GridCtrl> grid = m_grid;
        const UINT cmd = m_cmd;
        close();
        if (grid)
            grid->ApplyFilterMenu(cmd, f);
    }

    QPointer<GridCtrl> m_grid;
    UINT m_cmd;
    int m_col;
    QListWidget *m_list;
    bool m_updating = false;
};

}

// ---- GridCtrl ------------------------------------------------------------------------------

GridCtrl::GridCtrl(QWidget *parent) : QWidget(parent), MessageTarget(this)
{
    m_font = font();
    m_model = new GridModel(this);
    m_proxy = new GridProxy(this);
    m_proxy->setDynamicSortFilter(false);
    m_proxy->setSourceModel(m_model);
    m_delegate = new GridDelegate(this);
    for (int i = 0; i < 3; ++i) {
        m_views[i] = new GridView(this, i);
        m_views[i]->setModel(m_proxy);
        m_sums[i] = new GridSumBand(this, i);
        m_sums[i]->hide();
    }
    for (int i : {0, 2}) {
        m_views[i]->setSelectionModel(m_views[1]->selectionModel());
        m_views[i]->setFocusPolicy(Qt::StrongFocus);
    }
    m_vbar = new QScrollBar(Qt::Vertical, this);
    m_hbar = new QScrollBar(Qt::Horizontal, this);

    QScrollBar *mainV = m_views[1]->verticalScrollBar();
    QScrollBar *mainH = m_views[1]->horizontalScrollBar();
    connect(mainV, &QScrollBar::rangeChanged, this, [this](int lo, int hi) {
        m_vbar->setRange(lo, hi);
        m_vbar->setPageStep(m_views[1]->verticalScrollBar()->pageStep());
        m_vbar->setSingleStep(1);
    });
    connect(m_vbar, &QScrollBar::valueChanged, mainV, &QScrollBar::setValue);
    connect(m_vbar, &QScrollBar::sliderReleased, this, [this] {
        if (m_vbar->value() + m_vbar->pageStep() >= m_vbar->maximum() + m_vbar->pageStep())
            OnScrollEnd();
    });
    for (int i : {0, 2}) {
        QScrollBar *v = m_views[i]->verticalScrollBar();
        connect(mainV, &QScrollBar::valueChanged, v, &QScrollBar::setValue);
        connect(v, &QScrollBar::valueChanged, mainV, &QScrollBar::setValue);
    }
    connect(mainV, &QScrollBar::valueChanged, m_vbar, &QScrollBar::setValue);
    connect(mainH, &QScrollBar::rangeChanged, this, [this](int lo, int hi) {
        m_hbar->setRange(lo, hi);
        m_hbar->setPageStep(m_views[1]->horizontalScrollBar()->pageStep());
        LayoutChildren();
    });
    connect(m_hbar, &QScrollBar::valueChanged, mainH, &QScrollBar::setValue);
    connect(mainH, &QScrollBar::valueChanged, this, [this](int v) {
        m_hbar->setValue(v);
        m_sums[1]->update();
        PlaceFilterEdits();
    });
    for (GridView *v : m_views) {
        connect(v->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
            OnHeaderColumnClick(logical);
        });
        connect(v->horizontalHeader(), &QHeaderView::sectionResized, this, [this, v](int logical, int, int size) {
            if (m_bApplying)
                return;
            if (GridColumn *c = GetColumnsInfo().Column(logical))
                c->width = size;
            for (GridView *other : m_views) {
                if (other != v && other->columnWidth(logical) != size) {
                    m_bApplying = true;
                    other->setColumnWidth(logical, size);
                    m_bApplying = false;
                }
            }
            LayoutChildren();
            PlaceFilterEdits();
            for (GridSumBand *s : m_sums)
                s->update();
        });
        connect(v->horizontalHeader(), &QHeaderView::sectionMoved, this, [this, v](int, int, int) {
            if (m_bApplying || v != m_views[1])
                return;
            // A column dragged in the main view: its display order becomes the grid's.
            std::vector<int> mainOrder;
            QHeaderView *h = v->horizontalHeader();
            for (int vis = 0; vis < h->count(); ++vis) {
                const int logical = h->logicalIndex(vis);
                if (ViewOfColumn(logical) == 1)
                    mainOrder.push_back(logical);
            }
            std::vector<int> order;
            std::size_t k = 0;
            for (int c : m_order) {
                if (ViewOfColumn(c) == 1)
                    order.push_back(mainOrder[k++]);
                else
                    order.push_back(c);
            }
            m_order = order;
            PlaceFilterEdits();
            for (GridView *w : m_views)
                w->viewport()->update();
            for (GridSumBand *s : m_sums)
                s->update();
        });
    }
    connect(m_views[1]->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &cur, const QModelIndex &) {
                if (m_bApplying)
                    return;
                const QModelIndex src = m_proxy->mapToSource(cur);
                GridItemInfo info;
                info.nRow = src.row();
                info.nCol = src.column();
                info.pItem = src.isValid() ? GetItem(GridItemID{src.row(), src.column()}) : nullptr;
                SendToOwnerByName("BCGM_GRID_SEL_CHANGED", reinterpret_cast<LPARAM>(&info));
            });
    SetRowHeight();
    ApplyColumnsToViews();
}

GridCtrl::~GridCtrl()
{
    // The views are deleted with the widget's children, after this grid is gone; their
    // headers must not ask it for sizes then.
    for (GridView *v : m_views) {
        if (!v)
            continue;
        v->setModel(nullptr);
        v->Header()->Detach();
    }
    for (GridRow *row : m_rows)
        delete row;
    m_rows.clear();
    m_modelRows = 0;
}

QObject *GridCtrl::GetOwner() const
{
    if (m_owner)
        return m_owner;
    return parent();
}

int GridCtrl::GetDlgCtrlID() const { return GetCtrlId(this); }

LRESULT GridCtrl::SendToOwner(UINT msg, WPARAM wParam, LPARAM lParam)
{
    QObject *owner = GetOwner();
    if (!owner)
        return 0;
    return SendMessage(WindowRef(owner), msg, wParam, lParam);
}

LRESULT GridCtrl::SendToOwnerByName(const char *registeredName, LPARAM lParam)
{
    return SendToOwner(GridMessage(registeredName), static_cast<WPARAM>(GetDlgCtrlID()), lParam);
}

LRESULT GridCtrl::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    return MessageTarget::WindowProc(msg, wParam, lParam);
}

// -- columns

int GridCtrl::InsertColumn(int pos, const QString &name, int width)
{
    GridColumnsInfo &info = GetColumnsInfo();
    const int n = info.GetColumnCount();
    if (pos < 0 || pos > n)
        pos = n;
    m_model->Reset([&] {
        GridColumn c;
        c.name = name;
        c.width = width;
        info.m_columns.insert(info.m_columns.begin() + pos, c);
        for (int &o : m_order) {
            if (o >= pos)
                ++o;
        }
        m_order.push_back(pos);
        for (GridRow *row : m_rows) {
            if (pos <= row->GetItemCount()) {
                row->m_items.insert(row->m_items.begin() + pos, nullptr);
                for (int i = pos; i < row->GetItemCount(); ++i) {
                    if (row->m_items[i])
                        row->m_items[i]->m_nColumn = i;
                }
            }
        }
    });
    if (m_proxy->sortColumn() < 0)
        m_proxy->sort(0, Qt::AscendingOrder);
    ApplyColumnsToViews();
    return pos;
}

void GridCtrl::DeleteAllColumns()
{
    m_model->Reset([&] {
        GetColumnsInfo().m_columns.clear();
        GetColumnsInfo().m_sort.clear();
        GetColumnsInfo().m_mapHeaderColors.clear();
        m_order.clear();
        m_filterBarList.clear();
        m_columnFilters.clear();
        m_nLeftFrozen = m_nRightFrozen = 0;
    });
    ApplyColumnsToViews();
}

void GridCtrl::SetColumnName(int col, const QString &name)
{
    if (GridColumn *c = GetColumnsInfo().Column(col)) {
        c->name = name;
        for (GridView *v : m_views)
            v->horizontalHeader()->viewport()->update();
    }
}

void GridCtrl::SetColumnWidth(int col, int width)
{
    if (GridColumn *c = GetColumnsInfo().Column(col)) {
        c->width = width;
        m_bApplying = true;
        for (GridView *v : m_views)
            v->setColumnWidth(col, width);
        m_bApplying = false;
        LayoutChildren();
        PlaceFilterEdits();
    }
}

int GridCtrl::CaptionWidth(const QString &caption) const
{
    const QFontMetrics fm(m_font);
    int widest = 0;
    for (const QString &line : caption.split(QLatin1Char('\n')))
        widest = std::max(widest, fm.horizontalAdvance(line));
    // The margins, and room for the sort arrow a click on the header may bring.
    return widest + 2 * kTextMargin + 16;
}

int GridCtrl::CaptionRoom(int col) const
{
    const auto *header = m_views[1] ? static_cast<const GridHeader *>(m_views[1]->horizontalHeader()) : nullptr;
    if (!header)
        return 0;
    return header->TextRect(QRect(0, 0, GetColumnWidth(col), m_nHeaderHeight), col).width();
}

int GridCtrl::GetColumnWidth(int col) const
{
    const GridColumn *c = GetColumnsInfo().Column(col);
    return c ? c->width : 0;
}

void GridCtrl::SetColumnVisible(int col, bool visible)
{
    if (GridColumn *c = GetColumnsInfo().Column(col)) {
        c->visible = visible;
        ApplyColumnsToViews();
    }
}

bool GridCtrl::GetColumnVisible(int col) const
{
    const GridColumn *c = GetColumnsInfo().Column(col);
    return c && c->visible;
}

void GridCtrl::SetColumnAlign(int col, int align)
{
    if (GridColumn *c = GetColumnsInfo().Column(col))
        c->align = align;
}

void GridCtrl::SetHeaderAlign(int col, int align)
{
    if (GridColumn *c = GetColumnsInfo().Column(col))
        c->headerAlign = align;
}

void GridCtrl::EnableColumnHeaderMenuButton(int col, bool enable)
{
    if (GridColumn *c = GetColumnsInfo().Column(col))
        c->headerMenuButton = enable;
}

void GridCtrl::FreezeColumns(int nLeft, int nRight)
{
    const int n = GetColumnCount();
    m_nLeftFrozen = std::clamp(nLeft, 0, n);
    m_nRightFrozen = std::clamp(nRight, 0, n - m_nLeftFrozen);
    ApplyColumnsToViews();
}

int GridCtrl::ViewOfColumn(int col) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), col);
    if (it == m_order.end())
        return 1;
    const int pos = static_cast<int>(it - m_order.begin());
    if (pos < m_nLeftFrozen)
        return 0;
    if (pos >= static_cast<int>(m_order.size()) - m_nRightFrozen)
        return 2;
    return 1;
}

bool GridCtrl::IsColumnFrozen(int col) const { return ViewOfColumn(col) == 0; }

bool GridCtrl::IsColumnRightFrozen(int col) const { return ViewOfColumn(col) == 2; }

std::vector<int> GridCtrl::GetColumnOrderArray() const { return m_order; }

bool GridCtrl::SetColumnOrderArray(const std::vector<int> &order)
{
    std::vector<int> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (int i = 0; i < static_cast<int>(sorted.size()); ++i) {
        if (sorted[i] != i)
            return false;
    }
    if (static_cast<int>(order.size()) != GetColumnCount())
        return false;
    m_order = order;
    ApplyColumnsToViews();
    return true;
}

int GridCtrl::GetFirstDisplayColumn() const
{
    for (int c : m_order) {
        if (GetColumnVisible(c))
            return c;
    }
    return -1;
}

void GridCtrl::EnableDragColumns(bool enable)
{
    m_bDragColumns = enable;
    m_views[1]->horizontalHeader()->setSectionsMovable(enable);
}

bool GridCtrl::DragColumn(int col) { return !IsColumnFrozen(col) && !IsColumnRightFrozen(col); }

void GridCtrl::ApplyColumnsToViews()
{
    m_bApplying = true;
    const GridColumnsInfo &info = GetColumnsInfo();
    const int n = info.GetColumnCount();
    for (GridView *v : m_views) {
        QHeaderView *h = v->horizontalHeader();
        for (int target = 0; target < static_cast<int>(m_order.size()); ++target) {
            const int from = h->visualIndex(m_order[target]);
            if (from >= 0 && from != target)
                h->moveSection(from, target);
        }
        for (int c = 0; c < n; ++c) {
            const bool mine = ViewOfColumn(c) == v->Which() && info.Column(c)->visible;
            v->setColumnHidden(c, !mine);
            if (mine && v->columnWidth(c) != info.Column(c)->width)
                v->setColumnWidth(c, info.Column(c)->width);
        }
        v->verticalHeader()->setDefaultSectionSize(m_nRowHeight);
        h->setFixedHeight(h->sizeHint().height());
        h->setVisible(m_bHeader);
    }
    m_views[0]->verticalHeader()->setVisible(m_bRowHeader);
    m_views[1]->horizontalHeader()->setSectionsMovable(m_bDragColumns);
    m_bApplying = false;
    for (GridView *v : m_views)
        v->updateGeometry();
    RebuildFilterEdits();
    LayoutChildren();
    for (GridView *v : m_views)
        v->viewport()->update();
    for (GridSumBand *s : m_sums)
        s->update();
}

void GridCtrl::LayoutChildren()
{
    const int W = width();
    const int H = height();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int sumH = GetColumnsInfo().m_bShowSumRow ? m_nSumRowHeight : 0;
    int leftCols = 0, rightCols = 0, mainCols = 0;
    for (int c = 0; c < GetColumnCount(); ++c) {
        if (!GetColumnVisible(c))
            continue;
        const int w = GetColumnWidth(c);
        switch (ViewOfColumn(c)) {
        case 0: leftCols += w; break;
        case 2: rightCols += w; break;
        default: mainCols += w; break;
        }
    }
    QHeaderView *rowHeader = m_views[0]->verticalHeader();
    const int vh = m_bRowHeader ? std::max(rowHeader->minimumWidth(), rowHeader->sizeHint().width()) : 0;
    const int leftW = (leftCols || vh) ? vh + leftCols : 0;
    const int gap = rightCols ? 2 : 0;
    const int mainW = std::max(0, W - leftW - rightCols - gap - bar);
    const bool needH = mainCols > mainW;
    const int viewsH = std::max(0, H - sumH - (needH ? bar : 0));
    m_views[0]->setGeometry(0, 0, leftW, viewsH);
    m_views[0]->setVisible(leftW > 0);
    m_views[1]->setGeometry(leftW, 0, mainW, viewsH);
    m_views[2]->setGeometry(leftW + mainW + gap, 0, rightCols, viewsH);
    m_views[2]->setVisible(rightCols > 0);
    const int headerH = m_bHeader ? m_views[1]->horizontalHeader()->height() : 0;
    m_vbar->setGeometry(W - bar, headerH, bar, std::max(0, viewsH - headerH));
    m_hbar->setGeometry(leftW, viewsH + sumH, mainW, bar);
    m_hbar->setVisible(needH);
    const int xs[3] = {0, leftW, leftW + mainW + gap};
    const int ws[3] = {leftW, mainW, rightCols};
    for (int i = 0; i < 3; ++i) {
        m_sums[i]->setGeometry(xs[i], viewsH, ws[i], sumH);
        m_sums[i]->setVisible(sumH > 0 && ws[i] > 0);
    }
    GetColumnsInfo().m_nRightFrozenWidth = rightCols;
    update();
}

void GridCtrl::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    LayoutChildren();
    PlaceFilterEdits();
}

void GridCtrl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), C(kHeaderBack));
    if (m_views[2]->isVisible()) {
        // The double separator at the left of the right-frozen columns.
        const int x = m_views[2]->x();
        p.setPen(C(kSeparator));
        p.drawLine(x - 1, 0, x - 1, height());
        p.drawLine(x - 2, 0, x - 2, height());
    }
}

// -- filter bar edits

QWidget *GridCtrl::OnCreateFilterBarCtrl(int col, const QString &prompt)
{
    auto *edit = new QLineEdit();
    edit->setPlaceholderText(prompt);
    edit->setClearButtonEnabled(true);
    edit->setFrame(true);
    return edit;
}

void GridCtrl::EnableColumnFilterEdit(int col, bool enable)
{
    if (GridColumn *c = GetColumnsInfo().Column(col)) {
        c->filterBarEdit = enable;
        RebuildFilterEdits();
    }
}

void GridCtrl::RebuildFilterEdits()
{
    std::map<int, QString> texts;
    for (auto &[col, w] : m_filterEdits) {
        if (auto *e = qobject_cast<QLineEdit *>(w.data()))
            texts[col] = e->text();
        delete w.data();
    }
    m_filterEdits.clear();
    if (!m_bFilterBar || !m_bHeader)
        return;
    for (int c = 0; c < GetColumnCount(); ++c) {
        const GridColumn *col = GetColumnsInfo().Column(c);
        if (!col->filterBarEdit)
            continue;
        QWidget *w = OnCreateFilterBarCtrl(c, m_strFilterPrompt);
        if (!w)
            continue;
        w->setParent(m_views[ViewOfColumn(c)]->horizontalHeader()->viewport());
        w->setFont(m_font);
        w->installEventFilter(this);
        if (auto *e = qobject_cast<QLineEdit *>(w)) {
            e->setText(texts.count(c) ? texts[c] : QString());
            connect(e, &QLineEdit::textChanged, this, [this, c](const QString &t) { FilterEditTextChanged(c, t); });
            for (QAction *a : e->findChildren<QAction *>()) {
                if (a->objectName() == QLatin1String("_q_qlineeditclearaction"))
                    connect(a, &QAction::triggered, this, [this, c] { OnFilterEditClearButton(c); });
            }
        }
        m_filterEdits[c] = w;
    }
    PlaceFilterEdits();
}

void GridCtrl::PlaceFilterEdits()
{
    for (auto &[c, w] : m_filterEdits) {
        if (!w)
            continue;
        GridView *v = m_views[ViewOfColumn(c)];
        QHeaderView *h = v->horizontalHeader();
        if (w->parent() != h->viewport())
            w->setParent(h->viewport());
        const bool shown = GetColumnVisible(c) && !h->isSectionHidden(c);
        const QRect r(h->sectionViewportPosition(c), m_nHeaderHeight, h->sectionSize(c) - 1, m_nFilterBarHeight - 1);
        w->setGeometry(r);
        // An edit too narrow to type in is hidden.
        w->setVisible(shown && r.width() >= (r.width() < 3 * m_nRowHeight ? m_nRowHeight * 3 / 2 : 0));
    }
}

bool GridCtrl::eventFilter(QObject *o, QEvent *e)
{
    if (e->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(e);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            for (auto &[c, w] : m_filterEdits) {
                if (w == o) {
                    OnFilterBarEnter(c);
                    // The edit has its Enter; it must not travel on to the grid's own.
                    o->event(e);
                    return true;
                }
            }
        }
    }
    return QWidget::eventFilter(o, e);
}

void GridCtrl::FilterEditTextChanged(int col, const QString &text)
{
    if (m_bFilterBarClearing)
        return;
    OnFilterBarChanged(col, text);
}

void GridCtrl::SetFilterBarText(int col, const QString &text)
{
    auto it = m_filterEdits.find(col);
    if (it != m_filterEdits.end()) {
        if (auto *e = qobject_cast<QLineEdit *>(it->second.data())) {
            e->setText(text);
            return;
        }
    }
    OnFilterBarChanged(col, text);
}

QString GridCtrl::GetFilterBarText(int col) const
{
    auto it = m_filterEdits.find(col);
    if (it != m_filterEdits.end()) {
        if (auto *e = qobject_cast<QLineEdit *>(it->second.data()))
            return e->text();
    }
    return QString();
}

int GridCtrl::GetFocusedFilterColumn() const
{
    for (const auto &[c, w] : m_filterEdits) {
        if (w && w->hasFocus())
            return c;
    }
    return -1;
}

QWidget *GridCtrl::FilterEdit(int col) const
{
    auto it = m_filterEdits.find(col);
    return it != m_filterEdits.end() ? it->second.data() : nullptr;
}

void GridCtrl::OnFilterBarChanged(int col, const QString &text)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    auto it = std::find_if(m_filterBarList.begin(), m_filterBarList.end(),
                           [col](const auto &e) { return e.first == col; });
    if (text.isEmpty()) {
        if (it == m_filterBarList.end())
            return;
        m_filterBarList.erase(it);
    } else {
        const QString t = m_bFilterCaseSensitive ? text : text.toLower();
        if (it != m_filterBarList.end()) {
            if (it->second == t)
                return;
            it->second = t;
        } else {
            m_filterBarList.emplace_back(col, t);
        }
    }
    OnFilterBarUpdate(col);
}

void GridCtrl::OnFilterBarUpdate(int) { RefilterNow(); }

void GridCtrl::OnFilterBarClearAll()
{
    m_bFilterBarClearing = true;
    for (auto &[c, w] : m_filterEdits) {
        if (auto *e = qobject_cast<QLineEdit *>(w.data()))
            e->clear();
    }
    m_filterBarList.clear();
    m_bFilterBarClearing = false;
    OnFilterBarUpdate(-1);
    setFocus();
}

bool GridCtrl::FilterItem(const GridRow *row) const
{
    if (IsRowFilteredByFilterBar(row))
        return true;
    if (IsFilterEnabled())
        return m_filterCallback(row, m_filterParam);
    return false;
}

bool GridCtrl::IsRowFilteredByFilterBar(const GridRow *row) const
{
    if (!m_bFilterBar)
        return false;
    for (const auto &[col, text] : m_filterBarList) {
        if (text.isEmpty())
            continue;
        const GridItem *item = row->GetItem(col);
        if (item && IsItemFilteredByFilterBar(item, col, text))
            return true;
    }
    return false;
}

bool GridCtrl::IsItemFilteredByFilterBar(const GridItem *item, int, const QString &text) const
{
    const QString label = item->FormatItem();
    return !label.contains(text, m_bFilterCaseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

void GridCtrl::EnableHeaderFilterMenu(bool enable)
{
    m_bHeaderFilter = enable;
    if (enable) {
        SetFilterCallback(
            [this](const GridRow *row, LPARAM) {
                for (const auto &[col, f] : m_columnFilters) {
                    if (f.bAll)
                        continue;
                    const GridItem *item = row->GetItem(col);
                    if (!f.lstValues.contains(item ? item->FormatItem() : QString()))
                        return true;
                }
                return false;
            },
            0);
    } else {
        m_filterCallback = nullptr;
    }
    m_bCallbackFilter = enable;
    for (GridView *v : m_views)
        v->horizontalHeader()->viewport()->update();
}

bool GridCtrl::IsHeaderMenuButtonEnabled(int col) const
{
    const GridColumn *c = GetColumnsInfo().Column(col);
    return IsFilterEnabled() && m_bHeaderFilter && c && c->headerMenuButton;
}

int GridCtrl::GetHeaderMenuButtonImageIndex(int col, bool bSortArrow) const
{
    auto it = m_columnFilters.find(col);
    int image = (it == m_columnFilters.end() || it->second.bAll) ? 0 : 3;
    if (bSortArrow) {
        const int state = GetColumnsInfo().GetColumnState(col);
        if (state > 0)
            image += 1;
        else if (state < 0)
            image += 2;
    }
    return image;
}

void GridCtrl::SetColumnFilter(const FilterColumnInfo &filter)
{
    if (filter.bAll)
        m_columnFilters.erase(filter.nCol);
    else
        m_columnFilters[filter.nCol] = filter;
    RefilterNow();
}

void GridCtrl::GetColumnValuesList(int col, QStringList &values) const
{
    Flush();
    QSet<QString> seen;
    for (const GridRow *row : m_rows) {
        if (const GridItem *item = row->GetItem(col))
            seen.insert(item->FormatItem());
    }
    values = QStringList(seen.begin(), seen.end());
    values.sort();
}

void GridCtrl::ShowFilterMenu(UINT cmdId, int col, const QStringList &values, const QPoint &pt)
{
    auto *popup = new FilterPopup(this, cmdId, col, values);
    QPoint at = pt;
    if (at == QPoint(-1, -1)) {
        const QRect r = GetHeaderSectionRect(col);
        at = mapToGlobal(QPoint(r.left(), r.bottom()));
    }
    popup->move(at);
    popup->show();
}

void GridCtrl::ApplyFilterMenu(UINT cmdId, const FilterColumnInfo &filter)
{
    SetColumnFilter(filter);
    SendMessage(WindowRef(static_cast<MessageTarget *>(this)), WM_COMMAND, cmdId, 0);
}

void GridCtrl::RefilterNow()
{
    Flush();
    m_proxy->Refilter();
    if (!m_groupCols.empty() && GetColumnCount() > 0)
        m_proxy->Resort();
    UpdateGroupLayout();
    LayoutChildren();
    for (GridView *v : m_views)
        v->viewport()->update();
}

void GridCtrl::ResortNow()
{
    Flush();
    if (GetColumnCount() > 0)
        m_proxy->Resort();
    UpdateGroupLayout();
    for (GridView *v : m_views) {
        v->viewport()->update();
        v->horizontalHeader()->viewport()->update();
    }
}

// -- rows

GridRow *GridCtrl::CreateRow() { return new GridRow(0); }

GridRow *GridCtrl::CreateRow(int nColumns)
{
    GridRow *row = CreateRow();
    for (int i = row->GetItemCount(); i < nColumns; ++i)
        row->AddItem(new GridItem());
    return row;
}

void GridCtrl::AddRow(GridRow *row, bool bRedraw)
{
    if (!row)
        return;
    row->m_pGrid = this;
    row->m_nIdRow = static_cast<int>(m_rows.size());
    m_rows.push_back(row);
    if (bRedraw) {
        Flush();
    } else if (!m_flushQueued) {
        m_flushQueued = true;
        QTimer::singleShot(0, this, [this] { Flush(); });
    }
}

void GridCtrl::Flush() const
{
    m_flushQueued = false;
    if (m_modelRows < static_cast<int>(m_rows.size()))
        m_model->Announce(static_cast<int>(m_rows.size()));
}

void GridCtrl::RemoveAll()
{
    for (GridView *v : m_views) {
        if (v->IsEditing())
            EndEditItem(false);
    }
    m_model->Reset([&] {
        for (GridRow *row : m_rows)
            delete row;
        m_rows.clear();
        m_modelRows = 0;
    });
    m_groupCaptions.clear();
    m_bandRows.clear();
}

GridRow *GridCtrl::GetRow(int nRow) const
{
    return nRow >= 0 && nRow < static_cast<int>(m_rows.size()) ? m_rows[nRow] : nullptr;
}

int GridCtrl::GetRowCount() const { return static_cast<int>(m_rows.size()); }

int GridCtrl::GetVisibleRowCount() const
{
    Flush();
    return m_proxy->rowCount();
}

int GridCtrl::ViewRowToRow(int viewRow) const
{
    Flush();
    const QModelIndex src = m_proxy->mapToSource(m_proxy->index(viewRow, 0));
    return src.isValid() ? src.row() : -1;
}

int GridCtrl::RowToViewRow(int row) const
{
    Flush();
    if (row < 0 || row >= m_modelRows || GetColumnCount() == 0)
        return -1;
    const QModelIndex p = m_proxy->mapFromSource(m_model->index(row, 0));
    return p.isValid() ? p.row() : -1;
}

GridItem *GridCtrl::GetItem(const GridItemID &id) const
{
    GridRow *row = GetRow(id.m_nRow);
    return row ? row->GetItem(id.m_nColumn) : nullptr;
}

// -- selection

void GridCtrl::SetCurSel(const GridItemID &id, bool, SelectMode mode)
{
    Flush();
    QItemSelectionModel *sel = m_views[1]->selectionModel();
    if (id.m_nRow < 0) {
        sel->clearSelection();
        sel->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
        m_selectedColumns.clear();
        for (GridView *v : m_views)
            v->horizontalHeader()->viewport()->update();
        return;
    }
    int col = id.m_nColumn >= 0 ? id.m_nColumn : GetFirstDisplayColumn();
    const QModelIndex p = m_proxy->mapFromSource(m_model->index(id.m_nRow, std::max(0, col)));
    if (!p.isValid())
        return;
    const QItemSelectionModel::SelectionFlags rows =
        (m_bWholeRow || id.m_nColumn < 0) ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
    if (mode == SelectExtend && sel->currentIndex().isValid()) {
        const QModelIndex from = sel->currentIndex();
        const QItemSelection range(m_proxy->index(std::min(from.row(), p.row()), std::min(from.column(), p.column())),
                                   m_proxy->index(std::max(from.row(), p.row()), std::max(from.column(), p.column())));
        sel->select(range, QItemSelectionModel::Select | rows);
        sel->setCurrentIndex(p, QItemSelectionModel::NoUpdate);
        return;
    }
    if (mode == SelectAdd) {
        sel->setCurrentIndex(p, QItemSelectionModel::Toggle | rows);
        return;
    }
    sel->setCurrentIndex(p, QItemSelectionModel::ClearAndSelect | rows);
}

GridItemID GridCtrl::GetCurSelItemID() const
{
    const QModelIndex cur = m_views[1]->selectionModel()->currentIndex();
    if (!cur.isValid())
        return GridItemID{};
    const QModelIndex src = m_proxy->mapToSource(cur);
    return GridItemID{src.row(), src.column()};
}

GridRow *GridCtrl::GetCurSel() const { return GetRow(GetCurSelItemID().m_nRow); }

GridItem *GridCtrl::GetCurSelItem() const { return GetItem(GetCurSelItemID()); }

void GridCtrl::SelectColumn(int col, bool select)
{
    std::erase(m_selectedColumns, col);
    if (select)
        m_selectedColumns.push_back(col);
    for (GridView *v : m_views)
        v->horizontalHeader()->viewport()->update();
}

bool GridCtrl::IsColumnSelected(int col) const
{
    return std::find(m_selectedColumns.begin(), m_selectedColumns.end(), col) != m_selectedColumns.end();
}

void GridCtrl::SetWholeRowSel(bool b)
{
    m_bWholeRow = b;
    for (GridView *v : m_views)
        v->setSelectionBehavior(b ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

void GridCtrl::EnsureVisible(int nRow)
{
    const int vr = RowToViewRow(nRow);
    if (vr >= 0)
        m_views[1]->scrollTo(m_proxy->index(vr, std::max(0, GetFirstDisplayColumn())));
}

// -- switches

void GridCtrl::EnableHeader(bool enable)
{
    m_bHeader = enable;
    ApplyColumnsToViews();
}

void GridCtrl::EnableRowHeader(bool enable)
{
    m_bRowHeader = enable;
    ApplyColumnsToViews();
}

void GridCtrl::EnableCheckBoxes(bool enable)
{
    m_bCheckBoxes = enable;
    RedrawAll();
}

void GridCtrl::EnableAlternateRows(bool enable)
{
    m_bAlternateRows = enable;
    RedrawAll();
}

void GridCtrl::SetReadOnly(bool ro) { m_bReadOnly = ro; }

void GridCtrl::EnableFilterBar(bool enable, const QString &prompt)
{
    m_bFilterBar = enable;
    m_strFilterPrompt = prompt;
    if (!enable)
        m_filterBarList.clear();
    ApplyColumnsToViews();
    RefilterNow();
}

void GridCtrl::SetGridFont(const QFont &font)
{
    m_font = font;
    for (auto &[c, w] : m_filterEdits) {
        if (w)
            w->setFont(font);
    }
    SetRowHeight();
}

void GridCtrl::SetColorTheme(const ColorTheme &theme, bool bRedraw)
{
    m_theme = theme;
    if (bRedraw)
        RedrawAll();
}

void GridCtrl::SetRowHeight()
{
    const QFontMetrics fm(m_font);
    m_nRowHeight = fm.height() + 2 * 2;
    for (GridView *v : m_views)
        v->verticalHeader()->setDefaultSectionSize(m_nRowHeight);
    PlaceFilterEdits();
}

void GridCtrl::SetHeaderHeight(int h)
{
    m_nHeaderHeight = h;
    ApplyColumnsToViews();
}

void GridCtrl::SetFilterBarHeight(int h)
{
    m_nFilterBarHeight = h;
    ApplyColumnsToViews();
}

void GridCtrl::ShowSumRow(bool show)
{
    GetColumnsInfo().m_bShowSumRow = show;
    LayoutChildren();
    for (GridSumBand *s : m_sums)
        s->update();
}

void GridCtrl::SetSumRowHeight(int h)
{
    m_nSumRowHeight = h;
    LayoutChildren();
}

void GridCtrl::SetSumRowCaption(const QString &caption)
{
    GetColumnsInfo().m_strSumRowCaption = caption;
    m_sums[0]->update();
}

// -- sorting, header clicks, check boxes

void GridCtrl::Sort(int col, bool bAscending, bool bAdd)
{
    GetColumnsInfo().SetSortColumn(col, bAscending, bAdd);
    ResortNow();
}

void GridCtrl::RemoveSortColumns()
{
    GetColumnsInfo().RemoveAllSortColumns();
    ResortNow();
}

void GridCtrl::OnHeaderColumnClick(int col)
{
    if (!m_bSortOnHeaderClick || col < 0 || col >= GetColumnCount())
        return;
    const bool add = QApplication::keyboardModifiers() & Qt::ControlModifier;
    Sort(col, GetColumnsInfo().GetColumnState(col) <= 0, add);
}

void GridCtrl::OnHeaderCheckBoxClick(int)
{
    GetColumnsInfo().SetCheckBoxState(!GetColumnsInfo().GetCheckBoxState());
    for (GridView *v : m_views)
        v->horizontalHeader()->viewport()->update();
}

void GridCtrl::OnHeaderMenuButtonClick(int col, const QRect &)
{
    QStringList values;
    GetColumnValuesList(col, values);
    ShowFilterMenu(0, col, values, QPoint(-1, -1));
}

void GridCtrl::OnRowCheckBoxClick(GridRow *row)
{
    row->ToggleCheck();
    RedrawAll();
}

void GridCtrl::CheckAll(bool check)
{
    for (GridRow *row : m_rows)
        row->SetCheck(check);
    RedrawAll();
}

// -- editing and keys

bool GridView::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    if (auto *edit = qobject_cast<QLineEdit *>(indexWidget(index) ? indexWidget(index) : focusWidget())) {
        GridItem *item = g ? g->GetEditingItem() : nullptr;
        if (item && item->GetInPlaceWnd() == edit && !g->SelectAllOnEdit(item))
            edit->end(false);
    }
    return true;
}

bool GridCtrl::EditItem(const GridItemID &id)
{
    Flush();
    if (id.IsNull() || !GetItem(id))
        return false;
    const QModelIndex p = m_proxy->mapFromSource(m_model->index(id.m_nRow, id.m_nColumn));
    if (!p.isValid())
        return false;
    GridView *v = m_views[ViewOfColumn(id.m_nColumn)];
    v->selectionModel()->setCurrentIndex(p, QItemSelectionModel::ClearAndSelect);
    v->setFocus();
    return v->Edit(p) && GetItem(id)->IsInPlaceEditing();
}

GridItem *GridCtrl::GetEditingItem() const
{
    const GridItemID cur = GetCurSelItemID();
    GridItem *item = GetItem(cur);
    if (item && item->IsInPlaceEditing())
        return item;
    return nullptr;
}

bool GridCtrl::IsEditing() const { return GetEditingItem() != nullptr; }

void GridCtrl::EndEditItem(bool bUpdateData)
{
    GridItem *item = GetEditingItem();
    if (!item)
        return;
    QWidget *editor = item->GetInPlaceWnd();
    GridView *v = m_views[ViewOfColumn(item->GetColumnId())];
    if (bUpdateData)
        v->Commit(editor);
    v->Close(editor);
}

bool GridCtrl::CanEndInplaceEditOnChar(int key, Qt::KeyboardModifiers) const
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

bool GridCtrl::PreTranslateKey(int key, Qt::KeyboardModifiers mods, const QString &text)
{
    if (text.isEmpty() || (mods & Qt::ControlModifier) || key == Qt::Key_Return || key == Qt::Key_Enter
        || key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return false;
    GridItem *item = GetCurSelItem();
    GridRow *row = GetCurSel();
    if (!item || !row || !row->CanEditRow() || m_bReadOnly)
        return false;
    const QChar ch = text.at(0);
    if (!ch.isPrint())
        return false;
    if (item->CanEditInPlace() && item->IsAllowEdit() && !item->IsRestrictToList()) {
        // Typing starts the editor with the typed character in place of the value.
        if (EditItem(item->GetGridItemID())) {
            item->SetInPlaceText(text);
            return true;
        }
    }
    item->PushChar(ch);
    return true;
}

void GridCtrl::GoToNextItem(int how)
{
    Flush();
    const QModelIndex cur = m_views[1]->selectionModel()->currentIndex();
    if (!cur.isValid())
        return;
    int r = cur.row();
    const std::vector<int> order = m_order;
    auto pos = std::find(order.begin(), order.end(), m_proxy->mapToSource(cur).column());
    int p = pos == order.end() ? 0 : static_cast<int>(pos - order.begin());
    auto step = [&](int d) {
        for (int q = p + d; q >= 0 && q < static_cast<int>(order.size()); q += d) {
            if (GetColumnVisible(order[q])) {
                p = q;
                return;
            }
        }
    };
    switch (how) {
    case 0x11: step(-1); break;
    case 0x22: step(1); break;
    case 0x101: r = std::max(0, r - 1); break;
    case 0x202: r = std::min(m_proxy->rowCount() - 1, r + 1); break;
    default: break;
    }
    const QModelIndex next = m_proxy->index(r, order.empty() ? 0 : order[p]);
    m_views[1]->selectionModel()->setCurrentIndex(next, QItemSelectionModel::ClearAndSelect);
}

void GridCtrl::OnEditorCommitted(GridItem *item, bool changed)
{
    if (changed)
        item->SetItemChanged();
    else
        RedrawItem(item);
}

void GridCtrl::OnItemChanged(GridItem *item, int nRow, int nColumn)
{
    GridItemInfo info;
    info.pItem = item;
    info.nRow = nRow;
    info.nCol = nColumn;
    SendToOwnerByName("BCGM_GRID_ITEM_CHANGED", reinterpret_cast<LPARAM>(&info));
}

void GridCtrl::NotifyBeginEdit(GridItem *item)
{
    GridItemInfo info;
    info.pItem = item;
    info.nRow = item->GetGridItemID().m_nRow;
    info.nCol = item->GetColumnId();
    SendToOwnerByName("BCGM_GRID_ITEM_BEGININPLACEEDIT", reinterpret_cast<LPARAM>(&info));
}

void GridCtrl::NotifyEndEdit(GridItem *item)
{
    GridItemInfo info;
    info.pItem = item;
    info.nRow = item->GetGridItemID().m_nRow;
    info.nCol = item->GetColumnId();
    SendToOwnerByName("BCGM_GRID_ITEM_ENDINPLACEEDIT", reinterpret_cast<LPARAM>(&info));
}

QString GridCtrl::GetRowNumber(const GridRow *row) const
{
    if (!row || row->GetRowId() < 0)
        return QString();
    return QString::number(row->GetRowId() + 1);
}

// -- geometry

GridItemID GridCtrl::HitTest(const QPoint &pt) const
{
    for (GridView *v : m_views) {
        if (!v->isVisible())
            continue;
        const QPoint vp = v->viewport()->mapFrom(this, pt);
        if (!v->viewport()->rect().contains(vp))
            continue;
        const QModelIndex p = v->indexAt(vp);
        if (!p.isValid())
            return GridItemID{};
        const QModelIndex src = m_proxy->mapToSource(p);
        return GridItemID{src.row(), src.column()};
    }
    return GridItemID{};
}

QRect GridCtrl::GetItemRect(const GridItemID &id) const
{
    if (id.IsNull() || id.m_nRow >= m_modelRows)
        return QRect();
    const QModelIndex p = m_proxy->mapFromSource(m_model->index(id.m_nRow, id.m_nColumn));
    if (!p.isValid())
        return QRect();
    GridView *v = m_views[ViewOfColumn(id.m_nColumn)];
    const QRect r = m_delegate->ValueRect(v->visualRect(p), id.m_nColumn);
    if (r.isEmpty())
        return QRect();
    return QRect(v->viewport()->mapTo(this, r.topLeft()), r.size());
}

QRect GridCtrl::GetHeaderSectionRect(int col) const
{
    if (col < 0 || col >= GetColumnCount())
        return QRect();
    GridView *v = m_views[ViewOfColumn(col)];
    auto *h = v->Header();
    const QRect r = h->SectionRect(col);
    return QRect(h->viewport()->mapTo(this, r.topLeft()), r.size());
}

QRect GridCtrl::GetSumCellRect(int col) const
{
    if (col < 0 || col >= GetColumnCount() || !GetColumnsInfo().m_bShowSumRow)
        return QRect();
    const int w = ViewOfColumn(col);
    GridView *v = m_views[w];
    const int x = m_sums[w]->x() + v->viewport()->geometry().left() + v->columnViewportPosition(col);
    return QRect(x, m_sums[w]->y(), v->columnWidth(col), m_sums[w]->height());
}

QRect GridCtrl::GetFilterEditRect(int col) const
{
    QWidget *w = FilterEdit(col);
    if (!w || !w->isVisible())
        return QRect();
    return QRect(w->parentWidget()->mapTo(this, w->geometry().topLeft()), w->size());
}

void GridCtrl::AdjustLayout()
{
    Flush();
    if (!m_groupCols.empty() || !m_bandRows.empty()) {
        // Rows added since the last layout join their groups.
        if (GetColumnCount() > 0)
            m_proxy->Resort();
        UpdateGroupLayout();
    }
    LayoutChildren();
    PlaceFilterEdits();
    RedrawAll();
}

// -- grouping

void GridCtrl::InsertGroupColumn(int pos, int col)
{
    if (col < 0 || col >= GetColumnCount())
        return;
    std::erase(m_groupCols, col);
    pos = std::clamp(pos, 0, static_cast<int>(m_groupCols.size()));
    m_groupCols.insert(m_groupCols.begin() + pos, col);
}

void GridCtrl::RemoveGroupColumn(int col) { std::erase(m_groupCols, col); }

void GridCtrl::RemoveAllGroupColumns() { m_groupCols.clear(); }

int GridCtrl::GetGroupColumn(int pos) const
{
    return pos >= 0 && pos < static_cast<int>(m_groupCols.size()) ? m_groupCols[pos] : -1;
}

QString GridCtrl::GetGroupName(int, const GridItem *item) const { return item ? item->FormatItem() : QString(); }

QString GridCtrl::GroupKey(int row) const
{
    QString key;
    const GridRow *r = GetRow(row);
    for (int col : m_groupCols) {
        const GridItem *item = r ? r->GetItem(col) : nullptr;
        key += item ? item->FormatItem() : QString();
        key += QChar(0x1F);  // unit separator: "a"+"bc" and "ab"+"c" stay apart
    }
    return key;
}

int GridCtrl::GroupBandHeight(int viewRow) const
{
    return std::binary_search(m_bandRows.begin(), m_bandRows.end(), viewRow) ? m_nRowHeight : 0;
}

void GridCtrl::UpdateGroupLayout()
{
    const std::vector<int> oldBands = std::move(m_bandRows);
    m_bandRows.clear();
    m_groupCaptions.clear();
    if (!m_groupCols.empty()) {
        const int n = m_proxy->rowCount();
        QString previous;
        for (int vr = 0; vr < n; ++vr) {
            const int row = ViewRowToRow(vr);
            const QString key = GroupKey(row);
            if (vr > 0 && key == previous)
                continue;
            previous = key;
            m_bandRows.push_back(vr);
            const GridRow *r = GetRow(row);
            m_groupCaptions.emplace_back(vr, GetGroupName(m_groupCols.front(), r ? r->GetItem(m_groupCols.front()) : nullptr));
        }
    }
    for (GridView *v : m_views) {
        QHeaderView *vh = v->verticalHeader();
        for (int vr : oldBands) {
            if (vr < vh->count())
                vh->resizeSection(vr, m_nRowHeight);
        }
        for (int vr : m_bandRows)
            vh->resizeSection(vr, 2 * m_nRowHeight);
        v->viewport()->update();
    }
}

void GridCtrl::RedrawItem(const GridItem *item)
{
    if (!item || !item->GetParentRow())
        return;
    m_model->CellChanged(item->GetParentRow()->GetRowId(), item->GetColumnId());
}

void GridCtrl::RedrawAll()
{
    for (GridView *v : m_views) {
        v->viewport()->update();
        v->horizontalHeader()->viewport()->update();
    }
    for (GridSumBand *s : m_sums)
        s->update();
}

QTableView *GridCtrl::View(int which) const { return which >= 0 && which < 3 ? m_views[which] : nullptr; }

QAbstractItemModel *GridCtrl::Model() const { return m_model; }

QAbstractItemModel *GridCtrl::ProxyModel() const { return m_proxy; }

}
