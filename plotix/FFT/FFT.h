#pragma once

#include <cstdint>

namespace plotix {

inline constexpr int FFT_MAX_PNTS = 4096;  // largest sample count any operation accepts
inline constexpr double EPSILON = 1e-9;    // smoothing ratio limit, phase wrap at 2*pi

// Gain given to a bin whose magnitude is zero (or so small that its dB value would fall
// below this): keeps -inf out of the curves and the dump.
inline constexpr double GAIN_FLOOR_DB = -400.0;

// The process-wide analysis object behind the exported functions. All working arrays are
// members sized for the largest transform so that no operation allocates.
class FFT {
public:
    static FFT& instance();

    int runFFT(const double* input, int n);
    int getSpectrumGraph(const double* input, int points, double fs, double* freq, double* amp,
                         int& count);
    int getBodeGraph(const double* input, int points, double fs, double* freq, double* gain,
                     double* phase, int& count);

    void saveAnalyzedData(const char* path);
    void setSampleWindow(int window) { m_window = window; }
    int setSpeedAmplitude(const double* amplitude, int count);
    void setSpeedAmplitude(double amplitude);

    static int smooth(const double* xv, const double* yin, double* yout, int count,
                      double ratio);
    static int smooth(const double* freq, const double* gain, const double* phase, int count,
                      double ratio, double* gainFlt, double* phaseFlt);

private:
    void buildTables(int n);
    void buildWindow(int n, int window);

    char m_dumpPath[260] = {};
    int m_N = 0;
    int m_M = 0;
    const double* m_input = nullptr;  // set only while a transform runs
    alignas(64) double m_re[FFT_MAX_PNTS + 1] = {};
    alignas(64) double m_im[FFT_MAX_PNTS + 1] = {};
    alignas(64) double m_cos[FFT_MAX_PNTS] = {};     // cos(2*pi*i/N)
    alignas(64) double m_negSin[FFT_MAX_PNTS] = {};  // -sin(2*pi*i/N)
    double m_refAmplitude = 0.0;
    int m_window = 2;
    std::uint8_t m_amplitudeSet = 0;

    // Kept between transforms of the same size (and window): rebuilding them costs more than
    // the transform itself. They hold exactly the values the per-call tables would.
    int m_tableN = 0;
    std::uint16_t m_bitReversed[FFT_MAX_PNTS] = {};
    // The twiddles of each stage laid out contiguously: the stage of span e reads
    // m_cos[(N/e)*j], j < e/2, from offset e/2 - 2 on.
    alignas(64) double m_stageCos[FFT_MAX_PNTS] = {};
    alignas(64) double m_stageNegSin[FFT_MAX_PNTS] = {};
    int m_weightN = 0;
    int m_weightWindow = 0;
    bool m_weighted = false;  // false: rectangular, m_weight unused
    alignas(64) double m_weight[FFT_MAX_PNTS] = {};
};

} // namespace plotix
