#pragma once
// What the DI/DO monitor and settings pages build alike: their two grids (inputs above, outputs
// below), the busy bar, the offline warning at opening, and the grid-row-to-line lookup.
#include <QString>

#include <utility>
#include <vector>

class CMiniGridCtrl;
class CMyProgressCtrl;
class QWidget;

struct DiDoColumn {
    const char *caption;  // UTF-8, looked up in the page's language section
    int width;
};

// A centred grid with the given columns, a shown child of `page` with control id `id`.
CMiniGridCtrl *MakeDiDoGrid(QWidget *page, int id, const QString &langSection, const std::vector<DiDoColumn> &columns);
// The page's hidden progress bar (control 255).
CMyProgressCtrl *MakeDiDoProgress(QWidget *page);
// The message both pages show when they open without a drive.
void WarnWhenOffline(QWidget *page);
// The line a grid row stands for, or -1 for a row outside the map.
int DiDoLineOfRow(const std::vector<int> &map, int row);
