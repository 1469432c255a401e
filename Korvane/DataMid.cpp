#include "DataMid.h"

#include "PathHelpers.h"
#include "UserCtrlDefValue.h"
#include "platform/UiServices.h"
#include "platform/SaveFile.h"

#include <QFile>

using platform::Archive;
using platform::ArchiveException;

namespace {

const QString kTagId = QStringLiteral("DTAMIDTP");
// A record cut short after this many fields without an end tag.
constexpr int kMaxFields = 200;
// The smallest record: an end tag alone.
constexpr std::uint32_t kMinRecordBytes = 24;
// A tag: its character count, the string marker and eight UTF-16 characters.
constexpr qsizetype kTagBytes = 24;

// Strings that older writers stored in the 8-bit code page.
QString DecodeAnsi(const QByteArray &bytes)
{
    return AnsiToCString(bytes.toStdString());
}

void ReportFileProblem(const QString &path, const QString &error)
{
    platform::Ui().MessageBox(path + QStringLiteral("  写文件出现问题：") + error.left(1024), QString(),
                              MB_OK | MB_ICONERROR);
}

}

void CDataMid::Serialize(Archive &ar)
{
    if (ar.IsStoring()) {
        CMySerial::WriteTagInt(ar, kTagId, m_nID);
        CMySerial::WriteEnd(ar);
    } else {
        FieldMap f;
        f.ints[kTagId] = &m_nID;
        ReadFields(ar, f);
    }
}

std::unique_ptr<CDataMid> CDataMid::CreateObject(const QString &className)
{
    if (className == QLatin1String("CUserCtrlDefValue"))
        return std::make_unique<CUserCtrlDefValue>();
    if (className == QLatin1String("CUserLocalText"))
        return std::make_unique<CUserLocalText>();
    return nullptr;
}

void CDataMid::ReadFields(Archive &ar, const FieldMap &fields)
{
    auto readTag = [&ar](QString &tag) {
        const std::uint32_t count = ar.ReadU32();
        tag = ar.ReadString();
        return static_cast<std::uint32_t>(tag.size()) == count;
    };
    QString tag;
    if (!readTag(tag) || tag == kTagEnd)
        return;
    for (int read = 0;; ++read) {
        if (read > kMaxFields)
            return;
        const std::uint32_t size = ar.ReadU32();
        const qsizetype start = ar.Position();
        if (size > static_cast<std::uint64_t>(ar.BytesLeft()))
            throw ArchiveException(QStringLiteral("field %1 larger than the file").arg(tag));
        if (auto it = fields.ints.find(tag); it != fields.ints.end()) {
            if (size != 4)
                throw ArchiveException(QStringLiteral("field %1 has size %2").arg(tag).arg(size));
            *it->second = ar.ReadI32();
        } else if (auto is = fields.strings.find(tag); is != fields.strings.end()) {
            *is->second = ar.ReadString();
        } else if (auto il = fields.lists.find(tag); il != fields.lists.end()) {
            il->second->SerializeItems(ar);
        } else {
            ar.Skip(size);
        }
        if (ar.Position() - start != static_cast<qsizetype>(size))
            throw ArchiveException(QStringLiteral("field %1 does not fill its size").arg(tag));
        if (!readTag(tag) || tag == kTagEnd)
            return;
    }
}

void CDataListMid::RemoveAll()
{
    while (!m_items.empty())
        m_items.pop_back();
}

void CDataListMid::SerializeItems(Archive &ar)
{
    if (ar.IsStoring()) {
        ar.WriteU32(static_cast<std::uint32_t>(m_items.size()));
        for (const auto &item : m_items)
            item->Serialize(ar);
        return;
    }
    RemoveAll();
    const std::uint32_t count = ar.ReadU32();
    if (count > static_cast<std::uint64_t>(ar.BytesLeft()) / kMinRecordBytes)
        throw ArchiveException(QStringLiteral("%1 records cannot fit in the file").arg(count));
    for (std::uint32_t i = 0; i < count; ++i) {
        std::unique_ptr<CDataMid> item = CreateElement();
        item->Serialize(ar);
        m_items.push_back(std::move(item));
    }
}

bool CDataListMid::LoadFromFile(const QString &strPath)
{
    if (strPath.isEmpty())
        return false;
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RemoveAll();
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        ReportFileProblem(strPath, file.errorString());
        return false;
    }
    if (bytes.isEmpty())
        return true;
    try {
        // An intact file starts with the list's own tag, exactly as an empty list writes it.
        // Without this check a damaged first tag reads as a foreign field that is skipped, and
        // the file would pass for an empty list that the next save then overwrites.
        Archive empty;
        Serialize(empty);
        if (!bytes.startsWith(empty.Bytes().left(kTagBytes)))
            throw ArchiveException(QStringLiteral("the file does not start with its list tag"));
        Archive ar(bytes, DecodeAnsi);
        Serialize(ar);
    } catch (const ArchiveException &e) {
        // Half a list is no better than none: a damaged file is refused as a whole. Its bytes
        // are kept beside it, since the next save replaces the file.
        RemoveAll();
        const QString kept = strPath + QStringLiteral(".bad");
        QFile::remove(kept);
        QFile::copy(strPath, kept);
        ReportFileProblem(strPath, e.Text());
        return false;
    }
    return true;
}

bool CDataListMid::SaveToFile(const QString &strPath)
{
    if (strPath.isEmpty())
        return false;
    platform::SaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    try {
        Archive ar;
        Serialize(ar);
        if (file.write(ar.Bytes()) != ar.Bytes().size())
            throw ArchiveException(file.errorString());
        if (!file.commit())
            throw ArchiveException(file.errorString());
    } catch (const ArchiveException &e) {
        file.cancelWriting();
        ReportFileProblem(strPath, e.Text());
        return false;
    }
    return true;
}

void CMySerial::WriteTag(Archive &ar, const QString &tag)
{
    ar.WriteU32(static_cast<std::uint32_t>(tag.size()));
    ar.WriteString(tag);
}

void CMySerial::WriteTagInt(Archive &ar, const QString &tag, int value)
{
    WriteTag(ar, tag);
    ar.WriteU32(4);
    ar.WriteI32(value);
}

void CMySerial::WriteTagString(Archive &ar, const QString &tag, const QString &value)
{
    WriteTag(ar, tag);
    ar.WriteU32(Archive::StringSize(value));
    ar.WriteString(value);
}

void CMySerial::WriteTagList(Archive &ar, const QString &tag, CDataListMid *list)
{
    if (!list)
        return;
    WriteTag(ar, tag);
    const qsizetype placeholder = ar.Position();
    ar.WriteU32(0);
    list->SerializeItems(ar);
    const qsizetype end = ar.Position();
    ar.Seek(placeholder);
    ar.WriteU32(static_cast<std::uint32_t>(end - placeholder - 4));
    ar.Seek(end);
}

void CMySerial::WriteEnd(Archive &ar)
{
    WriteTag(ar, kTagEnd);
}
