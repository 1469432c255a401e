#pragma once
// What the project database needs from the rest of the program: a way to tell the user
// of a failure and the program's directory. Both are replaceable so that the database
// stands on its own in tests and tools.

#include <QString>
#include <functional>

// How a failure is shown: a modal message box, or the self-closing desktop alert.
enum class DbMessageKind { MessageBox, DesktopAlert };

// Receives the user-visible texts of the database layer (Chinese source texts, to be
// translated by the receiver).
using DbMessageSink = std::function<void(DbMessageKind kind, const QString& text)>;

// Installs the receiver; an empty function restores the default, which logs the text.
void SetDbMessageSink(DbMessageSink sink);
void ShowDbMessage(DbMessageKind kind, const QString& text);

// Writes the technical reason of a failure to the log (once logging is set up).
void LogDbDetail(const QString& text);

// The directory of the running program, without a trailing separator. Defaults to the
// program's directory of the path helpers (GetProgramDir); SetDbProgramDir overrides it
// (an empty text resets).
void SetDbProgramDir(const QString& dir);
QString GetDbProgramDir();

// The default parameter database: "CommonRes/ParamsData/ZiDizorAdovora.mdb" in the
// directory that holds the program's directory.
QString DefaultParamsDbPath();
