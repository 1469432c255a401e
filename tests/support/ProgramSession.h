#pragma once
// The program as a user starts it and sets its language, for the tests and picture programs that
// take the user's path: the application object's start with its main window shown (past the
// splash) and the drive found, and the settings sheet opened by the toolbar's command, its
// language page set and applied with its button.
#include "AppFlags.h"
#include "DlgSetLanguage.h"
#include "DlgSysSet.h"
#include "KorvaneApp.h"
#include "MainFrame.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace session {

inline bool PumpFor(int ms, const std::function<bool()> &done = {})
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms && !(done && done()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return !done || done();
}

// The main window at the given size once the splash is over and the status tick found the drive
// (ticked again should a poll on a loaded machine find no answer); null when the start failed.
inline CMainFrame *Start(CKorvaneApp &app, int width, int height)
{
    if (!app.InitInstance({QStringLiteral("Korvane")}))
        return nullptr;
    CMainFrame *frame = app.MainFrame();
    if (!PumpFor(10000, [&] { return frame->isVisible(); }))
        return nullptr;
    frame->showNormal();
    frame->resize(width, height);
    PumpFor(10000, [&] {
        if (!GetAppFlags()->m_bOnline)
            frame->OnStatusTimer();
        return GetAppFlags()->m_bOnline != 0;
    });
    return frame;
}

// Opens the settings sheet by the toolbar's command, sets the language page to `number`, presses
// its apply button and closes the sheet. False when the sheet did not open.
inline bool ApplyLanguage(CMainFrame &frame, unsigned number)
{
    bool applied = false;
    QTimer::singleShot(0, &frame, [&] {
        PumpFor(5000, [] { return qobject_cast<CDlgSysSet *>(QApplication::activeModalWidget()) != nullptr; });
        auto *sheet = qobject_cast<CDlgSysSet *>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        sheet->m_sheet->setCurrentIndex(1);
        PumpFor(200);
        sheet->m_pageLanguage->m_cmbLanguage->setCurrentIndex(int(number));
        sheet->m_pageLanguage->m_btnApply->click();
        applied = true;
        PumpFor(300);
        sheet->close();
    });
    frame.OnSystemSettings();
    return applied;
}

}  // namespace session
