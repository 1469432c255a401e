// Pictures of the program in English and traditional Chinese, reached as a user reaches them:
// the program starts (in simplified Chinese) against the simulated drive, the settings sheet is
// set to the language and applied, and the application object starts again. Then, for each
// language, lang_shots <folder> writes <lang>_comm.png (the communication dialog),
// <lang>_scope_sources.png (the oscilloscope's source list, open), <lang>_jog_off.png and
// <lang>_jog_on.png (the jog page with its switch off and on), <lang>_yesno.png (a question box
// with Qt's own buttons), <lang>_jog_tip.png (the jog page's safety prompt) and
// <lang>_data_monitor.png (its first chart on the widest name of its list); <lang> is "en" or
// "zh_TW".
#include "support/ProgramDirCopy.h"
#include "support/ProgramSession.h"
#include "support/Shots.h"

#include "AppFlags.h"
#include "DlgCommSetting.h"
#include "DlgSetLanguage.h"
#include "DlgShowTip.h"
#include "DlgSysSet.h"
#include "KorvaneApp.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MainFrame.h"
#include "PageIds.h"
#include "SimDrive.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "Wnds/auxFunction/DlgAidJogMove.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "Wnds/scope/DlgSocpeParam.h"
#include "database/DbServices.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

using shots::Pump;
using shots::Save;

namespace {

constexpr int kBaud = 115200;

bool Pictures(CMainFrame &frame, const QDir &folder, const QString &lang)
{
    bool ok = true;
    const auto file = [&](const char *name) { return folder.filePath(lang + QLatin1Char('_') + QLatin1String(name)); };
    {
        CDlgCommSetting comm(&frame);
        comm.setParent(&frame, Qt::Dialog);
        comm.Create(&frame);
        comm.show();
        Pump(800);
        ok = Save(comm, file("comm.png")) && ok;
        comm.DestroyWindow();
    }
    CKorvaneView *view = frame.GetActiveView();
    view->ShowPage(kScopePageId);
    Pump(1500);
    if (auto *panel = view->CurrentPage()->findChild<CDlgSocpeParam *>()) {
        QComboBox *source = panel->Source(1);
        source->showPopup();
        Pump(600);
        ok = Save(*source->view()->window(), file("scope_sources.png")) && ok;
        source->hidePopup();
    }
    view->ShowPage(4);
    Pump(1200);
    ok = Save(frame, file("jog_off.png")) && ok;
    if (auto *jog = qobject_cast<CDlgAidJogMove *>(view->CurrentPage())) {
        jog->EnableButton()->click();
        Pump(3000, [&] { return jog->JogState() == 1; });
        Pump(300);
        ok = Save(frame, file("jog_on.png")) && ok;
        jog->EnableButton()->click();
        Pump(1500, [&] { return jog->JogState() == 0; });
    }
    view->ShowPage(6);
    Pump(800);
    if (auto *monitor = qobject_cast<CDlgStatusData *>(view->CurrentPage())) {
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
        ok = Save(frame, file("data_monitor.png")) && ok;
    }
    view->ShowPage(kParamsPageId);
    {
        // A question as the program asks it, with Qt's own standard buttons.
        QMessageBox box(QMessageBox::Question, TrText(QStringLiteral("提示")),
                        TrText(QStringLiteral("是否保存对当前工程的更改？")), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                        &frame);
        box.show();
        Pump(500);
        ok = Save(box, file("yesno.png")) && ok;
    }
    {
        CDlgShowTip tip(&frame);
        tip.m_strImagePath = AidSafetyPicturePath(QStringLiteral("JogTip.png"));
        tip.setParent(&frame, Qt::Dialog);
        tip.Create(&frame);
        tip.show();
        Pump(600);
        ok = Save(tip, file("jog_tip.png")) && ok;
        tip.DestroyWindow();
    }
    return ok;
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const auto out = shots::OutputFolder(argc, argv, "lang_shots <folder>");
    if (!out)
        return 2;
    const QDir &folder = *out;
    int result = 0;
    const struct
    {
        unsigned number;
        const char *lang;
    } languages[] = {{CLanguageConf::kEnglish, "en"}, {CLanguageConf::kTraditional, "zh_TW"}};
    for (const auto &l : languages) {
        // A program folder of its own, starting in the default language every time.
        const ProgramDirCopy program(true);
        SetDbProgramDir(program.Bin(QString()));
        SimDrive sim;
        if (!program.IsValid() || !sim.Start())
            return 1;
        sim.SeedFromDefaultDatabase(SimDrive::DefaultDatabasePath());
        sim.SetBaud(kBaud);
        platform::IniFile::WriteString(program.Bin("config/config.ini"), "SerialPort", "ComBaud", QString::number(kBaud));
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(sim.SlavePath()));
        // The pictures are taken without a question in between.
        platform::ScopedUiServices ui{std::make_shared<platform::ScriptedUiServices>()};
        {
            CKorvaneApp korvane;
            CMainFrame *frame = session::Start(korvane, 1280, 800);
            if (!frame)
                return 1;
            session::ApplyLanguage(*frame, l.number);
            korvane.ExitInstance();
        }
        {
            CKorvaneApp korvane;
            CMainFrame *frame = session::Start(korvane, 1280, 800);
            if (!frame)
                return 1;
            GetAppFlags()->m_bIsDangerJogMoveWnd = TRUE;
            if (!Pictures(*frame, folder, QString::fromLatin1(l.lang)))
                result = 1;
            korvane.ExitInstance();
        }
        qunsetenv("KORVANE_DEVICE");
        sim.Stop();
        SetDbProgramDir(QString());
    }
    return result;
}
