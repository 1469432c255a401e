#pragma once
// The oscilloscope's sample decoding, free of threads and of the drive: the single-shot
// capture memory (split by layout, rotated to the trigger, scaled) and the roll stream
// (frames found by their header, checked, counted and unpacked).
#include "Wnds/scope/ScopeSettings.h"

#include <cstddef>
#include <cstdint>
#include <functional>

constexpr std::size_t kScopeBlockBytes = 128;
constexpr std::size_t kScopeFrameBytes = 137;
constexpr std::size_t kScopeFrameDataOffset = 7;
constexpr std::size_t kScopeRollReadMax = 4110;
constexpr std::size_t kScopeRollAccumulate = 4384;

// Samples per channel of a single-shot capture of `bytes` bytes in `layout` (0..4).
int ScopeSingleSamplesPerChannel(int layout, std::size_t bytes);

// Left rotation that puts the sample at the drive's ring start first. False, with the
// samples unchanged, when P or T lies outside 0..n-1 (the ring cannot place them).
bool RotateSamples16(std::uint16_t *samples, int n, int P, int T);
bool RotateSamples32(std::uint32_t *samples, int n, int P, int T);
// The rotation amount k (0: none); -1 when P or T is outside 0..n-1.
int ScopeRotation(int n, int P, int T);

// Splits a single-shot capture (raw, `bytes` long) by the layout of `param` (0..4) into the
// sample buffers of `settings`, rotated by P and T and scaled. The buffers are emptied first.
// False when P or T cannot be placed: the samples are then kept in the order read.
bool UnpackSingleShot(const CScopeThreadParam &param, const BYTE *raw, std::size_t bytes, int P,
                      int T, CScopeSettings &settings);

// Appends the samples of one frame's 128 data bytes by the roll code of `param` (5..9).
void UnpackRollFrame(const CScopeThreadParam &param, const BYTE *data, CScopeSettings &settings);

// The header search: the improved failure table of the 6-byte pattern, and the offset of
// the first occurrence at or after `start` in text[0..length), or -1.
void BuildFrameHeaderTable(const BYTE *pattern, int *next);
int FindFrameHeader(const BYTE *text, int start, int length, const BYTE *pattern, int patternLength,
                    const int *next);

// Checks and decodes one 137-byte frame. Good frame: returns 1, *lost = the frames missed
// since the last good one ((c - last - 1) mod 256; 0 for the first of a run), and the sample
// buffers hold this frame's samples. Bad byte sum: returns 0, *lost = 0, nothing changes, so
// the next good frame's gap counts this one.
int DecodeScopeFrame(const BYTE *frame, const CScopeThreadParam &param, int *lost,
                     CScopeSettings &settings);

// The roll thread's byte handling: accumulates what the port gave, finds and decodes every
// complete frame, and keeps only what may still become a frame.
class CRollStreamDecoder {
public:
    using FrameSink = std::function<void(int decoded, int lost)>;

    // Sets the header bytes 0 and 1, the failure table and the frame state of `settings`.
    CRollStreamDecoder(const CScopeThreadParam &param, CScopeSettings &settings, BYTE station,
                       BYTE blockFunction);

    // Takes `count` bytes (at most kScopeRollReadMax); calls `sink` for every frame found.
    // False when the bytes do not fit (nothing is taken then).
    bool Feed(const BYTE *bytes, std::size_t count, const FrameSink &sink);
    std::size_t Held() const { return m_acc; }

private:
    const CScopeThreadParam &m_param;
    CScopeSettings &m_settings;
    BYTE m_buffer[kScopeRollAccumulate] = {};
    std::size_t m_acc = 0;
};
