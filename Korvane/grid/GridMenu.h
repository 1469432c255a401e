#pragma once
// The grid page's header menu (menu 204): its commands, the menu as it opens for a column, the
// lock rules that move a column to an edge, and the merge of a loaded style file into a table.
#include "grid/GridTableAttribute.h"

#include "platform/Messages.h"

class QMenu;

constexpr UINT IDR_GRID_MENU = 204;
constexpr UINT ID_GRID_MENU_STYLE = 32888;
constexpr UINT ID_GRID_MENU_SHOW = 32889;
constexpr UINT ID_GRID_MENU_UNLOCK = 32890;
constexpr UINT ID_GRID_MENU_LOCK_LEFT = 32892;
constexpr UINT ID_GRID_MENU_LOCK_RIGHT = 32893;
constexpr UINT ID_GRID_MENU_SUM_NONE = 32894;
constexpr UINT ID_GRID_MENU_SUM_COUNT = 32895;
constexpr UINT ID_GRID_MENU_SUM_SUM = 32896;
constexpr UINT ID_GRID_MENU_SUM_AVERAGE = 32897;
constexpr UINT ID_GRID_MENU_EXPORT = 32898;
constexpr UINT ID_GRID_MENU_LOAD_STYLE = 32899;
constexpr UINT ID_GRID_MENU_SAVE_STYLE = 32900;
constexpr UINT ID_GRID_MENU_PRINT_PREVIEW = 32901;
constexpr UINT ID_GRID_MENU_FILTER_BAR = 32902;
constexpr UINT ID_GRID_MENU_SUM_BAR = 32903;
constexpr UINT ID_GRID_MENU_ALLOW_SORT = 32904;
constexpr UINT ID_GRID_MENU_WHOLE_ROW = 32905;
constexpr UINT ID_GRID_MENU_DRAG_COLUMNS = 32906;
constexpr UINT ID_GRID_MENU_LANDSCAPE = 32907;
constexpr UINT ID_GRID_MENU_TITLE_FILTER = 32908;
constexpr UINT ID_GRID_MENU_MULTI_ROW = 32909;
constexpr UINT ID_GRID_MENU_MULTI_ROW_CLICK = 32910;
constexpr UINT ID_GRID_MENU_INVERT_CHECKS = 32911;
constexpr UINT ID_GRID_MENU_UPDATE_STYLE = 32912;
constexpr UINT ID_GRID_MENU_INIT_STYLE = 32913;
constexpr UINT ID_GRID_MENU_FIRST = 32888;
constexpr UINT ID_GRID_MENU_LAST = 32914;

// The table option that a command of the "其他" popup flips; null for other commands.
bool CGridTableAttribute::*GridMenuOption(UINT id);

// Fills `menu` as it opens: `column` is the clicked column's attribute (null when the click was
// on a column without one), `onColumn` whether the click was on a column at all.
void BuildGridMenu(QMenu &menu, const CGridTableAttribute &table, const CGridColumnAttribute *column,
                   bool onColumn);

// Moves the column to its new lock side (0 none, 1 left, 2 right) and renumbers the display
// positions of the other shown columns. False when the column already has that lock (or is
// not in the table): nothing changed.
bool ApplyColumnLock(CGridTableAttribute &table, const QString &columnId, int lock);

// A style file read into `loaded` applied to `table`: the file's options and its settings of
// the table's columns; columns of other tables are left out, columns the file lacks keep the
// table's settings. False (table unchanged) when the file has no column of the table.
bool MergeLoadedStyle(CGridTableAttribute &table, const CGridTableAttribute &loaded);
