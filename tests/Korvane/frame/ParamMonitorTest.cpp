// The parameter monitor pane against the simulated drive: rows added and refused, values that
// follow the drive within two refreshes, a silent drive, deletion and the refresh's timer.
#include "ConnectedDriveFixture.h"

#include "DlgParamMointor.h"
#include "ParamWatchBar.h"
#include "SYSPARAM/SysParam.h"
#include "SimDrive.h"
#include "platform/grid/Grid.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QTest>

#include <functional>

namespace {

const QString kCode = QStringLiteral("IDS_ParaView_1");
const QString kValue = QStringLiteral("IDS_ParaView_3");

}

class ParamMonitorTest : public ConnectedDriveFixture
{
protected:
    void SetUp() override
    {
        // The refresh's logic, not its period, is under test: rounds come every 50 ms.
        CDlgParamMointor::SetRefreshMs(50);
        ConnectedDriveFixture::SetUp();
        if (HasFatalFailure())
            return;
        m_window = std::make_unique<QMainWindow>();
        m_bar = new CParamWatchBar(QStringLiteral("参数监控"), m_window.get());
        m_window->addDockWidget(Qt::BottomDockWidgetArea, m_bar);
        m_window->resize(900, 400);
        m_window->show();
        QCoreApplication::processEvents();
        m_ui->ClearCalls();
    }
    void PrepareDrive() override
    {
        ConnectedDriveFixture::PrepareDrive();
        UseLineRate(kTopRate);
    }
    void TearDown() override
    {
        m_window.reset();
        ConnectedDriveFixture::TearDown();
        CDlgParamMointor::SetRefreshMs(0);
    }

    CDlgParamMointor &Monitor() { return *m_bar->Monitor(); }
    void Add(const char *code)
    {
        QString text = QString::fromLatin1(code);
        platform::SendMessage(platform::WindowRef(m_bar), UM_MONITOR_ADD_PARAM, 0, reinterpret_cast<LPARAM>(&text));
    }
    int Rows() { return Monitor().Grid()->GetGrid()->GetRowCount(); }
    QString Current(const char *code) { return Monitor().CellText(code, CDlgParamMointor::kColCurrent); }
    // Waits for `n` more finished refresh rounds.
    bool WaitRounds(int n)
    {
        const int target = Monitor().Rounds() + n;
        return WaitFor([&] { return Monitor().Rounds() >= target; });
    }

    std::unique_ptr<QMainWindow> m_window;
    CParamWatchBar *m_bar = nullptr;
};

TEST_F(ParamMonitorTest, AddsRowsRefusesDuplicatesAndIgnoresUnknownCodes)
{
    Add("P8972");
    Add("P0203");
    Add("P0203");
    Add("PFFFF");
    Add("");
    EXPECT_EQ(Rows(), 2);
    ASSERT_EQ(m_ui->Calls().size(), 1u) << "one refusal, no box for the unknown code";
    EXPECT_EQ(m_ui->Calls()[0].text, QString::fromUtf8("该编号已添加监控!"));
    EXPECT_EQ(Monitor().Monitored().size(), 2);
    // Number format: hexadecimal for the special codes, except the refreshed value.
    EXPECT_EQ(Monitor().CellText("P8972", kValue), "0x0");
    EXPECT_EQ(Monitor().CellText("P8972", "IDS_ParaView_7"), "0xFFFF");
    EXPECT_EQ(Monitor().CellText("P0203", kValue), "400");
    EXPECT_TRUE(Monitor().IsRefreshRunning());
}

TEST_F(ParamMonitorTest, ValuesFollowTheDriveWithinTwoRefreshes)
{
    Add("P0203");
    Add("P0900");
    Add("P0206");
    const int selected = 1;
    Monitor().Grid()->GetGrid()->SetCurSel(platform::GridItemID{selected, 0});
    m_sim.SetRegister(0x0203, 999);
    m_sim.SetRegister(0x0900, 0xFFFF);
    m_sim.SetRegister(0x0206, 7);
    ASSERT_TRUE(WaitRounds(2));
    QCoreApplication::processEvents();
    EXPECT_EQ(Current("P0203"), "999");
    EXPECT_EQ(Current("P0900"), "-1") << "signed 16-bit";
    EXPECT_EQ(Current("P0206"), "7");
    EXPECT_EQ(Monitor().Grid()->GetGrid()->GetCurSelItemID().m_nRow, selected) << "refresh keeps the selection";
    // The project's records are the monitor's to read, never to change.
    CDBDataParameter record;
    ASSERT_TRUE(m_sys->FindParamByCode("P0203", &record));
    EXPECT_EQ(record.iCurValue, 400);
}

TEST_F(ParamMonitorTest, ASilentDriveKeepsTheLastValuesGreyed)
{
    Add("P0203");
    Add("P0206");
    m_sim.SetRegister(0x0203, 321);
    ASSERT_TRUE(WaitFor([&] { return Current("P0203") == "321"; }));
    // Nothing answers until the fault is cleared: full reply windows would only slow the test.
    m_sys->m_ModbusRTU.SetReplyTimeouts(30, 60);
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::Silence;
    f.persistent = true;
    m_sim.InjectFault(f);
    ASSERT_TRUE(WaitFor([&] { return Monitor().IsStale("P0203") && Monitor().IsStale("P0206"); }));
    EXPECT_EQ(Current("P0203"), "321");
    EXPECT_EQ(Current("P0206"), "100");
    // Rows added or deleted meanwhile rebuild the table; the values still unread stay grey.
    auto greyed = [&](const char *code) {
        auto *grid = Monitor().Grid()->GetGrid();
        const auto &cols = Monitor().Grid()->m_mapFieldToCol;
        platform::GridItem *item = nullptr;
        for (int r = 0; r < Rows() && !item; ++r)
            if (grid->GetItem(platform::GridItemID{r, cols.at(kCode)})->GetLabel() == QLatin1String(code))
                item = grid->GetItem(platform::GridItemID{r, cols.at(CDlgParamMointor::kColCurrent)});
        return item && item->GetTextColor() == CDlgParamMointor::kStaleText;
    };
    EXPECT_TRUE(greyed("P0203"));
    Add("P0900");
    EXPECT_TRUE(greyed("P0203"));
    EXPECT_TRUE(greyed("P0206"));
    // Answering again: the value comes back in normal colours.
    m_sim.ClearFaults();
    m_sys->m_ModbusRTU.SetReplyTimeouts(CModbusRTU::kRegisterTimeoutMs, CModbusRTU::kBlockTimeoutMs);
    m_sim.SetRegister(0x0203, 322);
    ASSERT_TRUE(WaitFor([&] { return Current("P0203") == "322"; }));
    EXPECT_FALSE(Monitor().IsStale("P0203"));
}

TEST_F(ParamMonitorTest, DeletingRowsStopsAndRestartsTheRefresh)
{
    Add("P0203");
    Add("P0206");
    Add("P0606");
    Monitor().DeleteRow(1);
    EXPECT_EQ(Rows(), 2);
    EXPECT_TRUE(Monitor().CellText("P0206", kCode).isEmpty());
    Add("P0608");
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(Monitor().CellText("P0608", kCode), "P0608");
    Monitor().DeleteRow(0);
    Monitor().DeleteRow(0);
    Monitor().DeleteRow(0);
    EXPECT_EQ(Rows(), 0);
    EXPECT_FALSE(Monitor().IsRefreshRunning());
    Add("P0203");
    EXPECT_TRUE(Monitor().IsRefreshRunning());
}

TEST_F(ParamMonitorTest, ThePaneFillsItsAreaAndReplacesItsMonitor)
{
    QCoreApplication::processEvents();
    QWidget *client = m_bar->widget();
    EXPECT_EQ(Monitor().geometry(), client->rect());
    m_window->resize(1000, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(Monitor().geometry(), client->rect());
    m_bar->CreateMonitor();
    EXPECT_EQ(client->findChildren<CDlgParamMointor *>().size(), 1);
    // The frame's language notice is answered and ignored.
    EXPECT_EQ(platform::SendMessage(platform::WindowRef(m_bar), UM_BUTTON_RELEASED), 0);
}
