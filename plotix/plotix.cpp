#include "plotix.h"

#include "FFT/FFT.h"

int nplotix = 0;

int fnplotix()
{
    return 42;
}

namespace plotix {

int getBodeGraph(const double* input, int points, double fs, double* freq, double* gain,
                 double* phase, int& count)
{
    return FFT::instance().getBodeGraph(input, points, fs, freq, gain, phase, count);
}

int getSpectrumGraph(const double* input, int points, double fs, double* freq, double* amp,
                     int& count)
{
    return FFT::instance().getSpectrumGraph(input, points, fs, freq, amp, count);
}

void saveAnalyzedData(const char* path)
{
    FFT::instance().saveAnalyzedData(path);
}

void setSampleWindow(int window)
{
    FFT::instance().setSampleWindow(window);
}

int setSpeedAmplitude(const double* amplitude, int count)
{
    return FFT::instance().setSpeedAmplitude(amplitude, count);
}

void setSpeedAmplitude(double amplitude)
{
    FFT::instance().setSpeedAmplitude(amplitude);
}

int smooth(const double* freq, const double* gain, const double* phase, int count, double ratio,
           double* gainFlt, double* phaseFlt)
{
    return FFT::smooth(freq, gain, phase, count, ratio, gainFlt, phaseFlt);
}

int smooth(const double* xv, const double* yin, double* yout, int count, double ratio)
{
    return FFT::smooth(xv, yin, yout, count, ratio);
}

} // namespace plotix
