#include "grid/DlgGridCtrlTableStyle.h"

#include "DlgDesktop.h"
#include "PopupMenu.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr int kRowHeightMin = 20, kRowHeightMax = 50;
constexpr int kFontMin = 9, kFontMax = 100;

// The check boxes bound to table options.
struct OptionBox {
    int id;
    const char *text;
    bool CGridTableAttribute::*option;
};
const OptionBox kOptionBoxes[] = {
    {1964, "显示筛选栏", &CGridTableAttribute::isShowSortBar},
    {1965, "允许排序", &CGridTableAttribute::isAllowSort},
    {1966, "整行选择", &CGridTableAttribute::isWholeRowSelect},
    {1967, "多行选择", &CGridTableAttribute::isMultiRowSelect},
    {1977, "多行选择单击选中", &CGridTableAttribute::IsMultiRowSelectNoLoseFocus},
    {1976, "显示合计栏", &CGridTableAttribute::isShowSumBar},
    {1979, "标题过滤", &CGridTableAttribute::isShowTitleFilter},
    {1981, "允许列标题拖动", &CGridTableAttribute::isEnableDragCol},
    {1982, "横向打印", &CGridTableAttribute::isPrintLandscape},
};

int WToI(const QString &text) { return static_cast<int>(std::strtol(text.toLatin1().constData(), nullptr, 10)); }

QString Cell(const CGridRowData &row, const char *key)
{
    auto it = row.find(QString::fromLatin1(key));
    return it != row.end() ? it->second.m_strValue : QString();
}

void SetCell(CGridRowData &row, const char *key, const QString &value)
{
    auto it = row.find(QString::fromLatin1(key));
    if (it != row.end())
        it->second.m_strValue = value;
}

// The lists in the current language: made at each use, so a language switch reaches them.
QStringList Texts(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *t : texts)
        list.push_back(TrText(QString::fromUtf8(t)));
    return list;
}

// An edit with a spin: a step of one moves the value by one but not past a bound (a value
// already beyond it goes to the bound), a typed value beyond a bound becomes the bound when the
// edit is taken, other steps leave the value alone.
class BoundedSpinBox : public QSpinBox
{
public:
    BoundedSpinBox(int lo, int hi, QWidget *parent) : QSpinBox(parent), m_lo(lo), m_hi(hi)
    {
        // Wide enough that any typed number is taken, and then bounded.
        setRange(0, 99999);
        setKeyboardTracking(false);
    }
    void stepBy(int steps) override
    {
        const int v = value();
        if (steps == -1)
            setValue(v <= m_lo ? m_lo : v - 1);
        else if (steps == 1)
            setValue(v >= m_hi ? m_hi : v + 1);
    }

protected:
    int valueFromText(const QString &text) const override
    {
        return std::clamp(QSpinBox::valueFromText(text), m_lo, m_hi);
    }
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }

private:
    int m_lo;
    int m_hi;
};

// The edited cells a fresh style row takes from the row the user edited.
const char *const kEditableCells[] = {"strColShowName", "iColWidth", "iLock", "isShow", "strColFormat",
                                      "isEdit", "enColSumType", "enSerchType", "iColFont", "IsFontWeight",
                                      "isEnableFilter", "strColDestribution", "batchEdit"};

}

QStringList CDlgGridCtrlTableStyle::LockOptions()
{
    const QStringList list = Texts({"不锁定", "锁定在左侧", "锁定在右侧"});
    return list;
}
QStringList CDlgGridCtrlTableStyle::FormatOptions()
{
    const QStringList list = Texts({"", "yyy-MM-dd", "HH-mm-ss", "N0", "N1", "N2", "N3", "N4", "#", "#.0"});
    return list;
}
QStringList CDlgGridCtrlTableStyle::SumOptions()
{
    const QStringList list = Texts({"无", "求和", "计数", "求平均值"});
    return list;
}
QStringList CDlgGridCtrlTableStyle::SearchOptions()
{
    const QStringList list = Texts({"包含", "相等"});
    return list;
}
QStringList CDlgGridCtrlTableStyle::FontOptions()
{
    const QStringList list = Texts({"9", "10", "11", "12", "13", "14", "15"});
    return list;
}

int CDlgGridCtrlTableStyle::FindOptionIndex(const QString &text, const QStringList &options)
{
    const int i = static_cast<int>(options.indexOf(text));
    return i < 0 ? 0 : i;
}

CDlgGridCtrlTableStyle::CDlgGridCtrlTableStyle() : CDialogExMid(IDD, nullptr)
{
    m_strLangSection = QStringLiteral("CDlgGridCtrlTableStyle");
    setWindowTitle(QString::fromUtf8("表格样式"));
    BuildControls();
}

CDlgGridCtrlTableStyle::~CDlgGridCtrlTableStyle()
{
    delete m_pStyleGrid;
    m_pStyleGrid = nullptr;
}

void CDlgGridCtrlTableStyle::FitRowsToTexts()
{
    // Each row of boxes and captions left to right: a control is as wide as its text needs in
    // the language, and the ones after it move along.
    static const std::vector<std::vector<int>> rows = {
        {1964, 1965, 1966, 1967, 1977, 1976, 1979, 1981, 1982},
        {1970, 1969, 1973, 1972, 1988, 1989, 1990, 1991, 1992, 1993, 1994, 1995},
        {1974, 1975, 1985},
        {1986, 1987},
    };
    const int gap = MapDialogRect(QRect(0, 0, 4, 0)).width();
    for (const std::vector<int> &row : rows) {
        int right = 0;
        for (int id : row) {
            QWidget *w = platform::FindCtrl(this, id);
            if (!w)
                continue;
            QRect g = w->geometry();
            if (qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w))
                g.setWidth(std::max(g.width(), w->sizeHint().width()));
            if (right > 0 && g.left() < right + gap)
                g.moveLeft(right + gap);
            w->setGeometry(g);
            right = g.right() + 1;
        }
    }
}

QCheckBox *CDlgGridCtrlTableStyle::Check(int id) const
{
    return qobject_cast<QCheckBox *>(platform::FindCtrl(const_cast<CDlgGridCtrlTableStyle *>(this), id));
}

void CDlgGridCtrlTableStyle::BuildControls()
{
    resize(MapDialogRect(QRect(0, 0, 885, 426)).size());
    auto place = [this](QWidget *w, int id, int x, int y, int cx, int cy) {
        platform::SetCtrlId(w, id);
        w->setGeometry(MapDialogRect(QRect(x, y, cx, cy)));
        return w;
    };
    auto check = [&](int id, const char *text, int x, int y, int cx = 75) {
        auto *box = new QCheckBox(QString::fromUtf8(text), this);
        place(box, id, x, y, cx, 12);
        return box;
    };
    auto label = [&](int id, const char *text, int x, int y, int cx) {
        place(new QLabel(QString::fromUtf8(text), this), id, x, y + 2, cx, 10);
    };
    place(new QGroupBox(QString::fromUtf8("表格属性设置"), this), 1962, 7, 5, 871, 80);
    place(new QGroupBox(QString::fromUtf8("表格字段设置"), this), 1963, 7, 90, 871, 306);

    int x = 15;
    for (const OptionBox &o : kOptionBoxes) {
        const int cx = o.id == 1977 || o.id == 1981 ? 90 : 72;
        check(o.id, o.text, x, 18, cx);
        x += cx + 6;
    }

    label(1970, "行高", 15, 40, 25);
    m_spinRowHeight = new BoundedSpinBox(kRowHeightMin, kRowHeightMax, this);
    place(m_spinRowHeight, 1969, 42, 40, 45, 14);
    label(1973, "字体", 100, 40, 25);
    m_spinFont = new BoundedSpinBox(kFontMin, kFontMax, this);
    place(m_spinFont, 1972, 127, 40, 45, 14);
    label(1988, "分页每页行数", 185, 40, 55);
    m_editPageRows = new QLineEdit(this);
    place(m_editPageRows, 1989, 242, 40, 45, 14);
    label(1990, "主要排序", 300, 40, 40);
    m_comboMainSort = new QComboBox(this);
    place(m_comboMainSort, 1991, 342, 40, 110, 14);
    check(1992, "升序", 457, 41, 40);
    label(1993, "次要排序", 510, 40, 40);
    m_comboSecondSort = new QComboBox(this);
    place(m_comboSecondSort, 1994, 552, 40, 110, 14);
    check(1995, "升序", 667, 41, 40);
    check(1974, "显示全选", 15, 62);
    check(1975, "编辑全选", 95, 62);
    // On the short row: the option boxes above fill theirs in every language.
    check(1985, "更新服务器表格样式", 175, 62, 100);

    check(1986, "已显示项", 15, 102, 70);
    check(1987, "未显示项", 95, 102, 70);
    m_placeholder = new QLabel(this);
    place(m_placeholder, 1978, 15, 118, 855, 272);

    auto button = [&](int id, const char *text, int x, int cx = 80) {
        auto *b = new QPushButton(QString::fromUtf8(text), this);
        place(b, id, x, 403, cx, 16);
        b->setAutoDefault(false);
        return b;
    };
    m_btnInitUser = button(1984, "初始化用户样式", 7);
    m_btnInitSystem = button(1983, "初始化系统样式", 95);
    m_btnSaveSystem = button(1980, "保存到系统样式", 183);
    QPushButton *ok = button(1, "确定", 740, 60);
    QPushButton *cancel = button(2, "取消", 808, 60);

    connect(ok, &QPushButton::clicked, this, [this] { OnBnClickedOk(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(Check(1974), &QCheckBox::clicked, this, [this] { OnBnClickedSelectAllShow(); });
    connect(Check(1975), &QCheckBox::clicked, this, [this] { OnBnClickedSelectAllEdit(); });
    connect(Check(1986), &QCheckBox::clicked, this, [this] { OnBnClickedShownFilter(); });
    connect(Check(1987), &QCheckBox::clicked, this, [this] { OnBnClickedShownFilter(); });
    connect(m_btnSaveSystem, &QPushButton::clicked, this, [this] { OnBnClickedSaveSystemStyle(); });
    connect(m_btnInitSystem, &QPushButton::clicked, this, [this] { OnBnClickedInitSystemStyle(); });
    connect(m_btnInitUser, &QPushButton::clicked, this, [this] { OnBnClickedInitUserStyle(); });
    connect(m_spinRowHeight, &QSpinBox::valueChanged, this, [this] { OnRowHeightEdited(); });
    connect(m_spinFont, &QSpinBox::valueChanged, this, [this] { OnFontEdited(); });
}

void CDlgGridCtrlTableStyle::SetTableAttribute(const QString &tableId, const CGridTableAttribute &attr)
{
    m_strTableID = tableId.trimmed();
    m_TableAttribute = attr;
    m_arrShownAtOpen.clear();
    for (const auto &[id, col] : m_TableAttribute.m_mapColumns) {
        if (col.isShow)
            m_arrShownAtOpen.push_back(col.strColID);
    }
}

bool CDlgGridCtrlTableStyle::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    FitRowsToTexts();
    CreateStyleGrid();
    LoadOptionControls();
    m_nPageRowsAtOpen = m_nPageRows;
    m_strMainSortAtOpen = m_TableAttribute.mainSortField;
    m_bMainSortDescAtOpen = m_TableAttribute.isMainSortDesc;
    m_strSecondSortAtOpen = m_TableAttribute.secondSortField;
    m_bSecondSortDescAtOpen = m_TableAttribute.isSecondSortDesc;
    m_bShowSumBarAtOpen = m_TableAttribute.isShowSumBar;
    m_btnSaveSystem->hide();
    m_btnInitSystem->hide();
    m_btnInitUser->show();
    return true;
}

LRESULT CDlgGridCtrlTableStyle::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == UM_GRID_CELL_RCLICK)
        return OnGridCellRClick(wParam, lParam);
    if (msg == WM_COMMAND && (wParam & 0xFFFF) == ID_SET_MAIN_SORT) {
        OnSetMainSortField();
        return 0;
    }
    if (msg == WM_COMMAND && (wParam & 0xFFFF) == ID_SET_SECOND_SORT) {
        OnSetSecondSortField();
        return 0;
    }
    return CDialogExMid::WindowProc(msg, wParam, lParam);
}

// ---- rows ------------------------------------------------------------------------------------

void CDlgGridCtrlTableStyle::BuildStyleRows(CGridRowDataMap &rows)
{
    rows.clear();
    const QStringList lockList = LockOptions();
    const std::vector<QString> lock(lockList.begin(), lockList.end());
    const QStringList formatList = FormatOptions();
    const std::vector<QString> format(formatList.begin(), formatList.end());
    const QStringList sumList = SumOptions();
    const std::vector<QString> sum(sumList.begin(), sumList.end());
    const QStringList searchList = SearchOptions();
    const std::vector<QString> search(searchList.begin(), searchList.end());
    const QStringList fontList = FontOptions();
    const std::vector<QString> font(fontList.begin(), fontList.end());
    std::int64_t key = 0;
    for (const auto &[n, id] : m_TableAttribute.m_mapColumnOrder) {
        auto it = m_TableAttribute.m_mapColumns.find(id);
        if (it == m_TableAttribute.m_mapColumns.end())
            continue;
        CGridColumnAttribute &c = it->second;
        if (c.iLock >= 3)
            c.iLock = 0;
        // Values past the end of their list show, and are stored as, the first entry.
        const int sumType = c.enColSumType < sum.size() ? c.enColSumType : 0;
        const int searchType = c.enSerchType < search.size() ? c.enSerchType : 0;
        auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
        CGridRowData row;
        InsertGridCellData("strColID", c.strColID, row, 0, 0, -1);
        InsertGridCellData("strColShowName", ShownColumnCaption(c.strColShowName), row, 0, 0, -1);
        InsertGridCellData("iColWidth", QString::number(c.iColWidth), row, 1, 0, -1);
        InsertGridCellData("isShow", flag(c.isShow), row, 1, 1, -1);
        InsertGridCellData("isEdit", flag(c.isEdit), row, 1, 1, -1);
        InsertGridCellData("iLock", lock[c.iLock], row, 0, 2, -1, {}, lock);
        InsertGridCellData("strColFormat", c.strColFormat, row, 0, 2, -1, {}, format);
        InsertGridCellData("enColSumType", sum[sumType], row, 0, 2, -1, {}, sum);
        InsertGridCellData("enSerchType", search[searchType], row, 0, 2, -1, {}, search);
        InsertGridCellData("iColFont", QString::number(c.iColFont), row, 0, 2, -1, {}, font);
        InsertGridCellData("IsFontWeight", flag(c.IsFontWeight), row, 1, 1, -1);
        InsertGridCellData("isEnableFilter", flag(c.isEnableFilter), row, 1, 1, -1);
        InsertGridCellData("strColDestribution", c.strColDestribution, row, 0, 0, -1);
        InsertGridCellData("strTableID", c.strTableID, row, 0, 0, -1);
        InsertGridCellData("batchEdit", flag(c.batchEdit), row, 1, 1, -1);
        rows[key++] = row;
    }
}

void CDlgGridCtrlTableStyle::ShowRows(const CGridRowDataMap &rows)
{
    if (!m_pStyleGrid)
        return;
    m_pStyleGrid->SetRowDataMap(rows);
    m_pStyleGrid->FillRows();
}

void CDlgGridCtrlTableStyle::SetAllRows(const CGridRowDataMap &rows)
{
    m_allRows = rows;
    if (Check(1986))
        Check(1986)->setChecked(false);
    if (Check(1987))
        Check(1987)->setChecked(false);
    ShowRows(rows);
}

void CDlgGridCtrlTableStyle::SyncEditedRows()
{
    if (!m_pStyleGrid)
        return;
    std::map<QString, const CGridRowData *> edited;
    for (const auto &[key, row] : m_pStyleGrid->m_rows)
        edited[Cell(row, "strColID")] = &row;
    for (auto &[key, row] : m_allRows) {
        auto it = edited.find(Cell(row, "strColID"));
        if (it != edited.end())
            row = *it->second;
    }
}

void CDlgGridCtrlTableStyle::CreateStyleGrid()
{
    CGridTableAttribute layout;
    CGridCtrlTableAttributeOp::GetInstance()->BuildDefaultAttribute(QStringLiteral("TableStyle"), layout);
    CGridRowDataMap rows;
    BuildStyleRows(rows);
    delete m_pStyleGrid;
    m_pStyleGrid = new CDlgBCGGrid(this);
    m_pStyleGrid->m_bHeaderMenuEnabled = 0;
    if (!m_pStyleGrid->IsCreated())
        m_pStyleGrid->Create(CDlgBCGGrid::IDD, this, 0);
    m_pStyleGrid->InitColumns(layout, 2);
    SetAllRows(rows);
    m_pStyleGrid->setGeometry(m_placeholder->geometry());
    m_pStyleGrid->show();
}

// ---- options ---------------------------------------------------------------------------------

void CDlgGridCtrlTableStyle::LoadOptionControls()
{
    const CGridTableAttribute &a = m_TableAttribute;
    for (const OptionBox &o : kOptionBoxes)
        Check(o.id)->setChecked(a.*o.option);
    Check(1985)->setChecked(!a.isNoUpdateServerStyle);
    Check(1992)->setChecked(!a.isMainSortDesc);
    Check(1995)->setChecked(!a.isSecondSortDesc);
    Check(1974)->setChecked(false);
    Check(1975)->setChecked(false);
    m_nRowHeight = a.DataRowHeight;
    m_nFontSize = a.iDataRowFont;
    m_nPageRows = a.iPageRows ? a.iPageRows : 50;

    m_comboMainSort->setUpdatesEnabled(false);
    m_comboSecondSort->setUpdatesEnabled(false);
    m_comboMainSort->clear();
    m_comboSecondSort->clear();
    m_comboMainSort->addItem(QString());
    m_comboSecondSort->addItem(QString());
    m_arrSortFieldIDs.clear();
    m_arrSortFieldNames.clear();
    int mainSel = 0, secondSel = 0;
    for (const auto &[id, col] : a.m_mapColumns) {
        if (m_setUnsortableFieldIDs.count(id))
            continue;
        m_arrSortFieldIDs.push_back(id);
        m_arrSortFieldNames.push_back(col.strColShowName);
        m_comboMainSort->addItem(ShownColumnCaption(col.strColShowName));
        m_comboSecondSort->addItem(ShownColumnCaption(col.strColShowName));
        const int pos = static_cast<int>(m_arrSortFieldIDs.size());
        if (!mainSel && id == a.mainSortField)
            mainSel = pos;
        if (!secondSel && id == a.secondSortField)
            secondSel = pos;
    }
    m_comboMainSort->setUpdatesEnabled(true);
    m_comboSecondSort->setUpdatesEnabled(true);
    m_comboMainSort->setCurrentIndex(mainSel);
    m_comboSecondSort->setCurrentIndex(secondSel);

    const QSignalBlocker rowBlock(m_spinRowHeight);
    const QSignalBlocker fontBlock(m_spinFont);
    m_spinRowHeight->setValue(m_nRowHeight);
    m_spinFont->setValue(m_nFontSize);
    m_nShownFont = m_spinFont->value();
    m_editPageRows->setText(QString::number(m_nPageRows));
}

void CDlgGridCtrlTableStyle::ReadBackAttribute()
{
    CGridTableAttribute &a = m_TableAttribute;
    // A stored value outside a box's range is kept unless the user changed that box: the boxes
    // bound what is typed, not what was there.
    auto taken = [](QSpinBox *spin, int loaded) {
        if (spin->cleanText() == QString::number(loaded))
            return loaded;
        spin->interpretText();
        return spin->value();
    };
    m_nRowHeight = taken(m_spinRowHeight, m_nRowHeight);
    m_nFontSize = taken(m_spinFont, m_nFontSize);
    bool ok = false;
    const int pageRows = m_editPageRows->text().trimmed().toInt(&ok);
    if (ok)
        m_nPageRows = pageRows;
    for (const OptionBox &o : kOptionBoxes)
        a.*o.option = Check(o.id)->isChecked();
    a.DataRowHeight = m_nRowHeight;
    a.iDataRowFont = static_cast<std::uint8_t>(m_nFontSize & 0xFF);
    a.isNoUpdateServerStyle = !Check(1985)->isChecked();
    a.iPageRows = m_nPageRows;
    a.isMainSortDesc = !Check(1992)->isChecked();
    a.isSecondSortDesc = !Check(1995)->isChecked();
    auto sortField = [this](QComboBox *combo) {
        const int n = combo->currentIndex();
        return n > 0 && n <= static_cast<int>(m_arrSortFieldIDs.size()) ? m_arrSortFieldIDs[n - 1] : QString();
    };
    a.mainSortField = sortField(m_comboMainSort);
    a.secondSortField = sortField(m_comboSecondSort);

    // The shown columns of the table before this read-back, by lock side and position; the
    // second part of a key keeps columns of equal positions apart.
    using Group = std::map<std::pair<int, int>, QString>;
    Group groups[3];  // left, none, right
    auto groupOf = [](int lock) { return lock == 1 ? 0 : lock == 0 ? 1 : 2; };
    int counter = 1;
    for (const auto &[id, col] : a.m_mapColumns) {
        if (col.isShow)
            groups[groupOf(col.iLock)][{col.iColIndex, counter}] = id;
        counter = std::max(counter + 1, col.iColIndex + 2);
    }
    auto leave = [&](const QString &id) {
        for (Group &g : groups)
            std::erase_if(g, [&](const auto &e) { return e.second == id; });
    };
    auto enter = [&](const QString &id, int lock) { groups[groupOf(lock)][{counter++, 0}] = id; };

    SyncEditedRows();
    CGridRowDataMap fresh;
    BuildStyleRows(fresh);
    std::map<QString, const CGridRowData *> edited;
    for (const auto &[key, row] : m_allRows)
        edited[Cell(row, "strColID")] = &row;
    for (auto &[key, row] : fresh) {
        auto it = edited.find(Cell(row, "strColID"));
        if (it == edited.end())
            continue;
        for (const char *cell : kEditableCells)
            SetCell(row, cell, Cell(*it->second, cell));
    }

    for (const auto &[key, row] : fresh) {
        auto colIt = a.m_mapColumns.find(Cell(row, "strColID"));
        if (colIt == a.m_mapColumns.end())
            continue;
        CGridColumnAttribute &c = colIt->second;
        const bool wasShown = c.isShow;
        const int oldLock = c.iLock;
        const bool shown = WToI(Cell(row, "isShow")) != 0;
        const int lock = FindOptionIndex(Cell(row, "iLock"), LockOptions());
        if (!wasShown && shown) {
            enter(c.strColID, lock);
        } else if (wasShown && !shown) {
            leave(c.strColID);
        } else if (wasShown && shown && lock != oldLock) {
            leave(c.strColID);
            enter(c.strColID, lock);
        }
        c.isShow = shown;
        // A caption left as shown keeps the name it is stored under (a text key stays a key).
        if (const QString shown = Cell(row, "strColShowName"); shown != ShownColumnCaption(c.strColShowName))
            c.strColShowName = shown;
        const auto width = static_cast<std::int16_t>(WToI(Cell(row, "iColWidth")));
        if (width != c.iColWidth)
            c.defaultWidth.on = false;  // the user's own width from now on
        c.iColWidth = width;
        c.isEdit = WToI(Cell(row, "isEdit")) != 0;
        c.iLock = static_cast<std::uint8_t>(lock);
        c.strColFormat = Cell(row, "strColFormat");
        c.enColSumType = static_cast<std::uint8_t>(FindOptionIndex(Cell(row, "enColSumType"), SumOptions()));
        c.enSerchType = static_cast<std::uint8_t>(FindOptionIndex(Cell(row, "enSerchType"), SearchOptions()));
        c.iColFont = static_cast<std::uint8_t>(WToI(Cell(row, "iColFont")));
        c.IsFontWeight = WToI(Cell(row, "IsFontWeight")) != 0;
        c.isEnableFilter = WToI(Cell(row, "isEnableFilter")) != 0;
        c.strColDestribution = Cell(row, "strColDestribution");
        c.batchEdit = WToI(Cell(row, "batchEdit")) != 0;
    }

    int index = 1;
    for (const Group &g : groups) {
        for (const auto &[order, id] : g)
            a.m_mapColumns[id].iColIndex = static_cast<std::int16_t>(index++);
    }
    for (auto &[id, col] : a.m_mapColumns) {
        if (!col.isShow)
            col.iColIndex = static_cast<std::int16_t>(index++);
    }
}

// ---- handlers --------------------------------------------------------------------------------

void CDlgGridCtrlTableStyle::OnBnClickedOk()
{
    ReadBackAttribute();
    if (!CGridCtrlTableAttributeOp::GetInstance()->SaveUserTableAttribute(m_strTableID, m_TableAttribute))
        platform::Ui().MessageBox(QString::fromUtf8("保存表格样式失败！"), QString(), MB_OK, this);
    const CGridTableAttribute &a = m_TableAttribute;
    if (!m_bReloadRequired) {
        for (const auto &[id, col] : a.m_mapColumns) {
            const bool wasShown =
                std::find(m_arrShownAtOpen.begin(), m_arrShownAtOpen.end(), id) != m_arrShownAtOpen.end();
            if (wasShown != col.isShow) {
                m_bReloadRequired = 1;
                break;
            }
        }
    }
    if (!m_bReloadRequired && m_nPageRows != m_nPageRowsAtOpen)
        m_bReloadRequired = 1;
    if (!m_bReloadRequired
        && (a.mainSortField != m_strMainSortAtOpen || a.isMainSortDesc != m_bMainSortDescAtOpen
            || a.secondSortField != m_strSecondSortAtOpen || a.isSecondSortDesc != m_bSecondSortDescAtOpen))
        m_bReloadRequired = 1;
    if (!m_bReloadRequired && a.isShowSumBar != m_bShowSumBarAtOpen)
        m_bReloadRequired = 1;
    CDialogExMid::OnOK();
}

void CDlgGridCtrlTableStyle::OnBnClickedSelectAllShow()
{
    const bool on = Check(1974)->isChecked();
    if (m_pStyleGrid) {
        CGridRowDataMap rows = m_pStyleGrid->m_rows;
        for (auto &[key, row] : rows)
            SetCell(row, "isShow", on ? QStringLiteral("1") : QStringLiteral("0"));
        ShowRows(rows);
        SyncEditedRows();
    }
    m_bReloadRequired = on ? 1 : 0;
}

void CDlgGridCtrlTableStyle::OnBnClickedSelectAllEdit()
{
    const bool on = Check(1975)->isChecked();
    if (!m_pStyleGrid)
        return;
    CGridRowDataMap rows = m_pStyleGrid->m_rows;
    for (auto &[key, row] : rows)
        SetCell(row, "isEdit", on ? QStringLiteral("1") : QStringLiteral("0"));
    ShowRows(rows);
    SyncEditedRows();
}

void CDlgGridCtrlTableStyle::OnBnClickedShownFilter()
{
    // Edits of the rows listed so far are kept: the filter only chooses what is listed.
    SyncEditedRows();
    const bool shown = Check(1986)->isChecked();
    const bool hidden = Check(1987)->isChecked();
    if (shown == hidden) {
        ShowRows(m_allRows);
        return;
    }
    const QString want = shown ? QStringLiteral("1") : QStringLiteral("0");
    CGridRowDataMap rows;
    std::int64_t key = 0;
    for (const auto &[k, row] : m_allRows) {
        if ((WToI(Cell(row, "isShow")) != 0 ? QStringLiteral("1") : QStringLiteral("0")) == want)
            rows[key++] = row;
    }
    ShowRows(rows);
}

void CDlgGridCtrlTableStyle::OnRowHeightEdited()
{
    // The spin box keeps its value inside 20..50 itself; the row height is taken at OK.
}

void CDlgGridCtrlTableStyle::OnFontEdited()
{
    const int size = m_spinFont->value();
    if (size != m_nShownFont) {
        m_nShownFont = size;
        ApplyFontToAllRows(size);
    }
}

void CDlgGridCtrlTableStyle::ApplyFontToAllRows(int size)
{
    if (!m_pStyleGrid)
        return;
    CGridRowDataMap rows = m_pStyleGrid->m_rows;
    for (auto &[key, row] : rows)
        SetCell(row, "iColFont", QString::number(size));
    ShowRows(rows);
    SyncEditedRows();
}

void CDlgGridCtrlTableStyle::OnBnClickedSaveSystemStyle()
{
    ReadBackAttribute();
    if (!CGridCtrlTableAttributeOp::GetInstance()->SaveSystemTableAttribute(m_strTableID, m_TableAttribute))
        platform::Ui().MessageBox(QString::fromUtf8("保存表格样式失败！"), QString(), MB_OK, this);
}

void CDlgGridCtrlTableStyle::OnBnClickedInitSystemStyle()
{
    if (CGridCtrlTableAttributeOp::GetInstance()->InitSystemTableAttribute(m_strTableID))
        ShowDesktopAlert(3, QString::fromUtf8("初始化系统表格样式成功！"), kBlue);
    else
        ShowDesktopAlert(3, QString::fromUtf8("初始化系统表格样式失败！"), kRed);
}

void CDlgGridCtrlTableStyle::OnBnClickedInitUserStyle()
{
    CGridTableAttribute temp;
    if (!m_pStyleGrid || !CGridCtrlTableAttributeOp::GetInstance()->InitUserTableAttribute(m_strTableID, temp)) {
        ShowDesktopAlert(3, QString::fromUtf8("初始化用户表格样式失败！"), kRed);
        return;
    }
    temp.UpdateDateTime = m_TableAttribute.UpdateDateTime;
    m_TableAttribute = temp;
    LoadOptionControls();
    CGridRowDataMap rows;
    BuildStyleRows(rows);
    SetAllRows(rows);
    ShowDesktopAlert(2, QString::fromUtf8("初始化用户表格样式成功！"), kBlue);
}

// ---- sort keys -------------------------------------------------------------------------------

void CDlgGridCtrlTableStyle::RunSortMenu(QMenu &menu, const QPoint &at) { ShowPopupMenu(this, &menu, at.x(), at.y()); }

LRESULT CDlgGridCtrlTableStyle::OnGridCellRClick(WPARAM, LPARAM lParam)
{
    const auto *hit = reinterpret_cast<const QLGridCellNotify *>(lParam);
    if (!m_pStyleGrid || !hit || hit->nRow < 0)
        return 1;
    QMenu menu(this);
    menu.setProperty("menuResId", IDR_STYLE_MENU);
    menu.setTitle(QString::fromUtf8("表格样式界面右键菜单"));
    platform::SetCommandId(menu.addAction(QString::fromUtf8("设为主要排序字段")), ID_SET_MAIN_SORT);
    platform::SetCommandId(menu.addAction(QString::fromUtf8("设为次要排序字段")), ID_SET_SECOND_SORT);
    RunSortMenu(menu, QCursor::pos());
    return 1;
}

void CDlgGridCtrlTableStyle::SetSortField(QComboBox *combo)
{
    if (!m_pStyleGrid)
        return;
    QString id;
    m_pStyleGrid->GetCurSelCellText(id, QStringLiteral("strColID"));
    if (m_setUnsortableFieldIDs.count(id)) {
        ShowDesktopAlert(2, QString::fromUtf8("该字段不能参与排序！"), kRed);
        return;
    }
    auto it = std::find(m_arrSortFieldIDs.begin(), m_arrSortFieldIDs.end(), id);
    if (it != m_arrSortFieldIDs.end())
        combo->setCurrentIndex(static_cast<int>(it - m_arrSortFieldIDs.begin()) + 1);
}

void CDlgGridCtrlTableStyle::OnSetMainSortField() { SetSortField(m_comboMainSort); }

void CDlgGridCtrlTableStyle::OnSetSecondSortField() { SetSortField(m_comboSecondSort); }
