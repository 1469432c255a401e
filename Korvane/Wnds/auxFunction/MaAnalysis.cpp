#include "Wnds/auxFunction/MaAnalysis.h"

#include "Wnds/auxFunction/FreqResponse4096.h"
#include "plotix.h"

int MaAnalyseRecord(int sampleRate, int amplitude, double *freq, double *gain, double *phase, int *count)
{
    switch (sampleRate) {
    case 16000:
    case 12000:
    case 10000:
        return ComputeFrequencyResponse4096(phase, count, gain, freq);
    case 8000:
    case 6000:
    case 5000:
    case 4000: {
        plotix::setSampleWindow(1);
        plotix::setSpeedAmplitude(MaMultisineLineAmplitude(amplitude, sampleRate));
        int n = 0;
        const int result = plotix::getBodeGraph(MaResponseRecord(), sampleRate >= 6000 ? 2048 : 1024, sampleRate,
                                                freq, gain, phase, n);
        if (result == 0)
            *count = n;
        return result;
    }
    default:
        return kMaNoRule;
    }
}
