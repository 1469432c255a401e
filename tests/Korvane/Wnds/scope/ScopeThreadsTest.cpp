// The acquisition threads against the simulated drive's recorder.
#include "ScopeLinkFixture.h"

#include "Wnds/scope/ScopeLink.h"

#include <thread>

namespace {

CChannelInfo Source(int code, bool isSigned = false)
{
    CChannelInfo c;
    c.nSourceCode = code;
    c.bSigned = isSigned ? TRUE : FALSE;
    c.fScale = 1.0f;
    return c;
}

}

class ScopeSingleShot : public ScopeLinkTest {
protected:
    int LinkBaud() const override { return kFastBaud; }

    // The single-shot start's register sequence, then the thread.
    void Start(int layout, std::array<int, 4> codes, std::array<WORD, 6> trigger = {},
               int period = 1)
    {
        auto &p = CScopeThreadParam::SingleShot();
        p = CScopeThreadParam();
        for (int i = 0; i < 4; ++i)
            p.arrChannel[i] = Source(codes[static_cast<std::size_t>(i)], true);
        p.nLayout = layout;
        p.hNotify = &receiver;
        const WORD words[11] = {static_cast<WORD>(layout), static_cast<WORD>(period),
                                static_cast<WORD>(codes[0] << 8 | codes[1]),
                                static_cast<WORD>(codes[2] << 8 | codes[3]),
                                trigger[0], trigger[1], trigger[2], trigger[3], trigger[4],
                                trigger[5], 1};
        for (int i = 0; i < 11; ++i)
            ASSERT_TRUE(Write(static_cast<WORD>(0x8959 + i), words[i]));
        settings->m_bSingleRunning = 1;
        StartScopeSingleShotThread(&p);
    }
    bool WaitDone() { return PumpUntil([&] { return !ScopeSingleShotThreadRunning(); }, 20000); }

    // Every captured sample of a counting source is its sample number since the capture's start.
    void ExpectCounting(const std::vector<double> &v, std::size_t n)
    {
        ASSERT_EQ(v.size(), n);
        const long long start = sim.RecorderCaptureStart();
        for (std::size_t j = 0; j < n; ++j)
            ASSERT_EQ(v[j], static_cast<double>(static_cast<std::int16_t>(start + static_cast<long long>(j)))) << j;
    }
};

TEST_F(ScopeSingleShot, ReadsEveryBlockWithProgressThenDone)
{
    sim.SetRecorderRing(10, 4);
    Start(0, {0x8C, 0xB6, 0x01, 0xB7});
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(receiver.Count(UM_SCOPE_PROGRESS), 64u);
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(receiver.got[i].w, i + 1);
    ASSERT_EQ(receiver.got.size(), 65u);
    const auto &done = receiver.got.back();
    ASSERT_EQ(done.msg, UM_SCOPE_CAPTURE_DONE);
    ExpectCounting(done.ch[0], 1024);
    ExpectCounting(done.ch[1], 1024);
    EXPECT_TRUE(done.ch[2].empty());
    EXPECT_EQ(done.di.size(), 1024u);
    ExpectCounting(done.ch[3], 1024);
    EXPECT_TRUE(ui->Calls().empty());
}

TEST_F(ScopeSingleShot, RingStartBeforeTheEnd)
{
    sim.SetRecorderWords(1024);
    settings->m_nSampleWords = 1024;
    sim.SetRecorderRing(4, 200);  // P < T: k = n - T + P
    Start(3, {0x8C, 0, 0, 0});
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(receiver.Count(UM_SCOPE_PROGRESS), 16u);
    ASSERT_EQ(receiver.got.back().msg, UM_SCOPE_CAPTURE_DONE);
    ExpectCounting(receiver.got.back().ch[0], 1024);
}

TEST_F(ScopeSingleShot, RingPositionOutsideTheCaptureIsReported)
{
    sim.SetRecorderWords(256);
    settings->m_nSampleWords = 256;
    sim.SetRecorderRing(300, 4);
    Start(3, {0x8C, 0, 0, 0});
    ASSERT_TRUE(WaitDone());
    ASSERT_EQ(receiver.got.back().msg, UM_SCOPE_CAPTURE_DONE);
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_TRUE(ui->Calls()[0].text.contains(QStringLiteral("without rotation")));
}

TEST_F(ScopeSingleShot, TriggerLandsAtThePreTriggerIndex)
{
    sim.SetRecorderWords(1024);
    settings->m_nSampleWords = 1024;
    // Source A = CH1 (a signed wave), rising through 500, 100 points before the trigger.
    Start(3, {0xA0, 0, 0, 0}, {0x0100, 500, 0, 0, 0, 100}, 3);
    ASSERT_TRUE(WaitDone());
    const auto &v = receiver.got.back().ch[0];
    ASSERT_EQ(v.size(), 1024u);
    EXPECT_GE(v[100], 500);
    EXPECT_LT(v[99], 500);
    EXPECT_GT(sim.RecorderCaptureStart(), 0);
}

TEST_F(ScopeSingleShot, StopAfterBlock10EndsWithoutDone)
{
    receiver.onMessage = [&](const ScopeReceiver::Got &g) {
        if (g.msg == UM_SCOPE_PROGRESS && g.w == 10)
            settings->m_bSingleRunning = 0;
    };
    Start(0, {0x8C, 0, 0, 0});
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(receiver.Count(UM_SCOPE_PROGRESS), 10u);
    EXPECT_EQ(receiver.Count(UM_SCOPE_CAPTURE_DONE), 0u);
    EXPECT_TRUE(ui->Calls().empty());
}

class ScopeBlockFault : public ScopeSingleShot,
                        public ::testing::WithParamInterface<std::tuple<SimDrive::FaultKind, bool, bool>> {
};

TEST_P(ScopeBlockFault, AtBlock10)
{
    const auto [kind, persistent, completes] = GetParam();
    SimDrive::Fault f;
    f.kind = kind;
    f.persistent = persistent;
    sim.SetBlockFault(10, f);
    Start(3, {0x8C, 0, 0, 0});
    ASSERT_TRUE(WaitDone());
    EXPECT_EQ(receiver.Count(UM_SCOPE_CAPTURE_DONE), completes ? 1u : 0u);
    if (completes) {
        EXPECT_TRUE(ui->Calls().empty());
        return;
    }
    EXPECT_EQ(receiver.Count(UM_SCOPE_PROGRESS), 10u);
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_TRUE(ui->Calls()[0].text.startsWith(QStringLiteral("Failed to read the capture memory")))
        << ui->Calls()[0].text.toStdString();
    // The panel learns that the thread ended by itself.
    EXPECT_TRUE(PumpUntil([&] { return receiver.Count(UM_SCOPE_THREAD_ENDED) == 1; }));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ScopeBlockFault,
    ::testing::Values(std::make_tuple(SimDrive::FaultKind::BadChecksum, false, true),  // retried
                      std::make_tuple(SimDrive::FaultKind::ErrorReply, true, false),  // refused every time
                      std::make_tuple(SimDrive::FaultKind::DeviceGone, false, false)));

TEST_F(ScopeSingleShot, StuckRecorderIsPolledWithPausesUntilStopped)
{
    sim.SetRecorderStatusStuck(true);
    Start(3, {0x8C, 0, 0, 0});
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(PumpUntil([&] { return RequestsTo(0x23, 0x8964) >= 3; }, 20000)) << "polled again and again";
    // Not faster than one read and a 10 ms pause each.
    PumpUntil([] { return false; }, 300);
    const std::size_t polls = RequestsTo(0x23, 0x8964);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LE(polls, std::size_t(ms / 10 + 1));
    settings->m_bSingleRunning = 0;
    ASSERT_TRUE(WaitDone());
    EXPECT_TRUE(receiver.got.empty());
}
