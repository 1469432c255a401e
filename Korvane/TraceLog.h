#pragma once
// Logging set-up (glog, per-level files in the program's "logs" directory, emptied at every
// start) and the small trace file "Bug.log" beside the program.
#include <QString>
#include <glog/logging.h>

// An informational log line that carries the given source path instead of the compiler's,
// e.g. KLOG("TX\\SeriesPort") << "port open";
#define KLOG(sourcePath) google::LogMessage(sourcePath, __LINE__).stream()

// Levels of "--loglevel": 0 info, 1 warning, 2 error, 3 fatal (glog's severity numbers).
constexpr int kLogInfo = 0;
constexpr int kLogWarning = 1;
constexpr int kLogError = 2;
constexpr int kLogFatal = 3;

// program directory + "/logs".
QString GetLogDirectory();

// Creates and empties the log directory (only its contents go), starts glog as "Korvane" and,
// for levels 0 to 2, sends that level to "<logs>/Info", "Warning" or "Error" with the same
// standard-error threshold; level 3 keeps glog's defaults. Failures with the directory are
// silent. glog is started once per process; a second call only sets the destination.
void InitLogging(int nLogLevel);
// glog's destination of `severity` = basePath + levelName.
void SetLevelLogDestination(const char *basePath, const char *levelName, int severity);
void ShutdownLogging();

// Where and from what a trace entry comes.
struct CBugLogContext {
    CBugLogContext(const QString &source, int line, const QString &function,
                   const QString &file = QStringLiteral("Bug.log"))
        : m_strFile(file), m_strSource(source), m_nLine(line), m_strFunction(function)
    {
    }
    QString m_strFile;      // trace file name, in the program directory
    QString m_strSource;    // source path as the program names it, e.g. "Wnds\\DiDo\\DlgDiDoSet"
    int m_nLine;
    QString m_strFunction;  // e.g. "CDlgDiDoSet::ReSizeCtrl"
};

// Appends one entry (an empty line, then "时间:", "文件:", "行号:", "函数:", "内容:" lines) in
// UTF-8 with CR LF line ends. The content comes from `format`: "%c" takes a character, "%d" an
// int, "%s" a wide string; "%%" is one '%'; a '%' before anything else, or at the end, stays.
// An entry that cannot be written is lost silently.
void WriteBugLog(const CBugLogContext &context, const wchar_t *format, ...);
// The same with the content already formatted.
void WriteBugLogText(const CBugLogContext &context, const QString &content);
// The time text of an entry: "Tuesday, March 03, 2026 14:05:09".
QString FormatBugLogTime(const struct tm &t);
