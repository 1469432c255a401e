#include "database/ProjectDatabase.h"

#include "database/ADORecordset.h"
#include "platform/SaveFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// More axes than any drive has: a damaged product row must not drive the loaders on.
constexpr int kMaxAxes = 64;

QString DbDetail(const CADODataBase& db)
{
    return db.GetLastError();
}

// SQLite's integrity check answers one row "ok" for a sound file, else a row per problem.
// (The quicker check does not compare the indexes with their tables: a file whose index lost
// entries would open with part of its parameters, and the next save would keep only those.)
bool IsFileIntact(CADODataBase& db, QString& detail)
{
    CADORecordset rs(&db);
    if (!rs.Open(QStringLiteral("PRAGMA integrity_check"))) {
        detail = rs.GetLastError();
        return false;
    }
    QString first;
    if (rs.IsEOF() || !rs.GetFieldValue(QStringLiteral("integrity_check"), first)) {
        detail = QStringLiteral("the file's check gave no answer");
        return false;
    }
    rs.MoveNext();
    if (first != QLatin1String("ok") || !rs.IsEOF()) {
        detail = QStringLiteral("damaged file: ") + first;
        return false;
    }
    return true;
}

// A field whose stored number lies beyond what the program holds it in ("bits" wide, signed).
QString DoesNotFit(std::initializer_list<const char*> fields, int bits)
{
    const qint64 top = (qint64(1) << (bits - 1)) - 1;
    QStringList parts;
    for (const char* f : fields)
        parts << QStringLiteral("(%1 not between %2 and %3)").arg(QLatin1String(f)).arg(-top - 1).arg(top);
    return parts.join(QStringLiteral(" or "));
}

// Rows a sound project never holds, though the file itself is well formed: a number field
// with text or nothing in it, or a value its field cannot hold (a 32-bit value beyond 32 bits,
// an id beyond 16: it would load as another number), a range upside down, a current value
// outside its range, a width the drive does not have, an address beyond the register space, a
// parameter without a code, or one code twice on an axis.
bool AreRowsSound(CADODataBase& db, QString& detail)
{
    static const std::pair<const char*, QString> kChecks[] = {
        {"a parameter field that is not a whole number",
         QStringLiteral("select count(*) as n from PARAMETER where typeof(nProductID)<>'integer' or "
                        "typeof(nAxisID)<>'integer' or typeof(nDeviceID)<>'integer' or typeof(bSign)<>'integer' or "
                        "typeof(iCurValue)<>'integer' or typeof(iDefaultValue)<>'integer' or "
                        "typeof(iMax)<>'integer' or typeof(iMin)<>'integer' or typeof(dwWidth)<>'integer' or "
                        "typeof(dwAddress)<>'integer' or typeof(dwInput)<>'integer' or typeof(nModify)<>'integer' or "
                        "typeof(nEffective)<>'integer' or typeof(nLimit)<>'integer'")},
        {"a parameter value that does not fit its field",
         QStringLiteral("select count(*) as n from PARAMETER where ") +
             DoesNotFit({"iCurValue", "iDefaultValue", "iMax", "iMin", "dwInput"}, 32) + QStringLiteral(" or ") +
             DoesNotFit({"nProductID", "nAxisID", "nDeviceID", "bSign", "nModify", "nEffective", "nLimit"}, 16)},
        {"a parameter whose minimum is above its maximum",
         QStringLiteral("select count(*) as n from PARAMETER where iMin > iMax")},
        {"a parameter whose current value is outside its range",
         QStringLiteral("select count(*) as n from PARAMETER where iCurValue < iMin or iCurValue > iMax")},
        {"a parameter neither 16 nor 32 bits wide",
         QStringLiteral("select count(*) as n from PARAMETER where dwWidth not in (16, 32)")},
        {"a parameter address outside 0..0xFFFF",
         QStringLiteral("select count(*) as n from PARAMETER where dwAddress < 0 or dwAddress > 65535")},
        {"a parameter without a code",
         QStringLiteral("select count(*) as n from PARAMETER where sNum is null or trim(sNum) = ''")},
        {"a parameter code twice on one axis",
         QStringLiteral("select count(*) as n from (select 1 from PARAMETER group by nDeviceID, nAxisID, sNum, "
                        "sDbFileVersion having count(*) > 1)")},
        {"a device row that is not whole numbers",
         QStringLiteral("select count(*) as n from DEVICELIST where typeof(nDeviceID)<>'integer' or "
                        "typeof(nProductID)<>'integer' or ") +
             DoesNotFit({"nDeviceID", "nProductID"}, 16)},
        {"an option field that is not a whole number",
         QStringLiteral("select count(*) as n from SELECTS where typeof(nProductID)<>'integer' or "
                        "typeof(nAxisID)<>'integer' or typeof(nIndex)<>'integer' or typeof(iValue)<>'integer' or ") +
             DoesNotFit({"iValue"}, 32) + QStringLiteral(" or ") + DoesNotFit({"nProductID", "nAxisID", "nIndex"}, 16)},
    };
    for (const auto& check : kChecks) {
        CADORecordset rs(&db);
        std::int32_t bad = 0;
        if (!rs.Open(check.second) || rs.IsEOF() || !rs.GetFieldValue32(QStringLiteral("n"), bad)) {
            detail = rs.GetLastError();
            return false;
        }
        if (bad != 0) {
            detail = QStringLiteral("damaged rows: ") + QLatin1String(check.first);
            return false;
        }
    }
    return true;
}

std::set<int> ProductsOf(const QList<CDBDataDeviceList>& devices)
{
    std::set<int> products;
    for (const CDBDataDeviceList& d : devices)
        products.insert(d.nProductID);
    return products;
}

}  // namespace

CProjectDatabase::CProjectDatabase()
    : CProjectDatabase(DefaultParamsDbPath())
{
}

CProjectDatabase::CProjectDatabase(const QString& defaultDbPath)
    : m_strDefaultDbPath(defaultDbPath)
{
    LoadProducts();
}

bool CProjectDatabase::Fail(DbMessageKind kind, const char* text, const QString& detail)
{
    if (!detail.isEmpty())
        LogDbDetail(QString::fromUtf8(text) + QLatin1Char(' ') + detail);
    ShowDbMessage(kind, QString::fromUtf8(text));
    return false;
}

bool CProjectDatabase::Connect(CADODataBase& db, const QString& path, const QString& user,
                               const QString& password, bool exclusive)
{
    const auto mode = exclusive ? CADODataBase::OpenMode::Exclusive : CADODataBase::OpenMode::Read;
    return db.Open(CADODataBase::MakeConnectionString(path, mode), user, password);
}

bool CProjectDatabase::LoadProducts()
{
    constexpr DbMessageKind box = DbMessageKind::MessageBox;
    CADODataBase db;
    if (!Connect(db, m_strDefaultDbPath, m_strUser, m_strPassword, false))
        return Fail(box, kTextDefaultDbReadError, DbDetail(db));
    if (!CDBDataProducts::LoadAll(db, m_arrDefaultProducts, {}))
        return Fail(box, kTextDefaultDbReadError, DbDetail(db));
    return true;
}

int CProjectDatabase::FindProductID(const QString& model) const
{
    const QString wanted = model.trimmed().toUpper();
    if (wanted.isEmpty())
        return -1;
    for (const CDBDataProducts& p : m_arrDefaultProducts) {
        if (p.sProductModel.trimmed().toUpper() == wanted)
            return p.nProductID;
    }
    return -1;
}

bool CProjectDatabase::OpenDefaultDb(CADODataBase& db, CDBDataFileHead& head, DbMessageKind kind)
{
    if (!Connect(db, m_strDefaultDbPath, m_strUser, m_strPassword, false))
        return Fail(kind, kTextDefaultDbReadError, DbDetail(db));
    if (!CDBDataFileHead::LoadFirst(db, head, {}) || head.bIsSystem == 0)
        return Fail(kind, kTextDefaultDbReadError, DbDetail(db));
    // The program reads exactly its own format from the database it ships with.
    if (head.sDbFileVersion != QLatin1String(kDbFileVersion))
        return Fail(kind, kTextDefaultDbVersionMismatch, head.sDbFileVersion);
    return true;
}

bool CProjectDatabase::LoadDefaultDatabase(CDataProject& out, int productId)
{
    constexpr DbMessageKind box = DbMessageKind::MessageBox;
    out.Clear();
    CADODataBase db;
    if (!OpenDefaultDb(db, out.m_FileHead, box))
        return false;
    const QString version = out.m_FileHead.sDbFileVersion;
    if (!CDBDataProducts::LoadAll(db, out.m_arrProducts, {productId}) || out.m_arrProducts.isEmpty())
        return Fail(box, kTextDefaultDbReadError, QStringLiteral("no product %1").arg(productId));
    const CDBDataProducts product = out.m_arrProducts.first();
    if (product.nAxisCount > kMaxAxes)
        return Fail(box, kTextDefaultDbReadError, QStringLiteral("product %1 has %2 axes")
                                                      .arg(productId).arg(product.nAxisCount));

    CDBDataDeviceList device;
    device.nDeviceID = 1;
    device.nProductID = product.nProductID;
    out.m_arrDeviceList.append(device);

    QList<CDBDataSystemGroups> groups;
    if (!CDBDataSystemGroups::LoadByProduct(db, groups, productId))
        return Fail(box, kTextDefaultDbReadError, DbDetail(db));
    for (const CDBDataSystemGroups& g : groups)
        out.AddSystemGroup(g);

    CDataDevice& data = out.FindOrAddDevice(1);
    qsizetype total = 0;
    for (int a = 1; a <= product.nAxisCount; ++a) {
        CDataAxisParameter axis;
        axis.nAxisID = a;
        if (!CDBDataParameter::LoadByAxis(db, axis.m_arrParameter, version, 0, productId, a))
            return Fail(box, kTextDefaultDbReadError, DbDetail(db));
        for (CDBDataParameter& p : axis.m_arrParameter)
            p.nDeviceID = 1;
        total += axis.m_arrParameter.size();
        data.m_arrAxis.append(axis);
    }
    if (total == 0)
        return Fail(box, kTextDefaultDbReadError,
                    QStringLiteral("product %1 has no parameters").arg(productId));
    data.FillLoadedValues();

    m_bProjectOpen = 0;
    m_strProjectPath.clear();
    return true;
}

bool CProjectDatabase::WriteProjectFile(CADODataBase& defaultDb, const QString& target,
                                        const CDataProject& content,
                                        const std::set<int>& products, QString& detail)
{
    platform::SaveTemp temp(target);
    if (!temp.Create()) {
        detail = temp.ErrorString();
        return false;
    }
    CADODataBase file;
    auto failed = [&](const CADODataBase& db) {
        detail = db.GetLastError();
        return false;
    };
    if (!Connect(file, temp.Path(), m_strUser, m_strPassword, true))
        return failed(file);
    if (!defaultDb.CopyTo(file))
        return failed(defaultDb);
    // The file is thrown away on any failure, so its journal need not survive a crash.
    if (!file.Execute(QStringLiteral("PRAGMA journal_mode=MEMORY")) || !file.BeginTrans())
        return failed(file);

    for (const char* table : {"DEVICELIST", "PARAMETER", "CUSTOMPARAM", "CUSTOMGROUPS"}) {
        if (!file.Execute(QStringLiteral("delete from %1;").arg(QLatin1String(table))))
            return failed(file);
    }
    if (!file.Execute(QStringLiteral("update FILEHEAD set bIsSystem=?;"), {std::int64_t(0)}))
        return failed(file);
    for (const CDBDataDeviceList& d : content.m_arrDeviceList) {
        if (!file.Execute(d.GetInsertSql()))
            return failed(file);
    }
    for (const CDataDevice& device : content.m_arrDevices) {
        for (const CDataAxisParameter& axis : device.m_arrAxis) {
            for (const CDBDataParameter& p : axis.m_arrParameter) {
                if (!file.Execute(p.GetInsertSql()))
                    return failed(file);
            }
        }
    }
    if (!products.empty()) {
        if (!CDBDataProducts::DeleteOtherProducts(file, products) ||
            !CDBDataSystemGroups::DeleteOtherProducts(file, products) ||
            !CDBDataSelects::DeleteOtherProducts(file, products))
            return failed(file);
    }
    if (!WriteProductsMissingFromDefault(file, content, products, detail))
        return false;
    if (!file.CommitTrans() || !file.Execute(QStringLiteral("VACUUM")))
        return failed(file);
    file.Close();
    if (!temp.ReplaceTarget()) {
        detail = temp.ErrorString();
        return false;
    }
    return true;
}

// A project made elsewhere, or whose product was dropped since, holds a product the default
// database lacks: its product, group and option rows come from the content itself, so the
// saved file opens again. A product found in neither place fails the save.
bool CProjectDatabase::WriteProductsMissingFromDefault(CADODataBase& file, const CDataProject& content,
                                                       const std::set<int>& products, QString& detail)
{
    for (int productId : products) {
        QList<CDBDataProducts> present;
        if (!CDBDataProducts::LoadAll(file, present, {productId})) {
            detail = file.GetLastError();
            return false;
        }
        if (!present.isEmpty())
            continue;
        const CDBDataProducts* product = content.FindProduct(productId);
        if (!product) {
            detail = QStringLiteral("product %1 is in neither the project nor the default database").arg(productId);
            return false;
        }
        const auto id = [](int v) { return std::int64_t(v); };
        std::vector<DbStatement> rows;
        rows.push_back({QStringLiteral("insert into PRODUCTS(nProductID,sProductModel,nAxisCount,sMemo,"
                                       "nCommunicationMode) values(?,?,?,?,?)"),
                        {id(productId), product->sProductModel, id(product->nAxisCount), product->sMemo,
                         id(product->nCommunicationMode)}});
        if (const CDataProductSystem* system = content.FindProductSystem(productId)) {
            for (const CDataAxisSystem& axis : system->m_arrAxis) {
                for (const CDBDataSystemGroups& g : axis.m_arrGroups)
                    rows.push_back({QStringLiteral("insert into SYSTEMGROUPS(nProductID,nAxisID,sGroupNO,"
                                                   "sGroupName,sDbFileVersion,nGroupIndex) values(?,?,?,?,?,?)"),
                                    {id(productId), id(axis.nAxisID), g.sGroupNO, g.sGroupName,
                                     g.sDbFileVersion, id(g.nGroupIndex)}});
            }
        }
        // Options belong to the product's axis and code; every device of the product holds
        // the same ones, so the first device's are written once.
        std::set<std::pair<int, QString>> written;
        for (const CDBDataDeviceList& d : content.m_arrDeviceList) {
            const CDataDevice* device = d.nProductID == productId ? content.FindDevice(d.nDeviceID) : nullptr;
            if (!device)
                continue;
            for (const CDataAxisParameter& axis : device->m_arrAxis) {
                for (const CDBDataParameter& p : axis.m_arrParameter) {
                    if (!written.insert({axis.nAxisID, p.sNum}).second)
                        continue;
                    for (const CDBDataSelects& o : p.m_arrSelects)
                        rows.push_back({QStringLiteral("insert into SELECTS(nProductID,nAxisID,sNum,nIndex,iValue,"
                                                       "sDescription,sDbFileVersion) values(?,?,?,?,?,?,?)"),
                                        {id(productId), id(axis.nAxisID), p.sNum, id(o.nIndex), id(o.iValue),
                                         o.sDescription, o.sDbFileVersion}});
                }
            }
        }
        for (const DbStatement& row : rows) {
            if (!file.Execute(row)) {
                detail = file.GetLastError();
                return false;
            }
        }
    }
    return true;
}

bool CProjectDatabase::Install(const CDataProject& content, const QString& path, int productId)
{
    m_Project = content;
    m_bProjectOpen = 1;
    m_strProjectPath = path;
    m_nCurDeviceID = 1;
    m_nProductID = productId;
    MarkUnchanged();
    return true;
}

bool CProjectDatabase::NewProject(const CNewProjectInfo& info)
{
    constexpr DbMessageKind alert = DbMessageKind::DesktopAlert;
    CADODataBase def;
    CDataProject local;
    if (!OpenDefaultDb(def, local.m_FileHead, alert))
        return false;
    local.m_arrDeviceList = info.m_arrDeviceList;
    const QString version = local.m_FileHead.sDbFileVersion;
    if (!CDBDataProducts::LoadAll(def, local.m_arrProducts, {}))
        return Fail(alert, kTextDefaultDbReadError, DbDetail(def));

    // Device 1 is the drive the program works with; every device needs a known product.
    const CDBDataDeviceList* first = local.FindDeviceRecord(1);
    if (!first)
        return Fail(alert, kTextNewFileError, QStringLiteral("the request has no device 1"));
    // Rows are filed under their device id: two devices with one id would share them.
    std::set<int> ids;
    for (const CDBDataDeviceList& d : local.m_arrDeviceList) {
        if (!ids.insert(d.nDeviceID).second)
            return Fail(alert, kTextNewFileError, QStringLiteral("device id %1 is given twice").arg(d.nDeviceID));
    }
    for (const CDBDataDeviceList& d : local.m_arrDeviceList) {
        if (!local.FindProduct(d.nProductID))
            return Fail(alert, kTextNewFileError,
                        QStringLiteral("device %1 has unknown product %2").arg(d.nDeviceID).arg(d.nProductID));
    }
    const std::set<int> products = ProductsOf(local.m_arrDeviceList);

    std::set<int> axes;
    for (int p : products) {
        QList<CDBDataSystemGroups> groups;
        if (!CDBDataSystemGroups::LoadByProduct(def, groups, p))
            return Fail(alert, kTextDefaultDbReadError, DbDetail(def));
        for (const CDBDataSystemGroups& g : groups)
            local.AddSystemGroup(g);
        QList<CDBDataParameter> params;
        if (!CDBDataParameter::LoadByProduct(def, params, version, p))
            return Fail(alert, kTextDefaultDbReadError, DbDetail(def));
        if (params.isEmpty())
            return Fail(alert, kTextDefaultDbReadError,
                        QStringLiteral("product %1 has no parameters").arg(p));
        for (const CDBDataDeviceList& d : local.m_arrDeviceList) {
            if (d.nProductID != p)
                continue;
            CDataDevice& device = local.FindOrAddDevice(d.nDeviceID);
            for (CDBDataParameter param : params) {
                param.sDbFileVersion.clear();
                // Rows carry the device's own id, so that opening the file finds them.
                param.nDeviceID = d.nDeviceID;
                axes.insert(param.nAxisID);
                CDataAxisParameter* axis = device.FindAxis(param.nAxisID);
                if (!axis) {
                    CDataAxisParameter added;
                    added.nAxisID = param.nAxisID;
                    device.m_arrAxis.append(added);
                    axis = &device.m_arrAxis.last();
                }
                axis->m_arrParameter.append(param);
            }
        }
    }

    SelectsByCode options;
    if (!CDBDataSelects::LoadByCodes(def, options, products, axes))
        return Fail(alert, kTextDefaultDbReadError, DbDetail(def));
    for (CDataDevice& device : local.m_arrDevices) {
        for (CDataAxisParameter& axis : device.m_arrAxis) {
            for (CDBDataParameter& param : axis.m_arrParameter) {
                if (const auto* found = options.Find(param.nProductID, param.nAxisID, param.sNum))
                    param.m_arrSelects = *found;
            }
        }
        device.FillLoadedValues();
    }

    QString detail;
    if (!WriteProjectFile(def, info.m_strFilePath, local, products, detail))
        return Fail(alert, kTextNewFileError, detail);

    const int productId = first->nProductID;
    return Install(local, info.m_strFilePath, productId);
}

bool CProjectDatabase::OpenProject(const QString& path)
{
    constexpr DbMessageKind alert = DbMessageKind::DesktopAlert;
    CADODataBase file;
    if (!Connect(file, path, m_strUser, m_strPassword, true))
        return Fail(alert, kTextFileReadError, DbDetail(file));
    // A file damaged on disk (a crash, a bad copy) is refused before any of it is taken.
    QString damage;
    if (!IsFileIntact(file, damage) || !AreRowsSound(file, damage))
        return Fail(alert, kTextFileReadError, damage);

    CDataProject local;
    if (!CDBDataFileHead::LoadFirst(file, local.m_FileHead, {}) || local.m_FileHead.bIsSystem != 0)
        return Fail(alert, kTextFileReadError, DbDetail(file));
    const QString version = local.m_FileHead.sDbFileVersion;
    if (CompareDbVersions(version, QLatin1String(kDbFileVersion)) > 0)
        return Fail(alert, kTextFileTooNew, version);
    if (!CDBDataDeviceList::LoadAll(file, local.m_arrDeviceList) || local.m_arrDeviceList.isEmpty())
        return Fail(alert, kTextFileReadError, DbDetail(file));
    const CDBDataDeviceList* first = local.FindDeviceRecord(1);
    if (!first)
        return Fail(alert, kTextFileReadError, QStringLiteral("the project has no device 1"));
    const int productId = first->nProductID;

    const std::set<int> products = ProductsOf(local.m_arrDeviceList);
    if (!CDBDataProducts::LoadAll(file, local.m_arrProducts, products))
        return Fail(alert, kTextFileReadError, DbDetail(file));
    for (int p : products) {
        const CDBDataProducts* product = local.FindProduct(p);
        if (!product || product->nAxisCount > kMaxAxes)
            return Fail(alert, kTextFileReadError, QStringLiteral("product %1 is missing").arg(p));
        QList<CDBDataSystemGroups> groups;
        if (!CDBDataSystemGroups::LoadByProduct(file, groups, p))
            return Fail(alert, kTextFileReadError, DbDetail(file));
        for (const CDBDataSystemGroups& g : groups)
            local.AddSystemGroup(g);
    }

    for (const CDBDataDeviceList& d : local.m_arrDeviceList) {
        const int axisCount = local.FindProduct(d.nProductID)->nAxisCount;
        CDataDevice& device = local.FindOrAddDevice(d.nDeviceID);
        for (int a = 1; a <= axisCount; ++a) {
            CDataAxisParameter axis;
            axis.nAxisID = a;
            if (!CDBDataParameter::LoadByAxis(file, axis.m_arrParameter, version, d.nDeviceID,
                                              d.nProductID, a))
                return Fail(alert, kTextFileReadError, DbDetail(file));
            // Rows of one code under versions that all apply to this file would show the
            // parameter twice.
            std::set<QString> codes;
            for (const CDBDataParameter& p : axis.m_arrParameter) {
                if (!codes.insert(p.sNum).second)
                    return Fail(alert, kTextFileReadError,
                                QStringLiteral("parameter %1 twice on axis %2 of device %3")
                                    .arg(p.sNum).arg(a).arg(d.nDeviceID));
            }
            device.m_arrAxis.append(axis);
        }
        device.FillLoadedValues();
    }
    // Nothing to work with, as for the default database: a product without axes or a file
    // without parameter rows.
    qsizetype total = 0;
    for (const CDataAxisParameter& axis : local.FindOrAddDevice(1).m_arrAxis)
        total += axis.m_arrParameter.size();
    if (total == 0)
        return Fail(alert, kTextFileReadError, QStringLiteral("the project has no parameters"));

    return Install(local, path, productId);
}

bool CProjectDatabase::SaveProject(const QString& path)
{
    constexpr DbMessageKind alert = DbMessageKind::DesktopAlert;
    CADODataBase def;
    if (!Connect(def, m_strDefaultDbPath, m_strUser, m_strPassword, false))
        return Fail(alert, kTextDefaultDbReadError, DbDetail(def));
    QString detail;
    if (!WriteProjectFile(def, path, m_Project, ProductsOf(m_Project.m_arrDeviceList), detail))
        return Fail(alert, kTextNewFileError, detail);
    // Content that had no file of its own has one now: the next save goes back to it. A copy
    // saved elsewhere leaves the open project the one the user works on.
    if (m_strProjectPath.isEmpty()) {
        m_bProjectOpen = 1;
        m_strProjectPath = path;
    }
    MarkUnchanged();
    return true;
}

QByteArray CProjectDatabase::Fingerprint() const
{
    // What a save writes that the user can change: the devices and every parameter's value.
    QCryptographicHash hash(QCryptographicHash::Sha1);
    const auto addInt = [&hash](qint64 v) { hash.addData(QByteArrayView(reinterpret_cast<const char*>(&v), sizeof v)); };
    addInt(m_Project.m_arrDeviceList.size());
    for (const CDataDevice& device : m_Project.m_arrDevices) {
        addInt(device.nDeviceID);
        for (const CDataAxisParameter& axis : device.m_arrAxis) {
            addInt(axis.nAxisID);
            addInt(axis.m_arrParameter.size());
            for (const CDBDataParameter& p : axis.m_arrParameter) {
                hash.addData(p.sNum.toUtf8());
                addInt(p.iCurValue);
            }
        }
    }
    return hash.result();
}

void CProjectDatabase::MarkUnchanged()
{
    m_baseline = Fingerprint();
}

bool CProjectDatabase::HasUnsavedChanges() const
{
    return m_baseline && *m_baseline != Fingerprint();
}

bool CProjectDatabase::CompactFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    CADODataBase db;
    // VACUUM rewrites the file under its own journal: it is complete or untouched.
    if (!db.Open(CADODataBase::MakeConnectionString(path, CADODataBase::OpenMode::Exclusive),
                 m_strUser, m_strPassword) ||
        !db.Execute(QStringLiteral("VACUUM"))) {
        LogDbDetail(db.GetLastError());
        return false;
    }
    return true;
}

bool CProjectDatabase::IsFileExist(const QString& path)
{
    return !path.isEmpty() && QFileInfo::exists(path);
}

QString CProjectDatabase::GetFileNameOfPath(const QString& path)
{
    const qsizetype cut = std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
    return cut < 0 ? path : path.mid(cut + 1);
}
