#pragma once
// The drive's register link: builds request frames, sends them through the serial port,
// waits for the reply, checks and decodes it. One transaction per call; no retries (callers
// decide how often to try). Every caller holds the link lock for the whole call; pages go
// through CSysParam's transaction methods, which take it.
//
// A drive may answer after the window it was given, and nothing in a read reply names the
// register it answers. So the codec keeps the requests it sent whose answer may still come,
// oldest first, and books every reply that comes to the oldest one it fits (the drive answers
// in turn). A call takes a reply only when it answers that call's request or an identical one
// sent right before it (a retry, with nothing else sent in between); before a different request
// goes out the line is let settle, until each earlier request has had its answer or its window
// and a late allowance have passed in silence.

#include "platform/WinTypes.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <vector>

class CSeriesPort;

// Link constants. They are variables: the connection check puts them back to their
// defaults (ResetLinkConstants) when it falls back to the default station.
extern BYTE g_byDefaultStation;  // 0xFA
extern BYTE g_byFuncRead;        // 0x23: read one or two registers
extern BYTE g_byFuncWrite;       // 0x26: write one register
extern BYTE g_byFuncWrite32;     // 0x20: write two registers (a 32-bit value)
extern BYTE g_byFuncBlock;       // 0x2B: block read (sub-code 0xAD)
void ResetLinkConstants();

class CModbusRTU {
public:
    // Link failures in m_dwLastError; any other non-zero value is the drive's own code.
    static constexpr DWORD kErrBlockShort = 0x1000;   // block read: fewer than 10 bytes came
    static constexpr DWORD kErrShortWrite = 0x1001;   // the port took less than the request
    static constexpr DWORD kErrBadReply = 0x1002;     // register call: no, incomplete,
                                                      // corrupt or foreign reply
    static constexpr DWORD kErrBlockSum = 0x1003;     // block reply: byte sum wrong
    static constexpr DWORD kErrBlockHeader = 0x1004;  // block reply: header not AA 0F 55 F0
    static constexpr DWORD kErrBlockLength = 0x1005;  // block reply of another length

    static constexpr BYTE kBlockSubCode = 0xAD;
    static constexpr BYTE kBlockErrorMark = 0xFB;
    static constexpr DWORD kBlockSize = 128;
    static constexpr DWORD kBlockReplyLength = 137;
    static constexpr DWORD kBlockErrorLength = 10;
    // Default reply time-outs; each codec holds its own copy (SetReplyTimeouts), so that
    // page-logic tests can shorten them while the codec's own tests keep these.
    static constexpr DWORD kRegisterTimeoutMs = 100;
    static constexpr DWORD kBlockTimeoutMs = 200;
    // How late past its reply window a reply may still come: a request counts as on the line
    // until its window and then this much more (and its reply's time on the line) have passed
    // in silence, counted from its sending or from whatever came last.
    static constexpr DWORD kLateAllowanceMs = 400;

    CModbusRTU() = default;
    virtual ~CModbusRTU() = default;

    // All five: 1 on success, 0 on failure with m_dwLastError set. Outputs are written only
    // on success.
    // *pValue = the 16-bit register, zero-extended.
    BOOL ReadRegister(WORD wAddress, CSeriesPort *pPort, BYTE byStation, int *pValue);
    // *pValue = the 32-bit value of wAddress and wAddress + 1; bLowWordFirst: the first
    // register holds the low word.
    BOOL ReadRegister32(WORD wAddress, CSeriesPort *pPort, BYTE byStation, int *pValue,
                        BOOL bLowWordFirst);
    BOOL WriteRegister(WORD wValue, CSeriesPort *pPort, BYTE byStation, WORD wAddress);
    BOOL WriteRegister32(DWORD dwValue, CSeriesPort *pPort, BYTE byStation, WORD wAddress,
                         BOOL bLowWordFirst);
    // byData receives the 128 data bytes of block wIndex.
    BOOL ReadBlock(WORD wIndex, CSeriesPort *pPort, BYTE byStation, BYTE byData[128]);

    // A frame built by the caller: sends it after the same settling as the five calls, lets
    // the frame time pass when bSleepFrameTime, and waits at most dwTimeoutMs for its reply.
    // A register request (read of one or two registers, write of one or two) gets its reply
    // checked as the five calls check it, error replies included; any other frame takes the
    // first dwExpected bytes as its reply. Returns the reply's length (at most dwCapacity of
    // it in pReply), 0 when none came.
    DWORD RawTransaction(CSeriesPort *pPort, const BYTE *pRequest, DWORD dwRequestLength,
                         BYTE *pReply, DWORD dwCapacity, DWORD dwExpected, DWORD dwTimeoutMs,
                         bool bSleepFrameTime = true);

    // Waits until dwCount bytes are queued at the port or dwTimeoutMs has passed; returns at
    // once when the port cannot tell (closed or gone). The following Read takes what came.
    static void WaitForReply(CSeriesPort *pPort, DWORD dwCount, DWORD dwTimeoutMs);

    // CRC-16/MODBUS (reflected 0xA001, start 0xFFFF); frames carry it low byte first, and
    // the CRC over a whole frame including its CRC is 0.
    static WORD CRC16(const BYTE *pData, std::size_t nLength);
    // 16-bit sum of the bytes, as block replies carry it.
    static WORD ByteSum(const BYTE *pData, std::size_t nLength);

    // The verdict the read worker stops on: two exchanges in a row brought no byte at all.
    bool IsDriveAbsent() const { return m_nSilentExchanges >= 2; }
    // Requests sent whose answer may still come (for tests and benchmarks).
    std::size_t RequestsOnLine() const { return m_onLine.size(); }

    void SetReplyTimeouts(DWORD dwRegisterMs, DWORD dwBlockMs)
    {
        m_dwRegisterTimeoutMs = dwRegisterMs;
        m_dwBlockTimeoutMs = dwBlockMs;
    }
    DWORD RegisterTimeoutMs() const { return m_dwRegisterTimeoutMs; }
    DWORD BlockTimeoutMs() const { return m_dwBlockTimeoutMs; }
    // How long an unanswered request may still be answered (kLateAllowanceMs); 0 puts the
    // default back.
    void SetLateAllowance(DWORD dwMs) { m_dwLateAllowanceMs = dwMs ? dwMs : kLateAllowanceMs; }
    DWORD LateAllowanceMs() const { return m_dwLateAllowanceMs; }

    // Whether a call may wait for the line to settle before its request goes out (the default).
    // A caller that must not wait (the GUI thread) clears it for its call: its request then
    // goes out at once, and its reply is still only taken when it can be no other's.
    void SetMaySettle(bool bMay) { m_bMaySettle = bMay; }

    // The pause after a request before the reply is looked for: the request's time on the
    // line plus a margin by baud rate (CSeriesPort::GetFrameTime). A margin of 0 or more
    // replaces the baud rate's; -1 puts it back. Page-logic tests set 0: their simulated
    // drive paces its replies itself, and the margin would only stretch every exchange.
    void SetFrameMargin(int nMs) { m_nFrameMarginMs = nMs; }
    DWORD FrameTime(DWORD dwBytes, int nBaud) const;

    DWORD m_dwLastError = 0;

private:
    enum class Kind { Read16, Read32, Write16, Write32, Block, Other };
    using Clock = std::chrono::steady_clock;
    static constexpr DWORD kLongestRequest = 32;

    // A request on the line.
    struct Request {
        Kind kind = Kind::Other;
        BYTE bytes[kLongestRequest] = {};
        DWORD length = 0;
        DWORD otherReplyLength = 0;  // Kind::Other: the length its caller expects
        Clock::time_point sentAt{};
        DWORD windowMs = 0;  // the reply window it was given, frame time included
        // Requests sent one after another with the same bytes share a run: retries of one read.
        // A reply to an earlier run is older than the caller's question, whatever its bytes.
        unsigned run = 0;
    };
    // How the bytes at the front of the input fit a reply to a request.
    enum class Fit { No, More, Whole };

    static Request MakeRequest(Kind kind, const BYTE *pBytes, DWORD dwLength, DWORD dwOtherReply = 0);
    static Kind KindOfFrame(const BYTE *pRequest, DWORD dwLength);
    // The same request in the same run: either's reply answers both.
    static bool Twins(const Request &a, const Request &b);
    static bool SameBytes(const Request &a, const Request &b);
    // Whether the input from its front is a whole reply to r (*pLength bytes), may become one,
    // or is none. bFinal: nothing more will come. *pMiss, when it is none but starts like one:
    // the error that names why.
    Fit FitReply(const Request &r, bool bFinal, DWORD *pLength, DWORD *pMiss) const;

    // Sends r and waits for its reply; 0 when it came (in pReply, *pLength bytes), else the
    // error code of the call.
    DWORD Exchange(CSeriesPort *pPort, Request r, DWORD dwTimeoutMs, bool bSleepFrameTime, BYTE *pReply,
                   DWORD *pLength);
    BOOL RegisterTransaction(Kind kind, const BYTE *pRequest, DWORD dwRequestLength, CSeriesPort *pPort,
                             BYTE *pReply);
    // Waits, before r goes out, until no request but r's twins is on the line.
    void Settle(CSeriesPort *pPort, const Request &r);
    // Whether r's reply can only be taken for one of its twins whatever else is on the line: a
    // write's acknowledgement names its register, so only a write to the same register waiting
    // for its own can be mistaken for it.
    bool AnswerIsUnmistakable(const Request &r) const;
    // Reads what the line holds and books the frames in it. With pOurs: true when a reply to
    // it (or to a twin sent before it) came, copied to pReply. A frame begun counts as ended
    // when the line has been quiet a moment; with bInWindow, only once the caller's reply
    // window is over (a reply may come in pieces).
    enum class Ending { AfterQuiet, InWindow, Now };
    bool Take(CSeriesPort *pPort, const Request *pOurs, BYTE *pReply, DWORD *pLength,
              Ending ending = Ending::AfterQuiet);
    // Forgets the requests whose answer can no longer come.
    void Expire(CSeriesPort *pPort);
    Clock::time_point ExpiresAt(const Request &r, int nBaud) const;
    // When Take must look again: at the next expiry, or when a frame begun should be whole.
    Clock::time_point NextLook(CSeriesPort *pPort, Clock::time_point until) const;
    bool OnlyTwinsOf(const Request &r) const;

    // Atomic: a test may shorten them while a worker is in an exchange.
    std::atomic<DWORD> m_dwRegisterTimeoutMs{kRegisterTimeoutMs};
    std::atomic<DWORD> m_dwBlockTimeoutMs{kBlockTimeoutMs};
    std::atomic<DWORD> m_dwLateAllowanceMs{kLateAllowanceMs};
    std::atomic<int> m_nFrameMarginMs{-1};

    // Requests on the line, oldest first.
    std::deque<Request> m_onLine;
    // The last request sent, and its run.
    Request m_lastSent;
    unsigned m_nRun = 0;
    bool m_bMaySettle = true;
    // Bytes read from the line and not yet booked.
    std::vector<BYTE> m_rx;
    Clock::time_point m_tLastRead{};   // when bytes last came
    Clock::time_point m_tLastHeard{};  // when a reply or garbage last came
    // The error of a reply to the current call that came damaged or foreign.
    DWORD m_dwMiss = 0;
    // Exchanges in a row that brought no byte at all.
    // Written under the link lock, read by workers that only ask whether the drive is gone.
    std::atomic<int> m_nSilentExchanges{0};
};
