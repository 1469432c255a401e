#pragma once
// The drive's register link: builds request frames, sends them through the serial port,
// waits for the reply, checks and decodes it. One transaction per call; no retries (callers
// decide how often to try). Every caller holds the link lock for the whole call; pages go
// through CSysParam's transaction methods, which take it.

#include "platform/WinTypes.h"

#include <atomic>
#include <chrono>
#include <cstddef>

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

    // A frame built by the caller: sends it (after the same settling as the five calls),
    // lets the frame time pass when bSleepFrameTime, waits for dwExpected bytes at most
    // dwTimeoutMs and reads what came, at most dwCapacity. Returns the count read; the
    // caller judges the bytes. The exchange counts as answered when dwExpected bytes came.
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

    void SetReplyTimeouts(DWORD dwRegisterMs, DWORD dwBlockMs)
    {
        m_dwRegisterTimeoutMs = dwRegisterMs;
        m_dwBlockTimeoutMs = dwBlockMs;
    }
    DWORD RegisterTimeoutMs() const { return m_dwRegisterTimeoutMs; }
    DWORD BlockTimeoutMs() const { return m_dwBlockTimeoutMs; }

    // The pause after a request before the reply is looked for: the request's time on the
    // line plus a margin by baud rate (CSeriesPort::GetFrameTime). A margin of 0 or more
    // replaces the baud rate's; -1 puts it back. Page-logic tests set 0: their simulated
    // drive paces its replies itself, and the margin would only stretch every exchange.
    void SetFrameMargin(int nMs) { m_nFrameMarginMs = nMs; }
    DWORD FrameTime(DWORD dwBytes, int nBaud) const;

    DWORD m_dwLastError = 0;

private:
    enum class Kind { Read16, Read32, Write16, Write32 };
    using Clock = std::chrono::steady_clock;

    // How a call meets the line after an earlier failure.
    enum class Approach {
        Clean,  // nothing outstanding: take the first whole reply
        Twin,   // the same request as the one that went unanswered, when no other answer
                // was outstanding: its late answer is as good as ours, so the first whole
                // reply is taken at once
        Wary,   // another request: a late answer to the earlier one may still come, so the
                // reply counts only when nothing follows right behind it, and a read only
                // when asking again brings the same bytes (a read reply does not name its
                // register: another register's late answer would look just like ours)
    };

    BOOL RegisterTransaction(Kind kind, BYTE *pRequest, DWORD dwRequestLength,
                             CSeriesPort *pPort, BYTE byStation, BYTE *pReply);
    // One send and receive of a register request; true when a whole reply of the right form
    // came (*pWhole bytes of it in reply; *pHave: everything that came).
    bool RegisterExchange(Kind kind, const BYTE *pRequest, DWORD dwRequestLength,
                          CSeriesPort *pPort, BYTE byStation, Approach approach, BYTE *reply,
                          DWORD *pHave, DWORD *pWhole);
    // A block read's send and receive: the reply's error code (0: a good block in reply).
    DWORD BlockExchange(const BYTE *pRequest, DWORD dwRequestLength, CSeriesPort *pPort,
                        Approach approach, BYTE *reply, bool *pAnswered, bool *pAnyByte);
    // Length of the whole reply, judged from its first bytes; 0 while undecided.
    static DWORD ExpectedRegisterReply(Kind kind, BYTE byFunction, const BYTE *pReply,
                                       DWORD dwHave);
    static DWORD ExpectedBlockReply(const BYTE *pReply, DWORD dwHave);
    // Collects the reply until `expected` says it is whole or the time-out passes. Bytes
    // queued behind the whole frame are read too, so that the caller sees them; with
    // dwFollowUpUs, bytes that follow within that time count as well. Returns the count.
    template <typename Expected>
    DWORD Receive(CSeriesPort *pPort, BYTE *pBuffer, DWORD dwCapacity, DWORD dwTimeoutMs,
                  Expected expected, DWORD dwFollowUpUs);

    // Chooses the approach for this request and, where a different request follows an
    // unanswered one, lets a burst already on its way pass first.
    Approach Prepare(CSeriesPort *pPort, const BYTE *pRequest, DWORD dwRequestLength);
    // Books the outcome. bAnswered: a whole reply was taken (a drive error reply included).
    // bAnyByte: anything came at all. After a failure that brought bytes, the rest of the
    // burst is read away here, so that the next call starts on a quiet line.
    void Conclude(CSeriesPort *pPort, Approach approach, const BYTE *pRequest,
                  DWORD dwRequestLength, bool bAnswered, bool bAnyByte, DWORD dwTimeoutMs);
    // Reads until the line has been quiet for a short gap after bytes came (from the start
    // when bInBurst), or until `until`. True when bytes came.
    static bool DrainUntilQuiet(CSeriesPort *pPort, Clock::time_point until, bool bInBurst = false);
    // How long to listen behind a whole reply of dwReplyLength on a wary call.
    static DWORD FollowUpMicros(int nBaud, DWORD dwRequestLength, DWORD dwReplyLength);

    // Atomic: a test may shorten them while a worker is in an exchange.
    std::atomic<DWORD> m_dwRegisterTimeoutMs{kRegisterTimeoutMs};
    std::atomic<DWORD> m_dwBlockTimeoutMs{kBlockTimeoutMs};
    std::atomic<int> m_nFrameMarginMs{-1};

    // After a failure: a late reply may still be on its way until m_tSettleUntil.
    bool m_bUnsettled = false;
    Clock::time_point m_tSettleUntil{};
    // The request that went unanswered and whether its exchange was silent.
    BYTE m_byFailed[16] = {};
    DWORD m_dwFailedLength = 0;
    bool m_bFailedSilent = false;
    // No answer but the failed request's own could have been on its way when it failed: only
    // then is a retry of it a twin.
    bool m_bFailedAlone = false;
    // A twin's answer was taken: our own may still follow, so other requests listen behind
    // their reply until m_tSettleUntil, without waiting before it.
    bool m_bListenOnly = false;
    // Exchanges in a row that brought no byte at all.
    // Written under the link lock, read by workers that only ask whether the drive is gone.
    std::atomic<int> m_nSilentExchanges{0};
};
