#pragma once
// The tuning pages against the simulated drive with its test functions (SimAids), a recording
// safety-prompt runner, and helpers that read the drive's request log.
#include "support/SimLinkFixture.h"

#include "SimAids.h"
#include "Wnds/auxFunction/AidSafetyPrompt.h"
#include "Wnds/auxFunction/HoldToRun.h"

#include <QTest>

#include <algorithm>

class AidFixture : public SimLinkFixture
{
protected:
    // The pages' keep-alive period and the simulated drive's watchdog, both shortened by the same
    // factor: three keep-alive periods to a watchdog, as at full length, so what the tests show of
    // one against the other still holds, in a fifth of the time. A tick that a loaded machine
    // delays still has two periods, 200 ms, before the watchdog trips (at 50 or 75 ms, four CPU
    // hogs beside the suite brought some within a few milliseconds of tripping).
    static constexpr int kKeepAliveMs = int(CHoldToRun::kKeepAliveMs) / 5;
    static constexpr int kWatchdogMs = SimAids::kWatchdogMs / 5;
    static_assert(kWatchdogMs == 3 * kKeepAliveMs);
    static_assert(SimAids::kWatchdogMs == 3 * int(CHoldToRun::kKeepAliveMs));

    void SetUp() override
    {
        SimLinkFixture::SetUp();
        CHoldToRun::SetKeepAliveMs(kKeepAliveMs);
        aids = std::make_unique<SimAids>(sim);
        aids->SetWatchdogMs(kWatchdogMs);
        // The inertia estimate settles in about ten steps; none of the tests times them.
        aids->SetEstimateStepMs(25);
        m_oldRunner = SetAidSafetyPromptRunner(
            [this](QWidget *, const QString &path, BOOL *flag) { prompts.push_back({path, flag}); });
        sim.ClearRequests();
    }
    void TearDown() override
    {
        SetAidSafetyPromptRunner(m_oldRunner);
        aids.reset();
        CHoldToRun::SetKeepAliveMs(0);
        SimLinkFixture::TearDown();
    }

    // Writes of one register, oldest first, with their arrival times.
    struct Stamped
    {
        int value;
        SimAids::Clock::time_point at;
    };
    std::vector<Stamped> WritesTo(int reg) const
    {
        std::vector<Stamped> w;
        for (const SimDrive::Request &r : sim.Requests()) {
            const auto &b = r.bytes;
            if (b.size() == 8 && b[1] == 0x26 && ((b[2] << 8) | b[3]) == reg)
                w.push_back({(b[4] << 8) | b[5], r.at});
        }
        return w;
    }
    // Waits until `n` writes of `reg` have reached the drive at or after `t`: past that many
    // keep-alive ticks, whatever was on its way before them is in the log too.
    bool AwaitWritesSince(int reg, SimAids::Clock::time_point t, std::size_t n, int timeoutMs = 10000) const
    {
        return PumpUntil([&] {
            const auto w = WritesTo(reg);
            return std::size_t(std::count_if(w.begin(), w.end(), [&](const Stamped &s) { return s.at >= t; })) >= n;
        }, timeoutMs);
    }
    std::vector<int> ValuesTo(int reg) const
    {
        std::vector<int> v;
        for (const Stamped &s : WritesTo(reg))
            v.push_back(s.value);
        return v;
    }
    // For a drive that went silent, before it answers again: once a read sent now has reached it,
    // so has every request the program sent before it. Left in the line, one would be answered
    // (and a run command obeyed) as soon as the drive speaks again, which on a loaded machine
    // looks like a page that resumed by itself.
    bool DrainSilentLine()
    {
        const auto t = SimAids::Clock::now();
        int value = 0;
        sys.ReadReg(SimAids::kRegRunState, &value);
        return PumpUntil([&] {
            for (const SimDrive::Request &r : sim.Requests())
                if (r.at >= t && r.bytes.size() >= 4 && r.bytes[1] == 0x23 &&
                    ((r.bytes[2] << 8) | r.bytes[3]) == SimAids::kRegRunState)
                    return true;
            return false;
        });
    }
    // Lets a page's drive work (done on its worker) run out and its results arrive.
    template <class Page>
    static bool Settle(Page *page, int timeoutMs = 10000)
    {
        const bool done = PumpUntil([&] { return page->IsDriveWorkDone(); }, timeoutMs);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return done;
    }
    // Lets the GUI run for a while (the page's timers tick); for checks that something does not
    // happen, never for how long something takes.
    static void Idle(int ms) { QTest::qWait(ms); }
    std::vector<QString> BoxTexts() const
    {
        std::vector<QString> t;
        for (const auto &c : ui->Calls())
            t.push_back(c.text);
        return t;
    }
    bool HasBox(const QString &text) const
    {
        for (const auto &c : ui->Calls())
            if (c.text == text)
                return true;
        return false;
    }

    std::unique_ptr<SimAids> aids;
    std::vector<std::pair<QString, BOOL *>> prompts;

private:
    AidSafetyPromptRunner m_oldRunner;
};
