#include "wizard/WizardRecipe.h"

#include "LangText.h"
#include "SYSPARAM/SysParam.h"
#include "platform/LanguageConf.h"

namespace {

constexpr int kWriteAttempts = 10;
constexpr std::int32_t kWordOrderAddress = 0x8006;

QString Line(const QString &text) { return text + QStringLiteral("\r\n"); }

}

const std::array<QString, 7> &WizardGroupNames()
{
    static const std::array<QString, 7> names = {
        QStringLiteral("编码器识别与设定"), QStringLiteral("控制方式选择"), QStringLiteral("指令输入设定"),
        QStringLiteral("分频输入设定"),     QStringLiteral("停机设定"),     QStringLiteral("制动电阻设定"),
        QStringLiteral("输入输出信号设定"),
    };
    return names;
}

CWizardRecipe::CWizardRecipe()
{
    for (const QString &name : WizardGroupNames()) {
        RecipeGroup g;
        g.strName = name;
        m_groups.push_back(std::move(g));
    }
}

const RecipeGroup *CWizardRecipe::FindGroup(const QString &name) const
{
    for (const RecipeGroup &g : m_groups)
        if (g.strName == name)
            return &g;
    return nullptr;
}

void CWizardRecipe::RemoveEntries(const QString &group)
{
    for (RecipeGroup &g : m_groups)
        if (g.strName == group)
            g.entries.clear();
}

void CWizardRecipe::AddEntry(const QString &group, const QString &code, const QString &text, const QString &value)
{
    for (RecipeGroup &g : m_groups) {
        if (g.strName != group)
            continue;
        bool replaced = false;
        for (auto &[number, entry] : g.entries) {
            if (entry.strCode == code) {
                entry.strText = text;
                entry.strValue = value;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            g.entries[int(g.entries.size())] = RecipeEntry{group, code, text, value};
    }
}

std::vector<RecipeGridRow> CWizardRecipe::GridRows(std::map<int, QString> *captions)
{
    std::vector<RecipeGridRow> rows;
    if (captions)
        captions->clear();
    int n = 0;
    for (RecipeGroup &g : m_groups) {
        g.nFirstRow = n;
        if (captions && !g.entries.empty())
            (*captions)[n] = g.strName;
        for (const auto &[number, e] : g.entries) {
            rows.push_back({e.strCode, e.strText, e.strValue, g.strName});
            ++n;
        }
    }
    return rows;
}

bool ParseRecipeValue(const QString &text, const CDBDataParameter &record, std::int32_t *value)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return false;
    qlonglong lo = 0, hi = 0;
    if (record.dwWidth == 16) {
        lo = record.bSign ? -32768 : 0;
        hi = record.bSign ? 32767 : 65535;
    } else if (record.dwWidth == 32) {
        lo = record.bSign ? qlonglong(INT32_MIN) : 0;
        hi = record.bSign ? qlonglong(INT32_MAX) : qlonglong(UINT32_MAX);
    } else {
        // No register width to check against: the write itself fails without a frame.
        lo = INT32_MIN;
        hi = INT32_MAX;
    }
    if (v < lo || v > hi || v < record.iMin || v > record.iMax)
        return false;
    *value = std::int32_t(v);
    return true;
}

RecipeWriteList CWizardRecipe::BuildWriteList(const QList<CDBDataParameter> &table) const
{
    RecipeWriteList list;
    for (const RecipeGroup &g : m_groups) {
        for (const auto &[number, e] : g.entries) {
            auto it = std::find_if(table.begin(), table.end(), [&](const CDBDataParameter &p) { return p.sNum == e.strCode; });
            if (it == table.end())
                continue;
            CDBDataParameter record = *it;
            const QString valueText = e.strValue.isEmpty() ? QString::number(record.iDefaultValue) : e.strValue;
            std::int32_t value = 0;
            if (!ParseRecipeValue(valueText, record, &value)) {
                list.refused.append(record);
                list.refusedValues.append(valueText);
                continue;
            }
            record.iCurValue = value;
            list.records.append(record);
        }
    }
    return list;
}

RecipeWriteOutcome WriteRecipeRecords(const RecipeWriteList &list, CSysParam *sys,
                                      const std::function<bool()> &askWordOrder,
                                      const std::atomic<bool> &stop)
{
    RecipeWriteOutcome out;
    const int total = int(list.records.size() + list.refused.size());
    if (total == 0)
        return out;
    QString text;
    int failures = 0;
    for (int i = 0; i < list.refused.size(); ++i) {
        const CDBDataParameter &p = list.refused[i];
        text += Line(FillLangPlaces(platform::TrText(QStringLiteral("【值无效】【%s】【%s】【%s】")),
                                    {p.sNum, platform::TrText(p.sName), list.refusedValues.value(i)}));
        ++failures;
    }
    for (const CDBDataParameter &p : list.records) {
        if (stop) {
            out.stopped = true;
            return out;
        }
        const std::int32_t value = p.iCurValue;
        const bool wordOrder = p.dwAddress == kWordOrderAddress;
        if (wordOrder && sys && (value != 0) != (sys->m_bLowWordFirst.load() != FALSE)) {
            if (!askWordOrder || !askWordOrder())
                continue;
        }
        BOOL ok = FALSE;
        for (int attempt = 0; attempt < kWriteAttempts && !ok && sys; ++attempt) {
            if (p.dwWidth == 16)
                ok = sys->WriteReg(WORD(p.dwAddress), WORD(value & 0xFFFF), CSysParam::LinkWait::Block, 1);
            else if (p.dwWidth == 32)
                ok = sys->WriteReg32(WORD(p.dwAddress), DWORD(value), CSysParam::LinkWait::Block, 1);
        }
        if (ok) {
            if (wordOrder)
                sys->m_bLowWordFirst = value != 0 ? TRUE : FALSE;
            out.acknowledged.append(p);
        } else {
            text += Line(FillLangPlaces(LoadLangString(QStringLiteral("IDS_DlgParamUpload_3")), {p.sNum, platform::TrText(p.sName)}));
            ++failures;
        }
    }
    if (failures > 0)
        text += Line(FillLangPlaces(LoadLangString(QStringLiteral("IDS_DlgParamUpload_4")),
                                    {QString::number(total), QString::number(failures)}));
    text += Line(FillLangPlaces(LoadLangString(QStringLiteral("IDS_DlgParamUpload_5")), {QString::number(total)}));
    out.text = text;
    return out;
}
