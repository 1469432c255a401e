#include "database/DefaultRegisters.h"

#include "database/DBDataFileHead.h"
#include "database/DBDataParameter.h"

std::map<std::uint16_t, RegisterDefault> LoadDefaultRegisterValues(const QString& dbPath,
                                                                   int productId, QString* error)
{
    std::map<std::uint16_t, RegisterDefault> registers;
    CADODataBase db;
    CDBDataFileHead head;
    QList<CDBDataParameter> params;
    if (!db.Open(CADODataBase::MakeConnectionString(dbPath, CADODataBase::OpenMode::Read)) ||
        !CDBDataFileHead::LoadFirst(db, head, {}) ||
        !CDBDataParameter::LoadByAxis(db, params, head.sDbFileVersion, 0, productId, 1)) {
        if (error)
            *error = db.GetLastError();
        return registers;
    }
    for (const CDBDataParameter& p : params) {
        if (p.dwAddress < 0 || p.dwAddress > 0xFFFF)
            continue;
        const auto address = static_cast<std::uint16_t>(p.dwAddress);
        const auto it = registers.find(address);
        if (it != registers.end() && !p.sNum.startsWith(QLatin1Char('P')))
            continue;
        if (it != registers.end() && it->second.code.startsWith(QLatin1Char('P')))
            continue;
        RegisterDefault value;
        value.width = p.dwWidth == 32 ? 32 : 16;
        value.value = static_cast<std::uint32_t>(p.iDefaultValue);
        if (value.width == 16)
            value.value &= 0xFFFF;
        value.code = p.sNum;
        registers[address] = value;
    }
    if (registers.empty() && error)
        *error = QStringLiteral("no parameters of product %1").arg(productId);
    return registers;
}
