#pragma once
// Values the user last chose in dialog controls, remembered across runs in "UserHistory.dat".
#include "DataMid.h"

#include <memory>
#include <vector>

// Control kinds as stored.
inline const QString kCtrlKindEdit = QStringLiteral("CEdit");
inline const QString kCtrlKindCombo = QStringLiteral("CCombox");
inline const QString kCtrlKindButton = QStringLiteral("CCheckOrRadioButton");
inline const QString kCtrlKindStatic = QStringLiteral("CStatic");

class CUserCtrlDefValue : public CDataMid
{
public:
    QString GetClassName() const override { return QStringLiteral("CUserCtrlDefValue"); }
    void Serialize(platform::Archive &ar) override;
    void Reset() override;
    void CopyFrom(const CDataMid &other) override;

    int m_nDlgID = -1;
    int m_nCtrlID = -1;
    QString m_strType;
    QString m_strValue;
};

class CUserCtrlDefValueList : public CDataListMid
{
public:
    // The process-wide list, created on first use; never null.
    static CUserCtrlDefValueList *GetInstance();
    // Where the list is kept: "UserHistory.dat" in the program's directory.
    static QString FilePath(const QString &programDir);
    // FilePath of the running program's directory.
    static QString DefaultFilePath();

    QString GetClassName() const override { return QStringLiteral("CUserCtrlDefValueList"); }
    std::unique_ptr<CDataMid> CreateElement() const override;
    void Serialize(platform::Archive &ar) override;

    // The value of the first entry (from the head) with these ids and exactly this kind; empty
    // when there is none.
    QString GetValue(int nDlgID, int nCtrlID, const QString &strType) const;
    // Stores the trimmed value in the first entry with these ids (whatever its kind; answers
    // false) or in a new entry at the head (answers true).
    bool SetValue(int nDlgID, int nCtrlID, const QString &strType, const QString &strValue);
    // The entries in list order.
    std::vector<CUserCtrlDefValue *> Entries() const;
};

class CUserLocalText : public CDataMid
{
public:
    CUserLocalText() { m_nID = -10; }
    QString GetClassName() const override { return QStringLiteral("CUserLocalText"); }
    void Serialize(platform::Archive &ar) override;
    void Reset() override;
    void CopyFrom(const CDataMid &other) override;

    int m_nDlgID = 0;
    int m_nCtrlID = 0;
    QString m_strType;
    QString m_strName;
    QString m_strText;
};

class CUserLocalTextList : public CDataListMid
{
public:
    QString GetClassName() const override { return QStringLiteral("CUserLocalTextList"); }
    std::unique_ptr<CDataMid> CreateElement() const override;
    void Serialize(platform::Archive &ar) override;
};
