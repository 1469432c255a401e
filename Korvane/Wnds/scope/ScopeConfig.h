#pragma once
// The oscilloscope's files under config/Scope: the panel settings "scope.ini", the source
// table "NewChannel.set" and the bit table "ChBit.txt" (each in the program's three languages),
// and the remembered bit selections "NewChannelBitSelec.bss".
#include "Wnds/scope/ScopeSettings.h"

// The sampling panel's own values that scope.ini carries.
struct ScopePanelIniValues {
    COLORREF clrChannel[4] = {};
    COLORREF clrBack = 0;
    unsigned nCycleCount = 0;  // the period edit
    // Current selections, for writing: source lists (-1 when a list is empty) and layout list.
    int nSourceSel[4] = {-1, -1, -1, -1};
    int nLayoutSel = 0;
};

QString ScopeConfigDir();  // program directory + "config/Scope/"
// The table files of the program's language; empty for a language without tables.
QString ScopeChannelTablePath();
QString ScopeBitTablePath();

// The continuous-recording folder a stored "path" gives: the folder itself when it is one,
// else the program's "ScopeData" folder (created when missing).
QString CheckedRecordingFolder(const QString &stored);
QString DefaultRecordingFolder();
QString ScopeIniPath();

// The period count a first run starts with (no stored one).
constexpr int kDefaultPeriodCount = 30;
void ReadScopeIni(CScopeSettings &settings, ScopePanelIniValues &panel);
// False when the file could not be written.
bool WriteScopeIni(CScopeSettings &settings, const ScopePanelIniValues &panel);
// Replace the settings' tables by the file's rows; a file that does not open changes nothing.
void ReadChannelTable(CScopeSettings &settings);
int ReadBitTable(CScopeSettings &settings);
void ReadBitSelections(CScopeSettings &settings);
bool WriteBitSelections(const CScopeSettings &settings);
