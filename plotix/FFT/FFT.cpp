#include "FFT/FFT.h"

#include "FFT/ExcitationPhases.h"
#include "FFT/Radix2.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace plotix {
namespace {

// Twice the double value of pi, the 2*pi of every table and of the phase wrap.
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

constinit FFT g_analysis;

// A violated precondition is reported and the operation goes on: callers rely on the result
// code, the report only helps whoever reads stderr.
void report(const char* expression, int line)
{
    std::fprintf(stderr, "plotix: assertion failed: %s (FFT, line %d)\n", expression, line);
}

#define FFT_CHECK(condition, text) \
    do { \
        if (!(condition)) \
            report(text, __LINE__); \
    } while (false)

bool isPowerOfTwo(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

} // namespace

FFT& FFT::instance()
{
    return g_analysis;
}

void FFT::buildTables(int n)
{
    for (int i = 0; i < n; ++i) {
        m_cos[i] = std::cos(i * kTwoPi / n);
        m_negSin[i] = -std::sin(i * kTwoPi / n);
    }
    for (int i = 0; i < n; ++i) {
        int c = i;
        int a = 0;
        for (int b = 0; b < m_M; ++b) {
            a = 2 * a + c % 2;
            c /= 2;
        }
        m_bitReversed[i] = static_cast<std::uint16_t>(a);
    }
    int f = n / 4;
    for (int e = 4; e <= (1 << m_M); e *= 2, f /= 2) {
        const int half = e / 2;
        for (int j = 0; j < half; ++j) {
            m_stageCos[half - 2 + j] = m_cos[f * j];
            m_stageNegSin[half - 2 + j] = m_negSin[f * j];
        }
    }
    m_tableN = n;
}

void FFT::buildWindow(int n, int window)
{
    m_weightN = n;
    m_weightWindow = window;
    m_weighted = window == 2 || window == 3;
    if (!m_weighted)
        return;
    // Periodic form (N in the denominator): the weight of sample 0 is 0 for Hanning.
    for (int a = 0; a < n; ++a) {
        const double c = std::cos(2.0 * kPi * a / n);
        m_weight[a] = window == 2 ? 0.5 * (1.0 - c) : 0.54 - 0.46 * c;
    }
}

int FFT::runFFT(const double* input, int n)
{
    m_input = input;
    m_N = n;
    int powers = 0;
    for (long long p = 1; p <= n; p *= 2)
        ++powers;
    m_M = powers - 1;
    FFT_CHECK((m_M < 17) && (0 != m_N), "(M < 17) && (0 != N)");
    // The stages only form a transform over a power of two; the callers refuse other counts.
    if (m_M > 16 || m_N == 0 || !isPowerOfTwo(n)) {
        m_input = nullptr;
        return 4;
    }
    if (m_tableN != n)
        buildTables(n);
    FFT_CHECK(m_window >= 1 && m_window <= 8, "NULL");
    if (m_weightN != n || m_weightWindow != m_window)
        buildWindow(n, m_window);

    Radix2Job job;
    job.input = input;
    job.mean = meanOf(input, n);
    job.weight = m_weighted ? m_weight : nullptr;
    job.n = n;
    job.stageCos = m_stageCos;
    job.stageNegSin = m_stageNegSin;
    job.bitReversed = m_bitReversed;
    job.re = m_re;
    job.im = m_im;
    runRadix2(job);
    m_input = nullptr;
    return 0;
}

int FFT::getSpectrumGraph(const double* input, int points, double fs, double* freq, double* amp,
                          int& count)
{
    FFT_CHECK(nullptr != input, "NULL != input");
    FFT_CHECK((points > 0) && (points <= FFT_MAX_PNTS), "(points > 0) && (points <= FFT_MAX_PNTS)");
    if (!input || !freq || !amp || points <= 0 || points > FFT_MAX_PNTS)
        return 5;
    // Over any other count the butterflies do not form a Fourier transform.
    if (!isPowerOfTwo(points))
        return 5;

    const int rc = runFFT(input, points);
    if (rc != 0)
        return rc;
    const int n = m_N;
    m_re[n] = 0.0;
    m_im[n] = 0.0;
    spectrumBins(m_re, m_im, n, fs, freq, amp);
    count = n / 2;
    return 0;
}

int FFT::getBodeGraph(const double* input, int points, double fs, double* freq, double* gain,
                      double* phase, int& count)
{
    if (m_amplitudeSet == 0)
        return 6;
    m_amplitudeSet = 0;

    FFT_CHECK(nullptr != input, "NULL != input");
    FFT_CHECK((points > 0) && (points <= FFT_MAX_PNTS), "(points > 0) && (points <= FFT_MAX_PNTS)");
    if (!input || !freq || !gain || !phase || points <= 0 || points > FFT_MAX_PNTS)
        return 5;
    // Truncating a NaN or a huge rate to int is undefined; no such rate is supported anyway.
    if (!(std::fabs(fs) < 1e9))
        return 5;
    const ExcitationTable* table = excitationTable(static_cast<int>(fs));
    if (!table)
        return 5;
    const int n = 2 * table->count;
    // The transform reads n samples: never past the caller's array.
    if (points < n)
        return 5;
    // Gains are relative to the reference: without a positive one they have no finite value.
    const double ref = m_refAmplitude;
    if (!(ref > 0.0) || !std::isfinite(ref))
        return 5;

    count = table->count;
    const int rc = runFFT(input, n);
    if (rc != 0)
        return rc;

    m_re[n] = 0.0;
    m_im[n] = 0.0;
    std::FILE* dump = nullptr;
    if (m_dumpPath[0] != '\0') {
        dump = std::fopen(m_dumpPath, "wb");
        if (dump)
            std::fputs("index     frequency    gain        inPhase       otPhase       RealPart      "
                       "ImagPart\r",
                       dump);
    }

    const double* excitation = table->phases;
    for (int i = 0; i < table->count; ++i) {
        const int k = i + 1;
        m_re[k] = m_re[k] * 2.0 / n;
        m_im[k] = m_im[k] * 2.0 / n;
        freq[i] = fs * k / n;
        const double magnitude = std::sqrt(m_re[k] * m_re[k] + m_im[k] * m_im[k]);
        const double db = 20.0 * std::log10(magnitude / ref);
        gain[i] = db < GAIN_FLOOR_DB ? GAIN_FLOOR_DB : db;  // -inf floored, NaN kept

        // A bin without any response has no phase of its own: atan2 of signed zeros would
        // make one up.
        double theta = magnitude == 0.0 ? 0.0 : std::atan2(m_im[k], m_re[k]);
        if (theta < 0.0)
            theta += kTwoPi;
        if (std::fabs(theta - kTwoPi) < EPSILON)
            theta = 0.0;
        double phi = (theta - excitation[i]) * 180.0 / kPi;
        if (phi > 90.0)
            phi -= 360.0;
        if (phi > 360.0)
            phi -= 360.0;
        else if (phi < -360.0)
            phi += 360.0;
        if (phi < -180.0)
            phi += 360.0;
        phase[i] = magnitude == 0.0 ? 0.0 : phi;

        if (dump)
            std::fprintf(dump, "%4d%10lld%14.3f%14.3f%14.3f%14.3f%14.3f\r", k,
                         std::llround(freq[i]), gain[i], excitation[i] * 180.0 / kPi,
                         theta * 180.0 / kPi, m_re[k], m_im[k]);
    }
    if (dump) {
        // The last line end of a text-mode stream: CR LF after the CR of the last line.
        std::fputs("\r\n", dump);
        std::fclose(dump);
    }
    return 0;
}

void FFT::saveAnalyzedData(const char* path)
{
    if (!path)
        return;
    const std::size_t length = strnlen(path, sizeof(m_dumpPath));
    if (length >= sizeof(m_dumpPath))
        return;
    std::memcpy(m_dumpPath, path, length + 1);
}

int FFT::setSpeedAmplitude(const double* amplitude, int count)
{
    if (!amplitude || count <= 0 || count > FFT_MAX_PNTS)
        return 5;
    m_refAmplitude = amplitude[0];
    m_amplitudeSet = 1;
    return 0;
}

void FFT::setSpeedAmplitude(double amplitude)
{
    m_refAmplitude = amplitude;
    m_amplitudeSet = 1;
}

namespace {

// Replaces each of the K curves' values by the mean of the values whose x lies within
// +-ratio % of the point's own x, bounds included; a point whose window holds nothing (a
// negative x) keeps its value. Every output comes from the unsmoothed inputs.
template <int K>
void smoothCurves(const double* x, int count, double ratio, const double* const (&in)[K],
                  double* const (&out)[K])
{
    for (int i = 0; i < count; ++i) {
        const double lo = x[i] - ratio * x[i] / 100.0;
        const double hi = x[i] + ratio * x[i] / 100.0;
        double sum[K] = {};
        int taken = 0;
        for (int j = 0; j < count; ++j) {
            if (x[j] >= lo && x[j] <= hi) {
                for (int c = 0; c < K; ++c)
                    sum[c] += in[c][j];
                ++taken;
            }
        }
        for (int c = 0; c < K; ++c)
            out[c][i] = taken > 0 ? sum[c] / taken : in[c][i];
    }
}

} // namespace

int FFT::smooth(const double* xv, const double* yin, double* yout, int count, double ratio)
{
    FFT_CHECK(nullptr != xv, "NULL != xv");
    FFT_CHECK(nullptr != yin, "NULL != yin");
    FFT_CHECK(nullptr != yout, "NULL != yout");
    FFT_CHECK((ratio > 0.) && (ratio < (25. + EPSILON)), "(ratio > 0.) && (ratio < (25. + EPSILON))");
    if (!xv || !yin || !yout)
        return 5;
    smoothCurves<1>(xv, count, ratio, {yin}, {yout});
    return 0;
}

int FFT::smooth(const double* freq, const double* gain, const double* phase, int count,
                double ratio, double* gainFlt, double* phaseFlt)
{
    FFT_CHECK(nullptr != freq, "NULL != freq");
    FFT_CHECK(nullptr != gain, "NULL != gain");
    FFT_CHECK(nullptr != phase, "NULL != phase");
    FFT_CHECK(nullptr != gainFlt, "NULL != gainFlt");
    FFT_CHECK(nullptr != phaseFlt, "NULL != phaseFlt");
    FFT_CHECK((ratio > 0.) && (ratio < (25. + EPSILON)), "(ratio > 0.) && (ratio < (25. + EPSILON))");
    if (!freq || !gain || !phase || !gainFlt || !phaseFlt)
        return 5;
    smoothCurves<2>(freq, count, ratio, {gain, phase}, {gainFlt, phaseFlt});
    return 0;
}

} // namespace plotix
