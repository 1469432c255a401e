// Starting and stopping captures on the simulated drive through the sampling panel's core.
#include "ScopeLinkFixture.h"

#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/WaveFile.h"

#include <QDir>
#include <QTemporaryDir>

class ScopeControlLink : public ScopeLinkTest {
protected:
    void SetUp() override
    {
        ScopeLinkTest::SetUp();
        settings->m_arrChannelInfo.clear();
        settings->m_arrChBit.clear();
        settings->m_arrCaptureParams.clear();
        auto add = [&](int code, const char *name) {
            CChannelInfo c;
            c.nSourceCode = code;
            c.strName = QString::fromLatin1(name);
            c.fScale = 1;
            settings->m_arrChannelInfo.push_back(c);
        };
        add(0x12, "A");
        add(0x34, "B");
        add(0x8C, "Count32");
        add(0xB6, "Count16");
        add(1, "DI");
        settings->m_strContinuousPath = dir.path();
        control = std::make_unique<CScopeControl>(channels, *settings);
    }
    void TearDown() override
    {
        control.reset();
        ScopeLinkTest::TearDown();
    }

    // Runs a start to its end; the result of the call or of its callback.
    int Start(ScopeMode mode, unsigned cycles, std::array<const char *, 4> sources)
    {
        ScopeStartChoice c;
        c.mode = mode;
        c.nCycleCount = cycles;
        for (int i = 0; i < 4; ++i)
            c.strSource[i] = QString::fromLatin1(sources[static_cast<std::size_t>(i)]);
        c.hNotify = &receiver;
        int result = 99;
        const int r = control->StartSampling(c, [&](int res, unsigned) { result = res; });
        if (r != CScopeControl::kPending)
            return r;
        EXPECT_TRUE(PumpUntil([&] { return result != 99; }));
        return result;
    }
    void Stop(ScopeMode mode)
    {
        bool done = false;
        control->StopSampling(mode, [&] { done = true; });
        EXPECT_TRUE(PumpUntil([&] { return done; }));
    }
    // Registers written with function 0x26 and their values, in order; a retry of the same
    // write (a reply that came late on a loaded machine) counts once.
    std::vector<std::pair<int, int>> Writes() const
    {
        std::vector<std::pair<int, int>> w;
        for (const auto &r : sim.Requests()) {
            if (r.bytes.size() != 8 || r.bytes[1] != 0x26)
                continue;
            const std::pair<int, int> one((r.bytes[2] << 8) | r.bytes[3], (r.bytes[4] << 8) | r.bytes[5]);
            if (w.empty() || w.back() != one)
                w.push_back(one);
        }
        return w;
    }

    QTemporaryDir dir;
    CScopeChannels channels;
    std::unique_ptr<CScopeControl> control;
};

TEST_F(ScopeControlLink, SingleShotStartWritesElevenRegistersInOrder)
{
    settings->m_nSampleWords = 1024;
    sim.SetRecorderWords(1024);
    for (int i = 0; i < 6; ++i)
        settings->m_wTrigger[i] = static_cast<WORD>(i == 5 ? 3 : 0);
    sim.ClearRequests();
    ASSERT_EQ(Start(ScopeMode::SingleShot, 2, {"A", "B", "NULL", "NULL"}), 0);
    const auto w = Writes();
    ASSERT_EQ(w.size(), 11u);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(w[static_cast<std::size_t>(i)].first, 0x8959 + i);
    EXPECT_EQ(w[2].second, 0x1234);
    EXPECT_EQ(w[3].second, 0);
    EXPECT_EQ(w[9].second, 3);
    EXPECT_EQ(w[10].second, 1);
    EXPECT_EQ(settings->m_bSingleRunning, 1);
    EXPECT_EQ(g_bScopeSingleBusy, 1);
    ASSERT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_CAPTURE_DONE) == 1; }));
    Stop(ScopeMode::SingleShot);
    EXPECT_EQ(settings->m_bSingleRunning, 0);
    EXPECT_EQ(Writes().back(), std::make_pair(0x8963, 2));
}

TEST_F(ScopeControlLink, RefusalsBeforeTheDrive)
{
    sim.ClearRequests();
    EXPECT_EQ(Start(ScopeMode::SingleShot, 0, {"A", "NULL", "NULL", "NULL"}), -2);
    EXPECT_EQ(Start(ScopeMode::SingleShot, 3, {"NULL", "NULL", "NULL", "NULL"}), -3);
    EXPECT_EQ(Start(ScopeMode::None, 3, {"A", "NULL", "NULL", "NULL"}), 0);
    EXPECT_TRUE(Writes().empty());
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].text, "The sampling period must not be 0!");
    sys.m_bConnected = FALSE;
    EXPECT_EQ(Start(ScopeMode::SingleShot, 3, {"A", "NULL", "NULL", "NULL"}), -1);
    EXPECT_EQ(ui->Calls().size(), 1u);
    // Roll without a link: the parameter refresh's box, then the roll's own.
    EXPECT_EQ(Start(ScopeMode::Roll, 30, {"A", "NULL", "NULL", "NULL"}), -2);
    ASSERT_EQ(ui->Calls().size(), 3u);
    EXPECT_EQ(ui->Calls()[1].caption, "Parameter Refresh");
    EXPECT_EQ(ui->Calls()[2].caption, "Oscilloscope");
}

TEST_F(ScopeControlLink, RollStartWritesFiveRegistersAndStopRecords)
{
    settings->m_nLayout = 3;
    sim.ClearRequests();
    // Below the minimum: refused with the minimum.
    ScopeStartChoice c;
    c.mode = ScopeMode::Roll;
    c.nCycleCount = 5;
    c.strSource[0] = "Count16";
    c.strSource[1] = c.strSource[2] = c.strSource[3] = "NULL";
    c.hNotify = &receiver;
    int result = 99;
    unsigned minimum = 0;
    ASSERT_EQ(control->StartSampling(c, [&](int r, unsigned m) { result = r; minimum = m; }),
              CScopeControl::kPending);
    ASSERT_TRUE(PumpUntil([&] { return result != 99; }));
    EXPECT_EQ(result, -2);
    EXPECT_EQ(minimum, 10u);  // 16000 Hz, 64 samples a frame, 115200 baud
    EXPECT_TRUE(Writes().empty());

    ASSERT_EQ(Start(ScopeMode::Roll, 10, {"Count16", "NULL", "NULL", "NULL"}), 0);
    const auto w = Writes();
    ASSERT_EQ(w.size(), 5u);
    EXPECT_EQ(w[0], std::make_pair(0x8959, 8));
    EXPECT_EQ(w[1], std::make_pair(0x895A, 10));
    EXPECT_EQ(w[2], std::make_pair(0x895B, 0xB600));
    EXPECT_EQ(w[3], std::make_pair(0x895C, 0));
    EXPECT_EQ(w[4], std::make_pair(0x8963, 1));
    EXPECT_EQ(g_nScopeRunMode, 2);
    EXPECT_TRUE(sys.g_bDriveSampling);

    const QString names[4] = {"Count16", "NULL", "NULL", "NULL"};
    const COLORREF colors[4] = {1, 2, 3, 4};
    control->SetRollTraces(names, colors);
    receiver.onMessage = [&](const ScopeReceiver::Got &g) {
        if (g.msg == UM_SCOPE_ROLL_FRAME)
            control->OnRollFrame(static_cast<int>(g.w), static_cast<int>(g.l), g.frame.get());
    };
    ASSERT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_ROLL_FRAME) >= 5; }));
    Stop(ScopeMode::Roll);
    EXPECT_FALSE(sim.RecorderRolling());
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_FALSE(sys.g_bDriveSampling);
    EXPECT_EQ(g_nScopeRunMode, 0);
    ASSERT_EQ(control->RecordingFiles().size(), 1);
    CScopeChannels back;
    ASSERT_EQ(OpenWaveFile(control->RecordingFiles()[0], back, *settings), 1);
    EXPECT_EQ(back.m_ch[0].m_nCount, channels.m_ch[0].m_nCount);
    for (int i = 0; i < back.m_ch[0].m_nCount; ++i)
        ASSERT_EQ(back.m_ch[0].m_arrData[static_cast<std::size_t>(i)], i);
}

TEST_F(ScopeControlLink, RollStopFromAFrameHandlerDoesNotHang)
{
    settings->m_nLayout = 3;
    ASSERT_EQ(Start(ScopeMode::Roll, 10, {"Count16", "NULL", "NULL", "NULL"}), 0);
    const QString names[4] = {"Count16", "NULL", "NULL", "NULL"};
    const COLORREF colors[4] = {};
    control->SetRollTraces(names, colors);
    bool done = false;
    receiver.onMessage = [&](const ScopeReceiver::Got &g) {
        if (g.msg != UM_SCOPE_ROLL_FRAME)
            return;
        control->OnRollFrame(static_cast<int>(g.w), static_cast<int>(g.l), g.frame.get());
        if (receiver.Count(UM_SCOPE_ROLL_FRAME) == 2) {
            // The panel's handler decides to stop while the thread waits for it.
            control->StopSampling(ScopeMode::Roll, [&] { done = true; });
        }
    };
    ASSERT_TRUE(PumpUntil([&] { return done; }));
    EXPECT_FALSE(ScopeRollThreadRunning());
    EXPECT_FALSE(sim.RecorderRolling());
    EXPECT_EQ(control->RecordingFiles().size(), 1);
}

TEST_F(ScopeControlLink, StopWithoutLinkStillStops)
{
    settings->m_bRollRunning = 1;
    settings->m_bSingleRunning = 1;
    g_bScopeSingleBusy = 1;
    g_nScopeRunMode = 2;
    sys.g_bDriveSampling = TRUE;
    sys.m_bConnected = FALSE;
    channels.m_ch[0].AppendFromArray({1.0, 2.0});
    sim.ClearRequests();
    Stop(ScopeMode::SingleShot);
    Stop(ScopeMode::Roll);
    EXPECT_EQ(settings->m_bRollRunning, 0);
    EXPECT_EQ(settings->m_bSingleRunning, 0);
    EXPECT_EQ(g_bScopeSingleBusy, 0);
    EXPECT_EQ(g_nScopeRunMode, 0);
    EXPECT_FALSE(sys.g_bDriveSampling);
    EXPECT_EQ(control->RecordingFiles().size(), 1);
    EXPECT_TRUE(Writes().empty());
}
