#include "platform/Archive.h"

namespace platform {

Archive::Archive() : m_mode(Store) {}

Archive::Archive(QByteArray bytes, EightBitDecoder decoder) : m_mode(Load), m_decoder(decoder), m_bytes(std::move(bytes))
{
}

void Archive::Put(const char *p, qsizetype n)
{
    if (m_mode != Store)
        throw ArchiveException(QStringLiteral("write to an archive opened for reading"));
    const qsizetype overlap = std::min(n, m_bytes.size() - m_pos);
    if (overlap > 0)
        m_bytes.replace(m_pos, overlap, p, overlap);
    if (n > overlap)
        m_bytes.append(p + overlap, n - overlap);
    m_pos += n;
}

void Archive::WriteU8(std::uint8_t v)
{
    const char c = static_cast<char>(v);
    Put(&c, 1);
}

void Archive::WriteU16(std::uint16_t v)
{
    const char b[2] = {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    Put(b, 2);
}

void Archive::WriteU32(std::uint32_t v)
{
    const char b[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    Put(b, 4);
}

void Archive::WriteString(const QString &s)
{
    const auto len = static_cast<std::uint32_t>(s.size());
    WriteU8(0xFF);
    WriteU16(0xFFFE);
    if (len < 0xFF) {
        WriteU8(static_cast<std::uint8_t>(len));
    } else if (len < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<std::uint16_t>(len));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(len);
    }
    for (QChar c : s)
        WriteU16(c.unicode());
}

std::uint32_t Archive::StringSize(const QString &s)
{
    const auto len = static_cast<std::uint32_t>(s.size());
    const std::uint32_t header = len < 0xFF ? 4 : (len < 0xFFFE ? 6 : 10);
    return header + 2 * len;
}

void Archive::Need(qsizetype n) const
{
    if (m_mode != Load)
        throw ArchiveException(QStringLiteral("read from an archive opened for writing"));
    if (n < 0 || n > BytesLeft())
        throw ArchiveException(QStringLiteral("unexpected end of file at byte %1").arg(m_pos));
}

std::uint8_t Archive::ReadU8()
{
    Need(1);
    return static_cast<std::uint8_t>(m_bytes[m_pos++]);
}

std::uint16_t Archive::ReadU16()
{
    Need(2);
    const auto lo = static_cast<std::uint8_t>(m_bytes[m_pos]);
    const auto hi = static_cast<std::uint8_t>(m_bytes[m_pos + 1]);
    m_pos += 2;
    return static_cast<std::uint16_t>(lo | (hi << 8));
}

std::uint32_t Archive::ReadU32()
{
    const std::uint32_t lo = ReadU16();
    const std::uint32_t hi = ReadU16();
    return lo | (hi << 16);
}

QString Archive::ReadString()
{
    bool wide = false;
    std::uint32_t len = 0;
    for (int header = 0;; ++header) {
        const std::uint8_t b = ReadU8();
        if (b < 0xFF) {
            len = b;
            break;
        }
        const std::uint16_t w = ReadU16();
        if (w == 0xFFFE) {
            // The marker of 16-bit characters comes once, before the length.
            if (wide || header > 0)
                throw ArchiveException(QStringLiteral("bad string header at byte %1").arg(m_pos));
            wide = true;
            continue;
        }
        if (w < 0xFFFF) {
            len = w;
            break;
        }
        len = ReadU32();
        if (len == 0xFFFFFFFF)
            throw ArchiveException(QStringLiteral("string too long at byte %1").arg(m_pos));
        break;
    }
    const qsizetype bytes = wide ? 2 * static_cast<qsizetype>(len) : static_cast<qsizetype>(len);
    Need(bytes);
    QString s;
    if (wide) {
        s.resize(len);
        for (std::uint32_t i = 0; i < len; ++i)
            s[i] = QChar(ReadU16());
    } else {
        const QByteArray raw = m_bytes.mid(m_pos, bytes);
        s = m_decoder ? m_decoder(raw) : QString::fromLatin1(raw);
        m_pos += bytes;
    }
    return s;
}

void Archive::Skip(std::uint32_t n)
{
    Need(static_cast<qsizetype>(n));
    m_pos += n;
}

void Archive::Seek(qsizetype pos)
{
    if (pos < 0 || pos > m_bytes.size())
        throw ArchiveException(QStringLiteral("seek outside the archive"));
    m_pos = pos;
}

}
