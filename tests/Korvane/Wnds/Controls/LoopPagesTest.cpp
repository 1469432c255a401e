// The position-loop and speed-loop pages against the simulated drive: what reaches the drive
// (its request log) when the user types into the diagram's boxes and switches modes.
#include "SysParamFixture.h"

#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "Wnds/Controls/DlgPositionCtrl.h"
#include "Wnds/Controls/DlgSpeedLoop.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QTest>

#include <set>
#include <utility>
#include <vector>

namespace {

using Write = std::pair<int, int>;  // register, value

// Records the diagram messages that reach the page.
template <class Page>
class Recording : public Page
{
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == UM_DIAGRAM_EDIT_CHANGED || msg == UM_DIAGRAM_MODE_CHANGED || msg == UM_DIAGRAM_EDIT_COMMITTED)
            messages.push_back({msg, static_cast<int>(w)});
        return Page::WindowProc(msg, w, l);
    }
    std::vector<std::pair<UINT, int>> messages;
};

class LoopPagesTest : public SysParamFixture
{
protected:
    void SetUp() override
    {
        SysParamFixture::SetUp();
        ASSERT_TRUE(m_sim.Start());
        std::string error;
        ASSERT_TRUE(m_sim.SeedFromDefaultDatabase(m_dbPath.toStdString(), 1, &error)) << error;
        qputenv("KORVANE_DEVICE", QByteArray::fromStdString(m_sim.SlavePath()));
        m_sys = std::make_unique<CSysParam>(m_dbPath);
        // The simulated drive paces its replies itself; the codec's extra wait after each
        // request only makes page tests slow.
        m_sys->m_ModbusRTU.SetFrameMargin(0);
        // The tests count the requests: on a loaded machine a reply may take longer than the
        // codec's window, and the write would go out twice. Nothing here tests the window.
        m_sys->m_ModbusRTU.SetReplyTimeouts(kAnsweringMs, kAnsweringMs);
        ASSERT_TRUE(m_sys->Init());
        ASSERT_TRUE(m_sys->m_SeriesPort.m_bOpen);
        SetSysParam(m_sys.get());
        m_ui->ClearCalls();
        m_sim.ClearRequests();
    }
    void TearDown() override
    {
        m_pos.reset();
        m_speed.reset();
        SetSysParam(nullptr);
        m_sys.reset();
        m_sim.Stop();
        qunsetenv("KORVANE_DEVICE");
        SysParamFixture::TearDown();
    }

    CDlgPositionCtrl &Position()
    {
        m_pos = std::make_unique<Recording<CDlgPositionCtrl>>();
        m_pos->Create(nullptr);
        return *m_pos;
    }
    CDlgSpeedLoop &Speed()
    {
        m_speed = std::make_unique<Recording<CDlgSpeedLoop>>();
        m_speed->Create(nullptr);
        return *m_speed;
    }

    // Waits until the page's writer has nothing left and its outcomes have been handled.
    static void Settle(CLoopDiagramPage &page)
    {
        QElapsedTimer t;
        t.start();
        while (!page.Writer().IsIdle() && t.elapsed() < 3000)
            QTest::qWait(5);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    std::vector<Write> Writes() const
    {
        std::vector<Write> w;
        for (const SimDrive::Request &r : m_sim.Requests())
            if (r.bytes.size() == 8 && r.bytes[1] == 0x26)
                w.push_back({(r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]});
        return w;
    }

    static constexpr DWORD kAnsweringMs = 400;
    // Nothing answers from here on: short reply windows, or the test would only wait.
    void Silence()
    {
        m_sys->m_ModbusRTU.SetReplyTimeouts(30, 60);
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::Silence;
        f.persistent = true;
        m_sim.InjectFault(f);
    }

    static void Type(QLineEdit *edit, const char *keys)
    {
        QTest::keyClicks(edit, QString::fromLatin1(keys));
    }
    static void Enter(QLineEdit *edit) { QTest::keyClick(edit, Qt::Key_Return); }

    SimDrive m_sim;
    std::unique_ptr<CSysParam> m_sys;
    std::unique_ptr<Recording<CDlgPositionCtrl>> m_pos;
    std::unique_ptr<Recording<CDlgSpeedLoop>> m_speed;
};

TEST_F(LoopPagesTest, OpeningReadsNothingAndShowsEmptyBoxes)
{
    CDlgPositionCtrl &page = Position();
    EXPECT_EQ(page.Diagram()->GetCount(), 1 + 39);
    for (int id = 1107; id <= 1127; ++id) {
        ASSERT_NE(page.BoxEdit(id), nullptr) << id;
        EXPECT_TRUE(page.BoxEdit(id)->text().isEmpty()) << id;
    }
    EXPECT_EQ(page.BoxEdit(1128), nullptr);
    EXPECT_TRUE(m_sim.Requests().empty());
    // The diagram keeps its top-left corner and grows and shrinks with the page.
    page.show();
    QCoreApplication::processEvents();
    const QRect before = page.DiagramCtrl()->geometry();
    page.resize(page.width() + 200, page.height() + 100);
    QCoreApplication::processEvents();
    EXPECT_EQ(page.DiagramCtrl()->geometry(), before.adjusted(0, 0, 200, 100));
}

TEST_F(LoopPagesTest, TypingWritesNothingUntilEnterThenTheValueOnce)
{
    CDlgPositionCtrl &page = Position();
    QLineEdit *gain = page.BoxEdit(1112);
    Type(gain, "120");
    Settle(page);
    EXPECT_TRUE(Writes().empty()) << "no write per keystroke";
    Enter(gain);
    Settle(page);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0203, 120}}));
    EXPECT_EQ(m_sim.GetRegister(0x0203), 120);
    EXPECT_FALSE(gain->property("writeFailed").toBool());
    // The box takes whole numbers only, at most 12 characters.
    QLineEdit *fir = page.BoxEdit(1111);
    Type(fir, "1.5");
    EXPECT_EQ(fir->text(), "15");
    fir->clear();
    Type(fir, "1234567890123");
    EXPECT_EQ(fir->text(), "123456789012");
}

// Leaving a box commits it only when its text changed since it was last committed.
TEST_F(LoopPagesTest, LeavingABoxCommitsOnlyAChangedText)
{
    CDlgPositionCtrl &page = Position();
    QLineEdit *gain = page.BoxEdit(1112);
    auto leave = [](QLineEdit *edit) {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &in);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(edit, &out);
    };
    Type(gain, "55");
    leave(gain);
    Settle(page);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0203, 55}}));
    leave(gain);
    Settle(page);
    EXPECT_EQ(Writes().size(), 1u) << "unchanged: nothing more";
    Enter(gain);
    Settle(page);
    EXPECT_EQ(Writes().size(), 2u) << "Enter sends again";
}

TEST_F(LoopPagesTest, InvalidTextShowsTheRangeAndSendsNothing)
{
    CDlgPositionCtrl &page = Position();
    QLineEdit *gain = page.BoxEdit(1112);
    for (const char *text : {"70000", "-5", "-", "0"}) {
        m_ui->ClearCalls();
        gain->clear();
        Type(gain, text);
        Enter(gain);
        Settle(page);
        ASSERT_EQ(m_ui->Calls().size(), 1u) << text;
        EXPECT_TRUE(m_ui->Calls()[0].text.contains("2000")) << text;
    }
    // An empty box commits nothing and asks nothing.
    m_ui->ClearCalls();
    gain->clear();
    Enter(gain);
    Settle(page);
    EXPECT_TRUE(m_ui->Calls().empty());
    EXPECT_TRUE(Writes().empty());
}

// A box's unit is its parameter's unit in the parameter records: the register counts in 0.1 Hz,
// 0.01 ms, or is a mode with no unit. A box bound to no register keeps its own text; a unit
// wider than its place is shown whole, clear of the box's edit.
TEST_F(LoopPagesTest, BoxUnitsAreThoseOfTheirParameters)
{
    const auto unitOf = [](CLoopDiagramPage &page, int editId) -> QString {
        const auto it = page.EditItems().find(editId);
        if (it == page.EditItems().end())
            return QStringLiteral("<no box>");
        auto *box = dynamic_cast<CMyEditDiagramControlObject *>(page.Diagram()->GetItem(it->second));
        return box && box->GetTextData(1) ? box->GetTextData(1)->Text() : QStringLiteral("<no unit line>");
    };
    const struct
    {
        bool speed;
        int mode;
        int editId;
        const char *unit;
    } cases[] = {
        {true, 0, 1111, "0.1Hz"},     // P0204
        {true, 0, 1110, "0.01ms"},    // P0205
        {true, 0, 1116, ""},          // P070F, a mode
        {true, 0, 1112, "ms"},        // P0206
        {true, 0, 1113, "Hz"},        // P0303..P030C
        {false, 0, 1118, "0.1Hz"},    // P0204
        {false, 0, 1116, "0.01ms"},   // P0205
        {false, 0, 1123, ""},         // P070F
        {false, 0, 1112, "rad/s"},    // P0203
        {false, 1, 1113, "rpm"},      // P0610
        {false, 1, 1128, "rad/s"},    // the model gain shows, it writes no register
    };
    CDlgSpeedLoop &speed = Speed();
    CDlgPositionCtrl &position = Position();
    for (const auto &c : cases) {
        CLoopDiagramPage &page = c.speed ? static_cast<CLoopDiagramPage &>(speed) : position;
        SCOPED_TRACE(testing::Message() << (c.speed ? "speed " : "position ") << c.mode << " box " << c.editId);
        if (!c.speed && page.SelectorCombo()->currentIndex() != c.mode) {
            page.SelectorCombo()->setCurrentIndex(c.mode);
            emit page.SelectorCombo()->activated(c.mode);
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(unitOf(page, c.editId), QString::fromUtf8(c.unit));
        const auto it = page.EditItems().find(c.editId);
        ASSERT_NE(it, page.EditItems().end());
        auto *box = dynamic_cast<CMyEditDiagramControlObject *>(page.Diagram()->GetItem(it->second));
        ASSERT_TRUE(box && box->TextRects().size() == 2);
        const DiagramText *unit = box->GetTextData(1);
        const QRectF place = box->TextRects()[1];
        EXPECT_GE(place.width(), QFontMetricsF(unit->GetTextFormat().ToFont()).horizontalAdvance(unit->Text()));
        EXPECT_LE(place.right(), box->GetRect().right());
        EXPECT_LE(box->GetControlRect().right(), place.left()) << "the unit clear of the edit";
    }
    // The page sees a parameter's unit as the parameter records hold it.
    for (CDataDevice &device : m_sys->m_ProjectDatabase.m_Project.m_arrDevices)
        for (CDataAxisParameter &axis : device.m_arrAxis)
            for (CDBDataParameter &p : axis.m_arrParameter)
                if (p.sNum == QLatin1String("P0204"))
                    p.sUnit = QStringLiteral("Hz");
    speed.RebuildDiagram(0, false);
    EXPECT_EQ(unitOf(speed, 1111), QStringLiteral("Hz"));
}

TEST_F(LoopPagesTest, PositionNotchBoxesWriteTheFirstNotchOnly)
{
    CDlgPositionCtrl &page = Position();
    for (int id : {1120, 1121, 1122}) {
        Type(page.BoxEdit(id), "9");
        Enter(page.BoxEdit(id));
    }
    Settle(page);
    // 9 is below the notch frequency's 50: that box is refused with a message.
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0304, 9}, {0x0305, 9}}));
    EXPECT_EQ(m_ui->Calls().size(), 1u);
}

TEST_F(LoopPagesTest, SpeedNotchBoxFansOutAndAFailedRegisterStopsNothing)
{
    CDlgSpeedLoop &page = Speed();
    QLineEdit *depth = page.BoxEdit(1115);
    Type(depth, "3");
    Enter(depth);
    Settle(page);
    const std::vector<Write> all = {{0x0305, 3}, {0x0308, 3}, {0x030B, 3}, {0x030E, 3}};
    EXPECT_EQ(Writes(), all);
    EXPECT_FALSE(depth->property("writeFailed").toBool());

    // 0x0308 silent: six tries, then the last two are still written and the box is marked.
    // Its tries go unanswered: the full reply window would only slow the test.
    m_sys->m_ModbusRTU.SetReplyTimeouts(30, 60);
    SimDrive::Fault silent;
    silent.kind = SimDrive::FaultKind::Silence;
    silent.persistent = true;
    silent.address = 0x0308;
    m_sim.InjectFault(silent);
    m_sim.ClearRequests();
    depth->clear();
    Type(depth, "4");
    Enter(depth);
    Settle(page);
    // The order of the registers, each try after a failure repeating its register.
    std::vector<Write> order;
    int triesOf0308 = 0;
    for (const Write &w : Writes()) {
        triesOf0308 += w.first == 0x0308 ? 1 : 0;
        if (order.empty() || order.back() != w)
            order.push_back(w);
    }
    EXPECT_EQ(order, (std::vector<Write>{{0x0305, 4}, {0x0308, 4}, {0x030B, 4}, {0x030E, 4}}));
    EXPECT_EQ(triesOf0308, CDiagramBoxWriter::kTries);
    EXPECT_EQ(m_sim.GetRegister(0x0308), 3);
    EXPECT_EQ(m_sim.GetRegister(0x030B), 4);
    EXPECT_EQ(m_sim.GetRegister(0x030E), 4);
    EXPECT_TRUE(depth->property("writeFailed").toBool());
    EXPECT_TRUE(depth->toolTip().contains("0x1002")) << depth->toolTip().toStdString();

    // The mark stays until a write of the box succeeds.
    m_sim.ClearFaults();
    m_sys->m_ModbusRTU.SetReplyTimeouts(kAnsweringMs, kAnsweringMs);
    depth->clear();
    Type(depth, "5");
    Enter(depth);
    Settle(page);
    EXPECT_FALSE(depth->property("writeFailed").toBool());
    EXPECT_TRUE(depth->toolTip().isEmpty());
}

TEST_F(LoopPagesTest, ModeSwitchKeepsTheSelectorAndReplacesTheBoxes)
{
    Recording<CDlgPositionCtrl> &page = static_cast<Recording<CDlgPositionCtrl> &>(Position());
    DiagramShape *selector = page.Diagram()->GetItem(1);
    QComboBox *combo = page.SelectorCombo();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->itemText(1), QString("1-模型位置控制"));
    const DiagramItemId oldBox = page.EditItems().at(1112);

    combo->setCurrentIndex(1);
    emit combo->activated(1);
    EXPECT_EQ(page.messages.back().first, UM_DIAGRAM_MODE_CHANGED);
    EXPECT_EQ(page.Diagram()->GetItem(1), selector);
    EXPECT_EQ(page.SelectorCombo(), combo);
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(page.Diagram()->GetCount(), 1 + 46);
    EXPECT_EQ(page.Diagram()->GetConnectorCount(), 28);
    EXPECT_EQ(page.EditItems().size(), 22u);
    EXPECT_NE(page.EditItems().at(1112), oldBox);
    EXPECT_EQ(page.Diagram()->GetItem(oldBox), nullptr);

    // The model gain box only shows: it writes nothing.
    QLineEdit *model = page.BoxEdit(1128);
    ASSERT_NE(model, nullptr);
    EXPECT_TRUE(model->isReadOnly());
    Type(model, "50");
    Enter(model);
    // Typing into a box of the new diagram writes its register.
    Type(page.BoxEdit(1126), "150");
    Enter(page.BoxEdit(1126));
    Settle(page);
    EXPECT_EQ(Writes(), (std::vector<Write>{{0x0713, 150}}));

    combo->setCurrentIndex(0);
    emit combo->activated(0);
    EXPECT_EQ(page.Diagram()->GetCount(), 1 + 39);
    EXPECT_EQ(page.Diagram()->GetConnectorCount(), 24);
    EXPECT_EQ(page.EditItems().count(1128), 0u);
    EXPECT_EQ(page.Diagram()->GetItem(1), selector);
}

TEST_F(LoopPagesTest, OneDigitIsOneChangeMessageWithItsId)
{
    Recording<CDlgPositionCtrl> &page = static_cast<Recording<CDlgPositionCtrl> &>(Position());
    page.messages.clear();
    Type(page.BoxEdit(1118), "7");
    EXPECT_EQ(page.messages, (std::vector<std::pair<UINT, int>>{{UM_DIAGRAM_EDIT_CHANGED, 1118}}));
    page.messages.clear();
    QTest::keyClick(page.BoxEdit(1118), Qt::Key_Backspace);
    EXPECT_EQ(page.messages, (std::vector<std::pair<UINT, int>>{{UM_DIAGRAM_EDIT_CHANGED, 1118}}));
}

TEST_F(LoopPagesTest, SpeedContainerForwardsOnlyItsOwnIds)
{
    Recording<CDlgSpeedLoop> &page = static_cast<Recording<CDlgSpeedLoop> &>(Speed());
    page.messages.clear();
    for (int id = 1121; id <= 1128; ++id) {
        page.DiagramCtrl()->OnControlNotify(id, EN_CHANGE);
        page.DiagramCtrl()->OnControlNotify(id, EN_COMMIT);
    }
    EXPECT_TRUE(page.messages.empty());
    page.DiagramCtrl()->OnControlNotify(1120, EN_CHANGE);
    page.DiagramCtrl()->OnControlNotify(1105, CBN_SELCHANGE);
    EXPECT_EQ(page.messages, (std::vector<std::pair<UINT, int>>{{UM_DIAGRAM_EDIT_CHANGED, 1120},
                                                                {UM_DIAGRAM_MODE_CHANGED, 0}}));
    // The single mode rebuilds the same diagram with empty boxes.
    EXPECT_EQ(page.Diagram()->GetCount(), 1 + 27);
    EXPECT_EQ(page.EditItems().size(), 14u);
}

TEST_F(LoopPagesTest, ClosingThePageWithAWriteInFlightEnds)
{
    Silence();
    CDlgSpeedLoop &page = Speed();
    Type(page.BoxEdit(1113), "500");
    Enter(page.BoxEdit(1113));
    QElapsedTimer t;
    t.start();
    page.StopWorkers();
    EXPECT_LT(t.elapsed(), 1000) << "stops after the transaction in flight";
}

}

namespace {

// Every register a diagram box writes is plain storage on the simulated drive, and its
// request log keeps the order of the requests.
TEST_F(LoopPagesTest, DiagramRegistersArePlainStorageInOrder)
{
    std::set<WORD> registers;
    for (const auto &table : {CDlgPositionCtrl::RegisterTable(), CDlgSpeedLoop::RegisterTable()})
        for (const auto &[id, regs] : table)
            registers.insert(regs.begin(), regs.end());
    ASSERT_EQ(registers.size(), 32u);
    std::vector<Write> sent;
    WORD value = 7;
    for (WORD reg : registers) {
        ASSERT_TRUE(m_sys->WriteReg(reg, value, CSysParam::LinkWait::Block, 1)) << std::hex << reg;
        int back = -1;
        ASSERT_TRUE(m_sys->ReadReg(reg, &back, CSysParam::LinkWait::Block, 1)) << std::hex << reg;
        EXPECT_EQ(back, value) << std::hex << reg;
        sent.push_back({reg, value});
        ++value;
    }
    EXPECT_EQ(Writes(), sent);
}

}
