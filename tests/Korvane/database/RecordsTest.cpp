// Record classes: loads with their filters, option attachment, insert statements.

#include "DbTestSupport.h"
#include "database/DBDataDeviceList.h"
#include "database/DBDataFileHead.h"
#include "database/DBDataParameter.h"
#include "database/DBDataProducts.h"
#include "database/DBDataSelects.h"
#include "database/DBDataSystemGroups.h"
#include "platform/LanguageConf.h"

using namespace dbtest;

namespace {

// The default database's schema with empty tables, to be filled per case.
class Records : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = CopyOfDefaultDb(dir, "records.KVF");
        Sql(path, "delete from PARAMETER; delete from SELECTS; delete from PRODUCTS;"
                  "delete from SYSTEMGROUPS; delete from DEVICELIST;");
    }
    bool OpenDb(bool write = true)
    {
        return db.Open(CADODataBase::MakeConnectionString(
            path, write ? CADODataBase::OpenMode::ReadWrite : CADODataBase::OpenMode::Read));
    }
    static std::string ParamRow(int product, int axis, const char* code, const char* version,
                                int device = 0)
    {
        return "insert into PARAMETER(sDbFileVersion,nProductID,nAxisID,nDeviceID,sNum,dwWidth) "
               "values('" + std::string(version) + "'," + std::to_string(product) + "," +
               std::to_string(axis) + "," + std::to_string(device) + ",'" + code + "',16);";
    }
    static std::string OptionRow(int product, int axis, const char* code, int index, int value)
    {
        return "insert into SELECTS(nProductID,nAxisID,sNum,nIndex,iValue,sDescription) values(" +
               std::to_string(product) + "," + std::to_string(axis) + ",'" + code + "'," +
               std::to_string(index) + "," + std::to_string(value) + ",'v" + std::to_string(value) +
               "');";
    }
    static QStringList Codes(const QList<CDBDataParameter>& params)
    {
        QStringList codes;
        for (const auto& p : params)
            codes << p.sNum;
        return codes;
    }

    QTemporaryDir dir;
    QString path;
    CADODataBase db;
};

}  // namespace

TEST(DbVersions, CompareAsDottedNumbers)
{
    const struct {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"1.10.0", "1.9.0", 1},  {"1.9.0", "1.10.0", -1}, {"1.0.0", "1.0.0", 0},
        {"1.0", "1.0.0", 0},     {"0.9.0", "1.0.0", -1},  {"1.0.1", "1.0.0", 1},
        {"", "1.0.0", -1},       {"2", "1.99.99", 1},     {" 1.0.0 ", "1.0.0", 0},
        {"1.0.0a", "1.0.0", 1},  {"1.0.0A", "1.0.0a", 0}, {"1.0.0b", "1.0.0a", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        const int r = CompareDbVersions(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign);
    }
}

TEST_F(Records, ParameterRowsAreFilteredByVersion)
{
    for (const char* v : {"", "1.0.0", "1.0.1", "0.9.0", "1.10.0", "1.9.9"})
        Sql(path, ParamRow(7, 1, (std::string("P") + (v[0] ? v : "none")).c_str(), v));
    ASSERT_TRUE(OpenDb(false));
    const struct {
        const char* dbVersion;
        QStringList expected;  // by code
    } cases[] = {
        {"1.0.0", {"P0.9.0", "P1.0.0", "Pnone"}},
        {"1.9.0", {"P0.9.0", "P1.0.0", "P1.0.1", "Pnone"}},
        {"1.10.0", {"P0.9.0", "P1.0.0", "P1.0.1", "P1.10.0", "P1.9.9", "Pnone"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dbVersion);
        QList<CDBDataParameter> byAxis;
        ASSERT_TRUE(CDBDataParameter::LoadByAxis(db, byAxis, c.dbVersion, 0, 7, 1));
        EXPECT_EQ(Codes(byAxis), c.expected);
        QList<CDBDataParameter> byProduct;
        ASSERT_TRUE(CDBDataParameter::LoadByProduct(db, byProduct, c.dbVersion, 7));
        QStringList codes = Codes(byProduct);
        codes.sort();
        EXPECT_EQ(codes, c.expected);
    }
    // The same test on a single row.
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select * from PARAMETER where sDbFileVersion='1.0.1'"));
    CDBDataParameter p;
    EXPECT_FALSE(p.LoadWithVersion("1.0.0", &rs));
    EXPECT_TRUE(p.LoadWithVersion("1.0.1", &rs));
    EXPECT_FALSE(p.LoadWithVersion("1.0.1", nullptr));
}

TEST_F(Records, OptionsAttachPerProductAxisAndCode)
{
    Sql(path, ParamRow(7, 1, "P0002", "") + ParamRow(7, 1, "P0001", "") + ParamRow(7, 2, "P0001", "") +
                  OptionRow(7, 1, "P0001", 2, 20) + OptionRow(7, 1, "P0001", 0, 0) +
                  OptionRow(7, 1, "P0001", 1, 10) + OptionRow(7, 2, "P0001", 0, 99) +
                  OptionRow(8, 1, "P0001", 0, 98) + OptionRow(7, 1, "P0003", 0, 5));
    ASSERT_TRUE(OpenDb(false));
    QList<CDBDataParameter> axis1;
    ASSERT_TRUE(CDBDataParameter::LoadByAxis(db, axis1, "1.0.0", 0, 7, 1));
    ASSERT_EQ(Codes(axis1), QStringList({"P0001", "P0002"}));
    QList<long> values;
    for (const auto& o : axis1[0].m_arrSelects) {
        EXPECT_EQ(o.nProductID, 7);
        EXPECT_EQ(o.nAxisID, 1);
        EXPECT_EQ(o.sNum, "P0001");
        values << o.iValue;
    }
    EXPECT_EQ(values, QList<long>({0, 10, 20}));
    EXPECT_TRUE(axis1[1].m_arrSelects.isEmpty());

    QList<CDBDataParameter> axis2;
    ASSERT_TRUE(CDBDataParameter::LoadByAxis(db, axis2, "1.0.0", 0, 7, 2));
    ASSERT_EQ(axis2.size(), 1);
    ASSERT_EQ(axis2[0].m_arrSelects.size(), 1);
    EXPECT_EQ(axis2[0].m_arrSelects[0].iValue, 99);
}

TEST_F(Records, OptionsByCodesKeepProductsAndAxesApart)
{
    Sql(path, OptionRow(3, 1, "P0001", 1, 11) + OptionRow(3, 1, "P0001", 0, 12) +
                  OptionRow(1, 1, "P0001", 0, 13) + OptionRow(2, 1, "P0001", 0, 14) +
                  OptionRow(1, 2, "P0001", 0, 15));
    ASSERT_TRUE(OpenDb(false));
    SelectsByCode options;
    ASSERT_TRUE(CDBDataSelects::LoadByCodes(db, options, {3, 1}, {1}));
    EXPECT_EQ(options.size(), 2u);
    const auto* of3 = options.Find(3, 1, "P0001");
    ASSERT_NE(of3, nullptr);
    ASSERT_EQ(of3->size(), 2);
    EXPECT_EQ((*of3)[0].iValue, 12);  // display order
    EXPECT_EQ((*of3)[1].iValue, 11);
    const auto* of1 = options.Find(1, 1, "P0001");
    ASSERT_NE(of1, nullptr);
    ASSERT_EQ(of1->size(), 1);
    EXPECT_EQ((*of1)[0].iValue, 13);
    EXPECT_EQ(options.Find(2, 1, "P0001"), nullptr);
    EXPECT_EQ(options.Find(1, 2, "P0001"), nullptr);
}

TEST_F(Records, ParameterInsertKeepsEveryColumn)
{
    CDBDataParameter p;
    p.sDbFileVersion = "0.9.0";
    p.nProductID = 3;
    p.nAxisID = 2;
    p.nDeviceID = 4;
    p.bSign = 1;
    p.iCurValue = -2147483647 - 1;
    p.iDefaultValue = 70000;
    p.iMax = 2147483647;
    p.iMin = -5;
    p.dwWidth = 32;
    p.dwAddress = 0x8970;
    p.dwInput = 1;
    p.sGroupNO = "P89";
    p.sNum = "P8970";
    p.sName = "型号 'A' \"B\"";
    p.sUnit = "0.1%";
    p.nModify = 2;
    p.nEffective = 1;
    p.nLimit = 1;
    ASSERT_TRUE(OpenDb());
    ASSERT_TRUE(db.Execute(p.GetInsertSql())) << db.GetLastError().toStdString();

    QList<CDBDataParameter> loaded;
    ASSERT_TRUE(CDBDataParameter::LoadByAxis(db, loaded, "1.0.0", 4, 3, 2));
    ASSERT_EQ(loaded.size(), 1);
    const CDBDataParameter& q = loaded[0];
    EXPECT_EQ(q.sDbFileVersion, p.sDbFileVersion);
    EXPECT_EQ(q.nProductID, p.nProductID);
    EXPECT_EQ(q.nAxisID, p.nAxisID);
    EXPECT_EQ(q.nDeviceID, p.nDeviceID);
    EXPECT_EQ(q.bSign, p.bSign);
    EXPECT_EQ(q.iCurValue, p.iCurValue);
    EXPECT_EQ(q.iDefaultValue, p.iDefaultValue);
    EXPECT_EQ(q.iMax, p.iMax);
    EXPECT_EQ(q.iMin, p.iMin);
    EXPECT_EQ(q.dwWidth, p.dwWidth);
    EXPECT_EQ(q.dwAddress, p.dwAddress);
    EXPECT_EQ(q.dwInput, p.dwInput);
    EXPECT_EQ(q.sGroupNO, p.sGroupNO);
    EXPECT_EQ(q.sNum, p.sNum);
    EXPECT_EQ(q.sName, p.sName);
    EXPECT_EQ(q.sUnit, p.sUnit);
    EXPECT_EQ(q.nModify, 2);
    EXPECT_EQ(q.nEffective, 1);
    EXPECT_EQ(q.nLimit, 1);
}

TEST_F(Records, DeviceRowsRoundTripInTableOrder)
{
    ASSERT_TRUE(OpenDb());
    for (int id : {2, 1}) {
        CDBDataDeviceList d;
        d.nDeviceID = id;
        d.sDeviceName = QStringLiteral("250_DRV1 'x'");
        d.nStationNo = 250;
        d.sIpAddress = "10.0.0.1";
        d.nProductID = 1;
        ASSERT_TRUE(db.Execute(d.GetInsertSql()));
    }
    QList<CDBDataDeviceList> devices{CDBDataDeviceList()};
    ASSERT_TRUE(CDBDataDeviceList::LoadAll(db, devices));
    ASSERT_EQ(devices.size(), 2);
    EXPECT_EQ(devices[0].nDeviceID, 2);
    EXPECT_EQ(devices[1].nDeviceID, 1);
    EXPECT_EQ(devices[1].sDeviceName, "250_DRV1 'x'");
    EXPECT_EQ(devices[1].nStationNo, 250);
    EXPECT_EQ(devices[1].sIpAddress, "10.0.0.1");
}

TEST_F(Records, ProductsByIdSetAndPruning)
{
    Sql(path, "insert into PRODUCTS values(1,'DRV1',1,'',0),(2,'DRV2',3,'m',1),(3,'DRV3',1,'',0);"
              "insert into SYSTEMGROUPS(nProductID,nAxisID,sGroupNO,nGroupIndex) values"
              "(1,1,'P00',1),(2,1,'P00',1),(3,1,'P00',1);" +
                  OptionRow(1, 1, "P0001", 0, 0) + OptionRow(2, 1, "P0001", 0, 0));
    ASSERT_TRUE(OpenDb());
    QList<CDBDataProducts> products;
    ASSERT_TRUE(CDBDataProducts::LoadAll(db, products, {}));
    EXPECT_EQ(products.size(), 3);
    ASSERT_TRUE(CDBDataProducts::LoadAll(db, products, {2}));
    ASSERT_EQ(products.size(), 1);
    EXPECT_EQ(products[0].sProductModel, "DRV2");
    EXPECT_EQ(products[0].nAxisCount, 3);
    EXPECT_EQ(products[0].sMemo, "m");
    EXPECT_EQ(products[0].nCommunicationMode, 1);

    EXPECT_FALSE(CDBDataProducts::DeleteOtherProducts(db, {}));  // never "delete everything"
    EXPECT_EQ(QueryOne(path, "select count(*) from PRODUCTS"), "3");
    ASSERT_TRUE(CDBDataProducts::DeleteOtherProducts(db, {3, 1}));
    ASSERT_TRUE(CDBDataSystemGroups::DeleteOtherProducts(db, {3, 1}));
    ASSERT_TRUE(CDBDataSelects::DeleteOtherProducts(db, {3, 1}));
    EXPECT_EQ(Query(path, "select nProductID from PRODUCTS order by 1"),
              (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(Query(path, "select nProductID from SYSTEMGROUPS order by 1"),
              (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(Query(path, "select nProductID from SELECTS order by 1"), std::vector<std::string>{"1"});
}

TEST_F(Records, GroupsComeByDisplayPosition)
{
    Sql(path, "insert into SYSTEMGROUPS(nProductID,nAxisID,sGroupNO,sGroupName,nGroupIndex) values"
              "(1,1,'P02','增益',3),(1,1,'P00','基本',1),(1,2,'P01','端子',2),(2,1,'X','x',0);");
    ASSERT_TRUE(OpenDb(false));
    QList<CDBDataSystemGroups> groups;
    ASSERT_TRUE(CDBDataSystemGroups::LoadByProduct(db, groups, 1));
    ASSERT_EQ(groups.size(), 3);
    EXPECT_EQ(groups[0].sGroupNO, "P00");
    EXPECT_EQ(groups[0].sGroupName, "基本");
    EXPECT_EQ(groups[1].nAxisID, 2);
    EXPECT_EQ(groups[2].nGroupIndex, 3);
}

TEST_F(Records, FileHeadFirstRowAndMissingColumns)
{
    ASSERT_TRUE(OpenDb());
    CDBDataFileHead head;
    ASSERT_TRUE(CDBDataFileHead::LoadFirst(db, head, {}));
    EXPECT_EQ(head.sDbFileVersion, "1.0.0");
    EXPECT_NE(head.bIsSystem, 0);

    ASSERT_TRUE(db.Execute("delete from FILEHEAD"));
    EXPECT_FALSE(CDBDataFileHead::LoadFirst(db, head, {}));
    EXPECT_TRUE(head.sDbFileVersion.isEmpty());

    // A head without a memo column still loads; the memo stays empty.
    ASSERT_TRUE(db.Execute("drop table FILEHEAD; create table FILEHEAD(sDbFileVersion, bIsSystem);"
                           "insert into FILEHEAD values('0.9.0', 0);"));
    ASSERT_TRUE(CDBDataFileHead::LoadFirst(db, head, {}));
    EXPECT_EQ(head.sDbFileVersion, "0.9.0");
    EXPECT_TRUE(head.sMemo.isEmpty());
}

TEST_F(Records, LoadsFailOnAClosedConnectionWithTheOutputEmptied)
{
    QList<CDBDataParameter> params{CDBDataParameter()};
    QList<CDBDataSelects> options{CDBDataSelects()};
    QList<CDBDataProducts> products{CDBDataProducts()};
    QList<CDBDataSystemGroups> groups{CDBDataSystemGroups()};
    QList<CDBDataDeviceList> devices{CDBDataDeviceList()};
    SelectsByCode byCode;
    byCode[SelectsKey{1, 1, "P0001"}];
    EXPECT_FALSE(CDBDataParameter::LoadByAxis(db, params, "1.0.0", 0, 1, 1));
    EXPECT_FALSE(CDBDataParameter::LoadByProduct(db, params, "1.0.0", 1));
    EXPECT_FALSE(CDBDataSelects::LoadByAxis(db, options, 1, 1));
    EXPECT_FALSE(CDBDataSelects::LoadByCodes(db, byCode, {1}, {1}));
    EXPECT_FALSE(CDBDataProducts::LoadAll(db, products, {}));
    EXPECT_FALSE(CDBDataSystemGroups::LoadByProduct(db, groups, 1));
    EXPECT_FALSE(CDBDataDeviceList::LoadAll(db, devices));
    EXPECT_FALSE(CDBDataProducts::DeleteOtherProducts(db, {1}));
    EXPECT_TRUE(params.isEmpty() && options.isEmpty() && products.isEmpty() && groups.isEmpty() &&
                devices.isEmpty() && byCode.empty());
}

TEST(RecordValues, CopiesAreDeepAndClearEmptiesAll)
{
    CDBDataParameter p;
    p.sNum = "P0601";
    p.iCurValue = 3;
    CDBDataSelects o;
    o.sNum = "P0601";
    o.iValue = 4;
    o.sDescription = "通讯给定";
    p.m_arrSelects.append(o);
    CDBDataParameter copy = p;
    p.m_arrSelects[0].sDescription = "changed";
    ASSERT_EQ(copy.m_arrSelects.size(), 1);
    EXPECT_EQ(copy.m_arrSelects[0].sDescription, "通讯给定");
    copy.Clear();
    EXPECT_TRUE(copy.sNum.isEmpty());
    EXPECT_EQ(copy.iCurValue, 0);
    EXPECT_TRUE(copy.m_arrSelects.isEmpty());
}

// The monitor pane shows an enumerated value by its option's text, in the active language.
TEST(RecordValues, OptionTextOfAValueIsTranslated)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString table = dir.filePath("LangTable.tsv");
    {
        QFile f(table);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("速度模式\t速度模式\tSpeed mode\n位置模式\t位置模式\tPosition mode\n");
    }
    platform::CreateLanguageLibrary(table);
    platform::GetSqlite()->Load();
    platform::CLanguageConf::GetTheOne()->Set(platform::CLanguageConf::kEnglish);

    CDBDataParameter p;
    for (const auto& [value, text] : {std::pair{0, "位置模式"}, std::pair{-70000, "速度模式"}, std::pair{7, "无译文"}}) {
        CDBDataSelects o;
        o.iValue = value;
        o.sDescription = QString::fromUtf8(text);
        p.m_arrSelects.append(o);
    }
    const struct {
        std::int32_t value;
        const char* text;
    } cases[] = {{0, "Position mode"}, {-70000, "Speed mode"}, {7, "无译文"}, {1, ""}, {70000, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(GetParamOptionText(p, c.value), QString::fromUtf8(c.text)) << c.value;
    EXPECT_EQ(GetParamOptionText(CDBDataParameter(), 0), QString()) << "no options";

    platform::CLanguageConf::GetTheOne()->Set(platform::CLanguageConf::kSimplified);
    EXPECT_EQ(GetParamOptionText(p, 0), QStringLiteral("位置模式"));
    platform::DestroyLanguageLibrary();
}
