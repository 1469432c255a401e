#pragma once
// The run command word of a tuning aid that moves the motor while a control is held (the jog
// page's 0x0807, the inertia page's 0x080C): the run state, the commands for it, and the
// safety rules every such page keeps:
// - the end of a hold sends the stop at once, not at the next keep-alive tick, whenever the
//   port is open, whatever the page believes of the link: a page that dropped to off during
//   the hold may still have a motor turning;
// - the stop waits for a busy link (and goes before anyone else waiting for it); a busy link
//   is not a lost one: only a keep-alive whose transactions all fail drops the state to off,
//   and nothing starts again by itself;
// - leaving the page switches off (whenever the port is open) and always ends in state off.
// Widget-free: the page owns the timers and the boxes and asks this object what to send.
#include "platform/Messages.h"
#include "platform/WinTypes.h"

class CHoldToRun
{
public:
    enum State { kOff = 0, kIdle = 1, kForward = 2, kReverse = 3 };
    static constexpr WORD kCmdIdle = 0x0001;
    static constexpr WORD kCmdForward = 0x0011;
    static constexpr WORD kCmdReverse = 0x0021;
    static constexpr WORD kCmdOff = 0x0041;
    static constexpr int kTries = 10;
    static constexpr UINT kKeepAliveTimer = 17;
    static constexpr UINT kKeepAliveMs = 500;

    explicit CHoldToRun(WORD reg) : m_reg(reg) {}

    int State() const { return m_nState; }
    bool IsOn() const { return m_nState != kOff; }
    // The command a keep-alive tick sends in a state (0: none).
    static WORD CommandOf(int state);

    // Writes the idle command (tries); on success the state becomes idle.
    bool SwitchOn(int tries);
    // Writes the off command with `tries` whenever the port is open. False only when the
    // drive could not be told (LastError() tells why); the state is off afterwards unless
    // `keepOnFailure` and the write failed.
    bool SwitchOff(int tries, bool keepOnFailure = false);
    // A hold begins: forward or reverse when switched on; false (nothing changes) when off.
    bool Press(bool forward);
    // A hold ends (a release, focus or window lost, a box, leaving): switched on, back to idle
    // and the idle command at once; dropped to off while a hold was under way, the off
    // command. Sent whenever the port is open, `kTries` tries. False when there was nothing
    // to stop or the drive could not be told.
    bool Release();
    bool IsHeld() const { return m_bHeld; }

    enum class Tick { Nothing, Sent, Busy, LinkLost };
    // One keep-alive tick: the state's command, `kTries` tries. Busy: the link stayed taken,
    // nothing changes (the next tick tries again). Every try failed, or the port closed,
    // while switched on: the state drops to off and the answer is LinkLost.
    Tick KeepAlive();
    // Drops to off without a word to the drive (the port is closed).
    void Drop()
    {
        m_nState = kOff;
        m_bHeld = false;
    }
    // The port is open: a stop can be sent.
    static bool PortOpen();

    DWORD LastError() const { return m_dwLastError; }
    WORD Register() const { return m_reg; }

private:
    bool Write(WORD value, int tries, bool stop);

    WORD m_reg;
    int m_nState = kOff;
    bool m_bHeld = false;  // a hold began and has not ended
    DWORD m_dwLastError = 0;
};
