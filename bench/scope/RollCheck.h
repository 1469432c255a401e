#pragma once
// A roll recording against the drive's frame log: channel 1 of every recording file in order,
// matched frame by frame with the samples each logged frame carried (a counting source gives
// sample m the value m).
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/ScopeSettings.h"
#include "Wnds/scope/WaveFile.h"

#include <QStringList>

#include <cstddef>
#include <vector>

struct RollLoggedFrame {
    long long index;
    long long first;
    bool sent;
    double atSeconds;  // since the roll start
};

struct RollCheck {
    long long expected = 0;  // frames sent early enough to be in the recording
    long long matched = 0;
    long long missing = 0;   // frames the line dropped, or sent but absent from the recording
    long long dup = 0;       // frames found twice
};

inline std::vector<double> RecordedChannel1(const QStringList &files, CScopeSettings &settings)
{
    std::vector<double> seq;
    for (const QString &file : files) {
        CScopeChannels back;
        if (!OpenWaveFile(file, back, settings))
            continue;
        for (int i = 0; i < back.m_ch[0].m_nCount; ++i)
            seq.push_back(back.m_ch[0].m_arrData[static_cast<std::size_t>(i)]);
    }
    return seq;
}

// k samples a frame; frames of the last 100 ms before the stop may be missing.
// `wide`: channel 1 carries a 32-bit counting source (no wrap at 16 bits).
inline RollCheck CheckRollRecording(const std::vector<RollLoggedFrame> &logged, const std::vector<double> &seq, int k,
                                    double stopSeconds, bool wide = false)
{
    const long long mask = wide ? 0xFFFFFFFFLL : 0xFFFFLL;
    auto chunkIs = [&](std::size_t at, long long first) {
        for (int i = 0; i < k; ++i)
            if (seq[at + static_cast<std::size_t>(i)] != static_cast<double>((first + i) & mask))
                return false;
        return true;
    };
    RollCheck r;
    std::size_t pos = 0;
    const auto kk = static_cast<std::size_t>(k);
    for (const auto &f : logged) {
        if (!f.sent) {
            ++r.missing;  // the line could not carry it
            continue;
        }
        const bool mustHave = f.atSeconds <= stopSeconds - 0.1;
        r.expected += mustHave;
        // Frames the program counted twice would show up as a repeat.
        while (pos + kk <= seq.size() && pos >= kk && chunkIs(pos, f.first - k)) {
            ++r.dup;
            pos += kk;
        }
        if (pos + kk <= seq.size() && chunkIs(pos, f.first)) {
            ++r.matched;
            pos += kk;
        } else if (mustHave) {
            ++r.missing;
        }
    }
    return r;
}
