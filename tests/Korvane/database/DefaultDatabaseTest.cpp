// The shipped default parameter database: the invariants the program relies on, and the
// register defaults the simulated drive starts from.

#include "DbTestSupport.h"
#include "database/DefaultRegisters.h"

#include <set>

using namespace dbtest;

namespace {

// Every parameter code that the program's pages, dialogs and diagrams address.
const char* const kCodesThePagesUse[] = {
    // basic control and the setup wizard
    "P0007", "P000A", "P000B", "P000C", "P001B", "P001C", "P001D", "P001E", "P0029", "P002E",
    "P002F",
    // DI/DO mode and function pairs
    "P0107", "P0108", "P0109", "P010A", "P010B", "P010C", "P010D", "P010E", "P010F", "P0110",
    "P0111", "P0112", "P0113", "P0114", "P0115", "P0116", "P0117", "P0118", "P0128", "P0129",
    "P012A", "P012B", "P012C", "P012D", "P012E", "P012F", "P0130", "P0131",
    // gains, inertia identification, loop diagram boxes
    "P0201", "P0202", "P0203", "P0204", "P0205", "P0206", "P021F", "P0230", "P0232", "P0233",
    "P0234", "P0235",
    // notch filters and vibration suppression
    "P0303", "P0304", "P0305", "P0306", "P0307", "P0308", "P0309", "P030A", "P030B", "P030C",
    "P030D", "P030E", "P0320", "P0321", "P0329", "P032A", "P032B",
    // speed control and jog
    "P0601", "P0606", "P0608", "P0609", "P060A", "P0610", "P0612", "P0614",
    // torque control
    "P070F", "P0711", "P0712", "P0713", "P0714",
    // status group, polled by the data monitor
    "P0900", "P0901", "P0902", "P0903", "P0904", "P0905", "P0906", "P0908", "P090C", "P090D",
    "P090E", "P090F", "P0910", "P0911", "P0912", "P0925", "P0926", "P092B", "P0931",
    // word order, identity, encoder, versions
    "P8006", "P8970", "P8971", "P8972", "P8973", "P8974", "P8975", "P897A", "P897B", "P897C",
    "P897D", "P9026", "P9104", "P9105", "P9106", "P9107",
    // recorder capture lists, DI/DO function names, monitor bit strings
    "H0000", "H0202", "H0302", "H0400", "H0504", "H0506", "H0507", "H0509", "H0511", "H0513",
    "H0519", "H0605", "H0606", "H0611", "H0703", "H0705", "H0800", "H0801", "H0802", "H0803",
    "H0804", "H0805", "H0808", "H0809", "H0810", "H0815", "H0818", "H0819", "H0820", "H0821",
    "H0822", "H0824", "H0B03", "H0B05",
};

// Rows that break an invariant; each query names the offending code.
std::vector<std::string> Offenders(const std::string& sql)
{
    return Query(DefaultDb(), sql);
}

}  // namespace

TEST(DefaultDatabase, HeadAndProduct)
{
    EXPECT_EQ(IntegrityCheck(DefaultDb()), "ok");
    EXPECT_EQ(Query(DefaultDb(), "select sDbFileVersion||'|'||bIsSystem from FILEHEAD"),
              std::vector<std::string>{"1.0.0|1"});
    EXPECT_EQ(Query(DefaultDb(), "select nProductID||'|'||sProductModel||'|'||nAxisCount from PRODUCTS"),
              std::vector<std::string>{"1|DRV1|1"});
    // The model a drive reports is held in two registers, two characters each.
    EXPECT_EQ(QueryOne(DefaultDb(),
                       "select char(a.iDefaultValue>>8, a.iDefaultValue&255, b.iDefaultValue>>8,"
                       " b.iDefaultValue&255) from PARAMETER a, PARAMETER b"
                       " where a.sNum='P8970' and b.sNum='P8971'"),
              "DRV1");
    EXPECT_EQ(QueryOne(DefaultDb(), "select count(*) from DEVICELIST"), "0");
    EXPECT_EQ(QueryOne(DefaultDb(), "select count(*) from CUSTOMPARAM"), "0");
}

TEST(DefaultDatabase, EveryCodeThePagesUseIsThere)
{
    const auto rows = Query(DefaultDb(), "select sNum from PARAMETER where nProductID=1 and nAxisID=1");
    const std::set<std::string> present(rows.begin(), rows.end());
    for (const char* code : kCodesThePagesUse)
        EXPECT_TRUE(present.count(code)) << code;
    EXPECT_EQ(rows.size(), std::size(kCodesThePagesUse));
}

TEST(DefaultDatabase, ParameterRowsAreConsistent)
{
    const struct {
        const char* rule;
        const char* offenders;
    } rules[] = {
        {"codes are unique per product and axis",
         "select sNum from PARAMETER group by nProductID, nAxisID, sNum having count(*) > 1"},
        {"codes are P or H and four hex digits",
         "select sNum from PARAMETER where length(sNum) <> 5 or substr(sNum,1,1) not in ('P','H')"
         " or upper(substr(sNum,2)) glob '*[^0-9A-F]*' or substr(sNum,2) <> upper(substr(sNum,2))"},
        {"the register is the code's digits", "select sNum from PARAMETER"
                                              " where printf('%04X', dwAddress) <> substr(sNum, 2)"},
        {"width is 16 or 32", "select sNum from PARAMETER where dwWidth not in (16, 32)"},
        {"range is ordered and holds the default and the current value",
         "select sNum from PARAMETER where iMin > iMax or iDefaultValue not between iMin and iMax"
         " or iCurValue not between iMin and iMax"},
        {"16-bit ranges fit a register",
         "select sNum from PARAMETER where dwWidth = 16 and ((bSign and (iMin < -32768 or iMax > 32767))"
         " or (not bSign and (iMin < 0 or iMax > 65535)))"},
        {"32-bit ranges fit two registers",
         "select sNum from PARAMETER where dwWidth = 32 and (iMin < -2147483648 or iMax > 4294967295)"},
        {"names, groups and codes are not empty",
         "select sNum from PARAMETER where sName = '' or sGroupNO = '' or sName is null"},
        {"modify, effect and hidden rules are in their sets",
         "select sNum from PARAMETER where nModify not between 0 and 3 or nEffective not in (0, 1)"
         " or nLimit not in (0, 1)"},
        {"H codes are hidden and display only",
         "select sNum from PARAMETER where (sNum like 'H%') <> (nLimit = 1)"
         " or (sNum like 'H%' and nModify <> 2)"},
        {"the drive words shown in hex are display only",
         "select sNum from PARAMETER where (sNum between 'P8970' and 'P897D' or sNum between 'P9104'"
         " and 'P9107') and nModify <> 2"},
        {"every group is a group of the product's axis",
         "select p.sNum from PARAMETER p where not exists (select 1 from SYSTEMGROUPS g where"
         " g.nProductID = p.nProductID and g.nAxisID = p.nAxisID and g.sGroupNO = p.sGroupNO)"},
        {"the status group holds the monitor's rows",
         "select sNum from PARAMETER where sNum like 'P09%' and sGroupNO <> 'P09'"},
        {"enumerated exactly when options exist",
         "select p.sNum from PARAMETER p where p.dwInput <> exists (select 1 from SELECTS s where"
         " s.nProductID = p.nProductID and s.nAxisID = p.nAxisID and s.sNum = p.sNum)"},
    };
    for (const auto& r : rules)
        EXPECT_EQ(Offenders(r.offenders), std::vector<std::string>{}) << r.rule;
}

TEST(DefaultDatabase, OptionsAreConsistent)
{
    const struct {
        const char* rule;
        const char* offenders;
    } rules[] = {
        {"every option belongs to a parameter and lies in its range",
         "select s.sNum || '=' || s.iValue from SELECTS s left join PARAMETER p on p.nProductID ="
         " s.nProductID and p.nAxisID = s.nAxisID and p.sNum = s.sNum"
         " where p.sNum is null or s.iValue not between p.iMin and p.iMax"},
        {"values and positions are unique per code",
         "select sNum from SELECTS group by nProductID, nAxisID, sNum"
         " having count(distinct iValue) <> count(*) or count(distinct nIndex) <> count(*)"},
        {"positions run from 0", "select sNum from SELECTS group by nProductID, nAxisID, sNum"
                                 " having min(nIndex) <> 0 or max(nIndex) <> count(*) - 1"},
        {"descriptions are not empty", "select sNum from SELECTS where sDescription = ''"},
        {"DI/DO and function lists run 0..n-1 and cover the range",
         "select s.sNum from SELECTS s join PARAMETER p using (nProductID, nAxisID, sNum)"
         " where s.sNum between 'P0107' and 'P0131' or s.sNum in ('H0302', 'H0400')"
         " group by s.sNum having min(s.iValue) <> 0 or max(s.iValue) <> count(*) - 1"
         " or max(s.iValue) <> max(p.iMax)"},
    };
    for (const auto& r : rules)
        EXPECT_EQ(Offenders(r.offenders), std::vector<std::string>{}) << r.rule;
    // The sorted drop-down lists rely on the "n-" prefixes.
    EXPECT_EQ(Query(DefaultDb(), "select sDescription from SELECTS where sNum='P0201' order by nIndex"),
              (std::vector<std::string>{"0-手动增益调整", "1-刚性等级自动调整"}));
}

TEST(DefaultDatabase, GroupsOfAxisOne)
{
    EXPECT_EQ(Query(DefaultDb(), "select sGroupNO from SYSTEMGROUPS where nProductID=1 and nAxisID=1"
                                 " order by nGroupIndex"),
              (std::vector<std::string>{"P00", "P01", "P02", "P03", "P06", "P07", "P09", "P80",
                                        "P89", "P90", "P91", "H00", "H02", "H03", "H04", "H05",
                                        "H06", "H07", "H08"}));
}

TEST(DefaultRegisters, ComeFromTheDatabaseDefaults)
{
    QString error;
    const auto regs = LoadDefaultRegisterValues(DefaultDb(), 1, &error);
    ASSERT_FALSE(regs.empty()) << error.toStdString();
    EXPECT_EQ(regs.size(), std::stoul(QueryOne(DefaultDb(),
                                               "select count(distinct dwAddress) from PARAMETER")));
    const struct {
        std::uint16_t address;
        std::uint32_t value;
        int width;
        const char* code;
    } cases[] = {
        {0x0606, 200, 16, "P0606"},  // the jog speed, not the hidden H0606 at the same address
        {0x0202, 13, 16, "P0202"},   {0x8970, 0x4452, 16, "P8970"}, {0x8971, 0x5631, 16, "P8971"},
        {0x9104, 0x0101, 16, "P9104"}, {0x897D, 0x9ABC, 16, "P897D"}, {0x0906, 0, 32, "P0906"},
        {0x0904, 3110, 16, "P0904"}, {0x9026, 11170, 16, "P9026"},  {0x0302, 0, 16, "H0302"},
        {0x012C, 6, 16, "P012C"},
    };
    for (const auto& c : cases) {
        const auto it = regs.find(c.address);
        ASSERT_NE(it, regs.end()) << std::hex << c.address;
        EXPECT_EQ(it->second.value, c.value) << c.code;
        EXPECT_EQ(it->second.width, c.width) << c.code;
        EXPECT_EQ(it->second.code, c.code);
    }

    EXPECT_TRUE(LoadDefaultRegisterValues(DefaultDb(), 9, &error).empty());
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_TRUE(LoadDefaultRegisterValues(DefaultDb() + ".none", 1, &error).empty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(DefaultRegisters, NegativeDefaultsKeepTheirRegisterWidth)
{
    QTemporaryDir dir;
    const QString path = CopyOfDefaultDb(dir);
    Sql(path, "update PARAMETER set iDefaultValue=-2, iCurValue=-2 where sNum in ('P0900', 'P0906')");
    const auto regs = LoadDefaultRegisterValues(path);
    EXPECT_EQ(regs.at(0x0900).value, 0xFFFEu);
    EXPECT_EQ(regs.at(0x0906).value, 0xFFFFFFFEu);
}
