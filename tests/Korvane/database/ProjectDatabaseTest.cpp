// The project database manager: default database load, new/open/save/compact of project
// files, version checks and the messages the user sees.

#include "DbTestSupport.h"
#include "database/ProjectDatabase.h"

#include <QDir>
#include <QFileInfo>

using namespace dbtest;

namespace {

CDBDataDeviceList Device(int id, int product)
{
    CDBDataDeviceList d;
    d.nDeviceID = id;
    d.nProductID = product;
    d.nStationNo = 250;
    d.sDeviceName = QStringLiteral("250_DRV1");
    return d;
}

CNewProjectInfo Request(const QString& path, QList<CDBDataDeviceList> devices)
{
    CNewProjectInfo info;
    info.m_arrDeviceList = std::move(devices);
    info.m_strFilePath = path;
    return info;
}

const CDataAxisParameter* ActiveAxis(const CProjectDatabase& pdb)
{
    const CDataDevice* device = pdb.m_Project.FindDevice(pdb.m_nCurDeviceID);
    return device ? device->FindAxis(1) : nullptr;
}

CDBDataParameter* FindParam(CProjectDatabase& pdb, const QString& code)
{
    CDataDevice* device = pdb.m_Project.FindDevice(1);
    CDataAxisParameter* axis = device ? device->FindAxis(1) : nullptr;
    if (!axis)
        return nullptr;
    for (CDBDataParameter& p : axis->m_arrParameter) {
        if (p.sNum == code)
            return &p;
    }
    return nullptr;
}

void ExpectSameParameters(const QList<CDBDataParameter>& a, const QList<CDBDataParameter>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (qsizetype i = 0; i < a.size(); ++i) {
        const CDBDataParameter& x = a[i];
        const CDBDataParameter& y = b[i];
        SCOPED_TRACE(x.sNum.toStdString());
        EXPECT_EQ(x.nProductID, y.nProductID);
        EXPECT_EQ(x.nAxisID, y.nAxisID);
        EXPECT_EQ(x.nDeviceID, y.nDeviceID);
        EXPECT_EQ(x.bSign, y.bSign);
        EXPECT_EQ(x.iCurValue, y.iCurValue);
        EXPECT_EQ(x.iDefaultValue, y.iDefaultValue);
        EXPECT_EQ(x.iMax, y.iMax);
        EXPECT_EQ(x.iMin, y.iMin);
        EXPECT_EQ(x.dwWidth, y.dwWidth);
        EXPECT_EQ(x.dwAddress, y.dwAddress);
        EXPECT_EQ(x.dwInput, y.dwInput);
        EXPECT_EQ(x.sGroupNO, y.sGroupNO);
        EXPECT_EQ(x.sNum, y.sNum);
        EXPECT_EQ(x.sName, y.sName);
        EXPECT_EQ(x.sUnit, y.sUnit);
        EXPECT_EQ(x.nModify, y.nModify);
        EXPECT_EQ(x.nEffective, y.nEffective);
        EXPECT_EQ(x.nLimit, y.nLimit);
        ASSERT_EQ(x.m_arrSelects.size(), y.m_arrSelects.size());
        for (qsizetype k = 0; k < x.m_arrSelects.size(); ++k) {
            EXPECT_EQ(x.m_arrSelects[k].iValue, y.m_arrSelects[k].iValue);
            EXPECT_EQ(x.m_arrSelects[k].sDescription, y.m_arrSelects[k].sDescription);
        }
    }
}

QStringList Entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
}

class ProjectDb : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    // A project of one device of product 1 made from the shipped default database.
    QString MakeProject(const QString& name = "p.KVF")
    {
        const QString path = dir.filePath(name);
        CProjectDatabase pdb(DefaultDb());
        EXPECT_TRUE(pdb.NewProject(Request(path, {Device(1, 1)})));
        return path;
    }

    QTemporaryDir dir;
    MessageRecorder messages;
};

}  // namespace

TEST_F(ProjectDb, LoadsTheDefaultDatabaseForProductOne)
{
    CProjectDatabase pdb(DefaultDb());
    ASSERT_EQ(pdb.m_arrDefaultProducts.size(), 1);
    CDataProject out;
    ASSERT_TRUE(pdb.LoadDefaultDatabase(out, 1));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(out.m_FileHead.sDbFileVersion, "1.0.0");
    EXPECT_NE(out.m_FileHead.bIsSystem, 0);
    ASSERT_EQ(out.m_arrDeviceList.size(), 1);
    EXPECT_EQ(out.m_arrDeviceList[0].nDeviceID, 1);
    EXPECT_EQ(out.m_arrDeviceList[0].nProductID, 1);
    ASSERT_EQ(out.m_arrProducts.size(), 1);
    EXPECT_EQ(out.m_arrProducts[0].sProductModel, "DRV1");

    ASSERT_EQ(out.m_arrDevices.size(), 1);
    const CDataAxisParameter* axis = out.m_arrDevices[0].FindAxis(1);
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->m_arrParameter.size(), 150);
    QString previous;
    for (const CDBDataParameter& p : axis->m_arrParameter) {
        EXPECT_EQ(p.nDeviceID, 1);
        EXPECT_LT(previous, p.sNum);  // by code
        previous = p.sNum;
        EXPECT_EQ(p.dwInput == 1, !p.m_arrSelects.isEmpty()) << p.sNum.toStdString();
        EXPECT_EQ(out.m_arrDevices[0].m_mapLoadedValues.value(p.sNum, -999999), p.iCurValue);
    }
    EXPECT_EQ(out.m_arrDevices[0].m_mapLoadedValues.size(), 150);

    const CDataProductSystem* groups = out.FindProductSystem(1);
    ASSERT_NE(groups, nullptr);
    ASSERT_NE(groups->FindAxis(1), nullptr);
    const auto& list = groups->FindAxis(1)->m_arrGroups;
    ASSERT_EQ(list.size(), 19);
    EXPECT_EQ(list.first().sGroupNO, "P00");
    EXPECT_EQ(list[6].sGroupNO, "P09");
    EXPECT_EQ(pdb.m_bProjectOpen, 0);
    EXPECT_TRUE(pdb.m_strProjectPath.isEmpty());
}

TEST_F(ProjectDb, ABrokenDefaultDatabaseFailsTheLoadWithItsMessage)
{
    const char* readError = kTextDefaultDbReadError;
    const char* mismatch = kTextDefaultDbVersionMismatch;
    const struct {
        const char* what;
        std::string sql;  // applied to a copy of the shipped database ("" = no file)
        int product;
        const char* message;
    } cases[] = {
        {"no file", "", 1, readError},
        {"newer version", "update FILEHEAD set sDbFileVersion='1.0.1'", 1, mismatch},
        {"version not spelled exactly", "update FILEHEAD set sDbFileVersion='1.0'", 1, mismatch},
        {"project flag", "update FILEHEAD set bIsSystem=0", 1, readError},
        {"no file head", "delete from FILEHEAD", 1, readError},
        {"unknown product", "select 1", 9, readError},
        {"no parameters", "delete from PARAMETER", 1, readError},
        {"no parameter table", "drop table PARAMETER", 1, readError},
        {"no option table", "drop table SELECTS", 1, readError},
        {"no group table", "drop table SYSTEMGROUPS", 1, readError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QString path = dir.filePath("missing.mdb");
        if (!c.sql.empty()) {
            path = CopyOfDefaultDb(dir);
            Sql(path, c.sql);
        }
        CProjectDatabase pdb(path);
        pdb.m_bProjectOpen = 1;
        pdb.m_strProjectPath = "kept";
        messages.messages.clear();
        CDataProject out;
        EXPECT_FALSE(pdb.LoadDefaultDatabase(out, c.product));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.Last(), QString::fromUtf8(c.message));
        EXPECT_EQ(messages.LastKind(), DbMessageKind::MessageBox);
        EXPECT_EQ(pdb.m_bProjectOpen, 1);
        EXPECT_EQ(pdb.m_strProjectPath, "kept");
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.mdb")));
}

TEST_F(ProjectDb, FindsProductsByModelText)
{
    CProjectDatabase pdb(DefaultDb());
    const struct {
        const char* model;
        int id;
    } cases[] = {{"DRV1", 1}, {" drv1 ", 1}, {"\tDrV1\r\n", 1}, {"DRV2", -1},
                 {"DRV", -1}, {"", -1},      {"   ", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(pdb.FindProductID(c.model), c.id) << '"' << c.model << '"';
}

TEST_F(ProjectDb, NewSaveAndReopenKeepEveryColumn)
{
    const QString first = dir.filePath("first.KVF");
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.NewProject(Request(first, {Device(1, 1)})));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(pdb.m_bProjectOpen, 1);
    EXPECT_EQ(pdb.m_strProjectPath, first);
    EXPECT_EQ(pdb.m_nProductID, 1);
    EXPECT_EQ(IntegrityCheck(first), "ok");
    EXPECT_EQ(QueryOne(first, "select bIsSystem from FILEHEAD"), "0");
    EXPECT_EQ(QueryOne(first, "select count(*) from DEVICELIST"), "1");
    EXPECT_EQ(QueryOne(first, "select count(*) from PARAMETER where nDeviceID=1"), "150");
    EXPECT_EQ(QueryOne(first, "select count(*) from CUSTOMPARAM"), "0");
    EXPECT_EQ(QueryOne(first, "select sDeviceName from DEVICELIST"), "250_DRV1");
    const CDataAxisParameter* created = ActiveAxis(pdb);
    ASSERT_NE(created, nullptr);
    ASSERT_EQ(created->m_arrParameter.size(), 150);

    // Values a user read from the drive, at the edges of their widths.
    const struct {
        const char* code;
        long value;
    } edits[] = {{"P0608", 1500}, {"P0906", -123456789}, {"P0908", 2147483647},
                 {"P0900", -10000}, {"P002F", 65535}, {"H0B03", 1023}};
    for (const auto& e : edits) {
        CDBDataParameter* p = FindParam(pdb, e.code);
        ASSERT_NE(p, nullptr) << e.code;
        p->iCurValue = e.value;
    }
    const QString second = dir.filePath("second.KVF");
    ASSERT_TRUE(pdb.SaveProject(second));
    EXPECT_EQ(pdb.m_strProjectPath, first);  // saving elsewhere does not switch files
    EXPECT_EQ(IntegrityCheck(second), "ok");

    CProjectDatabase reopened(DefaultDb());
    ASSERT_TRUE(reopened.OpenProject(second));
    EXPECT_EQ(reopened.m_strProjectPath, second);
    EXPECT_EQ(reopened.m_bProjectOpen, 1);
    ExpectSameParameters(ActiveAxis(reopened)->m_arrParameter, ActiveAxis(pdb)->m_arrParameter);
    for (const auto& e : edits)
        EXPECT_EQ(reopened.m_Project.FindDevice(1)->m_mapLoadedValues.value(e.code), e.value);
    // Hidden and display-only rules survive the trip.
    EXPECT_EQ(FindParam(reopened, "H0B03")->nLimit, 1);
    EXPECT_EQ(FindParam(reopened, "H0B03")->nModify, 2);
    EXPECT_EQ(FindParam(reopened, "P000A")->nEffective, 1);
    EXPECT_EQ(reopened.m_Project.FindProductSystem(1)->FindAxis(1)->m_arrGroups.size(), 19);
    EXPECT_EQ(Entries(dir), QStringList({"first.KVF", "second.KVF"}));
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(ProjectDb, TwoDevicesOfOneProductGetTheirOwnRows)
{
    const QString path = dir.filePath("two.KVF");
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.NewProject(Request(path, {Device(1, 1), Device(2, 1)})));
    EXPECT_EQ(Query(path, "select nDeviceID||':'||count(*) from PARAMETER group by nDeviceID"),
              (std::vector<std::string>{"1:150", "2:150"}));
    ASSERT_EQ(pdb.m_Project.m_arrDevices.size(), 2);

    CProjectDatabase reopened(DefaultDb());
    ASSERT_TRUE(reopened.OpenProject(path));
    for (int id : {1, 2}) {
        const CDataDevice* device = reopened.m_Project.FindDevice(id);
        ASSERT_NE(device, nullptr);
        ASSERT_NE(device->FindAxis(1), nullptr);
        EXPECT_EQ(device->FindAxis(1)->m_arrParameter.size(), 150);
        EXPECT_EQ(device->FindAxis(1)->m_arrParameter.first().nDeviceID, id);
    }
}

// A second product with three axes whose option texts differ per product and axis.
class ProjectDbTwoProducts : public ProjectDb {
protected:
    void SetUp() override
    {
        ProjectDb::SetUp();
        defaultDb = CopyOfDefaultDb(dir);
        std::string sql = "insert into PRODUCTS values(2,'DRV3',3,'',0);"
                          "insert into SYSTEMGROUPS select 2,nAxisID,sGroupNO,sGroupName,"
                          "sDbFileVersion,nGroupIndex from SYSTEMGROUPS where nProductID=1;";
        for (int axis = 1; axis <= 3; ++axis) {
            const std::string a = std::to_string(axis);
            sql += "insert into PARAMETER select sDbFileVersion,2," + a +
                   ",nDeviceID,bSign,iCurValue,iDefaultValue,iMax,iMin,dwWidth,dwAddress,dwInput,"
                   "sGroupNO,sNum,sName||'@" + a + "',sUnit,nModify,nEffective,nLimit "
                   "from PARAMETER where nProductID=1;";
            if (axis < 3)
                sql += "insert into SELECTS select 2," + a + ",sNum,nIndex,iValue,'P2A" + a +
                       " '||sDescription,sDbFileVersion from SELECTS where nProductID=1;";
        }
        Sql(defaultDb, sql);
    }
    static QString FirstOption(const CDataDevice* device, int axis, const char* code)
    {
        for (const CDBDataParameter& p : device->FindAxis(axis)->m_arrParameter) {
            if (p.sNum == code)
                return p.m_arrSelects.isEmpty() ? QString() : p.m_arrSelects.first().sDescription;
        }
        return "<missing>";
    }
    QString defaultDb;
};

TEST_F(ProjectDbTwoProducts, AProductWithThreeAxesLoadsEachAxis)
{
    CProjectDatabase pdb(defaultDb);
    CDataProject out;
    ASSERT_TRUE(pdb.LoadDefaultDatabase(out, 2));
    const CDataDevice& device = out.m_arrDevices[0];
    ASSERT_EQ(device.m_arrAxis.size(), 3);
    for (int axis = 1; axis <= 3; ++axis) {
        EXPECT_EQ(device.m_arrAxis[axis - 1].nAxisID, axis);
        for (const CDBDataParameter& p : device.m_arrAxis[axis - 1].m_arrParameter)
            ASSERT_TRUE(p.sName.endsWith(QStringLiteral("@%1").arg(axis)));
    }
    EXPECT_EQ(FirstOption(&device, 2, "P000A"), "P2A2 速度模式");
    EXPECT_EQ(FirstOption(&device, 3, "P000A"), "");
}

TEST_F(ProjectDbTwoProducts, OptionsNeverCrossProductsOrAxes)
{
    const QString path = dir.filePath("mixed.KVF");
    CProjectDatabase pdb(defaultDb);
    ASSERT_TRUE(pdb.NewProject(Request(path, {Device(1, 1), Device(2, 2)})));
    const CDataDevice* one = pdb.m_Project.FindDevice(1);
    const CDataDevice* two = pdb.m_Project.FindDevice(2);
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_EQ(FirstOption(one, 1, "P000A"), "速度模式");
    EXPECT_EQ(FirstOption(two, 1, "P000A"), "P2A1 速度模式");
    EXPECT_EQ(FirstOption(two, 2, "P000A"), "P2A2 速度模式");
    EXPECT_EQ(FirstOption(two, 3, "P000A"), "");
    for (const CDBDataParameter& p : one->FindAxis(1)->m_arrParameter) {
        for (const CDBDataSelects& o : p.m_arrSelects)
            ASSERT_EQ(o.nProductID, 1) << p.sNum.toStdString();
    }

    // A newly made project and the same file opened again show the same options.
    CProjectDatabase reopened(defaultDb);
    ASSERT_TRUE(reopened.OpenProject(path));
    for (int id : {1, 2}) {
        const CDataDevice* made = pdb.m_Project.FindDevice(id);
        const CDataDevice* read = reopened.m_Project.FindDevice(id);
        ASSERT_EQ(made->m_arrAxis.size(), read->m_arrAxis.size());
        for (qsizetype a = 0; a < made->m_arrAxis.size(); ++a)
            ExpectSameParameters(read->m_arrAxis[a].m_arrParameter, made->m_arrAxis[a].m_arrParameter);
    }
    EXPECT_EQ(Query(path, "select nProductID from PRODUCTS order by 1"),
              (std::vector<std::string>{"1", "2"}));
}

TEST_F(ProjectDbTwoProducts, ProductsTheProjectDoesNotUseArePruned)
{
    const QString path = dir.filePath("one.KVF");
    CProjectDatabase pdb(defaultDb);
    ASSERT_TRUE(pdb.NewProject(Request(path, {Device(1, 2)})));
    EXPECT_EQ(pdb.m_nProductID, 2);
    for (const char* table : {"PRODUCTS", "SYSTEMGROUPS", "SELECTS", "PARAMETER"})
        EXPECT_EQ(QueryOne(path, std::string("select group_concat(distinct nProductID) from ") + table),
                  "2")
            << table;
    // A new project lists every product of the default database.
    EXPECT_EQ(pdb.m_Project.m_arrProducts.size(), 2);
}

// A project of a product this machine's default database does not know (made elsewhere, or
// the product dropped since): saving keeps its product, groups and options, and the saved
// file opens again with everything the project held. A product known nowhere fails the save
// and leaves the old file alone.
TEST_F(ProjectDbTwoProducts, AProjectOfAProductUnknownHereSavesAndOpensAgain)
{
    const QString made = dir.filePath("elsewhere.KVF");
    {
        CProjectDatabase elsewhere(defaultDb);  // the machine that knows product 2
        ASSERT_TRUE(elsewhere.NewProject(Request(made, {Device(1, 2), Device(2, 2)})));
    }
    CProjectDatabase here(DefaultDb());  // product 1 only
    ASSERT_TRUE(here.OpenProject(made));
    ASSERT_EQ(here.m_nProductID, 2);
    const QString saved = dir.filePath("saved.KVF");
    messages.messages.clear();
    ASSERT_TRUE(here.SaveProject(saved));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(IntegrityCheck(saved), "ok");
    EXPECT_EQ(QueryOne(saved, "select group_concat(distinct nProductID) from SELECTS"), "2");

    CProjectDatabase reopened(DefaultDb());
    ASSERT_TRUE(reopened.OpenProject(saved));
    EXPECT_EQ(reopened.m_nProductID, 2);
    ASSERT_NE(reopened.m_Project.FindProduct(2), nullptr);
    EXPECT_EQ(reopened.m_Project.FindProduct(2)->sProductModel, "DRV3");
    EXPECT_EQ(reopened.m_Project.FindProduct(2)->nAxisCount, 3);
    ASSERT_NE(reopened.m_Project.FindProductSystem(2), nullptr);
    ASSERT_NE(reopened.m_Project.FindProductSystem(2)->FindAxis(1), nullptr);
    EXPECT_EQ(reopened.m_Project.FindProductSystem(2)->FindAxis(1)->m_arrGroups.size(), 19);
    for (int axis = 1; axis <= 3; ++axis) {
        SCOPED_TRACE(axis);
        for (int device : {1, 2})
            ExpectSameParameters(reopened.m_Project.FindDevice(device)->FindAxis(axis)->m_arrParameter,
                                 here.m_Project.FindDevice(device)->FindAxis(axis)->m_arrParameter);
    }
    EXPECT_EQ(FirstOption(reopened.m_Project.FindDevice(1), 2, "P000A"),
              FirstOption(here.m_Project.FindDevice(1), 2, "P000A"));
    EXPECT_TRUE(FirstOption(reopened.m_Project.FindDevice(1), 2, "P000A").startsWith("P2A2 "));

    // Without the product's row in the project either, the save is refused.
    const QByteArray before = FileBytes(saved);
    here.m_Project.m_arrProducts.clear();
    messages.messages.clear();
    EXPECT_FALSE(here.SaveProject(saved));
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.Last(), QString::fromUtf8(kTextNewFileError));
    EXPECT_EQ(FileBytes(saved), before);
    EXPECT_EQ(Entries(dir), QStringList({"default.mdb", "elsewhere.KVF", "saved.KVF"}));
}

// A failure in the middle of writing: the file that was there stays byte for byte.
TEST_F(ProjectDb, AFailedSaveLeavesThePreviousFileUntouched)
{
    const QString project = MakeProject();
    const QByteArray before = FileBytes(project);
    ASSERT_FALSE(before.isEmpty());
    const struct {
        const char* where;
        const char* trigger;
    } cases[] = {
        {"device rows", "BEFORE INSERT ON DEVICELIST"},
        {"half-way through the parameters", "BEFORE INSERT ON PARAMETER WHEN NEW.sNum='P0601'"},
        {"pruning the options", "BEFORE DELETE ON SELECTS"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        // The trap rides in the default database, which every save copies.
        const QString trapDb = CopyOfDefaultDb(dir, "trap.mdb");
        Sql(trapDb, std::string("CREATE TRIGGER trap ") + c.trigger +
                        " BEGIN SELECT RAISE(ABORT, 'injected failure'); END;"
                        "insert into PRODUCTS values(5,'OTHER',1,'',0);"
                        "insert into SELECTS values(5,1,'P0001',0,0,'x','');");
        CProjectDatabase pdb(trapDb);
        ASSERT_TRUE(pdb.OpenProject(project));
        FindParam(pdb, "P0608")->iCurValue = 777;
        const CDataProject inUse = pdb.m_Project;
        messages.messages.clear();

        EXPECT_FALSE(pdb.SaveProject(project));
        EXPECT_EQ(FileBytes(project), before);
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.Last(), QString::fromUtf8(kTextNewFileError));
        EXPECT_EQ(messages.LastKind(), DbMessageKind::DesktopAlert);
        EXPECT_EQ(FindParam(pdb, "P0608")->iCurValue, 777);
        EXPECT_EQ(pdb.m_strProjectPath, project);

        // A new project over the same file fails the same way and keeps the content in use.
        EXPECT_FALSE(pdb.NewProject(Request(project, {Device(1, 1)})));
        EXPECT_EQ(FileBytes(project), before);
        EXPECT_EQ(FindParam(pdb, "P0608")->iCurValue, 777);
        EXPECT_EQ(pdb.m_Project.m_arrDevices.size(), inUse.m_arrDevices.size());
        EXPECT_EQ(Entries(dir), QStringList({"p.KVF", "trap.mdb"}));
        QFile::remove(trapDb);
    }
    EXPECT_EQ(IntegrityCheck(project), "ok");
}

TEST_F(ProjectDb, SavingOverTheOpenFileWritesAFreshCopy)
{
    const QString project = MakeProject();
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.OpenProject(project));
    FindParam(pdb, "P0606")->iCurValue = 321;
    ASSERT_TRUE(pdb.SaveProject(project));
    EXPECT_EQ(IntegrityCheck(project), "ok");
    EXPECT_EQ(QueryOne(project, "select iCurValue from PARAMETER where sNum='P0606'"), "321");
    EXPECT_EQ(QueryOne(project, "select count(*) from PARAMETER"), "150");
    EXPECT_EQ(Entries(dir), QStringList({"p.KVF"}));
}

TEST_F(ProjectDb, SavingThroughALinkReplacesWhatItPointsTo)
{
    const QString project = MakeProject();
    const QString link = dir.filePath("link.KVF");
    ASSERT_TRUE(QFile::link(project, link));
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.OpenProject(link));
    FindParam(pdb, "P0606")->iCurValue = 55;
    ASSERT_TRUE(pdb.SaveProject(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(QueryOne(project, "select iCurValue from PARAMETER where sNum='P0606'"), "55");
}

TEST_F(ProjectDb, OpenChecksTheFileBeforeTakingIt)
{
    const QString good = MakeProject("good.KVF");
    const char* readError = kTextFileReadError;
    const char* tooNew = kTextFileTooNew;
    const struct {
        const char* what;
        std::string sql;  // applied to a copy of a good project; "-" = no file; "=" = junk
        const char* message;  // nullptr: opens
    } cases[] = {
        {"older version", "update FILEHEAD set sDbFileVersion='0.9.0'", nullptr},
        {"same version", "select 1", nullptr},
        {"same version, short", "update FILEHEAD set sDbFileVersion='1.0'", nullptr},
        {"newer version", "update FILEHEAD set sDbFileVersion='1.0.1'", tooNew},
        {"newer by dotted numbers", "update FILEHEAD set sDbFileVersion='1.10.0'", tooNew},
        {"the default database", "update FILEHEAD set bIsSystem=1", readError},
        {"no file head", "delete from FILEHEAD", readError},
        {"no devices", "delete from DEVICELIST", readError},
        {"no device 1", "update DEVICELIST set nDeviceID=5; update PARAMETER set nDeviceID=5", readError},
        {"device of an unknown product", "delete from PRODUCTS", readError},
        {"no parameter table", "drop table PARAMETER", readError},
        {"no parameters", "delete from PARAMETER", readError},
        {"no axes", "update PRODUCTS set nAxisCount=0", readError},
        {"missing file", "-", readError},
        {"not a database", "=", readError},
        // A damaged page of a table the open never reads: only the file check finds it.
        {"damaged page", "#CUSTOMGROUPS", readError},
        // An index that lost entries: the open's query through it would see 64 of 150 rows
        // and a save would keep only those. Only the full check compares index and table.
        {"index lost entries", "!", readError},
        // Well-formed files with rows no save writes.
        {"text in a number field", "update PARAMETER set iMax='abc' where sNum='P0608'", readError},
        {"nothing in a number field", "update PARAMETER set iCurValue=NULL where sNum='P0608'", readError},
        {"fraction in a number field", "update PARAMETER set iCurValue=1.5 where sNum='P0608'", readError},
        {"minimum above maximum", "update PARAMETER set iMin=iMax+1 where sNum='P0608'", readError},
        {"address over 0xFFFF", "update PARAMETER set dwAddress=65536 where sNum='P0608'", readError},
        {"empty code", "update PARAMETER set sNum='' where sNum='P0608'", readError},
        {"one code twice", "update PARAMETER set sNum='P0606' where sNum='P0608'", readError},
        {"one row twice", "insert into PARAMETER select * from PARAMETER where sNum='P0608'", readError},
        // Values a field cannot hold would load as other numbers: 2^32 as 0.
        {"a value beyond 32 bits", "update PARAMETER set iCurValue=4294967296 where sNum='P0608'", readError},
        {"a maximum beyond 32 bits", "update PARAMETER set iMax=4294967296 where sNum='P0608'", readError},
        {"a minimum below 32 bits", "update PARAMETER set iMin=-4294967296 where sNum='P0608'", readError},
        {"a default beyond 32 bits", "update PARAMETER set iDefaultValue=1099511627776 where sNum='P0608'", readError},
        {"a device id beyond 16 bits",
         "update DEVICELIST set nDeviceID=65537; update PARAMETER set nDeviceID=65537", readError},
        {"an axis beyond 16 bits", "update PARAMETER set nAxisID=65537 where sNum='P0608'", readError},
        {"a current value below its minimum", "update PARAMETER set iCurValue=iMin-1 where sNum='P0608'", readError},
        {"a current value above its maximum", "update PARAMETER set iCurValue=iMax+1 where sNum='P0608'", readError},
        {"the widest values", "update PARAMETER set iMin=-2147483648, iMax=2147483647, iCurValue=2147483647 "
                              "where sNum='P0608'", nullptr},
        {"8 bits wide", "update PARAMETER set dwWidth=8 where sNum='P0608'", readError},
        {"64 bits wide", "update PARAMETER set dwWidth=64 where sNum='P0608'", readError},
        {"0 bits wide", "update PARAMETER set dwWidth=0 where sNum='P0608'", readError},
        {"every row twice under another version",
         "create temp table t as select * from PARAMETER; update t set sDbFileVersion='0.9.0';"
         "insert into PARAMETER select * from t", readError},
        {"one row twice under another version",
         "create temp table t as select * from PARAMETER where sNum='P0608'; update t set sDbFileVersion='1.0';"
         "insert into PARAMETER select * from t", readError},
        {"text in an option value", "update SELECTS set iValue='abc' where rowid=(select min(rowid) from SELECTS)",
         readError},
        {"an option value beyond 32 bits",
         "update SELECTS set iValue=4294967297 where rowid=(select min(rowid) from SELECTS)", readError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = dir.filePath("case.KVF");
        QFile::remove(path);
        if (c.sql == "=") {
            QFile junk(path);
            ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
            junk.write(QByteArray(2048, '\x5a'));
        } else if (c.sql[0] == '#') {
            ASSERT_TRUE(QFile::copy(good, path));
            const int page = std::stoi(QueryOne(path, "select rootpage from sqlite_master where name='" +
                                                          c.sql.substr(1) + "'"));
            const int pageSize = std::stoi(QueryOne(path, "PRAGMA page_size"));
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            ASSERT_TRUE(f.seek(qint64(page - 1) * pageSize));
            f.write(QByteArray(16, '\xFF'));  // the page's header: no valid page type
        } else if (c.sql == "!") {
            // A partial index of the first 64 rows takes the place of the full one.
            ASSERT_TRUE(QFile::copy(good, path));
            Sql(path, "create index PART on PARAMETER (nDeviceID, nAxisID, sNum) where rowid <= 64");
            const std::string part = QueryOne(path, "select rootpage from sqlite_master where name='PART'");
            const std::string full =
                QueryOne(path, "select rootpage from sqlite_master where name='PARAMETER_BY_DEVICE'");
            Sql(path, "PRAGMA writable_schema=ON; update sqlite_master set rootpage=" + full +
                          " where name='PART'; update sqlite_master set rootpage=" + part +
                          " where name='PARAMETER_BY_DEVICE'");
            Sql(path, "drop index PART");
            ASSERT_EQ(QueryOne(path, "PRAGMA quick_check"), "ok");
            ASSERT_EQ(QueryOne(path, "select count(*) from PARAMETER where nDeviceID=1 and nAxisID=1"), "64");
        } else if (c.sql != "-") {
            ASSERT_TRUE(QFile::copy(good, path));
            Sql(path, c.sql);
        }
        const QByteArray before = FileBytes(path);
        CProjectDatabase pdb(DefaultDb());
        CDataProject defaults;
        ASSERT_TRUE(pdb.LoadDefaultDatabase(defaults, 1));
        pdb.m_Project = defaults;
        messages.messages.clear();
        const bool opened = pdb.OpenProject(path);
        EXPECT_EQ(opened, c.message == nullptr);
        if (c.message) {
            ASSERT_EQ(messages.messages.size(), 1u);
            EXPECT_EQ(messages.Last(), QString::fromUtf8(c.message));
            EXPECT_EQ(messages.LastKind(), DbMessageKind::DesktopAlert);
            EXPECT_EQ(pdb.m_bProjectOpen, 0);
            EXPECT_TRUE(pdb.m_strProjectPath.isEmpty());
            EXPECT_EQ(pdb.m_Project.m_FileHead.bIsSystem, 1);  // still the defaults
            EXPECT_EQ(FileBytes(path), before) << "a refused file is left as it was";
        } else {
            EXPECT_TRUE(messages.messages.empty());
            EXPECT_EQ(ActiveAxis(pdb)->m_arrParameter.size(), 150);
        }
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.KVF")));
}

// Temporary files that a killed save left beside its target go with the next save of that
// target; other files, and the leftovers of other targets, stay.
TEST_F(ProjectDb, ASaveRemovesTheLeftoversOfAKilledSave)
{
    const QString path = MakeProject("p.KVF");
    const QStringList leftovers = {"p.KVF.kvtmp-a1B2c3", "p.KVF.kvtmp-a1B2c3-journal", "p.KVF.kvtmp-zz9zz9-wal"};
    const QStringList others = {"p.KVF.backup", "p.KVF.kvtmp-short", "q.KVF.kvtmp-a1B2c3", "notes.txt"};
    for (const QString& name : leftovers + others) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.OpenProject(path));
    ASSERT_TRUE(pdb.SaveProject(path));
    QStringList expected = others;
    expected << "p.KVF";
    expected.sort();
    EXPECT_EQ(Entries(dir), expected);
}

TEST_F(ProjectDb, NewRefusesRequestsItCannotServe)
{
    const struct {
        const char* what;
        QList<CDBDataDeviceList> devices;
        QString path;
    } cases[] = {
        {"no device 1", {Device(2, 1)}, dir.filePath("a.KVF")},
        {"unknown product", {Device(1, 1), Device(2, 7)}, dir.filePath("b.KVF")},
        {"folder missing", {Device(1, 1)}, dir.filePath("nosuch/c.KVF")},
        {"one device id twice", {Device(1, 1), Device(2, 1), Device(2, 1)}, dir.filePath("d.KVF")},
        {"device 1 twice", {Device(1, 1), Device(1, 1)}, dir.filePath("e.KVF")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CProjectDatabase pdb(DefaultDb());
        messages.messages.clear();
        EXPECT_FALSE(pdb.NewProject(Request(c.path, c.devices)));
        ASSERT_EQ(messages.messages.size(), 1u);
        EXPECT_EQ(messages.Last(), QString::fromUtf8(kTextNewFileError));
        EXPECT_FALSE(QFile::exists(c.path));
        EXPECT_EQ(pdb.m_bProjectOpen, 0);
        EXPECT_TRUE(pdb.m_Project.m_arrDevices.isEmpty());
    }
    EXPECT_TRUE(Entries(dir).isEmpty());
}

TEST_F(ProjectDb, CompactionShrinksTheFileAndKeepsItsContent)
{
    const QString project = MakeProject();
    Sql(project, "insert into CUSTOMPARAM(sGroupName,sNum) "
                 "select hex(randomblob(200)), a.sNum from PARAMETER a, PARAMETER b limit 20000;"
                 "delete from CUSTOMPARAM;");
    const qint64 bloated = QFileInfo(project).size();
    CProjectDatabase pdb(DefaultDb());
    ASSERT_TRUE(pdb.CompactFile(project));
    EXPECT_LT(QFileInfo(project).size(), bloated / 4);
    EXPECT_EQ(IntegrityCheck(project), "ok");
    EXPECT_EQ(QueryOne(project, "select count(*) from PARAMETER"), "150");
    EXPECT_EQ(Entries(dir), QStringList({"p.KVF"}));

    EXPECT_FALSE(pdb.CompactFile(dir.filePath("missing.KVF")));
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.KVF")));
}

TEST(ProjectDbPaths, FileNamesAndExistence)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {{"C:\\work\\p.KVF", "p.KVF"}, {"/home/u/p.KVF", "p.KVF"},
                 {"p.KVF", "p.KVF"},           {"dir/", ""},
                 {"a\\b/c.KVF", "c.KVF"},      {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(CProjectDatabase::GetFileNameOfPath(c.path), c.name) << c.path;
    EXPECT_TRUE(CProjectDatabase::IsFileExist(DefaultDb()));
    EXPECT_FALSE(CProjectDatabase::IsFileExist(DefaultDb() + ".none"));
    EXPECT_FALSE(CProjectDatabase::IsFileExist(""));
}

TEST(ProjectDbPaths, TheDefaultDatabaseLiesBesideTheProgramsFolder)
{
    SetDbProgramDir("/opt/App/bin");
    EXPECT_EQ(DefaultParamsDbPath(), "/opt/App/CommonRes/ParamsData/ZiDizorAdovora.mdb");
    SetDbProgramDir({});
    // The test program runs from build/bin, beside which the build lays out CommonRes.
    EXPECT_EQ(QFileInfo(DefaultParamsDbPath()).canonicalFilePath(),
              QFileInfo(DefaultDb()).canonicalFilePath());
    CProjectDatabase pdb;
    EXPECT_EQ(pdb.m_arrDefaultProducts.size(), 1);
}
