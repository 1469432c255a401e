#include "SimAids.h"

#include <algorithm>
#include <cmath>

namespace {

bool Moving(SimAids::Run s) { return s == SimAids::Run::Forward || s == SimAids::Run::Reverse; }

double Ms(SimAids::Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

SimAids::SimAids(SimDrive &drive) : m_drive(drive)
{
    m_jog.speedReg = 0x0606;
    m_jog.accelReg = 0x060A;
    m_inertia.speedReg = 0x0233;
    m_inertia.accelReg = 0x0234;
    for (std::uint16_t r : {kRegJog, kRegInertiaRun})
        m_drive.SetRegister(r, 0x41);
    if (!m_drive.HasRegister(kRegRunState))
        m_drive.SetRegister(kRegRunState, 0x1000);
    for (std::uint16_t r : {std::uint16_t(0x0606), std::uint16_t(0x060A), std::uint16_t(0x0233),
                            std::uint16_t(0x0234), std::uint16_t(0x0230)})
        if (!m_drive.HasRegister(r))
            m_drive.SetRegister(r, 0);
    m_drive.SetWriteHook(kRegJog, [this](std::uint16_t, std::uint16_t v) { return WriteRun(m_jog, v, false); });
    m_drive.SetWriteHook(kRegInertiaRun,
                         [this](std::uint16_t, std::uint16_t v) { return WriteRun(m_inertia, v, true); });
    m_drive.SetReadHook(kRegInertiaResult, [this](std::uint16_t) { return ReadInertiaResult(); });
    m_drive.SetWriteHook(kRegInertiaResult, [](std::uint16_t, std::uint16_t) {
        return SimDrive::kExRefused;
    });
    m_drive.SetWriteHook(kRegPoleStart, [this](std::uint16_t, std::uint16_t v) -> std::uint16_t {
        std::lock_guard<std::mutex> g(m_lock);
        if (v == 0) {
            m_step1Active = false;
            return 0;
        }
        if (v != 1)
            return SimDrive::kExBadValue;
        ++m_poleStarts;
        m_step1Active = true;
        m_step1Until = Clock::now() + std::chrono::milliseconds(m_pole.step1Ms);
        return 0;
    });
    m_drive.SetReadHook(kRegPoleStart, [this](std::uint16_t) {
        std::lock_guard<std::mutex> g(m_lock);
        const bool busy = m_step1Active && (m_pole.stuck1 || Clock::now() < m_step1Until);
        if (m_step1Active && !busy)
            m_step1Active = false;
        return SimDrive::Access{static_cast<std::uint16_t>(busy ? 1 : 0), 0};
    });
    m_drive.SetWriteHook(kRegPoleStep2, [this](std::uint16_t, std::uint16_t v) -> std::uint16_t {
        std::lock_guard<std::mutex> g(m_lock);
        if (v == 0) {
            m_step2Active = false;
            m_pole.pendingFault = 0;
            return 0;
        }
        if (v != 1)
            return SimDrive::kExBadValue;
        ++m_step2Writes;
        m_step2Active = true;
        m_step2Until = Clock::now() + std::chrono::milliseconds(m_pole.step2Ms);
        return 0;
    });
    m_drive.SetReadHook(kRegPoleStep2, [this](std::uint16_t) {
        std::lock_guard<std::mutex> g(m_lock);
        const auto now = Clock::now();
        if (m_step2Active && (m_pole.stuck2 || now < m_step2Until))
            return SimDrive::Access{1, 0};
        // A drive that passes through another value on its way to the end.
        if (m_step2Active && m_pole.interim2 != 0 && now < m_step2Until + std::chrono::milliseconds(m_pole.interim2Ms))
            return SimDrive::Access{m_pole.interim2, 0};
        if (m_step2Active) {
            // Step 2 has ended: its error code, or cleared with the pending fault.
            m_step2Active = false;
            m_pole.pendingFault = m_pole.fail2;
        }
        return SimDrive::Access{m_pole.pendingFault, 0};
    });
}

SimAids::~SimAids()
{
    for (std::uint16_t r : {kRegJog, kRegInertiaRun, kRegInertiaResult, kRegPoleStart, kRegPoleStep2}) {
        m_drive.SetWriteHook(r, {});
        m_drive.SetReadHook(r, {});
    }
}

std::uint16_t SimAids::WriteRun(Motor &m, std::uint16_t value, bool inertia)
{
    Run next;
    switch (value) {
    case 0x01: next = Run::Idle; break;
    case 0x11: next = Run::Forward; break;
    case 0x21: next = Run::Reverse; break;
    case 0x41: next = Run::Off; break;
    default: return SimDrive::kExBadValue;
    }
    // The drive's registers are read here, on the drive's thread, before this object's lock.
    const double top = m_drive.GetRegister(m.speedReg);
    const double accelMs = m_drive.GetRegister(m.accelReg);
    const double startRatio = m_drive.GetRegister(0x0230);
    m_drive.SetRegister(inertia ? kRegInertiaRun : kRegJog, value);
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> g(m_lock);
    Advance(m, now);
    if (inertia && m.state == Run::Off && next != Run::Off) {
        m_estimateStart = startRatio;
        m.movingMs = 0.0;
    }
    const double target = next == Run::Forward ? top : next == Run::Reverse ? -top : 0.0;
    SetTarget(m, now, next, target, accelMs > 0 ? top / accelMs : 0.0);
    ++m.commands;
    m.lastCommand = now;
    return 0;
}

void SimAids::SetTarget(Motor &m, Clock::time_point at, Run state, double rpm, double ratePerMs)
{
    if (Moving(m.state))
        m.movingMs += Ms(at - m.movingSince);
    if (Moving(state))
        m.movingSince = at;
    m.state = state;
    const double from = SpeedAt(m, at);
    // Braking uses the last rate known (a watchdog stop has no register to read).
    if (ratePerMs <= 0.0 && !m.segments.empty() && rpm == 0.0)
        ratePerMs = m.segments.back().ratePerMs;
    m.segments.push_back({at, from, rpm, ratePerMs});
}

void SimAids::Advance(Motor &m, Clock::time_point now)
{
    if (m.state == Run::Off || m_watchdogMs <= 0 || m.lastCommand == Clock::time_point{})
        return;
    const Clock::time_point trip = m.lastCommand + std::chrono::milliseconds(m_watchdogMs);
    if (now < trip)
        return;
    SetTarget(m, trip, Run::Off, 0.0, 0.0);
    ++m.trips;
}

double SimAids::SpeedAt(const Motor &m, Clock::time_point t)
{
    const Motor::Segment *seg = nullptr;
    for (const Motor::Segment &s : m.segments)
        if (s.at <= t)
            seg = &s;
    if (!seg)
        return 0.0;
    if (seg->ratePerMs <= 0.0)
        return seg->target;
    const double step = seg->ratePerMs * Ms(t - seg->at);
    return seg->target >= seg->from ? std::min(seg->target, seg->from + step)
                                    : std::max(seg->target, seg->from - step);
}

SimAids::MotorView SimAids::View(Motor &m)
{
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> g(m_lock);
    Advance(m, now);
    return {m.state, SpeedAt(m, now), m.commands, m.trips, m.lastCommand};
}

SimAids::MotorView SimAids::Jog() { return View(m_jog); }
SimAids::MotorView SimAids::Inertia() { return View(m_inertia); }

double SimAids::JogRpmAt(Clock::time_point t)
{
    std::lock_guard<std::mutex> g(m_lock);
    Advance(m_jog, Clock::now());
    return SpeedAt(m_jog, t);
}

double SimAids::InertiaRpmAt(Clock::time_point t)
{
    std::lock_guard<std::mutex> g(m_lock);
    Advance(m_inertia, Clock::now());
    return SpeedAt(m_inertia, t);
}

void SimAids::SetWatchdogMs(int ms)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_watchdogMs = ms;
}

void SimAids::SetRunState(std::uint16_t value) { m_drive.SetRegister(kRegRunState, value); }

void SimAids::SetInertiaRatio(int hundredths)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_ratio = hundredths;
}

void SimAids::SetEstimateStepMs(int ms)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_estimateStepMs = ms > 0 ? ms : kEstimateStepMs;
}

SimDrive::Access SimAids::ReadInertiaResult()
{
    const Clock::time_point now = Clock::now();
    std::lock_guard<std::mutex> g(m_lock);
    Advance(m_inertia, now);
    double moving = m_inertia.movingMs;
    if (Moving(m_inertia.state))
        moving += Ms(now - m_inertia.movingSince);
    const int k = static_cast<int>(moving / m_estimateStepMs);
    const double e = m_ratio + (m_estimateStart - m_ratio) * std::pow(0.5, k);
    return {static_cast<std::uint16_t>(std::lround(std::clamp(e, 0.0, 65535.0))), 0};
}

void SimAids::SetPole(const PoleOptions &options)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_pole = options;
}

int SimAids::PoleStarts() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_poleStarts;
}

int SimAids::PoleStep2Writes() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_step2Writes;
}
