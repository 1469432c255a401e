#include "grid/GridCtrlTableAttributeOp.h"

#include "PathHelpers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

struct Col {
    const char *id;
    const char *caption;
    int width;
    bool isShow;
    bool isEdit;
};

struct Options {
    bool dragCol = true;
    bool sortBar = false;
    bool multiRow = false;
    bool enableEdit = true;
    int rowHeight = 24;
};

struct TableCase {
    const char *tableId;
    std::vector<Col> cols;
    Options opt;
};

std::vector<Col> ParaView(int width, std::vector<std::pair<bool, bool>> flags)
{
    static const char *ids[] = {"IDS_ParaView_1", "IDS_ParaView_2", "IDS_ParaView_3",
                                "IDS_ParaView_4", "IDS_ParaView_5", "IDS_ParaView_6",
                                "IDS_ParaView_7", "IDS_ParaView_8", "IDS_ParaView_9",
                                "IDS_ParaView_10", "IDS_ParaView_11"};
    std::vector<Col> cols;
    for (std::size_t i = 0; i < flags.size(); ++i)
        cols.push_back({ids[i], ids[i], width, flags[i].first, flags[i].second});
    return cols;
}

std::vector<TableCase> BuiltInTables()
{
    const std::pair<bool, bool> hidden{false, false};
    std::vector<TableCase> t;
    t.push_back({"TableStyle",
                 {{"strColID", "列名称", 127, 1, 0},
                  {"strColShowName", "显示名称", 120, 1, 1},
                  {"iColWidth", "宽度", 60, 1, 1},
                  {"isShow", "是否显示", 65, 1, 1},
                  {"isEdit", "是否编辑", 65, 1, 1},
                  {"iLock", "锁定列", 90, 1, 1},
                  {"enColSumType", "合计方式", 75, 1, 1},
                  {"enSerchType", "检索方式", 75, 1, 1},
                  {"iColFont", "字体大小", 65, 1, 1},
                  {"IsFontWeight", "字体加粗", 65, 1, 1},
                  {"isEnableFilter", "能否筛选", 65, 1, 1},
                  {"strColDestribution", "列字段说明", 300, 1, 1},
                  {"strTableID", "列字段所在表", 80, 0, 0},
                  {"batchEdit", "批量编辑", 80, 1, 0}},
                 {.dragCol = false, .sortBar = true}});
    t.push_back({"XML_Params",
                 ParaView(127, {{1, 0}, {1, 0}, {1, 1}, hidden, hidden, hidden, hidden, hidden,
                                hidden, hidden, hidden}),
                 {.dragCol = true, .multiRow = true}});
    auto monitor = ParaView(127, {{1, 0}, {1, 0}, {1, 0}, hidden, hidden, hidden, hidden, hidden,
                                  hidden, hidden, hidden});
    monitor.push_back({"当前值", "当前值", 127, 1, 0});
    t.push_back({"XML_Params_Monitor", monitor, {.dragCol = true}});
    t.push_back({"XML_Params2", ParaView(90, {{1, 0}, {1, 0}, {1, 1}}), {.dragCol = false}});
    t.push_back({"XML_Status_data_ctl",
                 {{"XML_STATUS_DATA_CTL_ID", "ID", 55, 1, 0},
                  {"XML_STATUS_DATA_CTL_FUNC_NUM_NAME", "功能码名称", 165, 1, 0},
                  {"XML_STATUS_DATA_CTL_CUR_VALUE", "当前值", 55, 1, 0},
                  {"XML_STATUS_DATA_CTL_CHAR", "单位", 50, 1, 0}},
                 {.dragCol = false, .multiRow = true}});
    t.push_back({"XML_FAULT_MANAGEMENT",
                 {{"XML_FAULT_MANAGEMENT_ID", "编号", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_ERROR", "错误信息", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_TIME", "时间（0.1s）", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_MOTORSPEED", "转速（rpm）", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_CURRENTU", "U相电流（A）", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_CURRENTV", "V相电流（A）", 100, 1, 0},
                  {"XML_FAULT_MANAGEMENT_VOL", "母线电压（V）", 100, 1, 0}},
                 {.dragCol = false, .enableEdit = false}});
    t.push_back({"XML_FAULT_MANAGEMENT_NOTE",
                 {{"XML_FAULT_MANAGEMENT_NOTE_ID", "原因和解决方法", 470, 1, 0}},
                 {.dragCol = false, .enableEdit = false, .rowHeight = 300}});
    t.push_back({"XML_NEW_DLG_SECOND",
                 {{"XML_NEW_DLG_SECOND_DXM", "对象名", 88, 1, 0},
                  {"XML_NEW_DLG_SECOND_ZH", "站号", 50, 1, 0},
                  {"XML_NEW_DLG_SECOND_DXLX", "对象类型", 70, 1, 0},
                  {"XML_NEW_DLG_SECOND_DEVICE_ID", "设备ID", 70, 0, 0},
                  {"XML_NEW_DLG_SECOND_PRODUCT_ID", "产品ID", 70, 0, 0},
                  {"XML_NEW_DLG_SECOND_VERSION", "软件版本", 70, 0, 0}},
                 {.dragCol = false, .enableEdit = false}});
    t.push_back({"XML_DI_SHOW_SET",
                 {{"Di状态", "Di状态", 127, 1, 0}, {"模式", "模式", 300, 1, 0},
                  {"连接器", "连接器", 127, 1, 0}},
                 {.dragCol = false, .rowHeight = 30}});
    t.push_back({"XML_DO_SHOW_SET",
                 {{"Do状态", "Do状态", 127, 1, 0}, {"模式", "模式", 300, 1, 0},
                  {"连接器", "连接器", 127, 1, 0}},
                 {.dragCol = false, .rowHeight = 30}});
    return t;
}

TEST(DefaultTables, EveryBuiltInTableMatchesItsList)
{
    auto *op = CGridCtrlTableAttributeOp::GetInstance();
    const auto tables = BuiltInTables();
    ASSERT_EQ(tables.size(), 10u);
    for (const TableCase &tc : tables) {
        SCOPED_TRACE(tc.tableId);
        CGridTableAttribute attr;
        ASSERT_TRUE(op->BuildDefaultAttribute(U(tc.tableId), attr));
        ASSERT_EQ(attr.m_mapColumns.size(), tc.cols.size());
        ASSERT_EQ(attr.m_mapColumnOrder.size(), tc.cols.size());
        int n = 1;
        for (const Col &c : tc.cols) {
            SCOPED_TRACE(c.id);
            ASSERT_EQ(attr.m_mapColumnOrder.at(n), U(c.id));
            const CGridColumnAttribute &col = attr.m_mapColumns.at(U(c.id));
            EXPECT_EQ(col.strColID, U(c.id));
            EXPECT_EQ(col.strColShowName, U(c.caption));
            EXPECT_EQ(col.strColDestribution, U(c.caption));
            EXPECT_EQ(col.iColIndex, n);
            EXPECT_EQ(col.iColWidth, c.width);
            EXPECT_EQ(col.isShow, c.isShow);
            EXPECT_EQ(col.isEdit, c.isEdit);
            EXPECT_TRUE(col.isEnableFilter);
            EXPECT_EQ(col.iLock, 0);
            EXPECT_EQ(col.enColSumType, 0);
            EXPECT_EQ(col.iColFont, 11);
            EXPECT_FALSE(col.IsFontWeight);
            EXPECT_EQ(col.enSerchType, 0);
            EXPECT_TRUE(col.strColFormat.isEmpty());
            EXPECT_TRUE(col.strTableID.isEmpty());
            EXPECT_FALSE(col.batchEdit);
            ++n;
        }
        EXPECT_EQ(attr.isEnableDragCol, tc.opt.dragCol);
        EXPECT_EQ(attr.isShowSortBar, tc.opt.sortBar);
        EXPECT_EQ(attr.isMultiRowSelect, tc.opt.multiRow);
        EXPECT_EQ(attr.isEnableEdit, tc.opt.enableEdit);
        EXPECT_EQ(attr.DataRowHeight, tc.opt.rowHeight);
        // Options no list names keep a fresh table's values.
        EXPECT_EQ(attr.iDataRowFont, 11);
        EXPECT_EQ(attr.iPageRows, 50);
        EXPECT_FALSE(attr.isAllowSort);
        EXPECT_FALSE(attr.isShowSumBar);
        EXPECT_FALSE(attr.isShowTitleFilter);
    }
}

TEST(DefaultTables, UnregisteredTableGivesTrueAndNoColumns)
{
    CGridTableAttribute attr;
    EXPECT_TRUE(CGridCtrlTableAttributeOp::GetInstance()->BuildDefaultAttribute("Nope", attr));
    EXPECT_TRUE(attr.m_mapColumns.empty());
    CGridCtrlTableAttributeOpBase base;
    EXPECT_FALSE(base.BuildDefaultAttribute("TableStyle", attr));
    EXPECT_FALSE(base.MergeDefaultColumns(attr, "TableStyle"));
}

// ---- In memory: adding, merging, renumbering -----------------------------------------------

TEST(TableModel, AddColumnKeepsExistingEntriesAndDefaultsTheDescription)
{
    CGridTableAttribute attr;
    AddColumnAttribute(attr, 1, "a", "A", "", "T", true, true, 50, true, 0, 0, 11, false, 0, "");
    AddColumnAttribute(attr, 2, "b", "B", "Bee", "", true, true, 50, true, 0, 0, 11, false, 0, "");
    AddColumnAttribute(attr, 1, "c", "C", "", "", true, true, 50, true, 0, 0, 11, false, 0, "");
    AddColumnAttribute(attr, 3, "a", "A2", "", "", true, true, 50, true, 0, 0, 11, false, 0, "");
    EXPECT_EQ(attr.m_mapColumns.at("a").strColDestribution, "A");
    EXPECT_EQ(attr.m_mapColumns.at("a").strColShowName, "A");
    EXPECT_EQ(attr.m_mapColumns.at("a").strTableID, "T");
    EXPECT_EQ(attr.m_mapColumns.at("b").strColDestribution, "Bee");
    EXPECT_EQ(attr.m_mapColumnOrder.at(1), "a");
    EXPECT_EQ(attr.m_mapColumnOrder.at(3), "a");
}

TEST(TableModel, MergeKeepsUserSettingsOfDefaultColumnsOnly)
{
    auto *op = CGridCtrlTableAttributeOp::GetInstance();
    CGridTableAttribute loaded;
    loaded.DataRowHeight = 40;
    // The user moved column 2 to the front and widened it, renamed column 1, and the file
    // holds a column the defaults no longer name; column 3 is missing from it.
    CGridColumnAttribute c2("XML_Params2_unused", 0, "x", true, true, 10, true, 0, 0, 11, false,
                            0, "", "", "", false);
    loaded.m_mapColumns["IDS_ParaView_2"] =
        CGridColumnAttribute("IDS_ParaView_2", 0, "Two", true, true, 200, true, 1, 1, 11, true,
                             0, "%d", "user text", "userTable", true);
    loaded.m_mapColumns["IDS_ParaView_1"] =
        CGridColumnAttribute("IDS_ParaView_1", 5, "One", false, true, 99, true, 0, 0, 11, false,
                             0, "", "", "", false);
    loaded.m_mapColumns["Old"] = c2;
    loaded.m_mapColumnOrder = {{1, "IDS_ParaView_2"}, {2, "Old"}, {3, "IDS_ParaView_1"}};

    CGridTableAttribute attr = loaded;
    ASSERT_TRUE(op->MergeDefaultColumns(attr, "XML_Params2"));
    EXPECT_EQ(attr.DataRowHeight, 40);
    ASSERT_EQ(attr.m_mapColumns.size(), 3u);
    EXPECT_EQ(attr.m_mapColumns.count("Old"), 0u);
    const std::map<int, QString> order{
        {1, "IDS_ParaView_1"}, {2, "IDS_ParaView_2"}, {3, "IDS_ParaView_3"}};
    EXPECT_EQ(attr.m_mapColumnOrder, order);

    const auto &one = attr.m_mapColumns.at("IDS_ParaView_1");
    EXPECT_EQ(one.strColShowName, "One");
    EXPECT_EQ(one.iColIndex, 5);
    EXPECT_EQ(one.iColWidth, 99);
    EXPECT_FALSE(one.isShow);
    const auto &two = attr.m_mapColumns.at("IDS_ParaView_2");
    EXPECT_EQ(two.iColWidth, 200);
    EXPECT_EQ(two.iLock, 1);
    EXPECT_EQ(two.strColFormat, "%d");
    // The description and the field's table always come from the defaults.
    EXPECT_EQ(two.strColDestribution, "IDS_ParaView_2");
    EXPECT_EQ(two.strTableID, "");
    const auto &three = attr.m_mapColumns.at("IDS_ParaView_3");
    EXPECT_EQ(three.strColShowName, "IDS_ParaView_3");
    EXPECT_EQ(three.strColDestribution, "IDS_ParaView_3");
    EXPECT_EQ(three.iColIndex, 2);
    EXPECT_EQ(three.iColWidth, 75);
    EXPECT_TRUE(three.isShow);
    EXPECT_FALSE(three.isEdit);
}

TEST(TableModel, RenumberingGivesDensePositionsInPositionOrder)
{
    const struct {
        const char *name;
        std::vector<std::pair<const char *, int>> in;
        std::vector<std::pair<const char *, int>> out;
    } cases[] = {
        {"gaps", {{"a", 10}, {"b", 3}, {"c", 7}}, {{"a", 2}, {"b", 0}, {"c", 1}}},
        {"unset", {{"a", -1}, {"b", -1}, {"c", 0}}, {{"a", 0}, {"b", 1}, {"c", 2}}},
        {"already dense", {{"a", 0}, {"b", 1}}, {{"a", 0}, {"b", 1}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        CGridTableAttribute attr;
        for (const auto &[id, idx] : c.in) {
            CGridColumnAttribute col;
            col.strColID = id;
            col.iColIndex = static_cast<std::int16_t>(idx);
            attr.m_mapColumns[id] = col;
        }
        NormalizeColumnIndexes(attr);
        for (const auto &[id, idx] : c.out)
            EXPECT_EQ(attr.m_mapColumns.at(id).iColIndex, idx) << id;
    }
    // Equal positions still end up distinct and dense.
    CGridTableAttribute tie;
    for (const char *id : {"x", "y", "z"}) {
        CGridColumnAttribute col;
        col.strColID = id;
        col.iColIndex = 4;
        tie.m_mapColumns[id] = col;
    }
    NormalizeColumnIndexes(tie);
    std::set<int> seen;
    for (const auto &[id, col] : tie.m_mapColumns)
        seen.insert(col.iColIndex);
    EXPECT_EQ(seen, (std::set<int>{0, 1, 2}));
}

// ---- Files -----------------------------------------------------------------------------------

class TableFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_bin = m_tmp.path() + "/App/bin";
        QDir().mkpath(m_bin);
        SetProgramDir(m_bin);
    }
    void TearDown() override { SetProgramDir(QString()); }

    QString UserFile(const QString &id) const
    {
        return m_tmp.path() + "/App/UserDir/TableConfigXml/" + id + ".XML";
    }
    QString SystemFile(const QString &id) const
    {
        return m_tmp.path() + "/App/CommonRes/TableConfigXml/" + id + ".XML";
    }
    static bool WriteAttr(const QString &path, const CGridTableAttribute &attr)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        return WriteTableAttributeFile(path, attr);
    }
    static void Write(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static CGridTableAttribute Defaults(const char *id)
    {
        CGridTableAttribute a;
        CGridCtrlTableAttributeOp::GetInstance()->BuildDefaultAttribute(U(id), a);
        return a;
    }

    QTemporaryDir m_tmp;
    QString m_bin;
    CGridCtrlTableAttributeOp *m_op = CGridCtrlTableAttributeOp::GetInstance();
};

TEST_F(TableFiles, FoldersAndNamesLieBesideTheProgramDirectory)
{
    EXPECT_EQ(CGridCtrlTableAttributeOpBase::GetUserTableFile("XML_Params"),
              UserFile("XML_Params"));
    EXPECT_EQ(CGridCtrlTableAttributeOpBase::GetSystemTableFile("XML_Params"),
              SystemFile("XML_Params"));
}

TEST_F(TableFiles, RoundTripKeepsEveryStoredFieldAndChineseIds)
{
    CGridTableAttribute attr = Defaults("XML_Params_Monitor");
    attr.mainSortField = U("当前值");
    attr.isMainSortDesc = true;
    attr.secondSortField = "IDS_ParaView_2";
    attr.UpdateDateTime = "2026-01-02 03:04:05";
    attr.isNoUpdateServerStyle = true;
    attr.iDataRowFont = 14;
    attr.iPageRows = -3;
    attr.isShowSumBar = attr.isAllowSort = attr.isShowTitleFilter = attr.isWholeRowSelect = true;
    auto &col = attr.m_mapColumns.at(U("当前值"));
    col.strColShowName = U("当前值（十六进制）");
    col.strColFormat = "0x%X";
    col.iColWidth = -2;
    col.iLock = 2;
    col.enColSumType = 3;
    col.enSerchType = 1;
    col.IsFontWeight = true;
    col.batchEdit = true;
    col.isEnableFilter = false;
    // Fields that are not stored come back as the reader's fresh values.
    col.strColDestribution.clear();
    for (auto &[id, c] : attr.m_mapColumns) {
        c.strColDestribution.clear();
        c.strTableID.clear();
    }

    const QString path = m_tmp.path() + U("/表格.XML");
    ASSERT_TRUE(WriteTableAttributeFile(path, attr));
    CGridTableAttribute back;
    ASSERT_TRUE(ReadTableAttributeFile(path, back));
    EXPECT_EQ(back, attr);
    EXPECT_TRUE(Read(path).startsWith("<TableAtrri>"));
    EXPECT_TRUE(Read(path).contains("\n        <Item1>"));
}

TEST_F(TableFiles, WrittenItemsAreNumberedAsWrittenSoTheFileReadsBack)
{
    CGridTableAttribute attr;
    for (const char *id : {"a", "b", "c"}) {
        CGridColumnAttribute col;
        col.strColID = id;
        col.iColIndex = 0;
        attr.m_mapColumns[id] = col;
    }
    // Gaps, a dangling entry and a column the order map forgot.
    attr.m_mapColumnOrder = {{2, "b"}, {5, "gone"}, {9, "a"}};
    const QString path = m_tmp.path() + "/t.XML";
    ASSERT_TRUE(WriteTableAttributeFile(path, attr));
    const QByteArray xml = Read(path);
    const QByteArray afterCount = xml.mid(xml.indexOf("<ItemCount>") + 11).trimmed();
    EXPECT_TRUE(afterCount.startsWith("3\n")) << xml.constData();
    EXPECT_EQ(xml.count("<Item"), 4) << xml.constData();
    CGridTableAttribute back;
    ASSERT_TRUE(ReadTableAttributeFile(path, back));
    const std::map<int, QString> order{{1, "b"}, {2, "a"}, {3, "c"}};
    EXPECT_EQ(back.m_mapColumnOrder, order);
    EXPECT_EQ(back.m_mapColumns.size(), 3u);
}

// Bytes that end in a character's lead byte are a damaged file, read without going past them.
TEST_F(TableFiles, FilesEndingInALeadByteAreRefused)
{
    const QString path = m_tmp.path() + "/lead.XML";
    for (const char *bytes : {"<TableAtrri><Item\xC3", "<TableAtrri\xE4", "<\xF0", "<TableAtrri><ItemCount>1</ItemCount><Item1\xFC"}) {
        SCOPED_TRACE(bytes);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        CGridTableAttribute back;
        EXPECT_FALSE(ReadTableAttributeFile(path, back));
        EXPECT_TRUE(back.m_mapColumns.empty());
    }
}

TEST_F(TableFiles, ReadingRules)
{
    const QString path = m_tmp.path() + "/r.XML";
    const char *item1 = "<Item1><strColID>a</strColID><iColIndex>3</iColIndex></Item1>";
    const char *item2 = "<Item2><strColID>b</strColID><iColIndex>1</iColIndex></Item2>";
    const struct {
        const char *name;
        QByteArray xml;
        bool ok;
        std::size_t columns;
        int rowHeight;
    } cases[] = {
        {"no columns", "<TableAtrri><ItemCount>0</ItemCount></TableAtrri>", true, 0, 24},
        {"missing item", QByteArray("<TableAtrri><ItemCount>3") + item1 + item2 + "</ItemCount></TableAtrri>",
         false, 2, 24},
        {"item without index",
         "<TableAtrri><ItemCount>1<Item1><strColID>a</strColID></Item1></ItemCount></TableAtrri>",
         false, 0, 24},
        {"leading blanks and trailing letters",
         "<TableAtrri><DataRowHeight>  31px</DataRowHeight></TableAtrri>", true, 0, 31},
        {"no digits", "<TableAtrri><DataRowHeight>px</DataRowHeight></TableAtrri>", true, 0, 0},
        {"empty element", "<TableAtrri><DataRowHeight/></TableAtrri>", true, 0, 0},
        {"order of elements does not matter",
         QByteArray("<X><ItemCount>1") + item1 + "</ItemCount><DataRowHeight>9</DataRowHeight></X>",
         true, 1, 9},
        {"later duplicate wins",
         "<TableAtrri><DataRowHeight>5</DataRowHeight><DataRowHeight>6</DataRowHeight></TableAtrri>",
         true, 0, 6},
        {"no element at all", "just text", false, 0, 24},
        {"damaged tail", "<TableAtrri><DataRowHeight>7</DataRowHeight><Item", false, 0, 24},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Write(path, c.xml);
        CGridTableAttribute attr;
        EXPECT_EQ(ReadTableAttributeFile(path, attr), c.ok);
        EXPECT_EQ(attr.m_mapColumns.size(), c.columns);
        if (c.ok) {
            EXPECT_EQ(attr.DataRowHeight, c.rowHeight);
        }
    }
    CGridTableAttribute none;
    EXPECT_FALSE(ReadTableAttributeFile(m_tmp.path() + "/none.XML", none));
}

TEST_F(TableFiles, FirstStartWritesTheDefaultsToBothFolders)
{
    CGridTableAttribute attr;
    ASSERT_TRUE(m_op->GetTableAttribute("XML_Params", attr));
    const CGridTableAttribute defaults = Defaults("XML_Params");
    EXPECT_EQ(attr, defaults);
    CGridTableAttribute sys, user;
    ASSERT_TRUE(ReadTableAttributeFile(SystemFile("XML_Params"), sys));
    ASSERT_TRUE(ReadTableAttributeFile(UserFile("XML_Params"), user));
    EXPECT_EQ(sys.m_mapColumnOrder, defaults.m_mapColumnOrder);
    EXPECT_EQ(user.m_mapColumns.at("IDS_ParaView_3").iColIndex, 3);
}

TEST_F(TableFiles, SystemFileSeedsTheUserFileAndTheNextLoadMergesIt)
{
    CGridTableAttribute sys = Defaults("XML_Params2");
    sys.m_mapColumns.erase("IDS_ParaView_3");
    sys.m_mapColumnOrder.erase(3);
    AddColumnAttribute(sys, 3, "Extra", "Extra", "", "", true, true, 40, true, 0, 0, 11, false,
                       0, "");
    sys.DataRowHeight = 33;
    ASSERT_TRUE(WriteAttr(SystemFile("XML_Params2"), sys));

    CGridTableAttribute first;
    ASSERT_TRUE(m_op->GetTableAttribute("XML_Params2", first));
    EXPECT_EQ(first.m_mapColumns.count("Extra"), 1u);
    EXPECT_EQ(first.m_mapColumns.count("IDS_ParaView_3"), 0u);
    EXPECT_EQ(Read(UserFile("XML_Params2")), Read(SystemFile("XML_Params2")));

    CGridTableAttribute second;
    ASSERT_TRUE(m_op->GetTableAttribute("XML_Params2", second));
    EXPECT_EQ(second.m_mapColumns.count("Extra"), 0u);
    ASSERT_EQ(second.m_mapColumns.count("IDS_ParaView_3"), 1u);
    EXPECT_EQ(second.m_mapColumns.at("IDS_ParaView_3").iColIndex, 2);
    EXPECT_EQ(second.DataRowHeight, 33);
    CGridTableAttribute rewritten;
    ASSERT_TRUE(ReadTableAttributeFile(UserFile("XML_Params2"), rewritten));
    EXPECT_EQ(rewritten.m_mapColumns.count("IDS_ParaView_3"), 1u);
}

TEST_F(TableFiles, UserFileWinsAndIsRenumbered)
{
    CGridTableAttribute user = Defaults("XML_Params2");
    user.m_mapColumns.at("IDS_ParaView_1").iColIndex = 30;
    user.m_mapColumns.at("IDS_ParaView_2").iColIndex = 10;
    user.m_mapColumns.at("IDS_ParaView_3").iColIndex = 20;
    user.m_mapColumns.at("IDS_ParaView_3").iColWidth = 222;
    ASSERT_TRUE(WriteAttr(UserFile("XML_Params2"), user));
    CGridTableAttribute sys;
    sys.DataRowHeight = 99;
    ASSERT_TRUE(WriteAttr(SystemFile("XML_Params2"), sys));

    CGridTableAttribute attr;
    ASSERT_TRUE(m_op->GetTableAttribute("XML_Params2", attr));
    EXPECT_EQ(attr.DataRowHeight, 24);
    EXPECT_EQ(attr.m_mapColumns.at("IDS_ParaView_2").iColIndex, 0);
    EXPECT_EQ(attr.m_mapColumns.at("IDS_ParaView_3").iColIndex, 1);
    EXPECT_EQ(attr.m_mapColumns.at("IDS_ParaView_1").iColIndex, 2);
    EXPECT_EQ(attr.m_mapColumns.at("IDS_ParaView_3").iColWidth, 222);
}

TEST_F(TableFiles, UnreadableUserFileIsKeptAsideAndTheSystemFileOrTheDefaultsStandIn)
{
    const QByteArray broken = "<TableAtrri><ItemCount>2<Item1><strColID>IDS_ParaView_1</strColID>"
                              "<iColIndex>1</iColIndex></Item1></ItemCount></TableAtrri>";
    // With a system file: it seeds the table.
    Write(UserFile("XML_Params2"), broken);
    CGridTableAttribute sys = Defaults("XML_Params2");
    sys.DataRowHeight = 41;
    ASSERT_TRUE(WriteAttr(SystemFile("XML_Params2"), sys));
    CGridTableAttribute attr;
    EXPECT_TRUE(m_op->GetTableAttribute("XML_Params2", attr));
    EXPECT_EQ(attr.DataRowHeight, 41);
    EXPECT_EQ(attr.m_mapColumns.size(), 3u);
    EXPECT_EQ(Read(UserFile("XML_Params2") + ".bad"), broken);
    CGridTableAttribute user;
    ASSERT_TRUE(ReadTableAttributeFile(UserFile("XML_Params2"), user));
    EXPECT_EQ(user.DataRowHeight, 41);

    // Without a readable system file: the defaults, and the system file is kept aside too.
    Write(UserFile("XML_DI_SHOW_SET"), "<TableAtrri><ItemCount>1</ItemCount>");
    Write(SystemFile("XML_DI_SHOW_SET"), "garbage");
    CGridTableAttribute di;
    di.DataRowHeight = 7;
    EXPECT_TRUE(m_op->GetTableAttribute("XML_DI_SHOW_SET", di));
    CGridTableAttribute expected;
    expected.DataRowHeight = 7;
    m_op->BuildDefaultAttribute("XML_DI_SHOW_SET", expected);
    EXPECT_EQ(di, expected);
    EXPECT_EQ(Read(UserFile("XML_DI_SHOW_SET") + ".bad"), "<TableAtrri><ItemCount>1</ItemCount>");
    EXPECT_EQ(Read(SystemFile("XML_DI_SHOW_SET") + ".bad"), "garbage");
    CGridTableAttribute rewritten;
    EXPECT_TRUE(ReadTableAttributeFile(UserFile("XML_DI_SHOW_SET"), rewritten));
    EXPECT_EQ(rewritten.m_mapColumns.size(), 3u);
}

TEST_F(TableFiles, DefaultOnlyAndResets)
{
    CGridTableAttribute user = Defaults("XML_FAULT_MANAGEMENT");
    user.DataRowHeight = 55;
    user.m_mapColumns.at("XML_FAULT_MANAGEMENT_ID").iColWidth = 1;
    ASSERT_TRUE(WriteAttr(UserFile("XML_FAULT_MANAGEMENT"), user));
    const QByteArray before = Read(UserFile("XML_FAULT_MANAGEMENT"));

    CGridTableAttribute attr;
    EXPECT_TRUE(m_op->GetTableAttributeByName("XML_FAULT_MANAGEMENT", attr, TRUE));
    EXPECT_EQ(attr, Defaults("XML_FAULT_MANAGEMENT"));
    EXPECT_EQ(Read(UserFile("XML_FAULT_MANAGEMENT")), before);
    EXPECT_FALSE(QFile::exists(SystemFile("XML_FAULT_MANAGEMENT")));

    CGridTableAttribute reset;
    EXPECT_TRUE(m_op->InitUserTableAttribute("XML_FAULT_MANAGEMENT", reset));
    EXPECT_EQ(reset.DataRowHeight, 24);
    EXPECT_EQ(reset.m_mapColumns.at("XML_FAULT_MANAGEMENT_ID").iColWidth, 100);
    CGridTableAttribute readBack;
    ASSERT_TRUE(ReadTableAttributeFile(UserFile("XML_FAULT_MANAGEMENT"), readBack));
    EXPECT_EQ(readBack.DataRowHeight, 24);
    EXPECT_TRUE(QFile::exists(SystemFile("XML_FAULT_MANAGEMENT")));
}

}
