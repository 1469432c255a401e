// The DI/DO settings page against the simulated drive: reading, writing behind the write-enable
// code, unmatched texts, the compact product and the result boxes.
#include "DrivePageFixture.h"

#include "ColourBroadcastCheck.h"

#include "Wnds/DiDo/DlgDiDoSet.h"
#include "controls/MiniGridCtrl.h"

#include <QPushButton>

namespace {

using Writes_t = std::vector<std::pair<int, int>>;

class DiDoSetTest : public DrivePageTest<CDlgDiDoSet>
{
protected:
    void SetUp() override
    {
        DrivePageTest::SetUp();
        if (!HasFatalFailure())
            UseGenerousReplyWindows();
    }
    void Press(int id)
    {
        m_page->Button(id)->click();
        Settle();
    }
    QString Cell(bool isDo, int row, int col) const
    {
        return m_page->Grid(isDo)->GetRow(row)->GetItem(col)->GetValue().toString();
    }
    void SetCell(bool isDo, int row, int col, const QString &text)
    {
        m_page->Grid(isDo)->GetRow(row)->GetItem(col)->SetValue(text);
    }
};

TEST_F(DiDoSetTest, ActivationShowsTheDrivesValuesWithLabels)
{
    m_sim.SetRegister(0x0107, 3);
    m_sim.SetRegister(0x0108, 0);
    m_sim.SetRegister(0x0129, 0);
    Open();
    Activate();
    EXPECT_EQ(Cell(false, 0, 0), QString::fromUtf8("正向超程"));
    EXPECT_EQ(Cell(false, 0, 1), QString::fromUtf8("输入OFF时有效"));
    EXPECT_EQ(Cell(false, 0, 2), "39(GDI1)");
    EXPECT_EQ(Cell(true, 0, 1), QString::fromUtf8("输出OFF时有效"));
    EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(DiDoSetTest, AnInputWriteSendsTheCodeFirstAndTheChosenValues)
{
    m_sim.SetStrictDiWrites(true);
    Open();
    Activate();
    m_sim.ClearRequests();
    SetCell(false, 0, 0, QString::fromUtf8("报警复位"));
    SetCell(false, 1, 1, QString::fromUtf8("输入OFF时有效"));
    SetCell(false, 2, 0, QStringLiteral("no such option"));
    Press(CDlgDiDoSet::IDC_DI_WRITE);
    const Writes_t w = Writes();
    ASSERT_EQ(w.size(), 19u);
    EXPECT_EQ(w[0], std::make_pair(0x0001, 0x3A6D));
    EXPECT_EQ(w[1], std::make_pair(0x0107, 2));
    EXPECT_EQ(w[4], std::make_pair(0x010A, 0));
    EXPECT_EQ(w[5], std::make_pair(0x010B, 3));  // the unmatched text kept the value
    for (const auto &[address, value] : w)
        EXPECT_NE(value, 0xFFFF) << address;
    EXPECT_EQ(m_sim.GetRegister(0x0107), 2);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("Di功能参数写入成功\r\n"));
    EXPECT_EQ(m_ui->Calls()[0].caption, QString::fromUtf8("写参数结果"));
}

TEST_F(DiDoSetTest, AnOutputWriteSendsNoCode)
{
    Open();
    Activate();
    m_sim.ClearRequests();
    SetCell(true, 0, 0, QString::fromUtf8("故障输出"));
    Press(CDlgDiDoSet::IDC_DO_WRITE);
    const Writes_t w = Writes();
    ASSERT_EQ(w.size(), 10u);
    EXPECT_EQ(w[0], std::make_pair(0x0128, 2));
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("Do功能参数写入成功\r\n"));
}

TEST_F(DiDoSetTest, ACompactProductHidesDi7AndDo5AndStillWritesTheirLastValues)
{
    m_sys->m_ProjectDatabase.m_nProductID = 5;
    m_sim.SetRegister(0x0113, 4);
    Open();
    Activate();
    EXPECT_EQ(m_page->Grid(false)->GetRowCount(), 8);
    EXPECT_EQ(m_page->Grid(true)->GetRowCount(), 4);
    EXPECT_EQ(m_page->LineOfRow(false, 6), 7);
    m_sim.ClearRequests();
    Press(CDlgDiDoSet::IDC_DI_WRITE);
    const Writes_t w = Writes();
    EXPECT_NE(std::find(w.begin(), w.end(), std::make_pair(0x0113, 4)), w.end());
}

TEST_F(DiDoSetTest, ReadButtonsReportTheirOutcomeEvenOnSuccess)
{
    Open();
    Activate();
    Press(CDlgDiDoSet::IDC_DO_READ);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("Do功能参数读入成功\r\n"));
    EXPECT_EQ(m_ui->Calls()[0].caption, QString::fromUtf8("读参数结果"));  // a read is not titled as a write
    m_ui->ClearCalls();
    Silence();
    Press(CDlgDiDoSet::IDC_DI_READ);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("Di功能参数读入失败\r\n"));
    EXPECT_EQ(Cell(false, 0, 0), QString::fromUtf8("伺服使能"));  // kept
}

TEST_F(DiDoSetTest, OfflineActivationShowsTheTableValuesWithoutTraffic)
{
    GoOffline();
    Open();
    Activate();
    EXPECT_TRUE(m_sim.Requests().empty());
    EXPECT_EQ(Cell(false, 0, 0), QString::fromUtf8("伺服使能"));
    EXPECT_EQ(Cell(false, 0, 1), QString::fromUtf8("输入ON时有效"));  // the table's value, not 0
}

}

TEST_F(DiDoSetTest, BothGridsFollowTheColourBroadcast)
{
    Open();
    ExpectBothGridsFollowTheColourBroadcast(*m_page);
}
