// The sampling panel on the simulated drive, hosted by a stand-in page and docker.
#include "ScopeLinkFixture.h"
#include "ScopePageStandIn.h"

#include "AppFlags.h"
#include "PathHelpers.h"
#include "Wnds/scope/DISelecDlg.h"
#include "Wnds/scope/NewTrigerDlg.h"
#include "Wnds/scope/ScopeConfig.h"
#include "controls/KVProcessIndicator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

int IndexOfSource(QComboBox *box, const QString &name)
{
    for (int i = 0; i < box->count(); ++i)
        if (box->itemData(i).toString() == name)
            return i;
    return -1;
}

class SamplingPanel : public ScopeLinkTest {
protected:
    int LinkBaud() const override { return kFastBaud; }
    void SetUp() override
    {
        ScopeLinkTest::SetUp();
        SetAppFlags(&flags);
        UseEnglishProgramFolder(dir.path());
    }
    void TearDown() override
    {
        if (panel && panel->IsCreated())
            panel->DestroyWindow();
        panel.reset();
        page.reset();
        SetAppFlags(nullptr);
        SetProgramDir(QString());
        ScopeLinkTest::TearDown();
    }
    void Open()
    {
        page = std::make_unique<ScopePageStandIn>();
        docker = new ScopeDockerStandIn(page.get());
        panel = std::make_unique<CDlgSocpeParam>();
        page->panel = panel.get();
        panel->Create(docker);
        ASSERT_TRUE(PumpUntil([&] { return !panel->BasePending(); }, 10000));
    }
    void Choose(int k, const QString &name)
    {
        QComboBox *box = panel->Source(k);
        const int i = IndexOfSource(box, name);
        ASSERT_GE(i, 0) << name.toStdString();
        box->setCurrentIndex(i);
        panel->OnSelchangeSource(k);
    }
    void Tick(int k, bool on)
    {
        panel->Check(k)->setChecked(on);
        panel->OnClickedChannelCheck(k);
    }
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> w;
        for (const auto &r : sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
                w.emplace_back((r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]);
        return w;
    }

    QTemporaryDir dir;
    CAppFlags flags;
    std::unique_ptr<ScopePageStandIn> page;
    ScopeDockerStandIn *docker = nullptr;
    std::unique_ptr<CDlgSocpeParam> panel;
};

}

TEST_F(SamplingPanel, SourceListsOfferDiOnlyOnCh3AndDoOnlyOnCh4)
{
    Open();
    for (int k = 1; k <= 4; ++k) {
        QComboBox *box = panel->Source(k);
        EXPECT_EQ(IndexOfSource(box, "DI") >= 0, k == 3) << k;
        EXPECT_EQ(IndexOfSource(box, "DO") >= 0, k == 4) << k;
        EXPECT_EQ(IndexOfSource(box, "Status_word") >= 0, k >= 3) << k;
    }
    EXPECT_EQ(panel->Source(1)->itemText(0), "Pos.cmd.incr(enc)-32");
    EXPECT_EQ(panel->Scale(1)->currentText(), "2000.000");
}

TEST_F(SamplingPanel, BasePeriodFromTheDrive)
{
    sim.SetRegister(SimDrive::kRegRecFrequency, 16000);
    Open();
    EXPECT_EQ(panel->BaseLabel()->text(), "×62.5us");
    EXPECT_DOUBLE_EQ(settings->m_dBasePeriodMs, 0.0625);
}

TEST_F(SamplingPanel, LayoutThreeSwitchesChannelsOffAndClearsTheTriggerWords)
{
    Open();
    panel->LayoutList()->setCurrentIndex(0);
    panel->OnSelchangeChannelWidth();
    for (WORD &w : settings->m_wTrigger)
        w = 7;
    panel->LayoutList()->setCurrentIndex(0);
    panel->OnSelchangeChannelWidth();
    EXPECT_EQ(settings->m_wTrigger[0], 7) << "the layout in force keeps the words";
    panel->LayoutList()->setCurrentIndex(3);
    panel->OnSelchangeChannelWidth();
    EXPECT_EQ(settings->m_nLayout, 3);
    for (WORD w : settings->m_wTrigger)
        EXPECT_EQ(w, 0);
    EXPECT_TRUE(panel->Check(1)->isChecked());
    for (int k = 2; k <= 4; ++k) {
        EXPECT_FALSE(panel->Check(k)->isChecked()) << k;
        EXPECT_FALSE(panel->Scale(k)->isEnabled()) << k;
    }
    EXPECT_FALSE(flags.m_bScopeCheckCh2);
}

TEST_F(SamplingPanel, BitBudgetRefusesATickAndKeepsTheLayout)
{
    Open();
    Choose(1, "Pos.cmd.incr(enc)");
    Choose(2, "Pos.fbk.incr(enc)");
    Choose(3, "Speed.cmd(r/min)");
    Tick(1, true);
    Tick(2, true);
    EXPECT_EQ(settings->m_nLayout, 2);
    Tick(3, true);
    EXPECT_FALSE(panel->Check(3)->isChecked());
    ASSERT_FALSE(ui->Calls().empty());
    EXPECT_EQ(ui->Calls().back().text, "选择内容超过64位，请重新选择");
    EXPECT_EQ(settings->m_nLayout, 2);
    EXPECT_EQ(panel->m_nSlotChannel[3], 2) << "CH2's 32 bits take slot 3";
}

TEST_F(SamplingPanel, PeriodIsKeptWithinOneTo9999)
{
    Open();
    const struct {
        const char *typed;
        const char *shown;
        bool message;
    } cases[] = {{"0", "1", true}, {"10000", "9999", true}, {"9999", "9999", false}, {"25", "25", false}};
    for (const auto &c : cases) {
        ui->ClearCalls();
        panel->PeriodEdit()->setText(c.typed);
        panel->OnKillfocusPeriod();
        EXPECT_EQ(panel->PeriodEdit()->text(), c.shown) << c.typed;
        EXPECT_EQ(!ui->Calls().empty(), c.message) << c.typed;
    }
    EXPECT_EQ(panel->m_nPeriodCount, 25u);
}

TEST_F(SamplingPanel, ConfirmedTriggerReachesTheDriveAndPlacesTheCapture)
{
    Open();
    panel->SingleRadio()->setChecked(true);
    panel->PeriodEdit()->setText("1");
    panel->OnKillfocusPeriod();
    Choose(1, "FUNC_test1_2");  // counts: sample m has the value m
    Tick(1, true);
    EXPECT_EQ(settings->m_nLayout, 0);
    panel->m_fnRunDialog = [](CDialogExMid &d) {
        auto &dlg = dynamic_cast<CNewTrigerDlg &>(d);
        dlg.Create(nullptr);
        QComboBox *a = dlg.Combo(CNewTrigerDlg::IDC_SOURCE_A);
        a->setCurrentIndex(a->findText("FUNC_test1_2"));
        dlg.OnSelchangeSourceA();
        dlg.Combo(CNewTrigerDlg::IDC_COND_A)->setCurrentIndex(2);  // at or above
        dlg.Edit(CNewTrigerDlg::IDC_LEVEL_A)->setText("500");
        dlg.Edit(CNewTrigerDlg::IDC_PERCENT)->setText("25");
        dlg.OnOK();
        dlg.DestroyWindow();
        return IDOK;
    };
    panel->OnClickedTrigger();
    EXPECT_EQ(settings->m_wTrigger[0], 0x0102);
    EXPECT_EQ(settings->m_wTrigger[1], 500);
    EXPECT_EQ(settings->m_wTrigger[5], 250);

    sim.ClearRequests();
    platform::SendMessage(panel.get(), UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    EXPECT_TRUE(panel->IndicatorRunning());
    ASSERT_TRUE(PumpUntil([&] { return page->captures == 1; }, 20000));
    EXPECT_FALSE(panel->IndicatorRunning());
    const auto w = Writes();
    std::vector<std::pair<int, int>> trigger;
    for (const auto &p : w)
        if (p.first >= 0x895D && p.first <= 0x8962)
            trigger.push_back(p);
    ASSERT_GE(trigger.size(), 6u);
    EXPECT_EQ(trigger[0], std::make_pair(0x895D, 0x0102));
    EXPECT_EQ(trigger[1], std::make_pair(0x895E, 500));
    EXPECT_EQ(trigger[5], std::make_pair(0x8962, 250));
    const CChannel &ch1 = page->view.Channels().m_ch[0];
    ASSERT_EQ(ch1.m_nCount, 1000);
    EXPECT_DOUBLE_EQ(ch1.At(250), 500.0) << "the first sample at the level lands at the pre-trigger point";
    EXPECT_LT(ch1.At(249), 500.0);
}

TEST_F(SamplingPanel, DiSourceOpensTheDiDialogNamedFromTheDrive)
{
    CDBDataParameter di;
    di.sNum = "H0302";
    CDBDataSelects o;
    o.iValue = 5;
    o.sDescription = "5-Forward limit";
    di.m_arrSelects << o;
    AddActiveAxisParameter(sys, di);
    for (int i = 0; i < 10; ++i)
        sim.SetRegister(static_cast<std::uint16_t>(0x0302 + 2 * i), 5);
    Open();
    QString caption;
    panel->m_fnRunDialog = [&](CDialogExMid &d) {
        auto &dlg = dynamic_cast<CDISelecDlg &>(d);
        dlg.Create(nullptr);
        EXPECT_TRUE(PumpUntil([&] { return !dlg.NamesPending(); }, 10000));
        caption = dlg.Box(1)->text();
        dlg.Box(1)->setChecked(true);
        dlg.OnOK();
        dlg.DestroyWindow();
        return IDOK;
    };
    Choose(3, "DI");
    EXPECT_EQ(caption, "DI2:Forward limit");
    EXPECT_EQ(settings->m_selDI.nBits, 2);
    EXPECT_EQ(settings->m_selDI.arrNames, QStringList{"DI2:Forward limit"});
    EXPECT_EQ(panel->GetBitSet(1), 2u);
    EXPECT_EQ(panel->DiButton()->text(), "DI");
    EXPECT_TRUE(panel->DiButton()->isEnabled());
    EXPECT_FALSE(panel->Scale(3)->isEnabled());
}

TEST_F(SamplingPanel, ColourNotificationWithTheIndicatorsNumberStartsNothing)
{
    Open();
    platform::SendMessage(panel.get(), UM_COLOR_CHANGED, RGB(1, 2, 3), CDlgSocpeParam::IDC_BACK);
    EXPECT_EQ(page->starts, 0);
    EXPECT_FALSE(panel->IndicatorRunning());
    QTest::keyClick(panel.get(), Qt::Key_Escape);
    EXPECT_TRUE(panel->IsCreated());
}

TEST_F(SamplingPanel, ClosingDuringARollStopsTheDrive)
{
    Open();
    panel->RollRadio()->setChecked(true);
    panel->PeriodEdit()->setText("60");
    panel->OnKillfocusPeriod();
    Choose(1, "Speed.cmd(r/min)");
    Tick(1, true);
    settings->m_strContinuousPath = dir.path();
    platform::SendMessage(panel.get(), UM_BUTTON_RELEASED, CDlgSocpeParam::IDC_INDICATOR, 0);
    ASSERT_TRUE(PumpUntil([&] { return page->view.Channels().m_ch[0].m_nCount >= 32; }, 20000));
    EXPECT_TRUE(sys.g_bDriveSampling);
    sim.ClearRequests();
    panel->DestroyWindow();
    EXPECT_FALSE(sys.g_bDriveSampling);
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_EQ(g_nScopeRunMode, 0);
    const auto w = Writes();
    EXPECT_TRUE(std::find(w.begin(), w.end(), std::make_pair(0x8963, 2)) != w.end());
    ASSERT_TRUE(PumpUntil([&] { return !sim.RecorderRolling(); }, 5000));
}

TEST_F(SamplingPanel, ReopenedFileRestoresPeriodLayoutSourcesAndScales)
{
    Open();
    CScopeChannels &ch = page->view.Channels();
    std::vector<double> speed, count;
    for (int i = 0; i < 1000; ++i) {
        speed.push_back(i % 50);          // range 0..49: scale 10/div
        count.push_back(1000.0 * (i % 7));  // range 0..6000: scale 1000/div
    }
    ch.m_ch[0].AppendFromArray(speed);
    ch.m_ch[1].AppendFromArray(count);
    ch.m_dTimePerPoint = 0.125 * 3;
    settings->m_dBasePeriodMs = 0.125;
    settings->m_nPeriodCount = 3;
    const int codeA = settings->SourceCodeOfName("Speed.cmd(r/min)");
    const int codeB = settings->SourceCodeOfName("Speed.fbk(r/min)");
    WORD *cfg = settings->m_wDriveConfig;
    cfg[0] = 0;
    cfg[1] = 3;
    cfg[2] = static_cast<WORD>(codeA << 8 | codeB);
    cfg[3] = 0;
    // The whole record chosen in the list is stored as "all", whatever the language shows.
    panel->RebuildTimeDivList(QString());
    panel->OnSelchangeTimeDiv();
    EXPECT_EQ(panel->TimeDivList()->currentText(), "All");
    EXPECT_EQ(settings->m_strTimePerDiv, "all");
    const QString path = dir.filePath("capture.csv");
    ASSERT_TRUE(panel->SaveWaveFile(path, 1));
    settings->m_strTimePerDiv = "12.0000";

    panel->PeriodEdit()->setText("7");
    panel->OnKillfocusPeriod();
    panel->LayoutList()->setCurrentIndex(3);
    panel->OnSelchangeChannelWidth();
    ASSERT_TRUE(panel->OpenWaveFile(panel.get(), path));
    EXPECT_EQ(panel->PeriodEdit()->text(), "3");
    EXPECT_EQ(panel->LayoutList()->currentIndex(), 0);
    EXPECT_EQ(panel->Source(1)->currentData().toString(), "Speed.cmd(r/min)");
    EXPECT_EQ(panel->Source(2)->currentData().toString(), "Speed.fbk(r/min)");
    const CChannel &a = ch.m_ch[0];
    const CChannel &b = ch.m_ch[1];
    EXPECT_EQ(panel->Scale(1)->currentText(), QString::number((a.m_dMax - a.m_dMin) / 10, 'f', 3));
    EXPECT_EQ(panel->Scale(2)->currentText(), QString::number((b.m_dMax - b.m_dMin) / 10, 'f', 3));
    EXPECT_EQ(panel->TimeDivList()->currentIndex(), 0) << "the whole record";
    EXPECT_EQ(settings->m_strTimePerDiv, "all");
}
