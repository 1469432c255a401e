// The grid on 10,000 rows x 12 columns of mixed cell kinds: filling, the filter bar, a header
// value filter, sorting, and one repaint of a 1280 x 800 grid.
#include "support/QtBenchmarkMain.h"
#include "GridDemo.h"

#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"

#include <QApplication>
#include <QImage>
#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kRows = 10000;

struct Window {
    Window()
    {
        window.resize(1280, 800);
        grid = new CQLBCGGridCtrl(&window);
        grid->setGeometry(window.rect());
        griddemo::Build(*grid, kRows);
        window.show();
        QApplication::processEvents();
    }
    QWidget window;
    CQLBCGGridCtrl *grid;
};

void BM_Fill(benchmark::State &state)
{
    for (auto _ : state) {
        QWidget window;
        window.resize(1280, 800);
        auto *grid = new CQLBCGGridCtrl(&window);
        grid->setGeometry(window.rect());
        griddemo::Build(*grid, kRows);
        benchmark::DoNotOptimize(grid->GetVisibleRowCount());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
        // Deleting the rows belongs to the next fill, not this one.
        state.PauseTiming();
        delete grid;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_FilterBar(benchmark::State &state)
{
    Window w;
    bool on = false;
    for (auto _ : state) {
        on = !on;
        w.grid->SetFilterBarText(1, on ? QStringLiteral("check") : QString());
        benchmark::DoNotOptimize(w.grid->GetVisibleRowCount());
    }
}
BENCHMARK(BM_FilterBar)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_HeaderValueFilter(benchmark::State &state)
{
    Window w;
    bool on = false;
    for (auto _ : state) {
        on = !on;
        platform::FilterColumnInfo f;
        f.nCol = 1;
        f.bAll = !on;
        if (on)
            f.lstValues = {QStringLiteral("percent"), QStringLiteral("date")};
        w.grid->SetColumnFilter(f);
        benchmark::DoNotOptimize(w.grid->GetVisibleRowCount());
    }
}
BENCHMARK(BM_HeaderValueFilter)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Sort(benchmark::State &state)
{
    Window w;
    bool asc = false;
    int col = 0;
    for (auto _ : state) {
        asc = !asc;
        col = (col + 1) % 4;
        w.grid->Sort(col, asc);
        benchmark::DoNotOptimize(w.grid->ViewRowToRow(0));
    }
}
BENCHMARK(BM_Sort)->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_Repaint(benchmark::State &state)
{
    Window w;
    QImage image(w.window.size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        w.grid->render(&image);
        benchmark::DoNotOptimize(image.bits());
    }
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond)->Iterations(20);

// ---- The grid page with parameter-like rows ------------------------------------------------

CGridRowDataMap ParameterRows()
{
    CGridRowDataMap rows;
    for (int i = 0; i < kRows; ++i) {
        CGridRowData row;
        AddGridCellValue("IDS_ParaView_1", row, "P%02d.%02d", i / 100, i % 100);
        AddGridCellValue("IDS_ParaView_2", row, "parameter %d", i);
        if (i % 4 == 0)
            InsertGridCellData("IDS_ParaView_3", QString::number(i % 3), row, 0, 2, -1, {}, {"off", "on", "auto"});
        else
            InsertGridCellData("IDS_ParaView_3", QString::number(i * 7 % 1000), row, 1, 0, -1);
        for (int c = 4; c <= 11; ++c)
            InsertGridCellData(QStringLiteral("IDS_ParaView_%1").arg(c), QString::number((i * c) % 500), row, 1, 0, -1);
        if (i % 50 == 0)
            row["IDS_ParaView_3"].m_bEnabled = 0;
        rows[i] = row;
    }
    return rows;
}

struct Page {
    Page()
    {
        window.resize(1280, 800);
        page = new CDlgBCGGrid(&window);
        page->Create(&window);
        page->setGeometry(window.rect());
        CGridCtrlTableAttributeOp::GetInstance()->BuildDefaultAttribute(QStringLiteral("XML_Params"), attr);
        for (auto &[id, col] : attr.m_mapColumns) {
            col.isShow = true;
            col.enColSumType = col.iColIndex % 4;
        }
        attr.isShowSumBar = true;
        attr.isShowSortBar = true;
        page->InitColumns(attr, 2);
        window.show();
        QApplication::processEvents();
    }
    QWidget window;
    CDlgBCGGrid *page;
    CGridTableAttribute attr;
};

void BM_PageFillRows(benchmark::State &state)
{
    Page p;
    const CGridRowDataMap rows = ParameterRows();
    for (auto _ : state) {
        state.PauseTiming();
        p.page->m_rows = rows;
        state.ResumeTiming();
        p.page->FillRows();
        benchmark::DoNotOptimize(p.page->GetGrid()->GetRowCount());
    }
}
BENCHMARK(BM_PageFillRows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PageStatisticsAfterFilter(benchmark::State &state)
{
    Page p;
    p.page->m_rows = ParameterRows();
    p.page->FillRows();
    const int col = p.page->m_mapFieldToCol.at(QStringLiteral("IDS_ParaView_2"));
    bool on = false;
    for (auto _ : state) {
        state.PauseTiming();
        on = !on;
        p.page->GetGrid()->SetFilterBarText(col, on ? QStringLiteral("parameter 1") : QString());
        state.ResumeTiming();
        p.page->RefreshStatistics();
    }
}
BENCHMARK(BM_PageStatisticsAfterFilter)->Unit(benchmark::kMillisecond)->Iterations(10);


// A shift-click in click-to-check mode from the first row to the last: the selection extends over
// every row and the checks follow it (the handler's whole path, message included).
void BM_PageShiftClickChecksEveryRow(benchmark::State &state)
{
    Page p;
    p.page->m_tableAttr.isWholeRowSelect = true;
    p.page->m_tableAttr.isMultiRowSelect = true;
    p.page->m_tableAttr.IsMultiRowSelectNoLoseFocus = true;
    p.page->m_rows = ParameterRows();
    p.page->FillRows();
    CQLBCGGridCtrl *grid = p.page->GetGrid();
    auto click = [&](int row, bool shift) {
        p.page->m_bShiftDown = shift;
        QLGridCellNotify n;
        n.nRow = row;
        n.nColumn = 1;
        n.pItem = grid->GetItem(platform::GridItemID{row, 1});
        p.page->WindowProc(UM_GRID_CELL_LCLICK, 0, reinterpret_cast<LPARAM>(&n));
    };
    for (auto _ : state) {
        state.PauseTiming();
        click(0, false);
        state.ResumeTiming();
        click(kRows - 1, true);
        benchmark::DoNotOptimize(p.page->m_nCheckedRows);
    }
    p.page->m_bShiftDown = false;
    if (p.page->m_nCheckedRows != kRows)
        state.SkipWithError("the shift-click did not check every row");
}
BENCHMARK(BM_PageShiftClickChecksEveryRow)->Unit(benchmark::kMillisecond)->Iterations(10);
}

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
