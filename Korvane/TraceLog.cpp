#include "TraceLog.h"

#include "PathHelpers.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <cwchar>

namespace {

QString FormatBugContent(const wchar_t *format, va_list args)
{
    QString out;
    if (!format)
        return out;
    for (const wchar_t *p = format; *p; ++p) {
        if (*p != L'%') {
            out += QString::fromWCharArray(p, 1);
            continue;
        }
        const wchar_t spec = p[1];
        if (spec == L'c') {
            const wchar_t c = static_cast<wchar_t>(va_arg(args, wint_t));
            out += QString::fromWCharArray(&c, 1);
        } else if (spec == L'd') {
            out += QString::number(va_arg(args, int));
        } else if (spec == L's') {
            const wchar_t *s = va_arg(args, const wchar_t *);
            if (s)
                out += QString::fromWCharArray(s);
        } else if (spec == L'%') {
            out += u'%';
        } else {
            out += u'%';  // kept as written; the letter (if any) follows as plain text
            continue;
        }
        ++p;
    }
    return out;
}

}

QString GetLogDirectory()
{
    return GetModulePath(QStringLiteral("logs"));
}

void SetLevelLogDestination(const char *basePath, const char *levelName, int severity)
{
    const std::string dest = std::string(basePath ? basePath : "") + (levelName ? levelName : "");
    google::SetLogDestination(google::LogSeverity(severity), dest.c_str());
}

void InitLogging(int nLogLevel)
{
    const QString dir = GetLogDirectory();
    if (EnsureDirectory(dir))
        EmptyDirectory(dir);
    const std::string base = CStringToUtf8(dir + u'/');

    if (!google::IsGoogleLoggingInitialized())
        google::InitGoogleLogging("Korvane");
    static const char *const kLevelNames[] = {"Info", "Warning", "Error"};
    if (nLogLevel >= kLogInfo && nLogLevel <= kLogError) {
        SetLevelLogDestination(base.c_str(), kLevelNames[nLogLevel], nLogLevel);
        google::SetStderrLogging(google::LogSeverity(nLogLevel));
    }
}

void ShutdownLogging()
{
    if (google::IsGoogleLoggingInitialized())
        google::ShutdownGoogleLogging();
}

QString FormatBugLogTime(const struct tm &t)
{
    static const char *const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday",
                                        "Thursday", "Friday", "Saturday"};
    static const char *const kMonths[] = {"January", "February", "March", "April",
                                          "May", "June", "July", "August",
                                          "September", "October", "November", "December"};
    const char *day = t.tm_wday >= 0 && t.tm_wday < 7 ? kDays[t.tm_wday] : "";
    const char *month = t.tm_mon >= 0 && t.tm_mon < 12 ? kMonths[t.tm_mon] : "";
    return QString::asprintf("%s, %s %02d, %d %02d:%02d:%02d", day, month, t.tm_mday,
                             t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec)
        .left(63);
}

void WriteBugLogText(const CBugLogContext &context, const QString &content)
{
    const std::time_t now = std::time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    const QString crlf = QStringLiteral("\r\n");
    const QString entry = crlf
        + QStringLiteral("时间:") + FormatBugLogTime(local) + crlf
        + QStringLiteral("文件:") + context.m_strSource + crlf
        + QStringLiteral("行号:") + QString::number(context.m_nLine) + crlf
        + QStringLiteral("函数:") + context.m_strFunction + crlf
        + QStringLiteral("内容:") + content + crlf;
    const QByteArray bytes = entry.toUtf8();
    std::FILE *f = std::fopen(QFile::encodeName(GetModulePath(context.m_strFile)).constData(), "ab");
    if (!f)
        return;
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
    std::fclose(f);
}

void WriteBugLog(const CBugLogContext &context, const wchar_t *format, ...)
{
    va_list args;
    va_start(args, format);
    const QString content = FormatBugContent(format, args);
    va_end(args);
    WriteBugLogText(context, content);
}
