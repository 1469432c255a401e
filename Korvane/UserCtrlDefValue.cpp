#include "UserCtrlDefValue.h"

#include "PathHelpers.h"

#include <QDir>

using platform::Archive;

namespace {
const QString kTagDlgId = QStringLiteral("CTRLDGID");
const QString kTagCtrlId = QStringLiteral("CTRLCRID");
const QString kTagType = QStringLiteral("CTRLTYPE");
const QString kTagValue = QStringLiteral("CTRLVAUE");
const QString kTagCtrlList = QStringLiteral("CTRLLIST");
const QString kTagUserDlgId = QStringLiteral("USERDGID");
const QString kTagUserCtrlId = QStringLiteral("USERCRID");
const QString kTagUserText = QStringLiteral("USERTEXT");
const QString kTagUserType = QStringLiteral("USERTYPE");
const QString kTagUserName = QStringLiteral("USERNAME");
const QString kTagUserList = QStringLiteral("USERLIST");
}

void CUserCtrlDefValue::Serialize(Archive &ar)
{
    CDataMid::Serialize(ar);
    if (ar.IsStoring()) {
        CMySerial::WriteTagInt(ar, kTagDlgId, m_nDlgID);
        CMySerial::WriteTagInt(ar, kTagCtrlId, m_nCtrlID);
        CMySerial::WriteTagString(ar, kTagType, m_strType);
        CMySerial::WriteTagString(ar, kTagValue, m_strValue);
        CMySerial::WriteEnd(ar);
    } else {
        FieldMap f;
        f.ints[kTagDlgId] = &m_nDlgID;
        f.ints[kTagCtrlId] = &m_nCtrlID;
        f.strings[kTagType] = &m_strType;
        f.strings[kTagValue] = &m_strValue;
        ReadFields(ar, f);
    }
}

void CUserCtrlDefValue::Reset()
{
    m_nDlgID = -1;
    m_nCtrlID = -1;
    m_strType.clear();
    m_strValue.clear();
}

void CUserCtrlDefValue::CopyFrom(const CDataMid &other)
{
    CDataMid::CopyFrom(other);
    if (auto *o = dynamic_cast<const CUserCtrlDefValue *>(&other)) {
        m_nDlgID = o->m_nDlgID;
        m_nCtrlID = o->m_nCtrlID;
        m_strType = o->m_strType;
        m_strValue = o->m_strValue;
    }
}

CUserCtrlDefValueList *CUserCtrlDefValueList::GetInstance()
{
    static std::shared_ptr<CUserCtrlDefValueList> instance = std::make_shared<CUserCtrlDefValueList>();
    return instance.get();
}

QString CUserCtrlDefValueList::FilePath(const QString &programDir)
{
    return QDir(programDir).filePath(QStringLiteral("UserHistory.dat"));
}

QString CUserCtrlDefValueList::DefaultFilePath()
{
    return FilePath(GetProgramDir());
}

std::unique_ptr<CDataMid> CUserCtrlDefValueList::CreateElement() const
{
    return std::make_unique<CUserCtrlDefValue>();
}

void CUserCtrlDefValueList::Serialize(Archive &ar)
{
    if (ar.IsStoring()) {
        CMySerial::WriteTagList(ar, kTagCtrlList, this);
        CMySerial::WriteEnd(ar);
    } else {
        CDataMid::FieldMap f;
        f.lists[kTagCtrlList] = this;
        CDataMid::ReadFields(ar, f);
    }
}

std::vector<CUserCtrlDefValue *> CUserCtrlDefValueList::Entries() const
{
    std::vector<CUserCtrlDefValue *> out;
    for (const auto &item : Items())
        if (auto *v = dynamic_cast<CUserCtrlDefValue *>(item.get()))
            out.push_back(v);
    return out;
}

QString CUserCtrlDefValueList::GetValue(int nDlgID, int nCtrlID, const QString &strType) const
{
    for (CUserCtrlDefValue *v : Entries())
        if (v->m_nDlgID == nDlgID && v->m_nCtrlID == nCtrlID && v->m_strType == strType)
            return v->m_strValue;
    return QString();
}

bool CUserCtrlDefValueList::SetValue(int nDlgID, int nCtrlID, const QString &strType, const QString &strValue)
{
    const QString value = strValue.trimmed();
    for (CUserCtrlDefValue *v : Entries()) {
        if (v->m_nDlgID == nDlgID && v->m_nCtrlID == nCtrlID) {
            v->m_strType = strType;
            v->m_strValue = value;
            return false;
        }
    }
    auto entry = std::make_unique<CUserCtrlDefValue>();
    entry->m_nDlgID = nDlgID;
    entry->m_nCtrlID = nCtrlID;
    entry->m_strType = strType;
    entry->m_strValue = value;
    AddHead(std::move(entry));
    return true;
}

void CUserLocalText::Serialize(Archive &ar)
{
    CDataMid::Serialize(ar);
    if (ar.IsStoring()) {
        CMySerial::WriteTagInt(ar, kTagUserDlgId, m_nDlgID);
        CMySerial::WriteTagInt(ar, kTagUserCtrlId, m_nCtrlID);
        CMySerial::WriteTagString(ar, kTagUserText, m_strText);
        CMySerial::WriteTagString(ar, kTagUserType, m_strType);
        CMySerial::WriteTagString(ar, kTagUserName, m_strName);
        CMySerial::WriteEnd(ar);
    } else {
        FieldMap f;
        f.ints[kTagUserDlgId] = &m_nDlgID;
        f.ints[kTagUserCtrlId] = &m_nCtrlID;
        f.strings[kTagUserText] = &m_strText;
        f.strings[kTagUserType] = &m_strType;
        f.strings[kTagUserName] = &m_strName;
        ReadFields(ar, f);
    }
}

void CUserLocalText::Reset()
{
    m_nID = -10;
    m_nDlgID = 0;
    m_nCtrlID = 0;
    m_strType.clear();
    m_strName.clear();
    m_strText.clear();
}

void CUserLocalText::CopyFrom(const CDataMid &other)
{
    CDataMid::CopyFrom(other);
    if (auto *o = dynamic_cast<const CUserLocalText *>(&other)) {
        m_nDlgID = o->m_nDlgID;
        m_nCtrlID = o->m_nCtrlID;
        m_strType = o->m_strType;
        m_strName = o->m_strName;
        m_strText = o->m_strText;
    }
}

std::unique_ptr<CDataMid> CUserLocalTextList::CreateElement() const
{
    return std::make_unique<CUserLocalText>();
}

void CUserLocalTextList::Serialize(Archive &ar)
{
    if (ar.IsStoring()) {
        CMySerial::WriteTagList(ar, kTagUserList, this);
        CMySerial::WriteEnd(ar);
    } else {
        CDataMid::FieldMap f;
        f.lists[kTagUserList] = this;
        CDataMid::ReadFields(ar, f);
    }
}
