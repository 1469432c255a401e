#pragma once
// The mechanism analysis' files: the settings file that keeps the test inputs from one start
// of the program to the next ("config/Aid/MechanismAnalysis.ini": three "%d" lines, amplitude,
// offset, smoothing level), and the result files ".msf" (one analysed response: header values
// and frequency, phase and gain of every point). Numbers are written and read in the C locale
// whatever the user's, lines end in CR LF, and a file is replaced only once it is complete.
#include <QString>

#include <array>

constexpr int kMaMaxPoints = 4096;

// The leading number of a text as the C library reads it: optional blanks and sign, then
// digits (and, for the double, a fraction and exponent); 0 when there is none.
int MaLeadingInt(const QString &text);
double MaLeadingDouble(const QString &text);

// The settings file beside the program.
QString MaSettingsPath();

struct MaSettings {
    int nAmplitude = 0;
    int nOffset = 0;
    int nSmoothing = 0;
};
// Amplitude and offset texts are read as doubles and truncated toward zero (12.9 is kept as
// 12, -3.7 as -3); the smoothing text as an integer. False when the file cannot be written.
bool SaveMaSettings(const QString &path, const QString &amplitudeText, const QString &offsetText,
                    const QString &smoothingText);
// False when the file cannot be opened; a value that cannot be read is 0.
bool LoadMaSettings(const QString &path, MaSettings &out);

// One analysed response as a result file holds it.
struct MaResult {
    int nSampleRate = 0;
    int nAmplitude = 0;
    int nOffset = 0;
    int nCount = 0;
    double dGainMax = 0;
    double dGainMin = 0;
    double dPhaseMax = 0;
    double dPhaseMin = 0;
    double dStopGain = 0;
    double dStopFreq = 0;
    std::array<double, kMaMaxPoints> freq{};
    std::array<double, kMaMaxPoints> phase{};
    std::array<double, kMaMaxPoints> gain{};
};

// Writes the header and nCount point lines (at most kMaMaxPoints); false when the file cannot
// be written, the old one then stays as it was.
bool SaveMsfFile(const QString &path, const MaResult &result);

enum class MsfLoad { Ok, CannotOpen, Malformed };
// Reads a result file into `out` only when it is whole: a count outside 0..4096 or a file that
// ends before its last point is Malformed and leaves `out` unchanged.
MsfLoad LoadMsfFile(const QString &path, MaResult &out);
