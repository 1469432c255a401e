// The oscilloscope's small dialogs: DI/DO and bit choices, the data choice, the trigger and
// the recording folder; the DI/DO names against the simulated drive.
#include "ScopeLinkFixture.h"

#include "PathHelpers.h"
#include "Wnds/scope/ChBitDlg.h"
#include "Wnds/scope/DISelecDlg.h"
#include "Wnds/scope/DlgScopeChsel.h"
#include "Wnds/scope/NewScopeContiPathDlg.h"
#include "Wnds/scope/NewTrigerDlg.h"
#include "Wnds/scope/ScopeConfig.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>

namespace {

void UseEnglish()
{
    GetLangText().m_strLangFile =
        QCoreApplication::applicationDirPath() + QStringLiteral("/config/english_US.ini");
    GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
}

// Dialogs with no drive at all.
class ScopeDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseEnglish();
        SetSysParam(nullptr);
        settings = CScopeSettings::GetInstance();
        settings->Reset();
    }
    std::shared_ptr<platform::ScriptedUiServices> ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope{ui};
    CScopeSettings *settings = nullptr;
};

}

TEST_F(ScopeDialogs, DiChoiceWithoutDriveKeepsMaskBitsAndTerminalColours)
{
    CDISelecDlg dlg(nullptr, 0xFC05);
    dlg.Create(nullptr);
    EXPECT_FALSE(dlg.NamesPending());
    ASSERT_EQ(dlg.TerminalCount(), 10);
    EXPECT_EQ(dlg.Box(0)->text(), "DI1:(not connected)");
    EXPECT_EQ(dlg.Box(9)->text(), "DI10:(not connected)");
    EXPECT_TRUE(dlg.Box(0)->isChecked());
    EXPECT_FALSE(dlg.Box(1)->isChecked());
    EXPECT_TRUE(dlg.Box(2)->isChecked());
    dlg.Box(0)->setChecked(false);
    dlg.OnOK();
    EXPECT_EQ(dlg.m_dwMask, 0xFC04u);
    EXPECT_EQ(dlg.m_arrSelNames, QStringList{"DI3:(not connected)"});
    EXPECT_EQ(dlg.m_arrSelColours, std::vector<COLORREF>{RGB(255, 128, 128)});
}

TEST_F(ScopeDialogs, DoChoiceHasEightTerminals)
{
    CDOSelecDlg dlg(nullptr, 0x80);
    dlg.Create(nullptr);
    ASSERT_EQ(dlg.TerminalCount(), 8);
    EXPECT_EQ(dlg.Box(7)->text(), "DO8:(not connected)");
    dlg.OnOK();
    EXPECT_EQ(dlg.m_dwMask, 0x80u);
    EXPECT_EQ(dlg.m_arrSelColours, std::vector<COLORREF>{RGB(64, 128, 128)});
}

TEST_F(ScopeDialogs, BitChoiceNamesAndColoursInBitOrder)
{
    QStringList names;
    for (int i = 0; i < 16; ++i)
        names << QStringLiteral("n%1").arg(i);
    const DWORD bits = 0x30005;
    CChBitDlg dlg(&bits, &names);
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.Box(0)->text(), "bit0: n0");
    EXPECT_EQ(dlg.Box(15)->text(), "bit15: n15");
    EXPECT_TRUE(dlg.Box(0)->isChecked() && dlg.Box(2)->isChecked() && !dlg.Box(1)->isChecked());
    dlg.OnOK();
    EXPECT_EQ(dlg.m_dwBits, 0x30005u);
    EXPECT_EQ(dlg.m_arrSelNames, (QStringList{"n0", "n2"}));
    EXPECT_EQ(dlg.m_arrSelColours, (std::vector<COLORREF>{0x008B8B, 0x00FFFF}));

    CChBitDlg none(&bits, &names);
    none.Create(nullptr);
    for (int i = 0; i < 16; ++i)
        none.Box(i)->setChecked(false);
    none.OnOK();
    EXPECT_EQ(none.m_dwBits, 0x30000u);
    EXPECT_TRUE(none.m_arrSelNames.isEmpty());
    EXPECT_TRUE(none.m_arrSelColours.empty());
}

TEST_F(ScopeDialogs, DataChoiceKeepsTheBudgetAndPlacesDiDo)
{
    CChannelInfo speed;
    speed.nSourceCode = 160;
    speed.strName = "Speed.cmd(r/min)";
    settings->m_arrChannelInfo = {speed};
    for (int i = 0; i < 4; ++i)
        settings->m_strChannelName[i] = QStringLiteral("old%1").arg(i);
    DlgScopeChsel dlg;
    dlg.Create(nullptr);
    // Items carry the source names of the running language's table.
    EXPECT_EQ(dlg.Box(1148)->text(), "Speed.cmd(r/min)");
    EXPECT_EQ(dlg.Box(2321)->text(), "DI");
    dlg.Refresh();
    EXPECT_EQ(dlg.TotalEdit()->text(), "0");

    for (int id : {2321, 1148, 1149})  // DI and two 16-bit items: 48 bits
        dlg.Box(id)->setChecked(true);
    dlg.Refresh();
    EXPECT_EQ(dlg.TotalEdit()->text(), "48");
    EXPECT_FALSE(dlg.Box(1134)->isEnabled()) << "a 32-bit item no longer fits";
    EXPECT_TRUE(dlg.Box(1150)->isEnabled());
    dlg.Box(1150)->setChecked(true);
    dlg.Refresh();
    EXPECT_FALSE(dlg.Box(1153)->isEnabled());
    dlg.Box(1150)->setChecked(false);
    dlg.Refresh();
    EXPECT_TRUE(dlg.Box(1153)->isEnabled());

    // Ticked between two refreshes: counted again on confirming, and refused.
    dlg.Box(1134)->setChecked(true);
    dlg.OnOK();
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, "选择内容超过64位，请重新选择");
    EXPECT_EQ(settings->m_strChannelName[0], "old0");

    dlg.Box(1134)->setChecked(false);
    dlg.OnOK();
    EXPECT_EQ(settings->m_nChselKind, 0);
    // DI, then two items in list order; DI moves to CH3 in exchange for what was there.
    EXPECT_EQ(settings->m_strChannelName[0], QString::fromUtf8("速度反馈(r/min)"));
    EXPECT_EQ(settings->m_strChannelName[1], "Speed.cmd(r/min)");
    EXPECT_EQ(settings->m_strChannelName[2], "DI");
    EXPECT_EQ(settings->m_strChannelName[3], "old3");
}

TEST_F(ScopeDialogs, TriggerOpensResetAndRemembersAConfirmedChoice)
{
    TrigerObj speed;
    speed.strName = "Speed";
    speed.nLower = -6000;
    speed.nUpper = 6000;
    speed.nCode = 1;
    speed.fScale = 1.0f;
    {
        CNewTrigerDlg dlg({speed}, 4000, TRUE);
        dlg.Create(nullptr);
        QComboBox *a = dlg.Combo(CNewTrigerDlg::IDC_SOURCE_A);
        EXPECT_EQ(a->currentIndex(), 0);
        EXPECT_FALSE(dlg.Combo(CNewTrigerDlg::IDC_COND_A)->isEnabled());
        EXPECT_FALSE(dlg.Edit(CNewTrigerDlg::IDC_LEVEL_A)->isEnabled());
        EXPECT_FALSE(dlg.Combo(CNewTrigerDlg::IDC_COMBINATION)->isEnabled());
        EXPECT_FALSE(dlg.Edit(CNewTrigerDlg::IDC_PERCENT)->isEnabled());
        EXPECT_FALSE(dlg.Combo(CNewTrigerDlg::IDC_SOURCE_B)->isEnabled());
        // none, Speed, DI1..DI10, DO1..DO8, then the English description file.
        ASSERT_EQ(a->count(), 1 + 1 + 10 + 8 + 8);
        EXPECT_EQ(a->itemText(2), "DI1: (not connected)");
        EXPECT_EQ(a->itemText(12), "DO1: (not connected)");
        EXPECT_EQ(a->itemText(20), "48: Servo_ready");

        a->setCurrentIndex(1);
        dlg.OnSelchangeSourceA();
        EXPECT_TRUE(dlg.Edit(CNewTrigerDlg::IDC_LEVEL_A)->isEnabled());
        EXPECT_EQ(dlg.Label(CNewTrigerDlg::IDC_RANGE_A)->text(), "Range: -6000 ~ 6000");
        EXPECT_EQ(dlg.Combo(CNewTrigerDlg::IDC_COND_A)->itemText(0), "Rises through the level");
        dlg.Combo(CNewTrigerDlg::IDC_COND_A)->setCurrentIndex(2);
        dlg.Edit(CNewTrigerDlg::IDC_LEVEL_A)->setText("40000");
        dlg.Edit(CNewTrigerDlg::IDC_PERCENT)->setText("25");
        dlg.OnOK();  // refused: out of the 16-bit range
        EXPECT_EQ(ui->Calls().size(), 1u);
        EXPECT_EQ(dlg.m_wWords[0], 0);
        dlg.Edit(CNewTrigerDlg::IDC_LEVEL_A)->setText("-1");
        dlg.OnOK();
        EXPECT_EQ(dlg.m_wWords[0], 0x0102);
        EXPECT_EQ(dlg.m_wWords[1], 0xFFFF);
        EXPECT_EQ(dlg.m_wWords[5], 1000);
    }
    CNewTrigerDlg again({speed}, 4000, FALSE);
    again.Create(nullptr);
    EXPECT_EQ(again.Combo(CNewTrigerDlg::IDC_SOURCE_A)->currentIndex(), 1);
    EXPECT_EQ(again.Combo(CNewTrigerDlg::IDC_COND_A)->currentIndex(), 2);
    EXPECT_EQ(again.Edit(CNewTrigerDlg::IDC_LEVEL_A)->text(), "-1");
    EXPECT_EQ(again.Edit(CNewTrigerDlg::IDC_PERCENT)->text(), "25");

    // DI3 with the third bit condition.
    again.Combo(CNewTrigerDlg::IDC_SOURCE_A)->setCurrentIndex(4);
    again.OnSelchangeSourceA();
    EXPECT_FALSE(again.Edit(CNewTrigerDlg::IDC_LEVEL_A)->isEnabled());
    EXPECT_EQ(again.Combo(CNewTrigerDlg::IDC_COND_A)->itemText(0), "Rising edge (0→1)");
    again.Combo(CNewTrigerDlg::IDC_COND_A)->setCurrentIndex(2);
    again.OnOK();
    EXPECT_EQ(again.m_wWords[0], 0x1202);
    EXPECT_EQ(again.m_wWords[1], 0);
}

TEST_F(ScopeDialogs, FolderSetStoresWhatTheEditHoldsAndStaysOpen)
{
    QTemporaryDir dir;
    SetProgramDir(dir.path());
    QDir().mkpath(dir.filePath("config/Scope"));
    CNewScopeContiPathDlg dlg;
    dlg.Create(nullptr);
    EXPECT_EQ(dlg.PathEdit()->text(), DefaultRecordingFolder());
    dlg.PathEdit()->setText("/no/such/folder");
    dlg.OnOK();
    dlg.OnOK();
    EXPECT_EQ(ui->Calls().size(), 2u);
    EXPECT_TRUE(dlg.m_bStored);
    EXPECT_EQ(dlg.m_strStored, "/no/such/folder");
    EXPECT_EQ(platform::IniFile(ScopeIniPath()).Read("NewScopeFilePath", "path"), "/no/such/folder");
    EXPECT_EQ(CheckedRecordingFolder(dlg.m_strStored), DefaultRecordingFolder());
    SetProgramDir(QString());
}

TEST_F(ScopeDialogs, FolderSetInAnUnwritableConfigFolderSaysItFailed)
{
    QTemporaryDir dir;
    SetProgramDir(dir.path());
    // A plain file where the folder should be: no writing into it, even with every right.
    QDir().mkpath(dir.filePath("config"));
    QFile blocker(dir.filePath("config/Scope"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CNewScopeContiPathDlg dlg;
    dlg.Create(nullptr);
    dlg.PathEdit()->setText(dir.path());
    dlg.OnOK();
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, TrText(QStringLiteral("连续采样文件夹设置失败，配置文件无法写入！")));
    EXPECT_FALSE(dlg.m_bStored);
    SetProgramDir(QString());
}

// ---- against the simulated drive ----------------------------------------------------------

namespace {

class ScopeDialogsLink : public ScopeLinkTest {
protected:
    void SetUp() override
    {
        ScopeLinkTest::SetUp();
        GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
        CDBDataParameter di;
        di.sNum = "H0302";
        for (auto [v, text] : {std::pair{1, "1-Servo enable"}, std::pair{2, "2-Alarm reset"}}) {
            CDBDataSelects o;
            o.iValue = v;
            o.sDescription = QString::fromLatin1(text);
            di.m_arrSelects << o;
        }
        AddActiveAxisParameter(sys, di);
        for (int i = 0; i < 10; ++i)
            sim.SetRegister(static_cast<std::uint16_t>(0x0302 + 2 * i), i == 0 ? 1 : i == 2 ? 2 : 9);
        for (int i = 0; i < 8; ++i)
            sim.SetRegister(static_cast<std::uint16_t>(0x0400 + 2 * i), 0);
    }
};

}

TEST_F(ScopeDialogsLink, DiNamesComeFromTheDrive)
{
    CDISelecDlg dlg(nullptr, 0);
    dlg.Create(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !dlg.NamesPending(); }, 10000));
    EXPECT_EQ(dlg.Box(0)->text(), "DI1:Servo enable");
    EXPECT_EQ(dlg.Box(1)->text(), "DI2:");
    EXPECT_EQ(dlg.Box(2)->text(), "DI3:Alarm reset");
    dlg.DestroyWindow();
}

TEST_F(ScopeDialogsLink, EarlyOkKeepsTheNamesThatArriveLater)
{
    CDISelecDlg dlg(nullptr, 0x5);
    dlg.Create(nullptr);
    ASSERT_TRUE(dlg.NamesPending());
    dlg.OnOK();
    ASSERT_TRUE(PumpUntil([&] { return !dlg.m_arrSelNames.isEmpty(); }, 10000));
    EXPECT_EQ(dlg.m_arrSelNames, (QStringList{"DI1:Servo enable", "DI3:Alarm reset"}));
    EXPECT_EQ(dlg.m_dwMask, 0x5u);
    dlg.DestroyWindow();
}

TEST_F(ScopeDialogsLink, SilentDriveLeavesTheRestUnnamed)
{
    SimDrive::Fault silence;
    silence.kind = SimDrive::FaultKind::Silence;
    silence.persistent = true;
    sim.InjectFault(silence);
    CDISelecDlg dlg(nullptr, 0);
    dlg.Create(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !dlg.NamesPending(); }, 20000));
    EXPECT_EQ(dlg.Box(0)->text(), "DI1:");
    EXPECT_EQ(dlg.Box(9)->text(), "DI10:");
    std::size_t asked = 0;
    for (int i = 0; i < 10; ++i)
        asked += RequestsTo(0x23, static_cast<std::uint16_t>(0x0302 + 2 * i));
    EXPECT_LE(asked, 3u) << "a drive counted absent is not asked again";
    dlg.DestroyWindow();
}

TEST_F(ScopeDialogsLink, TriggerNamesDiAndDoFromTheDrive)
{
    CNewTrigerDlg dlg({}, 1000, TRUE);
    dlg.Create(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return !dlg.NamesPending(); }, 10000));
    QComboBox *a = dlg.Combo(CNewTrigerDlg::IDC_SOURCE_A);
    EXPECT_EQ(a->itemText(1), "DI1: Servo enable");
    EXPECT_EQ(a->itemText(3), "DI3: Alarm reset");
    EXPECT_EQ(a->itemText(11), "DO1: ");
    a->setCurrentIndex(3);
    dlg.OnSelchangeSourceA();
    dlg.OnOK();
    EXPECT_EQ(dlg.m_wWords[0], 0x1200);
    dlg.DestroyWindow();
}
