#pragma once

// Frequency analysis of sampled signals: amplitude spectrum, Bode graph against the drive's
// excitation, percentage-window smoothing, and an optional text dump of each Bode graph.
//
// The library keeps one process-wide analysis object and no locks: call it from one thread.
// Arrays belong to the caller; nothing keeps a pointer to them after a call returns.
//
// A Bode graph needs, in this order: setSampleWindow (optional, stays in force), saveAnalyzedData
// (optional, stays in force), setSpeedAmplitude (required before EVERY getBodeGraph: one
// amplitude allows exactly one graph, whatever its outcome), then getBodeGraph.

#define PLOTIX_API __attribute__((visibility("default")))

PLOTIX_API int fnplotix();  // always 42
PLOTIX_API extern int nplotix;  // holds 0

namespace plotix {

// Results of the int-returning operations.
inline constexpr int kOk = 0;
inline constexpr int kSizeNotSupported = 4;
inline constexpr int kBadArgument = 5;
inline constexpr int kNoReferenceAmplitude = 6;

// Bode graph of the response samples `input` taken at `fs` Hz (truncated to 4000, 5000, 6000,
// 8000, 10000, 12000 or 16000). Transforms 2 * count samples, where count is 512, 1024 or 2048
// by rate; `points` must be at least that many (and 1 .. 4096). Writes count values to `freq`
// (Hz), `gain` (dB relative to the reference amplitude) and `phase` (degrees in [-180, 180)).
// Returns kOk, kBadArgument or kNoReferenceAmplitude.
PLOTIX_API int getBodeGraph(const double* input, int points, double fs, double* freq, double* gain,
                            double* phase, int& count);

// Single-sided amplitude spectrum of `points` samples (a power of two, 1 .. 4096) with the
// current window: writes points / 2 values to `freq` and `amp` (bins 1 .. points / 2) and sets
// `count` to points / 2. Returns kOk or kBadArgument.
PLOTIX_API int getSpectrumGraph(const double* input, int points, double fs, double* freq,
                                double* amp, int& count);

// Path of the text dump that every later getBodeGraph rewrites; "" switches the dump off.
// A path longer than 259 characters is refused and the previous setting stays.
PLOTIX_API void saveAnalyzedData(const char* path);

// Window of later transforms: 1 rectangular, 2 Hanning (the default), 3 Hamming, 4 .. 8
// rectangular; anything else is reported and treated as rectangular.
PLOTIX_API void setSampleWindow(int window);

// Reference amplitude of the next getBodeGraph: the first of `count` (1 .. 4096) values.
// Returns kOk, or kBadArgument (nothing changed) for a null array or a bad count.
PLOTIX_API int setSpeedAmplitude(const double* amplitude, int count);
PLOTIX_API void setSpeedAmplitude(double amplitude);

// Replaces each gain and phase value by the mean of the values whose frequency lies within
// +-ratio percent of its own (0 < ratio <= 25). Returns kOk or kBadArgument.
PLOTIX_API int smooth(const double* freq, const double* gain, const double* phase, int count,
                      double ratio, double* gainFlt, double* phaseFlt);

// The same for one curve `yin` over `xv`.
PLOTIX_API int smooth(const double* xv, const double* yin, double* yout, int count, double ratio);

} // namespace plotix
