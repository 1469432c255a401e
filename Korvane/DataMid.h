#pragma once
// Small persistent records and their lists, stored as tagged fields: every field carries an
// 8-character tag and its byte size, so a reader skips fields it does not know.
#include "platform/Archive.h"

#include <QString>

#include <list>
#include <map>
#include <memory>

class CDataListMid;

class CDataMid
{
public:
    CDataMid() = default;
    virtual ~CDataMid() = default;
    CDataMid(const CDataMid &) = delete;
    CDataMid &operator=(const CDataMid &) = delete;

    virtual QString GetClassName() const { return QStringLiteral("CDataMid"); }
    virtual void Serialize(platform::Archive &ar);
    virtual void Reset() {}
    virtual void CopyFrom(const CDataMid &other) { m_nID = other.m_nID; }

    // The record classes by name (nullptr for an unknown name).
    static std::unique_ptr<CDataMid> CreateObject(const QString &className);

    // The known fields of one record part, for ReadFields.
    struct FieldMap
    {
        std::map<QString, int *> ints;
        std::map<QString, QString *> strings;
        std::map<QString, CDataListMid *> lists;
    };
    // Reads fields up to and including the end tag: known ones into their members, others
    // skipped by their size. Stops early (silently) on a tag whose length is off or after 201
    // fields without an end tag; throws on damage (sizes or counts the bytes cannot hold).
    static void ReadFields(platform::Archive &ar, const FieldMap &fields);

    int m_nID = -1;
};

class CDataListMid
{
public:
    CDataListMid() = default;
    virtual ~CDataListMid() { RemoveAll(); }
    CDataListMid(const CDataListMid &) = delete;
    CDataListMid &operator=(const CDataListMid &) = delete;

    virtual QString GetClassName() const { return QStringLiteral("CDataListMid"); }
    // The class of the records this list holds.
    virtual std::unique_ptr<CDataMid> CreateElement() const = 0;
    virtual void Serialize(platform::Archive &ar) = 0;

    // Deletes every record, last first.
    void RemoveAll();
    void AddHead(std::unique_ptr<CDataMid> item) { m_items.push_front(std::move(item)); }
    void AddTail(std::unique_ptr<CDataMid> item) { m_items.push_back(std::move(item)); }
    int GetCount() const { return static_cast<int>(m_items.size()); }
    const std::list<std::unique_ptr<CDataMid>> &Items() const { return m_items; }

    // False (and no message) for an empty path or a file that cannot be opened. A damaged file
    // is reported, copied to "<path>.bad" and leaves the list empty.
    bool LoadFromFile(const QString &strPath);
    // Writes a temporary file beside the target and renames it over the target when complete:
    // a failed save leaves the previous file as it was.
    bool SaveToFile(const QString &strPath);

    // Writes the record count and every record, or reads them (replacing the content).
    void SerializeItems(platform::Archive &ar);

    int m_nID = -1;

private:
    std::list<std::unique_ptr<CDataMid>> m_items;
};

// Writers of tagged fields; each record writes its end tag itself.
class CMySerial
{
public:
    static void WriteTag(platform::Archive &ar, const QString &tag);
    static void WriteTagInt(platform::Archive &ar, const QString &tag, int value);
    static void WriteTagString(platform::Archive &ar, const QString &tag, const QString &value);
    // Writes nothing for a missing list.
    static void WriteTagList(platform::Archive &ar, const QString &tag, CDataListMid *list);
    static void WriteEnd(platform::Archive &ar);
};

// The tag that closes every record.
inline const QString kTagEnd = QStringLiteral("DENDDEND");
