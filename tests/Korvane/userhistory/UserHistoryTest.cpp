#include "PathHelpers.h"
#include "UserCtrlDefValue.h"
#include "platform/UiServices.h"
#include "support/FileBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using platform::Archive;

namespace {

using testfiles::ReadAll;
using testfiles::WriteAll;

QByteArray Fixture()
{
    return ReadAll(QStringLiteral(FIXTURE_DIR "/UserHistory_one_entry.dat"));
}

// Builds archive bytes by hand, independent of the writer under test.
struct Bytes
{
    QByteArray b;
    Bytes &u32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
        return *this;
    }
    Bytes &str(const QString &s)
    {
        b.append("\xFF\xFE\xFF", 3);
        b.append(static_cast<char>(s.size()));
        for (QChar c : s) {
            b.append(static_cast<char>(c.unicode() & 0xFF));
            b.append(static_cast<char>(c.unicode() >> 8));
        }
        return *this;
    }
    Bytes &tag(const QString &t) { return u32(static_cast<std::uint32_t>(t.size())).str(t); }
    Bytes &intField(const QString &t, int v) { return tag(t).u32(4).u32(static_cast<std::uint32_t>(v)); }
    Bytes &end() { return tag("DENDDEND"); }
};

class UserHistory : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_path = m_dir.filePath("UserHistory.dat");
    }
    std::shared_ptr<platform::ScriptedUiServices> m_ui = std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices m_use{m_ui};
    QTemporaryDir m_dir;
    QString m_path;
};

}

TEST_F(UserHistory, OneEntryIsWrittenByteForByte)
{
    CUserCtrlDefValueList list;
    EXPECT_TRUE(list.SetValue(256, 2124, kCtrlKindButton, "1"));
    ASSERT_TRUE(list.SaveToFile(m_path));
    const QByteArray expected = Fixture();
    ASSERT_EQ(expected.size(), 304);
    const QByteArray written = ReadAll(m_path);
    ASSERT_EQ(written.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        ASSERT_EQ(written[i], expected[i]) << "byte " << i;
    EXPECT_TRUE(m_ui->Calls().empty());
}

TEST_F(UserHistory, FixtureLoads)
{
    WriteAll(m_path, Fixture());
    CUserCtrlDefValueList list;
    list.SetValue(1, 1, kCtrlKindEdit, "stale");  // replaced by the file's content
    ASSERT_TRUE(list.LoadFromFile(m_path));
    const auto entries = list.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->m_nID, -1);
    EXPECT_EQ(entries[0]->m_nDlgID, 256);
    EXPECT_EQ(entries[0]->m_nCtrlID, 2124);
    EXPECT_EQ(entries[0]->m_strType, kCtrlKindButton);
    EXPECT_EQ(entries[0]->m_strValue, QString("1"));
}

TEST_F(UserHistory, SaveAndLoadKeepEntriesInOrder)
{
    CUserCtrlDefValueList list;
    const QString longText(300, QChar(u'值'));  // needs the 16-bit length form
    list.SetValue(300, 1, kCtrlKindEdit, longText);
    list.SetValue(300, 2, kCtrlKindCombo, "");
    list.SetValue(301, 5, kCtrlKindStatic, "中文 text");
    list.SetValue(-7, -1, kCtrlKindButton, "2");
    ASSERT_TRUE(list.SaveToFile(m_path));
    CUserCtrlDefValueList again;
    ASSERT_TRUE(again.LoadFromFile(m_path));
    const auto a = list.Entries(), b = again.Entries();
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->m_nDlgID, b[i]->m_nDlgID);
        EXPECT_EQ(a[i]->m_nCtrlID, b[i]->m_nCtrlID);
        EXPECT_EQ(a[i]->m_strType, b[i]->m_strType);
        EXPECT_EQ(a[i]->m_strValue, b[i]->m_strValue);
    }
    EXPECT_EQ(b.front()->m_nDlgID, -7);  // newest first
}

TEST_F(UserHistory, SetValueAndGetValue)
{
    CUserCtrlDefValueList list;
    EXPECT_TRUE(list.SetValue(10, 20, kCtrlKindEdit, "  7 \t"));
    EXPECT_EQ(list.GetValue(10, 20, kCtrlKindEdit), QString("7"));
    EXPECT_FALSE(list.SetValue(10, 20, kCtrlKindCombo, "x"));  // same ids: kind replaced
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetValue(10, 20, kCtrlKindEdit), QString());
    EXPECT_EQ(list.GetValue(10, 20, kCtrlKindCombo), QString("x"));
    EXPECT_EQ(list.GetValue(10, 20, "ccombox"), QString());  // kind compared exactly
    EXPECT_EQ(list.GetValue(10, 21, kCtrlKindCombo), QString());
}

TEST_F(UserHistory, MissingAndEmptyFiles)
{
    CUserCtrlDefValueList list;
    list.SetValue(1, 2, kCtrlKindEdit, "keep");
    EXPECT_FALSE(list.LoadFromFile(m_dir.filePath("none.dat")));
    EXPECT_EQ(list.GetCount(), 1);  // untouched
    EXPECT_FALSE(list.LoadFromFile(QString()));
    WriteAll(m_path, QByteArray());
    EXPECT_TRUE(list.LoadFromFile(m_path));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_TRUE(m_ui->Calls().empty());
}

TEST_F(UserHistory, ForeignFieldsAreSkippedBySize)
{
    Bytes b;
    b.tag("CTRLLIST").u32(0);  // size patched below
    const qsizetype sizeAt = b.b.size() - 4;
    b.u32(1);
    b.intField("DTAMIDTP", 4).end();
    b.tag("CTRLNOTE").u32(12).u32(1).u32(2).u32(3);  // unknown, 12 bytes
    b.intField("CTRLDGID", 77);
    b.tag("CTRLMORE").u32(8).str("ab");            // unknown string field
    b.intField("CTRLCRID", 88).end();
    const auto listSize = static_cast<std::uint32_t>(b.b.size() - sizeAt - 4);
    for (int i = 0; i < 4; ++i)
        b.b[sizeAt + i] = static_cast<char>((listSize >> (8 * i)) & 0xFF);
    b.end();
    WriteAll(m_path, b.b);
    CUserCtrlDefValueList list;
    ASSERT_TRUE(list.LoadFromFile(m_path));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.Entries()[0]->m_nID, 4);
    EXPECT_EQ(list.Entries()[0]->m_nDlgID, 77);
    EXPECT_EQ(list.Entries()[0]->m_nCtrlID, 88);
}

TEST_F(UserHistory, EightBitStringsAreRead)
{
    Bytes b;
    b.intField("DTAMIDTP", -1).end();
    b.tag("CTRLVAUE").u32(3);
    b.b.append('\x02').append("ok");  // no 16-bit marker: one byte per character
    b.end();
    CUserCtrlDefValue v;
    Archive ar(b.b);
    v.Serialize(ar);
    EXPECT_EQ(v.m_strValue, QString("ok"));
    EXPECT_EQ(ar.BytesLeft(), 0);
}

TEST_F(UserHistory, EightBitStringsInAFileAreInTheAnsiCodePage)
{
    Bytes b;
    b.tag("CTRLLIST").u32(0);
    const qsizetype sizeAt = b.b.size() - 4;
    b.u32(1);
    b.intField("DTAMIDTP", -1).end();
    b.intField("CTRLDGID", 1);
    b.tag("CTRLVAUE").u32(5);
    b.b.append("\x04\xD6\xD0\xCE\xC4", 5);  // "中文" in GBK
    b.end();
    const auto listSize = static_cast<std::uint32_t>(b.b.size() - sizeAt - 4);
    for (int i = 0; i < 4; ++i)
        b.b[sizeAt + i] = static_cast<char>((listSize >> (8 * i)) & 0xFF);
    b.end();
    WriteAll(m_path, b.b);
    CUserCtrlDefValueList list;
    ASSERT_TRUE(list.LoadFromFile(m_path));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.Entries()[0]->m_strValue, QString("中文"));
}

TEST_F(UserHistory, RecordStopsAfter201Fields)
{
    for (int foreign : {200, 201}) {
        Bytes b;
        b.intField("DTAMIDTP", -1).end();
        for (int i = 0; i < foreign; ++i)
            b.intField("CTRLXXXX", i);
        b.intField("CTRLDGID", 5).end();
        CUserCtrlDefValue v;
        Archive ar(b.b);
        v.Serialize(ar);
        EXPECT_EQ(v.m_nDlgID, foreign == 200 ? 5 : -1) << foreign;  // the 201st field is the last read
    }
}

TEST_F(UserHistory, TruncatedFilesAreRejected)
{
    const QByteArray good = Fixture();
    for (qsizetype n = 1; n < good.size(); ++n) {
        WriteAll(m_path, good.left(n));
        CUserCtrlDefValueList list;
        EXPECT_FALSE(list.LoadFromFile(m_path)) << n;
        EXPECT_EQ(list.GetCount(), 0) << n;
    }
    const auto calls = m_ui->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_TRUE(calls[0].text.startsWith(m_path + "  写文件出现问题：")) << calls[0].text.toStdString();
}

TEST_F(UserHistory, ADamagedFileIsKeptAsideBeforeTheNextSaveReplacesIt)
{
    const QByteArray damaged = Fixture().left(Fixture().size() - 3);
    WriteAll(m_path, damaged);
    CUserCtrlDefValueList list;
    EXPECT_FALSE(list.LoadFromFile(m_path));
    EXPECT_TRUE(list.SaveToFile(m_path));
    EXPECT_EQ(ReadAll(m_path + ".bad"), damaged);
    EXPECT_NE(ReadAll(m_path), damaged);
}

// The first 24 bytes are the list's tag: damage to any of them is damage to the file, kept
// aside and reported like any other, never an empty list that the next save writes over.
TEST_F(UserHistory, ADamagedListTagIsKeptAsideAndReported)
{
    const QByteArray good = Fixture();
    for (qsizetype i = 0; i < 24; ++i) {
        QByteArray damaged = good;
        damaged[i] = static_cast<char>(damaged[i] ^ 0x41);
        WriteAll(m_path, damaged);
        QFile::remove(m_path + ".bad");
        m_ui->ClearCalls();
        CUserCtrlDefValueList list;
        EXPECT_FALSE(list.LoadFromFile(m_path)) << i;
        EXPECT_EQ(list.GetCount(), 0) << i;
        EXPECT_EQ(ReadAll(m_path + ".bad"), damaged) << i;
        EXPECT_EQ(m_ui->Calls().size(), 1u) << i;
    }
    // A file too short to hold the tag is damaged as well; an empty one is an empty list.
    WriteAll(m_path, good.left(10));
    CUserCtrlDefValueList shortList;
    EXPECT_FALSE(shortList.LoadFromFile(m_path));
    WriteAll(m_path, {});
    CUserCtrlDefValueList emptyList;
    EXPECT_TRUE(emptyList.LoadFromFile(m_path));
}

TEST_F(UserHistory, DamagedFieldsAreRejected)
{
    struct Case
    {
        const char *what;
        qsizetype offset;
        QByteArray bytes;
    } cases[] = {
        {"list size beyond the file", 24, QByteArray("\xFF\xFF\xFF\x7F", 4)},
        {"record count beyond the file", 28, QByteArray("\xFF\xFF\xFF\x0F", 4)},
        {"integer field of size 5", 56, QByteArray("\x05\x00\x00\x00", 4)},
        {"string longer than its field", 152 + 24, QByteArray("\x10\x00\x00\x00", 4)},
        {"string length beyond the file", 152 + 28 + 3, QByteArray("\xFE", 1)},
        {"string 32-bit length beyond the file", 152 + 28 + 3, QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7)},
        {"list size too small", 24, QByteArray("\x10\x00\x00\x00", 4)},
    };
    for (const Case &c : cases) {
        QByteArray bytes = Fixture();
        bytes.replace(c.offset, c.bytes.size(), c.bytes);
        WriteAll(m_path, bytes);
        CUserCtrlDefValueList list;
        EXPECT_FALSE(list.LoadFromFile(m_path)) << c.what;
        EXPECT_EQ(list.GetCount(), 0) << c.what;
    }
}

TEST_F(UserHistory, AnySingleDamagedByteLoadsOrIsRejectedWithoutCrash)
{
    const QByteArray good = Fixture();
    for (qsizetype i = 0; i < good.size(); ++i) {
        for (char v : {'\x00', '\xFF', '\x7F'}) {
            QByteArray bytes = good;
            bytes[i] = v;
            WriteAll(m_path, bytes);
            CUserCtrlDefValueList list;
            if (!list.LoadFromFile(m_path)) {
                EXPECT_EQ(list.GetCount(), 0) << i;
            }
            EXPECT_LE(list.GetCount(), 1) << i;
        }
    }
}

namespace {
// A record whose writing fails half-way, as a full disk would.
class FailingValue : public CUserCtrlDefValue
{
public:
    void Serialize(Archive &ar) override
    {
        CUserCtrlDefValue::Serialize(ar);
        if (ar.IsStoring())
            throw platform::ArchiveException("disk full");
    }
};
}

TEST_F(UserHistory, FailedSaveLeavesTheOldFile)
{
    WriteAll(m_path, Fixture());
    CUserCtrlDefValueList list;
    list.SetValue(1, 2, kCtrlKindEdit, "new");
    list.AddTail(std::make_unique<FailingValue>());
    EXPECT_FALSE(list.SaveToFile(m_path));
    EXPECT_EQ(ReadAll(m_path), Fixture());
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"UserHistory.dat"});  // no leftovers
    const auto calls = m_ui->Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].text, m_path + "  写文件出现问题：disk full");

    EXPECT_FALSE(list.SaveToFile(m_dir.filePath("missing/UserHistory.dat")));  // cannot open: silent
    EXPECT_EQ(m_ui->Calls().size(), 1u);
}

TEST_F(UserHistory, FileLiesInTheProgramDirectory)
{
    EXPECT_EQ(CUserCtrlDefValueList::FilePath("/opt/korvane/bin"), QString("/opt/korvane/bin/UserHistory.dat"));
    EXPECT_EQ(CUserCtrlDefValueList::FilePath("/opt/korvane/bin/"), QString("/opt/korvane/bin/UserHistory.dat"));
    SetProgramDir("/srv/k/bin");
    EXPECT_EQ(CUserCtrlDefValueList::DefaultFilePath(), QString("/srv/k/bin/UserHistory.dat"));
    SetProgramDir(QString());
}

TEST_F(UserHistory, LocalTextRecordsRoundTrip)
{
    CUserLocalTextList list;
    auto t = std::make_unique<CUserLocalText>();
    t->m_nDlgID = 3;
    t->m_nCtrlID = 4;
    t->m_strText = "文本";
    t->m_strType = "CStatic";
    t->m_strName = "name";
    list.AddTail(std::move(t));
    Archive out;
    list.Serialize(out);
    CUserLocalTextList again;
    Archive in(out.Bytes());
    again.Serialize(in);
    ASSERT_EQ(again.GetCount(), 1);
    auto *r = dynamic_cast<CUserLocalText *>(again.Items().front().get());
    ASSERT_TRUE(r);
    EXPECT_EQ(r->m_nID, -10);
    EXPECT_EQ(r->m_strText, QString("文本"));
    EXPECT_EQ(r->m_strName, QString("name"));
    EXPECT_EQ(r->m_nCtrlID, 4);
    EXPECT_EQ(in.BytesLeft(), 0);
}
