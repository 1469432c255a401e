// Recipe load and comparison refresh of the parameter page over 1,000 parameters: prints
// "recipe <ms>" (read a recipe of every parameter, apply it, rebuild the table) and
// "compare <ms>" (a factory-default comparison's refresh), each the median of five runs.
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/Params/DlgParams.h"
#include "Wnds/Params/RecipeFile.h"
#include "database/DbServices.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kParams = 1000;
constexpr int kRuns = 5;

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir tmp;
    const QString bin = tmp.filePath("bin");
    QDir().mkpath(bin + "/config");
    QDir().mkpath(tmp.filePath("CommonRes/ParamsData"));
    const QString db = tmp.filePath("CommonRes/ParamsData/ZiDizorAdovora.mdb");
    QFile::copy(KORVANE_DEFAULT_PARAMS_DB, db);
    SetProgramDir(bin);
    SetDbProgramDir(bin);
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scope(ui);

    auto sys = std::make_unique<CSysParam>(db);
    if (!sys->Init()) {
        std::fprintf(stderr, "settings object did not start\n");
        return 1;
    }
    SetSysParam(sys.get());
    // A table of 1,000 parameters in place of the drive's own.
    QList<CDBDataParameter> *params = CDlgParams::ActiveParams();
    const CDBDataParameter model = params->front();
    params->clear();
    for (int i = 0; i < kParams; ++i) {
        CDBDataParameter p = model;
        p.sNum = QString::asprintf("P%04X", 0x1000 + i);
        p.sGroupNO = QStringLiteral("P00");
        p.dwAddress = 0x1000 + i;
        p.dwInput = 0;
        p.m_arrSelects.clear();
        p.nLimit = 0;
        p.iMin = 0;
        p.iMax = 100000;
        p.iCurValue = i;
        p.iDefaultValue = i % 2 ? i : 0;
        params->push_back(p);
    }
    const QString recipe = tmp.filePath("all.txt");
    {
        QList<CDBDataParameter> values = *params;
        for (CDBDataParameter &p : values)
            p.iCurValue += 1;
        WriteRecipeText(recipe, QStringLiteral("DRV1"), values);
    }

    CDlgParams page;
    page.Create(nullptr);
    page.resize(1200, 700);
    page.show();
    NavigationTarget all;
    all.m_nTargetId = 0;
    all.m_bAll = 1;
    page.ShowParamGroup(all);
    QCoreApplication::processEvents();

    std::vector<double> recipeMs, compareMs;
    for (int run = 0; run < kRuns; ++run) {
        ui->PushFile(recipe);
        QElapsedTimer t;
        t.start();
        const int loaded = page.LoadRecipeFile();
        recipeMs.push_back(double(t.nsecsElapsed()) / 1e6);
        if (loaded != 1) {
            std::fprintf(stderr, "recipe did not load\n");
            return 1;
        }
    }
    page.m_bCompareMode = TRUE;
    page.m_nCompareType = 0;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        page.RunCompare();
        compareMs.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("recipe %.1f\n", Median(recipeMs));
    std::printf("compare %.1f\n", Median(compareMs));
    page.DestroyWindow();
    SetSysParam(nullptr);
    sys.reset();
    SetProgramDir(QString());
    SetDbProgramDir(QString());
    return 0;
}
