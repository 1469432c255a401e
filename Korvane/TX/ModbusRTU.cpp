#include "TX/ModbusRTU.h"

#include "TX/SeriesPort.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <thread>
#include <vector>

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

bool CModbusRTU::DrainUntilQuiet(CSeriesPort *pPort, Clock::time_point until, bool bInBurst)
{
    const auto quietGap = std::chrono::microseconds(QuietGapMicros(pPort->m_nBaud));
    bool sawBytes = bInBurst;
    for (;;) {
        const auto now = Clock::now();
        if (now >= until || !pPort->m_bOpen)
            break;
        auto wait = std::chrono::duration_cast<std::chrono::microseconds>(until - now);
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
        else if (sawBytes)
            break;
    }
    return sawBytes;
}

DWORD CModbusRTU::FollowUpMicros(int nBaud, DWORD dwRequestLength, DWORD dwReplyLength)
{
    // The drive's own turnaround is not known: allow it generously, this is paid only
    // by a different request shortly after a failure.
    constexpr DWORD kTurnaroundMicros = 30000;
    return CharTimeMicros(nBaud) * (dwRequestLength + dwReplyLength) +
           std::max(QuietGapMicros(nBaud), kTurnaroundMicros);
}

CModbusRTU::Approach CModbusRTU::Prepare(CSeriesPort *pPort, const BYTE *pRequest,
                                         DWORD dwRequestLength)
{
    if (!m_bUnsettled)
        return Approach::Clean;
    const bool same = dwRequestLength == m_dwFailedLength &&
                      std::memcmp(pRequest, m_byFailed, dwRequestLength) == 0;
    const bool settleTimeOver = Clock::now() >= m_tSettleUntil;
    if (m_bListenOnly) {
        if (settleTimeOver) {
            m_bUnsettled = false;
            m_bListenOnly = false;
            return Approach::Clean;
        }
        return same && m_bFailedAlone ? Approach::Twin : Approach::Wary;
    }
    // A retry of the request that went unanswered: a late answer to its twin answers it too,
    // unless another request's answer may also still come.
    if (same && m_bFailedSilent && m_bFailedAlone)
        return Approach::Twin;
    // A different request: a late answer to the earlier one would look like its own. Let
    // such a burst pass before sending, unless the drive has been absent (then nothing is
    // on its way and the wait would only add to every time-out).
    if (!settleTimeOver && !IsDriveAbsent() && DrainUntilQuiet(pPort, m_tSettleUntil))
        m_nSilentExchanges = 0;
    return Approach::Wary;
}

void CModbusRTU::Conclude(CSeriesPort *pPort, Approach approach, const BYTE *pRequest,
                          DWORD dwRequestLength, bool bAnswered, bool bAnyByte,
                          DWORD dwTimeoutMs)
{
    if (bAnyByte)
        m_nSilentExchanges = 0;
    else if (m_nSilentExchanges < 1000)
        ++m_nSilentExchanges;
    if (bAnswered) {
        if (approach == Approach::Twin) {
            // The reply taken may have been the twin's late one, with ours still to come.
            m_bUnsettled = true;
            m_bListenOnly = true;
            m_tSettleUntil = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
        } else {
            m_bUnsettled = false;
            m_bListenOnly = false;
        }
        return;
    }
    m_bUnsettled = true;
    m_bListenOnly = false;
    m_dwFailedLength = std::min<DWORD>(dwRequestLength, sizeof m_byFailed);
    std::memcpy(m_byFailed, pRequest, m_dwFailedLength);
    m_bFailedSilent = !bAnyByte;
    m_bFailedAlone = approach != Approach::Wary;
    if (bAnyByte && pPort && pPort->m_bOpen) {
        // Settle after the failure rather than before the next call: the rest of the
        // burst is read away now, and then only a listen behind the next reply is needed.
        DrainUntilQuiet(pPort, Clock::now() + std::chrono::milliseconds(dwTimeoutMs), true);
        m_bListenOnly = true;
    }
    m_tSettleUntil = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
}

void CModbusRTU::WaitForReply(CSeriesPort *pPort, DWORD dwCount, DWORD dwTimeoutMs)
{
    if (!pPort)
        return;
    const auto deadline = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
    for (;;) {
        if (!pPort->m_bOpen)
            return;
        const DWORD queued = pPort->GetBytesQueued();
        if (queued >= dwCount)
            return;
        const auto left =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return;
        if (queued > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        const int waitMs = static_cast<int>((left.count() + 999) / 1000);
        // Readable with nothing queued: a device condition the following Read must see.
        if (pPort->WaitForData(waitMs) && pPort->GetBytesQueued() == 0)
            return;
    }
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

bool CModbusRTU::RegisterExchange(Kind kind, const BYTE *pRequest, DWORD dwRequestLength,
                                  CSeriesPort *pPort, BYTE byStation, Approach approach,
                                  BYTE *reply, DWORD *pHave, DWORD *pWhole)
{
    *pHave = 0;
    *pWhole = 0;
    if (pPort->Write(pRequest, dwRequestLength) != dwRequestLength) {
        m_dwLastError = kErrShortWrite;
        return false;
    }
    pPort->Idle(FrameTime(dwRequestLength, pPort->m_nBaud));

    const BYTE function = pRequest[1];
    const auto expected = [kind, function](const BYTE *p, DWORD have) {
        return ExpectedRegisterReply(kind, function, p, have);
    };
    const DWORD followUp = approach == Approach::Wary
                               ? FollowUpMicros(pPort->m_nBaud, dwRequestLength, kLongestRegisterReply)
                               : 0;
    const DWORD timeoutMs = m_dwRegisterTimeoutMs;
    const DWORD have = Receive(pPort, reply, kReplyCapacity, timeoutMs, expected, followUp);
    DWORD whole = expected(reply, have);
    // A twin's late answer with ours right behind it: both answer this request.
    if (approach == Approach::Twin && whole > 0 && have > whole)
        DrainUntilQuiet(pPort, Clock::now() + std::chrono::milliseconds(timeoutMs), true);
    else
        whole = have;
    const bool isError = whole >= 2 && ((reply[1] & 0x80) != 0 ||
                         (kind != Kind::Write16 && whole >= 4 && reply[2] == 0x80 && reply[3] == 0x01));
    // Write replies name the register written: a late acknowledgement of another write
    // does not pass for this one.
    const bool isWrite = kind == Kind::Write16 || kind == Kind::Write32;
    const bool echoRight = !isWrite || isError || (whole >= 4 && reply[2] == pRequest[2] &&
                                                   reply[3] == pRequest[3]);
    *pHave = have;
    *pWhole = whole;
    return whole > 0 && expected(reply, whole) == whole && reply[0] == byStation &&
           (reply[1] & 0x7F) == function && CRC16(reply, whole) == 0 && echoRight;
}

BOOL CModbusRTU::RegisterTransaction(Kind kind, BYTE *pRequest, DWORD dwRequestLength,
                                     CSeriesPort *pPort, BYTE byStation, BYTE *pReply)
{
    if (!pPort) {
        m_dwLastError = kErrShortWrite;
        return FALSE;
    }
    const Approach approach = Prepare(pPort, pRequest, dwRequestLength);
    BYTE reply[kReplyCapacity];
    DWORD have = 0;
    DWORD whole = 0;
    bool wellFormed = RegisterExchange(kind, pRequest, dwRequestLength, pPort, byStation,
                                       approach, reply, &have, &whole);
    if (m_dwLastError == kErrShortWrite)
        return FALSE;  // nothing went out: nothing to settle
    const bool isRead = kind == Kind::Read16 || kind == Kind::Read32;
    const bool isValue = wellFormed && (reply[1] & 0x80) == 0 && !(reply[2] == 0x80 && reply[3] == 0x01);
    if (approach == Approach::Wary && isRead && isValue) {
        // Nothing in a read reply tells which register it answers: on a line where another
        // answer may still be on its way, ask again and take the value only when both agree.
        BYTE again[kReplyCapacity];
        DWORD haveAgain = 0;
        DWORD wholeAgain = 0;
        const bool second = RegisterExchange(kind, pRequest, dwRequestLength, pPort, byStation,
                                             approach, again, &haveAgain, &wholeAgain);
        if (m_dwLastError == kErrShortWrite)
            return FALSE;
        wellFormed = second && wholeAgain == whole && std::memcmp(again, reply, whole) == 0;
        have += haveAgain;
    }
    Conclude(pPort, approach, pRequest, dwRequestLength, wellFormed, have > 0, m_dwRegisterTimeoutMs);
    if (!wellFormed) {
        m_dwLastError = kErrBadReply;
        return FALSE;
    }
    const BYTE function = pRequest[1];
    if (kind != Kind::Write16 && reply[1] == function && reply[2] == 0x80 && reply[3] == 0x01) {
        m_dwLastError = GetWord(reply + 4);
        return FALSE;
    }
    if (reply[1] & 0x80) {
        m_dwLastError = reply[2];
        return FALSE;
    }
    std::memcpy(pReply, reply, whole);
    return TRUE;
}

DWORD CModbusRTU::FrameTime(DWORD dwBytes, int nBaud) const
{
    const int margin = m_nFrameMarginMs;
    if (margin < 0 || nBaud <= 0)
        return CSeriesPort::GetFrameTime(dwBytes, nBaud);
    return static_cast<DWORD>(static_cast<std::uint64_t>(dwBytes) * 11000u /
                              static_cast<std::uint64_t>(nBaud)) +
           static_cast<DWORD>(margin);
}

DWORD CModbusRTU::RawTransaction(CSeriesPort *pPort, const BYTE *pRequest, DWORD dwRequestLength,
                                 BYTE *pReply, DWORD dwCapacity, DWORD dwExpected,
                                 DWORD dwTimeoutMs, bool bSleepFrameTime)
{
    m_dwLastError = 0;
    if (!pPort || !pRequest || dwRequestLength == 0) {
        m_dwLastError = kErrShortWrite;
        return 0;
    }
    const Approach approach = Prepare(pPort, pRequest, dwRequestLength);
    // One send and receive into buffer; false when the request could not be sent.
    const auto exchange = [&](BYTE *buffer, DWORD *pHave, bool *pAnswered) {
        *pHave = 0;
        *pAnswered = false;
        if (pPort->Write(pRequest, dwRequestLength) != dwRequestLength)
            return false;
        if (bSleepFrameTime)
            pPort->Idle(FrameTime(dwRequestLength, pPort->m_nBaud));
        WaitForReply(pPort, dwExpected, dwTimeoutMs);
        DWORD got = buffer && dwCapacity > 0 ? pPort->Read(buffer, dwCapacity) : 0;
        bool whole = dwExpected > 0 && got >= dwExpected;
        if (approach == Approach::Wary && whole && got == dwExpected && pPort->m_bOpen &&
            pPort->WaitForData(static_cast<int>(
                (FollowUpMicros(pPort->m_nBaud, dwRequestLength, dwExpected) + 999) / 1000))) {
            if (got < dwCapacity)
                got += pPort->Read(buffer + got, dwCapacity - got);
            whole = false;  // more came behind it: the first part may answer another request
        }
        *pHave = got;
        *pAnswered = whole;
        return true;
    };
    DWORD have = 0;
    bool answered = false;
    if (!exchange(pReply, &have, &answered)) {
        m_dwLastError = kErrShortWrite;
        return 0;
    }
    if (approach == Approach::Wary && answered && pRequest[1] == g_byFuncRead && dwRequestLength > 1) {
        // A read reply does not name its register: where another answer may still be on its
        // way, the bytes count only when asking again brings the same.
        std::vector<BYTE> again(dwCapacity);
        DWORD haveAgain = 0;
        bool answeredAgain = false;
        if (!exchange(again.data(), &haveAgain, &answeredAgain)) {
            m_dwLastError = kErrShortWrite;
            return 0;
        }
        if (!answeredAgain || haveAgain != have || std::memcmp(again.data(), pReply, have) != 0) {
            Conclude(pPort, approach, pRequest, dwRequestLength, false, true, dwTimeoutMs);
            m_dwLastError = kErrBadReply;
            return 0;
        }
    }
    Conclude(pPort, approach, pRequest, dwRequestLength, answered, have > 0, dwTimeoutMs);
    return have;
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

DWORD CModbusRTU::BlockExchange(const BYTE *pRequest, DWORD dwRequestLength, CSeriesPort *pPort,
                                Approach approach, BYTE *reply, bool *pAnswered, bool *pAnyByte)
{
    *pAnswered = false;
    *pAnyByte = false;
    if (pPort->Write(pRequest, dwRequestLength) != dwRequestLength)
        return kErrShortWrite;
    const DWORD followUp = approach == Approach::Wary
                               ? FollowUpMicros(pPort->m_nBaud, dwRequestLength, kBlockReplyLength)
                               : 0;
    const DWORD timeoutMs = m_dwBlockTimeoutMs;
    DWORD have = Receive(pPort, reply, kReplyCapacity, timeoutMs, ExpectedBlockReply, followUp);
    *pAnyByte = have > 0;
    if (approach == Approach::Twin && have > ExpectedBlockReply(reply, have) &&
        ExpectedBlockReply(reply, have) > 0) {
        have = ExpectedBlockReply(reply, have);
        DrainUntilQuiet(pPort, Clock::now() + std::chrono::milliseconds(timeoutMs), true);
    }

    // The reply is whole when it is a drive error reply or a block with sum and header right.
    if (have < kBlockErrorLength)
        return kErrBlockShort;
    if (have == kBlockErrorLength) {
        *pAnswered = reply[1] == kBlockErrorMark;
        return *pAnswered ? GetWord(reply + 6) : kErrBlockLength;
    }
    if (have != kBlockReplyLength)
        return kErrBlockLength;
    const WORD sum = static_cast<WORD>(reply[135] | (reply[136] << 8));
    if (ByteSum(reply, 135) != sum)
        return kErrBlockSum;
    if (std::memcmp(reply + kBlockHeaderOffset, kBlockHeader, sizeof kBlockHeader) != 0)
        return kErrBlockHeader;
    *pAnswered = true;
    return 0;
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

    const Approach approach = Prepare(pPort, request, sizeof request);
    BYTE reply[kReplyCapacity];
    bool answered = false;
    bool anyByte = false;
    DWORD error = BlockExchange(request, sizeof request, pPort, approach, reply, &answered, &anyByte);
    if (error == kErrShortWrite) {
        m_dwLastError = error;
        return FALSE;
    }
    bool block = answered && reply[1] != kBlockErrorMark;
    if (approach == Approach::Wary && block) {
        // A block reply does not name its block: where an earlier block's answer may still
        // be on its way, the block counts only when asking again brings the same bytes.
        BYTE again[kReplyCapacity];
        bool answeredAgain = false;
        bool anyAgain = false;
        const DWORD errorAgain =
            BlockExchange(request, sizeof request, pPort, approach, again, &answeredAgain, &anyAgain);
        if (errorAgain == kErrShortWrite) {
            m_dwLastError = errorAgain;
            return FALSE;
        }
        anyByte = anyByte || anyAgain;
        if (!answeredAgain || again[1] == kBlockErrorMark ||
            std::memcmp(again, reply, kBlockReplyLength) != 0) {
            answered = block = false;
            error = errorAgain != 0 ? errorAgain : kErrBlockSum;
        }
    }
    Conclude(pPort, approach, request, sizeof request, answered, anyByte, m_dwBlockTimeoutMs);
    if (!block) {
        m_dwLastError = error;
        return FALSE;
    }
    if (byData)
        std::memcpy(byData, reply + kBlockDataOffset, kBlockSize);
    return TRUE;
}
