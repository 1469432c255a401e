#pragma once
// Field access in the comma-separated lines of capture files, and the widening of a line that
// was read as 8-bit ("ANSI") text.
#include <QString>

class CCommaSubStr {
public:
    CCommaSubStr() = default;
    CCommaSubStr(const QString &line, QChar sep) : m_strLine(line), m_chSep(sep) {}
    virtual ~CCommaSubStr() = default;

    // Field n (from 0), trimmed; "" past the last field.
    QString GetSubStr(int n) const;
    // How many fields the line has: 0 for an empty line.
    int FieldCount() const;

    QString m_strLine;
    QChar m_chSep = QLatin1Char(',');
};

// Every character of `line` holds one byte of GBK text; the line becomes that text.
void WidenAnsiLine(QString &line);
