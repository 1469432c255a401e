#include "grid/GridMenu.h"

#include "platform/CommandId.h"
#include "platform/LanguageConf.h"

#include <QMenu>

#include <algorithm>

namespace {

struct MenuOption {
    UINT id;
    const char *text;
    bool CGridTableAttribute::*option;
};

const MenuOption kOptions[] = {
    {ID_GRID_MENU_FILTER_BAR, "筛选栏", &CGridTableAttribute::isShowSortBar},
    {ID_GRID_MENU_SUM_BAR, "合计栏", &CGridTableAttribute::isShowSumBar},
    {ID_GRID_MENU_ALLOW_SORT, "允许排序", &CGridTableAttribute::isAllowSort},
    {ID_GRID_MENU_WHOLE_ROW, "整行选择", &CGridTableAttribute::isWholeRowSelect},
    {ID_GRID_MENU_DRAG_COLUMNS, "列标题拖动", &CGridTableAttribute::isEnableDragCol},
    {ID_GRID_MENU_LANDSCAPE, "横向打印", &CGridTableAttribute::isPrintLandscape},
    {ID_GRID_MENU_TITLE_FILTER, "标题过滤", &CGridTableAttribute::isShowTitleFilter},
    {ID_GRID_MENU_MULTI_ROW, "多行选择", &CGridTableAttribute::isMultiRowSelect},
    {ID_GRID_MENU_MULTI_ROW_CLICK, "多行选择点击选中", &CGridTableAttribute::IsMultiRowSelectNoLoseFocus},
};

QAction *AddItem(QMenu &menu, UINT id, const char *text, bool checked = false)
{
    QAction *a = menu.addAction(TrText(QString::fromUtf8(text)));
    platform::SetCommandId(a, static_cast<int>(id));
    if (checked) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    return a;
}

// The shown columns other than `self` whose position differs from `p`.
template <typename F>
void ForOthers(CGridTableAttribute &table, const QString &self, int p, F f)
{
    for (auto &[id, col] : table.m_mapColumns) {
        if (id != self && col.isShow && col.iColIndex != p)
            f(col);
    }
}

}

bool CGridTableAttribute::*GridMenuOption(UINT id)
{
    for (const MenuOption &o : kOptions) {
        if (o.id == id)
            return o.option;
    }
    return nullptr;
}

void BuildGridMenu(QMenu &menu, const CGridTableAttribute &table, const CGridColumnAttribute *column,
                   bool onColumn)
{
    menu.setProperty("menuResId", IDR_GRID_MENU);
    const bool known = onColumn && column;
    AddItem(menu, ID_GRID_MENU_STYLE, "样式");
    menu.addSeparator();
    QAction *show = AddItem(menu, ID_GRID_MENU_SHOW, "显示", known && column->isShow);
    QMenu *lock = menu.addMenu(TrText(QString::fromUtf8("锁定")));
    AddItem(*lock, ID_GRID_MENU_UNLOCK, "无", known && column->iLock == 0);
    AddItem(*lock, ID_GRID_MENU_LOCK_LEFT, "在左侧", known && column->iLock == 1);
    AddItem(*lock, ID_GRID_MENU_LOCK_RIGHT, "在右侧", known && column->iLock == 2);
    QMenu *sum = menu.addMenu(TrText(QString::fromUtf8("合计")));
    AddItem(*sum, ID_GRID_MENU_SUM_NONE, "无", known && column->enColSumType == 0);
    AddItem(*sum, ID_GRID_MENU_SUM_COUNT, "计数", known && column->enColSumType == 2);
    AddItem(*sum, ID_GRID_MENU_SUM_SUM, "求和", known && column->enColSumType == 1);
    AddItem(*sum, ID_GRID_MENU_SUM_AVERAGE, "求平均值", known && column->enColSumType == 3);
    if (!onColumn) {
        show->setEnabled(false);
        lock->menuAction()->setEnabled(false);
        sum->menuAction()->setEnabled(false);
    }
    menu.addSeparator();
    AddItem(menu, ID_GRID_MENU_EXPORT, "导出Excel");
    AddItem(menu, ID_GRID_MENU_LOAD_STYLE, "读取样式");
    AddItem(menu, ID_GRID_MENU_SAVE_STYLE, "另存样式");
    menu.addSeparator();
    AddItem(menu, ID_GRID_MENU_PRINT_PREVIEW, "打印预览");
    menu.addSeparator();
    // "其他" is also the colour picker's entry for more colours: this menu has its own text.
    QMenu *other = menu.addMenu(TrSection(QStringLiteral("GridMenu"), QString::fromUtf8("其他")));
    for (const MenuOption &o : kOptions)
        AddItem(*other, o.id, o.text, table.*o.option);
    other->addSeparator();
    // "更新表格样式" and "初始化表格样式" have no place in this menu.
    if (table.isMultiRowSelect)
        AddItem(*other, ID_GRID_MENU_INVERT_CHECKS, "反选");
}

bool ApplyColumnLock(CGridTableAttribute &table, const QString &columnId, int lock)
{
    auto it = table.m_mapColumns.find(columnId);
    if (it == table.m_mapColumns.end())
        return false;
    CGridColumnAttribute &x = it->second;
    if (x.iLock == lock)
        return false;
    const int p = x.iColIndex;
    // The highest position of the other shown columns that match, -1 when there is none.
    auto highest = [&](auto match) {
        int h = -1;
        for (const auto &[id, c] : table.m_mapColumns) {
            if (id != columnId && c.isShow && match(c))
                h = std::max<int>(h, c.iColIndex);
        }
        return h;
    };
    // One above that highest position, 0 when there is none.
    auto nextAfter = [&](auto match) { return highest(match) + 1; };
    switch (lock) {
    case 0:
        if (x.iLock == 1) {
            ForOthers(table, columnId, p, [&](CGridColumnAttribute &c) {
                if (c.iLock == 1 && c.iColIndex > p)
                    --c.iColIndex;
            });
            x.iColIndex = static_cast<std::int16_t>(nextAfter([](const auto &c) { return c.iLock == 1; }));
        } else if (x.iLock == 2) {
            ForOthers(table, columnId, p, [&](CGridColumnAttribute &c) {
                if (c.iLock == 2 && c.iColIndex < p)
                    ++c.iColIndex;
            });
            x.iColIndex = static_cast<std::int16_t>(nextAfter([](const auto &c) { return c.iLock != 2; }));
        }
        break;
    case 1:
        if (x.iLock == 0 || x.iLock == 2) {
            const bool fromRight = x.iLock == 2;
            ForOthers(table, columnId, p, [&](CGridColumnAttribute &c) {
                const bool moves = fromRight ? c.iLock != 1 : c.iLock == 0;
                if (moves && c.iColIndex < p)
                    ++c.iColIndex;
            });
            x.iColIndex = static_cast<std::int16_t>(nextAfter([](const auto &c) { return c.iLock == 1; }));
        }
        break;
    default: {
        const int m = std::max(highest([](const auto &) { return true; }), p);
        ForOthers(table, columnId, p, [&](CGridColumnAttribute &c) {
            if (c.iColIndex > p)
                --c.iColIndex;
        });
        x.iColIndex = static_cast<std::int16_t>(m);
        lock = 2;
        break;
    }
    }
    x.iLock = static_cast<std::uint8_t>(lock);
    return true;
}

bool MergeLoadedStyle(CGridTableAttribute &table, const CGridTableAttribute &loaded)
{
    const bool any = std::any_of(loaded.m_mapColumns.begin(), loaded.m_mapColumns.end(),
                                 [&](const auto &e) { return table.m_mapColumns.count(e.first) > 0; });
    if (!any)
        return false;
    CGridTableAttribute merged = loaded;
    merged.m_mapColumns = table.m_mapColumns;
    merged.m_mapColumnOrder = table.m_mapColumnOrder;
    for (auto &[id, col] : merged.m_mapColumns) {
        auto it = loaded.m_mapColumns.find(id);
        if (it == loaded.m_mapColumns.end())
            continue;
        // Descriptions and the owning table are the table's own, not the file's.
        const QString description = col.strColDestribution;
        const QString tableId = col.strTableID;
        col = it->second;
        col.strColDestribution = description;
        col.strTableID = tableId;
    }
    table = merged;
    return true;
}
