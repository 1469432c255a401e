// The settings sheet: the function page's switches, the rule for the table-colour broadcast,
// the language switch, and the view settings file's keys and defaults.
#include "AppFlags.h"
#include "DlgSetFunction.h"
#include "DlgSetLanguage.h"
#include "DlgSysSet.h"
#include "DlgViewSetPage.h"
#include "KorvaneApp.h"
#include "MainFrame.h"
#include "controls/ColourPopup.h"
#include "controls/KVColorButton.h"
#include "grid/TableColors.h"
#include "platform/grid/Grid.h"
#include "platform/ControlNotify.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"
#include "support/ProgramDirCopy.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// A top-level window that counts the table-colour broadcasts it hears.
class BroadcastListener : public QWidget, public platform::MessageTarget
{
public:
    BroadcastListener() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH")))
            ++heard;
        return MessageTarget::WindowProc(msg, wParam, lParam);
    }
    int heard = 0;
};

class SysSetSheetTest : public ::testing::Test
{
protected:
    void SetUp() override { SetAppFlags(&m_flags); }
    void TearDown() override
    {
        platform::SetMainWindow(nullptr);
        SetAppFlags(nullptr);
    }
    CAppFlags m_flags;
    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_uiScope{m_ui};
};

TEST_F(SysSetSheetTest, FunctionPageSetsTheSwitchesAndTheDangerFlagsFollow)
{
    m_flags.m_bIsEnterWriteDriver = TRUE;
    m_flags.m_bIsDangerWnd = TRUE;
    CDlgSysSet dlg;
    dlg.Create(nullptr);
    CDlgSetFunction &page = *dlg.m_pageFunction;
    EXPECT_TRUE(page.m_chkEnterWrites->isChecked());
    EXPECT_TRUE(page.m_chkDanger->isChecked());

    page.m_chkEnterWrites->click();
    EXPECT_FALSE(m_flags.m_bIsEnterWriteDriver);
    page.m_chkDanger->click();
    EXPECT_FALSE(m_flags.m_bIsDangerWnd);
    EXPECT_TRUE(m_flags.m_bIsDangerJogMoveWnd);
    EXPECT_TRUE(m_flags.m_bIsDangerInertiaWnd);
    EXPECT_TRUE(m_flags.m_bIsDangerAnalyseWnd);
    page.m_chkDanger->click();
    EXPECT_TRUE(m_flags.m_bIsDangerWnd);
    EXPECT_FALSE(m_flags.m_bIsDangerJogMoveWnd);
    EXPECT_FALSE(m_flags.m_bIsDangerInertiaWnd);
    EXPECT_FALSE(m_flags.m_bIsDangerAnalyseWnd);
}

TEST_F(SysSetSheetTest, TableColoursAreBroadcastOnlyWithCustomColoursOn)
{
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    BroadcastListener listener;
    CDlgSysSet dlg;
    dlg.m_pageView->m_clrTable1 = RGB(1, 2, 3);
    dlg.Create(nullptr);
    CDlgViewSetPage &page = *dlg.m_pageView;
    EXPECT_TRUE(page.m_btnTheme->isHidden());
    EXPECT_EQ(page.m_btnTable1->GetColor(), RGB(1, 2, 3));

    auto choose = [](CKVColorButton *button, COLORREF c) {
        button->SetColor(c);
        platform::NotifyParent(button, BN_CLICKED);
        QApplication::processEvents();
    };
    choose(page.m_btnTable1, RGB(10, 20, 30));
    choose(page.m_btnFont, RGB(40, 50, 60));
    EXPECT_EQ(frame.m_clrEven, RGB(10, 20, 30));
    EXPECT_EQ(frame.m_clrFont, RGB(40, 50, 60));
    EXPECT_EQ(listener.heard, 0);
    EXPECT_EQ(dlg.m_nRedraws, 0);

    page.m_chkTableCustom->click();  // the switch always tells
    QApplication::processEvents();
    EXPECT_TRUE(frame.m_bClrCustom);
    EXPECT_EQ(listener.heard, 1);
    choose(page.m_btnTable2, RGB(70, 80, 90));
    EXPECT_EQ(frame.m_clrOdd, RGB(70, 80, 90));
    EXPECT_EQ(listener.heard, 2);
    EXPECT_EQ(dlg.m_nRedraws, 2);

    page.m_chkShowMonitor->click();
    EXPECT_FALSE(frame.m_bShowMonitorParam);
    EXPECT_TRUE(frame.MonitorPane()->isHidden());
}

// "默认" in a table colour's palette takes the custom colour away: the frame keeps none, so
// the table is drawn in its own colour and the file keeps no key for it.
TEST_F(SysSetSheetTest, TheDefaultEntryResetsATableColour)
{
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    frame.m_clrEven = RGB(1, 2, 3);
    CDlgSysSet dlg;
    dlg.m_pageView->m_clrTable1 = frame.m_clrEven;
    dlg.Create(nullptr);
    CDlgViewSetPage &page = *dlg.m_pageView;
    page.m_btnTable1->click();
    auto *popup = qobject_cast<CColourPopup *>(QApplication::activePopupWidget());
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->m_bHasAutomaticButton);
    EXPECT_EQ(popup->m_strAutomaticText, TrSection(QStringLiteral("CDlgViewSetPage"), QStringLiteral("默认")));
    const QPoint at = popup->m_rcAutomaticButton.center();
    for (QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, popup->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(popup, &e);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(page.m_btnTable1->GetColor(), kAutomaticColor);
    EXPECT_EQ(frame.m_clrEven, CMainFrame::kNoColour);
    EXPECT_EQ(CurrentTableColors().clrEven, platform::kGridDefaultColor) << "the grids draw their own colour";
}

TEST_F(SysSetSheetTest, LanguageSwitchRetextsTheSheetAndEveryPage)
{
    const ProgramDirCopy program;
    ASSERT_TRUE(program.IsValid());
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    CDlgSysSet dlg;
    dlg.m_pageView->m_clrFont = RGB(1, 1, 1);
    dlg.m_pageView->m_clrTable1 = RGB(2, 2, 2);
    dlg.m_pageView->m_clrTable2 = RGB(3, 3, 3);
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.m_sheet->tabText(0), QStringLiteral("视窗设置"));

    CDlgSetLanguage &page = *dlg.m_pageLanguage;
    ASSERT_EQ(page.m_cmbLanguage->count(), 3);
    page.m_cmbLanguage->setCurrentIndex(2);
    page.OnApply();
    EXPECT_EQ(platform::CLanguageConf::GetTheOne()->Get(), 2u);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(dlg.m_sheet->tabText(0), QStringLiteral("Window Settings"));
    EXPECT_EQ(dlg.m_sheet->tabText(1), QStringLiteral("Language"));
    EXPECT_EQ(dlg.m_sheet->tabText(2), QStringLiteral("Parameter Settings"));
    EXPECT_EQ(dlg.m_pageFunction->m_chkDanger->text(), QStringLiteral("Show safety warnings"));
    EXPECT_EQ(dlg.m_pageView->m_chkTableCustom->text(), QStringLiteral("Custom Table Colors"));
    EXPECT_EQ(page.m_cmbLanguage->itemText(0), QStringLiteral("简体中文"));
    EXPECT_EQ(page.m_cmbLanguage->itemText(2), QStringLiteral("English"));
    EXPECT_EQ(dlg.m_pageView->m_btnFont->GetColor(), RGB(1, 1, 1));
    EXPECT_EQ(dlg.m_pageView->m_btnTable1->GetColor(), RGB(2, 2, 2));
    EXPECT_EQ(dlg.m_pageView->m_btnTable2->GetColor(), RGB(3, 3, 3));
    EXPECT_EQ(frame.windowTitle(), QStringLiteral("Halvex Servo Tuning Software"));
    EXPECT_EQ(TrSection(QStringLiteral("CMainFrame"), QStringLiteral("急停写入失败，驱动器未停机！")),
              QStringLiteral("The emergency stop could not be written: the drive has not stopped!"));
    // One choice: keyed texts, the stored name and the stored number follow it.
    EXPECT_EQ(LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_11")), QStringLiteral("Please switch the servo on before turning forward!"));
    EXPECT_EQ(platform::IniFile::GetString(program.Bin("config/setting.ini"), "Setting", "Language"), QStringLiteral("EnglishUS"));
    EXPECT_EQ(platform::IniFile::GetInt(program.Bin("config/LangConf.ini"), "Language", "Current", -1), 2);
}

// Every label and check box of the sheet shows its whole text in each language.
TEST_F(SysSetSheetTest, LabelsFitInEveryLanguage)
{
    const ProgramDirCopy program;
    ASSERT_TRUE(program.IsValid());
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    for (unsigned language : {0u, 1u, 2u}) {
        SelectLanguage(language);
        CDlgSysSet dlg;
        dlg.Create(nullptr);
        dlg.TranslateControls();
        for (QWidget *page : {static_cast<QWidget *>(dlg.m_pageView), static_cast<QWidget *>(dlg.m_pageLanguage),
                              static_cast<QWidget *>(dlg.m_pageFunction)}) {
            for (QWidget *w : page->findChildren<QWidget *>()) {
                if (w->isHidden() || !(qobject_cast<QLabel *>(w) || qobject_cast<QCheckBox *>(w)))
                    continue;
                EXPECT_GE(w->width(), w->sizeHint().width())
                    << "language " << language << ": \"" << w->property("text").toString().toStdString() << "\"";
            }
        }
    }
}

// Every key of "SysSet.ini" with its default, and what a changed value writes.
TEST_F(SysSetSheetTest, SysSetIniWritesEveryKeyWithItsDefaultAndReadsThemBack)
{
    QTemporaryDir dir;
    CKorvaneApp app;
    app.m_strAppPath = dir.path();
    {
        CMainFrame frame;
        platform::SetMainWindow(&frame);
        app.LoadSysSetIni();  // no file: defaults stay
        app.SaveSysSetIni();
        platform::SetMainWindow(nullptr);
    }
    const platform::IniFile saved(app.SysSetIniPath());
    const struct
    {
        const char *section;
        const char *key;
        const char *value;
    } defaults[] = {
        {"ViewSet", "BShowEditParam", "1"},        {"ViewSet", "BShowMonitorParam", "1"},
        {"ViewSet", "BShowFuncNavitaion", "1"},    {"ViewSet", "NThemesID", "32826"},
        {"ViewSet", "BClrCustom", "0"},            {"FunctionSet", "bIsEnterWriteDriver", "1"},
        {"FunctionSet", "bScopeShowCursor", "1"},  {"FunctionSet", "bScopeIsOnce", "0"},
        {"FunctionSet", "bScopeCheckCh1", "0"},    {"FunctionSet", "bScopeCheckCh2", "0"},
        {"FunctionSet", "bScopeCheckCh3", "0"},    {"FunctionSet", "bScopeCheckCh4", "0"},
        {"FunctionSet", "bIsDangerWnd", "1"},      {"FunctionSet", "m_bIsDangerJogMoveWnd", "0"},
        {"FunctionSet", "m_bIsDangerInertiaWnd", "0"}, {"FunctionSet", "m_bIsDangerAnalyseWnd", "0"},
    };
    for (const auto &d : defaults)
        EXPECT_EQ(saved.Read(QString::fromLatin1(d.section), QString::fromLatin1(d.key)), QString::fromLatin1(d.value))
            << d.key;
    for (const char *colour : {"ClrFontColor", "ClrEvenColor", "ClrOddColor"})
        EXPECT_FALSE(saved.HasKey(QStringLiteral("ViewSet"), QString::fromLatin1(colour))) << colour;

    // Every value turned round, written and read back by a fresh frame and application.
    {
        CMainFrame frame;
        platform::SetMainWindow(&frame);
        frame.m_bShowEditParam = frame.m_bShowMonitorParam = frame.m_bShowFuncNavigation = false;
        frame.m_nThemeID = 32830;
        frame.m_clrFont = RGB(255, 128, 0);
        frame.m_clrEven = RGB(1, 2, 3);
        frame.m_clrOdd = RGB(4, 5, 6);
        frame.m_bClrCustom = true;
        for (BOOL CAppFlags::*m : {&CAppFlags::m_bIsEnterWriteDriver, &CAppFlags::m_bScopeShowCursor,
                                   &CAppFlags::m_bScopeIsOnce, &CAppFlags::m_bScopeCheckCh1, &CAppFlags::m_bScopeCheckCh2,
                                   &CAppFlags::m_bScopeCheckCh3, &CAppFlags::m_bScopeCheckCh4, &CAppFlags::m_bIsDangerWnd,
                                   &CAppFlags::m_bIsDangerJogMoveWnd, &CAppFlags::m_bIsDangerInertiaWnd,
                                   &CAppFlags::m_bIsDangerAnalyseWnd})
            app.*m = !(app.*m);
        app.SaveSysSetIni();
        platform::SetMainWindow(nullptr);
    }
    CKorvaneApp *again = &app;
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    again->m_bIsEnterWriteDriver = TRUE;
    again->m_bScopeIsOnce = FALSE;
    again->LoadSysSetIni();
    EXPECT_FALSE(frame.m_bShowEditParam);
    EXPECT_FALSE(frame.m_bShowMonitorParam);
    EXPECT_FALSE(frame.m_bShowFuncNavigation);
    EXPECT_EQ(frame.m_nThemeID, 32830);
    EXPECT_EQ(frame.m_clrFont, RGB(255, 128, 0));
    EXPECT_EQ(frame.m_clrEven, RGB(1, 2, 3));
    EXPECT_EQ(frame.m_clrOdd, RGB(4, 5, 6));
    EXPECT_TRUE(frame.m_bClrCustom);
    EXPECT_FALSE(again->m_bIsEnterWriteDriver);
    EXPECT_TRUE(again->m_bScopeIsOnce);
}

TEST_F(SysSetSheetTest, AnUnreadableSysSetIniIsNeverReplacedByDefaults)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser";
    QTemporaryDir dir;
    CKorvaneApp app;
    app.m_strAppPath = dir.path();
    const QByteArray content = "[ViewSet]\nBShowEditParam=0\nNThemesID=32830\n";
    {
        QFile f(app.SysSetIniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(app.SysSetIniPath()).constData(), 0200), 0);
    CMainFrame frame;
    platform::SetMainWindow(&frame);
    app.LoadSysSetIni();
    EXPECT_TRUE(frame.m_bShowEditParam);  // nothing could be read
    app.SaveSysSetIni();
    ::chmod(QFile::encodeName(app.SysSetIniPath()).constData(), 0600);
    QFile f(app.SysSetIniPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), content);
}

}
