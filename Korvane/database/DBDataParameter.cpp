#include "database/DBDataParameter.h"

#include "platform/LanguageConf.h"

#include <QHash>

void CDBDataParameter::Clear()
{
    sDbFileVersion.clear();
    nProductID = nAxisID = nDeviceID = bSign = 0;
    iCurValue = iDefaultValue = iMax = iMin = dwWidth = dwAddress = dwInput = 0;
    sGroupNO.clear();
    sNum.clear();
    sName.clear();
    sUnit.clear();
    nModify = nEffective = nLimit = 0;
    m_arrSelects.clear();
}

bool CDBDataParameter::LoadWithVersion(const QString& version, CADORecordset* pRs)
{
    return LoadFromRecordset(pRs) && IsRowVersionAccepted(sDbFileVersion, version);
}

bool CDBDataParameter::LoadFromRecordset(CADORecordset* pRs)
{
    if (!pRs || pRs->IsEOF())
        return false;
    pRs->GetFieldValue(QStringLiteral("sDbFileVersion"), sDbFileVersion);
    pRs->GetFieldValue(QStringLiteral("nProductID"), nProductID);
    pRs->GetFieldValue(QStringLiteral("nAxisID"), nAxisID);
    pRs->GetFieldValue(QStringLiteral("nDeviceID"), nDeviceID);
    pRs->GetFieldValue(QStringLiteral("bSign"), bSign);
    pRs->GetFieldValue32(QStringLiteral("iCurValue"), iCurValue);
    pRs->GetFieldValue32(QStringLiteral("iDefaultValue"), iDefaultValue);
    pRs->GetFieldValue32(QStringLiteral("iMax"), iMax);
    pRs->GetFieldValue32(QStringLiteral("iMin"), iMin);
    pRs->GetFieldValue32(QStringLiteral("dwWidth"), dwWidth);
    pRs->GetFieldValue32(QStringLiteral("dwAddress"), dwAddress);
    pRs->GetFieldValue32(QStringLiteral("dwInput"), dwInput);
    pRs->GetFieldValue(QStringLiteral("sGroupNO"), sGroupNO);
    pRs->GetFieldValue(QStringLiteral("sNum"), sNum);
    pRs->GetFieldValue(QStringLiteral("sName"), sName);
    pRs->GetFieldValue(QStringLiteral("sUnit"), sUnit);
    pRs->GetFieldValue(QStringLiteral("nModify"), nModify);
    pRs->GetFieldValue(QStringLiteral("nEffective"), nEffective);
    pRs->GetFieldValue(QStringLiteral("nLimit"), nLimit);
    return true;
}

bool CDBDataParameter::LoadByProduct(CADODataBase& db, QList<CDBDataParameter>& out,
                                     const QString& version, int productId)
{
    return LoadDbRows<CDBDataParameter>(
        db, {QStringLiteral("select * from PARAMETER where nProductID=?;"), {std::int64_t(productId)}},
        out, [&](const CDBDataParameter& r) { return IsRowVersionAccepted(r.sDbFileVersion, version); });
}

bool CDBDataParameter::LoadByAxis(CADODataBase& db, QList<CDBDataParameter>& out,
                                  const QString& version, int deviceId, int productId, int axisId)
{
    out.clear();
    QList<CDBDataSelects> options;
    if (!CDBDataSelects::LoadByAxis(db, options, productId, axisId))
        return false;
    QHash<QString, QList<CDBDataSelects>> byCode;
    for (const CDBDataSelects& o : options)
        byCode[o.sNum].append(o);

    const QString sql = deviceId == 0
        ? QStringLiteral("select * from PARAMETER where nProductID=? and nAxisID=? order by sNum;")
        : QStringLiteral("select * from PARAMETER where nDeviceID=? and nAxisID=? order by sNum;");
    const std::int64_t owner = deviceId == 0 ? productId : deviceId;
    return LoadDbRows<CDBDataParameter>(db, {sql, {owner, std::int64_t(axisId)}}, out,
                                        [&](CDBDataParameter& r) {
                                            if (!IsRowVersionAccepted(r.sDbFileVersion, version))
                                                return false;
                                            const auto it = byCode.constFind(r.sNum);
                                            if (it != byCode.constEnd())
                                                r.m_arrSelects = it.value();
                                            return true;
                                        });
}

DbStatement CDBDataParameter::GetInsertSql() const
{
    return {QStringLiteral(
                "insert into PARAMETER(sDbFileVersion,nProductID,nAxisID,nDeviceID,bSign,"
                "iCurValue,iDefaultValue,iMax,iMin,dwWidth,dwAddress,dwInput,sGroupNO,sNum,sName,"
                "sUnit,nModify,nEffective,nLimit) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"),
            {sDbFileVersion, std::int64_t(nProductID), std::int64_t(nAxisID),
             std::int64_t(nDeviceID), std::int64_t(bSign), std::int64_t(iCurValue),
             std::int64_t(iDefaultValue), std::int64_t(iMax), std::int64_t(iMin),
             std::int64_t(dwWidth), std::int64_t(dwAddress), std::int64_t(dwInput), sGroupNO, sNum,
             sName, sUnit, std::int64_t(nModify), std::int64_t(nEffective), std::int64_t(nLimit)}};
}

QString GetParamOptionText(const CDBDataParameter& param, std::int32_t value)
{
    for (const CDBDataSelects& option : param.m_arrSelects) {
        if (option.iValue == value)
            return TrText(option.sDescription);
    }
    return {};
}
