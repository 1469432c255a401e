// The spreadsheet export on 10,000 rows x 12 columns against a plain writer loop that writes
// the same strings in the same format: time per row, and the ratio of the two (target <= 1.5).
#include "grid/SpreadsheetExport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <functional>

#include <benchmark/benchmark.h>
#include <xlsxwriter.h>

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 12;

const SpreadsheetRows &Table()
{
    static const SpreadsheetRows rows = [] {
        SpreadsheetRows t;
        QStringList header;
        for (int c = 0; c < kColumns; ++c)
            header << QStringLiteral("参数%1").arg(c);
        t.push_back(header);
        for (int r = 0; r < kRows; ++r) {
            QStringList row;
            for (int c = 0; c < kColumns; ++c)
                row << (c % 3 == 0 ? QStringLiteral("P%1-%2").arg(r).arg(c)
                                   : c % 3 == 1 ? QString::number(r * 7 + c) : QStringLiteral("电机%1").arg(r % 50));
            t.push_back(row);
        }
        return t;
    }();
    return rows;
}

bool PlainLoop(const QString &path)
{
    lxw_workbook *wb = workbook_new(path.toLocal8Bit().constData());
    lxw_worksheet *ws = workbook_add_worksheet(wb, nullptr);
    lxw_format *f = workbook_add_format(wb);
    format_set_num_format(f, "@");
    format_set_border(f, LXW_BORDER_THIN);
    const SpreadsheetRows &rows = Table();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        worksheet_set_row(ws, static_cast<lxw_row_t>(r), 30, nullptr);
        for (int c = 0; c < kColumns; ++c)
            worksheet_write_string(ws, static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                                   rows[r][c].toUtf8().constData(), f);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

double Seconds(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e9;
}

void BM_Export(benchmark::State &state)
{
    QTemporaryDir dir;
    Table();
    double ours = 0, plain = 0;
    for (auto _ : state) {
        ours += Seconds([&] {
            benchmark::DoNotOptimize(ExportRowsToSpreadsheet({}, dir.filePath("ours.xlsx"), Table(), {}));
        });
        plain += Seconds([&] { benchmark::DoNotOptimize(PlainLoop(dir.filePath("plain.xlsx"))); });
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["us_per_row"] = ours / n / kRows * 1e6;
    state.counters["plain_us_per_row"] = plain / n / kRows * 1e6;
    state.counters["ratio"] = ours / plain;
}
BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Iterations(5);

}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
