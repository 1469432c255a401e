#include "Wnds/scope/ScopeDecode.h"

#include <algorithm>
#include <cstring>

namespace {

struct Region {
    int channel;     // 0..3
    int width;       // 16 or 32
    int offsetInN;   // byte offset in units of n (samples per channel)
};

// Where each channel lies, for a layout 0..4; the same shape serves the single shot (n
// samples) and a roll frame (n = 128 / bytes per sample row).
std::vector<Region> RegionsOf(int layout)
{
    switch (layout) {
    case 0: return {{0, 16, 0}, {1, 16, 2}, {2, 16, 4}, {3, 16, 6}};
    case 1: return {{0, 32, 0}, {2, 16, 4}, {3, 16, 6}};
    case 2: return {{0, 32, 0}, {2, 32, 4}};
    case 3: return {{0, 16, 0}};
    case 4: return {{0, 32, 0}};
    default: return {};
    }
}

std::uint32_t Le16(const BYTE *p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }

std::uint32_t Le32(const BYTE *p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

double Physical(std::uint32_t raw, int width, const CChannelInfo &info)
{
    double value;
    if (width == 16)
        value = info.bSigned ? static_cast<double>(static_cast<std::int16_t>(raw))
                             : static_cast<double>(raw & 0xFFFF);
    else
        value = info.bSigned ? static_cast<double>(static_cast<std::int32_t>(raw))
                             : static_cast<double>(raw);
    return value * static_cast<double>(info.fScale);
}

// Hands the raw samples of one channel to its buffer by the channel's rules.
void Deliver(const std::vector<std::uint32_t> &raw, const Region &r,
             const CScopeThreadParam &param, CScopeSettings &settings)
{
    const CChannelInfo &info = param.arrChannel[r.channel];
    const bool bitWord = r.channel >= 2 && info.nSourceCode >= 1 &&
                         info.nSourceCode < kScopeFirstValueSource;
    if (bitWord) {
        auto &out = r.channel == 2 ? settings.m_vecDI : settings.m_vecDO;
        for (std::uint32_t v : raw)
            out.push_back(static_cast<std::int32_t>(r.width == 16 ? (v & 0xFFFF) : v));
        return;
    }
    if (r.channel >= 2 && info.nSourceCode < kScopeFirstValueSource)
        return;
    auto &out = settings.m_vecCh[r.channel];
    for (std::uint32_t v : raw)
        out.push_back(Physical(v, r.width, info));
}

bool InUse(int layout, const Region &r, const CScopeThreadParam &param)
{
    // The one-channel layouts always carry CH1.
    if (layout >= 3)
        return true;
    return param.arrChannel[r.channel].nSourceCode != 0;
}

}

int ScopeSingleSamplesPerChannel(int layout, std::size_t bytes)
{
    switch (layout) {
    case 0: case 1: case 2: return static_cast<int>(bytes / 8);
    case 3: return static_cast<int>(bytes / 2);
    case 4: return static_cast<int>(bytes / 4);
    default: return 0;
    }
}

int ScopeRotation(int n, int P, int T)
{
    if (P < 0 || T < 0 || P >= n || T >= n)
        return -1;
    if (P == T)
        return 0;
    return P > T ? P - T : n - T + P;
}

template <typename Word>
static bool RotateSamples(Word *samples, int n, int P, int T)
{
    const int k = ScopeRotation(n, P, T);
    if (k < 0)
        return false;
    if (k > 0)
        std::rotate(samples, samples + k, samples + n);
    return true;
}

bool RotateSamples16(std::uint16_t *samples, int n, int P, int T)
{
    return RotateSamples(samples, n, P, T);
}

bool RotateSamples32(std::uint32_t *samples, int n, int P, int T)
{
    return RotateSamples(samples, n, P, T);
}

bool UnpackSingleShot(const CScopeThreadParam &param, const BYTE *raw, std::size_t bytes, int P,
                      int T, CScopeSettings &settings)
{
    settings.ClearSamples();
    const int layout = param.nLayout;
    const int n = ScopeSingleSamplesPerChannel(layout, bytes);
    bool placed = true;
    for (const Region &r : RegionsOf(layout)) {
        if (!InUse(layout, r, param))
            continue;
        const BYTE *from = raw + static_cast<std::size_t>(r.offsetInN) * n;
        std::vector<std::uint32_t> samples(static_cast<std::size_t>(n));
        if (r.width == 16) {
            std::vector<std::uint16_t> words(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                words[i] = static_cast<std::uint16_t>(Le16(from + 2 * i));
            placed = RotateSamples16(words.data(), n, P, T) && placed;
            std::copy(words.begin(), words.end(), samples.begin());
        } else {
            for (int i = 0; i < n; ++i)
                samples[i] = Le32(from + 4 * i);
            placed = RotateSamples32(samples.data(), n, P, T) && placed;
        }
        Deliver(samples, r, param, settings);
    }
    return placed;
}

void UnpackRollFrame(const CScopeThreadParam &param, const BYTE *data, CScopeSettings &settings)
{
    const int layout = param.nLayout - kScopeRollLayoutOffset;
    const int n = ScopeRollSamplesPerFrame(layout);
    for (const Region &r : RegionsOf(layout)) {
        if (!InUse(layout, r, param))
            continue;
        const BYTE *from = data + static_cast<std::size_t>(r.offsetInN) * n;
        std::vector<std::uint32_t> samples(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i)
            samples[i] = r.width == 16 ? Le16(from + 2 * i) : Le32(from + 4 * i);
        Deliver(samples, r, param, settings);
    }
}

void BuildFrameHeaderTable(const BYTE *pattern, int *next)
{
    int i = 0;
    int j = -1;
    next[0] = -1;
    while (i < 5) {
        if (j == -1 || pattern[i] == pattern[j]) {
            ++i;
            ++j;
            next[i] = pattern[i] != pattern[j] ? j : next[j];
        } else {
            j = next[j];
        }
    }
}

int FindFrameHeader(const BYTE *text, int start, int length, const BYTE *pattern, int patternLength,
                    const int *next)
{
    int i = start;
    int j = 0;
    while (i < length && j < patternLength) {
        if (j == -1 || text[i] == pattern[j]) {
            ++i;
            ++j;
        } else {
            j = next[j];
        }
    }
    return j == patternLength ? i - j : -1;
}

int DecodeScopeFrame(const BYTE *frame, const CScopeThreadParam &param, int *lost,
                     CScopeSettings &settings)
{
    *lost = 0;
    unsigned sum = 0;
    for (std::size_t i = 0; i < kScopeFrameBytes - 2; ++i)
        sum += frame[i];
    if ((sum & 0xFFFF) != Le16(frame + kScopeFrameBytes - 2))
        return 0;
    const int counter = frame[6];
    if (settings.m_bFirstFrame)
        settings.m_bFirstFrame = 0;
    else
        *lost = (counter - settings.m_nLastFrameCounter - 1 + 256) % 256;
    settings.m_nLastFrameCounter = counter;
    settings.ClearSamples();
    UnpackRollFrame(param, frame + kScopeFrameDataOffset, settings);
    return 1;
}

namespace {

constexpr std::size_t kFrameCounterOffset = 6;

bool HasFrameSum(const BYTE *frame)
{
    unsigned sum = 0;
    for (std::size_t i = 0; i < kScopeFrameBytes - 2; ++i)
        sum += frame[i];
    return (sum & 0xFFFF) == Le16(frame + kScopeFrameBytes - 2);
}

// The drive numbers its frames: the frame found inside another is the next one after it (or
// the same one sent again whole) when the first was cut short.
bool ContinuesCounter(const BYTE *outer, const BYTE *inner)
{
    const int gap = (inner[kFrameCounterOffset] - outer[kFrameCounterOffset] + 256) % 256;
    return gap <= 1;
}

}

CRollStreamDecoder::CRollStreamDecoder(const CScopeThreadParam &param, CScopeSettings &settings,
                                       BYTE station, BYTE blockFunction)
    : m_param(param), m_settings(settings)
{
    settings.m_bFirstFrame = 1;
    settings.m_byFrameHeader[0] = station;
    settings.m_byFrameHeader[1] = blockFunction;
    BuildFrameHeaderTable(settings.m_byFrameHeader, settings.m_nKmpNext);
}

bool CRollStreamDecoder::Feed(const BYTE *bytes, std::size_t count, const FrameSink &sink)
{
    if (count > kScopeRollAccumulate - m_acc)
        return false;
    std::memcpy(m_buffer + m_acc, bytes, count);
    m_acc += count;

    const int acc = static_cast<int>(m_acc);
    int s = 0;
    int keepFrom;
    for (;;) {
        const int p = FindFrameHeader(m_buffer, s, acc, m_settings.m_byFrameHeader, 6,
                                      m_settings.m_nKmpNext);
        if (p < 0) {
            // No header ahead: only a header's first five bytes may still be completed.
            keepFrom = std::max(s, acc - 5);
            break;
        }
        if (acc - p < static_cast<int>(kScopeFrameBytes)) {
            keepFrom = p;  // a frame still arriving
            break;
        }
        const int frameEnd = p + static_cast<int>(kScopeFrameBytes);
        // Another header inside this frame's bytes: a frame cut short, spliced with the one
        // that followed it. That later frame, when whole and sound, is the frame; the spliced
        // bytes never count, even when their sum happens to match.
        const int inner = FindFrameHeader(m_buffer, p + 1, acc, m_settings.m_byFrameHeader, 6,
                                          m_settings.m_nKmpNext);
        if (inner >= 0 && inner < frameEnd) {
            if (acc - inner < static_cast<int>(kScopeFrameBytes)) {
                keepFrom = p;  // decided once the later frame is whole
                break;
            }
            if (HasFrameSum(m_buffer + inner) && ContinuesCounter(m_buffer + p, m_buffer + inner)) {
                sink(0, 0);
                s = inner;
                continue;
            }
        }
        int lost = 0;
        const int decoded = DecodeScopeFrame(m_buffer + p, m_param, &lost, m_settings);
        sink(decoded, lost);
        // A bad sum may be a frame cut short: a whole frame may begin right inside it.
        s = decoded ? frameEnd : p + 1;
    }
    const std::size_t keep = m_acc - static_cast<std::size_t>(keepFrom);
    std::memmove(m_buffer, m_buffer + keepFrom, keep);
    m_acc = keep;
    return true;
}
