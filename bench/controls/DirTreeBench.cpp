// Expanding a folder of 5,000 sub-folders in the folder tree, against the least any listing
// must do: read the folder once and open each sub-folder once (to learn whether it has
// sub-folders of its own). The counter "ratio" is the expansion's time over that floor's.
#include "support/QtBenchmarkMain.h"
#include "controls/DirTreeCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include <dirent.h>

namespace {

constexpr int kFolders = 5000;

// Every second sub-folder holds a folder of its own.
const QString &Fixture()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        QDir d(dir.path());
        for (int i = 0; i < kFolders; ++i) {
            const QString name = QStringLiteral("Folder%1").arg(i, 5, 10, QChar('0'));
            d.mkpath(i % 2 ? name + "/sub" : name);
        }
        made = true;
    }
    static const QString path = dir.path();
    return path;
}

// Lists the folder and opens each sub-folder once, reading its first entries.
int ListAndOpenEach(const QString &path)
{
    int found = 0;
    const QByteArray native = QFile::encodeName(path);
    DIR *d = ::opendir(native.constData());
    if (!d)
        return 0;
    while (const dirent *e = ::readdir(d)) {
        if (e->d_name[0] == '.')
            continue;
        const QByteArray sub = native + '/' + e->d_name;
        if (DIR *s = ::opendir(sub.constData())) {
            while (const dirent *x = ::readdir(s))
                if (x->d_name[0] != '.') {
                    ++found;
                    break;
                }
            ::closedir(s);
        }
    }
    ::closedir(d);
    return found;
}

double FloorSeconds()
{
    static double best = [] {
        double b = 1e9;
        for (int i = 0; i < 7; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(ListAndOpenEach(Fixture()));
            const auto t1 = std::chrono::steady_clock::now();
            b = std::min(b, std::chrono::duration<double>(t1 - t0).count());
        }
        return b;
    }();
    return best;
}

void BM_ListAndOpenEach(benchmark::State &state)
{
    const QString &path = Fixture();
    for (auto _ : state)
        benchmark::DoNotOptimize(ListAndOpenEach(path));
}
BENCHMARK(BM_ListAndOpenEach)->Unit(benchmark::kMillisecond);

void BM_ExpandFolderOf5000(benchmark::State &state)
{
    const QString &path = Fixture();
    CDirTreeCtrl tree;
    tree.DisplayTree(path);
    QTreeWidgetItem *top = tree.topLevelItem(0);
    double best = 1e9;
    for (auto _ : state) {
        state.PauseTiming();
        tree.collapseItem(top);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        tree.expandItem(top);
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
        if (top->childCount() != kFolders)
            state.SkipWithError("wrong number of folders");
    }
    state.counters["ratio"] = best / FloorSeconds();
}
BENCHMARK(BM_ExpandFolderOf5000)->Unit(benchmark::kMillisecond);

}

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
