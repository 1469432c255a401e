#pragma once
// The drive's register link: builds request frames, sends them through the serial port,
// waits for the reply, checks and decodes it. One transaction per call; no retries (callers
// decide how often to try). Every caller holds the link lock for the whole call.

#include "platform/WinTypes.h"

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

    // CRC-16/MODBUS (reflected 0xA001, start 0xFFFF); frames carry it low byte first, and
    // the CRC over a whole frame including its CRC is 0.
    static WORD CRC16(const BYTE *pData, std::size_t nLength);
    // 16-bit sum of the bytes, as block replies carry it.
    static WORD ByteSum(const BYTE *pData, std::size_t nLength);

    DWORD m_dwLastError = 0;

private:
    enum class Kind { Read16, Read32, Write16, Write32 };
    using Clock = std::chrono::steady_clock;

    BOOL RegisterTransaction(Kind kind, BYTE *pRequest, DWORD dwRequestLength,
                             CSeriesPort *pPort, BYTE byStation, BYTE *pReply);
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

    // A reply that did not come in time may still be on its way and must not pass for the
    // answer to the next request. After such a failure the next call first waits for the
    // line to stay quiet (until one time-out after the failure, or until a burst has
    // ended), and its request's purge drops whatever came. Should the old reply come later
    // still, the drive answers the new request right behind it: so the next reply is
    // taken only when no further bytes follow it at once. TRUE when the line was unsettled.
    bool SettleLine(CSeriesPort *pPort);
    // How long to listen behind a whole reply of dwReplyLength after an unsettled line.
    static DWORD FollowUpMicros(int nBaud, DWORD dwRequestLength, DWORD dwReplyLength);
    // Books the outcome of one exchange for SettleLine.
    void NoteExchange(bool bAnswered, bool bAnyByte, DWORD dwTimeoutMs);
    bool DriveAbsent() const { return m_nSilentExchanges >= 2; }

    bool m_bUnsettled = false;
    Clock::time_point m_tSettleUntil{};
    // Exchanges in a row that brought no byte at all. From two on (the second one after a
    // quiet settle wait) the drive counts as absent: later calls skip the settle wait, so
    // a missing drive costs no more than the time-outs, and the first reply after such a
    // silence is not trusted, as it may answer an earlier request.
    int m_nSilentExchanges = 0;
};
