// Recipe files: both layouts written and read back, the lines the reader skips, and the files
// it refuses as a whole.
#include "ParamTableFixture.h"

#include "PathHelpers.h"
#include "Wnds/Params/RecipeFile.h"
#include "database/ParamValueText.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using paramtest::Find;
using paramtest::Table;

QByteArray Gbk(const char *utf8)
{
    const std::string s = CStringToAnsi(QString::fromUtf8(utf8));
    return QByteArray(s.data(), qsizetype(s.size()));
}

// The parameter page's row of a record, as far as the file cares.
CGridRowData Row(const CDBDataParameter &p, int index)
{
    CGridRowData row;
    auto cell = [&row](const char *key, const QString &text) { InsertGridCellData(QString::fromLatin1(key), text, row, 0, 0, -1); };
    cell("IDS_ParaView_1", p.sNum);
    cell("IDS_ParaView_2", p.sName);
    cell("IDS_ParaView_3", ParamValueText(p, p.iCurValue));
    cell("IDS_ParaView_4", ParamValueText(p, p.iDefaultValue));
    cell("IDS_ParaView_5", p.sUnit);
    cell("IDS_ParaView_6", QString::number(p.iMin));
    cell("IDS_ParaView_7", QString::number(p.iMax));
    cell("IDS_ParaView_8", QString::number(index));
    cell("IDS_ParaView_9", QStringLiteral("0"));
    cell("IDS_ParaView_10", QString::fromUtf8("随时设定"));
    cell("IDS_ParaView_11", QString::fromUtf8("立即生效"));
    return row;
}

CGridTableAttribute Columns()
{
    CGridTableAttribute attr;
    for (int i = 1; i <= 11; ++i) {
        CGridColumnAttribute c;
        c.strColID = QStringLiteral("IDS_ParaView_%1").arg(i);
        c.strColShowName = QString::fromUtf8("列%1").arg(i);
        attr.m_mapColumns[c.strColID] = c;
    }
    return attr;
}

class RecipeFileTest : public ::testing::Test
{
protected:
    QString Path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    void Write(const QString &path, const QByteArray &bytes) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray Read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Values read, by code (the later line winning).
    QMap<QString, std::int32_t> Load(const QString &path, bool expectOk = true)
    {
        const RecipeReadResult r = ReadRecipeFile(path, m_table);
        EXPECT_EQ(r.ok, expectOk) << r.error.toStdString();
        return RecipeValueMap(r.records);
    }

    QTemporaryDir m_dir;
    QList<CDBDataParameter> m_table = Table();
};

TEST_F(RecipeFileTest, TextLayoutIsModelThenCodeValueLinesInAddressOrderInGbk)
{
    const QString path = Path("r.txt");
    ASSERT_TRUE(WriteRecipeText(path, QString::fromUtf8("伺服DRV1"), m_table));
    QByteArray expected = Gbk("伺服DRV1") + "\r\n";
    expected += "P0001 1\r\nP0200 40\r\nP0608 1500\r\nP0902 -250\r\nP8970 -1582119980\r\n";
    EXPECT_EQ(Read(path), expected);
}

TEST_F(RecipeFileTest, BothLayoutsGiveBackEveryValue)
{
    // Option, hexadecimal code, negative value, empty unit: each value comes back unchanged.
    for (const char *name : {"all.txt", "all.csv"}) {
        const QString path = Path(name);
        if (RecipeLayoutOfPath(path) == RecipeLayout::Csv) {
            CGridRowDataMap rows;
            for (int i = 0; i < m_table.size(); ++i)
                rows[i] = Row(m_table[i], i);
            ASSERT_TRUE(WriteRecipeCsv(path, QString::fromUtf8("驱动器"), Columns(), rows));
        } else {
            ASSERT_TRUE(WriteRecipeText(path, QString::fromUtf8("驱动器"), m_table));
        }
        // Read against a table whose values all differ, so nothing passes by accident.
        QList<CDBDataParameter> other = m_table;
        for (CDBDataParameter &p : other)
            p.iCurValue = 7;
        const RecipeReadResult r = ReadRecipeFile(path, other);
        ASSERT_TRUE(r.ok) << name << ": " << r.error.toStdString();
        ASSERT_EQ(r.records.size(), m_table.size()) << name;
        for (const CDBDataParameter &p : m_table) {
            const CDBDataParameter *got = Find(r.records, p.sNum);
            ASSERT_NE(got, nullptr) << name << " " << p.sNum.toStdString();
            EXPECT_EQ(got->iCurValue, p.iCurValue) << name << " " << p.sNum.toStdString();
            EXPECT_EQ(got->sUnit, p.sUnit);
            EXPECT_EQ(got->sName, p.sName);
        }
    }
}

TEST_F(RecipeFileTest, CsvLinesHoldKeysInTextOrderCaptionsAndCellsWithChineseInGbk)
{
    const QString path = Path("r.csv");
    CGridRowDataMap rows;
    rows[0] = Row(m_table[0], 0);
    ASSERT_TRUE(WriteRecipeCsv(path, QStringLiteral("DRV1"), Columns(), rows));
    const QList<QByteArray> lines = Read(path).split('\n');
    ASSERT_EQ(lines.size(), 5);  // four lines and the empty text after the last line end
    EXPECT_EQ(lines[0], "DRV1\r");
    EXPECT_EQ(lines[1], "IDS_ParaView_1,IDS_ParaView_10,IDS_ParaView_11,IDS_ParaView_2,IDS_ParaView_3,"
                        "IDS_ParaView_4,IDS_ParaView_5,IDS_ParaView_6,IDS_ParaView_7,IDS_ParaView_8,IDS_ParaView_9\r");
    EXPECT_TRUE(lines[2].startsWith(Gbk("列1,列10,列11,列2")));
    EXPECT_EQ(lines[3], "P0001," + Gbk("随时设定,立即生效,控制模式选择,速度模式,位置模式,,0,2,0,0") + "\r");
}

TEST_F(RecipeFileTest, CsvTakesOnlyCodeAndValueFromTheFile)
{
    const QString path = Path("edited.csv");
    QByteArray bytes = "DRV1\r\n"
                       "IDS_ParaView_1,IDS_ParaView_2,IDS_ParaView_3,IDS_ParaView_5,IDS_ParaView_6,IDS_ParaView_7\r\n"
                       "a,b,c,d,e,f\r\n";
    bytes += "P0608," + Gbk("改过的名字") + ",321,s,-99999,99999\r\n";
    bytes += "P0001,x," + Gbk("转矩模式") + ",,0,0\r\n";
    Write(path, bytes);
    const RecipeReadResult r = ReadRecipeFile(path, m_table);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    ASSERT_EQ(r.records.size(), 2);
    EXPECT_EQ(r.records[0].iCurValue, 321);
    EXPECT_EQ(r.records[0].sName, QString::fromUtf8("软启动加速时间"));
    EXPECT_EQ(r.records[0].sUnit, QStringLiteral("ms"));
    EXPECT_EQ(r.records[0].iMin, 0);
    EXPECT_EQ(r.records[0].iMax, 10000);
    EXPECT_EQ(r.records[1].iCurValue, 2);
}

TEST_F(RecipeFileTest, SkipsTheFirstLineBlankLinesAndUnknownCodes)
{
    const QString path = Path("skip.txt");
    // A first line that looks like a parameter is still the product line.
    Write(path, "P0200 99\r\n\r\n   \r\nP7777 5\r\nP0608 1500\n"
                "UserParam P0902 -20\r\nP0608 100\r\n");
    const QMap<QString, std::int32_t> values = Load(path);
    EXPECT_FALSE(values.contains(QStringLiteral("P0200")));
    EXPECT_FALSE(values.contains(QStringLiteral("P7777")));
    EXPECT_EQ(values.value(QStringLiteral("P0902")), -20);
    EXPECT_EQ(values.value(QStringLiteral("P0608")), 100);  // listed twice, the later wins
    EXPECT_EQ(ReadRecipeFile(path, m_table).records.size(), 3);
}

TEST_F(RecipeFileTest, LinesOfAnyLengthAndOutOfRangeValuesAreRead)
{
    const QString path = Path("long.txt");
    QByteArray bytes = "M\r\n";
    bytes += "P9999 " + QByteArray(400, '7') + "\r\n";  // unknown code: skipped whatever its value
    bytes += "P0608 -20" + QByteArray(300, ' ') + "\r\n";
    bytes += "P0200 12\r\n";
    Write(path, bytes);
    const QMap<QString, std::int32_t> values = Load(path);
    EXPECT_EQ(values.value(QStringLiteral("P0608")), -20);  // outside 0..10000: the caller warns
    EXPECT_EQ(values.value(QStringLiteral("P0200")), 12);
}

TEST_F(RecipeFileTest, RefusesTheWholeFileForOneBadLine)
{
    const QByteArray csvHead = "M\r\nIDS_ParaView_1,IDS_ParaView_2,IDS_ParaView_3\r\nc,n,v\r\n";
    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"empty-value.txt", "M\r\nP0200 12\r\nP0608 \r\n"},
        {"hex-value.txt", "M\r\nP0200 12\r\nP0608 0x10\r\n"},
        {"trailing-text.txt", "M\r\nP0608 12ms\r\n"},
        {"too-big.txt", "M\r\nP0608 4294967296\r\n"},
        {"few-fields.csv", csvHead + "P0200,a,12\r\nP0608,b\r\n"},
        {"many-fields.csv", csvHead + "P0608,a,b,12\r\n"},
        {"unreadable-value.csv", csvHead + "P0608,a,abc\r\n"},
        {"unknown-option.csv", csvHead + "P0001,a," + Gbk("飞行模式") + "\r\n"},
        {"hex-for-decimal-code.csv", csvHead + "P0608,a,0x10\r\n"},
        {"no-value-column.csv", "M\r\nIDS_ParaView_1,IDS_ParaView_2\r\nc,n\r\nP0608,a\r\n"},
        // The code runs on into the value: not read as "P0608" and what follows its sixth character.
        {"no-blank-after-code.txt", "M\r\nP06081500\r\n"},
        {"no-blank-after-code-0.txt", "M\r\nP0902200\r\n"},
        {"no-blank-after-user-code.txt", "M\r\nUserParam P0902-20\r\n"},
        {"user-code-run-on.txt", "M\r\nUserParamXP0902 -20\r\n"},
        {"blank-value.txt", "M\r\nP0608    \r\n"},
        {"exponent.txt", "M\r\nP0608 1e3\r\n"},
        {"fraction.txt", "M\r\nP0608 12.7\r\n"},
    };
    for (const auto &c : cases) {
        const QString path = Path(c.name);
        Write(path, c.bytes);
        const RecipeReadResult r = ReadRecipeFile(path, m_table);
        EXPECT_FALSE(r.ok) << c.name;
        EXPECT_FALSE(r.error.isEmpty()) << c.name;
    }
    EXPECT_FALSE(ReadRecipeFile(Path("missing.txt"), m_table).ok);
    // A bad value on a line whose code names no parameter does not matter.
    Write(Path("unknown.txt"), "M\r\nP7777 0x10\r\nP0608 5\r\n");
    EXPECT_TRUE(ReadRecipeFile(Path("unknown.txt"), m_table).ok);
    // "UserParam" counts only at the start of a line; elsewhere the line names no parameter.
    Write(Path("prefix.txt"), "M\r\nmy UserParam P0902 -20\r\nP0608 5\r\n");
    const RecipeReadResult prefixed = ReadRecipeFile(Path("prefix.txt"), m_table);
    EXPECT_TRUE(prefixed.ok);
    EXPECT_EQ(prefixed.records.size(), 1);
}

TEST_F(RecipeFileTest, HexadecimalCodesReadTheirPatternBackAndOptionsTheirText)
{
    const CDBDataParameter &model = *Find(m_table, QStringLiteral("P8970"));
    EXPECT_EQ(ParamValueText(model, int(0xA1B2C3D4u)), QStringLiteral("0xA1B2C3D4"));
    EXPECT_EQ(ParseParamValueText(model, QStringLiteral("0xA1B2C3D4")), int(0xA1B2C3D4u));
    EXPECT_EQ(ParseParamValueText(model, QStringLiteral("0x")), std::nullopt);
    EXPECT_EQ(ParseParamValueText(model, QStringLiteral("0x1G")), std::nullopt);
    const CDBDataParameter &mode = *Find(m_table, QStringLiteral("P0001"));
    EXPECT_EQ(ParamValueText(mode, 2), QString::fromUtf8("转矩模式"));
    EXPECT_EQ(ParamValueText(mode, 9), QStringLiteral("9"));  // no option: the number
    EXPECT_EQ(ParseParamValueText(mode, QStringLiteral("9")), 9);
}

TEST(RecipeNames, SavePathAndDefaultName)
{
    EXPECT_EQ(RecipeSavePath(QStringLiteral("/a/r.txt")), QStringLiteral("/a/r.txt"));
    EXPECT_EQ(RecipeSavePath(QStringLiteral("/a/r.CSV")), QStringLiteral("/a/r.CSV"));
    EXPECT_EQ(RecipeSavePath(QStringLiteral("/a/r.dat")), QStringLiteral("/a/r.dat.txt"));
    EXPECT_EQ(RecipeSavePath(QStringLiteral("/a/r")), QStringLiteral("/a/r.txt"));
    EXPECT_EQ(RecipeLayoutOfPath(QStringLiteral("x.usr")), RecipeLayout::Text);
    EXPECT_EQ(RecipeLayoutOfPath(QStringLiteral("x.rcp")), RecipeLayout::Text);
    EXPECT_EQ(RecipeDefaultName(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)), QStringLiteral("DRV1")),
              QStringLiteral("20260304050607[DRV1]"));
    EXPECT_EQ(SplitCsvLine(QStringLiteral("a,,b,")), (QStringList{"a", "", "b", ""}));
}

TEST_F(RecipeFileTest, AFailedWriteLeavesTheOldFile)
{
    const QString path = Path("keep.txt");
    Write(path, "old\r\n");
    // A folder where the file would go cannot be replaced.
    ASSERT_TRUE(QDir().mkpath(Path("dir.txt")));
    EXPECT_FALSE(WriteRecipeText(Path("dir.txt"), QStringLiteral("M"), m_table));
    EXPECT_FALSE(WriteRecipeText(Path("nofolder/x.txt"), QStringLiteral("M"), m_table));
    EXPECT_EQ(Read(path), "old\r\n");
}

}
