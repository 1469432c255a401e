#include "Wnds/scope/CommaSubStr.h"

#include "PathHelpers.h"

#include <string>

QString CCommaSubStr::GetSubStr(int n) const
{
    if (m_strLine.isEmpty())
        return QString();
    qsizetype start = 0;
    for (int i = 0; i < n; ++i) {
        const qsizetype found = m_strLine.indexOf(m_chSep, start);
        if (found < 0)
            return QString();
        start = found + 1;
    }
    const qsizetype end = m_strLine.indexOf(m_chSep, start);
    const QString field = end < 0 ? m_strLine.mid(start) : m_strLine.mid(start, end - start);
    return field.trimmed();
}

int CCommaSubStr::FieldCount() const
{
    return m_strLine.isEmpty() ? 0 : static_cast<int>(m_strLine.count(m_chSep)) + 1;
}

void WidenAnsiLine(QString &line)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(line.size()));
    for (QChar c : line)
        bytes.push_back(static_cast<char>(c.unicode() & 0xFF));
    line = AnsiToCString(bytes);
}
