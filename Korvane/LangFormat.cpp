#include "LangFormat.h"

#include <algorithm>

namespace {

// Widths and precisions beyond this are a translator's slip, not a layout.
constexpr int kMaxField = 64;

bool IsFlag(QChar c)
{
    return c == u'-' || c == u'+' || c == u' ' || c == u'0' || c == u'#';
}

bool IsLength(QChar c)
{
    return c == u'h' || c == u'l' || c == u'L' || c == u'q' || c == u'j' || c == u'z' || c == u't';
}

long long AsInteger(const LangArg &a)
{
    if (const auto *i = std::get_if<long long>(&a))
        return *i;
    if (const auto *d = std::get_if<double>(&a))
        return static_cast<long long>(*d);
    return std::get<QString>(a).toLongLong();
}

double AsReal(const LangArg &a)
{
    if (const auto *d = std::get_if<double>(&a))
        return *d;
    if (const auto *i = std::get_if<long long>(&a))
        return static_cast<double>(*i);
    return std::get<QString>(a).toDouble();
}

QString AsText(const LangArg &a)
{
    if (const auto *s = std::get_if<QString>(&a))
        return *s;
    if (const auto *i = std::get_if<long long>(&a))
        return QString::number(*i);
    return QString::number(std::get<double>(a));
}

int ReadNumber(const QString &f, int &i)
{
    int n = 0;
    while (i < f.size() && f[i].isDigit()) {
        n = std::min(n * 10 + f[i].digitValue(), 10 * kMaxField);
        ++i;
    }
    return std::min(n, kMaxField);
}

}

QString FillLangFormat(const QString &format, const std::vector<LangArg> &args)
{
    QString out;
    std::size_t next = 0;
    int i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == u'%') {
            out += u'%';
            i += 2;
            continue;
        }
        const int start = i++;
        QString flags;
        while (i < format.size() && IsFlag(format[i]))
            flags += format[i++];
        const int width = ReadNumber(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == u'.') {
            ++i;
            precision = ReadNumber(format, i);
        }
        while (i < format.size() && IsLength(format[i]))
            ++i;
        const QChar conv = i < format.size() ? format[i] : QChar();
        const bool integer = QStringLiteral("diuxXo").contains(conv);
        const bool real = QStringLiteral("fFeEgG").contains(conv);
        const bool text = conv == u's';
        if (conv.isNull() || (!integer && !real && !text) || next >= args.size()) {
            // Not a place this filler knows, or no value for it: the text shows it as written.
            out += format.mid(start, conv.isNull() ? i - start : i + 1 - start);
            i = conv.isNull() ? i : i + 1;
            continue;
        }
        ++i;
        const LangArg &arg = args[next++];
        // The specifier handed to the C library is rebuilt from checked parts only, with the
        // one value of the matching type.
        QByteArray spec = "%" + flags.toLatin1();
        if (width > 0)
            spec += QByteArray::number(width);
        if (precision >= 0)
            spec += "." + QByteArray::number(precision);
        if (integer) {
            const char k = static_cast<char>(conv.unicode());
            if (k == 'd' || k == 'i')
                out += QString::asprintf((spec + "lld").constData(), AsInteger(arg));
            else
                out += QString::asprintf((spec + "ll" + k).constData(),
                                         static_cast<unsigned long long>(AsInteger(arg)));
        } else if (real) {
            out += QString::asprintf((spec + static_cast<char>(conv.unicode())).constData(), AsReal(arg));
        } else {
            QString s = AsText(arg);
            if (precision >= 0)
                s.truncate(precision);
            if (s.size() < width)
                s = flags.contains(u'-') ? s.leftJustified(width) : s.rightJustified(width);
            out += s;
        }
    }
    return out;
}
