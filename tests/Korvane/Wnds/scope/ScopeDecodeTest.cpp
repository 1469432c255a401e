// Single-shot unpacking and rotation, the roll stream's header search and frame decoding.
#include "Wnds/scope/ScopeDecode.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

CChannelInfo Source(int code, bool isSigned = false, float scale = 1.0f)
{
    CChannelInfo c;
    c.nSourceCode = code;
    c.bSigned = isSigned ? TRUE : FALSE;
    c.fScale = scale;
    return c;
}

CScopeThreadParam Param(int layout, std::initializer_list<int> codes)
{
    CScopeThreadParam p;
    p.nLayout = layout;
    int i = 0;
    for (int code : codes)
        p.arrChannel[i++] = Source(code);
    return p;
}

// Capture memory whose 16-bit word i holds i.
std::vector<BYTE> CountingWords(std::size_t bytes)
{
    std::vector<BYTE> raw(bytes);
    for (std::size_t i = 0; i < bytes / 2; ++i) {
        raw[2 * i] = static_cast<BYTE>(i & 0xFF);
        raw[2 * i + 1] = static_cast<BYTE>((i >> 8) & 0xFF);
    }
    return raw;
}

std::vector<BYTE> Frame(BYTE counter, const std::vector<BYTE> &data, BYTE station = 0xFA,
                        BYTE function = 0x2B)
{
    std::vector<BYTE> f{station, function, 0xAA, 0x0F, 0x55, 0xF0, counter};
    f.insert(f.end(), data.begin(), data.end());
    f.resize(135);
    unsigned sum = 0;
    for (BYTE b : f)
        sum += b;
    f.push_back(static_cast<BYTE>(sum & 0xFF));
    f.push_back(static_cast<BYTE>((sum >> 8) & 0xFF));
    return f;
}

struct Settings {
    Settings() : s(CScopeSettings::GetInstance()) { s->ClearSamples(); s->m_bFirstFrame = 1; }
    CScopeSettings *s;
};

}

TEST(ScopeRotation, ByRingPositions)
{
    struct Case { int P, T, first; } cases[] = {
        {10, 4, 6}, {4, 10, 1018}, {7, 7, 0}, {0, 1023, 1},
    };
    for (const auto &c : cases) {
        std::vector<std::uint16_t> v(1024);
        std::iota(v.begin(), v.end(), 0);
        EXPECT_TRUE(RotateSamples16(v.data(), 1024, c.P, c.T));
        EXPECT_EQ(v[0], c.first) << c.P << "," << c.T;
        EXPECT_EQ(v[1023], (c.first + 1023) % 1024);
    }
}

TEST(ScopeRotation, PositionsOutsideTheCaptureLeaveTheOrder)
{
    for (auto [P, T] : {std::pair{1024, 3}, {3, 1024}, {-1, 0}, {5000, 5000}}) {
        std::vector<std::uint32_t> v(1024);
        std::iota(v.begin(), v.end(), 0u);
        EXPECT_FALSE(RotateSamples32(v.data(), 1024, P, T));
        EXPECT_EQ(v[0], 0u);
        EXPECT_EQ(v[1023], 1023u);
    }
}

TEST(ScopeUnpack, SamplesPerChannelByLayout)
{
    Settings f;
    const auto raw = CountingWords(8192);
    struct Case { int layout; std::size_t ch1; } cases[] = {{0, 1024}, {3, 4096}, {4, 2048}};
    for (const auto &c : cases) {
        auto p = Param(c.layout, {0x90, 0x91, 0x92, 0x93});
        ASSERT_TRUE(UnpackSingleShot(p, raw.data(), raw.size(), 0, 0, *f.s));
        EXPECT_EQ(f.s->m_vecCh[0].size(), c.ch1) << c.layout;
    }
}

TEST(ScopeUnpack, Layout0RegionsBitWordsAndUnusedChannels)
{
    Settings f;
    const auto raw = CountingWords(8192);
    // CH2 unused, CH3 the DI word, CH4 a value.
    auto p = Param(0, {0x90, 0, 0x05, 0x90});
    ASSERT_TRUE(UnpackSingleShot(p, raw.data(), raw.size(), 10, 4, *f.s));
    ASSERT_EQ(f.s->m_vecCh[0].size(), 1024u);
    EXPECT_TRUE(f.s->m_vecCh[1].empty());
    EXPECT_TRUE(f.s->m_vecCh[2].empty());
    ASSERT_EQ(f.s->m_vecDI.size(), 1024u);
    ASSERT_EQ(f.s->m_vecCh[3].size(), 1024u);
    // Each channel's region starts at 0, 2n, 4n, 6n bytes and is rotated by 6.
    EXPECT_EQ(f.s->m_vecCh[0][0], 6.0);
    EXPECT_EQ(f.s->m_vecDI[0], 2048 + 6);
    EXPECT_EQ(f.s->m_vecCh[3][0], 3072.0 + 6);
    EXPECT_EQ(f.s->m_vecCh[3][1023], 3072.0 + 5);
}

TEST(ScopeUnpack, OneChannelLayoutsAlwaysCarryChannel1)
{
    Settings f;
    const auto raw = CountingWords(8192);
    auto p = Param(3, {0, 0, 0, 0});
    UnpackSingleShot(p, raw.data(), raw.size(), 0, 0, *f.s);
    EXPECT_EQ(f.s->m_vecCh[0].size(), 4096u);
    auto q = Param(1, {0, 0, 0, 0});
    UnpackSingleShot(q, raw.data(), raw.size(), 0, 0, *f.s);
    EXPECT_TRUE(f.s->m_vecCh[0].empty());
}

TEST(ScopeUnpack, SignedUnsignedAndScale)
{
    Settings f;
    std::vector<BYTE> raw(8192, 0xFF);
    struct Case { int layout; bool isSigned; double expected; } cases[] = {
        {3, true, -0.5}, {3, false, 32767.5}, {4, false, 4294967295.0 * 0.5}, {4, true, -0.5},
    };
    for (const auto &c : cases) {
        CScopeThreadParam p;
        p.nLayout = c.layout;
        p.arrChannel[0] = Source(0x90, c.isSigned, 0.5f);
        UnpackSingleShot(p, raw.data(), raw.size(), 0, 0, *f.s);
        ASSERT_FALSE(f.s->m_vecCh[0].empty());
        EXPECT_DOUBLE_EQ(f.s->m_vecCh[0][0], c.expected) << c.layout << c.isSigned;
    }
}

TEST(ScopeUnpack, UnplaceableRingKeepsTheSamplesAndSaysSo)
{
    Settings f;
    const auto raw = CountingWords(8192);
    auto p = Param(3, {0x90});
    EXPECT_FALSE(UnpackSingleShot(p, raw.data(), raw.size(), 4096, 0, *f.s));
    ASSERT_EQ(f.s->m_vecCh[0].size(), 4096u);
    EXPECT_EQ(f.s->m_vecCh[0][0], 0.0);
}

TEST(ScopeHeader, FindsThePatternAfterStart)
{
    const BYTE pattern[6] = {0xFA, 0x2B, 0xAA, 0x0F, 0x55, 0xF0};
    int next[6];
    BuildFrameHeaderTable(pattern, next);
    const std::vector<BYTE> text{0xFA, 0xFA, 0x2B, 0xAA, 0x0F, 0x55, 0xF0, 0x00,
                                 0xFA, 0x2B, 0xAA, 0x0F, 0x55, 0xF0};
    const int n = static_cast<int>(text.size());
    EXPECT_EQ(FindFrameHeader(text.data(), 0, n, pattern, 6, next), 1);
    EXPECT_EQ(FindFrameHeader(text.data(), 2, n, pattern, 6, next), 8);
    EXPECT_EQ(FindFrameHeader(text.data(), 9, n, pattern, 6, next), -1);
    // A pattern that repeats its own start.
    const BYTE rep[6] = {0x01, 0x01, 0x01, 0x01, 0x01, 0x02};
    BuildFrameHeaderTable(rep, next);
    const std::vector<BYTE> t2{0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x02};
    EXPECT_EQ(FindFrameHeader(t2.data(), 0, 8, rep, 6, next), 2);
}

TEST(ScopeFrame, CountsLostFramesModulo256AndSkipsBadSums)
{
    Settings f;
    auto p = Param(5, {0x90, 0x90, 0x90, 0x90});
    std::vector<BYTE> data(128, 1);
    struct Step { BYTE counter; bool corrupt; int ok; int lost; } steps[] = {
        {7, false, 1, 0},    // first of the run
        {8, false, 1, 0},
        {11, false, 1, 2},
        {255, false, 1, 243},
        {0, false, 1, 0},    // wrap
        {1, true, 0, 0},     // bad sum: announced without points
        {2, false, 1, 1},    // the bad one counted once
    };
    for (const auto &st : steps) {
        auto fr = Frame(st.counter, data);
        if (st.corrupt)
            fr[134] ^= 1;
        int lost = -1;
        f.s->m_vecCh[0].assign(3, 9.0);
        EXPECT_EQ(DecodeScopeFrame(fr.data(), p, &lost, *f.s), st.ok) << int(st.counter);
        EXPECT_EQ(lost, st.lost) << int(st.counter);
        EXPECT_EQ(f.s->m_vecCh[0].size(), st.ok ? 16u : 3u);
    }
}

TEST(ScopeFrame, SamplesPerCodeAndBitWords)
{
    Settings f;
    std::vector<BYTE> data(128);
    for (int i = 0; i < 128; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<BYTE>(i);
    auto fr = Frame(0, data);
    int lost;
    auto p5 = Param(5, {0x90, 0x90, 0x01, 0x02});
    DecodeScopeFrame(fr.data(), p5, &lost, *f.s);
    EXPECT_EQ(f.s->m_vecCh[0].size(), 16u);
    EXPECT_EQ(f.s->m_vecCh[1].size(), 16u);
    EXPECT_TRUE(f.s->m_vecCh[2].empty());
    ASSERT_EQ(f.s->m_vecDI.size(), 16u);
    ASSERT_EQ(f.s->m_vecDO.size(), 16u);
    EXPECT_EQ(f.s->m_vecDI[0], 64 | (65 << 8));
    EXPECT_EQ(f.s->m_vecDO[0], 96 | (97 << 8));
    auto p8 = Param(8, {0x90});
    DecodeScopeFrame(fr.data(), p8, &lost, *f.s);
    EXPECT_EQ(f.s->m_vecCh[0].size(), 64u);
    auto p9 = Param(9, {0x90});
    DecodeScopeFrame(fr.data(), p9, &lost, *f.s);
    ASSERT_EQ(f.s->m_vecCh[0].size(), 32u);
    EXPECT_EQ(f.s->m_vecCh[0][1], double(4 | (5 << 8) | (6 << 16) | (7u << 24)));
}

TEST(ScopeStream, GarbageSplitFramesAndHeaderlessBursts)
{
    Settings f;
    auto p = Param(8, {0x90});
    CRollStreamDecoder dec(p, *f.s, 0xFA, 0x2B);
    std::vector<std::pair<int, int>> seen;
    auto sink = [&](int ok, int lost) { seen.emplace_back(ok, lost); };
    const auto a = Frame(7, std::vector<BYTE>(128, 1));
    const auto b = Frame(8, std::vector<BYTE>(128, 2));

    std::vector<BYTE> first{0x11, 0x22, 0x33};
    first.insert(first.end(), a.begin(), a.end());
    first.insert(first.end(), b.begin(), b.begin() + 100);
    ASSERT_TRUE(dec.Feed(first.data(), first.size(), sink));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(dec.Held(), 100u);  // garbage dropped, the split frame kept
    ASSERT_TRUE(dec.Feed(b.data() + 100, 37, sink));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], std::make_pair(1, 0));
    EXPECT_EQ(f.s->m_vecCh[0][0], 2.0 + 2 * 256);

    // A long burst without any header never piles up.
    std::vector<BYTE> burst(4110, 0x00);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(dec.Feed(burst.data(), burst.size(), sink));
    EXPECT_LE(dec.Held(), 5u);
    // A header cut across two reads is still found.
    const auto c = Frame(9, std::vector<BYTE>(128, 3));
    burst.insert(burst.end(), c.begin(), c.begin() + 3);
    ASSERT_TRUE(dec.Feed(burst.data(), burst.size(), sink));
    ASSERT_TRUE(dec.Feed(c.data() + 3, c.size() - 3, sink));
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2], std::make_pair(1, 0));
}

// A frame cut short is followed at once by the next whole one: that one is decoded, never
// skipped with the cut one's 137 bytes; and the cut one spliced with the next never counts,
// even when the spliced bytes' sum matches.
TEST(ScopeStream, TruncatedAndSplicedFrames)
{
    const auto a = Frame(7, std::vector<BYTE>(128, 1));
    const auto b = Frame(8, std::vector<BYTE>(128, 2));
    const auto c = Frame(9, std::vector<BYTE>(128, 3));
    // The first 60 bytes of a, then b, with the splice's sum made to match: the 137 bytes
    // from a's header end with two bytes of b's data, set to the splice's own sum.
    std::vector<BYTE> spliceB = b;
    {
        std::vector<BYTE> splice(a.begin(), a.begin() + 60);
        splice.insert(splice.end(), b.begin(), b.begin() + 75);
        unsigned sum = 0;
        for (BYTE x : splice)
            sum += x;
        spliceB[75] = BYTE(sum & 0xFF);
        spliceB[76] = BYTE((sum >> 8) & 0xFF);
        // b stays sound: its own sum is made right again at its end.
        unsigned own = 0;
        for (std::size_t i = 0; i < 135; ++i)
            own += spliceB[i];
        spliceB[135] = BYTE(own & 0xFF);
        spliceB[136] = BYTE((own >> 8) & 0xFF);
    }
    const struct {
        const char *what;
        std::vector<std::vector<BYTE>> parts;  // fed one after the other
        std::vector<std::pair<int, int>> seen;
        double lastSample;
    } cases[] = {
        {"cut frame then whole", {{a.begin(), a.begin() + 60}, b, c}, {{0, 0}, {1, 0}, {1, 0}}, 3.0 + 3 * 256},
        {"cut frame then whole, one read",
         {[&] {
              std::vector<BYTE> all(a.begin(), a.begin() + 60);
              all.insert(all.end(), b.begin(), b.end());
              return all;
          }()},
         {{0, 0}, {1, 0}}, 2.0 + 2 * 256},
        {"spliced with a matching sum", {{a.begin(), a.begin() + 60}, spliceB, c}, {{0, 0}, {1, 0}, {1, 0}}, 3.0 + 3 * 256},
        {"cut frame, a lost one, then whole", {{a.begin(), a.begin() + 100}, c}, {{0, 0}, {1, 0}}, 3.0 + 3 * 256},
    };
    for (const auto &cs : cases) {
        SCOPED_TRACE(cs.what);
        Settings f;
        auto p = Param(8, {0x90});
        CRollStreamDecoder dec(p, *f.s, 0xFA, 0x2B);
        std::vector<std::pair<int, int>> seen;
        auto sink = [&](int ok, int lost) { seen.emplace_back(ok, lost); };
        for (const auto &part : cs.parts)
            ASSERT_TRUE(dec.Feed(part.data(), part.size(), sink));
        EXPECT_EQ(seen, cs.seen);
        ASSERT_FALSE(f.s->m_vecCh[0].empty());
        EXPECT_EQ(f.s->m_vecCh[0][0], cs.lastSample);
    }
}
