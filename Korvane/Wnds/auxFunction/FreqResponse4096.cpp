#include "Wnds/auxFunction/FreqResponse4096.h"

#include <algorithm>
#include <cmath>

namespace {

double g_excitation[kMaPoints];
double g_response[kMaPoints];
double g_sampleRate = 0.0;
std::complex<double> g_work[kMaPoints];

// The drive's own constants for 2*pi and pi: the results must match what it computes.
constexpr double kTwoPi = 6.2831852;
constexpr double kPi = 3.1415926;

int Reverse12(int i)
{
    int r = 0;
    for (int b = 0; b < 12; ++b)
        r |= ((i >> b) & 1) << (11 - b);
    return r;
}

// Angle of a bin in degrees from its cosine, negative below the real axis. The ratio can
// stray past +-1 by rounding, which acos would turn into NaN.
double AngleDegrees(std::complex<double> v, double magnitude)
{
    const double c = std::clamp(v.real() / magnitude, -1.0, 1.0);
    double a = std::acos(c) * 180.0 / kPi;
    if (v.imag() < 0)
        a = (360.0 - a) - 360.0;
    return a;
}

}

double *MaExcitationBuffer()
{
    return g_excitation;
}

double *MaResponseRecord()
{
    return g_response;
}

double GetMaSampleRate()
{
    return g_sampleRate;
}

void SetMaSampleRate(double rate)
{
    g_sampleRate = rate;
}

std::complex<double> *MaWorkBuffer()
{
    return g_work;
}

void BuildExcitationInto(double amplitude, double offset, double *out)
{
    const double scale = amplitude * (1.0 / 4096.0);
    for (int i = 0; i < kMaPoints; ++i)
        out[i] = std::trunc(g_MaSweepTable[i] * scale + offset);
}

void BuildExcitationSignal(double amplitude, double offset)
{
    BuildExcitationInto(amplitude, offset, g_excitation);
}

void ConvertMaSamplesInto(const unsigned char *raw, double *out)
{
    for (int i = 0; i < kMaPoints; ++i) {
        const auto v = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw[2 * i] | (raw[2 * i + 1] << 8)));
        out[i] = v;
    }
}

void ConvertMaSamples(const unsigned char *raw)
{
    ConvertMaSamplesInto(raw, g_response);
}

void FftBitReverse4096(std::complex<double> *x)
{
    for (int i = 0; i < kMaPoints; ++i) {
        const int r = Reverse12(i);
        if (r > i)
            std::swap(x[i], x[r]);
    }
}

void Fft4096(std::complex<double> *x)
{
    FftBitReverse4096(x);
    for (int h = 1; h < kMaPoints; h *= 2) {
        const int stride = kMaPoints / (2 * h);
        for (int g = 0; g < kMaPoints; g += 2 * h) {
            for (int j = 0; j < h; ++j) {
                const double theta = (j * stride) * kTwoPi * (1.0 / 4096.0);
                const std::complex<double> w(std::cos(theta), -std::sin(theta));
                const std::complex<double> t = w * x[g + j + h];
                x[g + j + h] = x[g + j] - t;
                x[g + j] = x[g + j] + t;
            }
        }
    }
}

void FftBitReverse4096()
{
    FftBitReverse4096(g_work);
}

void Fft4096()
{
    Fft4096(g_work);
}

int ComputeFrequencyResponse4096(double *phase, int *count, double *gain, double *freq)
{
    static std::complex<double> X[kMaPoints];
    for (int i = 0; i < kMaPoints; ++i)
        g_work[i] = {g_excitation[i], 0.0};
    Fft4096();
    std::copy(g_work, g_work + kMaPoints, X);
    for (int i = 0; i < kMaPoints; ++i)
        g_work[i] = {g_response[i] / 10.0, 0.0};
    Fft4096();
    const std::complex<double> *Y = g_work;

    const double df = g_sampleRate * (1.0 / 4096.0);
    for (int k = 0; k < kMaBins; ++k) {
        const double mx = std::abs(X[k]);
        const double my = std::abs(Y[k]);
        freq[k] = k * df;
        // A bin the excitation (or the response) left empty has neither a gain nor a phase:
        // it reads far below anything the charts show instead of -inf or NaN.
        if (mx == 0.0 || my == 0.0) {
            gain[k] = kMaFloorGainDb;
            phase[k] = 0.0;
            continue;
        }
        gain[k] = 20.0 * std::log10(my / mx);
        double d = AngleDegrees(Y[k], my) - AngleDegrees(X[k], mx);
        if (d > 180.0)
            d -= 360.0;
        else if (d < -180.0)
            d += 360.0;
        phase[k] = d;
    }
    *count = kMaBins;
    return 0;
}

double MaMultisineLineAmplitude(int amplitude, int sampleRate)
{
    int count = 0;
    switch (sampleRate) {
    case 4000:
    case 5000:
        count = 512;
        break;
    case 6000:
    case 8000:
        count = 1024;
        break;
    default:
        return 0.0;
    }
    return 10.0 * amplitude * std::sqrt(2.0 / count);
}
