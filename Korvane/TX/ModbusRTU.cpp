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

constexpr DWORD kReadRequestLength = 8;
constexpr DWORD kWriteRequestLength = 8;
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

// ---- Requests and the replies that fit them -----------------------------------------------------

CModbusRTU::Request CModbusRTU::MakeRequest(Kind kind, const BYTE *pBytes, DWORD dwLength, DWORD dwOtherReply)
{
    Request r;
    r.kind = kind;
    r.length = std::min(dwLength, kLongestRequest);
    std::memcpy(r.bytes, pBytes, r.length);
    r.otherReplyLength = dwOtherReply;
    return r;
}

CModbusRTU::Kind CModbusRTU::KindOfFrame(const BYTE *pRequest, DWORD dwLength)
{
    if (dwLength == kReadRequestLength && pRequest[1] == g_byFuncRead && pRequest[4] == 0 &&
        CRC16(pRequest, dwLength) == 0) {
        if (pRequest[5] == 1)
            return Kind::Read16;
        if (pRequest[5] == 2)
            return Kind::Read32;
    }
    if (dwLength == kWriteRequestLength && pRequest[1] == g_byFuncWrite && CRC16(pRequest, dwLength) == 0)
        return Kind::Write16;
    if (dwLength == kWrite32RequestLength && pRequest[1] == g_byFuncWrite32 && CRC16(pRequest, dwLength) == 0)
        return Kind::Write32;
    if (dwLength == kBlockRequestLength && pRequest[1] == g_byFuncBlock && pRequest[2] == kBlockSubCode)
        return Kind::Block;
    return Kind::Other;
}

bool CModbusRTU::SameBytes(const Request &a, const Request &b)
{
    return a.kind == b.kind && a.length == b.length && a.otherReplyLength == b.otherReplyLength &&
           std::memcmp(a.bytes, b.bytes, a.length) == 0;
}

bool CModbusRTU::Twins(const Request &a, const Request &b)
{
    return a.run == b.run && SameBytes(a, b);
}

CModbusRTU::Fit CModbusRTU::FitReply(const Request &r, bool bFinal, DWORD *pLength, DWORD *pMiss) const
{
    const BYTE *p = m_rx.data();
    const DWORD have = static_cast<DWORD>(m_rx.size());
    *pMiss = 0;
    // A reply of `length` bytes, judged by `right` once whole.
    const auto whole = [&](DWORD length, bool right, DWORD miss) {
        if (have < length) {
            if (bFinal)
                *pMiss = miss;
            return bFinal ? Fit::No : Fit::More;
        }
        if (!right) {
            *pMiss = miss;
            return Fit::No;
        }
        *pLength = length;
        return Fit::Whole;
    };
    const auto crcRight = [&](DWORD length) { return have >= length && CRC16(p, length) == 0; };
    if (have == 0)
        return bFinal ? Fit::No : Fit::More;
    if (r.kind == Kind::Other) {
        if (r.otherReplyLength == 0)
            return Fit::No;
        return whole(r.otherReplyLength, true, kErrBadReply);
    }
    const BYTE station = r.bytes[0];
    const BYTE function = r.bytes[1];
    if (p[0] != station)
        return Fit::No;
    if (have < 2)
        return bFinal ? Fit::No : Fit::More;

    if (r.kind == Kind::Block) {
        if (p[1] == kBlockErrorMark)
            return whole(kBlockErrorLength, true, kErrBlockShort);
        if (p[1] != function)
            return Fit::No;
        if (have < kBlockReplyLength)
            return whole(kBlockReplyLength, true, have < kBlockErrorLength ? kErrBlockShort : kErrBlockLength);
        const WORD sum = static_cast<WORD>(p[kBlockReplyLength - 2] | (p[kBlockReplyLength - 1] << 8));
        if (ByteSum(p, kBlockReplyLength - 2) != sum)
            return whole(kBlockReplyLength, false, kErrBlockSum);
        const bool header = std::memcmp(p + kBlockHeaderOffset, kBlockHeader, sizeof kBlockHeader) == 0;
        return whole(kBlockReplyLength, header, kErrBlockHeader);
    }

    // The register calls: the drive's refusal with bit 7 set, or its 80 01 form, or the reply.
    if (p[1] == (function | 0x80))
        return whole(kBit7ReplyLength, crcRight(kBit7ReplyLength), kErrBadReply);
    if (p[1] != function)
        return Fit::No;
    if (r.kind != Kind::Write16) {
        if (have < 4)
            return bFinal ? Fit::No : Fit::More;
        if (p[2] == 0x80 && p[3] == 0x01)
            return whole(kCodeReplyLength, crcRight(kCodeReplyLength), kErrBadReply);
    }
    switch (r.kind) {
    case Kind::Read16:
    case Kind::Read32: {
        // The byte count must be the one asked for: a reply of another size answers another
        // request.
        const DWORD count = r.kind == Kind::Read16 ? 2 : 4;
        if (p[2] != count)
            return Fit::No;
        return whole(5 + count, crcRight(5 + count), kErrBadReply);
    }
    case Kind::Write16:
    case Kind::Write32: {
        // Write replies name the register written (and a two-register write its count): an
        // acknowledgement of another write does not pass for this one.
        const DWORD length = 8;
        const bool echo = have >= 6 && p[2] == r.bytes[2] && p[3] == r.bytes[3] &&
                          (r.kind == Kind::Write16 || (p[4] == r.bytes[4] && p[5] == r.bytes[5]));
        return whole(length, echo && crcRight(length), kErrBadReply);
    }
    default:
        return Fit::No;
    }
}

// ---- The line: what is on it and what comes from it ----------------------------------------------

namespace {

// A frame of the recorder's stream (a roll capture sends them unasked): block-shaped, with its
// header and byte sum right. Such frames are passed over, never booked.
bool StreamFrameAt(const std::vector<BYTE> &rx, bool bFinal, DWORD *pLength, bool *pMore)
{
    *pMore = false;
    const DWORD have = static_cast<DWORD>(rx.size());
    if (have < 2 || rx[1] != g_byFuncBlock) {
        *pMore = have < 2 && !bFinal;
        return false;
    }
    const DWORD headerSeen = std::min<DWORD>(have > kBlockHeaderOffset ? have - kBlockHeaderOffset : 0,
                                             sizeof kBlockHeader);
    if (std::memcmp(rx.data() + kBlockHeaderOffset, kBlockHeader, headerSeen) != 0)
        return false;
    if (have < CModbusRTU::kBlockReplyLength) {
        *pMore = !bFinal;
        return false;
    }
    const WORD sum = static_cast<WORD>(rx[CModbusRTU::kBlockReplyLength - 2] |
                                       (rx[CModbusRTU::kBlockReplyLength - 1] << 8));
    if (CModbusRTU::ByteSum(rx.data(), CModbusRTU::kBlockReplyLength - 2) != sum)
        return false;
    *pLength = CModbusRTU::kBlockReplyLength;
    return true;
}

// More than this waiting unbooked is a line gone wild: the oldest bytes go.
constexpr std::size_t kInputLimit = 8192;

}

bool CModbusRTU::Take(CSeriesPort *pPort, const Request *pOurs, BYTE *pReply, DWORD *pLength, Ending ending)
{
    if (pPort && pPort->m_bOpen) {
        BYTE buffer[512];
        for (;;) {
            const DWORD got = pPort->Read(buffer, sizeof buffer);
            if (got == 0)
                break;
            m_rx.insert(m_rx.end(), buffer, buffer + got);
            m_tLastRead = Clock::now();
            m_nSilentExchanges = 0;
        }
        if (m_rx.size() > kInputLimit) {
            m_rx.erase(m_rx.begin(), m_rx.end() - static_cast<std::ptrdiff_t>(kInputLimit));
            m_tLastHeard = Clock::now();
        }
    }
    const int baud = pPort ? pPort->m_nBaud.load() : 0;
    while (!m_rx.empty()) {
        // Nothing more of a frame begun comes once the line has been quiet this long.
        const bool final = ending == Ending::Now || !pPort || !pPort->m_bOpen ||
                           (ending == Ending::AfterQuiet &&
                            Clock::now() - m_tLastRead >= std::chrono::microseconds(QuietGapMicros(baud)));
        // The reply goes to the oldest request it fits: the drive answers in turn, so the
        // requests before that one will not be answered any more.
        std::size_t fits = m_onLine.size();
        DWORD length = 0;
        bool more = false;
        for (std::size_t k = 0; k < m_onLine.size(); ++k) {
            DWORD miss = 0;
            const Fit fit = FitReply(m_onLine[k], final, &length, &miss);
            if (miss && pOurs && Twins(m_onLine[k], *pOurs))
                m_dwMiss = miss;
            if (fit == Fit::Whole) {
                fits = k;
                break;
            }
            // An older request whose longer reply may still be coming decides first.
            if (fit == Fit::More)
                more = true;
        }
        if (more)
            return false;
        if (fits < m_onLine.size()) {
            const bool ours = pOurs && Twins(m_onLine[fits], *pOurs);
            if (ours && pReply)
                std::memcpy(pReply, m_rx.data(), length);
            if (ours && pLength)
                *pLength = length;
            m_onLine.erase(m_onLine.begin(), m_onLine.begin() + static_cast<std::ptrdiff_t>(fits) + 1);
            m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(length));
            m_tLastHeard = Clock::now();
            if (ours)
                return true;
            continue;
        }
        bool streamMore = false;
        if (StreamFrameAt(m_rx, final, &length, &streamMore)) {
            m_rx.erase(m_rx.begin(), m_rx.begin() + static_cast<std::ptrdiff_t>(length));
            continue;
        }
        if (streamMore)
            return false;
        // No frame starts here: the byte is noise, or a piece of a reply that cannot be
        // told apart any more. Whatever was to answer may still come after it.
        m_rx.erase(m_rx.begin());
        m_tLastHeard = Clock::now();
    }
    return false;
}

CModbusRTU::Clock::time_point CModbusRTU::ExpiresAt(const Request &r, int nBaud) const
{
    DWORD replyBytes = kLongestRegisterReply;
    if (r.kind == Kind::Block)
        replyBytes = kBlockReplyLength;
    else if (r.kind == Kind::Other)
        replyBytes = r.otherReplyLength;
    const auto lineTime = std::chrono::microseconds(std::uint64_t(replyBytes) * CharTimeMicros(nBaud));
    return std::max(r.sentAt, m_tLastHeard) + std::chrono::milliseconds(r.windowMs + m_dwLateAllowanceMs.load()) +
           lineTime;
}

void CModbusRTU::Expire(CSeriesPort *pPort)
{
    // Not while a frame is still coming in: it may be the answer.
    if (!m_rx.empty())
        return;
    const int baud = pPort ? pPort->m_nBaud.load() : 0;
    const auto now = Clock::now();
    while (!m_onLine.empty() && now >= ExpiresAt(m_onLine.front(), baud))
        m_onLine.pop_front();
}

CModbusRTU::Clock::time_point CModbusRTU::NextLook(CSeriesPort *pPort, Clock::time_point until) const
{
    const int baud = pPort ? pPort->m_nBaud.load() : 0;
    auto next = until;
    if (!m_rx.empty())
        next = std::min(next, m_tLastRead + std::chrono::microseconds(QuietGapMicros(baud)));
    else if (!m_onLine.empty())
        next = std::min(next, ExpiresAt(m_onLine.front(), baud));
    return next;
}

bool CModbusRTU::OnlyTwinsOf(const Request &r) const
{
    return std::all_of(m_onLine.begin(), m_onLine.end(), [&](const Request &on) { return Twins(on, r); });
}

namespace {

// Waits for input until `until` (at least a moment, so that a busy line is not spun on).
void WaitUntil(CSeriesPort *pPort, std::chrono::steady_clock::time_point until)
{
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(until - std::chrono::steady_clock::now());
    const int ms = static_cast<int>(std::max<long long>((left.count() + 999) / 1000, 1));
    if (!pPort->WaitForData(ms))
        std::this_thread::sleep_until(until);
}

}

bool CModbusRTU::AnswerIsUnmistakable(const Request &r) const
{
    const auto isWrite = [](const Request &q) { return q.kind == Kind::Write16 || q.kind == Kind::Write32; };
    if (!isWrite(r))
        return false;
    return std::none_of(m_onLine.begin(), m_onLine.end(), [&](const Request &on) {
        return isWrite(on) && on.bytes[2] == r.bytes[2] && on.bytes[3] == r.bytes[3] && !Twins(on, r);
    });
}

void CModbusRTU::Settle(CSeriesPort *pPort, const Request &r)
{
    Take(pPort, nullptr, nullptr, nullptr);
    // A drive that has been silent for two whole exchanges has nothing on its way: waiting
    // would only add to each of its time-outs. What it may still send is booked as it comes.
    // A request sent without waiting has its reply taken only when it can be no other's.
    if (OnlyTwinsOf(r) || IsDriveAbsent() || !m_bMaySettle || AnswerIsUnmistakable(r))
        return;
    // A line that never falls quiet does not hold the request back for ever: sent anyway, its
    // reply is still only taken when it is its own.
    const auto limit = Clock::now() + 2 * (std::chrono::milliseconds(m_dwLateAllowanceMs.load()) +
                                           std::chrono::milliseconds(m_dwBlockTimeoutMs.load()));
    while (pPort->m_bOpen) {
        Expire(pPort);
        if (OnlyTwinsOf(r) || Clock::now() >= limit)
            return;
        WaitUntil(pPort, NextLook(pPort, limit));
        Take(pPort, nullptr, nullptr, nullptr);
    }
}

DWORD CModbusRTU::Exchange(CSeriesPort *pPort, Request r, DWORD dwTimeoutMs, bool bSleepFrameTime,
                           BYTE *pReply, DWORD *pLength)
{
    m_dwMiss = 0;
    if (!pPort || !pPort->m_bOpen)
        return kErrShortWrite;
    r.run = SameBytes(r, m_lastSent) ? m_nRun : m_nRun + 1;
    Settle(pPort, r);
    // The drive needs the line quiet before a request; what comes meanwhile is booked here,
    // not thrown away by the port's purge.
    const auto giveUp = Clock::now() + std::chrono::milliseconds(100);
    for (;;) {
        Take(pPort, nullptr, nullptr, nullptr);
        const auto quietFrom = pPort->LastInputAt() + std::chrono::microseconds(CSeriesPort::SilenceMicros(pPort->m_nBaud));
        const auto now = Clock::now();
        if (now >= quietFrom || now >= giveUp || !pPort->m_bOpen)
            break;
        std::this_thread::sleep_until(std::min(quietFrom, giveUp));
    }
    if (pPort->Write(r.bytes, r.length) != r.length)
        return kErrShortWrite;
    r.sentAt = Clock::now();
    m_lastSent = r;
    m_nRun = r.run;
    const DWORD frameTime = bSleepFrameTime ? FrameTime(r.length, pPort->m_nBaud) : 0;
    r.windowMs = frameTime + dwTimeoutMs;
    const bool answerable = r.kind != Kind::Other || r.otherReplyLength > 0;
    if (answerable)
        m_onLine.push_back(r);
    const auto readBefore = m_tLastRead;
    if (frameTime > 0)
        pPort->Idle(frameTime);
    const auto deadline = Clock::now() + std::chrono::milliseconds(dwTimeoutMs);
    for (;;) {
        if (answerable && Take(pPort, &r, pReply, pLength, Ending::InWindow))
            return 0;
        Expire(pPort);
        if (Clock::now() >= deadline || !pPort->m_bOpen)
            break;
        // Within the window a frame begun is waited for whole.
        WaitUntil(pPort, m_rx.empty() ? NextLook(pPort, deadline) : deadline);
    }
    // The window is over: what came of a reply is judged as it stands.
    if (answerable && Take(pPort, &r, pReply, pLength, Ending::Now))
        return 0;
    const bool heard = m_tLastRead != readBefore;
    if (!heard && m_nSilentExchanges < 1000)
        ++m_nSilentExchanges;
    if (m_dwMiss)
        return m_dwMiss;
    if (r.kind == Kind::Block)
        return heard ? kErrBlockLength : kErrBlockShort;
    return kErrBadReply;
}

BOOL CModbusRTU::RegisterTransaction(Kind kind, const BYTE *pRequest, DWORD dwRequestLength, CSeriesPort *pPort,
                                     BYTE *pReply)
{
    DWORD length = 0;
    const DWORD error = Exchange(pPort, MakeRequest(kind, pRequest, dwRequestLength), m_dwRegisterTimeoutMs,
                                 true, pReply, &length);
    if (error) {
        m_dwLastError = error;
        return FALSE;
    }
    if (pReply[1] & 0x80) {
        m_dwLastError = pReply[2];
        return FALSE;
    }
    if (kind != Kind::Write16 && pReply[2] == 0x80 && pReply[3] == 0x01) {
        m_dwLastError = GetWord(pReply + 4);
        return FALSE;
    }
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
    if (!pPort || !pRequest || dwRequestLength == 0 || dwRequestLength > kLongestRequest) {
        m_dwLastError = kErrShortWrite;
        return 0;
    }
    const Kind kind = KindOfFrame(pRequest, dwRequestLength);
    BYTE reply[kReplyCapacity];
    DWORD length = 0;
    const DWORD error = Exchange(pPort, MakeRequest(kind, pRequest, dwRequestLength, std::min(dwExpected, kReplyCapacity)),
                                 dwTimeoutMs, bSleepFrameTime, reply, &length);
    if (error) {
        m_dwLastError = error;
        return 0;
    }
    const DWORD copied = pReply ? std::min(length, dwCapacity) : 0;
    if (copied)
        std::memcpy(pReply, reply, copied);
    return copied;
}

BOOL CModbusRTU::ReadRegister(WORD wAddress, CSeriesPort *pPort, BYTE byStation, int *pValue)
{
    m_dwLastError = 0;
    BYTE request[kReadRequestLength] = {};
    MakeShortRequest(request, byStation, g_byFuncRead, wAddress, 1);
    BYTE reply[kReplyCapacity];
    if (!RegisterTransaction(Kind::Read16, request, sizeof request, pPort, reply))
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
    if (!RegisterTransaction(Kind::Read32, request, sizeof request, pPort, reply))
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
    return RegisterTransaction(Kind::Write16, request, sizeof request, pPort, reply);
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
    return RegisterTransaction(Kind::Write32, request, sizeof request, pPort, reply);
}

BOOL CModbusRTU::ReadBlock(WORD wIndex, CSeriesPort *pPort, BYTE byStation, BYTE byData[128])
{
    m_dwLastError = 0;
    BYTE request[kBlockRequestLength] = {};
    request[0] = byStation;
    request[1] = g_byFuncBlock;
    request[2] = kBlockSubCode;
    request[3] = static_cast<BYTE>(wIndex & 0xFF);
    request[4] = static_cast<BYTE>(wIndex >> 8);
    request[5] = 0x40;
    AppendCrc(request, 6);
    BYTE reply[kReplyCapacity];
    DWORD length = 0;
    const DWORD error = Exchange(pPort, MakeRequest(Kind::Block, request, sizeof request), m_dwBlockTimeoutMs,
                                 false, reply, &length);
    if (error) {
        m_dwLastError = error;
        return FALSE;
    }
    if (reply[1] == kBlockErrorMark) {
        m_dwLastError = GetWord(reply + 6);
        return FALSE;
    }
    if (byData)
        std::memcpy(byData, reply + kBlockDataOffset, kBlockSize);
    return TRUE;
}
