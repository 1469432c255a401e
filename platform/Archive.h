#pragma once
// A binary archive over a byte buffer: little-endian integers and length-prefixed strings, in
// store or load mode. Loading checks every read against the bytes left and throws
// ArchiveException instead of reading past the end.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace platform {

class ArchiveException : public std::runtime_error
{
public:
    explicit ArchiveException(const QString &what) : std::runtime_error(what.toStdString()) {}
    QString Text() const { return QString::fromStdString(what()); }
};

class Archive
{
public:
    enum Mode { Store, Load };

    // A store-mode archive writing into an empty buffer.
    Archive();
    // Turns a string stored in the 8-bit code page into text.
    using EightBitDecoder = QString (*)(const QByteArray &);

    // A load-mode archive reading the given bytes; 8-bit strings are read as Latin-1 unless a
    // decoder for the code page is given.
    explicit Archive(QByteArray bytes, EightBitDecoder decoder = nullptr);

    bool IsStoring() const { return m_mode == Store; }
    bool IsLoading() const { return m_mode == Load; }

    void WriteU8(std::uint8_t v);
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    // The 16-bit string form: FF FE FF, the length in characters (1, 3 or 7 bytes), UTF-16LE.
    void WriteString(const QString &s);
    // Bytes the string form of s takes.
    static std::uint32_t StringSize(const QString &s);

    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::int32_t ReadI32() { return static_cast<std::int32_t>(ReadU32()); }
    // Reads the 16-bit form, or the 8-bit form (no marker, one byte per character of the
    // 8-bit code page).
    QString ReadString();
    void Skip(std::uint32_t n);

    qsizetype Position() const { return m_pos; }
    // Store mode: moves the write position inside what was written (to fill in a placeholder).
    void Seek(qsizetype pos);
    qsizetype BytesLeft() const { return m_bytes.size() - m_pos; }
    const QByteArray &Bytes() const { return m_bytes; }

private:
    void Need(qsizetype n) const;
    void Put(const char *p, qsizetype n);

    Mode m_mode;
    EightBitDecoder m_decoder = nullptr;
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

}
