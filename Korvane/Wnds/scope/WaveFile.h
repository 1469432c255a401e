#pragma once
// The oscilloscope's capture file ("waveform file"): comma-separated GBK text, lines ending in
// LF, a header (format, capture kind, drive set-up, sample period, base period, time per
// division, start time, parameters), the sample rows, and optionally the scope group's
// parameters. One writer and three readers. The readers never throw and refuse a file whose
// sample count is above the channels' capacity or that ends before its rows do.
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/ScopeSettings.h"

#include <QList>
#include <QPair>
#include <QString>

// The custom parameter group whose parameters every capture file carries.
inline constexpr const char kScopeGroupName[] = "示波器参数";

// What the main reader found beyond what it stored, for the sampling panel's controls.
struct WaveFileInfo {
    int nLayout = 0;          // word 0 mod 5
    int nCodes[4] = {};       // channel source codes from words 2 and 3
    QString strNames[4];      // FindChannelName of each code
    int nPeriodCount = 0;     // time per point / base period
};

// Writes the file (through a temporary file renamed over `path` when complete). `scopeGroup`:
// the rows of the optional last section. False, with nothing replaced, when it cannot be
// written.
bool SaveWaveFile(const QString &path, int nKind, const CScopeChannels &channels,
                  const CScopeSettings &settings, const QList<CDBDataParameter> &scopeGroup);
// The scope group's parameters of the connected drive's active axis, in the order the file
// lists them.
QList<CDBDataParameter> ScopeGroupParameters();

// Reads a file into the settings and the live channels. 1 loaded, 0 not.
int OpenWaveFile(const QString &path, CScopeChannels &channels, CScopeSettings &settings,
                 WaveFileInfo *info = nullptr);
// Reads a file captured with the same set-up into the comparison channels. 1 loaded, 0 not.
int OpenCompareFile(const QString &path, CScopeChannels &channels, CScopeSettings &settings);
// Appends the (code, value text) pairs of the scope group section, or of the capture's own
// parameter rows when the file has no such section. 1 read, 0 not; then *why (when given)
// says, for the user, what is wrong with the file.
int ReadHistoryParams(const QString &path, QList<QPair<QString, QString>> &pairs,
                      CScopeSettings &settings, QString *why = nullptr);

// "<folder>/<local time %Y_%m%d_%H-%M-%S>.csv", with "_2", "_3", ... before the extension when
// that name is taken.
QString RecordingFilePath(const QString &folder, std::int64_t when);
