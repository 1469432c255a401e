// The fault management page against the simulated drive: the history in order and in both
// word orders, offline refusal, a value that cannot be read, the reset, the list file and the
// cause pictures.
#include "DrivePageFixture.h"

#include "LangText.h"
#include "grid/DlgBCGGrid.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "Wnds/auxFunction/DlgFaultManagement.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

using Row = std::vector<QString>;

class FaultManagementTest : public DrivePageFixture
{
protected:
    void SetUp() override
    {
        // The drive's pause between the reset's 1 and 0 is kept, but need not take a second here.
        CDlgFaultManagement::SetResetPauseMs(kPauseMs);
        DrivePageFixture::SetUp();
        if (!HasFatalFailure())
            UseGenerousReplyWindows();
    }
    void TearDown() override
    {
        DrivePageFixture::TearDown();
        CDlgFaultManagement::SetResetPauseMs(0);
    }
    static constexpr int kPauseMs = 50;
    void DestroyPages() override { m_page.reset(); }
    CDlgFaultManagement &Open()
    {
        m_page = std::make_unique<CDlgFaultManagement>();
        m_page->Create(nullptr);
        m_page->resize(900, 500);
        return *m_page;
    }
    // Clicks the history box and waits until the read has been shown.
    void ClickHistory()
    {
        m_page->HistoryBox()->click();
        ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }));
        Pump();
    }
    std::vector<Row> Rows() const
    {
        CGridRowDataMap rows;
        m_page->FaultGrid()->GetRowDataMap(rows);
        std::vector<Row> out;
        for (const auto &[key, row] : rows) {
            Row r;
            for (const QString &id : CDlgFaultManagement::ColumnIds()) {
                auto it = row.find(id);
                r.push_back(it == row.end() ? QStringLiteral("<none>") : it->second.m_strValue);
            }
            out.push_back(r);
        }
        return out;
    }
    void RaiseThree()
    {
        m_sim.RaiseFault({0x0A1, 50, 300, 120, -120, 3000});
        m_sim.RaiseFault({0x0FFF, 60, 0, 0, 0, 3100});
        m_sim.RaiseFault({0x1234, 12345, -1500, 1999, -250, 3115});
    }
    std::unique_ptr<CDlgFaultManagement> m_page;
};

TEST(FaultText, CodesAsTheDriveShowsThem)
{
    const std::pair<int, const char *> cases[] = {{0x0A1, "Er0A.1"}, {0x0FFF, "ErFF.F"}, {0x234, "Er23.4"}, {0, "Er00.0"}};
    for (const auto &[code, text] : cases)
        EXPECT_EQ(CDlgFaultManagement::FaultText(code), QString::fromLatin1(text)) << code;
    QStringList parts;
    CDlgFaultManagement::SplitString("a,,b", ',', parts);
    EXPECT_EQ(parts, QStringList({"a", "", "b"}));
    CDlgFaultManagement::SplitString("a,", ',', parts);
    EXPECT_EQ(parts, QStringList({"a", ""}));
}

// In both word orders of the drive (the parameter: 1, low word first).
class FaultHistoryTest : public FaultManagementTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(FaultHistoryTest, HistoryShowsTheRecordsLatestFirst)
{
    const int order = GetParam();
    m_sim.SetRegister(0x8006, WORD(order));
    m_sys->m_bLowWordFirst = order;
    RaiseThree();
    Open();
    ClickHistory();
    ASSERT_TRUE(m_page->HistoryBox()->isChecked());
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(rows[0], Row({"0", "Er23.4", "1234.5", "-1500", "19", "-2", "311"}));
    EXPECT_EQ(rows[1], Row({"1", "ErFF.F", "6.0", "0", "0", "0", "310"}));
    EXPECT_EQ(rows[2], Row({"2", "Er0A.1", "5.0", "300", "1", "-1", "300"}));
    EXPECT_EQ(rows[9], Row({"9", "Er00.0", "0.0", "0", "0", "0", "0"}));
    EXPECT_TRUE(BoxTexts().empty());

    // Unchecked by the next click: the latest record alone.
    ClickHistory();
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0][1], "Er23.4");
}

INSTANTIATE_TEST_SUITE_P(WordOrders, FaultHistoryTest, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int> &info) { return info.param ? "LowFirst" : "HighFirst"; });

TEST_F(FaultManagementTest, OfflineWarnsAndTouchesNeitherDriveNorTable)
{
    WriteFile(CDlgFaultManagement::ListFilePath(),
              "XML_FAULT_MANAGEMENT_ID,XML_FAULT_MANAGEMENT_ERROR\r\n0,Er0A.1\r\n");
    GoOffline();
    Open();
    ASSERT_EQ(BoxTexts().size(), 1u);  // at initialisation
    m_ui->ClearCalls();
    m_page->HistoryBox()->click();
    Pump();
    EXPECT_FALSE(m_page->IsBusy());
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], LoadLangString("IDS_DlgSoftWarning_1"));
    EXPECT_TRUE(m_sim.Requests().empty());
    ASSERT_EQ(Rows().size(), 1u);
    EXPECT_EQ(Rows()[0][1], "Er0A.1");
}

TEST_F(FaultManagementTest, AValueThatCannotBeReadEndsTheRunWithCompleteRecordsOnly)
{
    RaiseThree();
    // The V current of the third record is refused.
    m_sim.SetReadHook(0x093C, [this](std::uint16_t) -> SimDrive::Access {
        const int select = m_sim.GetRegister(0x0935);
        if (select == 2)
            return {0, SimDrive::kExRefused};
        return {std::uint16_t(m_sim.FaultHistory()[std::size_t(select)].currentV), 0};
    });
    Open();
    ClickHistory();
    const std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][1], "Er23.4");
    EXPECT_EQ(rows[1][1], "ErFF.F");
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], QString::fromUtf8("读取失败!"));
}

TEST_F(FaultManagementTest, ResetWritesOneThenZeroAndClearsTheAlarm)
{
    m_sim.RaiseFault(0x0A1);
    Open();
    m_sim.ClearRequests();
    m_page->ResetButton()->click();
    EXPECT_FALSE(m_page->ResetButton()->isEnabled());
    ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }));
    Pump();
    EXPECT_TRUE(m_page->ResetButton()->isEnabled());
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0805, 1}, {0x0805, 0}}));
    std::vector<std::chrono::steady_clock::time_point> sent;
    for (const SimDrive::Request &r : m_sim.Requests())
        if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
            sent.push_back(r.at);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_GE(sent[1] - sent[0], std::chrono::milliseconds(kPauseMs)) << "the drive's pause between 1 and 0";
    EXPECT_EQ(m_sim.GetRegister(0x0931), 0);
    EXPECT_EQ(m_sim.GetRegister(0x092B), 1);
    EXPECT_EQ(m_sim.FaultHistory()[0].code, 0x0A1);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], LoadLangString("IDS_DlgSoftWarning_8"));

    // A fault the drive will not reset stays; a refused 1 is reported with its code.
    m_sim.RaiseFault(0x0B2, false);
    m_sim.SetWriteHook(0x0805, [](std::uint16_t, std::uint16_t v) -> std::uint16_t { return v == 1 ? 4 : 0; });
    m_ui->ClearCalls();
    m_page->ResetButton()->click();
    ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }));
    Pump();
    EXPECT_EQ(m_sim.GetRegister(0x0931), 0x0B2);
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], QString::asprintf(LoadLangString("IDS_DlgSoftWarning_9").toUtf8().constData(), 4));

    GoOffline();
    m_sim.ClearRequests();
    m_ui->ClearCalls();
    m_page->ResetButton()->click();
    EXPECT_FALSE(m_page->IsBusy());
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].text, LoadLangString("IDS_DlgSoftWarning_6"));
    EXPECT_EQ(m_ui->Calls()[0].caption, LoadLangString("IDS_DlgSoftWarning_7"));
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(FaultManagementTest, TheShownListIsSavedOnCloseAndLoadedOnOpen)
{
    m_sim.RaiseFault({0x1234, 12345, -1500, 1999, -250, 3115});
    Open();
    ClickHistory();
    m_page->HistoryBox()->click();  // back to one row
    ASSERT_TRUE(WaitFor([&] { return !m_page->IsBusy(); }));
    Pump();
    m_page->DestroyWindow();
    EXPECT_EQ(ReadFile(CDlgFaultManagement::ListFilePath()),
              QByteArray("XML_FAULT_MANAGEMENT_ID,XML_FAULT_MANAGEMENT_ERROR,XML_FAULT_MANAGEMENT_TIME,"
                         "XML_FAULT_MANAGEMENT_MOTORSPEED,XML_FAULT_MANAGEMENT_CURRENTU,"
                         "XML_FAULT_MANAGEMENT_CURRENTV,XML_FAULT_MANAGEMENT_VOL\r\n"
                         "0,Er23.4,1234.5,-1500,19,-2,311\r\n"));

    // Trailing empty cells are not written; short lines are skipped; fields past the header
    // are dropped.
    WriteFile(CDlgFaultManagement::ListFilePath(),
              "XML_FAULT_MANAGEMENT_ID,XML_FAULT_MANAGEMENT_ERROR,XML_FAULT_MANAGEMENT_TIME\r\n"
              "0,Er0A.1,,\r\nx\r\n1,ErFF.F,2.0,9\r\n");
    Open();
    std::vector<Row> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], Row({"0", "Er0A.1", "", "<none>", "<none>", "<none>", "<none>"}));
    EXPECT_EQ(rows[1], Row({"1", "ErFF.F", "2.0", "<none>", "<none>", "<none>", "<none>"}));
    m_page->DestroyWindow();
    EXPECT_EQ(ReadFile(CDlgFaultManagement::ListFilePath()).split('\n').mid(1),
              QList<QByteArray>({"0,Er0A.1\r", "1,ErFF.F,2.0\r", ""}));

    // A header of two characters gives no keys: rows without cells.
    WriteFile(CDlgFaultManagement::ListFilePath(), "ab\r\n0,Er0A.1\r\n");
    Open();
    rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "<none>");
}

TEST_F(FaultManagementTest, AClickShowsTheCausePictureOfAFaultOnly)
{
    WriteFile(CDlgFaultManagement::ListFilePath(),
              "XML_FAULT_MANAGEMENT_ID,XML_FAULT_MANAGEMENT_ERROR\r\n0,Er0A.1\r\n1,----\r\n");
    Open();
    auto click = [&](CDlgBCGGrid *grid, UINT msg, int row, int col) {
        QLGridCellNotify hit;
        hit.nRow = row;
        hit.nColumn = col;
        return platform::SendMessage(platform::WindowRef(m_page.get()), msg, reinterpret_cast<WPARAM>(grid),
                                     reinterpret_cast<LPARAM>(&hit));
    };
    click(m_page->FaultGrid(), UM_GRID_CELL_LCLICK, 0, 3);
    CGridRowDataMap notes;
    m_page->NoteGrid()->GetRowDataMap(notes);
    ASSERT_EQ(notes.size(), 1u);
    const CGridCellData &cell = notes.begin()->second.at("XML_FAULT_MANAGEMENT_NOTE_ID");
    EXPECT_EQ(cell.m_byCellKind, 13);
    EXPECT_TRUE(cell.m_strValue.endsWith("/CommonRes/FaultManagementInfoRes/Er0A.1.png")) << cell.m_strValue.toStdString();

    EXPECT_EQ(click(m_page->NoteGrid(), UM_GRID_CELL_DBLCLICK, 0, 0), 1);
    ASSERT_EQ(m_ui->Calls().size(), 1u);
    EXPECT_EQ(m_ui->Calls()[0].kind, platform::ScriptedUiServices::Kind::ShellOpen);
    EXPECT_EQ(m_ui->Calls()[0].text, cell.m_strValue);

    click(m_page->FaultGrid(), UM_GRID_CELL_LCLICK, 1, 1);
    m_page->NoteGrid()->GetRowDataMap(notes);
    EXPECT_TRUE(notes.empty());
}

}

// The fault table keeps its built-in layout whatever a stored file says, and offers no header menu
// to change it; the notes table reads its stored layout as any table does.
TEST_F(FaultManagementTest, TheFaultTableIgnoresStoredLayoutsAndHasNoHeaderMenu)
{
    auto *op = CGridCtrlTableAttributeOp::GetInstance();
    for (const char *id : {"XML_FAULT_MANAGEMENT", "XML_FAULT_MANAGEMENT_NOTE"}) {
        CGridTableAttribute stored;
        op->GetTableAttributeByName(QString::fromLatin1(id), stored, TRUE);
        for (auto &[key, col] : stored.m_mapColumns)
            col.strColShowName = QStringLiteral("stored");
        ASSERT_TRUE(op->SaveUserTableAttribute(QString::fromLatin1(id), stored));
    }
    Open();
    for (const auto &[key, col] : m_page->FaultGrid()->m_tableAttr.m_mapColumns)
        EXPECT_NE(col.strColShowName, QStringLiteral("stored")) << key.toStdString();
    EXPECT_EQ(m_page->FaultGrid()->m_tableAttr.m_mapColumns.size(), 7u);
    EXPECT_FALSE(m_page->FaultGrid()->m_bHeaderMenuEnabled);
    EXPECT_EQ(m_page->NoteGrid()->m_tableAttr.m_mapColumns.begin()->second.strColShowName, QStringLiteral("stored"));
}
