#pragma once
// Gain and phase of the response record by the sample rate of the run: the page's own
// transform at 16000, 12000 and 10000 Hz, the analysis library at 8000 and 6000 Hz (2048
// samples) and 5000 and 4000 Hz (1024 samples), rectangular window, the library's gain taken
// relative to one spectral line of the drive's multisine in the record's units.
constexpr int kMaNoRule = -1;

// Writes *count values into freq, gain and phase (each holding at least 2048). Returns 0,
// kMaNoRule for a rate without a rule, or the library's result code.
int MaAnalyseRecord(int sampleRate, int amplitude, double *freq, double *gain, double *phase, int *count);
