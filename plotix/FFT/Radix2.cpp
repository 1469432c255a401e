#include "FFT/Radix2.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

// Vector helpers are always inlined into the function of their instruction set: the ABI
// note about passing wide vectors between differently compiled functions does not apply.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace plotix {
namespace {

#define PLOTIX_INLINE inline __attribute__((always_inline))

// ---- Plain stage-by-stage transform: small sizes, and the definition the vector paths keep.

template <bool Weighted>
void loadScalar(const Radix2Job& job)
{
    const int n = job.n;
    const std::uint16_t* rev = job.bitReversed;
    const double* x = job.input;
    const double* w = job.weight;
    const double mean = job.mean;
    auto sample = [&](int i) {
        const int a = rev[i];
        if constexpr (Weighted)
            return (x[a] - mean) * w[a];
        else
            return x[a] - mean;
    };
    // First stage fused in: all imaginary parts are still zero.
    int i = 0;
    for (; i + 1 < n; i += 2) {
        const double a = sample(i);
        const double b = sample(i + 1);
        job.re[i] = a + b;
        job.re[i + 1] = a - b;
    }
    if (i < n)
        job.re[i] = sample(i);
    std::memset(job.im, 0, sizeof(double) * n);
}

void stagesScalar(const Radix2Job& job, int firstSpan)
{
    const int n = job.n;
    double* const re = job.re;
    double* const im = job.im;
    for (int e = firstSpan; e <= n; e *= 2) {
        const int half = e / 2;
        const double* const c = job.stageCos + half - 2;
        const double* const s = job.stageNegSin + half - 2;
        for (int g = 0; g < n - e + 1; g += e) {
            for (int j = 0; j < half; ++j) {
                const int t = g + j;
                const int b = t + half;
                const double tr = c[j] * re[b] - s[j] * im[b];
                const double ti = c[j] * im[b] + s[j] * re[b];
                re[b] = re[t] - tr;
                im[b] = im[t] - ti;
                re[t] = re[t] + tr;
                im[t] = im[t] + ti;
            }
        }
    }
}

void runScalar(const Radix2Job& job)
{
    if (job.weight)
        loadScalar<true>(job);
    else
        loadScalar<false>(job);
    stagesScalar(job, 4);
}

void spectrumScalar(double* re, double* im, int n, double fs, double* freq, double* amp)
{
    for (int i = 0; i < n / 2; ++i) {
        const int k = i + 1;
        re[k] = re[k] * 2.0 / n;
        im[k] = im[k] * 2.0 / n;
        freq[i] = k * fs / n;
        amp[i] = std::sqrt(re[k] * re[k] + im[k] * im[k]);
    }
}

// ---- Vector paths (GCC vector extensions: SSE2 everywhere on x86-64, AVX2 where present).

typedef double v2d __attribute__((vector_size(16)));
typedef double v4d __attribute__((vector_size(32)));
typedef double v8d __attribute__((vector_size(64)));
typedef long long v2i __attribute__((vector_size(16)));
typedef long long v4i __attribute__((vector_size(32)));

template <class V>
constexpr int kLanes = sizeof(V) / sizeof(double);

template <class V>
PLOTIX_INLINE V load(const double* p)
{
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <class V>
PLOTIX_INLINE void store(double* p, const V& v)
{
    std::memcpy(p, &v, sizeof v);
}

template <class V>
PLOTIX_INLINE V splat(double x)
{
    V v = {};
    return v + x;
}

// The butterfly of the plain loops, lane by lane.
template <class V>
PLOTIX_INLINE void butterfly(V& rt, V& it, V& rb, V& ib, const V& c, const V& s)
{
    const V tr = c * rb - s * ib;
    const V ti = c * ib + s * rb;
    rb = rt - tr;
    ib = it - ti;
    rt = rt + tr;
    it = it + ti;
}

// Rows r[0 .. W-1] of W lanes become the columns: r[l] afterwards holds lane l of every row.
PLOTIX_INLINE void transpose(v2d* r)
{
    const v2d a = __builtin_shuffle(r[0], r[1], v2i{0, 2});
    const v2d b = __builtin_shuffle(r[0], r[1], v2i{1, 3});
    r[0] = a;
    r[1] = b;
}

PLOTIX_INLINE void transpose(v4d* r)
{
    const v4d t0 = __builtin_shuffle(r[0], r[1], v4i{0, 4, 2, 6});
    const v4d t1 = __builtin_shuffle(r[0], r[1], v4i{1, 5, 3, 7});
    const v4d t2 = __builtin_shuffle(r[2], r[3], v4i{0, 4, 2, 6});
    const v4d t3 = __builtin_shuffle(r[2], r[3], v4i{1, 5, 3, 7});
    r[0] = __builtin_shuffle(t0, t2, v4i{0, 1, 4, 5});
    r[1] = __builtin_shuffle(t1, t3, v4i{0, 1, 4, 5});
    r[2] = __builtin_shuffle(t0, t2, v4i{2, 3, 6, 7});
    r[3] = __builtin_shuffle(t1, t3, v4i{2, 3, 6, 7});
}

// Windowed load and the stages of span 2, 4 and 8 in one pass. Output block b (positions
// 8b .. 8b+7) holds, at position r, the sample bitrev3(r) * n/8 + bitrev(b): blocks whose
// reversed indices are consecutive read consecutive samples, so each lane runs one block
// and a transpose puts the blocks in place.
template <class V, bool Weighted>
PLOTIX_INLINE void loadFirstStages(const Radix2Job& job)
{
    constexpr int W = kLanes<V>;
    const int n8 = job.n / 8;
    const double* x = job.input;
    const double* w = job.weight;
    const V mean = splat<V>(job.mean);
    const double* sc = job.stageCos;
    const double* ss = job.stageNegSin;
    const V c4[2] = {splat<V>(sc[0]), splat<V>(sc[1])};
    const V s4[2] = {splat<V>(ss[0]), splat<V>(ss[1])};
    const V c8[4] = {splat<V>(sc[2]), splat<V>(sc[3]), splat<V>(sc[4]), splat<V>(sc[5])};
    const V s8[4] = {splat<V>(ss[2]), splat<V>(ss[3]), splat<V>(ss[4]), splat<V>(ss[5])};
    constexpr int kRev3[8] = {0, 4, 2, 6, 1, 5, 3, 7};

    for (int q = 0; q < n8; q += W) {
        V re[8];
        V im[8];
        V p[8];
#pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) {
            const int at = kRev3[r] * n8 + q;
            V v = load<V>(x + at) - mean;
            if constexpr (Weighted)
                v = v * load<V>(w + at);
            p[r] = v;
        }
        const V zero = {};
#pragma GCC unroll 8
        for (int r = 0; r < 8; r += 2) {
            re[r] = p[r] + p[r + 1];
            re[r + 1] = p[r] - p[r + 1];
            im[r] = zero;
            im[r + 1] = zero;
        }
#pragma GCC unroll 8
        for (int g = 0; g < 8; g += 4) {
#pragma GCC unroll 8
            for (int j = 0; j < 2; ++j)
                butterfly(re[g + j], im[g + j], re[g + j + 2], im[g + j + 2], c4[j], s4[j]);
        }
#pragma GCC unroll 8
        for (int j = 0; j < 4; ++j)
            butterfly(re[j], im[j], re[j + 4], im[j + 4], c8[j], s8[j]);

#pragma GCC unroll 8
        for (int r = 0; r < 8; r += W) {
            transpose(re + r);
            transpose(im + r);
        }
#pragma GCC unroll 8
        for (int l = 0; l < W; ++l) {
            const int block = job.bitReversed[q + l];  // = 8 * bitrev(q + l) over log2(n/8) bits
#pragma GCC unroll 8
            for (int r = 0; r < 8; r += W) {
                store(job.re + block + r, re[r + l]);
                store(job.im + block + r, im[r + l]);
            }
        }
    }
}

// Stages of span e and 2e in one pass over the data (e/2 >= lanes).
template <class V>
PLOTIX_INLINE void twoStages(const Radix2Job& job, int e)
{
    constexpr int W = kLanes<V>;
    const int n = job.n;
    const int h = e / 2;
    const double* c1 = job.stageCos + h - 2;
    const double* s1 = job.stageNegSin + h - 2;
    const double* c2 = job.stageCos + e - 2;
    const double* s2 = job.stageNegSin + e - 2;
    double* re = job.re;
    double* im = job.im;
    for (int g = 0; g < n; g += 2 * e) {
        for (int j = 0; j < h; j += W) {
            const int a = g + j;
            V ra = load<V>(re + a), ia = load<V>(im + a);
            V rb = load<V>(re + a + h), ib = load<V>(im + a + h);
            V rc = load<V>(re + a + 2 * h), ic = load<V>(im + a + 2 * h);
            V rd = load<V>(re + a + 3 * h), id = load<V>(im + a + 3 * h);
            const V cj = load<V>(c1 + j), sj = load<V>(s1 + j);
            butterfly(ra, ia, rb, ib, cj, sj);
            butterfly(rc, ic, rd, id, cj, sj);
            butterfly(ra, ia, rc, ic, load<V>(c2 + j), load<V>(s2 + j));
            butterfly(rb, ib, rd, id, load<V>(c2 + h + j), load<V>(s2 + h + j));
            store(re + a, ra);
            store(im + a, ia);
            store(re + a + h, rb);
            store(im + a + h, ib);
            store(re + a + 2 * h, rc);
            store(im + a + 2 * h, ic);
            store(re + a + 3 * h, rd);
            store(im + a + 3 * h, id);
        }
    }
}

template <class V>
PLOTIX_INLINE void oneStage(const Radix2Job& job, int e)
{
    constexpr int W = kLanes<V>;
    const int n = job.n;
    const int h = e / 2;
    const double* c = job.stageCos + h - 2;
    const double* s = job.stageNegSin + h - 2;
    double* re = job.re;
    double* im = job.im;
    for (int g = 0; g < n; g += e) {
        for (int j = 0; j < h; j += W) {
            const int a = g + j;
            V rt = load<V>(re + a), it = load<V>(im + a);
            V rb = load<V>(re + a + h), ib = load<V>(im + a + h);
            butterfly(rt, it, rb, ib, load<V>(c + j), load<V>(s + j));
            store(re + a, rt);
            store(im + a, it);
            store(re + a + h, rb);
            store(im + a + h, ib);
        }
    }
}

// F: the vector of the first pass (it transposes), V: that of the later stages.
template <class F, class V>
PLOTIX_INLINE void runVector(const Radix2Job& job)
{
    if (job.weight)
        loadFirstStages<F, true>(job);
    else
        loadFirstStages<F, false>(job);
    int e = 16;
    for (; 2 * e <= job.n; e *= 4)
        twoStages<V>(job, e);
    if (e <= job.n)
        oneStage<V>(job, e);
}

template <class V>
PLOTIX_INLINE void spectrumVector(double* re, double* im, int n, double fs, double* freq,
                                  double* amp)
{
    constexpr int W = kLanes<V>;
    // n is a power of two: dividing by it and multiplying by its reciprocal round alike.
    const V inv = splat<V>(1.0 / n);
    const V two = splat<V>(2.0);
    const V rate = splat<V>(fs);
    V k;
    for (int l = 0; l < W; ++l)
        k[l] = l + 1;
    const V step = splat<V>(W);
    for (int i = 0; i < n / 2; i += W) {
        const V r = load<V>(re + i + 1) * two * inv;
        const V m = load<V>(im + i + 1) * two * inv;
        store(re + i + 1, r);
        store(im + i + 1, m);
        store(freq + i, k * rate * inv);
        V sq = r * r + m * m;
#pragma GCC unroll 8
        for (int l = 0; l < W; ++l)
            sq[l] = __builtin_sqrt(sq[l]);
        store(amp + i, sq);
        k += step;
    }
}

#if defined(__x86_64__)
__attribute__((target("avx512f"))) void runAvx512(const Radix2Job& job)
{
    // An 8 by 8 transpose costs more than the wider first pass saves.
    runVector<v4d, v8d>(job);
}

__attribute__((target("avx512f"))) void spectrumAvx512(double* re, double* im, int n, double fs,
                                                      double* freq, double* amp)
{
    spectrumVector<v8d>(re, im, n, fs, freq, amp);
}

__attribute__((target("avx2"))) void runAvx2(const Radix2Job& job)
{
    runVector<v4d, v4d>(job);
}

__attribute__((target("avx2"))) void spectrumAvx2(double* re, double* im, int n, double fs,
                                                  double* freq, double* amp)
{
    spectrumVector<v4d>(re, im, n, fs, freq, amp);
}

enum class Isa { Sse2, Avx2, Avx512 };

// The widest path the processor runs. PLOTIX_ISA=sse2 or avx2 in the environment caps it, so
// that the narrower paths can be checked and timed on a wider machine.
Isa isa()
{
    static const Isa chosen = [] {
        __builtin_cpu_init();
        Isa best = Isa::Sse2;
        if (__builtin_cpu_supports("avx512f"))
            best = Isa::Avx512;
        else if (__builtin_cpu_supports("avx2"))
            best = Isa::Avx2;
        const char* cap = std::getenv("PLOTIX_ISA");
        if (cap && std::strcmp(cap, "sse2") == 0)
            return Isa::Sse2;
        if (cap && std::strcmp(cap, "avx2") == 0 && best == Isa::Avx512)
            return Isa::Avx2;
        return best;
    }();
    return chosen;
}
#endif

void runSse2(const Radix2Job& job)
{
    runVector<v2d, v2d>(job);
}

// The mean sums sample i into chain i mod 32 and adds the chains up as a tree: one long chain
// is latency bound. Every path keeps this order, so the mean does not depend on the machine.
constexpr int kChains = 32;

template <class V>
PLOTIX_INLINE void sumChains(const double* input, int n, double* chains)
{
    constexpr int W = kLanes<V>;
    V acc[kChains / W] = {};
    for (int i = 0; i < n; i += kChains) {
#pragma GCC unroll 16
        for (int k = 0; k < kChains / W; ++k)
            acc[k] += load<V>(input + i + k * W);
    }
    for (int k = 0; k < kChains / W; ++k)
        store(chains + k * W, acc[k]);
}

double addChains(double* chains)
{
    for (int step = kChains / 2; step >= 1; step /= 2) {
        for (int c = 0; c < step; ++c)
            chains[c] += chains[c + step];
    }
    return chains[0];
}

#if defined(__x86_64__)
__attribute__((target("avx512f"))) void sumChainsAvx512(const double* input, int n, double* chains)
{
    sumChains<v8d>(input, n, chains);
}

__attribute__((target("avx2"))) void sumChainsAvx2(const double* input, int n, double* chains)
{
    sumChains<v4d>(input, n, chains);
}
#endif

} // namespace

double meanOf(const double* input, int n)
{
    double chains[kChains] = {};
    if (n % kChains != 0) {
        for (int i = 0; i < n; ++i)
            chains[i % kChains] += input[i];
        return addChains(chains) / n;
    }
#if defined(__x86_64__)
    if (isa() == Isa::Avx512)
        sumChainsAvx512(input, n, chains);
    else if (isa() == Isa::Avx2)
        sumChainsAvx2(input, n, chains);
    else
        sumChains<v2d>(input, n, chains);
#else
    sumChains<v2d>(input, n, chains);
#endif
    return addChains(chains) / n;
}

void runRadix2(const Radix2Job& job)
{
#if defined(__x86_64__)
    if (isa() != Isa::Sse2 && job.n >= 8 * kLanes<v4d>) {
        // Both wide paths need n >= 32: stage pairs from span 16 on have e/2 >= 8 lanes.
        if (isa() == Isa::Avx512)
            runAvx512(job);
        else
            runAvx2(job);
        return;
    }
#endif
    if (job.n >= 8 * kLanes<v2d>) {
        runSse2(job);
        return;
    }
    runScalar(job);
}

void spectrumBins(double* re, double* im, int n, double fs, double* freq, double* amp)
{
#if defined(__x86_64__)
    if (isa() == Isa::Avx512 && n / 2 >= kLanes<v8d>) {
        spectrumAvx512(re, im, n, fs, freq, amp);
        return;
    }
    if (isa() != Isa::Sse2 && n / 2 >= kLanes<v4d>) {
        spectrumAvx2(re, im, n, fs, freq, amp);
        return;
    }
#endif
    spectrumScalar(re, im, n, fs, freq, amp);
}

} // namespace plotix
