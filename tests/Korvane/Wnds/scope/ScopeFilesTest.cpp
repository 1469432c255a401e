// Capture files, the scope configuration files, the installed tables and the roll-frame
// handler's way into the channels and the recording.
#include "LangText.h"
#include "PathHelpers.h"
#include "Wnds/scope/ScopeConfig.h"
#include "Wnds/scope/ScopeControl.h"
#include "Wnds/scope/WaveFile.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ScopeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetLangText().m_strLangFile =
            QCoreApplication::applicationDirPath() + QStringLiteral("/config/english_US.ini");
        GetLangText().m_strLanguage = QStringLiteral("EnglishUS");
        settings = CScopeSettings::GetInstance();
        settings->Reset();
        settings->ClearSamples();
        settings->m_arrChannelInfo.clear();
        settings->m_arrChBit.clear();
        settings->m_arrCaptureParams.clear();
        settings->m_arrParamList.clear();
        CChannelInfo a;
        a.nSourceCode = 0x90;
        a.strName = QStringLiteral("Speed");
        a.nType = 2;
        CChannelInfo di;
        di.nSourceCode = 1;
        di.strName = QStringLiteral("DI");
        settings->m_arrChannelInfo = {a, di};
        settings->m_strContinuousPath = dir.path();
    }
    void TearDown() override { SetProgramDir(QString()); }

    QString Path(const QString &name) const { return dir.filePath(name); }
    QByteArray Bytes(const QString &path) const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void WriteBytes(const QString &path, const QByteArray &b) const
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }

    // A capture: CH1 a value source, CH3 the DI word.
    void FillCapture(int n)
    {
        settings->m_wDriveConfig[0] = 0;
        settings->m_wDriveConfig[1] = 4;
        settings->m_wDriveConfig[2] = 0x9000;
        settings->m_wDriveConfig[3] = 0x0100;
        settings->m_wDriveConfig[9] = 77;
        settings->m_dBasePeriodMs = 0.0625;
        settings->m_tStart = 1700000000;
        channels.m_dTimePerPoint = 0.25;
        channels.ResetLive();
        std::vector<double> v;
        std::vector<int> w;
        for (int i = 0; i < n; ++i) {
            v.push_back(i * 1.0005 - 3);
            w.push_back(i & 0x3FF);
        }
        channels.m_ch[0].AppendFromArray(v);
        channels.m_ch[0].m_strName = QStringLiteral("Speed");
        channels.m_di.AppendFromVector(w, n);
        CDBDataParameter p;
        p.sNum = QStringLiteral("H0506");
        p.sName = QStringLiteral("Gain");
        p.iCurValue = -12;
        settings->m_arrCaptureParams = {p};
        settings->m_arrParamList = {p};
    }

    QTemporaryDir dir;
    CScopeSettings *settings = nullptr;
    CScopeChannels channels;
    std::shared_ptr<platform::ScriptedUiServices> ui =
        std::make_shared<platform::ScriptedUiServices>();
    platform::ScopedUiServices uiScope{ui};
};

}

TEST_F(ScopeFiles, WaveFileRoundTrip)
{
    FillCapture(1000);
    const QString path = Path("a.csv");
    ASSERT_TRUE(SaveWaveFile(path, 1, channels, *settings, {}));
    const QByteArray bytes = Bytes(path);
    EXPECT_FALSE(bytes.contains('\r'));
    EXPECT_TRUE(bytes.endsWith('\n'));
    EXPECT_TRUE(bytes.contains("\n-3.000,0.000,0.000,0.000,0,0\n"));  // DI in column 5, not 3

    const WORD saved[10] = {0, 4, 0x9000, 0x0100, 0, 0, 0, 0, 0, 77};
    std::fill(settings->m_wDriveConfig, settings->m_wDriveConfig + 10, 0);
    settings->m_tStart = 0;
    settings->m_arrParamList[0].iCurValue = 0;
    CScopeChannels back;
    WaveFileInfo info;
    ASSERT_EQ(OpenWaveFile(path, back, *settings, &info), 1);
    EXPECT_TRUE(std::equal(saved, saved + 10, settings->m_wDriveConfig));
    EXPECT_EQ(settings->m_nPeriodCount, 4);
    EXPECT_EQ(settings->m_tStart, 1700000000);
    EXPECT_EQ(settings->m_arrParamList[0].iCurValue, -12);
    ASSERT_EQ(back.m_ch[0].m_nCount, 1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_NEAR(back.m_ch[0].m_arrData[static_cast<std::size_t>(i)], i * 1.0005 - 3, 0.00051);
    EXPECT_EQ(back.m_ch[0].m_strName, "Speed");
    EXPECT_EQ(back.m_ch[0].m_nType, 2);
    EXPECT_EQ(back.m_ch[2].m_nCount, 0);
    ASSERT_EQ(back.m_di.m_nCount, 1000);
    EXPECT_EQ(back.m_di.m_arrData[999], 999 & 0x3FF);
    EXPECT_EQ(info.strNames[0], "Speed");
    EXPECT_EQ(settings->m_bHasData, 1);
    // No scope group section: the history reader gives the capture's own parameters.
    QList<QPair<QString, QString>> pairs;
    EXPECT_EQ(ReadHistoryParams(path, pairs, *settings), 1);
    EXPECT_EQ(pairs, (QList<QPair<QString, QString>>{{"H0506", "-12"}}));
}

TEST_F(ScopeFiles, HistoryParamsSection)
{
    FillCapture(10);
    CDBDataParameter g;
    g.sNum = QStringLiteral("H0800");
    g.sName = QStringLiteral("Kp, speed loop");  // a comma in a name stays inside its field
    g.iCurValue = 321;
    ASSERT_TRUE(SaveWaveFile(Path("h.csv"), 1, channels, *settings, {g}));
    QList<QPair<QString, QString>> pairs;
    ASSERT_EQ(ReadHistoryParams(Path("h.csv"), pairs, *settings), 1);
    ASSERT_EQ(pairs.size(), 1);
    EXPECT_EQ(pairs[0].first, "H0800");
    EXPECT_EQ(pairs[0].second, "321");
    CScopeChannels back;
    EXPECT_EQ(OpenWaveFile(Path("h.csv"), back, *settings), 1);
}

// Written in each language the program has (GBK text, Chinese names), a capture's group
// section reads back in the same language.
TEST_F(ScopeFiles, HistoryParamsRoundTripInEveryLanguage)
{
    const struct {
        const char *file;
        const char *language;
        const char *name;
    } languages[] = {{"chinese_S.ini", "ChineseS", "速度环比例增益"},
                     {"chinese_T.ini", "ChineseT", "速度環比例增益"},
                     {"english_US.ini", "EnglishUS", "Speed loop gain"}};
    for (const auto &l : languages) {
        SCOPED_TRACE(l.file);
        GetLangText().m_strLangFile = QCoreApplication::applicationDirPath() + "/config/" + l.file;
        GetLangText().m_strLanguage = QString::fromLatin1(l.language);
        FillCapture(10);
        CDBDataParameter g;
        g.sNum = QStringLiteral("P0203");
        g.sName = QString::fromUtf8(l.name);
        g.iCurValue = -4321;
        ASSERT_TRUE(SaveWaveFile(Path("l.csv"), 1, channels, *settings, {g, g}));
        QList<QPair<QString, QString>> pairs;
        QString why;
        ASSERT_EQ(ReadHistoryParams(Path("l.csv"), pairs, *settings, &why), 1) << why.toStdString();
        EXPECT_EQ(pairs, (QList<QPair<QString, QString>>{{"P0203", "-4321"}, {"P0203", "-4321"}}));
        CScopeChannels back;
        EXPECT_EQ(OpenWaveFile(Path("l.csv"), back, *settings), 1);
        EXPECT_EQ(back.m_ch[0].m_nCount, 10);
    }
}

// A value row of the group section with another number of fields than its three is never
// read by position: the whole file is refused, and the reason names the line.
TEST_F(ScopeFiles, HistoryRowsWithOtherFieldCountsRefuseTheFile)
{
    FillCapture(5);
    CDBDataParameter a;
    a.sNum = QStringLiteral("P0206");
    a.sName = QStringLiteral("name");
    a.iCurValue = 1000;
    CDBDataParameter b = a;
    b.sNum = QStringLiteral("P0203");
    b.iCurValue = 7;
    ASSERT_TRUE(SaveWaveFile(Path("g.csv"), 1, channels, *settings, {a, b}));
    const QByteArray good = Bytes(Path("g.csv"));
    const QByteArray row = "P0206,\tname,\t1000\n";
    ASSERT_TRUE(good.contains(row));
    const int line = static_cast<int>(good.left(good.indexOf(row)).count('\n')) + 1;
    const struct {
        const char *what;
        const char *row;
        int fields;
    } cases[] = {
        {"a thousands comma", "P0206,\tname,\t1,000\n", 4},
        {"an extra field", "P0206,\tname,\t1000,\tx\n", 4},
        {"the name left out", "P0206,\t1000\n", 2},
        {"the value alone", "1000\n", 1},
        {"an empty line", "\n", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(Path("bad.csv"), QByteArray(good).replace(row, c.row));
        QList<QPair<QString, QString>> pairs;
        QString why;
        EXPECT_EQ(ReadHistoryParams(Path("bad.csv"), pairs, *settings, &why), 0);
        EXPECT_TRUE(pairs.isEmpty()) << "no pair of the file, not even the good one";
        EXPECT_EQ(why, TrText(QStringLiteral("第%1行有%2个字段，应为%3个。")).arg(line).arg(c.fields).arg(3));
    }
    QList<QPair<QString, QString>> pairs;
    EXPECT_EQ(ReadHistoryParams(Path("g.csv"), pairs, *settings), 1);
    EXPECT_EQ(pairs.size(), 2);
}

// A period kept to four decimals in the header comes back as the count it was: period 3 at
// 6 kHz is 0.5000 over 0.1667 ms, which is 2.9994.
TEST_F(ScopeFiles, APeriodReloadsAsTheNearestWholeCount)
{
    FillCapture(20);
    for (const auto &[count, baseMs] : {std::pair{3, 1.0 / 6}, std::pair{7, 1.0 / 6}, std::pair{4, 0.0625}}) {
        channels.m_dTimePerPoint = count * baseMs;
        settings->m_dBasePeriodMs = baseMs;
        ASSERT_TRUE(SaveWaveFile(Path("p.csv"), 1, channels, *settings, {}));
        settings->m_nPeriodCount = 0;
        CScopeChannels back;
        ASSERT_EQ(OpenWaveFile(Path("p.csv"), back, *settings, nullptr), 1);
        EXPECT_EQ(settings->m_nPeriodCount, count) << baseMs;
    }
}

TEST_F(ScopeFiles, ReadersRefuseBadFiles)
{
    FillCapture(20);
    ASSERT_TRUE(SaveWaveFile(Path("good.csv"), 1, channels, *settings, {}));
    const QByteArray good = Bytes(Path("good.csv"));
    const qsizetype rowsAt = good.indexOf("Sample Count,20");
    ASSERT_GT(rowsAt, 0);
    struct Case { const char *what; QByteArray bytes; int boxes; } cases[] = {
        {"version 2", QByteArray(good).replace("Korvane Scope Data,1", "Korvane Scope Data,2"), 1},
        {"no rows", QByteArray(good).replace("Sample Count,20", "Sample Count,0"), 0},
        {"too many rows", QByteArray(good).replace("Sample Count,20", "Sample Count,60001"), 0},
        {"ends early", good.left(good.size() - 30), 0},
        {"header only", good.left(rowsAt), 0},
        {"empty", QByteArray(), 1},
        {"binary", QByteArray(5000, '\xFF'), 1},
        // A sample, a DI/DO word, a time or a count that is not a finite number of its kind
        // makes the whole file unreadable: no zero, no partial capture.
        {"sample not a number", QByteArray(good).replace("\n-3.000,", "\nabc,"), 0},
        {"sample blank", QByteArray(good).replace("\n-3.000,", "\n,"), 0},
        {"sample nan", QByteArray(good).replace("\n-3.000,", "\nnan,"), 0},
        {"sample inf", QByteArray(good).replace("\n-3.000,", "\ninf,"), 0},
        {"sample with text behind", QByteArray(good).replace("\n-3.000,", "\n-3.000x,"), 0},
        {"DI word not a number", QByteArray(good).replace("0.000,0,0\n", "0.000,zz,0\n"), 0},
        {"DO word blank", QByteArray(good).replace("0.000,0,0\n", "0.000,0,\n"), 0},
        {"sample time out of range", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,1e300ms"), 0},
        {"sample time nan", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,nanms"), 0},
        {"sample time blank", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,ms"), 0},
        {"base time inf", QByteArray(good).replace("Base Time,0.0625ms", "Base Time,infms"), 0},
        {"row count not a number", QByteArray(good).replace("Sample Count,20", "Sample Count,2x0"), 0},
        {"parameter value not a number", QByteArray(good).replace("\t-12", "\t-12abc"), 0},
        // A row of another number of fields than its kind has is never read by position.
        {"parameter row with a thousands comma", QByteArray(good).replace(",\t-12\n", ",\t-1,200\n"), 0},
        {"parameter row without its name", QByteArray(good).replace("H0506,\tGain,\t-12", "H0506,\t-12"), 0},
        {"sample row with an extra field", QByteArray(good).replace("\n-3.000,0.000,0.000,0.000,0,0\n", "\n-3.000,0.000,0.000,0.000,0,0,5\n"), 0},
        {"sample row a field short", QByteArray(good).replace("\n-3.000,0.000,0.000,0.000,0,0\n", "\n-3.000,0.000,0.000,0.000,0\n"), 0},
        // Times that give no whole period count.
        {"sample time 0", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,0.0000ms"), 0},
        {"base time 0", QByteArray(good).replace("Base Time,0.0625ms", "Base Time,0.0000ms"), 0},
        {"sample time negative", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,-0.2500ms"), 0},
        {"sample time 4.5 base periods", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,0.2813ms"), 0},
        {"sample time below one base period", QByteArray(good).replace("Sample Time,0.2500ms", "Sample Time,0.0300ms"), 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(Path("bad.csv"), c.bytes);
        ui->ClearCalls();
        CScopeChannels into;
        EXPECT_EQ(OpenWaveFile(Path("bad.csv"), into, *settings), 0);
        EXPECT_EQ(into.m_ch[0].m_nCount, 0);
        EXPECT_EQ(static_cast<int>(ui->Calls().size()), c.boxes);
        EXPECT_EQ(OpenCompareFile(Path("bad.csv"), into, *settings), 0);
        // The history reader skips the rows it is told of and reads no section here.
        QList<QPair<QString, QString>> pairs;
        QString why;
        EXPECT_EQ(ReadHistoryParams(Path("bad.csv"), pairs, *settings, &why), 0);
        EXPECT_TRUE(pairs.isEmpty());
        EXPECT_FALSE(why.isEmpty()) << "the history page tells why";
    }
    EXPECT_EQ(OpenWaveFile(Path("missing.csv"), channels, *settings), 0);
}

TEST_F(ScopeFiles, CompareChecksTheSetUp)
{
    FillCapture(50);
    channels.m_ch[0].AutoScale();
    ASSERT_TRUE(SaveWaveFile(Path("c.csv"), 1, channels, *settings, {}));
    struct Case { double timePerPoint; double base; WORD word9; int result; } cases[] = {
        {0.25, 0.0625, 77, 1}, {0.2509, 0.0625, 77, 1}, {0.2515, 0.0625, 77, 0},
        {0.25, 0.0640, 77, 0}, {0.25, 0.0625, 78, 0},
    };
    for (const auto &c : cases) {
        channels.m_dTimePerPoint = c.timePerPoint;
        settings->m_dBasePeriodMs = c.base;
        settings->m_wDriveConfig[9] = c.word9;
        channels.ResetCompare();
        EXPECT_EQ(OpenCompareFile(Path("c.csv"), channels, *settings), c.result) << c.timePerPoint;
    }
    channels.m_dTimePerPoint = 0.25;
    settings->m_dBasePeriodMs = 0.0625;
    settings->m_wDriveConfig[9] = 77;
    channels.m_ch[0].m_clrTrace = RGB(255, 0, 0);
    ASSERT_EQ(OpenCompareFile(Path("c.csv"), channels, *settings), 1);
    EXPECT_EQ(channels.m_cmp[0].m_clrTrace, RGB(128, 128, 128));
    EXPECT_EQ(channels.m_cmp[0].m_nCount, 50);
    EXPECT_EQ(channels.m_cmp[0].m_dMax, channels.m_ch[0].m_dMax);
    EXPECT_EQ(channels.m_cmpDi.m_nCount, 0);
    EXPECT_EQ(channels.m_cmp[0].m_strName, "Speed(compare 1)");
}

TEST_F(ScopeFiles, RecordingNamesNeverCollide)
{
    const QString a = RecordingFilePath(dir.path(), 1700000000);
    WriteBytes(a, "x");
    const QString b = RecordingFilePath(dir.path(), 1700000000);
    EXPECT_NE(a, b);
    EXPECT_TRUE(b.endsWith("_2.csv"));
}

TEST_F(ScopeFiles, ScopeIniDefaultsAndRoundTrip)
{
    SetProgramDir(dir.path());
    QDir().mkpath(ScopeConfigDir());
    ScopePanelIniValues panel;
    ReadScopeIni(*settings, panel);
    EXPECT_EQ(settings->m_nSampleWords, 4096);
    EXPECT_EQ(QDir::cleanPath(settings->m_strContinuousPath), QDir::cleanPath(dir.filePath("ScopeData")));
    EXPECT_TRUE(QFileInfo(settings->m_strContinuousPath).isDir());
    // No file: the shipped trace colours, each one visible on the black background.
    const COLORREF shipped[4] = {RGB(255, 255, 0), RGB(0, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(panel.clrChannel[i], shipped[i]) << i;
        EXPECT_EQ(settings->m_clrChannel[i], shipped[i]) << i;
        EXPECT_NE(settings->m_clrChannel[i], settings->m_clrBack) << i;
    }

    panel.clrChannel[2] = RGB(1, 2, 3);
    panel.nCycleCount = 12;
    panel.nLayoutSel = 3;
    panel.nSourceSel[1] = 7;
    WriteScopeIni(*settings, panel);
    // A "path" that names a file is replaced by the ScopeData folder.
    WriteBytes(dir.filePath("afile"), "x");
    platform::IniFile::WriteString(ScopeConfigDir() + "scope.ini", "NewScopeFilePath", "path", dir.filePath("afile"));
    settings->Reset();
    ScopePanelIniValues back;
    ReadScopeIni(*settings, back);
    EXPECT_EQ(back.clrChannel[2], RGB(1, 2, 3));
    EXPECT_EQ(back.nCycleCount, 12u);
    EXPECT_EQ(settings->m_nLayout, 3);
    EXPECT_EQ(settings->m_nChSel[1], 7);
    EXPECT_EQ(QDir::cleanPath(settings->m_strContinuousPath), QDir::cleanPath(dir.filePath("ScopeData")));
}

TEST_F(ScopeFiles, TablesAndBitSelections)
{
    SetProgramDir(dir.path());
    QDir().mkpath(ScopeConfigDir());
    const QByteArray longName(120, 'x');
    WriteBytes(ScopeConfigDir() + "NewChannel_E.set",
               "Code\tName\n"
               "200\tA\t1\t0.5\t7\t-5\t5\t0\t16\t\n"
               "201\tB\t0\t2\t1\t0\t9\t0\t32\t\n"
               "202\t" + longName + "\t1\t1\t1\t0\t9\t0\t16\t\n"
               "203\tC\t-1\tx\t2\t0\t9\t0\t16\t\n");
    WriteBytes(ScopeConfigDir() + "ChBit_E.txt",
               "h\n1\t5\tSkip\tb0\tb1\tb2\tb3\tb4\tb5\tb6\tb7\tb8\tb9\tb10\tb11\tb12\tb13\tb14\tb15\t\n"
               "0\t6\tTake\tb0\tb1\tb2\tb3\tb4\tb5\tb6\tb7\tb8\tb9\tb10\tb11\tb12\tb13\tb14\tb15\t\n");
    ReadChannelTable(*settings);
    ASSERT_EQ(settings->m_arrChannelInfo.size(), 3u);
    const auto &a = settings->m_arrChannelInfo[0];
    EXPECT_EQ(a.nSourceCode, 200);
    EXPECT_TRUE(a.bSigned);
    EXPECT_FLOAT_EQ(a.fScale, 0.5f);
    EXPECT_EQ(a.nType, 3);
    EXPECT_EQ(a.nBits, 16);
    EXPECT_FALSE(settings->m_arrChannelInfo[1].bSigned);
    EXPECT_FALSE(settings->m_arrChannelInfo[2].bSigned);
    EXPECT_EQ(settings->m_arrChannelInfo[2].strName, "C");
    ReadBitTable(*settings);
    ASSERT_EQ(settings->m_arrChBit.size(), 1u);
    EXPECT_EQ(settings->m_arrChBit[0].nId, 6);
    EXPECT_EQ(settings->m_arrChBit[0].arrBitNames.size(), 16);

    WriteBytes(ScopeConfigDir() + "NewChannelBitSelec.bss", "ID\tbitset\r\n5\t0000000000000101\r\n");
    ReadBitSelections(*settings);
    ASSERT_EQ(settings->m_arrBitSetCh.size(), 1u);
    EXPECT_EQ(settings->m_arrBitSetCh[0].bits.to_ulong(), 5u);
    WriteBitSelections(*settings);
    EXPECT_EQ(Bytes(ScopeConfigDir() + "NewChannelBitSelec.bss"), "ID\tbitset\r\n5\t0000000000000101\r\n");

    // A language without tables reads nothing and keeps what is there.
    GetLangText().m_strLanguage = QStringLiteral("Klingon");
    ReadChannelTable(*settings);
    EXPECT_EQ(settings->m_arrChannelInfo.size(), 3u);
}

TEST_F(ScopeFiles, InstalledTablesInEveryLanguage)
{
    SetProgramDir(QCoreApplication::applicationDirPath());
    for (const char *lang : {"ChineseS", "ChineseT", "EnglishUS"}) {
        SCOPED_TRACE(lang);
        GetLangText().m_strLanguage = QString::fromLatin1(lang);
        settings->m_arrChannelInfo.clear();
        settings->m_arrChBit.clear();
        ReadChannelTable(*settings);
        ReadBitTable(*settings);
        ASSERT_EQ(settings->m_arrChannelInfo.size(), 52u);
        int bits32 = 0;
        for (const auto &c : settings->m_arrChannelInfo)
            bits32 += c.nBits == 32;
        EXPECT_EQ(bits32, 20);
        EXPECT_EQ(settings->SourceCodeOfName("DI"), 1);
        EXPECT_EQ(settings->SourceCodeOfName("DO"), 2);
        ASSERT_EQ(settings->m_arrChBit.size(), 1u);
        EXPECT_EQ(settings->m_arrChBit[0].nId, 3);
    }
}

TEST(ScopeRollPeriod, MinimumNeverBelowTheFixedRuleAndSafeOnSlowLines)
{
    struct Case { unsigned f; int layout; int baud; int bits; unsigned minimum; } cases[] = {
        {8000, 0, 57600, 11, 17},
        {16000, 3, 57600, 11, 10},
        {16000, 0, 57600, 10, 30},   // a faster byte than the fixed rule assumes: the rule holds
        {16000, 0, 115200, 11, 30},
        {16000, 0, 9600, 11, 165},   // the slow line needs more
        {16000, 4, 19200, 11, 44},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CScopeControl::MinimumRollPeriod(c.f, c.layout, c.baud, c.bits), c.minimum)
            << c.f << " " << c.layout << " " << c.baud;
}

class ScopeRollHandler : public ScopeFiles {
protected:
    void SetUp() override
    {
        ScopeFiles::SetUp();
        control = std::make_unique<CScopeControl>(channels, *settings);
        const QString names[4] = {"Speed", "Speed", "DI", "Speed"};
        const COLORREF colors[4] = {1, 2, 3, 4};
        control->SetRollTraces(names, colors);
    }
    void Decoded(int layout, double value)
    {
        settings->ClearSamples();
        const int k = ScopeRollSamplesPerFrame(layout);
        for (int c = 0; c < 4; ++c)
            settings->m_vecCh[c].assign(static_cast<std::size_t>(k), value);
        settings->m_vecDI.assign(static_cast<std::size_t>(k), 9);
    }
    std::unique_ptr<CScopeControl> control;
};

TEST_F(ScopeRollHandler, FramesLostFramesAndBadFrames)
{
    settings->m_nLayout = 0;
    Decoded(0, 5);
    control->OnRollFrame(1, 0);
    EXPECT_EQ(channels.m_ch[0].m_nCount, 16);
    EXPECT_EQ(channels.m_ch[1].m_nCount, 16);
    EXPECT_EQ(channels.m_ch[2].m_nCount, 0);  // CH3 carries the DI word
    EXPECT_EQ(channels.m_di.m_nCount, 16);
    EXPECT_EQ(channels.m_ch[3].m_nCount, 16);
    EXPECT_EQ(channels.m_nWindowEnd, 0);
    EXPECT_EQ(channels.m_nWindowStart, -1000);
    control->OnRollFrame(0, 0);  // a bad frame alone adds nothing
    EXPECT_EQ(channels.m_ch[0].m_nCount, 16);

    channels.ResetLive();
    settings->m_nLayout = 3;
    Decoded(3, 1);
    control->OnRollFrame(1, 0);
    Decoded(3, 2);
    control->OnRollFrame(1, 2);
    ASSERT_EQ(channels.m_ch[0].m_nCount, 64 + 128 + 64);
    EXPECT_EQ(channels.m_ch[0].m_arrData[64 + 127], 1.0);  // the last value repeated
    EXPECT_EQ(channels.m_ch[0].m_arrData[64 + 128], 2.0);
    EXPECT_EQ(channels.m_ch[1].m_nCount, 0);  // layout 3 carries CH1 only
}

TEST_F(ScopeRollHandler, FullViewIsRecordedAndStartsAgain)
{
    settings->m_nLayout = 0;
    // The set-up the roll start wrote: CH1, CH2 and CH4 values, CH3 the DI word.
    settings->m_wDriveConfig[2] = 0x9090;
    settings->m_wDriveConfig[3] = 0x0190;
    for (int c : {0, 1, 3}) {
        channels.m_ch[c].m_nCount = 59990;
    }
    channels.m_di.m_nCount = 59990;
    Decoded(0, 7);
    control->OnRollFrame(1, 0);
    ASSERT_EQ(control->RecordingFiles().size(), 1);
    const QString file = control->RecordingFiles()[0];
    EXPECT_TRUE(QFileInfo(file).fileName().contains(QRegularExpression("^\\d{4}_\\d{4}_\\d{2}-\\d{2}-\\d{2}(_\\d+)?\\.csv$")));
    EXPECT_EQ(channels.m_ch[0].m_nCount, 6);
    EXPECT_EQ(channels.m_di.m_nCount, 6);
    CScopeChannels back;
    ASSERT_EQ(OpenWaveFile(file, back, *settings), 1);
    EXPECT_EQ(back.PointCount(), 60000);
    EXPECT_EQ(back.m_ch[0].m_arrData[59999], 7.0);
}

TEST_F(ScopeRollHandler, FailedRecordingIsAnAlertNotABox)
{
    settings->m_nLayout = 3;
    settings->m_strContinuousPath = dir.filePath("missing/folder");
    channels.m_ch[0].m_nCount = 59990;
    Decoded(3, 1);
    control->OnRollFrame(1, 0);
    EXPECT_TRUE(control->RecordingFiles().isEmpty());
    ASSERT_EQ(ui->Calls().size(), 1u);
    EXPECT_EQ(ui->Calls()[0].kind, platform::ScriptedUiServices::Kind::DesktopAlert);
    EXPECT_EQ(channels.m_ch[0].m_nCount, 54);
}
