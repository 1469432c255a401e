#pragma once
// Where the program lives, cutting and building paths, directory trees, and the text
// conversions between QString and UTF-8 / ANSI byte strings. "ANSI" is GBK (code page 936).
// Paths use '/'; helpers that cut paths also accept the '\' of paths stored by older files
// where noted.
#include <QString>
#include <string>
#include <vector>

// ---- Program directory ----------------------------------------------------------------------

// Directory of the running executable, without a trailing '/'. Empty when it cannot be read.
QString GetProgramDir();
// Makes GetProgramDir() answer `dir` (tests, and tools that run the program's code elsewhere);
// an empty text returns to the executable's directory.
void SetProgramDir(const QString &dir);
// Program directory + "/" + relative; an empty `relative` gives the directory with its '/'.
// Backslashes in `relative` are taken as separators.
QString GetModulePath(const QString &relative = QString());
// Program directory + "/ScopeData/History", created with its parents when missing; empty when
// the program directory is unknown or the folder cannot be created.
QString GetHistoryDataDir();

// ---- Cutting paths ------------------------------------------------------------------------

// Drops a trailing '/', then cuts at the last '/': "/a/b" and "/a/b/" give "/a"; a text without
// any further '/' comes back without its trailing one.
QString GetParentDirectory(QString path);
// The text before the last '/' or '\' (whichever is later); empty when there is neither.
QString GetDirectoryOfPath(const QString &path);

// ---- Directory trees ----------------------------------------------------------------------

// Creates every directory named by a '/'-terminated prefix of `path` (after a leading '/'); the
// last component only when `path` ends with '/'. False at the first prefix that exists but is
// not a directory, or that cannot be created.
bool CreateDirectoryTree(const QString &path);
// Trims `path`; empty -> false; existing (file or directory) -> true; else creates it with
// every missing parent ('\' taken as '/'). False at the first failure.
bool EnsureDirectory(QString path);
// False for an empty path or one without '/'; true when already a directory; else creates the
// parent (recursively, result ignored) and then `path`, returning whether that worked.
bool MakeDirectoryRecursive(const QString &path);
// Deletes `path` with everything in it. Symbolic links are removed, never followed; refuses
// (false, nothing deleted) an empty path, a path that is itself a symbolic link, and any path
// not strictly inside the program directory (a relative path is taken from there). Entries that
// cannot be deleted are skipped; true when the directory itself is gone.
bool DeleteDirectoryTree(const QString &path);
// Deletes everything inside `path` but keeps `path`, with the same safety rules as
// DeleteDirectoryTree. True when the directory is empty afterwards.
bool EmptyDirectory(const QString &path);

// ---- Text conversions ---------------------------------------------------------------------

std::string WideToUtf8(const wchar_t *text);
std::string CStringToUtf8(const QString &text);
// GBK bytes of the text; characters GBK cannot hold become '?'.
std::string CStringToAnsi(const QString &text);
// GBK bytes to text; bytes that are no GBK character become U+FFFD.
QString AnsiToCString(const std::string &ansi);
QString Utf8ToCString(const char *utf8);
std::wstring Utf8ToWide(const std::string &utf8);

// ---- Others -------------------------------------------------------------------------------

// Splits at spaces (runs of spaces give no empty words) and upper-cases every word.
std::vector<QString> SplitUpperWords(const QString &text);
// Puts the text on the clipboard as plain text (nothing without a GUI application).
void CopyTextToClipboard(const QString &text);
