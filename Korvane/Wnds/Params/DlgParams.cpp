#include "Wnds/Params/DlgParams.h"

#include "AppFlags.h"
#include "PopupMenu.h"
#include "TraceLog.h"
#include "Wnds/Params/DlgParamAddToUser.h"
#include "Wnds/Params/DlgParamNote.h"
#include "controls/MyProgressCtrl.h"
#include "database/ParamValueText.h"
#include "grid/GridCtrlTableAttributeOp.h"
#include "LangText.h"
#include "platform/CommandId.h"
#include "platform/ControlId.h"
#include "platform/ControlNotify.h"
#include "platform/CursorQuery.h"
#include "platform/LanguageConf.h"
#include "platform/PageWorker.h"
#include "platform/UiServices.h"
#include "platform/grid/Grid.h"

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#define PARAMS_LOG KLOG("Wnds\\Params\\DlgParams")

using platform::TrSection;
using platform::TrText;

namespace {

constexpr const char *kTableId = "XML_Params";
const QString kColCode = QStringLiteral("IDS_ParaView_1");
const QString kColName = QStringLiteral("IDS_ParaView_2");
const QString kColValue = QStringLiteral("IDS_ParaView_3");
const QString kColDefault = QStringLiteral("IDS_ParaView_4");
const QString kColUnit = QStringLiteral("IDS_ParaView_5");
const QString kColMin = QStringLiteral("IDS_ParaView_6");
const QString kColMax = QStringLiteral("IDS_ParaView_7");
const QString kColIndex = QStringLiteral("IDS_ParaView_8");
const QString kColCompare = QStringLiteral("IDS_ParaView_9");
const QString kColModify = QStringLiteral("IDS_ParaView_10");
const QString kColEffective = QStringLiteral("IDS_ParaView_11");

constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 4;
constexpr int kStripHeight = 52;
constexpr int kNoteWidth = 410;

CGridCellData TextCell(const QString &text)
{
    CGridCellData cell;
    cell.m_strValue = text;
    return cell;
}

}

CDlgParams::CDlgParams() : CDialogExMid(IDD)
{
    m_strLangSection = QStringLiteral("CDlgParams");
    m_setNoTranslateIds.insert(IDC_COMPARE);
    m_pWorker = std::make_unique<platform::PageWorker>(this, "parameter transfer");
    m_pDlgParamNote = new CDlgParamNote(this);
    m_nMsgHeaderCheck = platform::GridMessage("BCGM_GRID_HEADERCHECKBOX_CLICK");
    m_nMsgRowCheck = platform::GridMessage("BCGM_GRID_ROW_CHECKBOX_CLICK");
    m_nMsgSelChanged = platform::GridMessage("BCGM_GRID_SEL_CHANGED");
    m_nMsgEnter = platform::GridMessage("BCGM_GRID_ENTER_MSG");
    m_nMsgColourRefresh = platform::RegisterWindowMessage(QStringLiteral("WM_MSG_GRID_COLOR_CUSTOM_REFRESH"));
    m_nMsgProgressShow = platform::RegisterWindowMessage(QStringLiteral("KORVANE_PARAMS_PROGRESS_SHOW"));
    CreateControls();
}

CDlgParams::~CDlgParams()
{
    // The worker reports to this page and reads its members: it ends first.
    m_pWorker->Stop();
    delete m_pDlgParamNote;
}

void CDlgParams::CreateControls()
{
    const struct {
        int id;
        const char *caption;
    } buttons[] = {
        {IDC_READ_ALL, "所有参数"},   {IDC_READ_CHECKED, "勾选参数"}, {IDC_WRITE_ALL, "所有参数"},
        {IDC_WRITE_CHECKED, "勾选参数"}, {IDC_RECIPE_LOAD, "导入"},      {IDC_RECIPE_SAVE, "导出"},
        {IDC_RECIPE_LOAD_WRITE, "一键导入"}, {IDC_COMPARE, "参数比对"},
    };
    const struct {
        int id;
        const char *caption;
    } labels[] = {{IDC_LABEL_READ, "从驱动器读取"}, {IDC_LABEL_WRITE, "写入到驱动器"}, {IDC_LABEL_RECIPE, "配方文件"}};
    const int frameIds[] = {2134, 2135, 2136};
    for (size_t i = 0; i < m_frames.size(); ++i) {
        m_frames[i] = new QFrame(this);
        m_frames[i]->setFrameShape(QFrame::StyledPanel);
        platform::SetCtrlId(m_frames[i], frameIds[i]);
        m_stcGroup[i] = new QLabel(QString::fromUtf8(labels[i].caption), this);
        platform::SetCtrlId(m_stcGroup[i], labels[i].id);
    }
    for (size_t i = 0; i < m_btnCommand.size(); ++i) {
        auto *button = new QPushButton(QString::fromUtf8(buttons[i].caption), this);
        platform::SetCtrlId(button, buttons[i].id);
        if (buttons[i].id == IDC_COMPARE)
            button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [button] { platform::NotifyParent(button, BN_CLICKED); });
        m_btnCommand[i] = button;
    }
    m_pProgress = new CMyProgressCtrl(this, true);
    platform::SetCtrlId(m_pProgress, IDC_PROGRESS);
    m_pProgress->hide();
}

QPushButton *CDlgParams::CommandButton(int id) const
{
    for (QPushButton *b : m_btnCommand) {
        if (platform::GetCtrlId(b) == id)
            return b;
    }
    return nullptr;
}

bool CDlgParams::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    CGridTableAttribute attr;
    CGridCtrlTableAttributeOp::GetInstance()->GetTableAttribute(QString::fromLatin1(kTableId), attr);
    for (auto &[id, col] : attr.m_mapColumns) {
        const QString text = id != kColIndex ? ReadLangIniString(m_strLangSection, id) : QString();
        if (!text.isEmpty() && text != QLatin1String("Not found"))
            col.strColShowName = text;
    }
    m_dlgGrid.m_strTableId = QString::fromLatin1(kTableId);
    m_dlgGrid.SetOwner(this);
    m_dlgGrid.Create(this);
    m_dlgGrid.InitColumns(attr, 0);
    m_dlgGrid.show();
    m_pDlgParamNote->Create(this);
    m_pDlgParamNote->hide();
    Layout();
    RefreshTable();
    const QRect client = rect();
    m_pProgress->setGeometry(client.center().x(), client.center().y() - 40, 400, 70);
    m_pProgress->hide();
    if (QPushButton *compare = CommandButton(IDC_COMPARE))
        compare->setChecked(false);
    return true;
}

void CDlgParams::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    Layout();
}

void CDlgParams::Layout()
{
    const QRect client = rect().adjusted(1, 2, -1, 0);
    // Three groups along the top: read (2 buttons), write (2), recipe (3), then the comparison.
    const int groups[3][2] = {{0, 2}, {2, 4}, {4, 7}};
    int x = client.left() + kButtonGap;
    const int labelY = client.top();
    const int buttonY = client.top() + 20;
    for (int g = 0; g < 3; ++g) {
        const int first = groups[g][0], last = groups[g][1];
        const int width = (last - first) * (kButtonWidth + kButtonGap) + kButtonGap;
        m_frames[size_t(g)]->setGeometry(x - 2, labelY, width + 2, kStripHeight - 2);
        m_stcGroup[size_t(g)]->setGeometry(x + kButtonGap, labelY + 2, width - 2 * kButtonGap, 16);
        for (int b = first; b < last; ++b) {
            m_btnCommand[size_t(b)]->setGeometry(x + kButtonGap, buttonY, kButtonWidth, kButtonHeight);
            x += kButtonWidth + kButtonGap;
        }
        x += 3 * kButtonGap;
    }
    m_btnCommand[7]->setGeometry(x + kButtonGap, buttonY, kButtonWidth, kButtonHeight);

    const int stripBottom = client.top() + kStripHeight;
    const bool noteShown = m_pDlgParamNote && m_pDlgParamNote->isVisibleTo(this);
    int gridRight = client.right();
    if (noteShown) {
        const QRect note(client.right() - kNoteWidth + 1, stripBottom + 1, kNoteWidth, client.bottom() - stripBottom);
        m_pDlgParamNote->setGeometry(note);
        gridRight = note.left() - 5;
    }
    m_dlgGrid.setGeometry(QRect(QPoint(client.left(), stripBottom + 7), QPoint(gridRight, client.bottom())));
}

// ---- look-ups ----------------------------------------------------------------------------------

QList<CDBDataParameter> *CDlgParams::ActiveParams()
{
    CSysParam *sys = GetSysParam();
    CDataAxisParameter *axis = sys ? sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
    return axis ? &axis->m_arrParameter : nullptr;
}

QList<CDBDataParameter> *CDlgParams::CheckedParams()
{
    CSysParam *sys = GetSysParam();
    CDataDevice *device = sys ? sys->m_ProjectDatabase.m_Project.FindDevice(sys->m_ProjectDatabase.m_nCurDeviceID) : nullptr;
    return device ? &device->m_arrParameter : nullptr;
}

const CDBDataParameter *CDlgParams::FindRecord(const QString &code) const
{
    const QList<CDBDataParameter> *params = ActiveParams();
    if (!params)
        return nullptr;
    for (const CDBDataParameter &p : *params) {
        if (p.sNum == code)
            return &p;
    }
    return nullptr;
}

bool CDlgParams::PassesHiddenRule(const CDBDataParameter &param) const
{
    CSysParam *sys = GetSysParam();
    return param.nLimit == 0 || (sys && sys->m_bEngineer);
}

CDBDataParameter *CDlgParams::RecordOfRow(int nRow)
{
    QString text;
    if (!m_dlgGrid.GetRowCellText(text, nRow, kColIndex))
        return nullptr;
    bool ok = false;
    const int index = text.toInt(&ok);
    QList<CDBDataParameter> *params = ActiveParams();
    if (!ok || !params || index < 0 || index >= params->size())
        return nullptr;
    return &(*params)[index];
}

int CDlgParams::FindRowByCode(const QString &code)
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    for (int r = 0; grid && r < grid->GetRowCount(); ++r) {
        QString text;
        if (m_dlgGrid.GetRowCellText(text, r, kColCode) && text == code)
            return r;
    }
    return -1;
}

QString CDlgParams::CurrentRowCode()
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    const int row = grid ? grid->GetCurSelItemID().m_nRow : -1;
    QString code;
    if (row < 0 || !m_dlgGrid.GetRowCellText(code, row, kColCode))
        return QString();
    return code;
}

// ---- groups and rows -----------------------------------------------------------------------------

void CDlgParams::ShowParamGroup(const NavigationTarget &target)
{
    m_group = target;
    m_nGroupIndex = target.m_nTargetId;
    m_listShownCode.clear();
    const QList<CDBDataParameter> *params = ActiveParams();
    CSysParam *sys = GetSysParam();
    if (m_nGroupIndex != -1 && params && sys) {
        if (!target.m_bCustom) {
            for (const CDBDataParameter &p : *params) {
                if ((target.m_bAll || p.sGroupNO == target.m_strGroup) && PassesHiddenRule(p))
                    m_listShownCode.append(p.sNum);
            }
        } else {
            for (const CParamUser &member : sys->m_arrParamUser) {
                if (!target.m_bAll && member.sGroupName != target.m_strGroup)
                    continue;
                if (target.m_bAll && m_listShownCode.contains(member.sNum))
                    continue;
                const CDBDataParameter *p = FindRecord(member.sNum);
                if (p && PassesHiddenRule(*p))
                    m_listShownCode.append(member.sNum);
            }
        }
    } else if (params) {
        // No group chosen yet: every parameter, as "所有参数" shows them.
        for (const CDBDataParameter &p : *params) {
            if (PassesHiddenRule(p))
                m_listShownCode.append(p.sNum);
        }
    }
    if (m_bCompareMode)
        RerunComparison();
    else
        RefreshTable();
}

void CDlgParams::RerunComparison()
{
    // The comparison re-reads its reference and rebuilds the table itself.
    RunCompare();
}

bool CDlgParams::BuildRow(const CDBDataParameter &param, int index, CGridRowDataMap &rows) const
{
    QString reference;
    if (m_bCompareMode) {
        if (m_nCompareType == 0) {
            if (param.iDefaultValue == param.iCurValue)
                return false;
            reference = ParamValueText(param, param.iDefaultValue);
        } else {
            const auto &map = m_nCompareType == 1 ? m_mapDriveValue : m_mapRecipeValue;
            auto it = map.find(param.sNum);
            if (it == map.end() || it->second == param.iCurValue)
                return false;
            reference = ParamValueText(param, it->second);
        }
    }
    CGridRowData row = BaseRow(param, index);
    if (!m_bCompareMode) {
        CSysParam *sys = GetSysParam();
        if (sys) {
            const QMap<QString, std::int32_t> &loaded = sys->GetCurrentDeviceSelects();
            auto it = loaded.find(param.sNum);
            if (it != loaded.end() && it.value() != param.iCurValue)
                row[kColValue].m_spBackColors = std::make_shared<std::vector<COLORREF>>(1, kChangedColour);
        }
    }
    CGridCellData compare = TextCell(m_bCompareMode ? reference : FormatParamNumber(param.sNum, 0));
    if (m_bCompareMode)
        compare.m_spBackColors = std::make_shared<std::vector<COLORREF>>(1, kCompareColour);
    row[kColCompare] = compare;
    static const char *const kModify[] = {"随时设定", "停机时设定", "仅显示", "保留参数"};
    static const char *const kEffective[] = {"立即生效", "下次上电生效"};
    row[kColModify] = TextCell(param.nModify >= 0 && param.nModify < 4
                                   ? TrSection(m_strLangSection, QString::fromUtf8(kModify[param.nModify]))
                                   : QString());
    row[kColEffective] = TextCell(param.nEffective >= 0 && param.nEffective < 2
                                      ? TrSection(m_strLangSection, QString::fromUtf8(kEffective[param.nEffective]))
                                      : QString());
    if (param.nModify == 2) {
        for (auto &[id, cell] : row)
            cell.m_bEnabled = 0;
    }
    if (param.sNum == QLatin1String("P0007"))
        PARAMS_LOG << " P0007 Value " << param.iCurValue;
    const std::int64_t key = static_cast<std::int64_t>(rows.size());
    rows[key] = std::move(row);
    return true;
}

CGridRowData CDlgParams::BaseRow(const CDBDataParameter &param, int index)
{
    CGridRowData row;
    row[kColCode] = TextCell(param.sNum);
    row[kColName] = TextCell(TrText(param.sName));
    CGridCellData &value = row[kColValue];
    const QString option = param.dwInput == 1 ? GetParamOptionText(param, param.iCurValue) : QString();
    value.m_strValue = option.isEmpty() ? FormatParamNumber(param.sNum, param.iCurValue) : option;
    if (!option.isEmpty()) {
        value.m_byCellKind = 5;
        auto options = std::make_shared<std::vector<QString>>();
        for (const CDBDataSelects &s : param.m_arrSelects)
            options->push_back(TrText(s.sDescription));
        value.m_spOptions = options;
    }
    row[kColDefault] = TextCell(ParamValueText(param, param.iDefaultValue));
    row[kColUnit] = TextCell(param.sUnit);
    row[kColMin] = TextCell(FormatParamNumber(param.sNum, param.iMin));
    row[kColMax] = TextCell(FormatParamNumber(param.sNum, param.iMax));
    row[kColIndex] = TextCell(QString::number(index));
    return row;
}

void CDlgParams::RefreshTable()
{
    if (!m_dlgGrid.GetGrid())
        return;
    CGridTableAttribute attr;
    m_dlgGrid.SaveColumnLayout(attr);
    auto compare = attr.m_mapColumns.find(kColCompare);
    if (compare != attr.m_mapColumns.end())
        compare->second.isShow = m_bCompareMode != 0;

    CGridRowDataMap rows;
    const QList<CDBDataParameter> *params = ActiveParams();
    for (const QString &code : m_listShownCode) {
        for (int i = 0; params && i < params->size(); ++i) {
            if ((*params)[i].sNum == code) {
                BuildRow((*params)[i], i, rows);
                break;
            }
        }
    }
    m_dlgGrid.setUpdatesEnabled(false);
    m_dlgGrid.InitColumns(attr, 2);
    m_dlgGrid.SetRowDataMap(rows);
    m_dlgGrid.setUpdatesEnabled(true);
    m_dlgGrid.FillRows();

    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    grid->GetColumnsInfo().SetCheckBoxState(false);
    if (const QList<CDBDataParameter> *checked = CheckedParams()) {
        for (int r = 0; r < grid->GetRowCount(); ++r) {
            QString code;
            if (!m_dlgGrid.GetRowCellText(code, r, kColCode))
                continue;
            for (const CDBDataParameter &c : *checked) {
                if (c.sNum == code) {
                    m_dlgGrid.SetRowCheck(TRUE, r);
                    break;
                }
            }
        }
    }
    if (m_pDlgParamNote->isVisibleTo(this))
        SetNoteVisible(false);
}

void CDlgParams::UpdateSingleRow()
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    if (!grid)
        return;
    const platform::GridItemID cur = grid->GetCurSelItemID();
    QString code;
    if (cur.m_nRow < 0 || cur.m_nColumn < 0 || !m_dlgGrid.GetRowCellText(code, cur.m_nRow, kColCode))
        return;
    const QList<CDBDataParameter> *params = ActiveParams();
    for (int i = 0; params && i < params->size(); ++i) {
        if ((*params)[i].sNum != code)
            continue;
        CGridRowDataMap fresh;
        if (!BuildRow((*params)[i], i, fresh))
            return;
        const QString field = m_dlgGrid.GetColumnFieldId(cur.m_nColumn);
        auto cell = fresh.begin()->second.find(field);
        if (cell != fresh.begin()->second.end())
            m_dlgGrid.SetCellValue(cur.m_nRow, cell->second.m_strValue, field);
        return;
    }
}

void CDlgParams::SetRowValueFromPane(const CDBDataParameter &param, const QString &text)
{
    const int row = FindRowByCode(param.sNum);
    if (row < 0)
        return;
    m_dlgGrid.SetCellValue(row, text, kColValue);
    m_dlgGrid.SetCellColors(param.iCurValue == param.iDefaultValue ? TRUE : FALSE, row, kColValue);
    UpdateCheckedList(param, TRUE);
    m_dlgGrid.SetRowCheck(TRUE, row);
}

BOOL CDlgParams::ReplaceParamInList(QList<CDBDataParameter> &list, const CDBDataParameter &param)
{
    for (CDBDataParameter &p : list) {
        if (p.sNum == param.sNum) {
            p = param;
            break;
        }
    }
    return TRUE;
}

BOOL CDlgParams::UpdateCheckedList(const CDBDataParameter &param, BOOL bAdd)
{
    QList<CDBDataParameter> *checked = CheckedParams();
    if (!checked)
        return TRUE;
    for (int i = 0; i < checked->size(); ++i) {
        if ((*checked)[i].sNum == param.sNum) {
            if (bAdd)
                (*checked)[i] = param;
            else
                checked->removeAt(i);
            return TRUE;
        }
    }
    if (bAdd)
        checked->append(param);
    return TRUE;
}

void CDlgParams::EnableCommandButtons()
{
    for (size_t i = 0; i + 1 < m_btnCommand.size(); ++i)
        m_btnCommand[i]->setEnabled(m_bCompareMode == 0);
}

// ---- messages ------------------------------------------------------------------------------------

LRESULT CDlgParams::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == m_nMsgHeaderCheck && msg) {
        ToggleCheckAll();
        return 1;
    }
    if (msg == m_nMsgRowCheck && msg) {
        OnRowCheckBoxClick(wParam, lParam);
        return 0;
    }
    if (msg == m_nMsgSelChanged && msg) {
        OnSelChanged();
        return 0;
    }
    if (msg == m_nMsgEnter && msg)
        return OnGridEnter(wParam, lParam);
    if (msg == m_nMsgColourRefresh && msg) {
        m_dlgGrid.ApplyGridColors();
        if (m_dlgGrid.GetGrid())
            m_dlgGrid.GetGrid()->AdjustLayout();
        return 0;
    }
    if (msg == m_nMsgProgressShow && msg) {
        m_pProgress->setVisible(wParam != 0);
        if (wParam)
            m_pProgress->raise();
        return 0;
    }
    switch (msg) {
    case UM_PAGE_ACTIVATE:
        PARAMS_LOG << "will active set grid Data";
        RefreshTable();
        return 0;
    case UM_THEME_CHANGED:
        CDialogExMid::WindowProc(msg, wParam, lParam);
        m_dlgGrid.ApplyGridColors();
        return 0;
    case UM_THREAD_FINISHED:
        if (auto runData = Payload<QList<CRunData>>()) {
            if (CSysParam *sys = GetSysParam())
                sys->m_arrRunData = *runData;
        }
        ApplyReadResults();
        FocusGrid();
        return 1;
    case UM_GRID_ITEM_CHANGED:
        OnItemChanged(lParam);
        return 0;
    case UM_GRID_CELL_RCLICK:
        return OnCellRClick(lParam);
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    default:
        return CDialogExMid::WindowProc(msg, wParam, lParam);
    }
}

void CDlgParams::OnCommand(UINT id)
{
    switch (id) {
    case IDC_READ_ALL: ReadAllParameters(); break;
    case IDC_READ_CHECKED: ReadCheckedParameters(); break;
    case IDC_WRITE_ALL: WriteAllParameters(); break;
    case IDC_WRITE_CHECKED: WriteCheckedParameters(); break;
    case ID_CHECK_TOGGLE: ToggleCheckAll(); break;
    case ID_CHECK_ALL: SetAllChecks(true); break;
    case ID_UNCHECK_ALL: SetAllChecks(false); break;
    case ID_ADD_TO_CUSTOM: AddCurrentToCustom(); break;
    case ID_REMOVE_FROM_CUSTOM: RemoveCurrentFromCustom(); break;
    case ID_ADD_TO_MONITOR: AddCurrentToMonitor(); break;
    case ID_READ_ROW:
        m_bSingleRowRead = TRUE;
        platform::SendMessage(platform::WindowRef(m_pDlgParamNote), WM_COMMAND, CDlgParamNote::IDC_READ, 0);
        m_bSingleRowRead = FALSE;
        break;
    case ID_WRITE_ROW:
        platform::SendMessage(platform::WindowRef(m_pDlgParamNote), WM_COMMAND, CDlgParamNote::IDC_WRITE, 0);
        break;
    // The menu's 2011 and 2012 have no action (the buttons do that work).
    default: OnRecipeCompareCommand(id); break;
    }
}

void CDlgParams::OnItemChanged(LPARAM lParam)
{
    const auto *info = reinterpret_cast<const platform::GridItemInfo *>(lParam);
    if (!info || info->nRow < 0 || info->nCol < 0 || m_dlgGrid.GetColumnFieldId(info->nCol) != kColValue)
        return;
    CDBDataParameter *param = RecordOfRow(info->nRow);
    QString text;
    if (!param || !m_dlgGrid.GetRowCellText(text, info->nRow, kColValue))
        return;
    const std::optional<std::int32_t> typed = ParseParamValueText(*param, text);
    if (!typed) {
        // Not a whole number nor an option: nothing of it is kept, and the user learns why.
        m_bEditRefused = true;
        m_dlgGrid.SetCellValue(info->nRow, ParamValueText(*param, param->iCurValue), kColValue);
        CDlgParamNote::TellRefusedValue(this, *param, text);
        return;
    }
    const std::int32_t value = *typed;
    m_bEditRefused = !IsParamValueInRange(*param, value);
    if (!m_bEditRefused) {
        PARAMS_LOG << "更新Param 缓存中的数据 " << value;
        param->iCurValue = value;
        UpdateCheckedList(*param, TRUE);
        m_dlgGrid.SetRowCheck(TRUE, info->nRow);
        bool changed = false;
        if (!m_bCompareMode) {
            const QMap<QString, std::int32_t> &loaded = GetSysParam()->GetCurrentDeviceSelects();
            auto it = loaded.find(param->sNum);
            changed = it != loaded.end() && it.value() != value;
        }
        m_dlgGrid.SetCellColors(changed ? FALSE : TRUE, info->nRow, kColValue);
        ShowNoteFor(param);
    } else {
        m_dlgGrid.SetCellValue(info->nRow, ParamValueText(*param, param->iCurValue), kColValue);
        CDlgParamNote::TellRefusedValue(this, *param, text);
    }
}

std::vector<int> CDlgParams::ContextMenuCommands(bool bLocked, bool bCompareMode, bool bSingleCustomGroup)
{
    std::vector<int> ids;
    if (!bLocked)
        ids.push_back(ID_WRITE_ROW);
    ids.push_back(ID_READ_ROW);
    ids.push_back(ID_CHECK_ALL);
    if (!bCompareMode) {
        if (!bLocked)
            ids.push_back(ID_WRITE_CHECKED_MENU);
        ids.push_back(ID_READ_CHECKED_MENU);
    }
    ids.push_back(ID_ADD_TO_CUSTOM);
    if (bSingleCustomGroup)
        ids.push_back(ID_REMOVE_FROM_CUSTOM);
    ids.push_back(ID_ADD_TO_MONITOR);
    return ids;
}

LRESULT CDlgParams::OnCellRClick(LPARAM lParam)
{
    const auto *hit = reinterpret_cast<const QLGridCellNotify *>(lParam);
    if (!hit || hit->nRow < 0 || !hit->pItem)
        return 0;
    const bool locked = m_dlgGrid.IsLockedCell(hit->nRow, hit->nColumn);
    const bool singleCustom = m_group.m_bCustom && !m_group.m_bAll && m_nGroupIndex != -1;
    QMenu menu(this);
    menu.setProperty("menuResId", kContextMenuId);
    for (int id : ContextMenuCommands(locked, m_bCompareMode != 0, singleCustom)) {
        const char *text = "";
        switch (id) {
        case ID_WRITE_ROW: text = "写入参数"; break;
        case ID_READ_ROW: text = "读取参数"; break;
        case ID_CHECK_ALL: text = "本页全选"; break;
        case ID_WRITE_CHECKED_MENU: text = "写勾选参数到驱动器"; break;
        case ID_READ_CHECKED_MENU: text = "读取驱动器勾选参数"; break;
        case ID_ADD_TO_CUSTOM: text = "添加到自定义"; break;
        case ID_REMOVE_FROM_CUSTOM: text = "从自定义中删除"; break;
        default: text = "添加到监控"; break;
        }
        platform::SetCommandId(menu.addAction(TrSection(m_strLangSection, QString::fromUtf8(text))), id);
    }
    const QPoint at = platform::GetCursorPos();
    ShowPopupMenu(this, &menu, at.x(), at.y());
    return 1;
}

void CDlgParams::OnRowCheckBoxClick(WPARAM, LPARAM lParam)
{
    PARAMS_LOG << "OnGrid_RowCheckBoxClick S";
    QWidget *owner = parentWidget();
    if (owner)
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(owner)), m_nMsgRowCheck,
                              reinterpret_cast<WPARAM>(this), lParam);
    auto *row = reinterpret_cast<platform::GridRow *>(lParam);
    if (row) {
        const int r = row->GetRowId();
        if (CDBDataParameter *param = RecordOfRow(r)) {
            const bool checked = row->GetCheck();
            UpdateCheckedList(*param, checked ? TRUE : FALSE);
            m_dlgGrid.SetRowCheck(checked ? TRUE : FALSE, r);
        }
    }
    PARAMS_LOG << "OnGrid_RowCheckBoxClick e";
}

void CDlgParams::SetAllChecks(bool bCheck)
{
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    if (!grid || !grid->HasCheckBoxes())
        return;
    for (int r = 0; r < grid->GetRowCount(); ++r) {
        platform::GridRow *row = grid->GetRow(r);
        if (!row || row->GetCheck() == bCheck)
            continue;
        if (CDBDataParameter *param = RecordOfRow(r))
            UpdateCheckedList(*param, bCheck ? TRUE : FALSE);
        row->SetCheck(bCheck);
    }
    grid->GetColumnsInfo().SetCheckBoxState(bCheck && grid->GetRowCount() > 0);
    grid->RedrawAll();
}

void CDlgParams::ToggleCheckAll()
{
    PARAMS_LOG << "OnBnClickedBtnRightUndo S";
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    if (grid && grid->HasCheckBoxes() && grid->GetRowCount() > 0) {
        bool all = true;
        for (int r = 0; r < grid->GetRowCount() && all; ++r)
            all = grid->GetRow(r)->GetCheck();
        SetAllChecks(!all);
    }
    PARAMS_LOG << "OnBnClickedBtnRightUndo e";
}

void CDlgParams::OnSelChanged()
{
    m_bEditRefused = false;
    CQLBCGGridCtrl *grid = m_dlgGrid.GetGrid();
    const platform::GridItemID cur = grid ? grid->GetCurSelItemID() : platform::GridItemID{};
    CDBDataParameter *param = cur.m_nRow >= 0 && cur.m_nColumn >= 0 && !m_dlgGrid.IsLockedCell(cur.m_nRow, cur.m_nColumn)
                                  ? RecordOfRow(cur.m_nRow)
                                  : nullptr;
    if (param) {
        ShowNoteFor(param);
    } else if (m_pDlgParamNote->isVisibleTo(this)) {
        SetNoteVisible(false);
    }
}

void CDlgParams::ShowNoteFor(CDBDataParameter *param)
{
    m_pDlgParamNote->SetParameter(param);
    if (!m_pDlgParamNote->isVisibleTo(this))
        SetNoteVisible(true);
}

void CDlgParams::SetNoteVisible(bool visible)
{
    m_pDlgParamNote->setVisible(visible);
    Layout();
}

void CDlgParams::AddCurrentToCustom()
{
    CSysParam *sys = GetSysParam();
    const QString code = CurrentRowCode();
    if (!sys || code.isEmpty())
        return;
    CDlgParamAddToUser dlg(this);
    if (dlg.DoModal() != IDOK)
        return;
    bool listed = false;
    for (const CParamUser &pair : sys->m_arrParamUser)
        listed = listed || (pair.sGroupName == dlg.m_strGroupName && pair.sNum == code);
    if (!listed)
        sys->m_arrParamUser.push_back(CParamUser{dlg.m_strGroupName, code});
    const CDBDataParameter *param = FindRecord(code);
    if (!m_listShownCode.contains(code) && param && PassesHiddenRule(*param)) {
        m_listShownCode.append(code);
        RefreshTable();
    }
}

void CDlgParams::RemoveCurrentFromCustom()
{
    CSysParam *sys = GetSysParam();
    const QString code = CurrentRowCode();
    if (!sys || code.isEmpty())
        return;
    if (platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("是否将该参数从自定义组中删除？")),
                                  TrText(QStringLiteral("提示")), MB_YESNO | MB_ICONQUESTION, this) != IDYES)
        return;
    for (int i = 0; i < sys->m_arrParamUser.size(); ++i) {
        if (sys->m_arrParamUser[i].sGroupName == m_group.m_strGroup && sys->m_arrParamUser[i].sNum == code) {
            sys->m_arrParamUser.removeAt(i);
            break;
        }
    }
    m_listShownCode.removeOne(code);
    RefreshTable();
}

void CDlgParams::AddCurrentToMonitor()
{
    QString code = CurrentRowCode();
    if (code.isEmpty())
        return;
    if (QWidget *main = platform::MainWindow())
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(main)), UM_MONITOR_ADD_PARAM, 0,
                              reinterpret_cast<LPARAM>(&code));
}

void CDlgParams::FocusGrid()
{
    if (m_dlgGrid.GetGrid())
        m_dlgGrid.GetGrid()->setFocus();
}
