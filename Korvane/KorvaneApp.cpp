#include "KorvaneApp.h"

#include "DlgCommSetting.h"
#include "DlgLoad.h"
#include "DlgNew.h"
#include "DlgStatus.h"
#include "DlgUserParamSet.h"
#include "KorvaneDoc.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "CustomTheme.h"
#include "MainFrame.h"
#include "NavigationInfo.h"
#include "PathHelpers.h"
#include "SysLog.h"
#include "TraceLog.h"
#include "UserCtrlDefValue.h"
#include "Wnds/scope/ScopeSettings.h"
#include "grid/TableColors.h"
#include "platform/ContextMenus.h"
#include "platform/DeviceWatcher.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QScreen>
#include <QThread>

#include <cstring>

namespace {

CKorvaneApp *g_pApp = nullptr;

const QString kViewSet = QStringLiteral("ViewSet");
const QString kFunctionSet = QStringLiteral("FunctionSet");

QString FlagText(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

// Profile values are read with a buffer of 260 characters.
QString ReadSetting(const platform::IniFile &ini, const QString &section, const QString &key)
{
    return ini.Read(section, key).left(259);
}

// An empty or missing value keeps the member; only "1" is true.
// The frame keeps its switches as bool, the application's flags are BOOL.
template <typename Flag>
void ReadFlag(const platform::IniFile &ini, const QString &section, const QString &key, Flag &member)
{
    const QString v = ReadSetting(ini, section, key);
    if (!v.isEmpty())
        member = v == QStringLiteral("1") ? Flag(1) : Flag(0);
}

void ReadColour(const platform::IniFile &ini, const QString &key, COLORREF &member)
{
    const QString v = ReadSetting(ini, kViewSet, key);
    if (!v.isEmpty())
        member = CKorvaneApp::ParseColourValue(v);
}

// The function switches in the order they are written.
struct FunctionFlag
{
    const char *key;
    BOOL CAppFlags::*member;
};
const FunctionFlag kFunctionFlags[] = {
    {"bIsEnterWriteDriver", &CAppFlags::m_bIsEnterWriteDriver},
    {"bScopeShowCursor", &CAppFlags::m_bScopeShowCursor},
    {"bScopeIsOnce", &CAppFlags::m_bScopeIsOnce},
    {"bScopeCheckCh1", &CAppFlags::m_bScopeCheckCh1},
    {"bScopeCheckCh2", &CAppFlags::m_bScopeCheckCh2},
    {"bScopeCheckCh3", &CAppFlags::m_bScopeCheckCh3},
    {"bScopeCheckCh4", &CAppFlags::m_bScopeCheckCh4},
    {"bIsDangerWnd", &CAppFlags::m_bIsDangerWnd},
    {"m_bIsDangerJogMoveWnd", &CAppFlags::m_bIsDangerJogMoveWnd},
    {"m_bIsDangerInertiaWnd", &CAppFlags::m_bIsDangerInertiaWnd},
    {"m_bIsDangerAnalyseWnd", &CAppFlags::m_bIsDangerAnalyseWnd},
};

CMainFrame *FindMainFrame()
{
    return qobject_cast<CMainFrame *>(platform::MainWindow());
}

}

CKorvaneApp &GetKorvaneApp()
{
    Q_ASSERT(g_pApp);
    return *g_pApp;
}

bool HasKorvaneApp()
{
    return g_pApp != nullptr;
}

CKorvaneApp::CKorvaneApp() : m_pDriveLink(CreateAppDriveLink(g_SysParam))
{
    Q_ASSERT(!g_pApp);
    g_pApp = this;
    SetAppFlags(this);
    m_fnSaveSysSetIni = [this] { SaveSysSetIni(); };
    m_splashTimer.setSingleShot(true);
    m_splashTimer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_splashTimer, &QTimer::timeout, [this] { OnSplashDelayOver(); });
}

CKorvaneApp::~CKorvaneApp()
{
    m_splashTimer.stop();
    DestroySplash();
    // The frame takes the view and its pages; their workers were joined by ExitInstance.
    if (platform::MainWindow() == m_pMainFrame.get())
        platform::SetMainWindow(nullptr);
    m_pMainFrame.reset();
    m_pDocument.reset();
    m_pDriveLink.reset();
    if (GetAppFlags() == this)
        SetAppFlags(nullptr);
    g_pApp = nullptr;
}

int CKorvaneApp::ParseLogLevel(const QString &commandLine, int current)
{
    int level = current;
    for (const QString &word : SplitUpperWords(commandLine)) {
        if (!word.contains(QStringLiteral("--")) || !word.contains(u'='))
            continue;
        if (word.left(10).compare(QStringLiteral("--loglevel"), Qt::CaseInsensitive) != 0)
            continue;
        const QString value = word.mid(word.indexOf(u'=') + 1);
        if (value.compare(QStringLiteral("info"), Qt::CaseInsensitive) == 0)
            level = kLogInfo;
        else if (value.compare(QStringLiteral("warning"), Qt::CaseInsensitive) == 0)
            level = kLogWarning;
        else if (value.compare(QStringLiteral("error"), Qt::CaseInsensitive) == 0)
            level = kLogError;
        else if (value.compare(QStringLiteral("fatal"), Qt::CaseInsensitive) == 0)
            level = kLogFatal;
        else
            level = kLogInfo;
    }
    return level;
}

COLORREF CKorvaneApp::ParseColourValue(const QString &value)
{
    // Up to three fields split at commas, each cut to three characters; a missing field is 0.
    const QStringList fields = value.split(u',');
    int rgb[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < fields.size(); ++i)
        rgb[i] = platform::IniFile::ParseLeadingInt(fields[i].left(3), 0) & 0xFF;
    return RGB(rgb[0], rgb[1], rgb[2]);
}

QString CKorvaneApp::FormatColourValue(COLORREF colour)
{
    return QString::asprintf("%d,%d,%d", int(colour & 0xFF), int((colour >> 8) & 0xFF),
                             int((colour >> 16) & 0xFF));
}

QString CKorvaneApp::SysSetIniPath() const
{
    return m_strAppPath + QStringLiteral("/SysSet.ini");
}

void CKorvaneApp::LoadSysSetIni()
{
    CMainFrame *frame = FindMainFrame();
    if (!frame || !QFileInfo::exists(SysSetIniPath()))
        return;
    platform::IniFile ini;
    if (!ini.Load(SysSetIniPath())) {
        // The user's settings are there but out of reach: keep the defaults for this run and
        // leave the file alone at exit.
        m_bSysSetUnreadable = true;
        KLOG("Korvane") << "SysSet.ini could not be read";
        return;
    }
    ReadFlag(ini, kViewSet, QStringLiteral("BShowEditParam"), frame->m_bShowEditParam);
    ReadFlag(ini, kViewSet, QStringLiteral("BShowMonitorParam"), frame->m_bShowMonitorParam);
    ReadFlag(ini, kViewSet, QStringLiteral("BShowFuncNavitaion"), frame->m_bShowFuncNavigation);
    const QString theme = ReadSetting(ini, kViewSet, QStringLiteral("NThemesID"));
    if (!theme.isEmpty())
        frame->m_nThemeID = platform::IniFile::ParseLeadingInt(theme, 0);
    ReadColour(ini, QStringLiteral("ClrFontColor"), frame->m_clrFont);
    ReadColour(ini, QStringLiteral("ClrEvenColor"), frame->m_clrEven);
    ReadColour(ini, QStringLiteral("ClrOddColor"), frame->m_clrOdd);
    ReadFlag(ini, kViewSet, QStringLiteral("BClrCustom"), frame->m_bClrCustom);
    for (const FunctionFlag &f : kFunctionFlags)
        ReadFlag(ini, kFunctionSet, QString::fromLatin1(f.key), this->*(f.member));
    frame->ApplyPaneSwitches();
    // The tables made with the frame took the default colours: they hear the user's now.
    platform::SendMessage(platform::WindowRef(frame), TableColorsRefreshMessage(), 0, 0);
}

void CKorvaneApp::SaveSysSetIni()
{
    CMainFrame *frame = FindMainFrame();
    if (!frame || m_bSysSetUnreadable)
        return;
    platform::IniFile ini;
    if (!ini.Load(SysSetIniPath()) && QFileInfo::exists(SysSetIniPath()))
        return;  // writing would drop the keys that could not be read
    ini.Write(kViewSet, QStringLiteral("BShowEditParam"), FlagText(frame->m_bShowEditParam));
    ini.Write(kViewSet, QStringLiteral("BShowMonitorParam"), FlagText(frame->m_bShowMonitorParam));
    ini.Write(kViewSet, QStringLiteral("BShowFuncNavitaion"), FlagText(frame->m_bShowFuncNavigation));
    ini.Write(kViewSet, QStringLiteral("NThemesID"), QString::number(frame->m_nThemeID));
    const std::pair<const char *, COLORREF> colours[] = {
        {"ClrFontColor", frame->m_clrFont}, {"ClrEvenColor", frame->m_clrEven}, {"ClrOddColor", frame->m_clrOdd}};
    for (const auto &[key, colour] : colours) {
        // A colour put back to its default leaves no key behind.
        if (colour != CMainFrame::kNoColour)
            ini.Write(kViewSet, QString::fromLatin1(key), FormatColourValue(colour));
        else
            ini.RemoveKey(kViewSet, QString::fromLatin1(key));
    }
    ini.Write(kViewSet, QStringLiteral("BClrCustom"), FlagText(frame->m_bClrCustom));
    for (const FunctionFlag &f : kFunctionFlags)
        ini.Write(kFunctionSet, QString::fromLatin1(f.key), FlagText(this->*(f.member)));
    ini.Save();
}

bool CKorvaneApp::InitInstance(const QStringList &arguments)
{
    // 1. The translator's data file; without it nothing else can start.
    if (!InitLanguage([](const QString &message) {
            platform::Ui().MessageBox(message, QString(), MB_OK | MB_ICONERROR);
        })) {
        m_nExitCode = kLanguageSetupExitCode;
        return false;
    }
    m_nLanguage = GetLangText().m_nLanguage;
    CScopeSettings::AllowCreation();

    // 2. Directories.
    m_strAppPath = GetProgramDir();

    // 3. Command line.
    m_nLogLevel = ParseLogLevel(arguments.mid(1).join(u' '), m_nLogLevel);

    // 4. Logs.
    InitLogging(m_nLogLevel);
    m_bLogging = true;

    // 5. Remembered control values.
    CUserCtrlDefValueList::GetInstance()->LoadFromFile(CUserCtrlDefValueList::FilePath(m_strAppPath));

    // 6. The framework's part: the context menus.
    RegisterContextMenus();

    // 7. Settings, language file, settings object and drive port.
    if (!InitConfig()) {
        platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("参数初始化失败")),
                                  QStringLiteral("Korvane"), MB_OK | MB_ICONERROR);
        m_nExitCode = kStartupFailedExitCode;
        return false;
    }

    KLOG("Korvane") << "0";

    // 12-14. Document, main frame with its view, first page.
    KLOG("Korvane") << "1";
    if (!CreateDocumentAndFrame()) {
        m_nExitCode = kStartupFailedExitCode;
        return false;
    }

    // 15. View and function settings.
    KLOG("Korvane") << "1";
    LoadSysSetIni();

    // 16-17. Splash; the main window shows when the start-up delay is over.
    KLOG("Korvane") << "1";
    ShowSplash();
    m_splashTimer.start(kSplashDelayMs);
    return true;
}

void CKorvaneApp::RegisterContextMenus()
{
    // The framework's edit command ids, so an edit control's own handlers take them.
    platform::AddContextMenu(QString::fromLatin1(kEditMenuName), kEditMenuResId,
                             {{QStringLiteral("剪切(&T)"), 57635},
                              {QStringLiteral("复制(&C)"), 57634},
                              {QStringLiteral("粘贴(&P)"), 57637}});
}

void CKorvaneApp::ClosePort()
{
    m_bOnline = FALSE;
    m_bDriveInfoRead = false;
    // The device the port had open (by the name it was opened with), else the configured one.
    QString device = QString::fromStdString(g_SysParam.m_SeriesPort.DevicePath());
    if (!g_SysParam.m_SeriesPort.m_bOpen || device.isEmpty())
        device = g_SysParam.GetDevicePath();
    g_SysParam.ClosePort();
    g_SysParam.m_bConnected = FALSE;
    const QString text = TrSection(m_strLangSection, QStringLiteral("成功关闭%s (波特率%d)!"));
    platform::Ui().MessageBox(FillLangPlaces(text, {device, QString::number(g_SysParam.m_nComBaud)}),
                              TrSection(m_strLangSection, QStringLiteral("提示")), MB_OK, m_pMainFrame.get());
}

void CKorvaneApp::ShowCommSettings()
{
    CDlgCommSetting dlg(m_pMainFrame.get());
    dlg.DoModal();
}

bool CKorvaneApp::ChangeProduct(int nProductID)
{
    // The port closes first so no transaction runs against a drive whose parameter set is
    // being replaced; it reopens only when the new set is in place.
    g_SysParam.ClosePort();
    CDataProject loaded;
    // Loading may tell the user why it failed: the link lock is not held here.
    if (!g_SysParam.m_ProjectDatabase.LoadDefaultDatabase(loaded, nProductID))
        return false;
    std::lock_guard lock(g_SysParam.m_csSerial);
    g_SysParam.m_ProjectDatabase.m_nProductID = nProductID;
    g_SysParam.m_ProjectDatabase.m_Project = loaded;
    g_SysParam.m_ProjectDatabase.MarkUnchanged();
    g_SysParam.OpenPortFromSettings();
    return true;
}

bool CKorvaneApp::InitConfig()
{
    CLangText &lang = GetLangText();
    lang.SetModuleDir(m_strAppPath);
    m_strModuleDir = lang.m_strModuleDir;
    m_strSettingIni = lang.m_strSettingIni;

    CSysLog &sysLog = GetSysLog();
    sysLog.InitPath();
    sysLog.m_bWithTime = true;
    sysLog.Write("Start Quennark!");

    // One choice for the keyed texts, the translator, Qt's texts and the per-language files.
    SelectLanguage(StoredLanguageChoice());
    m_nLanguage = lang.m_nLanguage;
    m_strLangFile = lang.m_strLangFile;
    m_strLanguage = lang.m_strLanguage;

    return m_pDriveLink && m_pDriveLink->Init();
}

bool CKorvaneApp::CreateDocumentAndFrame()
{
    m_pDocument = std::make_unique<CKorvaneDoc>();
    if (!m_pDocument->OnNewDocument())
        return false;
    InstallCustomTheme();
    m_pMainFrame = std::make_unique<CMainFrame>();
    m_pMainFrame->BindIdentityFlags(&m_bDriveInfoRead, &m_bProductChecked);
    m_pMainFrame->m_fnChangeProduct = [this](int id) { return ChangeProduct(id); };
    QObject::connect(m_pMainFrame.get(), &CMainFrame::closing, m_pMainFrame.get(), [this] { SaveSysSetIni(); });
    platform::SetMainWindow(m_pMainFrame.get());
    m_pMainFrame->SetDeviceWatcher(platform::CreateDeviceWatcher());
    m_pMainFrame->m_fnClosePort = [this] { ClosePort(); };
    m_pMainFrame->m_fnShowCommSettings = [this] { ShowCommSettings(); };
    m_pMainFrame->m_fnNewProjectDialog = [this]() -> std::optional<CNewProjectInfo> {
        CDlgNew dlg(m_pMainFrame.get());
        if (dlg.DoModal() != IDOK)
            return std::nullopt;
        return dlg.m_record.info;
    };
    m_pMainFrame->m_fnCustomGroupDialog = [this](bool edit, const QString &name) -> std::optional<QString> {
        CDlgUserParamSet dlg(m_pMainFrame.get());
        dlg.SetGroup(edit, name);
        if (dlg.DoModal() != IDOK)
            return std::nullopt;
        return dlg.m_strSavedName;
    };
    m_pMainFrame->GetActiveView()->OnInitialUpdate();
    return true;
}

void CKorvaneApp::ShowSplash()
{
    if (!m_pSplash)
        m_pSplash = std::make_unique<CDlgLoad>(m_pMainFrame.get());
    m_pSplash->resize(600, 400);
    m_pSplash->show();
    QRect centre = m_pSplash->frameGeometry();
    const QRect over = m_pMainFrame ? m_pMainFrame->frameGeometry()
                                    : (m_pSplash->screen() ? m_pSplash->screen()->availableGeometry() : QRect());
    centre.moveCenter(over.center());
    m_pSplash->move(centre.topLeft());
}

void CKorvaneApp::OnSplashDelayOver()
{
    if (m_pMainFrame) {
        m_pMainFrame->AllowShow();
        m_pMainFrame->showMaximized();
    }
    if (m_pSplash)
        m_pSplash->hide();
}

void CKorvaneApp::DestroySplash()
{
    m_pSplash.reset();
}

int CKorvaneApp::ExitInstance()
{
    m_splashTimer.stop();
    if (m_pDriveLink)
        m_pDriveLink->RequestReadWorkerStop();
    // Page threads use the settings object and the port: they end before anything goes.
    CKorvaneView *view = m_pMainFrame ? m_pMainFrame->GetActiveView() : nullptr;
    CPageMap noPages;
    CPageMap &pages = view ? view->Pages() : noPages;
    // Every page is left while its mailbox still takes messages: a page that moves the motor
    // stops it here, before the port can go.
    for (auto &[id, entry] : pages) {
        if (entry.pPage)
            platform::SendMessage(entry.pPage.data(), UM_STOP_TIMER);
    }
    StopPageWorkers(pages);

    SaveSysSetIni();
    // Destroying a page records the values of its remembered controls: that has to happen
    // before they are saved, not when the frame goes after this.
    for (auto &[id, entry] : pages) {
        if (entry.pPage)
            entry.pPage->DestroyWindow();
    }
    if (m_pMainFrame && m_pMainFrame->GetActiveView() && m_pMainFrame->GetActiveView()->StatusStrip())
        m_pMainFrame->GetActiveView()->StatusStrip()->DestroyWindow();
    if (!m_strAppPath.isEmpty())
        CUserCtrlDefValueList::GetInstance()->SaveToFile(CUserCtrlDefValueList::FilePath(m_strAppPath));
    DestroySplash();
    DeleteNavigationTrees();
    UninstallCustomTheme();
    // Stops and joins the oscilloscope's acquisition threads before their object goes.
    CScopeSettings::DestroyInstance();

    // The worker may be waiting on the GUI thread (a message it sends, a box it shows): keep
    // the events flowing while it winds down.
    while (m_pDriveLink && m_pDriveLink->IsReadWorkerRunning()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    if (m_bLogging)
        KLOG("Korvane") << "线程已结束";
    if (m_pDriveLink)
        m_pDriveLink->ReleaseReadWorker();
    if (m_bLogging) {
        KLOG("Korvane") << "已释放全部空间";
        ShutdownLogging();
        m_bLogging = false;
    }
    return m_nExitCode;
}
