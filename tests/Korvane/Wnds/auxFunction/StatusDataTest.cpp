// The data monitor page against the simulated drive through the read worker: moving values in
// both word orders, a silent drive, at most one waiting request, stop, the combos' memory and
// the charts' scales.
#include "DrivePageFixture.h"

#include "LangText.h"
#include "Thread/ReadQueue.h"
#include "Wnds/auxFunction/DlgStatusData.h"
#include "controls/LineChart.h"
#include "grid/DlgBCGGrid.h"
#include "grid/QLBCGGridCtrl.h"
#include "controls/MyNumericIndicatorCtrl.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "support/ProgramDirCopy.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace {

class MainStub : public QWidget, public platform::MessageTarget
{
public:
    MainStub() : MessageTarget(this) {}
};

class StatusDataTest : public DrivePageFixture
{
protected:
    void SetUp() override
    {
        // The monitor's logic, not its tick, is under test: ticks come every 50 ms.
        CDlgStatusData::SetPeriodMs(50);
        DrivePageFixture::SetUp();
        m_sim.SetStatusMoving(true);
        m_queue = std::make_unique<CReadQueue>(*m_sys);
        SetReadQueue(m_queue.get());
        platform::SetMainWindow(&m_main);
    }
    void DestroyPages() override
    {
        m_page.reset();
        if (m_queue)
            m_queue->Shutdown();
        SetReadQueue(nullptr);
        platform::SetMainWindow(nullptr);
        m_queue.reset();
    }
    void TearDown() override
    {
        DrivePageFixture::TearDown();
        CDlgStatusData::SetPeriodMs(0);
    }
    CDlgStatusData &Open()
    {
        m_page = std::make_unique<CDlgStatusData>();
        m_page->Create(nullptr);
        m_page->resize(1200, 700);
        return *m_page;
    }
    int ItemOf(const char *code) const
    {
        for (int i = 0; i < m_page->Items().size(); ++i)
            if (m_page->Items()[i].sNum == QLatin1String(code))
                return i;
        return -1;
    }
    void Choose(int slot, const char *name)
    {
        QComboBox *c = m_page->Combo(slot);
        c->setCurrentIndex(c->findText(QString::fromUtf8(name)));
    }
    bool WaitAnswers(int n) { return WaitFor([&] { return m_page->Answers() >= n; }, 15000); }

    MainStub m_main;
    std::unique_ptr<CReadQueue> m_queue;
    std::unique_ptr<CDlgStatusData> m_page;
};

TEST(StatusDataValues, BitStringsAndNumbers)
{
    const std::tuple<const char *, int, const char *> cases[] = {
        {"H0B03", 5, "0000000101"}, {"H0B05", 0, "0000000000"}, {"H0B03", 0x7FF, "11111111111"},
        {"H0B03", -1, "11111111111111111111111111111111"}, {"P0900", -5, "-5"}, {"P0906", 70000, "70000"},
    };
    for (const auto &[code, value, text] : cases) {
        CDBDataParameter p;
        p.sNum = QString::fromLatin1(code);
        p.iCurValue = value;
        EXPECT_EQ(CDlgStatusData::ValueText(p), QString::fromLatin1(text)) << code << " " << value;
    }
}

TEST(StatusDataScales, RescaleCharts)
{
    struct Case
    {
        std::vector<std::pair<double, bool>> samples;
        double highest, lowest;
        double low, high, step;
    };
    const Case cases[] = {
        {{{0, true}}, 100, -100, -100, 100, 20},
        {{{0, true}, {350, false}}, 350, -100, -150, 400, 50},
        {{{0, true}, {49.2, false}}, 100, -100, -120, 120, 20},
        {{{0, true}, {-12000, false}}, 100, -12000, -13000, 1100, 1000},
        {{{0, true}, {59000, false}}, 59000, -100, -5100, 64000, 5000},
        {{{0, true}, {350, false}, {0, true}}, 100, -100, -100, 100, 20},
        // A 16-bit bit string shown as its digits, and the int32 limits: the axis stays finite.
        {{{0, true}, {1111111111111111.0, false}}, 1111111111111111.0, -100, -1e14 - 100, 1111111111111111.0 + 1e14, 1e14},
        {{{0, true}, {2147483647, false}}, 2147483647, -100, -1e8 - 100, 2147483647 + 1e8, 1e8},
        {{{0, true}, {-2147483648.0, false}}, 100, -2147483648.0, -2147483648.0 - 1e8, 100 + 1e8, 1e8},
    };
    for (const Case &c : cases) {
        ChartScale s;
        for (const auto &[v, reset] : c.samples)
            CDlgStatusData::RescaleChart(s, v, reset);
        EXPECT_EQ(s.dHighest, c.highest);
        EXPECT_EQ(s.dLowest, c.lowest);
        EXPECT_LE(s.dAxisLow, c.lowest);
        EXPECT_GE(s.dAxisHigh, c.highest);
        EXPECT_EQ(s.dAxisLow, c.low);
        EXPECT_EQ(s.dAxisHigh, c.high);
        EXPECT_EQ(s.dStep, c.step);
    }
}

// In both word orders of the drive (the parameter: 1, low word first).
class StatusDataOrderTest : public StatusDataTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(StatusDataOrderTest, MovingValuesReachTableChartsAndIndicators)
{
    const int order = GetParam();
    m_sim.SetRegister(0x8006, WORD(order));
    m_sys->m_bLowWordFirst = order;
    Open();
    Choose(0, "电机转速");
    Choose(1, "位置反馈");
    const int speed = ItemOf("P0900");
    const int position = ItemOf("P0906");
    ASSERT_GE(speed, 0);
    ASSERT_GE(position, 0);
    m_page->SetRowChecked(position, true);
    m_page->StartButton()->click();
    EXPECT_FALSE(m_page->Combo(0)->isEnabled());
    EXPECT_EQ(m_page->RowModel().size(), 1u);  // checked rows only while running
    ASSERT_TRUE(WaitAnswers(4));
    const QVector<double> &pos = m_page->Chart(1)->Points();
    ASSERT_GE(pos.size(), 2);
    EXPECT_GT(pos.back(), pos.front());
    EXPECT_GE(pos.front(), 70000);
    EXPECT_EQ(std::fmod(pos.back() - 70000, 1237), 0);
    EXPECT_EQ(m_page->Items()[position].iCurValue, int(pos.back()));
    ASSERT_EQ(m_page->RowModel().size(), 1u);
    EXPECT_EQ(m_page->RowModel().begin()->second.at("XML_STATUS_DATA_CTL_FUNC_NUM").m_strValue, "P0906");
    EXPECT_EQ(m_page->RowModel().begin()->second.at("XML_STATUS_DATA_CTL_CUR_VALUE").m_strValue,
              QString::number(m_page->Items()[position].iCurValue));
    EXPECT_EQ(m_page->Indicator(1)->GetImpl()->m_arrChars.join(""), QString::number(int(pos.back())));
    EXPECT_GE(m_page->Chart(0)->Points().size(), 2);
    EXPECT_LE(m_page->MaxWaiting(), 1);
    m_page->StopButton()->click();
    EXPECT_EQ(m_page->RowModel().size(), std::size_t(m_page->Items().size()));
}

INSTANTIATE_TEST_SUITE_P(WordOrders, StatusDataOrderTest, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int> &info) { return info.param ? "LowFirst" : "HighFirst"; });

// Every value is shown whole: the value column is at least as wide as its widest text (bit
// strings of sixteen digits, positions in the hundreds of thousands).
TEST_F(StatusDataTest, TheValueColumnShowsEveryValueWhole)
{
    Open();
    for (int i = 0; i < int(m_page->Items().size()); ++i)
        m_page->SetRowChecked(i, true);
    m_page->StartButton()->click();
    ASSERT_TRUE(WaitAnswers(3));
    m_page->StopButton()->click();
    CQLBCGGridCtrl *grid = m_page->Grid()->GetGrid();
    int col = -1;
    for (int c = 0; c < grid->GetColumnCount(); ++c)
        if (m_page->Grid()->GetColumnFieldId(c) == QLatin1String("XML_STATUS_DATA_CTL_CUR_VALUE"))
            col = c;
    ASSERT_GE(col, 0);
    const QFontMetrics fm(grid->GetGridFont());
    int widest = 0;
    QString longest;
    for (const auto &[key, row] : m_page->RowModel()) {
        const QString text = row.at("XML_STATUS_DATA_CTL_CUR_VALUE").m_strValue;
        if (fm.horizontalAdvance(text) > widest) {
            widest = fm.horizontalAdvance(text);
            longest = text;
        }
    }
    EXPECT_GE(longest.size(), 6) << longest.toStdString();
    EXPECT_GT(grid->GetColumnWidth(col), widest) << longest.toStdString();
}

TEST_F(StatusDataTest, ASilentDriveLeavesMarkedValuesAndNoChartPoints)
{
    Open();
    Choose(0, "电机转速");
    const int speed = ItemOf("P0900");
    m_page->StartButton()->click();
    ASSERT_TRUE(WaitAnswers(3));
    const int value = m_page->Items()[speed].iCurValue;
    const int answers = m_page->Answers();
    Silence();
    ASSERT_TRUE(WaitAnswers(answers + 2));
    const int points = int(m_page->Chart(0)->Points().size());
    ASSERT_TRUE(WaitAnswers(m_page->Answers() + 1));
    EXPECT_TRUE(m_page->IsStale(speed));
    EXPECT_EQ(m_page->Items()[speed].iCurValue, value);
    EXPECT_EQ(int(m_page->Chart(0)->Points().size()), points);
    EXPECT_LE(m_page->MaxWaiting(), 1);
    EXPECT_LE(m_page->WaitingCount(), 1);
}

TEST_F(StatusDataTest, StopEndsTheRequestsAndComingBackDoesNotRestartThem)
{
    Open();
    m_page->StartButton()->click();
    ASSERT_TRUE(WaitAnswers(2));
    platform::SendMessage(platform::WindowRef(m_page.get()), UM_STOP_TIMER, 0, 0);
    EXPECT_FALSE(m_page->IsRunning());
    EXPECT_TRUE(m_page->StartButton()->isEnabled());
    platform::SendMessage(platform::WindowRef(m_page.get()), UM_START_TIMER, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !m_queue->IsWorkerRunning(); }));
    Pump();
    m_sim.ClearRequests();
    // Nothing may come in the time of several ticks.
    QTest::qWait(int(6 * CDlgStatusData::PeriodMs()));
    EXPECT_TRUE(m_sim.Requests().empty());
}

TEST_F(StatusDataTest, CombosAreRememberedAndFoundByPrefix)
{
    Open();
    Choose(2, "母线电压");
    EXPECT_EQ(m_page->UnitLabel(2)->text(), "0.1V");
    m_page.reset();
    // Stored by the parameter's code: the same choice in every language.
    EXPECT_EQ(platform::IniFile::GetString(CDlgStatusData::ConfigFile(), "StatusDataComb", "comb3", ""),
              QStringLiteral("P0904"));
    platform::IniFile::WriteString(CDlgStatusData::ConfigFile(), "StatusDataComb", "comb1", QString::fromUtf8("陷波器"));
    platform::IniFile::WriteString(CDlgStatusData::ConfigFile(), "StatusDataComb", "comb2", QString::fromUtf8("不存在"));
    // A name an earlier version stored while the program was in English: the translator knows
    // its source.
    platform::IniFile::WriteString(CDlgStatusData::ConfigFile(), "StatusDataComb", "comb4", QStringLiteral("DC bus voltage"));
    platform::CreateLanguageLibrary(QStringLiteral(KORVANE_SOURCE_DIR "/Korvane/config/LangTable.tsv"));
    platform::GetSqlite()->Load();
    Open();
    platform::DestroyLanguageLibrary();
    EXPECT_EQ(m_page->Combo(0)->currentText(), QString::fromUtf8("陷波器1频率"));
    EXPECT_EQ(m_page->Combo(1)->currentIndex(), -1);
    EXPECT_EQ(m_page->Combo(2)->currentText(), QString::fromUtf8("母线电压"));
    EXPECT_EQ(m_page->Combo(3)->currentText(), QString::fromUtf8("母线电压"));
    EXPECT_EQ(m_page->UnitLabel(3)->text(), "0.1V");
}

// The left part by its resize rule: four rows, each an indicator (H/2 x 5/6 wide) under a combo
// and its unit, the chart beside them. The combos show the chosen names whole, in every
// language: the name the user picks that is too wide for its combo widens the column, the unit
// and the chart moving aside.
TEST_F(StatusDataTest, TheLeftPartFollowsItsRuleAndEachComboShowsItsChosenName)
{
    const ProgramDirCopy program;
    ASSERT_TRUE(program.IsValid());
    const struct
    {
        const char *what;
        int language;
        QSize size;
    } cases[] = {
        {"simplified, the page area at 1280x800", platform::CLanguageConf::kSimplified, {1055, 525}},
        {"simplified, a large window", platform::CLanguageConf::kSimplified, {1600, 900}},
        {"English, the page area at 1280x800", platform::CLanguageConf::kEnglish, {1055, 525}},
        {"English, a small window", platform::CLanguageConf::kEnglish, {800, 360}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        SelectLanguage(c.language);
        Open();
        m_page->resize(c.size);
        m_page->show();
        QCoreApplication::processEvents();
        // The user's choices: the widest name in slot 0, the narrowest in slot 1.
        QComboBox *first = m_page->Combo(0);
        int widest = 0, narrowest = 0;
        for (int i = 0; i < first->count(); ++i) {
            const QFontMetrics fm = first->fontMetrics();
            if (fm.horizontalAdvance(first->itemText(i)) > fm.horizontalAdvance(first->itemText(widest)))
                widest = i;
            if (fm.horizontalAdvance(first->itemText(i)) < fm.horizontalAdvance(first->itemText(narrowest)))
                narrowest = i;
        }
        m_page->Combo(0)->setCurrentIndex(widest);
        m_page->Combo(1)->setCurrentIndex(narrowest);
        QCoreApplication::processEvents();
        const int W = m_page->width(), H = m_page->height();
        const int IW = (H / 2) * 5 / 6;
        const int LW = int(W * 0.6);
        bool widened = false;
        for (int k = 0; k < CDlgStatusData::kSlots; ++k) {
            SCOPED_TRACE(k);
            const QRect indicator = m_page->Indicator(k)->geometry();
            const QRect combo = m_page->Combo(k)->geometry();
            const QRect unit = m_page->UnitLabel(k)->geometry();
            const QRect chart = m_page->Chart(k)->geometry();
            EXPECT_EQ(indicator, QRect(0, k * (H / 4) + H / 8 - (H / 2 - IW - 5) / 2 + 5, IW, H / 2 - IW - 5));
            EXPECT_EQ(combo.topLeft(), QPoint(0, k * (H / 4) + 20));
            EXPECT_GE(combo.width(), IW - 60);
            widened = widened || combo.width() > IW - 60;
            // The name's whole text fits the combo's text field.
            QComboBox *box = m_page->Combo(k);
            QStyleOptionComboBox opt;
            opt.initFrom(box);
            opt.rect = box->rect();
            const QRect field = box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, box);
            EXPECT_GE(field.width(), box->fontMetrics().horizontalAdvance(box->currentText())) << box->currentText().toStdString();
            EXPECT_GE(unit.left(), combo.right()) << "the unit beside its combo";
            EXPECT_EQ(chart.left(), unit.right() + 1);
            EXPECT_EQ(chart.right(), LW - 1);
            EXPECT_GE(chart.width(), LW / 2) << "the charts keep half of the left part";
        }
        // In simplified Chinese every name fits the rule's combo; the longest English one does not.
        EXPECT_EQ(widened, c.language == platform::CLanguageConf::kEnglish);
        m_page.reset();
    }
    SelectLanguage(platform::CLanguageConf::kSimplified);
}

TEST_F(StatusDataTest, TheSameParameterTwiceFeedsOnlyTheLowerSlot)
{
    Open();
    Choose(0, "电机转速");
    Choose(3, "电机转速");
    m_page->StartButton()->click();
    ASSERT_TRUE(WaitAnswers(3));
    EXPECT_GE(m_page->Chart(0)->Points().size(), 2);
    EXPECT_TRUE(m_page->Chart(3)->Points().isEmpty());
    EXPECT_TRUE(m_page->Chart(1)->Points().isEmpty());
}

TEST_F(StatusDataTest, NoStatusValuesSaysSoAndBuildsNoCharts)
{
    CDataAxisParameter *axis = m_sys->FindActiveAxis(m_sys->m_ProjectDatabase.m_nCurDeviceID);
    ASSERT_NE(axis, nullptr);
    axis->m_arrParameter.erase(std::remove_if(axis->m_arrParameter.begin(), axis->m_arrParameter.end(),
                                              [](const CDBDataParameter &p) { return p.sGroupNO == "P09"; }),
                               axis->m_arrParameter.end());
    Open();
    ASSERT_EQ(BoxTexts().size(), 1u);
    EXPECT_EQ(BoxTexts()[0], LoadLangString("IDS_DlgParamRealData_1"));
    EXPECT_EQ(m_page->Chart(0), nullptr);
    EXPECT_TRUE(m_page->RowModel().empty());
}

}
