#include "SysLog.h"

#include "PathHelpers.h"

#include <QFile>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

// Length of the longest prefix of s[0..n) that does not end inside a UTF-8 sequence.
size_t WholeCharacters(const char *s, size_t n)
{
    size_t i = n;
    size_t back = 0;
    while (i > 0 && back < 4 && (static_cast<unsigned char>(s[i - 1]) & 0xC0) == 0x80) {
        --i;
        ++back;
    }
    if (i == 0)
        return n;
    const unsigned char lead = static_cast<unsigned char>(s[i - 1]);
    size_t need = 1;
    if ((lead & 0xE0) == 0xC0)
        need = 2;
    else if ((lead & 0xF0) == 0xE0)
        need = 3;
    else if ((lead & 0xF8) == 0xF0)
        need = 4;
    return back + 1 >= need ? n : i - 1;
}

}

void CSysLog::InitPath()
{
    m_bEnable = true;
    m_strPath = GetModulePath(QString::fromLatin1(kFileName));
}

bool CSysLog::Write(const char *fmt, ...)
{
    if (m_strPath.isEmpty())
        return false;
    if (!m_bEnable)
        return true;
    if (!fmt)
        return false;
    std::lock_guard<std::mutex> lock(m_cs);
    va_list args;
    va_start(args, fmt);
    const int n = std::vsnprintf(m_szText, sizeof m_szText, fmt, args);
    va_end(args);
    size_t len = n < 0 ? 0 : std::min(size_t(n), size_t(kMaxText));
    len = WholeCharacters(m_szText, len);

    std::string line;
    if (m_bWithTime) {
        char stamp[64];
        const std::time_t now = std::time(nullptr);
        std::tm tmNow;
        localtime_r(&now, &tmNow);
        std::strftime(stamp, sizeof stamp, "%m/%d/%Y %H:%M:%S", &tmNow);
        line += stamp;
        line += " : ";
    }
    line += CStringToAnsi(QString::fromUtf8(m_szText, qsizetype(len)));
    line += "\r\n";

    std::FILE *f = std::fopen(QFile::encodeName(m_strPath).constData(), "ab");
    if (!f)
        return false;
    const bool ok = std::fwrite(line.data(), 1, line.size(), f) == line.size();
    return std::fclose(f) == 0 && ok;
}

CSysLog &GetSysLog()
{
    static CSysLog log;
    return log;
}
