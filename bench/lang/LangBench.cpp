// Text lookups against a language file of 4,000 lines: 10,000 LoadLangString calls per
// iteration (a grid of texts being filled): the time per iteration is the time of 10,000.
// Target: under 50 ms.

#include "LangText.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Lookups(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lang.ini");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the language file");
        return;
    }
    QByteArray text = "[String]\n";
    for (int i = 0; i < 3999; ++i)
        text += QStringLiteral("IDS_Bench_%1=文字 %1\n").arg(i).toUtf8();
    f.write(text);
    f.close();
    GetLangText().m_strLangFile = path;
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i)
            benchmark::DoNotOptimize(LoadLangString(QStringLiteral("IDS_Bench_%1").arg((i * 7) % 3999)));
    }
}

}

BENCHMARK(Lookups)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
