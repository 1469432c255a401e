#pragma once

#include <cstdint>

namespace plotix {

// One transform's operands. The stage twiddles are laid out per stage: the stage of span e
// (4, 8, ..., n) reads e/2 values from offset e/2 - 2 of stageCos and stageNegSin.
struct Radix2Job {
    const double* input;         // n samples in time order
    double mean;                 // removed from every sample before the window
    const double* weight;        // window weight of each sample (time order), null: rectangular
    int n;                       // a power of two
    const double* stageCos;
    const double* stageNegSin;
    const std::uint16_t* bitReversed;  // i with its log2(n) low bits reversed
    double* re;                  // out: bins 0 .. n-1
    double* im;
};

// Mean of n samples, summed in interleaved chains (one long chain is latency bound).
double meanOf(const double* input, int n);

// Windowed load in bit-reversed order and every radix-2 stage. Each output is computed by
// exactly the same operations in the same order as the plain stage-by-stage loops; the
// vector paths only schedule them differently (several stages per pass over the data).
void runRadix2(const Radix2Job& job);

// Scales bins 1 .. n/2 by 2/n (stored back) and writes their frequencies and magnitudes.
void spectrumBins(double* re, double* im, int n, double fs, double* freq, double* amp);

} // namespace plotix
