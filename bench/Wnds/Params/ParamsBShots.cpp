// Pictures of the parameter page comparing with the simulated drive and of the dialogs of the
// recipe, comparison, new-project and custom-group features:
//   params_b_shots <folder>   writes compare_drive.png, compare_select.png, new_page1.png,
//   new_page2.png, group_editor.png and add_to_group.png.
// Run it under xvfb-run to see the windows as a desktop draws them.
#include "AppFlags.h"
#include "DlgNew.h"
#include "DlgUserParamSet.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/Params/DlgParamAddToUser.h"
#include "Wnds/Params/DlgParamCompareSelect.h"
#include "Wnds/Params/DlgParams.h"
#include "database/DbServices.h"
#include "grid/DlgBCGGrid.h"
#include "platform/UiServices.h"
#include "support/Shots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace {

QString g_out;

using shots::Pump;

void Save(QWidget *w, const char *name)
{
    Pump(150);
    shots::Save(*w, g_out + "/" + QString::fromLatin1(name));
}

// Shows the modal dialog, lets `act` set it up, takes its picture and closes it.
template <typename Dlg>
void ShootModal(Dlg &dlg, const char *name, std::function<void(Dlg &)> act = {})
{
    QTimer::singleShot(0, &dlg, [&dlg, name, act] {
        if (act)
            act(dlg);
        Save(&dlg, name);
        dlg.EndDialog(IDCANCEL);
    });
    dlg.DoModal();
}

}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    g_out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(g_out);
    QTemporaryDir tmp;
    const QString bin = tmp.filePath("bin");
    QDir().mkpath(bin + "/config");
    QDir().mkpath(tmp.filePath("CommonRes/ParamsData"));
    QDir().mkpath(tmp.filePath("CommonRes/DeviceInfoRes"));
    const QString db = tmp.filePath("CommonRes/ParamsData/ZiDizorAdovora.mdb");
    QFile::copy(KORVANE_DEFAULT_PARAMS_DB, db);
    QFile::copy(KORVANE_COMMONRES_DIR "/DeviceInfoRes/DRV1.png", tmp.filePath("CommonRes/DeviceInfoRes/DRV1.png"));
    QFile::copy(KORVANE_SOURCE_DIR "/Korvane/config/chinese_S.ini", bin + "/config/chinese_S.ini");
    SetProgramDir(bin);
    SetDbProgramDir(bin);
    GetLangText().m_strLangFile = bin + "/config/chinese_S.ini";
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scope(ui);

    SimDrive sim;
    std::string error;
    if (!sim.Start() || !sim.SeedFromDefaultDatabase(db.toStdString(), 1, &error)) {
        std::fprintf(stderr, "simulated drive: %s\n", error.c_str());
        return 1;
    }
    sim.SeedDefaults();
    qputenv("KORVANE_DEVICE", QByteArray::fromStdString(sim.SlavePath()));
    auto sys = std::make_unique<CSysParam>(db);
    if (!sys->Init() || !sys->CheckConnection()) {
        std::fprintf(stderr, "no link to the simulated drive\n");
        return 1;
    }
    SetSysParam(sys.get());
    CAppFlags flags;
    SetAppFlags(&flags);

    {
        // The workspace as the drive has it, but for two registers changed in the drive.
        for (CDBDataParameter &p : *CDlgParams::ActiveParams()) {
            if (p.dwWidth == 32)
                p.iCurValue = std::int32_t(sim.GetRegister32(std::uint16_t(p.dwAddress)));
            else
                p.iCurValue = p.bSign ? std::int16_t(sim.GetRegister(std::uint16_t(p.dwAddress)))
                                      : sim.GetRegister(std::uint16_t(p.dwAddress));
        }
        sim.SetRegister(0x0608, 2500);
        sim.SetRegister(0x0107, 3);
        CDlgParams page;
        page.Create(nullptr);
        page.resize(1280, 560);
        page.show();
        NavigationTarget all;
        all.m_nTargetId = 0;
        all.m_bAll = 1;
        page.ShowParamGroup(all);
        QTimer::singleShot(0, [] {
            if (auto *dlg = qobject_cast<CDlgParamCompareSelect *>(QApplication::activeModalWidget())) {
                dlg->m_radio[1]->click();
                Save(dlg, "compare_select.png");
                dlg->m_btnOk->click();
            }
        });
        page.CommandButton(CDlgParams::IDC_COMPARE)->click();
        QElapsedTimer t;
        t.start();
        while ((page.IsTransferRunning() || page.m_mapDriveValue.empty()) && t.elapsed() < 20000)
            Pump(20);
        Save(&page, "compare_drive.png");
        page.DestroyWindow();
    }
    {
        CDlgNew wizard;
        wizard.m_fnListDevices = [] { return std::vector<platform::SerialDevice>{}; };
        ShootModal<CDlgNew>(wizard, "new_page1.png");
        CDlgNew second;
        second.m_fnListDevices = [] { return std::vector<platform::SerialDevice>{}; };
        ShootModal<CDlgNew>(second, "new_page2.png", [](CDlgNew &d) {
            d.m_btnPage->click();
            for (const char *station : {"1", "2", "5"}) {
                d.m_editStation->setText(QString::fromLatin1(station));
                d.m_btnAdd->click();
            }
            d.m_editName->setText(QStringLiteral("Demo"));
        });
    }
    {
        sys->m_arrGroupsUser = {CGroupsUser{QString::fromUtf8("调试常用")}, CGroupsUser{QString::fromUtf8("示波器参数")}};
        sys->m_arrParamUser = {{QString::fromUtf8("调试常用"), "P0608"}, {QString::fromUtf8("调试常用"), "P0609"}};
        CDlgUserParamSet editor;
        editor.SetGroup(TRUE, QString::fromUtf8("调试常用"));
        ShootModal<CDlgUserParamSet>(editor, "group_editor.png", [](CDlgUserParamSet &d) {
            for (QTreeWidgetItemIterator it(d.m_treeGroups); *it; ++it)
                (*it)->setSelected((*it)->text(1) == QLatin1String("P06"));
        });
        CDlgParamAddToUser chooser;
        ShootModal<CDlgParamAddToUser>(chooser, "add_to_group.png");
    }
    SetAppFlags(nullptr);
    SetSysParam(nullptr);
    sys.reset();
    sim.Stop();
    return 0;
}
