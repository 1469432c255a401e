#pragma once
// The drive's own test functions on a SimDrive, through its register hooks: the jog and
// inertia-identification run commands (0x0807, 0x080C) with their motor model and keep-alive
// watchdog, the inertia estimate (0x8937), and the two steps of the magnetic-pole
// identification (0x0809, 0x0803).
//
// The motor is computed from the times of the commands, not by a thread of its own: whatever
// asks (a read of the drive, a test) sees the state as of that moment, also after the link went
// silent or the device went away.
#include "SimDrive.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

class SimAids {
public:
    using Clock = std::chrono::steady_clock;

    // Run states of a command word.
    enum class Run { Off, Idle, Forward, Reverse };

    static constexpr std::uint16_t kRegJog = 0x0807;
    static constexpr std::uint16_t kRegInertiaRun = 0x080C;
    static constexpr std::uint16_t kRegPoleStart = 0x0809;
    static constexpr std::uint16_t kRegPoleStep2 = 0x0803;
    static constexpr std::uint16_t kRegInertiaResult = 0x8937;
    static constexpr std::uint16_t kRegRunState = 0x8901;
    static constexpr int kWatchdogMs = 1500;

    // Installs the hooks on `drive` (which must outlive this object) and seeds the registers.
    explicit SimAids(SimDrive &drive);
    ~SimAids();
    SimAids(const SimAids &) = delete;
    SimAids &operator=(const SimAids &) = delete;

    // ---- Run commands (1 on and idle, 0x11 forward, 0x21 reverse, 0x41 off; others 0x03) ----
    // The target speed of a run is the speed register's value, reached (from 0) in the
    // acceleration register's milliseconds: jog 0x0606 / 0x060A, inertia 0x0233 / 0x0234.
    struct MotorView {
        Run state = Run::Off;
        double rpm = 0.0;
        int commands = 0;  // accepted writes of the command word
        int trips = 0;     // watchdog trips
        Clock::time_point lastCommand{};
    };
    MotorView Jog();
    MotorView Inertia();
    // Speed of the jog (or inertia) motor at a moment in the past or now.
    double JogRpmAt(Clock::time_point t);
    double InertiaRpmAt(Clock::time_point t);
    // 0 turns the watchdog off.
    void SetWatchdogMs(int ms);

    // ---- Drive-ready word ----------------------------------------------------------------
    void SetRunState(std::uint16_t value);

    // ---- Inertia estimate ----------------------------------------------------------------
    // The ratio (hundredths) that 0x8937 converges to while the motor moves: each step
    // (kEstimateStepMs) in a run halves the distance from the start value (P0230 at servo-on).
    void SetInertiaRatio(int hundredths);
    // A shorter step converges sooner; 0 restores the default.
    static constexpr int kEstimateStepMs = 500;
    void SetEstimateStepMs(int ms);

    // ---- Pole identification -------------------------------------------------------------
    struct PoleOptions {
        int step1Ms = 100;          // 0x0809 reads 1 this long after a start
        int step2Ms = 100;          // 0x0803 reads 1 this long after its write
        std::uint16_t pendingFault = 0;  // what 0x0803 reads before a run
        bool stuck1 = false;        // 0x0809 never clears
        bool stuck2 = false;        // 0x0803 never clears
        std::uint16_t fail2 = 0;    // non-zero: step 2 ends at this error code instead of 0
        std::uint16_t interim2 = 0; // non-zero: after step2Ms 0x0803 reads this for interim2Ms
        int interim2Ms = 0;
    };
    void SetPole(const PoleOptions &options);
    int PoleStarts() const;
    int PoleStep2Writes() const;

private:
    struct Motor {
        std::uint16_t speedReg = 0;
        std::uint16_t accelReg = 0;
        Run state = Run::Off;
        int commands = 0;
        int trips = 0;
        Clock::time_point lastCommand{};
        // Piecewise-linear speed: from each segment's start the speed moves towards its target.
        struct Segment {
            Clock::time_point at;
            double from = 0.0;
            double target = 0.0;
            double ratePerMs = 0.0;  // 0: jumps at once
        };
        std::vector<Segment> segments;
        Clock::time_point movingSince{};
        double movingMs = 0.0;  // time spent forward or reverse (inertia estimate)
    };

    std::uint16_t WriteRun(Motor &m, std::uint16_t value, bool inertia);
    void Advance(Motor &m, Clock::time_point now);
    void SetTarget(Motor &m, Clock::time_point at, Run state, double rpm, double ratePerMs);
    static double SpeedAt(const Motor &m, Clock::time_point t);
    MotorView View(Motor &m);
    SimDrive::Access ReadInertiaResult();

    SimDrive &m_drive;
    mutable std::mutex m_lock;
    Motor m_jog;
    Motor m_inertia;
    int m_watchdogMs = kWatchdogMs;
    int m_ratio = 250;
    double m_estimateStepMs = kEstimateStepMs;
    double m_estimateStart = 0.0;
    PoleOptions m_pole;
    int m_poleStarts = 0;
    int m_step2Writes = 0;
    Clock::time_point m_step1Until{};
    bool m_step1Active = false;
    Clock::time_point m_step2Until{};
    bool m_step2Active = false;
};
