// The parameter page's comparison: the workspace values against the factory defaults, the
// drive or a recipe file; only the rows that differ show, with the reference beside them.
// A comparison never shows "no differences" for a reference it could not get: a link that is
// down or a file that cannot be read ends it with a message.
#include "Wnds/Params/DlgParams.h"

#include "LangText.h"
#include "Wnds/Params/DlgParamCompareSelect.h"
#include "Wnds/Params/DlgParamNote.h"
#include "Wnds/Params/RecipeFile.h"
#include "platform/LanguageConf.h"

#include <QPushButton>

namespace {

int NormalizeCompareType(int type)
{
    return type >= 0 && type <= 2 ? type : 0;
}

}

void CDlgParams::GetOptionText(QString &out, const CDBDataParameter &param, std::int32_t value)
{
    out = param.dwInput == 1 && !param.m_arrSelects.isEmpty() ? GetParamOptionText(param, value) : QString();
}

void CDlgParams::OnCompare()
{
    QPushButton *button = CommandButton(IDC_COMPARE);
    if (!button)
        return;
    if (button->isChecked()) {
        CDlgParamCompareSelect dlg(this);
        if (dlg.DoModal() != IDOK) {
            button->setChecked(false);
            EnableCommandButtons();
            return;
        }
        m_nCompareType = NormalizeCompareType(dlg.m_nChoice);
        m_strCompareFile = dlg.m_strFilePath;
        button->setText(TrSection(m_strLangSection, QStringLiteral("结束参数比对")));
        m_bCompareMode = TRUE;
        EnableCommandButtons();
        RunCompare();
    } else {
        EndCompare();
    }
}

void CDlgParams::EndCompare()
{
    if (QPushButton *button = CommandButton(IDC_COMPARE)) {
        button->setChecked(false);
        button->setText(TrSection(m_strLangSection, QStringLiteral("参数比对")));
    }
    m_bCompareMode = FALSE;
    m_mapRecipeValue.clear();
    m_mapDriveValue.clear();
    RefreshTable();
    EnableCommandButtons();
}

void CDlgParams::RunCompare()
{
    m_mapRecipeValue.clear();
    m_mapDriveValue.clear();
    CSysParam *sys = GetSysParam();
    QList<CDBDataParameter> *params = ActiveParams();
    switch (NormalizeCompareType(m_nCompareType)) {
    case 1: {
        if (!sys || !sys->m_bConnected) {
            platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("请连接串口！")),
                                      TrSection(m_strLangSection, QStringLiteral("参数读取")), MB_OK, this);
            EndCompare();
            return;
        }
        m_arrTransferParameter.clear();
        if (params) {
            for (const QString &code : m_listShownCode)
                for (const CDBDataParameter &p : *params)
                    if (p.sNum == code)
                        m_arrTransferParameter.push_back(p);
        }
        if (m_arrTransferParameter.isEmpty())
            RefreshTable();
        else
            StartParameterRead(1, FALSE);
        return;
    }
    case 2: {
        const RecipeReadResult read =
            params ? ReadRecipeFile(m_strCompareFile, *params) : RecipeReadResult{};
        if (!read.ok) {
            platform::Ui().MessageBox(TrSection(m_strLangSection, QStringLiteral("读取失败!")), QString(), MB_OK, this);
            EndCompare();
            return;
        }
        for (const CDBDataParameter &p : read.records) {
            sys->CheckParamRange(p);
            m_mapRecipeValue[p.sNum] = p.iCurValue;
        }
        RefreshTable();
        return;
    }
    default:
        RefreshTable();
        return;
    }
}

bool CDlgParams::TranslateControls()
{
    const bool ok = CDialogExMid::TranslateControls();
    if (QPushButton *button = CommandButton(IDC_COMPARE))
        button->setText(TrSection(m_strLangSection, m_bCompareMode ? QStringLiteral("结束参数比对")
                                                                   : QStringLiteral("参数比对")));
    if (m_dlgGrid.IsCreated()) {
        CGridTableAttribute attr;
        m_dlgGrid.SaveColumnLayout(attr);
        for (auto &[id, column] : attr.m_mapColumns) {
            if (id.startsWith(QLatin1String("IDS_ParaView_")) && id != QLatin1String("IDS_ParaView_8"))
                column.strColShowName = ReadLangIniString(m_strLangSection, id);
        }
        m_dlgGrid.InitColumns(attr, 2);
        // The rows hold their names, options and rules as texts of the language they were
        // made in: made again.
        RefreshTable();
    }
    if (m_pDlgParamNote)
        m_pDlgParamNote->TranslateControls();
    return ok;
}

bool CDlgParams::OnRecipeCompareCommand(UINT id)
{
    switch (id) {
    case IDC_RECIPE_SAVE: SaveRecipeFile(); return true;
    case IDC_RECIPE_LOAD:
    case ID_RECIPE_LOAD_ALT: LoadRecipeFile(); return true;
    case IDC_RECIPE_LOAD_WRITE:
        if (LoadRecipeFile() == 1)
            WriteCheckedParameters();
        return true;
    case IDC_COMPARE: OnCompare(); return true;
    default: return false;
    }
}
