// Load of the default parameter database and new/open/save of a project with every
// parameter, as the program runs them (each opens and closes its files).

#include "database/ProjectDatabase.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString kDefaultDb = QStringLiteral(KORVANE_DEFAULT_PARAMS_DB);

CNewProjectInfo Request(const QString& path, int devices)
{
    CNewProjectInfo info;
    for (int id = 1; id <= devices; ++id) {
        CDBDataDeviceList d;
        d.nDeviceID = id;
        d.nProductID = 1;
        d.nStationNo = 250;
        info.m_arrDeviceList.append(d);
    }
    info.m_strFilePath = path;
    return info;
}

qsizetype ParameterCount(const CDataProject& project)
{
    qsizetype n = 0;
    for (const CDataDevice& d : project.m_arrDevices)
        for (const CDataAxisParameter& a : d.m_arrAxis)
            n += a.m_arrParameter.size();
    return n;
}

void BM_LoadDefaultDatabase(benchmark::State& state)
{
    CProjectDatabase pdb(kDefaultDb);
    CDataProject out;
    for (auto _ : state) {
        if (!pdb.LoadDefaultDatabase(out, 1))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(out.m_arrDevices.size());
    }
    state.counters["parameters"] = double(ParameterCount(out));
}
BENCHMARK(BM_LoadDefaultDatabase)->Unit(benchmark::kMillisecond);

void BM_NewProject(benchmark::State& state)
{
    QTemporaryDir dir;
    CProjectDatabase pdb(kDefaultDb);
    const CNewProjectInfo info = Request(dir.filePath("new.KVF"), int(state.range(0)));
    for (auto _ : state) {
        if (!pdb.NewProject(info))
            state.SkipWithError("new failed");
    }
    state.counters["parameters"] = double(ParameterCount(pdb.m_Project));
}
BENCHMARK(BM_NewProject)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_OpenProject(benchmark::State& state)
{
    QTemporaryDir dir;
    CProjectDatabase pdb(kDefaultDb);
    const QString path = dir.filePath("open.KVF");
    if (!pdb.NewProject(Request(path, int(state.range(0)))))
        state.SkipWithError("new failed");
    for (auto _ : state) {
        if (!pdb.OpenProject(path))
            state.SkipWithError("open failed");
    }
    state.counters["parameters"] = double(ParameterCount(pdb.m_Project));
}
BENCHMARK(BM_OpenProject)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

// Save of the content in use: copy of the default database, every parameter written
// with its current value in one transaction, compaction, rename over the target.
void BM_SaveProject(benchmark::State& state)
{
    QTemporaryDir dir;
    CProjectDatabase pdb(kDefaultDb);
    if (!pdb.NewProject(Request(dir.filePath("base.KVF"), int(state.range(0)))))
        state.SkipWithError("new failed");
    const QString path = dir.filePath("saved.KVF");
    long tick = 0;
    for (auto _ : state) {
        for (CDataDevice& d : pdb.m_Project.m_arrDevices)
            d.m_arrAxis[0].m_arrParameter[0].iCurValue = ++tick & 0x7FFF;
        if (!pdb.SaveProject(path))
            state.SkipWithError("save failed");
    }
    state.counters["parameters"] = double(ParameterCount(pdb.m_Project));
}
BENCHMARK(BM_SaveProject)->Arg(1)->Arg(8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
