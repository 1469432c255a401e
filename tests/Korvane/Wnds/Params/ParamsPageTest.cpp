// The parameter page against the simulated drive: groups, reads, edits, writes and what reaches
// the drive (its request log).
#include "ParamsFixture.h"
#include "support/Soak.h"

#include "controls/MyProgressCtrl.h"
#include "database/ParamValueText.h"
#include "platform/ControlId.h"
#include "platform/UiServices.h"
#include "platform/grid/Grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <iterator>
#include <map>
#include <set>

using platform::GridMessage;

namespace {

const char *const kValue = "IDS_ParaView_3";

QStringList Codes(const CDlgParams &page)
{
    return page.m_listShownCode;
}

}

TEST_F(ParamsFixture, GroupsListTheirParametersAndHideLimitedOnesUnlessEngineer)
{
    CDlgParams &page = Page();
    NavigationTarget group;
    group.m_nTargetId = 3;
    group.m_strGroup = "P02";
    page.ShowParamGroup(group);
    ASSERT_FALSE(Codes(page).isEmpty());
    for (const QString &code : Codes(page))
        EXPECT_EQ(Record(code)->sGroupNO, "P02") << code.toStdString();
    EXPECT_EQ(page.Grid()->GetGrid()->GetRowCount(), Codes(page).size());

    NavigationTarget all;
    all.m_nTargetId = 0;
    all.m_bAll = 1;
    page.ShowParamGroup(all);
    EXPECT_FALSE(Codes(page).contains("H0302")) << "hidden without engineer mode";
    EXPECT_TRUE(Codes(page).contains("P0203"));
    m_sys->m_bEngineer = TRUE;
    page.ShowParamGroup(all);
    EXPECT_TRUE(Codes(page).contains("H0302"));

    // Custom groups: one group keeps its order (duplicates too); all groups list a code once.
    m_sys->m_bEngineer = FALSE;
    m_sys->m_arrParamUser = {{"A", "P0608"}, {"A", "P0203"}, {"B", "P0203"}, {"A", "PFFFF"}, {"A", "H0302"}};
    NavigationTarget a;
    a.m_nTargetId = 5;
    a.m_bCustom = 1;
    a.m_strGroup = "A";
    page.ShowParamGroup(a);
    EXPECT_EQ(Codes(page), QStringList({"P0608", "P0203"}));
    NavigationTarget customAll = a;
    customAll.m_bAll = 1;
    page.ShowParamGroup(customAll);
    EXPECT_EQ(Codes(page), QStringList({"P0608", "P0203"}));
}

TEST_F(ParamsFixture, RowsShowValueTextsAndLockDisplayOnlyParameters)
{
    CDlgParams &page = Page();
    EXPECT_EQ(CellText("P8970", kValue), "0x4452");
    EXPECT_EQ(CellText("P8970", "IDS_ParaView_7"), "0xFFFF");
    EXPECT_EQ(CellText("P0203", kValue), "400");
    // An enumerated value whose option exists shows the option; one without shows the number.
    const CDBDataParameter *mode = Record("P000A");
    ASSERT_FALSE(mode->m_arrSelects.isEmpty());
    EXPECT_EQ(CellText("P000A", kValue), GetParamOptionText(*mode, mode->iCurValue));
    Record("P000A")->iCurValue = 77;
    page.RefreshTable();
    EXPECT_EQ(CellText("P000A", kValue), "77");
    const int row = page.FindRowByCode("P0900");
    const int col = page.Grid()->m_mapFieldToCol.at(kValue);
    EXPECT_TRUE(page.Grid()->IsLockedCell(row, col)) << "display only";
    EXPECT_FALSE(page.Grid()->IsLockedCell(page.FindRowByCode("P0203"), col));
}

TEST_F(ParamsFixture, ReadAllShowsTheDrivesValuesAndTicksThem)
{
    m_sim.SetRegister(0x0203, 777);
    m_sim.SetRegister(0x0900, 0xFFFF);  // signed: -1
    m_sim.SetRegister(0x0904, 0xFFFF);  // unsigned, above its range: listed, not stored
    CDlgParams &page = Page();
    page.ReadAllParameters();
    ASSERT_TRUE(WaitForResult("读参数结果"));
    EXPECT_EQ(CellText("P0203", kValue), "777");
    EXPECT_EQ(CellText("P0900", kValue), "-1");
    EXPECT_EQ(CellText("P0904", kValue), "3110");
    const QString box = Boxes("读参数结果").front();
    EXPECT_TRUE(box.contains(QString::fromUtf8("【超过范围】【P0904】【范围0-10000->当前值65535】"))) << box.toStdString();
    EXPECT_FALSE(box.contains(QString::fromUtf8("读取失败")));
    // One value out of range: the count summary closes the box, not "all read".
    EXPECT_TRUE(box.endsWith(QString::fromUtf8("个,1个数据超过范围!\r\n"))) << box.toStdString();
    EXPECT_FALSE(box.contains(QString::fromUtf8("读取完毕")));
    // Every row read is ticked, with its new value in the checked list.
    const QList<CDBDataParameter> *checked = CDlgParams::CheckedParams();
    auto it = std::find_if(checked->begin(), checked->end(), [](const auto &p) { return p.sNum == "P0203"; });
    ASSERT_NE(it, checked->end());
    EXPECT_EQ(it->iCurValue, 777);
    BOOL ticked = FALSE;
    page.Grid()->GetRowCheck(&ticked, page.FindRowByCode("P0203"));
    EXPECT_TRUE(ticked);
    EXPECT_FALSE(page.Progress()->isVisible());
}

TEST_F(ParamsFixture, AFailedReadIsListedAndKeepsTheValueShown)
{
    CDlgParams &page = Page();
    Record("P0203")->iCurValue = 555;
    page.RefreshTable();
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::ErrorReply;
    f.address = 0x0203;
    f.persistent = true;
    m_sim.InjectFault(f);
    page.m_arrTransferParameter = {*Record("P0203"), *Record("P0206")};
    page.StartParameterRead(0, FALSE);
    ASSERT_TRUE(WaitForResult("读参数结果"));
    EXPECT_EQ(CellText("P0203", kValue), "555") << "never 0";
    EXPECT_EQ(Record("P0203")->iCurValue, 555);
    const QString box = Boxes("读参数结果").front();
    EXPECT_TRUE(box.startsWith(QString::fromUtf8("【读取失败】【P0203】"))) << box.toStdString();
    EXPECT_TRUE(box.endsWith(QString::fromUtf8("信息提示：选项 2个,1个读取失败!\r\n"))) << box.toStdString();
    EXPECT_FALSE(box.contains(QString::fromUtf8("读取完毕")));
}

TEST_F(ParamsFixture, NothingMovesWhileTheLinkIsDown)
{
    CDlgParams &page = Page();
    m_sys->m_bConnected = FALSE;
    page.ReadAllParameters();
    page.ReadCheckedParameters();
    page.WriteCheckedParameters();
    const std::vector<QString> expected(2, QString::fromUtf8("请连接串口！"));
    EXPECT_EQ(Boxes("参数读取"), expected);
    EXPECT_EQ(Boxes("参数写入"), std::vector<QString>{QString::fromUtf8("请连接串口！")});
    EXPECT_FALSE(page.IsTransferRunning());
    EXPECT_TRUE(m_sim.Requests().empty());
}

// Edit + Enter: one register written, the row keeps the typed value and is not read again.
TEST_F(ParamsFixture, EditAndEnterWriteOneRegister)
{
    CDlgParams &page = Page();
    CQLBCGGridCtrl *grid = page.Grid()->GetGrid();
    const auto [row, col] = ChooseValueCell("P0203");
    ASSERT_TRUE(page.Note()->isVisible());
    grid->GetItem(platform::GridItemID{row, col})->SetValue(QVariant(QStringLiteral("123")), false);
    platform::GridItemInfo info{grid->GetItem(platform::GridItemID{row, col}), row, col};
    platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ITEM_CHANGED"), 0,
                          reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(Record("P0203")->iCurValue, 123);
    platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ENTER_MSG"), 0, 0);
    ASSERT_TRUE(WaitForResult("写参数结果"));
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0203, 123}}));
    EXPECT_EQ(m_sim.GetRegister(0x0203), 123);
    EXPECT_EQ(Boxes("写参数结果").front(), QString::fromUtf8("信息提示：选项1个,参数写入完毕!\r\n"));
    EXPECT_EQ(CellText("P0203", kValue), "123");
    EXPECT_TRUE(WaitFor([&] { return !page.IsTimerRunning(CDlgParams::kWriteTimerId); }));
    for (const SimDrive::Request &r : m_sim.Requests())
        EXPECT_NE(r.bytes[1], 0x23) << "no read after a write";
    // The switch off: Enter writes nothing.
    m_flags.m_bIsEnterWriteDriver = FALSE;
    m_sim.ClearRequests();
    platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ENTER_MSG"), 0, 0);
    QTest::qWait(50);
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(ParamsFixture, AnOutOfRangeEditIsRefusedAndTheCellRestored)
{
    CDlgParams &page = Page();
    CQLBCGGridCtrl *grid = page.Grid()->GetGrid();
    const int row = page.FindRowByCode("P0203");
    const int col = page.Grid()->m_mapFieldToCol.at(kValue);
    grid->GetItem(platform::GridItemID{row, col})->SetValue(QVariant(QStringLiteral("5000")), false);
    platform::GridItemInfo info{grid->GetItem(platform::GridItemID{row, col}), row, col};
    platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ITEM_CHANGED"), 0,
                          reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(Record("P0203")->iCurValue, 400);
    EXPECT_EQ(CellText("P0203", kValue), "400");
    QCoreApplication::processEvents();
    ASSERT_FALSE(m_ui->Calls().empty());
    EXPECT_EQ(m_ui->Calls().back().kind, platform::ScriptedUiServices::Kind::MessageBox);
    EXPECT_EQ(m_ui->Calls().back().text,
              QString::fromUtf8("设置值超出范围！\nP0203 位置环增益 允许的范围：1 到 2000 (rad/s)"));
    EXPECT_EQ(m_ui->Calls().back().type, MB_OK | MB_ICONWARNING);
}

// Typing past the range and pressing Enter: the refusal is told and the Enter that committed the
// text writes nothing (not the value the refusal put back). The next Enter writes again.
TEST_F(ParamsFixture, EnterAfterARefusedValueWritesNothing)
{
    CDlgParams &page = Page();
    CQLBCGGridCtrl *grid = page.Grid()->GetGrid();
    const auto [row, col] = ChooseValueCell("P0203");
    ASSERT_TRUE(page.Note()->isVisible());
    m_sim.ClearRequests();
    const struct
    {
        const char *typed;
        bool rangeAlert;
    } cases[] = {{"5000", true}, {"12x", false}};
    for (const auto &[typed, rangeAlert] : cases) {
        m_ui->ClearCalls();
        grid->GetItem(platform::GridItemID{row, col})->SetValue(QVariant(QString::fromLatin1(typed)), false);
        platform::GridItemInfo info{grid->GetItem(platform::GridItemID{row, col}), row, col};
        platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ITEM_CHANGED"), 0,
                              reinterpret_cast<LPARAM>(&info));
        platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ENTER_MSG"), 0, 0);
        EXPECT_FALSE(page.IsTimerRunning(CDlgParams::kWriteTimerId)) << typed << ": no write started";
        EXPECT_TRUE(Boxes("写参数结果").empty()) << typed;
        EXPECT_EQ(Record("P0203")->iCurValue, 400) << typed;
        EXPECT_EQ(CellText("P0203", kValue), "400") << typed;
        QCoreApplication::processEvents();
        const auto calls = m_ui->Calls();
        const bool alerted = std::any_of(calls.begin(), calls.end(), [](const auto &c) {
            return c.kind == platform::ScriptedUiServices::Kind::MessageBox &&
                   c.text.startsWith(QString::fromUtf8("设置值超出范围！"));
        });
        EXPECT_EQ(alerted, rangeAlert) << typed;
    }
    EXPECT_TRUE(m_sim.Requests().empty());

    // An Enter on the restored value is a write of its own again.
    platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ENTER_MSG"), 0, 0);
    ASSERT_TRUE(WaitForResult("写参数结果"));
    EXPECT_EQ(Writes(), (std::vector<std::pair<int, int>>{{0x0203, 400}}));
}

// A refused value says why, in a warning box that stays until it is closed: the reason and the
// parameter's range, whether typed into the table's cell or into the detail pane, each ended
// with Enter as a user ends it. Nothing is kept or written, and the old value shows again.
TEST_F(ParamsFixture, ARefusedTypedValueSaysWhyAndWhatTheParameterTakes)
{
    CDlgParams &page = Page();
    CQLBCGGridCtrl *grid = page.Grid()->GetGrid();
    const auto [row, col] = ChooseValueCell("P0203");
    ASSERT_TRUE(page.Note()->isVisible());
    const QString range = QString::fromUtf8("\nP0203 位置环增益 允许的范围：1 到 2000 (rad/s)");
    const struct
    {
        const char *typed;
        const char *reason;
    } cases[] = {
        {"5000", "设置值超出范围！"},
        {"0", "设置值超出范围！"},
        {"12abc", "“12abc”不是整数。"},
        {"1e3", "“1e3”不是整数。"},
        {"12.7", "“12.7”不是整数。"},
    };
    enum class Where { Cell, Pane };
    for (const Where where : {Where::Cell, Where::Pane}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(where == Where::Cell ? "cell " : "pane ") + c.typed);
            m_ui->ClearCalls();
            m_sim.ClearRequests();
            if (where == Where::Cell) {
                ASSERT_TRUE(grid->EditItem(platform::GridItemID{row, col}));
                auto *editor = qobject_cast<QLineEdit *>(grid->GetItem(platform::GridItemID{row, col})->GetInPlaceWnd());
                ASSERT_TRUE(editor);
                editor->setText(QString::fromUtf8(c.typed));
                QTest::keyClick(editor, Qt::Key_Return);
            } else {
                QLineEdit *edit = page.Note()->ValueEdit();
                edit->setFocus();
                edit->clear();
                QTest::keyClicks(edit, QString::fromUtf8(c.typed));
                QTest::keyClick(edit, Qt::Key_Return);
            }
            QTest::qWait(20);
            const auto calls = m_ui->Calls();
            ASSERT_EQ(calls.size(), 1u) << "one box, nothing else asked";
            EXPECT_EQ(calls[0].kind, platform::ScriptedUiServices::Kind::MessageBox);
            EXPECT_EQ(calls[0].type, MB_OK | MB_ICONWARNING);
            EXPECT_EQ(calls[0].text, QString::fromUtf8(c.reason) + range);
            EXPECT_EQ(Record("P0203")->iCurValue, 400);
            EXPECT_EQ(CellText("P0203", kValue), "400");
            EXPECT_EQ(page.Note()->ValueEdit()->text(), "400");
            EXPECT_FALSE(page.IsTimerRunning(CDlgParams::kWriteTimerId));
            EXPECT_TRUE(m_sim.Requests().empty());
        }
    }
}

// A typed text that is not a whole number (nor an option) is refused as a whole: nothing of
// it is kept, the cell shows the value again, the row is not ticked, nothing is sent.
TEST_F(ParamsFixture, ATypedTextThatIsNotAWholeNumberIsRefusedAndTheCellRestored)
{
    CDlgParams &page = Page();
    CQLBCGGridCtrl *grid = page.Grid()->GetGrid();
    const int row = page.FindRowByCode("P0203");
    const int col = page.Grid()->m_mapFieldToCol.at(kValue);
    m_sim.ClearRequests();
    for (const char *text : {"1e3", "1,000", "12.7", "12abc", "abc", "", " ", "-", "+", "0x10"}) {
        SCOPED_TRACE(text);
        grid->GetItem(platform::GridItemID{row, col})->SetValue(QVariant(QString::fromUtf8(text)), false);
        platform::GridItemInfo info{grid->GetItem(platform::GridItemID{row, col}), row, col};
        platform::SendMessage(platform::WindowRef(page.Grid()), GridMessage("BCGM_GRID_ITEM_CHANGED"), 0,
                              reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(Record("P0203")->iCurValue, 400);
        EXPECT_EQ(CellText("P0203", kValue), "400");
        BOOL ticked = FALSE;
        page.Grid()->GetRowCheck(&ticked, row);
        EXPECT_FALSE(ticked);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_sim.Requests().empty());
}

// Ticked rows after confirmation: a success adds no line, a rejected register one line, an
// out-of-range value never reaches the drive, display-only rows are left out.
TEST_F(ParamsFixture, WriteCheckedListsOnlyTheFailures)
{
    CDlgParams &page = Page();
    QList<CDBDataParameter> &checked = *CDlgParams::CheckedParams();
    checked.clear();
    auto tick = [&](const char *code, int value) {
        CDBDataParameter p = *Record(code);
        p.iCurValue = value;
        checked.append(p);
    };
    tick("P0203", 321);
    tick("P0206", 50);
    tick("P0608", 20000);  // out of range
    tick("P0900", 5);      // display only
    tick("P0606", 300);
    m_sim.SetWriteHook(0x0206, [](std::uint16_t, std::uint16_t) -> std::uint16_t { return SimDrive::kExRefused; });
    page.WriteCheckedParameters();
    ASSERT_TRUE(WaitForResult("写参数结果"));
    ASSERT_EQ(m_listed.size(), 1u);
    EXPECT_EQ(m_listed.front().size(), 4) << "display-only left out of the list";
    EXPECT_EQ(m_listLines.front(), QString::fromUtf8("【001】【P0203】 【位置环增益】"));
    const std::vector<std::pair<int, int>> writes = Writes();
    EXPECT_EQ(std::count(writes.begin(), writes.end(), std::pair<int, int>{0x0203, 321}), 1);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), std::pair<int, int>{0x0206, 50}), CDlgParams::kWriteTries);
    EXPECT_EQ(std::count_if(writes.begin(), writes.end(), [](auto w) { return w.first == 0x0608 || w.first == 0x0900; }), 0);
    EXPECT_EQ(m_sim.GetRegister(0x0606), 300) << "the run goes on after a failure";
    EXPECT_EQ(Boxes("写参数结果").front(),
              QString::fromUtf8("【写入失败】 【P0206】 【转矩滤波时间】\r\n"
                                "【超过范围】【P0608】【范围0-10000->当前值20000】\r\n"
                                "信息提示：选项4个, 2个写入失败!\r\n"));
}

TEST_F(ParamsFixture, CancellingTheListWritesNothingAndStartsNoTimer)
{
    CDlgParams &page = Page();
    m_listAnswer = IDCANCEL;
    CDlgParams::CheckedParams()->append(*Record("P0203"));
    page.WriteCheckedParameters();
    EXPECT_EQ(m_listed.size(), 1u);
    EXPECT_FALSE(page.IsTimerRunning(CDlgParams::kWriteTimerId));
    EXPECT_FALSE(page.IsTransferRunning());
    EXPECT_TRUE(Writes().empty());
}

TEST_F(ParamsFixture, WriteAllSkipsDisplayOnlyAndHiddenParameters)
{
    CDlgParams &page = Page();
    page.WriteAllParameters();
    ASSERT_TRUE(WaitForResult("写参数结果"));
    ASSERT_EQ(m_listed.size(), 1u);
    for (const CDBDataParameter &p : m_listed.front()) {
        EXPECT_NE(p.nModify, 2) << p.sNum.toStdString();
        EXPECT_EQ(p.nLimit, 0) << p.sNum.toStdString();
    }
    // Registers of display-only parameters (hidden H records share some with writable ones).
    std::set<int> displayOnly, writable;
    for (const CDBDataParameter &p : *CDlgParams::ActiveParams())
        (p.nModify == 2 ? displayOnly : writable).insert(p.dwAddress);
    for (int address : writable)
        displayOnly.erase(address);
    ASSERT_TRUE(displayOnly.count(0x0900));
    ASSERT_FALSE(Writes().empty());
    for (const auto &[address, value] : Writes())
        EXPECT_EQ(displayOnly.count(address), 0u) << std::hex << address;
    EXPECT_TRUE(Boxes("写参数结果").front().endsWith(QString::fromUtf8("参数写入完毕!\r\n")));
}

// After P8006 is written in a run, later 32-bit values go out in the new word order.
TEST_F(ParamsFixture, AWordOrderChangeAppliesToTheRestOfTheRun)
{
    CDlgParams &page = Page();
    CDBDataParameter order = *Record("P8006");
    order.iCurValue = 1;
    CDBDataParameter wide = *Record("P0906");
    wide.nModify = 0;
    wide.iCurValue = 0x12345678;
    page.m_arrTransferParameter = {order, wide};
    m_ui->PushAnswer(IDYES);
    page.StartParameterWrite();
    ASSERT_TRUE(WaitForResult("写参数结果"));
    ASSERT_TRUE(Boxes("提示").size() == 1u) << "asked before changing the word order";
    EXPECT_EQ(m_sim.GetRegister(0x8006), 1);
    EXPECT_EQ(m_sim.GetRegister(0x0906), 0x5678) << "low word first";
    EXPECT_EQ(m_sim.GetRegister(0x0907), 0x1234);
    EXPECT_TRUE(m_sys->m_bLowWordFirst);

    // Answering No leaves P8006 out entirely; the count still names it.
    m_ui->ClearCalls();
    m_sim.ClearRequests();
    order.iCurValue = 0;
    page.m_arrTransferParameter = {order};
    m_ui->PushAnswer(IDNO);
    page.StartParameterWrite();
    ASSERT_TRUE(WaitForResult("写参数结果"));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Boxes("写参数结果").front(), QString::fromUtf8("信息提示：选项1个,参数写入完毕!\r\n"));
}

TEST_F(ParamsFixture, HeaderToggleTicksAllThenUnticksAllWithTheCheckedList)
{
    CDlgParams &page = Page();
    NavigationTarget group;
    group.m_nTargetId = 3;
    group.m_strGroup = "P02";
    page.ShowParamGroup(group);
    const int rows = page.Grid()->GetGrid()->GetRowCount();
    platform::SendMessage(platform::WindowRef(&page), WM_COMMAND, CDlgParams::ID_CHECK_TOGGLE, 0);
    EXPECT_EQ(CDlgParams::CheckedParams()->size(), rows);
    platform::SendMessage(platform::WindowRef(&page), WM_COMMAND, CDlgParams::ID_CHECK_TOGGLE, 0);
    EXPECT_TRUE(CDlgParams::CheckedParams()->isEmpty());
}

TEST(ParamsPage, SortByAddressAndMenuItems)
{
    QList<CDBDataParameter> list(3);
    list[0].dwAddress = 0x0608;
    list[1].dwAddress = 0x0200;
    list[2].dwAddress = 0x8006;
    CDlgParams::SortParametersByAddress(list);
    EXPECT_EQ(list[0].dwAddress, 0x0200);
    EXPECT_EQ(list[1].dwAddress, 0x0608);
    EXPECT_EQ(list[2].dwAddress, 0x8006);

    using P = CDlgParams;
    const struct {
        bool locked, compare, custom;
        std::vector<int> ids;
    } cases[] = {
        {false, false, false, {P::ID_WRITE_ROW, P::ID_READ_ROW, P::ID_CHECK_ALL, P::ID_WRITE_CHECKED_MENU, P::ID_READ_CHECKED_MENU, P::ID_ADD_TO_CUSTOM, P::ID_ADD_TO_MONITOR}},
        {true, false, false, {P::ID_READ_ROW, P::ID_CHECK_ALL, P::ID_READ_CHECKED_MENU, P::ID_ADD_TO_CUSTOM, P::ID_ADD_TO_MONITOR}},
        {false, true, true, {P::ID_WRITE_ROW, P::ID_READ_ROW, P::ID_CHECK_ALL, P::ID_ADD_TO_CUSTOM, P::ID_REMOVE_FROM_CUSTOM, P::ID_ADD_TO_MONITOR}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(P::ContextMenuCommands(c.locked, c.compare, c.custom), c.ids);
}

// Gives every parameter on the drive a value as different from the next one's as their ranges
// allow; answers them by code.
static std::map<QString, std::int32_t> PutDistinctValues(SimDrive &sim, const QList<CDBDataParameter> &params)
{
    std::map<QString, std::int32_t> drive;
    int k = 0;
    for (const CDBDataParameter &p : params) {
        const std::int64_t span = std::int64_t(p.iMax) - p.iMin + 1;
        const std::int32_t v = std::int32_t(p.iMin + (std::int64_t(++k) * 7919) % std::max<std::int64_t>(span, 1));
        drive[p.sNum] = v;
        if (p.dwWidth == 32)
            sim.SetRegister32(WORD(p.dwAddress), std::uint32_t(v));
        else
            sim.SetRegister(WORD(p.dwAddress), std::uint16_t(v));
    }
    return drive;
}

// "Read all" over a thousand reads with late answers of every lateness spread over them: each
// value the page takes is the drive's own for that parameter, never another's. The latenesses
// in two halves, each a test of its own (a "read all" takes seconds at the line's pace).
class ParamsLateTest : public ParamsFixture, public ::testing::WithParamInterface<int>
{
protected:
    // The default line rate: how many reads a late answer may cost is reckoned at its pace.
    void PrepareDrive() override { ConnectedDriveFixture::PrepareDrive(); }
};

TEST_P(ParamsLateTest, LateAnswersNeverShowAnotherParametersValue)
{
    // A short reply time-out: a late answer outlasts several further requests.
    m_sys->m_ModbusRTU.SetReplyTimeouts(20, 40);
    // The line's own pace after each request as well: how many reads a late answer may cost
    // is reckoned at it, and a quicker exchange puts more reads inside each late answer.
    m_sys->m_ModbusRTU.SetFrameMargin(-1);
    CDlgParams &page = Page();
    QList<CDBDataParameter> *params = CDlgParams::ActiveParams();
    ASSERT_NE(params, nullptr);
    std::map<QString, std::int32_t> drive = PutDistinctValues(m_sim, *params);
    const int allDelays[] = {0, 30, 90, 110, 140, 170, 200, 230, 260, 300};
    const std::vector<int> delays(std::begin(allDelays) + GetParam() * 5, std::begin(allDelays) + GetParam() * 5 + 5);
    constexpr std::int32_t kUnread = INT32_MIN + 7;
    std::size_t nextDelay = 0;
    int reads = 0;
    int taken = 0;
    // Every delay once, or about 1,000 reads under the soak.
    const int kFaultyRuns = SoakCount(1, 9);
    const int kFaultsPerRun = SoakCount(int(delays.size()), 8);
    for (int run = 1; run <= kFaultyRuns; ++run) {
        SCOPED_TRACE(run);
        for (CDBDataParameter &p : *params)
            p.iCurValue = kUnread;
        for (int i = 0; i < kFaultsPerRun; ++i) {
            SimDrive::Fault f;
            f.kind = SimDrive::FaultKind::LateReply;
            f.function = 0x23;
            f.address = int((*params)[(run * kFaultsPerRun + i) * 17 % params->size()].dwAddress);
            f.delayMs = delays[nextDelay++ % delays.size()];
            m_sim.InjectFault(f);
        }
        m_ui->ClearCalls();
        page.ReadAllParameters();
        ASSERT_TRUE(WaitForResult("读参数结果"));
        m_sim.ClearFaults();
        reads += int(page.m_arrTransferParameter.size());  // what the run asked for
        for (const CDBDataParameter &p : *params) {
            if (p.iCurValue == kUnread)
                continue;  // failed (and listed so) or not read at all
            ++taken;
            EXPECT_EQ(p.iCurValue, drive[p.sNum]) << p.sNum.toStdString();
            EXPECT_EQ(CellText(p.sNum, kValue), ParamValueText(p, drive[p.sNum])) << p.sNum.toStdString();
        }
    }
    EXPECT_GE(reads, SoakCount(100, 1000));
    // A late answer costs the reads that go out while it is awaited, no more.
    EXPECT_GE(taken, reads * 3 / 4);
}

INSTANTIATE_TEST_SUITE_P(Halves, ParamsLateTest, ::testing::Values(0, 1));

// A whole "read all" from the button against a drive late on every request, by anything from
// nothing to 300 ms and every seventh just past the reply window, answering one request at a
// time in the order they came, at the program's own line rate, reply windows and margin: not
// one cell shows a value the drive does not hold for it (a failed read is listed as failed).
class ParamsAlwaysLateTest : public ParamsLateTest
{
};

TEST_F(ParamsAlwaysLateTest, AReadAllShowsNoValueTheDriveDoesNotHold)
{
    m_sys->m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    m_sys->m_ModbusRTU.SetFrameMargin(-1);
    CDlgParams &page = Page();
    QList<CDBDataParameter> *params = CDlgParams::ActiveParams();
    ASSERT_NE(params, nullptr);
    std::map<QString, std::int32_t> drive = PutDistinctValues(m_sim, *params);
    constexpr std::int32_t kUnread = INT32_MIN + 7;
    for (CDBDataParameter &p : *params)
        p.iCurValue = kUnread;
    SimDrive::LateAnswers late;
    late.maxMs = 300;
    late.pastWindowEvery = 7;
    late.seed = 7;
    m_sim.SetLateAnswers(late);
    m_ui->ClearCalls();
    platform::SendMessage(platform::WindowRef(&page), WM_COMMAND, CDlgParams::IDC_READ_ALL, 0);
    ASSERT_TRUE(WaitFor([&] { return !Boxes("读参数结果").empty(); }, 280000));
    ASSERT_TRUE(WaitFor([&] { return !page.IsTransferRunning(); }));
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    m_sim.SetLateAnswers({});
    int wrong = 0;
    int taken = 0;
    for (const CDBDataParameter &p : *params) {
        if (p.iCurValue == kUnread)
            continue;  // failed, and listed so
        ++taken;
        if (p.iCurValue != drive[p.sNum] || CellText(p.sNum, kValue) != ParamValueText(p, drive[p.sNum])) {
            ++wrong;
            ADD_FAILURE() << p.sNum.toStdString() << " shows " << p.iCurValue << " for " << drive[p.sNum];
        }
    }
    std::fprintf(stderr, "late drive: %d parameters, %d read, %d wrong\n", int(params->size()), taken, wrong);
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(taken, 0);
}

// A row read that never started (link down, then a read already running) must not turn the next
// "read all" into a one-row refresh.
// "读取全部" against a drive that refuses many reads, with the program's own boxes: the result
// list is taller than the screen allows, so it comes in a box that fits the screen, its text
// scrolling inside, opened at its first line; every failed row and the summary are in it.
TEST_F(ParamsFixture, ALongReadResultComesInABoxThatFitsTheScreen)
{
    CDlgParams &page = Page();
    // Sixty of the parameters "读取全部" reads (those without a read limit) are refused.
    QList<CDBDataParameter> refused;
    for (const CDBDataParameter &p : *CDlgParams::ActiveParams())
        if (p.nLimit == 0 && refused.size() < 60)
            refused.append(p);
    ASSERT_EQ(refused.size(), 60);
    for (const CDBDataParameter &p : refused) {
        SimDrive::Fault refuse;
        refuse.kind = SimDrive::FaultKind::ErrorReply;
        refuse.persistent = true;
        refuse.function = 0x23;
        refuse.address = int(p.dwAddress);
        m_sim.InjectFault(refuse);
    }
    platform::ScopedUiServices real{std::make_shared<platform::QtUiServices>()};
    struct Seen
    {
        bool shown = false;
        QRect area;
        QRect screen;
        QString text;
        int scrolledTo = -1;
        bool scrolls = false;
    } seen;
    QPointer<QWidget> box;
    QTimer look;
    // Looked at once it has been up a moment (laid out), then closed with its button.
    QObject::connect(&look, &QTimer::timeout, [&] {
        if (!box) {
            box = QApplication::activeModalWidget();
            return;
        }
        if (seen.shown)
            return;
        seen.shown = true;
        seen.area = box->geometry();
        seen.screen = box->screen()->availableGeometry();
        if (auto *text = box->findChild<QPlainTextEdit *>(QStringLiteral("messageText"))) {
            seen.text = text->toPlainText();
            seen.scrolledTo = text->verticalScrollBar()->value();
            seen.scrolls = text->verticalScrollBar()->maximum() > 0;
        }
        auto *buttons = box->findChild<QDialogButtonBox *>();
        if (buttons && !buttons->buttons().isEmpty())
            buttons->buttons().front()->click();
    });
    look.start(100);
    qobject_cast<QPushButton *>(platform::FindCtrl(&page, CDlgParams::IDC_READ_ALL))->click();
    ASSERT_TRUE(WaitFor([&] { return seen.shown && !page.IsTransferRunning(); }, 60000));
    EXPECT_TRUE(seen.screen.contains(seen.area))
        << "box at " << seen.area.x() << "," << seen.area.y() << " " << seen.area.width() << "x" << seen.area.height();
    EXPECT_TRUE(seen.scrolls);
    EXPECT_EQ(seen.scrolledTo, 0) << "opened at its first line";
    const QStringList lines = seen.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 61) << "each failed row and the summary";
    EXPECT_TRUE(lines.front().contains(refused.front().sNum));
    EXPECT_TRUE(lines[59].contains(refused.back().sNum));
    EXPECT_TRUE(lines.back().contains(QStringLiteral("60")));
}

TEST_F(ParamsFixture, ARefusedRowReadLeavesReadAllRefreshingEveryRow)
{
    CDlgParams &page = Page();
    page.Grid()->SelectRow(page.FindRowByCode("P0203"));
    QCoreApplication::processEvents();
    m_sys->m_bConnected = FALSE;
    platform::SendMessage(platform::WindowRef(&page), WM_COMMAND, CDlgParams::ID_READ_ROW, 0);
    m_sys->m_bConnected = TRUE;
    ASSERT_FALSE(page.IsTransferRunning());
    m_sim.SetRegister(0x0203, 777);
    m_sim.SetRegister(0x0206, 2400);
    page.ReadAllParameters();
    ASSERT_TRUE(WaitForResult("读参数结果"));
    EXPECT_EQ(CellText("P0203", kValue), "777");
    EXPECT_EQ(CellText("P0206", kValue), "2400");
}
