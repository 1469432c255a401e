#include "LinkTestSupport.h"
#include "support/Soak.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <numeric>

namespace {

using Call = std::function<BOOL(CModbusRTU &, CSeriesPort &)>;

constexpr BYTE kSt = 0xFA;
constexpr int kUntouched = 0x5A5A5A5A;

Call Read16(WORD address, int *out = nullptr)
{
    return [=](CModbusRTU &r, CSeriesPort &p) { return r.ReadRegister(address, &p, kSt, out); };
}

Call Read32(WORD address, BOOL lowFirst = FALSE, int *out = nullptr)
{
    return [=](CModbusRTU &r, CSeriesPort &p) {
        return r.ReadRegister32(address, &p, kSt, out, lowFirst);
    };
}

Call Write16(WORD address, WORD value)
{
    return [=](CModbusRTU &r, CSeriesPort &p) { return r.WriteRegister(value, &p, kSt, address); };
}

Call Write32(WORD address, DWORD value, BOOL lowFirst = FALSE)
{
    return [=](CModbusRTU &r, CSeriesPort &p) {
        return r.WriteRegister32(value, &p, kSt, address, lowFirst);
    };
}

Call Block(WORD index, BYTE *out = nullptr)
{
    return [=](CModbusRTU &r, CSeriesPort &p) {
        BYTE scratch[128];
        return r.ReadBlock(index, &p, kSt, out ? out : scratch);
    };
}

// Registers the calls below use.
void SeedTestRegisters(SimDrive &sim)
{
    sim.Seed({{0x0608, 0}, {0x0300, 0}, {0x0301, 0}, {0x0937, 0x1234}, {0x0938, 0x5678},
              {0x0102, 0x0102}, {0x0103, 0xFFFF}});
}

// 137-byte block reply with the given header and data, and a right or wrong sum.
Bytes BlockReply(const Bytes &header, BYTE fill, bool rightSum)
{
    Bytes reply(135, fill);
    reply[0] = kSt;
    reply[1] = 0x2B;
    std::copy(header.begin(), header.end(), reply.begin() + 2);
    reply[6] = 0;
    const unsigned sum = std::accumulate(reply.begin(), reply.end(), 0u) + (rightSum ? 0 : 1);
    reply.push_back(static_cast<BYTE>(sum & 0xFF));
    reply.push_back(static_cast<BYTE>((sum >> 8) & 0xFF));
    return reply;
}

SimDrive::Fault Raw(Bytes bytes, bool appendCrc = false)
{
    SimDrive::Fault f;
    f.kind = SimDrive::FaultKind::RawReply;
    f.raw = std::move(bytes);
    f.appendCrc = appendCrc;
    return f;
}

SimDrive::Fault Kind(SimDrive::FaultKind kind)
{
    SimDrive::Fault f;
    f.kind = kind;
    return f;
}

}

TEST(ModbusCrc, CheckValueAndFrameResidue)
{
    const std::string check = "123456789";
    EXPECT_EQ(CModbusRTU::CRC16(reinterpret_cast<const BYTE *>(check.data()), check.size()),
              0x4B37);
    EXPECT_EQ(CModbusRTU::CRC16(nullptr, 0), 0xFFFF);
    const Bytes frame = WithCrc({0xFA, 0x23, 0x91, 0x04, 0x00, 0x01});
    EXPECT_EQ(CModbusRTU::CRC16(frame.data(), frame.size()), 0);
    EXPECT_EQ(SimDrive::Crc16(frame.data(), 6),
              CModbusRTU::CRC16(frame.data(), 6));  // the drive computes it alike
}

TEST(ModbusLinkConstants, DefaultsAndReset)
{
    EXPECT_EQ(g_byDefaultStation, 0xFA);
    EXPECT_EQ(g_byFuncRead, 0x23);
    EXPECT_EQ(g_byFuncWrite, 0x26);
    EXPECT_EQ(g_byFuncWrite32, 0x20);
    EXPECT_EQ(g_byFuncBlock, 0x2B);
    g_byDefaultStation = 1;
    g_byFuncRead = 3;
    g_byFuncWrite = 6;
    g_byFuncWrite32 = 16;
    g_byFuncBlock = 0x44;
    ResetLinkConstants();
    EXPECT_EQ(g_byDefaultStation, 0xFA);
    EXPECT_EQ(g_byFuncRead, 0x23);
    EXPECT_EQ(g_byFuncWrite, 0x26);
    EXPECT_EQ(g_byFuncWrite32, 0x20);
    EXPECT_EQ(g_byFuncBlock, 0x2B);
}

TEST_F(LinkTest, RequestsGoOutAsTheDriveExpectsThem)
{
    SeedTestRegisters(sim);
    const struct {
        const char *what;
        Call call;
        Bytes request;
    } cases[] = {
        {"read 0x9104", Read16(0x9104), WithCrc({0xFA, 0x23, 0x91, 0x04, 0x00, 0x01})},
        {"read32 0x0937", Read32(0x0937), WithCrc({0xFA, 0x23, 0x09, 0x37, 0x00, 0x02})},
        {"write 0x0608", Write16(0x0608, 0x1234), WithCrc({0xFA, 0x26, 0x06, 0x08, 0x12, 0x34})},
        {"write32 high word first", Write32(0x0300, 0x12345678, FALSE),
         WithCrc({0xFA, 0x20, 0x03, 0x00, 0x00, 0x02, 0x04, 0x12, 0x34, 0x56, 0x78})},
        {"write32 low word first", Write32(0x0300, 0x12345678, TRUE),
         WithCrc({0xFA, 0x20, 0x03, 0x00, 0x00, 0x02, 0x04, 0x56, 0x78, 0x12, 0x34})},
        {"block 0x0102", Block(0x0102), WithCrc({0xFA, 0x2B, 0xAD, 0x02, 0x01, 0x40})},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.call(rtu, port);
        EXPECT_EQ(LastRequest(), c.request);
    }
}

TEST_F(LinkTest, RepliesAreDecoded)
{
    SeedTestRegisters(sim);
    const struct {
        const char *what;
        std::function<BOOL(int *)> call;
        int value;
    } cases[] = {
        {"16-bit", [&](int *v) { return rtu.ReadRegister(0x0102, &port, kSt, v); }, 0x0102},
        {"16-bit is zero-extended", [&](int *v) { return rtu.ReadRegister(0x0103, &port, kSt, v); },
         0xFFFF},
        {"32-bit high word first",
         [&](int *v) { return rtu.ReadRegister32(0x0937, &port, kSt, v, FALSE); }, 0x12345678},
        {"32-bit low word first",
         [&](int *v) { return rtu.ReadRegister32(0x0937, &port, kSt, v, TRUE); }, 0x56781234},
        {"32-bit all ones", [&](int *v) { return rtu.ReadRegister32(0x0102, &port, kSt, v, TRUE); },
         static_cast<int>(0xFFFF0102u)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        int value = kUntouched;
        EXPECT_EQ(Timely([&] {
                      value = kUntouched;
                      return c.call(&value);
                  }),
                  TRUE)
            << std::hex << rtu.m_dwLastError;
        EXPECT_EQ(value, c.value);
        EXPECT_EQ(rtu.m_dwLastError, 0u);
    }
}

TEST_F(LinkTest, WritesReachTheRegistersInTheirWordOrder)
{
    SeedTestRegisters(sim);
    EXPECT_TRUE(rtu.WriteRegister(0xBEEF, &port, kSt, 0x0608));
    EXPECT_EQ(sim.GetRegister(0x0608), 0xBEEF);

    for (WORD order : {0, 1}) {
        SCOPED_TRACE(order);
        sim.SetRegister(0x8006, order);
        EXPECT_TRUE(rtu.WriteRegister32(0x89ABCDEF, &port, kSt, 0x0300, order));
        EXPECT_EQ(sim.GetRegister32(0x0300), 0x89ABCDEFu);
        int back = 0;
        EXPECT_TRUE(rtu.ReadRegister32(0x0300, &port, kSt, &back, order));
        EXPECT_EQ(static_cast<DWORD>(back), 0x89ABCDEFu);
    }
}

TEST_F(LinkTest, BlockReadCopiesTheData)
{
    Bytes memory(4 * 128);
    for (size_t i = 0; i < memory.size(); ++i)
        memory[i] = static_cast<BYTE>(i * 7 + 3);
    sim.SetBlockMemory(memory);
    BYTE data[128] = {};
    ASSERT_TRUE(rtu.ReadBlock(2, &port, kSt, data)) << std::hex << rtu.m_dwLastError;
    EXPECT_EQ(Bytes(data, data + 128), Bytes(memory.begin() + 256, memory.begin() + 384));
}

TEST_F(LinkTest, DriveErrorRepliesGiveTheDrivesCode)
{
    SeedTestRegisters(sim);
    auto error = [](SimDrive::ErrorForm form, WORD code) {
        SimDrive::Fault f;
        f.kind = SimDrive::FaultKind::ErrorReply;
        f.form = form;
        f.errorCode = code;
        return f;
    };
    using F = SimDrive::ErrorForm;
    const struct {
        const char *what;
        SimDrive::Fault fault;
        Call call;
        DWORD code;
    } cases[] = {
        {"read, bit 7", error(F::Bit7, 0x02), Read16(0x0102), 0x02},
        {"read, 80 01", error(F::Code16, 0x1234), Read16(0x0102), 0x1234},
        {"read32, 80 01", error(F::Code16, 0x4321), Read32(0x0937), 0x4321},
        {"read32, bit 7", error(F::Bit7, 0x03), Read32(0x0937), 0x03},
        {"write, bit 7", error(F::Bit7, 0x04), Write16(0x0608, 1), 0x04},
        {"write32, 80 01", error(F::Code16, 0xBEEF), Write32(0x0300, 1), 0xBEEF},
        {"write32, bit 7", error(F::Bit7, 0x7F), Write32(0x0300, 1), 0x7F},
        {"block", error(F::Bit7, 0x0102), Block(0), 0x0102},
        {"written out: A3 02", Raw(WithCrc({0xFA, 0xA3, 0x02})), Read16(0x0102), 0x02},
        {"written out: 23 80 01 12 34", Raw(WithCrc({0xFA, 0x23, 0x80, 0x01, 0x12, 0x34})),
         Read16(0x0102), 0x1234},
        {"written out: block FB", Raw({0xFA, 0xFB, 0x2B, 0xAD, 0, 0, 0x0A, 0x0B, 0, 0}), Block(0),
         0x0A0B},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        sim.InjectFault(c.fault);
        EXPECT_FALSE(c.call(rtu, port));
        EXPECT_EQ(rtu.m_dwLastError, c.code);
    }
    // The register file's own refusals.
    int value = kUntouched;
    EXPECT_FALSE(rtu.ReadRegister(0x7777, &port, kSt, &value));
    EXPECT_EQ(rtu.m_dwLastError, SimDrive::kExUnknownRegister);
    EXPECT_EQ(value, kUntouched);
    sim.SetErrorForm(SimDrive::ErrorForm::Code16);
    EXPECT_FALSE(rtu.ReadRegister32(0x7777, &port, kSt, &value, FALSE));
    EXPECT_EQ(rtu.m_dwLastError, SimDrive::kExUnknownRegister);
    EXPECT_FALSE(rtu.ReadBlock(64, &port, kSt, nullptr));
    EXPECT_EQ(rtu.m_dwLastError, SimDrive::kExUnknownRegister);
    // Success clears the code again.
    EXPECT_TRUE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    EXPECT_EQ(rtu.m_dwLastError, 0u);
}

TEST_F(LinkTest, DamagedRepliesAreLinkFailures)
{
    SeedTestRegisters(sim);
    auto shortBy = [](int n) {
        SimDrive::Fault f = Kind(SimDrive::FaultKind::ShortReply);
        f.shortBy = n;
        return f;
    };
    const Bytes wrongHeader = {0xAA, 0x0F, 0x55, 0xF1};
    using K = SimDrive::FaultKind;
    const struct {
        const char *what;
        SimDrive::Fault fault;
        Call call;
        DWORD code;
    } cases[] = {
        {"read, bad CRC", Kind(K::BadChecksum), Read16(0x0102), CModbusRTU::kErrBadReply},
        {"read32, bad CRC", Kind(K::BadChecksum), Read32(0x0937), CModbusRTU::kErrBadReply},
        {"write, bad CRC", Kind(K::BadChecksum), Write16(0x0608, 1), CModbusRTU::kErrBadReply},
        {"read, one byte short", shortBy(1), Read16(0x0102), CModbusRTU::kErrBadReply},
        {"read32, one byte short", shortBy(1), Read32(0x0937), CModbusRTU::kErrBadReply},
        {"write32, one byte short", shortBy(1), Write32(0x0300, 1), CModbusRTU::kErrBadReply},
        {"block, wrong sum", Kind(K::BadChecksum), Block(0), CModbusRTU::kErrBlockSum},
        {"block, wrong header", Kind(K::BadHeader), Block(0), CModbusRTU::kErrBlockHeader},
        {"block, wrong sum and header", Raw(BlockReply(wrongHeader, 0x11, false)), Block(0),
         CModbusRTU::kErrBlockSum},
        {"block, wrong header, right sum", Raw(BlockReply(wrongHeader, 0x11, true)), Block(0),
         CModbusRTU::kErrBlockHeader},
        {"block, one byte short", shortBy(1), Block(0), CModbusRTU::kErrBlockLength},
        {"block, nine bytes", shortBy(137 - 9), Block(0), CModbusRTU::kErrBlockShort},
        {"block, ten bytes without FB", Raw({0xFA, 0x2B, 1, 2, 3, 4, 5, 6, 7, 8}), Block(0),
         CModbusRTU::kErrBlockLength},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;  // no wait for a settling line between the cases
        sim.InjectFault(c.fault);
        EXPECT_FALSE(c.call(fresh, port));
        EXPECT_EQ(fresh.m_dwLastError, c.code);
        EXPECT_TRUE(port.m_bOpen);
    }
}

// A reply counts only when it answers this request: its length fits the request and the kind
// of reply, and station and function code are the request's.
TEST_F(LinkTest, RepliesToOtherRequestsAreRefused)
{
    SeedTestRegisters(sim);
    const struct {
        const char *what;
        Bytes reply;
        Call call;
    } cases[] = {
        {"other station", WithCrc({0x01, 0x23, 0x02, 0x01, 0x02}), Read16(0x0102)},
        {"other function", WithCrc({0xFA, 0x26, 0x02, 0x01, 0x02}), Read16(0x0102)},
        {"even-length read reply", WithCrc({0xFA, 0x23, 0x00, 0x02, 0x01, 0x02}), Read16(0x0102)},
        {"32-bit reply to a 16-bit read", WithCrc({0xFA, 0x23, 0x04, 0x01, 0x02, 0x03, 0x04}),
         Read16(0x0102)},
        {"16-bit reply to a 32-bit read", WithCrc({0xFA, 0x23, 0x02, 0x01, 0x02}),
         Read32(0x0937)},
        {"read reply to a write", WithCrc({0xFA, 0x26, 0x02, 0x01, 0x02}), Write16(0x0608, 1)},
        {"error bit on another function", WithCrc({0xFA, 0xA6, 0x02}), Read16(0x0102)},
        {"byte count of two registers", WithCrc({0xFA, 0x23, 0x04, 0x01, 0x02}), Read16(0x0102)},
        {"write32 acknowledging another count", WithCrc({0xFA, 0x20, 0x03, 0x00, 0x00, 0x04}),
         Write32(0x0300, 1)},
        {"block from another station", [] { Bytes b = BlockReply({0xAA, 0x0F, 0x55, 0xF0}, 0x11, true); b[0] = 0x01;
                                             b.resize(135); const unsigned sum = std::accumulate(b.begin(), b.end(), 0u);
                                             b.push_back(BYTE(sum & 0xFF)); b.push_back(BYTE(sum >> 8)); return b; }(),
         Block(0)},
        {"block of another function", [] { Bytes b = BlockReply({0xAA, 0x0F, 0x55, 0xF0}, 0x11, true); b[1] = 0x23;
                                            b.resize(135); const unsigned sum = std::accumulate(b.begin(), b.end(), 0u);
                                            b.push_back(BYTE(sum & 0xFF)); b.push_back(BYTE(sum >> 8)); return b; }(),
         Block(0)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        sim.InjectFault(Raw(c.reply));
        EXPECT_FALSE(c.call(fresh, port));
        const bool block = c.reply.size() == CModbusRTU::kBlockReplyLength;
        EXPECT_EQ(fresh.m_dwLastError, block ? CModbusRTU::kErrBlockLength : CModbusRTU::kErrBadReply);
    }
}

// With nothing else on the line a whole reply is the request's, whatever noise follows it; the
// noise does not disturb the next call.
TEST_F(LinkTest, NoiseBehindAReplyLeavesTheReplyAndTheNextCall)
{
    SeedTestRegisters(sim);
    Bytes reply = WithCrc({0xFA, 0x23, 0x02, 0x01, 0x02});
    reply.push_back(0x00);
    sim.InjectFault(Raw(reply));
    int value = kUntouched;
    EXPECT_TRUE(rtu.ReadRegister(0x0102, &port, kSt, &value)) << std::hex << rtu.m_dwLastError;
    EXPECT_EQ(value, 0x0102);
    EXPECT_TRUE(rtu.ReadRegister(0x0103, &port, kSt, &value)) << std::hex << rtu.m_dwLastError;
    EXPECT_EQ(value, 0xFFFF);

    Bytes block = BlockReply({0xAA, 0x0F, 0x55, 0xF0}, 0x22, true);
    block.push_back(0x00);
    sim.InjectFault(Raw(block));
    BYTE data[128] = {};
    EXPECT_TRUE(rtu.ReadBlock(0, &port, kSt, data)) << std::hex << rtu.m_dwLastError;
    EXPECT_EQ(std::count(std::begin(data), std::end(data), BYTE(0x22)), 128);
    EXPECT_TRUE(rtu.ReadRegister(0x0102, &port, kSt, &value)) << std::hex << rtu.m_dwLastError;
}

// Replies that come in pieces are waited for as a whole, within the reply time-out.
TEST_F(LinkTest, RepliesInTwoPiecesAreWaitedFor)
{
    SeedTestRegisters(sim);
    auto split = [](int at, int gapMs) {
        SimDrive::Fault f = Kind(SimDrive::FaultKind::SplitReply);
        f.splitAt = at;
        f.gapMs = gapMs;
        return f;
    };
    int value = kUntouched;
    const struct {
        const char *what;
        SimDrive::Fault fault;
        SimDrive::ErrorForm form;
        Call call;
        BOOL ok;
        DWORD code;
        int value;
    } cases[] = {
        {"read, 3 + 4", split(3, 40), SimDrive::ErrorForm::Bit7, Read16(0x0102, &value), TRUE, 0,
         0x0102},
        {"read32, last byte late", split(8, 40), SimDrive::ErrorForm::Bit7,
         Read32(0x0937, FALSE, &value), TRUE, 0, 0x12345678},
        {"write32, 7 + 1", split(7, 40), SimDrive::ErrorForm::Bit7, Write32(0x0300, 5), TRUE, 0,
         kUntouched},
        {"80 01 error, last byte late", split(7, 40), SimDrive::ErrorForm::Code16,
         Read16(0x7777, &value), FALSE, SimDrive::kExUnknownRegister, kUntouched},
        {"bit 7 error, 2 + 3", split(2, 40), SimDrive::ErrorForm::Bit7, Read16(0x7777, &value),
         FALSE, SimDrive::kExUnknownRegister, kUntouched},
        {"block, 100 + 37", split(100, 60), SimDrive::ErrorForm::Bit7, Block(0), TRUE, 0,
         kUntouched},
        {"read, gap beyond the time-out", split(3, 250), SimDrive::ErrorForm::Bit7,
         Read16(0x0102, &value), FALSE, CModbusRTU::kErrBadReply, kUntouched},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<CModbusRTU> fresh;
        sim.SetErrorForm(c.form);
        // Only pieces meant to arrive inside the window need the drive to be on time.
        const bool timely = c.fault.gapMs < 100;
        EXPECT_EQ(Timely(
                      [&] {
                          fresh = std::make_unique<CModbusRTU>();
                          value = kUntouched;
                          sim.InjectFault(c.fault);
                          return c.call(*fresh, port);
                      },
                      timely ? 4 : 1),
                  c.ok);
        EXPECT_EQ(fresh->m_dwLastError, c.code);
        EXPECT_EQ(value, c.value);
    }
}

// The wait is bounded from below by the reply time-out and from above by ten times the whole
// window (frame time plus time-out): a wait that never ends shows, load does not make it flake.
TEST_F(LinkTest, SilentDriveFailsAfterTheReplyTimeOut)
{
    SeedTestRegisters(sim);
    const double frame8 = CSeriesPort::GetFrameTime(8, kBaud);
    const double frame13 = CSeriesPort::GetFrameTime(13, kBaud);
    const double reg = CModbusRTU::kRegisterTimeoutMs;
    const double blk = CModbusRTU::kBlockTimeoutMs;
    const struct {
        const char *what;
        Call call;
        DWORD code;
        double atLeastMs;
        double atMostMs;
    } cases[] = {
        {"read", Read16(0x0102), CModbusRTU::kErrBadReply, reg, 10 * (reg + frame8)},
        {"read32", Read32(0x0937), CModbusRTU::kErrBadReply, reg, 10 * (reg + frame8)},
        {"write", Write16(0x0608, 1), CModbusRTU::kErrBadReply, reg, 10 * (reg + frame8)},
        {"write32", Write32(0x0300, 1), CModbusRTU::kErrBadReply, reg, 10 * (reg + frame13)},
        {"block", Block(0), CModbusRTU::kErrBlockShort, blk, 10 * (blk + frame8)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        sim.InjectFault(Kind(SimDrive::FaultKind::Silence));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(c.call(fresh, port));
        const double ms = MillisSince(start);
        EXPECT_EQ(fresh.m_dwLastError, c.code);
        EXPECT_GE(ms, c.atLeastMs);
        EXPECT_LE(ms, c.atMostMs);
    }
}

// After silent exchanges the drive's first valid reply is taken when it can only answer the
// call: a retry of the same request, or a write (its reply names its register). A read of
// another register could be answering one of the silent ones: it is taken once they can no
// longer be answered. The drive-absent verdict holds until something comes.
TEST_F(LinkTest, FirstReplyAfterSilenceIsTakenWhenItCanOnlyBeOurs)
{
    SeedTestRegisters(sim);
    int value = kUntouched;
    const struct {
        const char *what;
        Call next;
        int expected;
        bool firstTaken;
    } cases[] = {
        {"same request", Read16(0x0102, &value), 0x0102, true},
        {"a write", Write16(0x0608, 3), kUntouched, true},
        {"another register", Read16(0x0103, &value), 0xFFFF, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        SimDrive::Fault silent = Kind(SimDrive::FaultKind::Silence);
        sim.InjectFault(silent);
        sim.InjectFault(silent);
        EXPECT_FALSE(fresh.ReadRegister(0x0102, &port, kSt, nullptr));
        EXPECT_FALSE(fresh.IsDriveAbsent());
        EXPECT_FALSE(fresh.ReadRegister(0x0102, &port, kSt, nullptr));
        EXPECT_TRUE(fresh.IsDriveAbsent());
        value = kUntouched;
        EXPECT_EQ(c.next(fresh, port), c.firstTaken ? TRUE : FALSE) << std::hex << fresh.m_dwLastError;
        EXPECT_FALSE(fresh.IsDriveAbsent());
        if (!c.firstTaken) {
            EXPECT_EQ(value, kUntouched);
            EXPECT_TRUE(c.next(fresh, port)) << std::hex << fresh.m_dwLastError;
        }
        EXPECT_EQ(value, c.expected);
    }
}

// A late reply to a request answers a retry of that same request; it never answers another.
TEST_F(LinkTest, LateReplyAnswersOnlyItsTwin)
{
    SeedTestRegisters(sim);
    sim.SetRegister(0x092B, 0x0001);
    int value = kUntouched;
    for (int delay : {0, 130, 180, 260}) {
        for (bool same : {true, false}) {
            SCOPED_TRACE(testing::Message() << "delay " << delay << (same ? " same" : " other"));
            std::unique_ptr<CModbusRTU> codec;
            SimDrive::Fault f = Kind(SimDrive::FaultKind::LateReply);
            f.delayMs = delay;
            // The reply is meant to come after the codec gave up. A codec thread scheduled so
            // late that it looks only after the reply came misses that ground: the case starts
            // over on a quiet line (a few times at most; a codec that takes late replies as a
            // rule fails every time).
            BOOL tookLate = TRUE;
            for (int attempt = 0; attempt < 3 && tookLate; ++attempt) {
                codec = std::make_unique<CModbusRTU>();
                sim.InjectFault(f);
                tookLate = codec->ReadRegister(0x0102, &port, kSt, nullptr);
            }
            EXPECT_FALSE(tookLate);
            CModbusRTU &fresh = *codec;
            const WORD next = same ? 0x0102 : 0x092B;
            const int right = same ? 0x0102 : 0x0001;
            // The bytes still on their way decide these reads, so they are not cleared away between
            // attempts; a loaded machine may only need more of them.
            for (int attempt = 0; attempt < 8; ++attempt) {
                value = kUntouched;
                if (fresh.ReadRegister(next, &port, kSt, &value)) {
                    EXPECT_EQ(value, right);
                    break;
                }
                EXPECT_EQ(value, kUntouched);
            }
            EXPECT_EQ(value, right);
            // Whatever was still on its way is never taken for a third request.
            bool read = false;
            for (int attempt = 0; attempt < 6 && !read; ++attempt) {
                value = kUntouched;
                read = fresh.ReadRegister(0x0937, &port, kSt, &value);
                EXPECT_EQ(value, read ? 0x1234 : kUntouched);
            }
            EXPECT_TRUE(read);
        }
    }
}

// A write's acknowledgement names its register: one for another register is refused.
TEST_F(LinkTest, WriteAcknowledgementForAnotherRegisterIsRefused)
{
    SeedTestRegisters(sim);
    const struct {
        const char *what;
        Bytes reply;
        Call call;
    } cases[] = {
        {"write", WithCrc({0xFA, 0x26, 0x03, 0x00, 0x00, 0x01}), Write16(0x0608, 1)},
        {"write32", WithCrc({0xFA, 0x20, 0x06, 0x08, 0x00, 0x02}), Write32(0x0300, 1)},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        sim.InjectFault(Raw(c.reply));
        EXPECT_FALSE(c.call(fresh, port));
        EXPECT_EQ(fresh.m_dwLastError, CModbusRTU::kErrBadReply);
    }
}

// A hand-built frame goes through the same exchange: WaitForReply returns when the expected
// bytes are there, and the reply is read as it came.
TEST_F(LinkTest, RawFrameExchange)
{
    SeedTestRegisters(sim);
    const Bytes request = WithCrc({0xFA, 0x23, 0x01, 0x02, 0x00, 0x01});
    BYTE reply[64] = {};
    const DWORD got = rtu.RawTransaction(&port, request.data(), DWORD(request.size()), reply,
                                         sizeof reply, 7, CModbusRTU::kRegisterTimeoutMs);
    ASSERT_EQ(got, 7u);
    EXPECT_EQ(CModbusRTU::CRC16(reply, 7), 0);
    EXPECT_EQ(reply[3], 0x01);
    EXPECT_EQ(reply[4], 0x02);

    sim.InjectFault(Kind(SimDrive::FaultKind::Silence));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(rtu.RawTransaction(&port, request.data(), DWORD(request.size()), reply, sizeof reply,
                                 7, CModbusRTU::kRegisterTimeoutMs),
              0u);
    EXPECT_GE(MillisSince(start), double(CModbusRTU::kRegisterTimeoutMs));
    // The retry of the same frame after the silence is answered.
    EXPECT_EQ(rtu.RawTransaction(&port, request.data(), DWORD(request.size()), reply, sizeof reply,
                                 7, CModbusRTU::kRegisterTimeoutMs),
              7u);
}

TEST_F(LinkTest, BlockErrorReplyEndsTheWaitAtOnce)
{
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(rtu.ReadBlock(64, &port, kSt, nullptr));  // beyond the recorder memory
    EXPECT_EQ(rtu.m_dwLastError, SimDrive::kExUnknownRegister);
    EXPECT_LT(MillisSince(start), 150);  // no waiting for 137 bytes that never come
}

TEST_F(LinkTest, DriveAnsweringAgainIsHeardAgain)
{
    SeedTestRegisters(sim);
    // One silent request.
    sim.InjectFault(Kind(SimDrive::FaultKind::Silence));
    int value = kUntouched;
    EXPECT_FALSE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    EXPECT_TRUE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    EXPECT_EQ(value, 0x0102);

    // A drive that stays silent for a while.
    SimDrive::Fault silent = Kind(SimDrive::FaultKind::Silence);
    silent.persistent = true;
    sim.InjectFault(silent);
    for (int i = 0; i < 4; ++i)
        EXPECT_FALSE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    sim.ClearFaults();
    bool heard = false;
    for (int i = 0; i < 2 && !heard; ++i)
        heard = rtu.ReadRegister(0x0103, &port, kSt, &value);
    EXPECT_TRUE(heard);
    EXPECT_EQ(value, 0xFFFF);
}

// A reply that comes after the time-out is never taken for the answer to a later request.
TEST_F(LinkTest, LateReplyIsNotTakenForTheNextAnswer)
{
    SeedTestRegisters(sim);
    sim.SetRegister(0x9104, 0x0101);
    sim.SetRegister(0x092B, 0x0001);
    Bytes memory(2 * 128);
    std::fill(memory.begin(), memory.begin() + 128, 0x11);
    std::fill(memory.begin() + 128, memory.end(), 0x22);
    sim.SetBlockMemory(memory);

    auto late = [](int delayMs) {
        SimDrive::Fault f = Kind(SimDrive::FaultKind::LateReply);
        f.delayMs = delayMs;  // 0: just after the time-out
        return f;
    };
    int value = kUntouched;
    BYTE block[128] = {};
    const struct {
        const char *what;
        SimDrive::Fault fault;
        Call first;
        Call second;
        std::function<bool()> secondRight;  // after a successful second call
    } cases[] = {
        {"read after read", late(0), Read16(0x9104, &value), Read16(0x092B, &value),
         [&] { return value == 0x0001; }},
        {"read after read, later still", late(260), Read16(0x9104, &value),
         Read16(0x092B, &value), [&] { return value == 0x0001; }},
        {"read after read32", late(0), Read32(0x0937, FALSE, &value), Read16(0x092B, &value),
         [&] { return value == 0x0001; }},
        {"read32 after read32", late(0), Read32(0x0937, FALSE, &value),
         Read32(0x0102, FALSE, &value), [&] { return value == static_cast<int>(0x0102FFFFu); }},
        {"read after write", late(0), Write16(0x0608, 7), Read16(0x092B, &value),
         [&] { return value == 0x0001; }},
        {"block after block", late(0), Block(0, block), Block(1, block),
         [&] { return block[0] == 0x22 && block[127] == 0x22; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        sim.InjectFault(c.fault);
        value = kUntouched;
        EXPECT_FALSE(c.first(fresh, port));
        value = kUntouched;
        std::fill(std::begin(block), std::end(block), 0);
        if (c.second(fresh, port)) {
            EXPECT_TRUE(c.secondRight()) << std::hex << value;
        }
        // Once the line has settled, calls succeed again.
        EXPECT_TRUE(c.second(fresh, port)) << std::hex << fresh.m_dwLastError;
        EXPECT_TRUE(c.secondRight());
    }
}

TEST_F(LinkTest, DriveThatAlwaysAnswersLateIsNeverBelieved)
{
    SeedTestRegisters(sim);
    SimDrive::Fault late = Kind(SimDrive::FaultKind::LateReply);
    late.persistent = true;
    sim.InjectFault(late);
    const WORD addresses[] = {0x9104, 0x092B, 0x0102, 0x0103, 0x9104, 0x0102};
    for (WORD a : addresses) {
        int value = kUntouched;
        EXPECT_FALSE(rtu.ReadRegister(a, &port, kSt, &value)) << std::hex << a << " " << value;
        EXPECT_EQ(value, kUntouched);
    }
}

TEST_F(LinkTest, VanishedDeviceFailsTheCallAndClosesThePort)
{
    SeedTestRegisters(sim);
    LogCapture log;
    sim.InjectFault(Kind(SimDrive::FaultKind::DeviceGone));
    int value = kUntouched;
    EXPECT_FALSE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrBadReply);
    EXPECT_FALSE(port.m_bOpen);
    EXPECT_TRUE(log.Contains("串口拒绝访问 标志位设置为关闭"));

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrShortWrite);
    EXPECT_FALSE(rtu.ReadBlock(0, &port, kSt, nullptr));
    EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrShortWrite);
    EXPECT_LT(MillisSince(start), 500);  // nothing is sent, so nothing is waited for
    EXPECT_EQ(value, kUntouched);
}

// The drive that vanished mid-exchange comes back on a fresh line when started again.
TEST_F(LinkTest, VanishedDriveServesAgainWhenRestarted)
{
    SeedTestRegisters(sim);
    sim.InjectFault(Kind(SimDrive::FaultKind::DeviceGone));
    int value = kUntouched;
    EXPECT_FALSE(rtu.ReadRegister(0x0102, &port, kSt, &value));
    ASSERT_FALSE(port.m_bOpen);
    ASSERT_FALSE(sim.IsRunning());

    ASSERT_TRUE(sim.Start());
    ASSERT_TRUE(port.Open(sim.SlavePath(), kBaud, 0, 2)) << port.m_dwLastError;
    EXPECT_TRUE(rtu.ReadRegister(0x0102, &port, kSt, &value)) << std::hex << rtu.m_dwLastError;
    EXPECT_EQ(value, int(sim.GetRegister(0x0102)));
}

TEST(ModbusWithoutPort, CallsFailAsUnsent)
{
    CModbusRTU rtu;
    CSeriesPort closed;
    int value = kUntouched;
    BYTE data[128];
    const struct {
        const char *what;
        std::function<BOOL(CSeriesPort *)> call;
    } cases[] = {
        {"read", [&](CSeriesPort *p) { return rtu.ReadRegister(1, p, kSt, &value); }},
        {"read32", [&](CSeriesPort *p) { return rtu.ReadRegister32(1, p, kSt, &value, 0); }},
        {"write", [&](CSeriesPort *p) { return rtu.WriteRegister(1, p, kSt, 1); }},
        {"write32", [&](CSeriesPort *p) { return rtu.WriteRegister32(1, p, kSt, 1, 0); }},
        {"block", [&](CSeriesPort *p) { return rtu.ReadBlock(1, p, kSt, data); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.call(nullptr));
        EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrShortWrite);
        EXPECT_FALSE(c.call(&closed));
        EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrShortWrite);
    }
    EXPECT_EQ(value, kUntouched);
}

TEST_F(LinkTest, DriveAnswersOnlyAtItsStation)
{
    sim.SetStation(0x01);
    int value = kUntouched;
    EXPECT_FALSE(rtu.ReadRegister(0x9104, &port, kSt, &value));
    EXPECT_EQ(rtu.m_dwLastError, CModbusRTU::kErrBadReply);
    CModbusRTU fresh;
    EXPECT_TRUE(fresh.ReadRegister(0x9104, &port, 0x01, &value));
    EXPECT_EQ(value, 0x0101);
    EXPECT_EQ(LastRequest(), WithCrc({0x01, 0x23, 0x91, 0x04, 0x00, 0x01}));
}

// Late answers of every lateness, over a long run of reads of different registers with the
// retries callers make: no read ever returns a value the drive did not hold for its register.
// With a short reply time-out a late answer comes after several further requests have gone
// out unanswered, each of which a retry might take it for. The everyday run meets every other
// lateness with each time-out (the two between them meet each one), the soak every lateness
// many times.
void CheckLateReplies(SimDrive &sim, CSeriesPort &port, DWORD timeoutMs, int reads, std::size_t firstDelay)
{
    constexpr WORD kFirst = 0x0200;
    constexpr int kRegisters = 40;
    for (int i = 0; i < kRegisters; ++i)
        sim.SetRegister(WORD(kFirst + i), WORD(0x1000 + 0x37 * i));
    Bytes memory(4 * 128);
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = BYTE(i / 128 + 1);
    sim.SetBlockMemory(memory);

    // 0: just past the time-out; the rest: milliseconds after the request.
    const int delays[] = {0, 0, 30, 90, 110, 130, 160, 190, 210, 240, 270, 300};
    const std::size_t step = std::size_t(SoakCount(2, 1));
    CModbusRTU link;
    link.SetReplyTimeouts(timeoutMs, 2 * timeoutMs);
    int wrong = 0;
    int accepted = 0;
    std::size_t nextDelay = firstDelay;
    for (int n = 0; n < reads; ++n) {
        const bool block = n % 10 == 9;
        if (n % 14 == 0) {
            SimDrive::Fault f = Kind(SimDrive::FaultKind::LateReply);
            f.delayMs = delays[nextDelay % std::size(delays)];
            nextDelay += step;
            sim.InjectFault(f);
        }
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (block) {
                const WORD index = WORD((n / 10) % 4);
                BYTE data[128] = {};
                if (link.ReadBlock(index, &port, kSt, data)) {
                    ++accepted;
                    if (std::count(std::begin(data), std::end(data), BYTE(index + 1)) != 128) {
                        ++wrong;
                        ADD_FAILURE() << "read " << n << ": block " << index << " gave " << int(data[0]);
                    }
                    break;
                }
                continue;
            }
            const int r = (n * 7) % kRegisters;
            int value = kUntouched;
            if (link.ReadRegister(WORD(kFirst + r), &port, kSt, &value)) {
                ++accepted;
                if (value != 0x1000 + 0x37 * r) {
                    ++wrong;
                    ADD_FAILURE() << "read " << n << ": register " << std::hex << kFirst + r
                                  << " gave " << value;
                }
                break;
            }
        }
    }
    EXPECT_EQ(wrong, 0);
    // The link recovers after each late answer: most reads succeed in the end (with the
    // short time-out a late answer outlasts all three tries of a read or two).
    EXPECT_GT(accepted, reads * 3 / 4);
}

TEST_F(LinkTest, LateRepliesNeverGiveAnotherRegistersValue)
{
    CheckLateReplies(sim, port, 20, SoakCount(84, 1000), 1);
}

TEST_F(LinkTest, LateRepliesNeverGiveAnotherRegistersValueAtTheUsualTimeOut)
{
    CheckLateReplies(sim, port, CModbusRTU::kRegisterTimeoutMs, SoakCount(84, 300), 0);
}

// A drive that drops the next request while it still answers the earlier one late: nothing
// follows the late answer, and only asking again shows that it belongs to another request.
TEST_F(LinkTest, LateAnswerToAnotherRequestIsNotTakenWhenNothingFollows)
{
    SeedTestRegisters(sim);
    sim.SetRegister(0x9104, 0x0101);
    sim.SetRegister(0x092B, 0x0001);
    Bytes memory(2 * 128);
    std::fill(memory.begin(), memory.begin() + 128, 0x11);
    std::fill(memory.begin() + 128, memory.end(), 0x22);
    sim.SetBlockMemory(memory);
    auto fault = [](SimDrive::FaultKind kind, int function, int address, int delayMs = 0) {
        SimDrive::Fault f = Kind(kind);
        f.function = function;
        f.address = address;
        f.delayMs = delayMs;
        return f;
    };
    int value = kUntouched;
    BYTE block[128] = {};
    const struct {
        const char *what;
        SimDrive::Fault late;     // answers the first call after the settle time
        SimDrive::Fault dropped;  // the second call's first request goes unanswered
        Call first;
        Call second;
        std::function<bool()> secondRight;
    } cases[] = {
        {"read", fault(SimDrive::FaultKind::LateReply, 0x23, 0x9104, 260),
         fault(SimDrive::FaultKind::Silence, 0x23, 0x092B), Read16(0x9104, &value),
         Read16(0x092B, &value), [&] { return value == 0x0001; }},
        {"read32", fault(SimDrive::FaultKind::LateReply, 0x23, 0x0937, 260),
         fault(SimDrive::FaultKind::Silence, 0x23, 0x0102), Read32(0x0937, FALSE, &value),
         Read32(0x0102, FALSE, &value), [&] { return value == static_cast<int>(0x0102FFFFu); }},
        {"block", fault(SimDrive::FaultKind::LateReply, 0x2B, -1, 460),
         fault(SimDrive::FaultKind::Silence, 0x2B, -1), Block(0, block), Block(1, block),
         [&] { return block[0] == 0x22 && block[127] == 0x22; }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        CModbusRTU fresh;
        sim.InjectFault(c.late);
        sim.InjectFault(c.dropped);
        EXPECT_FALSE(c.first(fresh, port));
        value = kUntouched;
        std::fill(std::begin(block), std::end(block), 0);
        if (c.second(fresh, port)) {
            EXPECT_TRUE(c.secondRight()) << std::hex << value << " " << int(block[0]);
        }
        EXPECT_TRUE(c.second(fresh, port)) << std::hex << fresh.m_dwLastError;
        EXPECT_TRUE(c.secondRight());
        sim.ClearFaults();
    }
}

// A request never follows the previous reply's last byte by less than 3.5 characters, or a
// drive on a real line would read both as one frame; whether the drive answers at once (the
// reply arrives while the codec lets the frame time pass) or late (it arrives while the codec
// waits for it).
TEST_F(LinkTest, RequestsKeepTheFrameGapAfterEachReply)
{
    SeedTestRegisters(sim);
    const struct {
        int baud;
        int answerAfterMs;  // 0: at once
    } cases[] = {{9600, 0}, {9600, 20}, {57600, 0}, {57600, 20}, {115200, 0}, {115200, 20}};
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.baud << " baud, answer after " << c.answerAfterMs << " ms");
        port.Close();
        sim.SetBaud(c.baud);
        ASSERT_TRUE(port.Open(sim.SlavePath(), c.baud, 0, 2));
        sim.ClearFaults();
        if (c.answerAfterMs > 0) {
            SimDrive::Fault late = Kind(SimDrive::FaultKind::LateReply);
            late.delayMs = c.answerAfterMs;
            late.persistent = true;
            sim.InjectFault(late);
        }
        CModbusRTU codec;
        sim.ClearRequests();
        const Call calls[] = {Read16(0x0608), Write16(0x0300, 7), Read32(0x0937), Write32(0x0300, 0x10002),
                              Read16(0x0102), Read16(0x0103), Write16(0x0301, 1), Read16(0x0608)};
        // Two rounds at least, so that the last call is followed by the first too.
        const int rounds = SoakCount(2, 3);
        for (int round = 0; round < rounds; ++round)
            for (const Call &call : calls)
                ASSERT_TRUE(Timely([&] { return call(codec, port); }));
        BYTE scratch[128];
        if (c.baud > 9600) {  // 137 bytes at 9,600 baud outlast the block time-out when late
            ASSERT_TRUE(Timely([&] { return codec.ReadBlock(0, &port, kSt, scratch); }));
        }
        ASSERT_TRUE(Timely([&] { return codec.ReadRegister(0x0608, &port, kSt, nullptr); }));
        const auto requests = sim.Requests();
        ASSERT_GE(requests.size(), rounds * std::size(calls) + 1);
        const double charMicros = 11e6 / c.baud;
        const auto gap = SimDrive::ShortestReplyGap(requests);
        EXPECT_GE(double(gap.count()), 3.5 * charMicros) << "shortest gap " << gap.count() << " us";
    }
}

namespace {

// Registers of the campaigns below: every one holds a value no other one holds, 32-bit pairs
// included, so that a value taken from another register's reply shows.
constexpr WORD kCampaignFirst = 0x0400;
constexpr int kCampaignRegisters = 24;

int CampaignValue(int i)
{
    return 0x1000 + 0x101 * i;
}

void SeedCampaign(SimDrive &sim)
{
    for (int i = 0; i < kCampaignRegisters + 1; ++i)
        sim.SetRegister(WORD(kCampaignFirst + i), WORD(CampaignValue(i)));
}

struct CampaignCount {
    int calls = 0;
    int taken = 0;
    int wrong = 0;
};

// Reads the campaign's registers in turn, every third one 32 bits wide, each with up to
// `tries` calls as callers make them; counts the values taken and those that are not the
// register's own.
CampaignCount ReadCampaign(CModbusRTU &link, CSeriesPort &port, int reads, int tries, int start = 0)
{
    CampaignCount count;
    for (int n = start; n < start + reads; ++n) {
        const int r = (n * 7) % kCampaignRegisters;
        const bool wide = n % 3 == 2;
        for (int attempt = 0; attempt < tries; ++attempt) {
            ++count.calls;
            int value = kUntouched;
            const BOOL ok = wide ? link.ReadRegister32(WORD(kCampaignFirst + r), &port, kSt, &value, FALSE)
                                 : link.ReadRegister(WORD(kCampaignFirst + r), &port, kSt, &value);
            if (!ok) {
                if (value != kUntouched) {
                    ++count.wrong;
                    ADD_FAILURE() << "failed read " << n << " wrote " << std::hex << value;
                }
                continue;
            }
            ++count.taken;
            const int right = wide ? (CampaignValue(r) << 16) | CampaignValue(r + 1) : CampaignValue(r);
            if (value != right) {
                ++count.wrong;
                ADD_FAILURE() << "read " << n << ": register " << std::hex << kCampaignFirst + r << " gave "
                              << value << " for " << right;
            }
            break;
        }
    }
    return count;
}

}

// Every kind of fault the line shows, met again and again in a run of reads of different
// registers at the codec's own reply windows: a read that fails fails, none ever returns a value
// its register does not hold.
TEST_F(LinkTest, NoFaultOfTheLineGivesAnotherRegistersValue)
{
    SeedCampaign(sim);
    using K = SimDrive::FaultKind;
    const struct {
        const char *what;
        K kind;
        int delayMs;  // late: after the request; 0 just past the window
    } kinds[] = {
        {"late, just past the window", K::LateReply, 0},  {"late by 180 ms", K::LateReply, 180},
        {"late by 290 ms", K::LateReply, 290},            {"silent", K::Silence, 0},
        {"bad CRC", K::BadChecksum, 0},                   {"wrong byte count", K::WrongByteCount, 0},
        {"wrong station", K::WrongStation, 0},            {"wrong function", K::WrongFunction, 0},
        {"garbage", K::Garbage, 0},
    };
    const int reads = SoakCount(12, 120);
    for (const auto &k : kinds) {
        SCOPED_TRACE(k.what);
        CModbusRTU link;
        int injected = 0;
        CampaignCount total;
        for (int n = 0; n < reads; n += 3) {
            SimDrive::Fault f = Kind(k.kind);
            f.delayMs = k.delayMs;
            sim.InjectFault(f);
            ++injected;
            const CampaignCount c = ReadCampaign(link, port, 3, 3, n);
            total.taken += c.taken;
            total.wrong += c.wrong;
        }
        EXPECT_EQ(total.wrong, 0);
        // The line comes back after each fault: most reads end well within their tries.
        EXPECT_GE(total.taken, reads * 2 / 3);
        sim.ClearFaults();
    }
}

// Block replies from another station or of another function, damaged or noise are refused;
// the block asked for is read once they are over.
TEST_F(LinkTest, BlockRepliesOfTheWrongKindAreRefused)
{
    Bytes memory(4 * 128);
    for (std::size_t i = 0; i < memory.size(); ++i)
        memory[i] = BYTE(i / 128 + 1);
    sim.SetBlockMemory(memory);
    using K = SimDrive::FaultKind;
    for (K kind : {K::WrongStation, K::WrongFunction, K::Garbage, K::BadChecksum, K::Silence}) {
        SCOPED_TRACE(int(kind));
        CModbusRTU link;
        sim.InjectFault(Kind(kind));
        BYTE data[128] = {};
        EXPECT_FALSE(link.ReadBlock(2, &port, kSt, data));
        EXPECT_EQ(data[0], 0);
        bool read = false;
        for (int attempt = 0; attempt < 3 && !read; ++attempt)
            read = link.ReadBlock(3, &port, kSt, data);
        EXPECT_TRUE(read) << std::hex << link.m_dwLastError;
        EXPECT_EQ(std::count(std::begin(data), std::end(data), BYTE(4)), 128);
    }
}

// A drive late on every request, by anything from nothing to 300 ms and now and then just past
// the window, answering requests one at a time in the order they came: at the codec's own reply
// windows not one value read is another register's.
TEST_F(LinkTest, DriveLateOnEveryRequestNeverGivesAnotherRegistersValue)
{
    SeedCampaign(sim);
    SimDrive::LateAnswers late;
    late.maxMs = 300;
    late.pastWindowEvery = 5;
    late.seed = 52;
    sim.SetLateAnswers(late);
    CModbusRTU link;
    const int reads = SoakCount(40, 600);
    const CampaignCount count = ReadCampaign(link, port, reads, 3);
    sim.SetLateAnswers({});
    EXPECT_EQ(count.wrong, 0);
    EXPECT_GT(count.taken, 0);
    std::fprintf(stderr, "late drive: %d reads, %d calls, %d values taken\n", reads, count.calls, count.taken);
}

// A register whose value changes on every read (a speed, a position), read again and again after
// one glitch of each kind: every read after the glitch succeeds with a value the drive gave
// after the one before; the same register alone, and in turn with two others as a monitor reads
// them.
TEST_F(LinkTest, ChangingValuesAreReadAfterAGlitch)
{
    constexpr WORD kMoving[] = {0x0900, 0x0901, 0x0902};
    std::map<WORD, int> served;
    std::mutex mx;
    for (WORD a : kMoving) {
        sim.SetReadHook(a, [&, a](std::uint16_t) {
            std::lock_guard lock(mx);
            return SimDrive::Access{static_cast<std::uint16_t>(++served[a] + 0x100 * (a & 0xF)), 0};
        });
    }
    using K = SimDrive::FaultKind;
    const int reads = SoakCount(20, 200);
    for (int registers : {1, 3}) {
        for (K kind : {K::Silence, K::BadChecksum, K::LateReply, K::Garbage}) {
            SCOPED_TRACE(testing::Message() << registers << " registers, fault " << int(kind));
            CModbusRTU link;
            std::map<WORD, int> last;
            sim.InjectFault(Kind(kind));
            link.ReadRegister(kMoving[0], &port, kSt, nullptr);  // the glitch
            for (int n = 0; n < reads; ++n) {
                const WORD a = kMoving[n % registers];
                int before;
                {
                    std::lock_guard lock(mx);
                    before = served[a];
                }
                int value = kUntouched;
                ASSERT_TRUE(Timely([&] { return link.ReadRegister(a, &port, kSt, &value); }))
                    << "read " << n << " " << std::hex << link.m_dwLastError;
                const int count = value - 0x100 * (a & 0xF);
                // Given after the call began, or the last one given before it: never one older.
                EXPECT_GE(count, before) << "read " << n;
                EXPECT_GT(count, last[a]) << "read " << n;
                last[a] = count;
            }
        }
    }
}

// After a request that went unanswered, a different request waits for the line to settle,
// except a write to another register (its acknowledgement names its register: an emergency
// stop goes out at once) and a call that may not wait (the GUI thread's), whose reply is then
// taken only when it can be no other's.
TEST_F(LinkTest, WritesAndCallsThatMayNotWaitGoOutWithoutSettling)
{
    SeedTestRegisters(sim);
    const auto gapAfterSilence = [&](const Call &next, CModbusRTU &link) {
        sim.ClearRequests();
        sim.InjectFault(Kind(SimDrive::FaultKind::Silence));
        EXPECT_FALSE(link.ReadRegister(0x0102, &port, kSt, nullptr));
        next(link, port);
        const auto requests = sim.Requests();
        EXPECT_EQ(requests.size(), 2u);
        return requests.size() < 2 ? std::chrono::milliseconds::max()
                                   : std::chrono::duration_cast<std::chrono::milliseconds>(requests[1].at - requests[0].at);
    };
    const auto window = std::chrono::milliseconds(CModbusRTU::kRegisterTimeoutMs + CSeriesPort::GetFrameTime(8, kBaud));
    const auto settled = window + std::chrono::milliseconds(CModbusRTU::kLateAllowanceMs);
    {
        CModbusRTU link;
        EXPECT_GE(gapAfterSilence(Read16(0x0103), link), settled) << "a read waits";
    }
    {
        CModbusRTU link;
        EXPECT_LT(gapAfterSilence(Write16(0x0608, 5), link), settled) << "a write goes at once";
        EXPECT_EQ(sim.GetRegister(0x0608), 5);
    }
    {
        CModbusRTU link;
        link.SetMaySettle(false);
        int value = kUntouched;
        EXPECT_LT(gapAfterSilence(Read16(0x0103, &value), link), settled) << "a call that may not wait";
        EXPECT_TRUE(value == kUntouched || value == 0xFFFF) << std::hex << value;
    }
}
