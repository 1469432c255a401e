// The input panel, the page's text check and axis rule, and the page's plotting, smoothing and
// result files, without a drive.
#include "AppFlags.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "Wnds/auxFunction/DlgAidAnalyse.h"
#include "Wnds/auxFunction/DlgAidAnalyzeDocker.h"
#include "Wnds/auxFunction/MaRun.h"
#include "controls/KVProcessIndicator.h"
#include "controls/LHBGraph.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

// The panel's owner: records what the panel sends it.
class Owner : public QWidget, public platform::MessageTarget {
public:
    Owner() : MessageTarget(this) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_COMMAND)
            commands.push_back(static_cast<int>(w));
        else if (msg == UM_MA_SMOOTH_CHANGED)
            levels.push_back(*reinterpret_cast<const QString *>(w));
        else
            return MessageTarget::WindowProc(msg, w, l);
        return 0;
    }
    std::vector<int> commands;
    std::vector<QString> levels;
};

class PanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        docker = new CDlgAidAnalyzeDocker(nullptr);
        docker->setWindowFlags(Qt::Widget);
        docker->Create(&owner);
    }
    Owner owner;
    CDlgAidAnalyzeDocker *docker = nullptr;  // a child of the owner
};

}

TEST_F(PanelTest, IndicatorClickAsksTheOwnerAndChangesOnlyWhenTold)
{
    EXPECT_FALSE(docker->IsTestRunning());
    EXPECT_EQ(docker->IndicatorLabel(), QStringLiteral("启动"));
    CKVProcessIndicator *indicator = docker->Indicator();
    const QPointF inside(indicator->width() / 2.0, indicator->height() / 2.0);
    indicator->OnMouseDown(1, inside);
    indicator->OnMouseUp(1, inside);
    EXPECT_EQ(owner.commands, std::vector<int>{8031});
    EXPECT_FALSE(docker->IsTestRunning());

    EXPECT_EQ(docker->ToggleTestIndicator(), 1);
    EXPECT_EQ(docker->IndicatorLabel(), QStringLiteral("停止"));
    indicator->OnMouseDown(1, inside);
    indicator->OnMouseUp(1, inside);
    EXPECT_EQ(owner.commands, (std::vector<int>{8031, 8032}));
    // A release outside the indicator is no click.
    indicator->OnMouseDown(1, inside);
    indicator->OnMouseUp(1, QPointF(-5, -5));
    EXPECT_EQ(owner.commands.size(), 2u);

    EXPECT_EQ(docker->ToggleTestIndicator(), 0);
    EXPECT_EQ(docker->IndicatorLabel(), QStringLiteral("启动"));
    docker->ShowIdle();
    EXPECT_FALSE(docker->IsTestRunning());
}

// Only the left button starts a test: a right or middle click (or double click) asks for nothing.
TEST_F(PanelTest, OnlyTheLeftButtonStartsATest)
{
    owner.show();
    CKVProcessIndicator *indicator = docker->Indicator();
    const QPoint inside = indicator->rect().center();
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(indicator, b, {}, inside);
        QTest::mouseDClick(indicator, b, {}, inside);
    }
    EXPECT_TRUE(owner.commands.empty());
    // A right click during a left hold neither ends nor doubles it.
    QTest::mousePress(indicator, Qt::LeftButton, {}, inside);
    QTest::mouseClick(indicator, Qt::RightButton, {}, inside);
    EXPECT_TRUE(owner.commands.empty());
    QTest::mouseRelease(indicator, Qt::LeftButton, {}, inside);
    EXPECT_EQ(owner.commands, std::vector<int>{8031});
}

TEST_F(PanelTest, SpinTellsTheStepBeyondItsRangeButStaysInside)
{
    EXPECT_EQ(docker->GetSmoothLevelText(), QStringLiteral("16"));
    docker->SetSmoothLevelText(QStringLiteral("25"));
    docker->StepSmoothing(1);
    docker->SetSmoothLevelText(QStringLiteral("0"));
    docker->StepSmoothing(-1);
    docker->StepSmoothing(1);
    EXPECT_EQ(owner.levels, (std::vector<QString>{QStringLiteral("26"), QStringLiteral("-1"), QStringLiteral("1")}));
    EXPECT_EQ(docker->GetSmoothLevelText(), QStringLiteral("1"));
    docker->SetOffsetText(QStringLiteral("-300"));
    EXPECT_EQ(docker->GetOffsetText(), QStringLiteral("-300"));
    docker->SetOffsetText(QString());
    EXPECT_EQ(docker->GetOffsetText(), QString());
}

TEST(MaAxisRule, StepsOfTenOverTheDivisions)
{
    struct Case {
        double min, max;
        int divisions, low, step;
    } cases[] = {
        {-12.5, 6.5, 10, -20, 10},  {-180, 180, 10, -190, 40}, {0, 0, 10, -10, 10},
        {-400, 20, 10, -410, 50},   {3, 250, 4, -0, 70},       {-3.7, -3.7, 10, -10, 10},
    };
    for (const Case &c : cases) {
        int low = 0;
        int step = 0;
        DlgAidAnalyse::AxisRange(c.min, c.max, c.divisions, low, step);
        EXPECT_EQ(low, c.low) << c.min << ".." << c.max;
        EXPECT_EQ(step, c.step) << c.min << ".." << c.max;
    }
    int low = 0;
    int step = 0;
    DlgAidAnalyse::AxisRange(-std::numeric_limits<double>::infinity(), std::nan(""), 10, low, step);
    EXPECT_EQ(low, -410);
    EXPECT_GT(step, 0);
}

TEST(MaCheckIntegerText, RefusesWithItsMessage)
{
    auto ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices scope(ui);
    GetLangText().m_strLangFile = QCoreApplication::applicationDirPath() + QStringLiteral("/config/english_US.ini");
    struct Case {
        const char *text;
        int min, max;
        bool ok;
        const char *captionKey;
    } cases[] = {
        {"10", 1, 50, true, nullptr},
        {"0", 1, 50, false, "IDS_MyListCtrl_2"},
        {"abc", 1, 50, false, "IDS_MechanismAnalysisDlg_9"},
        {"1.5", 1, 50, false, "IDS_MyListCtrl_6"},
        {"", 1, 50, false, "IDS_MyListCtrl_4"},
        {"-1000", -1000, 1000, true, nullptr},
        {"1000", -1000, 1000, true, nullptr},
        {"1001", -1000, 1000, false, "IDS_MyListCtrl_2"},
        {"0", -1000, 1000, true, nullptr},
    };
    for (const Case &c : cases) {
        ui->ClearCalls();
        EXPECT_EQ(marun::CheckIntegerText(QString::fromLatin1(c.text), c.min, c.max, nullptr), c.ok) << c.text;
        if (c.ok) {
            EXPECT_TRUE(ui->Calls().empty()) << c.text;
        } else {
            ASSERT_EQ(ui->Calls().size(), 1u) << c.text;
            EXPECT_EQ(ui->Calls()[0].caption, LoadLangString(QString::fromLatin1(c.captionKey))) << c.text;
        }
    }
    ui->ClearCalls();
    marun::CheckIntegerText(QStringLiteral("51"), 1, 50, nullptr);
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, FillLangPlaces(LoadLangString(QStringLiteral("IDS_MyListCtrl_1")), {"1", "50"}));
    GetLangText().m_strLangFile.clear();
}

TEST(MaStopFrame, IsTheHandBuiltWriteOfRegister8923)
{
    BYTE frame[8];
    marun::BuildStopFrame(250, frame);
    const BYTE head[6] = {0xFA, 0x26, 0x89, 0x23, 0x00, 0x00};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(frame[i], head[i]) << i;
    // CRC-16/MODBUS, low byte first: the CRC over the whole frame is 0.
    WORD crc = 0xFFFF;
    for (BYTE b : frame) {
        crc ^= b;
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? static_cast<WORD>((crc >> 1) ^ 0xA001) : static_cast<WORD>(crc >> 1);
    }
    EXPECT_EQ(crc, 0);
}
