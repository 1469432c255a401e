// Builds the process-wide objects in start-up order, runs the program and tears them down in
// reverse before the QApplication goes.
//
// Environment switches for automated runs (read here only):
//   KORVANE_QUIT_AFTER_MS=<ms>        closes the main window after that time, as the user would
//   KORVANE_WINDOW_PROBE_MS=<ms,...>  prints "probe <ms> main=<visible|hidden>
//                                     splash=<visible|hidden>" at each time after start-up
//   KORVANE_UI=stderr                 message boxes print "message box: <caption> | <text>" to
//                                     standard error and answer their first button at once
#include "KorvaneApp.h"
#include "LangText.h"
#include "MainFrame.h"
#include "DlgLoad.h"
#include "Resources.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include "platform/NumericLocale.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace {

class StderrUiServices : public platform::ScriptedUiServices
{
protected:
    int DoMessageBox(const QString &text, const QString &caption, UINT type, QWidget *owner) override
    {
        std::fprintf(stderr, "message box: %s | %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        std::fflush(stderr);
        return ScriptedUiServices::DoMessageBox(text, caption, type, owner);
    }
};

const char *Shown(const QWidget *w)
{
    return w && w->isVisible() ? "visible" : "hidden";
}

void ArmAutomation(CKorvaneApp &app)
{
    for (const QString &t : qEnvironmentVariable("KORVANE_WINDOW_PROBE_MS").split(u',', Qt::SkipEmptyParts)) {
        const int ms = t.trimmed().toInt();
        QTimer::singleShot(ms, Qt::PreciseTimer, [&app, ms] {
            std::printf("probe %d main=%s splash=%s\n", ms, Shown(app.MainFrame()), Shown(app.Splash()));
            std::fflush(stdout);
        });
    }
    bool ok = false;
    const int quitMs = qEnvironmentVariableIntValue("KORVANE_QUIT_AFTER_MS", &ok);
    if (ok)
        QTimer::singleShot(quitMs, [&app] {
            if (app.MainFrame())
                app.MainFrame()->close();
            else
                QApplication::quit();
        });
}

}

int main(int argc, char *argv[])
{
    QApplication qtApp(argc, argv);
    platform::KeepCNumericLocale();
    InitKorvaneResources();
    if (qEnvironmentVariable("KORVANE_UI") == QStringLiteral("stderr"))
        platform::SetUiServices(std::make_shared<StderrUiServices>());

    platform::CreateLanguageLibrary(DefaultLangDataFile());
    int exitCode = 0;
    {
        CKorvaneApp app;
        if (!app.InitInstance(QApplication::arguments())) {
            // A missing language file ends the program before anything else started.
            exitCode = app.m_nExitCode == kLanguageSetupExitCode ? app.m_nExitCode : app.ExitInstance();
        } else {
            ArmAutomation(app);
            const int loopResult = QApplication::exec();
            exitCode = app.ExitInstance();
            if (exitCode == 0)
                exitCode = loopResult;
        }
    }
    platform::SetUiServices(nullptr);
    platform::DestroyLanguageLibrary();
    return exitCode;
}
