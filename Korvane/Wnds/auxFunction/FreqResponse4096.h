#pragma once
// The mechanism analysis' own frequency response for the rates 16000, 12000 and 10000 Hz: the
// excitation the drive played is rebuilt from its sweep table, amplitude and offset; excitation
// and measured response go through a fixed 4096-point radix-2 transform; gain and phase come
// per bin. The response record (the drive's 4096 samples) and the sample rate of the last run
// live here too, since the analysis page and both paths of the analysis read them.
//
// The process-wide buffers are used on the GUI thread only, except the response record and
// the sample rate, which the run's worker fills before it hands the run over with a blocking
// send. The simulated drive links the table and the pure builders to play the same excitation.
#include <complex>
#include <cstdint>

constexpr int kMaPoints = 4096;
constexpr int kMaBins = 2048;
constexpr int kMaRecordBytes = 2 * kMaPoints;

// The drive's sweep at full scale, values -4096..4095.
extern const std::int16_t g_MaSweepTable[kMaPoints];

// ---- Process-wide buffers -------------------------------------------------------------------
double *MaExcitationBuffer();   // kMaPoints, built by BuildExcitationSignal
double *MaResponseRecord();     // kMaPoints, tenths of r/min, filled by ConvertMaSamples
double GetMaSampleRate();       // Hz, as read from the drive at the start of the last run
void SetMaSampleRate(double rate);

// Excitation of a test: trunc(sweep[i] * amplitude / 4096 + offset) for every sample.
void BuildExcitationSignal(double amplitude, double offset);
// The same into a caller's buffer of kMaPoints (the simulated drive plays it).
void BuildExcitationInto(double amplitude, double offset, double *out);

// The record's 8192 bytes as 4096 little-endian int16 samples into the response record.
void ConvertMaSamples(const unsigned char *raw);
void ConvertMaSamplesInto(const unsigned char *raw, double *out);

// ---- The transform --------------------------------------------------------------------------
// Bit-reversed reordering and the forward transform (negative exponent, no scaling) of the
// process-wide work buffer.
void FftBitReverse4096();
void Fft4096();
std::complex<double> *MaWorkBuffer();
// The same transform of a caller's buffer of kMaPoints values.
void FftBitReverse4096(std::complex<double> *x);
void Fft4096(std::complex<double> *x);

// Gain (dB) and phase (degrees, -180..180) of the response record against the excitation
// buffer at the current sample rate: kMaBins values into each array (bin 0, DC, included),
// *count = kMaBins, returns 0. A bin whose excitation or response is zero reads
// kMaFloorGainDb with phase 0.
int ComputeFrequencyResponse4096(double *phase, int *count, double *gain, double *freq);
constexpr double kMaFloorGainDb = -400.0;

// ---- The drive's multisine at the rates the analysis library reads -------------------------
// At 4000..8000 Hz the drive excites with tones on bins 1 .. count-1 of a 2·count-point frame
// (count as the library gives it for the rate), with the library's phase tables, each tone of
// this amplitude in the record's units (tenths of r/min): sqrt(2 / count) times ten times the
// test amplitude in r/min, so that the whole excitation has the test amplitude as its RMS.
// 0 for a rate without a multisine.
double MaMultisineLineAmplitude(int amplitude, int sampleRate);
