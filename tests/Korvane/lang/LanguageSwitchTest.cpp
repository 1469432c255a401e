// The language as a user switches it: the program starts in its default language with every
// page made, the settings sheet (opened by the toolbar's command) is set to another language and
// applied, and the program is walked at once and again after a restart of the application
// object: every visible text must be of the new language and fit, including the communication
// dialog, the oscilloscope's source lists and channel dialog, a box from the language file and
// Qt's own standard buttons.
#include "WalkSupport.h"

#include "support/ProgramSession.h"

#include "DlgSetLanguage.h"
#include "DlgSysSet.h"
#include "KorvaneApp.h"
#include "KorvaneView.h"
#include "LangText.h"
#include "MainFrame.h"
#include "PageIds.h"
#include "SimDrive.h"
#include "SimSettings.h"
#include "Wnds/auxFunction/DlgAidInertia.h"
#include "Wnds/scope/DlgScopeChsel.h"
#include "Wnds/scope/WaveFile.h"
#include "database/DbServices.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <cstdio>

namespace {

using walk::PopupCatcher;
using walk::Pump;

struct SwitchCase
{
    const char *name;
    unsigned number;
    const char *stored;  // the name "config/setting.ini" keeps
    ScreenTextAudit::Language rule;
};

void PrintTo(const SwitchCase &c, std::ostream *os) { *os << c.name; }

constexpr int kBaud = 115200;

class LanguageSwitch : public ::testing::TestWithParam<SwitchCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_program.IsValid());
        SetDbProgramDir(m_program.Bin(QString()));
        ASSERT_TRUE(StartSeededSim(m_sim));
        m_sim.SetBaud(kBaud);
        ASSERT_TRUE(platform::IniFile::WriteString(m_program.Bin("config/config.ini"), "SerialPort", "ComBaud",
                                                   QString::number(kBaud)));
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
    }
    void TearDown() override
    {
        qunsetenv("KORVANE_DEVICE");
        m_sim.Stop();
        SetDbProgramDir(QString());
    }

    static CMainFrame *Start(CKorvaneApp &app)
    {
        CMainFrame *frame = session::Start(app, 1400, 860);
        if (frame)
            SettleWindow(frame);
        return frame;
    }

    // Every page of the page table once, so that each is made (and left) before the switch.
    static void MakeEveryPage(CMainFrame &frame)
    {
        ScreenTextAudit ignored(ScreenTextAudit::Language::Simplified);
        PopupCatcher closer(ignored);
        CKorvaneView *view = frame.GetActiveView();
        for (int id : walk::PageIds()) {
            view->ShowPage(id);
            SettleWindow(view);
        }
        view->ShowPage(kParamsPageId);
        SettleWindow(&frame);
    }

    // Qt's own buttons of a real question box, in the program's language.
    static QStringList StandardButtonTexts(QWidget *parent)
    {
        QStringList texts;
        QTimer::singleShot(0, parent, [&] {
            Pump(5000, [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()) != nullptr; });
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton *b : box->buttons())
                texts << b->text();
            box->reject();
        });
        platform::QtUiServices().MessageBox(QStringLiteral("?"), QString(), MB_YESNOCANCEL, parent);
        return texts;
    }

    void Walk(CKorvaneApp &app, CMainFrame &frame, const QString &when)
    {
        ScreenTextAudit audit(GetParam().rule);
        static const QRegularExpression data(QStringLiteral("^[-+0-9A-Fa-fx.,:;%/ ()*=_<>|]*$"));
        static const QStringList ownNames = {QStringLiteral("简体中文"), QStringLiteral("繁體中文")};
        audit.m_isData = [](const QString &text) { return data.match(text).hasMatch() || ownNames.contains(text); };
        audit.m_dataNames << QString::fromUtf8(kScopeGroupName);

        // Qt's standard buttons first, before the catcher would close their box.
        const QStringList buttons = StandardButtonTexts(&frame);
        EXPECT_EQ(buttons.size(), 3) << when.toStdString();
        for (const QString &b : buttons) {
            audit.CheckText(b, when + QStringLiteral(" standard button"));
            if (GetParam().number != CLanguageConf::kEnglish) {
                EXPECT_FALSE(b.contains(QStringLiteral("Yes")) || b.contains(QStringLiteral("Cancel")))
                    << when.toStdString() << ": Qt's button " << b.toStdString() << " is not translated";
            }
        }

        PopupCatcher popups(audit);
        popups.m_where = when + QStringLiteral(" frame");
        audit.Walk(&frame, popups.m_where);
        CKorvaneView *view = frame.GetActiveView();
        for (int id : walk::PageIds()) {
            const QString where = when + QStringLiteral(" page ") + QString::number(id);
            popups.m_where = where;
            view->ShowPage(id);
            EXPECT_TRUE(SettleWindow(view)) << where.toStdString();
            CDialogExMid *page = view->CurrentPage();
            ASSERT_NE(page, nullptr) << where.toStdString();
            audit.Walk(page, where);
            QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, page->rect().center(),
                                        page->mapToGlobal(page->rect().center()));
            QApplication::sendEvent(page, &menuEvent);
            // A box whose text comes from the language file: the inertia page asked to turn
            // while its servo is off.
            if (auto *inertia = qobject_cast<CDlgAidInertia *>(page)) {
                m_ui->ClearCalls();
                platform::SendMessage(inertia, UM_BUTTON_PRESSED, CDlgAidInertia::IDC_FORWARD);
                platform::SendMessage(inertia, UM_BUTTON_RELEASED, CDlgAidInertia::IDC_FORWARD);
                Pump(2000, [&] { return !m_ui->Calls().empty(); });
                ASSERT_FALSE(m_ui->Calls().empty()) << where.toStdString();
                EXPECT_EQ(m_ui->Calls().front().text, LoadLangString(QStringLiteral("IDS_NewInertiaIdentifyDlg_11")));
                m_boxTexts.push_back(m_ui->Calls().front().text);
            }
        }
        view->ShowPage(kParamsPageId);

        // The communication dialog, as the toolbar's connect command opens it.
        popups.m_where = when + QStringLiteral(" communication dialog");
        app.ShowCommSettings();
        // The oscilloscope's channel dialog.
        {
            DlgScopeChsel chsel;
            chsel.setParent(&frame, Qt::Dialog);
            chsel.Create(&frame);
            chsel.show();
            EXPECT_TRUE(SettleWindow(&chsel));
            audit.Walk(&chsel, when + QStringLiteral(" channel dialog"));
            chsel.DestroyWindow();
        }
        EXPECT_GE(popups.m_dialogs, 1) << "the communication dialog was not looked at";

        for (const auto &call : m_ui->Calls()) {
            audit.CheckText(call.text, when + QStringLiteral(" box text"));
            audit.CheckText(call.caption, when + QStringLiteral(" box caption"));
        }
        for (const QString &t : m_boxTexts)
            audit.CheckText(t, when + QStringLiteral(" language-file box"));
        EXPECT_TRUE(audit.Findings().isEmpty()) << when.toStdString() << ": " << audit.Findings().size()
                                                << " findings:\n"
                                                << audit.Findings().join(QLatin1Char('\n')).toStdString();
    }

    ProgramDirCopy m_program{true};
    SimDrive m_sim;
    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_uiScope{m_ui};
    std::vector<QString> m_boxTexts;
};

TEST_P(LanguageSwitch, TheSheetsChoiceReachesEveryTextAtOnceAndAfterARestart)
{
    {
        CKorvaneApp app;
        CMainFrame *frame = Start(app);
        ASSERT_NE(frame, nullptr);
        ASSERT_EQ(CLanguageConf::GetTheOne()->Get(), CLanguageConf::kSimplified);
        MakeEveryPage(*frame);
        ASSERT_TRUE(session::ApplyLanguage(*frame, GetParam().number));
        EXPECT_EQ(CLanguageConf::GetTheOne()->Get(), GetParam().number);
        Walk(app, *frame, QStringLiteral("switched"));
        EXPECT_EQ(app.ExitInstance(), 0);
    }
    // One choice, kept in both stores.
    EXPECT_EQ(platform::IniFile::GetInt(m_program.Bin("config/LangConf.ini"), "Language", "Current", -1),
              int(GetParam().number));
    EXPECT_EQ(platform::IniFile::GetString(m_program.Bin("config/setting.ini"), "Setting", "Language"),
              QString::fromLatin1(GetParam().stored));
    {
        CKorvaneApp app;
        CMainFrame *frame = Start(app);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(CLanguageConf::GetTheOne()->Get(), GetParam().number);
        Walk(app, *frame, QStringLiteral("restarted"));
        EXPECT_EQ(app.ExitInstance(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Switch, LanguageSwitch,
                         ::testing::Values(SwitchCase{"English", CLanguageConf::kEnglish, "EnglishUS",
                                                      ScreenTextAudit::Language::English},
                                           SwitchCase{"Traditional", CLanguageConf::kTraditional, "ChineseT",
                                                      ScreenTextAudit::Language::Traditional}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
