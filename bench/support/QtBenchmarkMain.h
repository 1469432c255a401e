#pragma once
// The main of a benchmark that needs widgets: offscreen unless a platform is chosen, then every
// registered benchmark.
#include "platform/NumericLocale.h"

#include <QApplication>
#include <benchmark/benchmark.h>

inline int RunWidgetBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::KeepCNumericLocale();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
