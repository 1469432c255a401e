#pragma once
// Hands a file's bytes to the XML parser. The parser steps over a multi-byte character by
// the length its lead byte announces: bytes that end in a lead byte would make it read past
// the end, so it gets a copy that ends in NUL bytes enough for the longest sequence.
#include <QByteArray>

#include <tinyxml.h>

inline void ParseXmlBytes(TiXmlDocument &doc, const QByteArray &bytes)
{
    QByteArray padded = bytes;
    padded.append(QByteArray(8, '\0'));
    doc.Parse(padded.constData(), nullptr, TIXML_ENCODING_UTF8);
}
