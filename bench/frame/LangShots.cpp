// Pictures of the program in English against the simulated drive: lang_shots <folder> writes
// en_params.png, en_scope.png, en_wizard.png, en_jog.png, en_data_monitor.png (at 1280x800, its
// first chart on the widest name) and en_settings.png.
#include "CustomTheme.h"
#include "SimSettings.h"
#include "support/Shots.h"
#include "DlgSysSet.h"
#include "AppFlags.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MainFrame.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "database/DataProject.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

using shots::Pump;
using shots::Save;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: lang_shots <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    // The translator keeps its language number beside its table: work on a copy.
    QTemporaryDir tmp;
    const QString table = tmp.filePath(QStringLiteral("LangTable.tsv"));
    QFile::copy(QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/LangTable.tsv"), table);
    platform::CreateLanguageLibrary(table);
    GetSqlite()->Load();
    CLanguageConf::GetTheOne()->Set(CLanguageConf::kEnglish);
    GetLangText().m_strLangFile = QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/english_US.ini");
    // No safety prompt in front of the jog page.
    GetAppFlags()->m_bIsDangerWnd = FALSE;
    GetAppFlags()->m_bIsDangerJogMoveWnd = TRUE;

    SimDrive sim;
    if (!StartSeededSim(sim))
        return 1;
    CSysParam sys(QString::fromStdString(SimDrive::DefaultDatabasePath()));
    ConnectSettingsToSim(sys, sim);

    InstallCustomTheme();
    int result = 0;
    {
        CMainFrame frame;
        ShowMainFrame(frame, 1400, 860);
        frame.RetranslateAll();
        Pump(6000, [&] { return sys.m_bConnected.load() != 0; });
        const struct {
            int page;
            const char *file;
        } pages[] = {{kParamsPageId, "en_params.png"}, {kScopePageId, "en_scope.png"}, {17, "en_wizard.png"}, {4, "en_jog.png"}};
        for (const auto &p : pages) {
            frame.GetActiveView()->ShowPage(p.page);
            Pump(1200);
            if (!Save(frame, folder.filePath(QString::fromLatin1(p.file))))
                result = 1;
        }
        // The data monitor at 1280x800, its first chart on the widest English name of its list.
        frame.resize(1280, 800);
        frame.GetActiveView()->ShowPage(6);
        Pump(800);
        if (auto *monitor = qobject_cast<CDlgStatusData *>(frame.GetActiveView()->CurrentPage())) {
            QComboBox *first = monitor->Combo(0);
            int widest = 0;
            for (int i = 0; i < first->count(); ++i)
                if (first->fontMetrics().horizontalAdvance(first->itemText(i)) >
                    first->fontMetrics().horizontalAdvance(first->itemText(widest)))
                    widest = i;
            first->setCurrentIndex(widest);
            for (int k = 1; k < CDlgStatusData::kSlots; ++k)
                monitor->Combo(k)->setCurrentIndex(k);
            Pump(600);
            if (!Save(frame, folder.filePath(QStringLiteral("en_data_monitor.png"))))
                result = 1;
        }
        CDlgSysSet settings(&frame);
        settings.Create(&frame);
        settings.show();
        Pump(600);
        if (!Save(settings, folder.filePath(QStringLiteral("en_settings.png"))))
            result = 1;
        settings.DestroyWindow();
        platform::SetMainWindow(nullptr);
    }
    SetSysParam(nullptr);
    platform::DestroyLanguageLibrary();
    return result;
}
