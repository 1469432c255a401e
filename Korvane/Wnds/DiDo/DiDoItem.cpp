#include "DiDoItem.h"

#include "SYSPARAM/SysParam.h"
#include "TX/ModbusRTU.h"
#include "platform/LanguageConf.h"

namespace {

struct LabelRow
{
    const char *compact;  // products 4 and 5
    const char *small;    // products 1 and 2
    const char *other;
};

const LabelRow kDiLabels[kDiLineCount] = {
    {"6(GDI1)", "39(GDI1)", "30(GDI1)"},  {"5(GDI2)", "37(GDI2)", "43(GDI2)"},
    {"8(GDI3)", "36(GDI3)", "42(GDI3)"},  {"27(GDI4)", "35(GDI4)", "40(GDI4)"},
    {"12(GDI5)", "41(GDI5)", "38(GDI5)"}, {"31(GDI6)", "43(GDI6)", "37(GDI6)"},
    {nullptr, "45(GDI7)", "36(GDI7)"},    {"7(HDI1)", "21(HDI1)", "20(HDI1)"},
    {"10(HDI2)", "19(HDI2)", "19(HDI2)"},
};

const LabelRow kDoLabels[kDoLineCount] = {
    {"3/4(DO1+/-)", "6/7(DO1+/-)", "11/27(DO1+/-)"},     {"1/2(DO2+/-)", "4/5(DO2+/-)", "13/12(DO2+/-)"},
    {"21/22(DO3+/-)", "9/8(DO3+/-)", "10/41(DO3+/-)"},   {"19/20(DO4+/-)", "32/31(DO4+/-)", "15/14(DO4+/-)"},
    {nullptr, "30/29(DO5+/-)", "9/25(DO5+/-)"},
};

constexpr int kFirstDiCode = 0x0107;
constexpr int kFirstDoCode = 0x0128;

}

bool DiDoLineOfCode(const QString &code, bool *pIsDo, int *pLine, DiDoKind *pKind)
{
    if (code.size() != 5 || !code.startsWith(QLatin1String("P01")))
        return false;
    bool ok = false;
    const int n = code.mid(1).toInt(&ok, 16);
    if (!ok || code.mid(1) != QString::asprintf("%04X", n))
        return false;
    int first = 0;
    int count = 0;
    if (n >= kFirstDiCode && n < kFirstDiCode + 2 * kDiLineCount) {
        first = kFirstDiCode;
        count = kDiLineCount;
        *pIsDo = false;
    } else if (n >= kFirstDoCode && n < kFirstDoCode + 2 * kDoLineCount) {
        first = kFirstDoCode;
        count = kDoLineCount;
        *pIsDo = true;
    } else {
        return false;
    }
    (void)count;
    *pLine = (n - first) / 2;
    *pKind = (n - first) % 2 == 0 ? DiDoKind::Mode : DiDoKind::Function;
    return true;
}

void BuildDiDoRows(const QList<CDBDataParameter> *table, CDiDoLists &lists)
{
    lists = CDiDoLists{};
    if (!table)
        return;
    for (const CDBDataParameter &p : *table) {
        if (p.sGroupNO != QLatin1String("P01"))
            continue;
        bool isDo = false;
        int line = -1;
        DiDoKind kind = DiDoKind::Mode;
        if (!DiDoLineOfCode(p.sNum, &isDo, &line, &kind))
            continue;
        CDiDoItem &row = (isDo ? lists.arrDo : lists.arrDi)[std::size_t(line)];
        auto &options = kind == DiDoKind::Mode ? row.mapModeOptions : row.mapFunctionOptions;
        options.clear();
        for (const CDBDataSelects &s : p.m_arrSelects)
            options.emplace(s.iValue, s.sDescription);
        (kind == DiDoKind::Mode ? row.nModeValue : row.nFunctionValue) = p.iCurValue;
        CDiDoRegister reg;
        reg.dwWidth = DWORD(p.dwWidth);
        reg.dwAddress = DWORD(p.dwAddress);
        reg.nValue = p.iCurValue;
        reg.nLine = line;
        reg.kind = kind;
        (isDo ? lists.regDo : lists.regDi).push_back(reg);
    }
}

const QList<CDBDataParameter> *ActiveParameterTable()
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return nullptr;
    CDataAxisParameter *axis = sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID);
    return axis ? &axis->m_arrParameter : nullptr;
}

int ActiveProductId()
{
    CSysParam *sys = GetSysParam();
    return sys ? sys->m_ProjectDatabase.m_nProductID : 0;
}

bool IsCompactProduct(int productId)
{
    return productId == 4 || productId == 5;
}

QString ConnectorLabel(bool isDo, int line, int productId)
{
    const int count = isDo ? kDoLineCount : kDiLineCount;
    if (line < 0 || line >= count)
        return QString();
    const LabelRow &row = (isDo ? kDoLabels : kDiLabels)[line];
    const char *text = IsCompactProduct(productId) ? row.compact
                       : (productId == 1 || productId == 2) ? row.small
                                                             : row.other;
    return text ? QString::fromLatin1(text) : QString();
}

void SetConnectorLabels(CDiDoLists &lists, int productId)
{
    for (int i = 0; i < kDiLineCount; ++i) {
        const QString label = ConnectorLabel(false, i, productId);
        lists.arrDi[std::size_t(i)].strName = label.isEmpty() ? QString(8, QLatin1Char(' ')) : label;
    }
    for (int i = 0; i < kDoLineCount; ++i) {
        const QString label = ConnectorLabel(true, i, productId);
        lists.arrDo[std::size_t(i)].strName = label.isEmpty() ? QString(13, QLatin1Char(' ')) : label;
    }
}

QString DiDoOptionText(const std::map<std::int32_t, QString> &options, std::int32_t value)
{
    const auto it = options.find(value);
    return it == options.end() ? QString() : TrText(it->second);
}

QStringList DiDoOptionList(const std::map<std::int32_t, QString> &options)
{
    QStringList list;
    const auto count = std::int32_t(options.size());
    for (std::int32_t v = 0; v < count; ++v)
        list << DiDoOptionText(options, v);
    return list;
}

bool DiDoOptionValue(const std::map<std::int32_t, QString> &options, const QString &text, std::int32_t *pValue)
{
    for (const auto &[value, source] : options) {
        if (TrText(source) == text) {
            *pValue = value;
            return true;
        }
    }
    return false;
}

void ApplyStateWord(std::vector<CDiDoItem> &rows, WORD word)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].bState = (word >> i) & 1u ? 1 : 0;
        rows[i].bStateKnown = true;
    }
}

void MarkStatesUnknown(std::vector<CDiDoItem> &rows)
{
    for (CDiDoItem &row : rows)
        row.bStateKnown = false;
}

WORD ForcedWord(const std::vector<CDiDoItem> &rows)
{
    unsigned word = 0;
    for (std::size_t i = 0; i < rows.size() && i < 16; ++i)
        if (rows[i].bState)
            word |= 1u << i;
    return WORD(word & 0xFFFF);
}

WORD ForceEnableWord(bool bForceDi, bool bForceDo)
{
    return WORD((bForceDi ? 1 : 0) + (bForceDo ? 2 : 0));
}

bool ParseStatusReply(const BYTE *reply, DWORD count, BYTE station, int *pValue, DWORD *pError)
{
    // The whole reply, or behind one stray leading byte when that is what makes the CRC good.
    DWORD skip = 0;
    if (count == 0 || CModbusRTU::CRC16(reply, count) != 0) {
        if (count < 2 || count % 2 != 0 || CModbusRTU::CRC16(reply + 1, count - 1) != 0) {
            *pError = CModbusRTU::kErrBadReply;
            return false;
        }
        skip = 1;
    }
    const BYTE *f = reply + skip;
    const DWORD n = count - skip;
    if (n >= 8 && f[2] == 0x80 && f[3] == 0x01) {
        *pError = DWORD(f[4]) * 256 + f[5];
        return false;
    }
    if (n >= 5 && (f[1] & 0x80)) {
        *pError = f[2];
        return false;
    }
    if (n != 7 || f[0] != station || f[1] != 0x23 || f[2] != 2) {
        *pError = CModbusRTU::kErrBadReply;
        return false;
    }
    *pValue = int(f[3]) * 256 + f[4];
    return true;
}

bool ReadStatusRegister(WORD address, int *pValue, int attempts)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return false;
    const BYTE station = sys->m_byStation;
    BYTE frame[8] = {station, 0x23, BYTE(address >> 8), BYTE(address & 0xFF), 0x00, 0x01, 0, 0};
    const WORD crc = CModbusRTU::CRC16(frame, 6);
    frame[6] = BYTE(crc & 0xFF);
    frame[7] = BYTE(crc >> 8);
    for (int i = 0; i < attempts; ++i) {
        BYTE reply[100] = {};
        // A one-register reply: the codec's window for one.
        const DWORD got = sys->RawTransaction(frame, 8, reply, sizeof reply, 7, sys->m_ModbusRTU.RegisterTimeoutMs());
        DWORD error = 0;
        if (got > 0 && ParseStatusReply(reply, got, station, pValue, &error))
            return true;
    }
    return false;
}

int ReadDiDoRegisters(const std::vector<CDiDoRegister> &regs, std::vector<CDiDoItem> &rows, int attempts,
                      const std::atomic<bool> *pStop, const std::function<void(int)> &progress)
{
    CSysParam *sys = GetSysParam();
    int failed = 0;
    for (std::size_t j = 0; j < regs.size(); ++j) {
        const CDiDoRegister &reg = regs[j];
        int value = 0;
        bool ok = false;
        if (sys && !(pStop && *pStop) && reg.nLine >= 0 && std::size_t(reg.nLine) < rows.size()) {
            if (reg.dwWidth == 16)
                ok = sys->ReadReg(WORD(reg.dwAddress), &value, CSysParam::LinkWait::Auto, attempts);
            else if (reg.dwWidth == 32)
                ok = sys->ReadReg32(WORD(reg.dwAddress), &value, CSysParam::LinkWait::Auto, attempts);
        }
        if (ok) {
            CDiDoItem &row = rows[std::size_t(reg.nLine)];
            (reg.kind == DiDoKind::Mode ? row.nModeValue : row.nFunctionValue) = value;
        } else {
            ++failed;
            // A drive that has stopped answering is not asked for the rest of the list.
            if (sys && sys->IsDriveAbsent()) {
                failed += int(regs.size() - j - 1);
                if (progress)
                    progress(int(regs.size()));
                break;
            }
        }
        if (progress)
            progress(int(j) + 1);
    }
    return failed;
}
