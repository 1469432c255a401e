#pragma once
// The application object: start-up in its fixed order (language check, directories, command
// line, logs, remembered values, settings and drive port, document with main frame and view,
// "SysSet.ini", splash and the delayed first showing of the main window) and shutdown in its
// fixed order, with every worker thread stopped and joined before what it uses goes away.
//
// main() builds the one object (reachable as theApp), calls InitInstance, runs the event loop,
// then ExitInstance, and destroys the object before the QApplication.
#include "AppDriveLink.h"
#include "AppFlags.h"
#include "SYSPARAM/SysParam.h"
#include "platform/ColorRef.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class CDlgLoad;
class CKorvaneDoc;
class CMainFrame;

// Exit code of a start-up that failed after its message (the language check has its own,
// kLanguageSetupExitCode).
constexpr int kStartupFailedExitCode = 1;
// How long the main window stays hidden behind the splash window.
constexpr int kSplashDelayMs = 2000;

// The application's switches (CAppFlags) are members of the application itself, so theApp.m_bOnline
// and GetAppFlags()->m_bOnline are one flag; the constructor installs them.
class CKorvaneApp : public CAppFlags
{
public:
    CKorvaneApp();
    ~CKorvaneApp();
    CKorvaneApp(const CKorvaneApp &) = delete;
    CKorvaneApp &operator=(const CKorvaneApp &) = delete;

    // The start-up; false ends the program with m_nExitCode. `arguments` are the program's
    // arguments (the first, the program itself, included).
    bool InitInstance(const QStringList &arguments);
    // The shutdown; answers the program's exit code.
    int ExitInstance();

    // Replaces the drive link before InitInstance (tests).
    void SetDriveLink(std::unique_ptr<IAppDriveLink> link) { m_pDriveLink = std::move(link); }
    IAppDriveLink *DriveLink() const { return m_pDriveLink.get(); }

    CMainFrame *MainFrame() const { return m_pMainFrame.get(); }
    CKorvaneDoc *Document() const { return m_pDocument.get(); }
    CDlgLoad *Splash() const { return m_pSplash.get(); }

    // Operations of the main frame's commands and status timer (GUI thread).
    // Clears m_bOnline and m_bDriveInfoRead, closes the port and tells the user which port
    // closed.
    void ClosePort();
    // The communication settings dialog, modal.
    void ShowCommSettings();
    // Switches to another product's parameter set from the default database: the port is
    // closed, the set loaded, and the port opened again. When loading fails the product in
    // use stays and the port stays closed; the answer is then false.
    bool ChangeProduct(int nProductID);
    // Registers the edit popup (Cut, Copy, Paste) under kEditMenuName.
    static void RegisterContextMenus();
    static constexpr const char *kEditMenuName = "My menu";
    static constexpr int kEditMenuResId = 130;

    // View and function settings in m_strAppPath + "/SysSet.ini"; both do nothing without a
    // main frame, and loading keeps every default when the file is missing. A file that is
    // there but cannot be read is never written over.
    void LoadSysSetIni();
    void SaveSysSetIni();
    QString SysSetIniPath() const;

    // "--loglevel=<info|warning|error|fatal>" in the command line (words split at spaces,
    // compared without case); the last such word wins; `current` when there is none.
    static int ParseLogLevel(const QString &commandLine, int current);
    // A colour as "SysSet.ini" keeps it ("r,g,b", the low byte of each field).
    static COLORREF ParseColourValue(const QString &value);
    static QString FormatColourValue(COLORREF colour);

    // The settings and drive-connection object. Declared ahead of the drive link, the frame
    // and the pages, so it goes after them and the port closes last.
    CSysParam g_SysParam;

    QString m_strAppPath;
    int m_nLanguage = 0;
    QString m_strLangSection = QStringLiteral("CKorvaneApp");
    QString m_strLangFile;
    QString m_strSettingIni;
    QString m_strModuleDir;
    QString m_strLanguage;
    bool m_bDriveInfoRead = false;
    bool m_bProductChecked = false;
    int m_nLogLevel = 0;
    int m_nExitCode = 0;

private:
    bool InitConfig();
    bool CreateDocumentAndFrame();
    void ShowSplash();
    void OnSplashDelayOver();
    void DestroySplash();

    std::unique_ptr<IAppDriveLink> m_pDriveLink;
    std::unique_ptr<CKorvaneDoc> m_pDocument;
    std::unique_ptr<CMainFrame> m_pMainFrame;
    std::unique_ptr<CDlgLoad> m_pSplash;
    QTimer m_splashTimer;
    bool m_bLogging = false;
    bool m_bSysSetUnreadable = false;
};

// The one application object; only valid while main() holds it.
CKorvaneApp &GetKorvaneApp();
bool HasKorvaneApp();
#define theApp (GetKorvaneApp())
