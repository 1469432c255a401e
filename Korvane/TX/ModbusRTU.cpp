#include "TX/ModbusRTU.h"

#include "TX/SeriesPort.h"

#include <algorithm>
#include <cstring>
#include <thread>

BYTE g_byDefaultStation = 0xFA;
BYTE g_byFuncRead = 0x23;
BYTE g_byFuncWrite = 0x26;
BYTE g_byFuncWrite32 = 0x20;
BYTE g_byFuncBlock = 0x2B;

void ResetLinkConstants()
{
    g_byDefaultStation = 0xFA;
    g_byFuncRead = 0x23;
    g_byFuncWrite = 0x26;
    g_byFuncWrite32 = 0x20;
    g_byFuncBlock = 0x2B;
}

namespace {

constexpr std::size_t kReadRequestLength = 8;
constexpr std::size_t kWriteRequestLength = 8;
constexpr DWORD kWrite32RequestLength = 13;
constexpr DWORD kBlockRequestLength = 8;
constexpr DWORD kReplyCapacity = 256;

constexpr BYTE kBlockHeader[4] = {0xAA, 0x0F, 0x55, 0xF0};
constexpr DWORD kBlockHeaderOffset = 2;
constexpr DWORD kBlockDataOffset = 7;

// Replies whose bytes 2 and 3 are 80 01 carry a 16-bit drive code in bytes 4 and 5.
constexpr DWORD kCodeReplyLength = 8;
// Replies with bit 7 of the function code set carry the drive's code in byte 2.
constexpr DWORD kBit7ReplyLength = 5;
constexpr DWORD kLongestRegisterReply = 9;

void PutWord(BYTE *p, WORD w)
{
    p[0] = static_cast<BYTE>(w >> 8);
    p[1] = static_cast<BYTE>(w & 0xFF);
}

WORD GetWord(const BYTE *p)
{
    return static_cast<WORD>((p[0] << 8) | p[1]);
}

void AppendCrc(BYTE *pFrame, DWORD dwLengthBeforeCrc)
{
    const WORD crc = CModbusRTU::CRC16(pFrame, dwLengthBeforeCrc);
    pFrame[dwLengthBeforeCrc] = static_cast<BYTE>(crc & 0xFF);
    pFrame[dwLengthBeforeCrc + 1] = static_cast<BYTE>(crc >> 8);
}

// The 8-byte requests: station, function, address, one more word (count or value), CRC.
void MakeShortRequest(BYTE (&request)[8], BYTE byStation, BYTE byFunction, WORD wAddress,
                      WORD wWord)
{
    request[0] = byStation;
    request[1] = byFunction;
    PutWord(request + 2, wAddress);
    PutWord(request + 4, wWord);
    AppendCrc(request, 6);
}

DWORD CharTimeMicros(int nBaud)
{
    return nBaud > 0 ? static_cast<DWORD>(11000000ull / static_cast<unsigned>(nBaud)) : 1000;
}

// A burst has ended once the line stays quiet this long.
DWORD QuietGapMicros(int nBaud)
{
    return std::max<DWORD>(3000, 4 * CharTimeMicros(nBaud));
}

}

WORD CModbusRTU::CRC16(const BYTE *pData, std::size_t nLength)
{
    WORD crc = 0xFFFF;
    for (std::size_t i = 0; i < nLength; ++i) {
        crc ^= pData[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<WORD>((crc >> 1) ^ 0xA001) : static_cast<WORD>(crc >> 1);
    }
    return crc;
}

WORD CModbusRTU::ByteSum(const BYTE *pData, std::size_t nLength)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < nLength; ++i)
        sum += pData[i];
    return static_cast<WORD>(sum & 0xFFFF);
}

void CModbusRTU::NoteExchange(bool bAnswered, bool bAnyByte, DWORD dwTimeoutMs)
{
    if (bAnyByte)
        m_nSilentExchanges = 0;
    else if (m_nSilentExchanges < 1000)
        ++m_nSilentExchanges;
    m_bUnsettled = !bAnswered;
    if (m_bUnsettled)
        m_tSettleUntil = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
}

DWORD CModbusRTU::FollowUpMicros(int nBaud, DWORD dwRequestLength, DWORD dwReplyLength)
{
    // The drive's own turnaround is not known: allow it generously, this is paid only
    // after a failure.
    constexpr DWORD kTurnaroundMicros = 30000;
    return CharTimeMicros(nBaud) * (dwRequestLength + dwReplyLength) +
           std::max(QuietGapMicros(nBaud), kTurnaroundMicros);
}

bool CModbusRTU::SettleLine(CSeriesPort *pPort)
{
    if (!m_bUnsettled)
        return false;
    m_bUnsettled = false;
    if (DriveAbsent())
        return true;
    const auto quietGap = std::chrono::microseconds(QuietGapMicros(pPort->m_nBaud));
    bool sawBytes = false;
    for (;;) {
        const auto now = Clock::now();
        if (now >= m_tSettleUntil || !pPort->m_bOpen)
            break;
        auto wait = std::chrono::duration_cast<std::chrono::microseconds>(m_tSettleUntil - now);
        if (sawBytes)
            wait = std::min(wait, quietGap);
        const int waitMs = static_cast<int>((wait.count() + 999) / 1000);
        if (!pPort->WaitForData(waitMs)) {
            if (sawBytes)
                break;
            continue;
        }
        BYTE scratch[kReplyCapacity];
        if (pPort->Read(scratch, sizeof scratch) > 0)
            sawBytes = true;
    }
    if (sawBytes)
        m_nSilentExchanges = 0;
    return true;
}

template <typename Expected>
DWORD CModbusRTU::Receive(CSeriesPort *pPort, BYTE *pBuffer, DWORD dwCapacity,
                          DWORD dwTimeoutMs, Expected expected, DWORD dwFollowUpUs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
    DWORD have = 0;
    for (;;) {
        const DWORD want = expected(pBuffer, have);
        if ((want != 0 && have >= want) || have >= dwCapacity || !pPort->m_bOpen)
            break;
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            break;
        if (pPort->WaitForData(static_cast<int>((left.count() + 999) / 1000)))
            have += pPort->Read(pBuffer + have, dwCapacity - have);
    }
    // Bytes behind the frame make it no reply of ours.
    if (have < dwCapacity && pPort->m_bOpen)
        have += pPort->Read(pBuffer + have, dwCapacity - have);
    const DWORD want = expected(pBuffer, have);
    if (dwFollowUpUs > 0 && want != 0 && have == want && pPort->m_bOpen &&
        pPort->WaitForData(static_cast<int>((dwFollowUpUs + 999) / 1000)))
        have += pPort->Read(pBuffer + have, dwCapacity - have);
    return have;
}

DWORD CModbusRTU::ExpectedRegisterReply(Kind kind, BYTE byFunction, const BYTE *pReply,
                                        DWORD dwHave)
{
    if (dwHave < 2)
        return 0;
    if ((pReply[1] & 0x7F) != byFunction)
        return dwHave;  // not an answer to this request: stop listening
    if (pReply[1] == (byFunction | 0x80))
        return kBit7ReplyLength;
    if (kind != Kind::Write16) {
        if (dwHave < 4)
            return 0;
        if (pReply[2] == 0x80 && pReply[3] == 0x01)
            return kCodeReplyLength;
    }
    switch (kind) {
    case Kind::Read16:
        return 7;
    case Kind::Read32:
        return 9;
    case Kind::Write16:
    case Kind::Write32:
        return 8;
    }
    return 0;
}

DWORD CModbusRTU::ExpectedBlockReply(const BYTE *pReply, DWORD dwHave)
{
    if (dwHave < 2)
        return 0;
    return pReply[1] == kBlockErrorMark ? kBlockErrorLength : kBlockReplyLength;
}

BOOL CModbusRTU::RegisterTransaction(Kind kind, BYTE *pRequest, DWORD dwRequestLength,
                                     CSeriesPort *pPort, BYTE byStation, BYTE *pReply)
{
    if (!pPort) {
        m_dwLastError = kErrShortWrite;
        return FALSE;
    }
    const bool wary = SettleLine(pPort);
    const bool distrust = DriveAbsent();
    if (pPort->Write(pRequest, dwRequestLength) != dwRequestLength) {
        m_dwLastError = kErrShortWrite;
        return FALSE;
    }
    std::this_thread::sleep_for(
        std::chrono::milliseconds(CSeriesPort::GetFrameTime(dwRequestLength, pPort->m_nBaud)));

    const BYTE function = pRequest[1];
    BYTE reply[kReplyCapacity];
    const auto expected = [kind, function](const BYTE *p, DWORD have) {
        return ExpectedRegisterReply(kind, function, p, have);
    };
    const DWORD followUp =
        wary ? FollowUpMicros(pPort->m_nBaud, dwRequestLength, kLongestRegisterReply) : 0;
    const DWORD have = Receive(pPort, reply, sizeof reply, kRegisterTimeoutMs, expected, followUp);
    const DWORD whole = expected(reply, have);

    const bool wellFormed = have > 0 && whole == have && reply[0] == byStation &&
                            (reply[1] & 0x7F) == function && CRC16(reply, have) == 0;
    if (!wellFormed || distrust) {
        NoteExchange(false, have > 0, kRegisterTimeoutMs);
        m_dwLastError = kErrBadReply;
        return FALSE;
    }
    NoteExchange(true, true, kRegisterTimeoutMs);
    if (kind != Kind::Write16 && reply[1] == function && reply[2] == 0x80 && reply[3] == 0x01) {
        m_dwLastError = GetWord(reply + 4);
        return FALSE;
    }
    if (reply[1] & 0x80) {
        m_dwLastError = reply[2];
        return FALSE;
    }
    std::memcpy(pReply, reply, have);
    return TRUE;
}

BOOL CModbusRTU::ReadRegister(WORD wAddress, CSeriesPort *pPort, BYTE byStation, int *pValue)
{
    m_dwLastError = 0;
    BYTE request[kReadRequestLength] = {};
    MakeShortRequest(request, byStation, g_byFuncRead, wAddress, 1);
    BYTE reply[kReplyCapacity];
    if (!RegisterTransaction(Kind::Read16, request, sizeof request, pPort, byStation, reply))
        return FALSE;
    if (pValue)
        *pValue = GetWord(reply + 3);
    return TRUE;
}

BOOL CModbusRTU::ReadRegister32(WORD wAddress, CSeriesPort *pPort, BYTE byStation, int *pValue,
                                BOOL bLowWordFirst)
{
    m_dwLastError = 0;
    BYTE request[kReadRequestLength] = {};
    MakeShortRequest(request, byStation, g_byFuncRead, wAddress, 2);
    BYTE reply[kReplyCapacity];
    if (!RegisterTransaction(Kind::Read32, request, sizeof request, pPort, byStation, reply))
        return FALSE;
    const DWORD first = GetWord(reply + 3);
    const DWORD second = GetWord(reply + 5);
    const DWORD value = bLowWordFirst ? (second << 16) | first : (first << 16) | second;
    if (pValue)
        *pValue = static_cast<int>(value);
    return TRUE;
}

BOOL CModbusRTU::WriteRegister(WORD wValue, CSeriesPort *pPort, BYTE byStation, WORD wAddress)
{
    m_dwLastError = 0;
    BYTE request[kWriteRequestLength] = {};
    MakeShortRequest(request, byStation, g_byFuncWrite, wAddress, wValue);
    BYTE reply[kReplyCapacity];
    return RegisterTransaction(Kind::Write16, request, sizeof request, pPort, byStation, reply);
}

BOOL CModbusRTU::WriteRegister32(DWORD dwValue, CSeriesPort *pPort, BYTE byStation,
                                 WORD wAddress, BOOL bLowWordFirst)
{
    m_dwLastError = 0;
    const WORD high = static_cast<WORD>(dwValue >> 16);
    const WORD low = static_cast<WORD>(dwValue & 0xFFFF);
    BYTE request[kWrite32RequestLength] = {};
    request[0] = byStation;
    request[1] = g_byFuncWrite32;
    PutWord(request + 2, wAddress);
    PutWord(request + 4, 2);
    request[6] = 4;
    PutWord(request + 7, bLowWordFirst ? low : high);
    PutWord(request + 9, bLowWordFirst ? high : low);
    AppendCrc(request, 11);
    BYTE reply[kReplyCapacity];
    return RegisterTransaction(Kind::Write32, request, sizeof request, pPort, byStation, reply);
}

BOOL CModbusRTU::ReadBlock(WORD wIndex, CSeriesPort *pPort, BYTE byStation, BYTE byData[128])
{
    m_dwLastError = 0;
    if (!pPort) {
        m_dwLastError = kErrShortWrite;
        return FALSE;
    }
    BYTE request[kBlockRequestLength] = {};
    request[0] = byStation;
    request[1] = g_byFuncBlock;
    request[2] = kBlockSubCode;
    request[3] = static_cast<BYTE>(wIndex & 0xFF);
    request[4] = static_cast<BYTE>(wIndex >> 8);
    request[5] = 0x40;
    AppendCrc(request, 6);

    const bool wary = SettleLine(pPort);
    const bool distrust = DriveAbsent();
    if (pPort->Write(request, sizeof request) != sizeof request) {
        m_dwLastError = kErrShortWrite;
        return FALSE;
    }
    BYTE reply[kReplyCapacity];
    const DWORD followUp =
        wary ? FollowUpMicros(pPort->m_nBaud, sizeof request, kBlockReplyLength) : 0;
    const DWORD have =
        Receive(pPort, reply, sizeof reply, kBlockTimeoutMs, ExpectedBlockReply, followUp);

    // The reply is whole when it is a drive error reply or a block with sum and header right.
    bool answered = false;
    DWORD error = 0;
    if (have < kBlockErrorLength) {
        error = kErrBlockShort;
    } else if (have == kBlockErrorLength) {
        answered = reply[1] == kBlockErrorMark;
        error = answered ? GetWord(reply + 6) : kErrBlockLength;
    } else if (have == kBlockReplyLength) {
        const WORD sum = static_cast<WORD>(reply[135] | (reply[136] << 8));
        if (ByteSum(reply, 135) != sum)
            error = kErrBlockSum;
        else if (std::memcmp(reply + kBlockHeaderOffset, kBlockHeader, sizeof kBlockHeader) != 0)
            error = kErrBlockHeader;
        else
            answered = true;
    } else {
        error = kErrBlockLength;
    }
    if (distrust && have > 0) {
        NoteExchange(false, true, kBlockTimeoutMs);
        m_dwLastError = have < kBlockErrorLength ? kErrBlockShort : kErrBlockLength;
        return FALSE;
    }
    NoteExchange(answered, have > 0, kBlockTimeoutMs);
    if (!answered || have != kBlockReplyLength) {
        m_dwLastError = error;
        return FALSE;
    }
    if (byData)
        std::memcpy(byData, reply + kBlockDataOffset, kBlockSize);
    return TRUE;
}
