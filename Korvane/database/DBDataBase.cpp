#include "database/DBDataBase.h"

#include <QStringList>

bool CDBDataBase::LoadWithVersion(const QString& version, CADORecordset* pRs)
{
    (void)version;
    return LoadFromRecordset(pRs);
}

namespace {

// Leading digits of a version part, and what follows them.
std::pair<qulonglong, QString> SplitPart(const QString& part)
{
    int i = 0;
    qulonglong number = 0;
    while (i < part.size() && part[i].isDigit() && part[i].unicode() < 128) {
        number = number * 10 + qulonglong(part[i].unicode() - '0');
        if (number > 0xFFFFFFFFull)
            number = 0xFFFFFFFFull;
        ++i;
    }
    return {number, part.mid(i)};
}

}  // namespace

int CompareDbVersions(const QString& a, const QString& b)
{
    const QStringList pa = a.trimmed().split(QLatin1Char('.'));
    const QStringList pb = b.trimmed().split(QLatin1Char('.'));
    const qsizetype n = std::max(pa.size(), pb.size());
    for (qsizetype i = 0; i < n; ++i) {
        const auto [na, ra] = SplitPart(i < pa.size() ? pa[i] : QString());
        const auto [nb, rb] = SplitPart(i < pb.size() ? pb[i] : QString());
        if (na != nb)
            return na < nb ? -1 : 1;
        const int c = ra.compare(rb, Qt::CaseInsensitive);
        if (c != 0)
            return c < 0 ? -1 : 1;
    }
    return 0;
}

bool IsRowVersionAccepted(const QString& rowVersion, const QString& dbVersion)
{
    return rowVersion.isEmpty() || CompareDbVersions(rowVersion, dbVersion) <= 0;
}

QString BindIdList(const std::set<int>& ids, std::vector<DbValue>& params)
{
    QString list;
    for (int id : ids) {
        if (!list.isEmpty())
            list += QLatin1Char(',');
        list += QLatin1Char('?');
        params.emplace_back(std::int64_t(id));
    }
    return list;
}

bool DeleteRowsOfOtherProducts(CADODataBase& db, const char* table, const std::set<int>& keep)
{
    if (db.GetState() == 0 || keep.empty())
        return false;
    std::vector<DbValue> params;
    const QString list = BindIdList(keep, params);
    return db.Execute(QStringLiteral("delete from %1 where nProductID not in(%2)")
                          .arg(QLatin1String(table), list),
                      params);
}
