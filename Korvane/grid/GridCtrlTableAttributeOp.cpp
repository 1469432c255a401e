#include "grid/GridCtrlTableAttributeOp.h"

#include "PathHelpers.h"
#include "TraceLog.h"

#include <QFile>

std::shared_ptr<CGridCtrlTableAttributeOp> CGridCtrlTableAttributeOp::s_instance;

CGridCtrlTableAttributeOpBase::~CGridCtrlTableAttributeOpBase()
{
    m_mapDefaultBuilders.clear();
    m_mapDefaultBuildersWithId.clear();
}

BOOL CGridCtrlTableAttributeOpBase::BuildDefaultAttribute(const QString &, CGridTableAttribute &)
{
    return FALSE;
}

QString CGridCtrlTableAttributeOpBase::GetUserTableDir()
{
    return GetParentDirectory(GetModulePath(QString())) + QStringLiteral("/UserDir/TableConfigXml/");
}

QString CGridCtrlTableAttributeOpBase::GetSystemTableDir()
{
    return GetParentDirectory(GetModulePath(QString()))
           + QStringLiteral("/CommonRes/TableConfigXml/");
}

QString CGridCtrlTableAttributeOpBase::GetUserTableFile(const QString &tableId)
{
    return GetUserTableDir() + tableId + QStringLiteral(".XML");
}

QString CGridCtrlTableAttributeOpBase::GetSystemTableFile(const QString &tableId)
{
    return GetSystemTableDir() + tableId + QStringLiteral(".XML");
}

void CGridCtrlTableAttributeOpBase::KeepUnreadableFile(const QString &path)
{
    const QString kept = path + QStringLiteral(".bad");
    QFile::remove(kept);
    if (QFile::rename(path, kept))
        KLOG("grid\\GridCtrlTableAttributeOp")
            << "table file could not be read, kept as " << kept.toStdString();
    else
        KLOG("grid\\GridCtrlTableAttributeOp")
            << "table file could not be read nor moved aside: " << path.toStdString();
}

namespace {

void MarkDefaultWidths(CGridTableAttribute &attr)
{
    for (auto &[id, col] : attr.m_mapColumns)
        col.defaultWidth.on = true;
}

}

BOOL CGridCtrlTableAttributeOpBase::GetTableAttribute(const QString &tableId,
                                                      CGridTableAttribute &attr)
{
    const QString userFile = GetUserTableFile(tableId);
    const QString systemFile = GetSystemTableFile(tableId);
    const CGridTableAttribute asPassed = attr;

    if (QFile::exists(userFile)) {
        if (ReadTableAttributeFile(userFile, attr)) {
            MergeDefaultColumns(attr, tableId);
            NormalizeColumnIndexes(attr);
            return SaveUserTableAttribute(tableId, attr);
        }
        // A half-read layout must not replace the user's file: the file is moved aside and
        // the table is built as if it had never been there.
        KeepUnreadableFile(userFile);
        attr = asPassed;
    }

    // The shipped layouts' widths are defaults: the user's file keeps them only as they were.
    if (QFile::exists(systemFile)) {
        if (ReadTableAttributeFile(systemFile, attr)) {
            const BOOL saved = SaveUserTableAttribute(tableId, attr);
            MarkDefaultWidths(attr);
            return saved;
        }
        KeepUnreadableFile(systemFile);
        attr = asPassed;
    }

    if (!BuildDefaultAttribute(tableId, attr))
        return FALSE;
    SaveSystemTableAttribute(tableId, attr);
    return SaveUserTableAttribute(tableId, attr);
}

BOOL CGridCtrlTableAttributeOpBase::GetTableAttributeByName(const QString &tableId,
                                                            CGridTableAttribute &attr,
                                                            BOOL bDefaultOnly)
{
    if (bDefaultOnly)
        return BuildDefaultAttribute(tableId, attr);
    return GetTableAttribute(tableId, attr);
}

BOOL CGridCtrlTableAttributeOpBase::SaveUserTableAttribute(const QString &tableId,
                                                           const CGridTableAttribute &attr)
{
    CreateDirectoryTree(GetUserTableDir());
    return WriteTableAttributeFile(GetUserTableFile(tableId), attr) ? TRUE : FALSE;
}

BOOL CGridCtrlTableAttributeOpBase::SaveSystemTableAttribute(const QString &tableId,
                                                             const CGridTableAttribute &attr)
{
    CreateDirectoryTree(GetSystemTableDir());
    return WriteTableAttributeFile(GetSystemTableFile(tableId), attr) ? TRUE : FALSE;
}

BOOL CGridCtrlTableAttributeOpBase::InitSystemTableAttribute(const QString &tableId)
{
    CreateDirectoryTree(GetSystemTableDir());
    CGridTableAttribute attr;
    if (!BuildDefaultAttribute(tableId, attr))
        return FALSE;
    return WriteTableAttributeFile(GetSystemTableFile(tableId), attr) ? TRUE : FALSE;
}

BOOL CGridCtrlTableAttributeOpBase::InitUserTableAttribute(const QString &tableId,
                                                           CGridTableAttribute &attr)
{
    CreateDirectoryTree(GetUserTableDir());
    InitSystemTableAttribute(tableId);
    const QString systemFile = GetSystemTableFile(tableId);
    if (!QFile::exists(systemFile))
        return FALSE;
    ReadTableAttributeFile(systemFile, attr);
    MergeDefaultColumns(attr, tableId);
    const BOOL saved = SaveUserTableAttribute(tableId, attr);
    MarkDefaultWidths(attr);
    return saved;
}

BOOL CGridCtrlTableAttributeOpBase::MergeDefaultColumns(CGridTableAttribute &attr,
                                                        const QString &tableId)
{
    CGridTableAttribute defaults;
    if (!BuildDefaultAttribute(tableId, defaults))
        return FALSE;
    const CGridTableAttribute loaded = attr;
    attr.m_mapColumns.clear();
    attr.m_mapColumnOrder.clear();

    for (const auto &[number, id] : defaults.m_mapColumnOrder) {
        auto defIt = defaults.m_mapColumns.find(id);
        if (defIt == defaults.m_mapColumns.end())
            continue;
        const CGridColumnAttribute &def = defIt->second;
        const CGridColumnAttribute *found = nullptr;
        for (const auto &[n, loadedId] : loaded.m_mapColumnOrder) {
            auto it = loaded.m_mapColumns.find(loadedId);
            if (it != loaded.m_mapColumns.end() && it->second.strColID == def.strColID) {
                found = &it->second;
                break;
            }
        }
        const int n = static_cast<int>(attr.m_mapColumnOrder.size());
        attr.m_mapColumnOrder[n + 1] = def.strColID;
        if (found) {
            CGridColumnAttribute col = *found;
            col.strColDestribution = def.strColDestribution;
            col.strTableID = def.strTableID;
            attr.m_mapColumns[def.strColID] = col;
        } else {
            CGridColumnAttribute added(
                def.strColID, static_cast<std::int16_t>(n), def.strColShowName, true, false, 75,
                true, 0, 0, 11, false, 0, QString(), def.strColDestribution, def.strTableID,
                false);
            added.defaultWidth.on = true;  // a column the user's file did not have
            attr.m_mapColumns[def.strColID] = added;
        }
    }
    return TRUE;
}

// ---- The store with the built-in tables ------------------------------------------------------

CGridCtrlTableAttributeOp::CGridCtrlTableAttributeOp()
{
    auto reg = [this](const char *id, void (CGridCtrlTableAttributeOp::*fn)(CGridTableAttribute &)) {
        m_mapDefaultBuilders[QString::fromUtf8(id)] = [this, fn](CGridTableAttribute &a) {
            (this->*fn)(a);
        };
    };
    reg("TableStyle", &CGridCtrlTableAttributeOp::BuildTableStyleColumns);
    reg("XML_Params", &CGridCtrlTableAttributeOp::BuildParamsColumns);
    reg("XML_Params2", &CGridCtrlTableAttributeOp::BuildParams2Columns);
    reg("XML_Status_data_ctl", &CGridCtrlTableAttributeOp::BuildStatusDataCtlColumns);
    reg("XML_FAULT_MANAGEMENT", &CGridCtrlTableAttributeOp::BuildFaultManagementColumns);
    reg("XML_FAULT_MANAGEMENT_NOTE", &CGridCtrlTableAttributeOp::BuildFaultManagementNoteColumns);
    reg("XML_NEW_DLG_SECOND", &CGridCtrlTableAttributeOp::BuildNewDlgSecondColumns);
    reg("XML_Params_Monitor", &CGridCtrlTableAttributeOp::BuildParamsMonitorColumns);
    reg("XML_DI_SHOW_SET", &CGridCtrlTableAttributeOp::BuildDiShowSetColumns);
    reg("XML_DO_SHOW_SET", &CGridCtrlTableAttributeOp::BuildDoShowSetColumns);
}

CGridCtrlTableAttributeOp *CGridCtrlTableAttributeOp::GetInstance()
{
    if (!s_instance)
        s_instance = std::make_shared<CGridCtrlTableAttributeOp>();
    return s_instance.get();
}

BOOL CGridCtrlTableAttributeOp::BuildDefaultAttribute(const QString &tableId,
                                                      CGridTableAttribute &attr)
{
    auto it = m_mapDefaultBuilders.find(tableId);
    if (it != m_mapDefaultBuilders.end()) {
        it->second(attr);
    } else {
        auto itId = m_mapDefaultBuildersWithId.find(tableId);
        if (itId != m_mapDefaultBuildersWithId.end())
            itId->second(attr, tableId);
    }
    MarkDefaultWidths(attr);
    return TRUE;
}

namespace {

struct ColumnRow {
    const char *id;
    const char *caption;
    std::int16_t width;
    bool isShow;
    bool isEdit;
};

template <std::size_t N>
void AddColumns(CGridTableAttribute &attr, const ColumnRow (&rows)[N])
{
    int index = 1;
    for (const ColumnRow &r : rows) {
        AddColumnAttribute(attr, index++, QString::fromUtf8(r.id), QString::fromUtf8(r.caption),
                           QString(), QString(), r.isShow, r.isEdit, r.width, true, 0, 0, 11,
                           false, 0, QString());
    }
}

}

void CGridCtrlTableAttributeOp::BuildTableStyleColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"strColID", "列名称", 127, true, false},
        {"strColShowName", "显示名称", 120, true, true},
        {"iColWidth", "宽度", 60, true, true},
        {"isShow", "是否显示", 65, true, true},
        {"isEdit", "是否编辑", 65, true, true},
        {"iLock", "锁定列", 90, true, true},
        {"enColSumType", "合计方式", 75, true, true},
        {"enSerchType", "检索方式", 75, true, true},
        {"iColFont", "字体大小", 65, true, true},
        {"IsFontWeight", "字体加粗", 65, true, true},
        {"isEnableFilter", "能否筛选", 65, true, true},
        {"strColDestribution", "列字段说明", 300, true, true},
        {"strTableID", "列字段所在表", 80, false, false},
        {"batchEdit", "批量编辑", 80, true, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = false;
    attr.isShowSortBar = true;
}

void CGridCtrlTableAttributeOp::BuildParamsColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"IDS_ParaView_1", "IDS_ParaView_1", 127, true, false},
        {"IDS_ParaView_2", "IDS_ParaView_2", 127, true, false},
        {"IDS_ParaView_3", "IDS_ParaView_3", 127, true, true},
        {"IDS_ParaView_4", "IDS_ParaView_4", 127, false, false},
        {"IDS_ParaView_5", "IDS_ParaView_5", 127, false, false},
        {"IDS_ParaView_6", "IDS_ParaView_6", 127, false, false},
        {"IDS_ParaView_7", "IDS_ParaView_7", 127, false, false},
        {"IDS_ParaView_8", "IDS_ParaView_8", 127, false, false},
        {"IDS_ParaView_9", "IDS_ParaView_9", 127, false, false},
        {"IDS_ParaView_10", "IDS_ParaView_10", 127, false, false},
        {"IDS_ParaView_11", "IDS_ParaView_11", 127, false, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = true;
    attr.isShowSortBar = false;
    attr.isMultiRowSelect = true;
}

void CGridCtrlTableAttributeOp::BuildParams2Columns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"IDS_ParaView_1", "IDS_ParaView_1", 90, true, false},
        {"IDS_ParaView_2", "IDS_ParaView_2", 90, true, false},
        {"IDS_ParaView_3", "IDS_ParaView_3", 90, true, true},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = false;
    attr.isShowSortBar = false;
}

void CGridCtrlTableAttributeOp::BuildStatusDataCtlColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"XML_STATUS_DATA_CTL_ID", "ID", 55, true, false},
        {"XML_STATUS_DATA_CTL_FUNC_NUM_NAME", "功能码名称", 165, true, false},
        {"XML_STATUS_DATA_CTL_CUR_VALUE", "当前值", 55, true, false},
        {"XML_STATUS_DATA_CTL_CHAR", "单位", 50, true, false},
    };
    AddColumns(attr, rows);
    attr.isMultiRowSelect = true;
    attr.isEnableDragCol = false;
    attr.isEnableEdit = true;
}

void CGridCtrlTableAttributeOp::BuildFaultManagementColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"XML_FAULT_MANAGEMENT_ID", "编号", 100, true, false},
        {"XML_FAULT_MANAGEMENT_ERROR", "错误信息", 100, true, false},
        {"XML_FAULT_MANAGEMENT_TIME", "时间（0.1s）", 100, true, false},
        {"XML_FAULT_MANAGEMENT_MOTORSPEED", "转速（rpm）", 100, true, false},
        {"XML_FAULT_MANAGEMENT_CURRENTU", "U相电流（A）", 100, true, false},
        {"XML_FAULT_MANAGEMENT_CURRENTV", "V相电流（A）", 100, true, false},
        {"XML_FAULT_MANAGEMENT_VOL", "母线电压（V）", 100, true, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = false;
    attr.isEnableEdit = false;
}

void CGridCtrlTableAttributeOp::BuildFaultManagementNoteColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"XML_FAULT_MANAGEMENT_NOTE_ID", "原因和解决方法", 470, true, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = false;
    attr.isEnableEdit = false;
    attr.DataRowHeight = 300;
}

void CGridCtrlTableAttributeOp::BuildNewDlgSecondColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"XML_NEW_DLG_SECOND_DXM", "对象名", 88, true, false},
        {"XML_NEW_DLG_SECOND_ZH", "站号", 50, true, false},
        {"XML_NEW_DLG_SECOND_DXLX", "对象类型", 70, true, false},
        {"XML_NEW_DLG_SECOND_DEVICE_ID", "设备ID", 70, false, false},
        {"XML_NEW_DLG_SECOND_PRODUCT_ID", "产品ID", 70, false, false},
        {"XML_NEW_DLG_SECOND_VERSION", "软件版本", 70, false, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = false;
    attr.isEnableEdit = false;
}

void CGridCtrlTableAttributeOp::BuildParamsMonitorColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"IDS_ParaView_1", "IDS_ParaView_1", 127, true, false},
        {"IDS_ParaView_2", "IDS_ParaView_2", 127, true, false},
        {"IDS_ParaView_3", "IDS_ParaView_3", 127, true, false},
        {"IDS_ParaView_4", "IDS_ParaView_4", 127, false, false},
        {"IDS_ParaView_5", "IDS_ParaView_5", 127, false, false},
        {"IDS_ParaView_6", "IDS_ParaView_6", 127, false, false},
        {"IDS_ParaView_7", "IDS_ParaView_7", 127, false, false},
        {"IDS_ParaView_8", "IDS_ParaView_8", 127, false, false},
        {"IDS_ParaView_9", "IDS_ParaView_9", 127, false, false},
        {"IDS_ParaView_10", "IDS_ParaView_10", 127, false, false},
        {"IDS_ParaView_11", "IDS_ParaView_11", 127, false, false},
        {"当前值", "当前值", 127, true, false},
    };
    AddColumns(attr, rows);
    attr.isEnableDragCol = true;
    attr.isShowSortBar = false;
    attr.isMultiRowSelect = false;
}

void CGridCtrlTableAttributeOp::BuildDiShowSetColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"Di状态", "Di状态", 127, true, false},
        {"模式", "模式", 300, true, false},
        {"连接器", "连接器", 127, true, false},
    };
    AddColumns(attr, rows);
    attr.isShowSortBar = false;
    attr.isMultiRowSelect = false;
    attr.isEnableDragCol = false;
    attr.DataRowHeight = 30;
}

void CGridCtrlTableAttributeOp::BuildDoShowSetColumns(CGridTableAttribute &attr)
{
    static const ColumnRow rows[] = {
        {"Do状态", "Do状态", 127, true, false},
        {"模式", "模式", 300, true, false},
        {"连接器", "连接器", 127, true, false},
    };
    AddColumns(attr, rows);
    attr.isShowSortBar = false;
    attr.isMultiRowSelect = false;
    attr.isEnableDragCol = false;
    attr.DataRowHeight = 30;
}
