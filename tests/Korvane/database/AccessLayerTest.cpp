// Connection and row cursor over a database file: conversions, statements, failures.

#include "DbTestSupport.h"
#include "database/ADODataBase.h"
#include "database/ADORecordset.h"

#include <QDir>

using namespace dbtest;

namespace {

QString ConnRead(const QString& path)
{
    return CADODataBase::MakeConnectionString(path, CADODataBase::OpenMode::Read);
}
QString ConnWrite(const QString& path)
{
    return CADODataBase::MakeConnectionString(path, CADODataBase::OpenMode::ReadWrite);
}
QString ConnExclusive(const QString& path)
{
    return CADODataBase::MakeConnectionString(path, CADODataBase::OpenMode::Exclusive);
}

class AccessLayer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath("t.db");
        Sql(path, "create table t(id INTEGER, name TEXT);"
                  "insert into t values(1,'one'),(2,'two'),(3,'three');");
    }
    QTemporaryDir dir;
    QString path;
};

}  // namespace

// One column of each kind, read through the three getters.
TEST_F(AccessLayer, ColumnConversions)
{
    struct Case {
        const char* type;     // declared column type
        const char* literal;  // stored value
        bool intOk;
        int asInt;
        bool longOk;
        long asLong;
        bool textOk;
        const char* asText;
    };
    const Case cases[] = {
        {"INTEGER", "70000", true, 4464, true, 70000, true, "70000"},
        {"INTEGER", "-70000", true, -4464, true, -70000, true, "-70000"},
        {"INTEGER", "32768", true, -32768, true, 32768, true, "32768"},
        {"INTEGER", "-1", true, -1, true, -1, true, "-1"},
        {"INTEGER", "4294967295", true, -1, true, -1, true, "4294967295"},
        {"INTEGER", "NULL", true, 0, true, 0, true, ""},
        {"TEXT", "NULL", true, 0, true, 0, true, ""},
        {"TEXT", "'P0608'", true, 0, true, 0, true, "P0608"},
        {"TEXT", "' 123 '", true, 123, true, 123, true, " 123 "},
        {"TEXT", "'默认参数'", true, 0, true, 0, true, "默认参数"},
        {"REAL", "2.75", true, 2, true, 2, true, "2.75"},
        {"REAL", "-2.75", true, -2, true, -2, true, "-2.75"},
        {"BOOLEAN", "1", true, 1, true, 1, false, ""},
        {"BOOLEAN", "0", true, 0, true, 0, false, ""},
        {"BOOLEAN", "NULL", true, 0, true, 0, true, ""},
        {"DATETIME", "'2024-03-05 07:08:09'", true, 0, true, 0, true, "2024-03-05 07:08:09"},
        {"DATETIME", "2460374.5", true, int16_t(2460374 & 0xFFFF), true, 2460374, true, "2024-03-05 00:00:00"},
        {"DATETIME", "1709622489", true, int16_t(1709622489 & 0xFFFF), true, 1709622489, true,
         "2024-03-05 07:08:09"},
        {"BLOB", "x'0102'", false, 0, false, 0, false, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        Sql(path, "create table c" + std::to_string(i) + "(v " + c.type + ");insert into c" +
                      std::to_string(i) + " values(" + c.literal + ");");
    }
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(std::string(c.type) + " " + c.literal);
        CADORecordset rs(&db);
        ASSERT_TRUE(rs.Open(QStringLiteral("select v from c%1").arg(i)));
        ASSERT_FALSE(rs.IsEOF());
        int asInt = 99;
        long asLong = 99;
        QString asText = QStringLiteral("stale");
        EXPECT_EQ(rs.GetFieldValue("v", asInt), c.intOk);
        EXPECT_EQ(rs.GetFieldValue("V", asLong), c.longOk);
        EXPECT_EQ(rs.GetFieldValue("v", asText), c.textOk);
        if (c.intOk) {
            EXPECT_EQ(asInt, c.asInt);
        }
        if (c.longOk) {
            EXPECT_EQ(asLong, c.asLong);
        }
        EXPECT_EQ(asText, QString::fromUtf8(c.asText));
    }
}

TEST_F(AccessLayer, DateColumnWithAFormat)
{
    Sql(path, "create table d(v DATE); insert into d values('2024-03-05 07:08:09');");
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select v from d"));
    QString text;
    ASSERT_TRUE(rs.GetFieldValue("v", text, "%d/%m/%Y %H.%M"));
    EXPECT_EQ(text, "05/03/2024 07.08");
}

TEST_F(AccessLayer, RowsAreWalkedInOrderAndTheQueryIsKeptWithoutLeadingBlanks)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("  \t select * from t where id>=? order by id", {std::int64_t(2)}));
    EXPECT_EQ(rs.GetQuery(), "select * from t where id>=? order by id");
    QStringList names;
    while (!rs.IsEOF()) {
        QString name;
        EXPECT_TRUE(rs.GetFieldValue("name", name));
        names << name;
        ASSERT_TRUE(rs.MoveNext());
    }
    EXPECT_EQ(names, QStringList({"two", "three"}));
    EXPECT_FALSE(rs.IsFailed());

    // An empty query runs the stored one again.
    ASSERT_TRUE(rs.Open(QString(), {std::int64_t(3)}));
    QString name;
    ASSERT_TRUE(rs.GetFieldValue("name", name));
    EXPECT_EQ(name, "three");
}

TEST_F(AccessLayer, GetterFailuresKeepAFormattedError)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select * from t"));
    int value = 7;
    EXPECT_FALSE(rs.GetFieldValue("nosuch", value));
    EXPECT_EQ(value, 7);
    EXPECT_TRUE(rs.GetLastError().startsWith("Query = select * from t\nCADORecordset Error\n\tCode = "))
        << rs.GetLastError().toStdString();
    EXPECT_TRUE(rs.GetLastError().contains("\tDescription = no column named nosuch\n"));

    // Past the end there is no row to read.
    while (!rs.IsEOF())
        ASSERT_TRUE(rs.MoveNext());
    EXPECT_FALSE(rs.GetFieldValue("id", value));
    EXPECT_FALSE(rs.MoveNext());
}

TEST_F(AccessLayer, BadQueriesDoNotOpen)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    CADORecordset rs(&db);
    EXPECT_FALSE(rs.Open("select * from nosuch"));
    EXPECT_FALSE(rs.IsOpen());
    EXPECT_TRUE(rs.IsEOF());
    db.Close();
    EXPECT_FALSE(rs.Open("select * from t"));
}

TEST_F(AccessLayer, OpenFailures)
{
    QFile junk(dir.filePath("junk.KVF"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    const struct {
        const char* what;
        QString connection;
    } cases[] = {
        {"missing file", ConnWrite(dir.filePath("missing.KVF"))},
        {"missing file, read only", ConnRead(dir.filePath("missing.KVF"))},
        {"not a database", ConnExclusive(dir.filePath("junk.KVF"))},
        {"a directory", ConnRead(dir.path())},
        {"no data source", QStringLiteral("Provider=x;Mode=Read")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CADODataBase db;
        EXPECT_FALSE(db.Open(c.connection));
        EXPECT_EQ(db.GetState(), 0);
        EXPECT_NE(db.GetLastErrorCode(), 0u);
        EXPECT_TRUE(db.GetLastError().startsWith("Connection String = " + c.connection +
                                                 "\nCADODataBase Error\n\tCode = "))
            << db.GetLastError().toStdString();
    }
    EXPECT_FALSE(QFile::exists(dir.filePath("missing.KVF")));
}

TEST_F(AccessLayer, ReopenClosesFirstAndAnEmptyStringReusesTheStoredOne)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnWrite(path)));
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.Execute("insert into t values(4,'four')"));
    // Reopening closes the connection, which drops the open transaction.
    ASSERT_TRUE(db.Open(QString()));
    EXPECT_EQ(db.GetConnectionString(), ConnWrite(path));
    EXPECT_EQ(QueryOne(path, "select count(*) from t"), "3");
    db.Close();
    EXPECT_EQ(db.GetState(), 0);
    db.Close();
}

TEST_F(AccessLayer, ExecuteReportsFailures)
{
    CADODataBase db;
    EXPECT_FALSE(db.Execute("delete from t"));  // not open
    ASSERT_TRUE(db.Open(ConnWrite(path)));
    EXPECT_FALSE(db.Execute("delete from nosuch"));
    EXPECT_EQ(db.GetLastError(), "Connection String = " + ConnWrite(path) +
                                     "\nCADODataBase Error\n\tCode = 00000001\n\tCode meaning = SQL "
                                     "logic error\n\tSource = sqlite3\n\tDescription = no such "
                                     "table: nosuch\n");
    EXPECT_EQ(db.GetLastErrorCode(), 1u);
    // A statement that fails half-way through a list stops the list.
    EXPECT_FALSE(db.Execute("delete from t where id=1; delete from nosuch; delete from t"));
    EXPECT_EQ(QueryOne(path, "select count(*) from t"), "2");
}

TEST_F(AccessLayer, ReadOnlyConnectionsNeverWrite)
{
    const QByteArray before = FileBytes(path);
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(path)));
    EXPECT_FALSE(db.Execute("delete from t"));
    EXPECT_TRUE(db.GetLastError().contains("readonly")) << db.GetLastError().toStdString();
    db.Close();
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(AccessLayer, ValuesAreBoundNeverSpliced)
{
    const QString hostile = QStringLiteral("O'Brien'); drop table t; --\"驱动器\"");
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnWrite(path)));
    ASSERT_TRUE(db.Execute("insert into t(id,name) values(?,?)", {std::int64_t(9), hostile}));
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select name from t where name=?", {hostile}));
    QString name;
    ASSERT_TRUE(rs.GetFieldValue("name", name));
    EXPECT_EQ(name, hostile);
    EXPECT_EQ(QueryOne(path, "select count(*) from t"), "4");
}

TEST_F(AccessLayer, PathsWithSeparatorsAndQuotesOpen)
{
    const QString odd = dir.filePath("a;b \"c\" d.KVF");
    ASSERT_TRUE(QFile::copy(path, odd));
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnRead(odd))) << db.GetLastError().toStdString();
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select count(*) as n from t"));
    long n = 0;
    ASSERT_TRUE(rs.GetFieldValue("n", n));
    EXPECT_EQ(n, 3);
}

TEST_F(AccessLayer, TransactionsRollBack)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnWrite(path)));
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.Execute("delete from t"));
    ASSERT_TRUE(db.RollbackTrans());
    EXPECT_EQ(QueryOne(path, "select count(*) from t"), "3");
    ASSERT_TRUE(db.BeginTrans());
    ASSERT_TRUE(db.Execute("delete from t where id=1"));
    ASSERT_TRUE(db.CommitTrans());
    EXPECT_EQ(QueryOne(path, "select count(*) from t"), "2");
}

TEST_F(AccessLayer, ExclusiveConnectionsKeepOthersFromWriting)
{
    CADODataBase db;
    ASSERT_TRUE(db.Open(ConnExclusive(path)));
    CADORecordset rs(&db);
    ASSERT_TRUE(rs.Open("select * from t"));
    rs.Close();

    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "delete from t", nullptr, nullptr, nullptr), SQLITE_BUSY);
    sqlite3_close(other);
    db.Close();
    Sql(path, "delete from t where id=3");
}

TEST_F(AccessLayer, CopyToReplacesTheTargetContent)
{
    const QString target = dir.filePath("copy.db");
    QFile(target).open(QIODevice::WriteOnly);  // an empty file, as a fresh temporary one
    CADODataBase source;
    CADODataBase copy;
    ASSERT_TRUE(source.Open(ConnRead(path)));
    ASSERT_TRUE(copy.Open(ConnExclusive(target)));
    ASSERT_TRUE(source.CopyTo(copy)) << source.GetLastError().toStdString();
    copy.Close();
    EXPECT_EQ(Query(target, "select name from t order by id"),
              (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(IntegrityCheck(target), "ok");
}
