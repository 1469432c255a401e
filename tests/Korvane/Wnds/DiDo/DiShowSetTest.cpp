// The DI/DO display page against the simulated drive: active states from the state words and
// the references, rows by product and by the table, a silent drive, and a page made offline.
#include "DrivePageFixture.h"

#include "LangText.h"
#include "Wnds/DiDo/DlgDiShowSet.h"
#include "grid/DlgBCGGrid.h"

namespace {

struct ShownRow
{
    QString state;
    bool stale;
    QString mode;
    QString connector;
};

class DiShowSetTest : public DrivePageFixture
{
protected:
    void SetUp() override
    {
        // The refresh's logic, not its period, is under test: rounds are asked for every 50 ms.
        CDlgDiShowSet::SetRefreshMs(50);
        DrivePageFixture::SetUp();
    }
    void TearDown() override
    {
        DrivePageFixture::TearDown();
        CDlgDiShowSet::SetRefreshMs(0);
    }
    void DestroyPages() override { m_page.reset(); }
    CDlgDiShowSet &Open()
    {
        m_page = std::make_unique<CDlgDiShowSet>();
        m_page->Create(nullptr);
        return *m_page;
    }
    bool WaitRounds(int n) { return WaitFor([&] { return m_page->Rounds() >= n; }); }
    std::vector<ShownRow> Shown(bool isDo) const
    {
        CGridRowDataMap rows;
        (isDo ? m_page->DoGrid() : m_page->DiGrid())->GetRowDataMap(rows);
        std::vector<ShownRow> out;
        for (const auto &[key, row] : rows) {
            const CGridCellData &state = row.at(isDo ? "Do状态" : "Di状态");
            out.push_back({state.m_strValue, state.m_spBackColors && !state.m_spBackColors->empty(),
                           row.at("模式").m_strValue, row.at("连接器").m_strValue});
        }
        return out;
    }
    std::unique_ptr<CDlgDiShowSet> m_page;
};

TEST(DiShowSetState, BitAgainstReference)
{
    EXPECT_EQ(CDlgDiShowSet::ActiveState(true, 1), 1);
    EXPECT_EQ(CDlgDiShowSet::ActiveState(false, 0), 1);
    EXPECT_EQ(CDlgDiShowSet::ActiveState(true, 0), 0);
    EXPECT_EQ(CDlgDiShowSet::ActiveState(false, 1), 0);
    EXPECT_EQ(CDlgDiShowSet::ActiveState(true, 2), 0);
    EXPECT_EQ(CDlgDiShowSet::ActiveState(false, 2), 0);
}

// The state cells name their side: an output is never called an input.
TEST(DiShowSetRows, EachSideCarriesItsOwnStateTexts)
{
    std::vector<CDiDoItem> lines(2);
    for (CDiDoItem &line : lines)
        line.nModeValue = 0;
    lines[1].bState = 1;
    const struct
    {
        bool isDo;
        const char *column, *on, *off;
    } cases[] = {{false, "Di状态", "输入状态ON", "输入状态OFF"}, {true, "Do状态", "输出状态ON", "输出状态OFF"}};
    for (const auto &c : cases) {
        const CGridRowDataMap rows = CDlgDiShowSet::BuildRows(lines, c.isDo, 1);
        ASSERT_EQ(rows.size(), 2u) << c.column;
        for (const auto &[key, row] : rows) {
            const CGridCellData &state = row.at(QString::fromUtf8(c.column));
            EXPECT_EQ(state.m_byCellKind, 14) << c.column;
            EXPECT_EQ(state.m_strChoice[0], QString::fromUtf8(c.on)) << c.column;
            EXPECT_EQ(state.m_strChoice[1], QString::fromUtf8(c.off)) << c.column;
            if (c.isDo) {
                EXPECT_FALSE(state.m_strChoice[0].contains(QStringLiteral("输入")));
                EXPECT_FALSE(state.m_strChoice[1].contains(QStringLiteral("输入")));
            }
        }
        EXPECT_EQ(rows.at(1).at(QString::fromUtf8(c.column)).m_strValue, "1");
    }
}

TEST_F(DiShowSetTest, StatesModesAndLabelsOfTheConnectedDrive)
{
    m_sim.SetDiWord(0x0005);  // DI1 and DI3 on
    m_sim.SetRegister(0x010C, 0);  // DI3 active when off
    m_sim.SetRegister(0x010E, 2);  // DI4: no meaningful reference
    m_sim.SetDoWord(0x0002);
    Open();
    ASSERT_TRUE(WaitRounds(1));
    const std::vector<ShownRow> di = Shown(false);
    ASSERT_EQ(di.size(), 9u);
    EXPECT_EQ(di[0].state, "1");
    EXPECT_EQ(di[1].state, "0");
    EXPECT_EQ(di[2].state, "0");
    EXPECT_EQ(di[3].state, "0");
    EXPECT_FALSE(di[0].stale);
    EXPECT_EQ(di[0].mode, QString::fromUtf8("伺服使能"));
    EXPECT_EQ(di[0].connector, "39(GDI1)");
    const std::vector<ShownRow> dout = Shown(true);
    ASSERT_EQ(dout.size(), 5u);
    EXPECT_EQ(dout[1].state, "1");
    EXPECT_EQ(dout[0].state, "0");
    // A first read that worked shows no box (never an empty one).
    EXPECT_TRUE(m_ui->Calls().empty());

    // The page follows the drive at every refresh.
    m_sim.SetDiWord(0x0002);
    const int seen = m_page->Rounds();
    ASSERT_TRUE(WaitRounds(seen + 2));
    EXPECT_EQ(Shown(false)[1].state, "1");
    EXPECT_TRUE(m_ui->Calls().empty());
}

TEST_F(DiShowSetTest, ACompactProductHasNoDi7NorDo5AndAMissingModeHasNoRow)
{
    m_sys->m_ProjectDatabase.m_nProductID = 4;
    DropParameter("P0109");
    Open();
    ASSERT_TRUE(WaitRounds(1));
    const std::vector<ShownRow> di = Shown(false);
    ASSERT_EQ(di.size(), 7u);  // no DI2 (no mode), no DI7 (product)
    EXPECT_EQ(di[0].connector, "6(GDI1)");
    EXPECT_EQ(di[1].connector, "8(GDI3)");
    EXPECT_EQ(di[5].connector, "7(HDI1)");
    EXPECT_EQ(Shown(true).size(), 4u);
}

TEST_F(DiShowSetTest, ASilentDriveLeavesTheLastStatesMarked)
{
    m_sim.SetDiWord(0x01FF);
    Open();
    ASSERT_TRUE(WaitRounds(1));
    EXPECT_EQ(Shown(false)[0].state, "1");
    Silence();
    const int seen = m_page->Rounds();
    ASSERT_TRUE(WaitRounds(seen + 1));
    const std::vector<ShownRow> di = Shown(false);
    ASSERT_EQ(di.size(), 9u);
    for (const ShownRow &r : di) {
        EXPECT_EQ(r.state, "1");
        EXPECT_TRUE(r.stale);
        EXPECT_FALSE(r.mode.isEmpty());
    }
}

TEST_F(DiShowSetTest, APageMadeOfflineWarnsReadsNothingAndFollowsTheDriveOnceOnLine)
{
    GoOffline();
    Open();
    Pump();
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], LoadLangString("IDS_DlgSoftWarning_1"));
    EXPECT_EQ(Shown(false).size(), 9u);  // the rows as built
    EXPECT_EQ(Shown(false)[0].mode, QString::fromUtf8("伺服使能"));
    // Nothing is read in the time of several refreshes.
    QTest::qWait(int(6 * CDlgDiShowSet::RefreshMs()));
    EXPECT_TRUE(m_sim.Requests().empty());
    EXPECT_EQ(m_page->Rounds(), 0);

    m_sys->m_bConnected = TRUE;
    m_flags.m_bOnline = TRUE;
    ASSERT_TRUE(WaitRounds(1));
    EXPECT_FALSE(m_sim.Requests().empty());
}

}
