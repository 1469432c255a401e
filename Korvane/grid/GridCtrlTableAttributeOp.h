#pragma once
// The store of table attributes: the built-in default tables, and the table files in the user
// folder ("UserDir/TableConfigXml") and the system folder ("CommonRes/TableConfigXml") of the
// directory that holds the program's directory. A user file, once present, wins; the system
// file seeds a missing user file; the built-in defaults seed a missing system file and decide
// on every load which columns a table has.
#include "grid/GridTableAttribute.h"

#include "platform/WinTypes.h"

#include <functional>
#include <map>
#include <memory>

class CGridCtrlTableAttributeOpBase
{
public:
    using Builder = std::function<void(CGridTableAttribute &)>;
    using BuilderWithId = std::function<void(CGridTableAttribute &, QString)>;

    CGridCtrlTableAttributeOpBase() = default;
    virtual ~CGridCtrlTableAttributeOpBase();
    CGridCtrlTableAttributeOpBase(const CGridCtrlTableAttributeOpBase &) = delete;
    CGridCtrlTableAttributeOpBase &operator=(const CGridCtrlTableAttributeOpBase &) = delete;

    // Fills attr with the built-in columns and options of the table. The base knows none.
    virtual BOOL BuildDefaultAttribute(const QString &tableId, CGridTableAttribute &attr);

    // Folders with a trailing '/'.
    static QString GetUserTableDir();
    static QString GetSystemTableDir();
    static QString GetUserTableFile(const QString &tableId);
    static QString GetSystemTableFile(const QString &tableId);

    BOOL GetTableAttribute(const QString &tableId, CGridTableAttribute &attr);
    BOOL GetTableAttributeByName(const QString &tableId, CGridTableAttribute &attr,
                                 BOOL bDefaultOnly);
    BOOL SaveUserTableAttribute(const QString &tableId, const CGridTableAttribute &attr);
    BOOL SaveSystemTableAttribute(const QString &tableId, const CGridTableAttribute &attr);
    BOOL InitSystemTableAttribute(const QString &tableId);
    BOOL InitUserTableAttribute(const QString &tableId, CGridTableAttribute &attr);

    // Keeps exactly the built-in columns, in built-in order; a surviving column keeps the
    // user's settings. FALSE (attr untouched) when no defaults can be built.
    BOOL MergeDefaultColumns(CGridTableAttribute &attr, const QString &tableId);

protected:
    std::map<QString, Builder> m_mapDefaultBuilders;
    std::map<QString, BuilderWithId> m_mapDefaultBuildersWithId;

private:
    // A file that cannot be read is moved aside as "<file>.bad" so that nothing overwrites it.
    static void KeepUnreadableFile(const QString &path);
};

class CGridCtrlTableAttributeOp : public CGridCtrlTableAttributeOpBase
{
public:
    CGridCtrlTableAttributeOp();

    // The process-wide store, made on the first call.
    static CGridCtrlTableAttributeOp *GetInstance();

    BOOL BuildDefaultAttribute(const QString &tableId, CGridTableAttribute &attr) override;

    void BuildTableStyleColumns(CGridTableAttribute &attr);
    void BuildParamsColumns(CGridTableAttribute &attr);
    void BuildParams2Columns(CGridTableAttribute &attr);
    void BuildStatusDataCtlColumns(CGridTableAttribute &attr);
    void BuildFaultManagementColumns(CGridTableAttribute &attr);
    void BuildFaultManagementNoteColumns(CGridTableAttribute &attr);
    void BuildNewDlgSecondColumns(CGridTableAttribute &attr);
    void BuildParamsMonitorColumns(CGridTableAttribute &attr);
    void BuildDiShowSetColumns(CGridTableAttribute &attr);
    void BuildDoShowSetColumns(CGridTableAttribute &attr);

private:
    static std::shared_ptr<CGridCtrlTableAttributeOp> s_instance;
};
