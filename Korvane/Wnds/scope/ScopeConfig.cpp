#include "Wnds/scope/ScopeConfig.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "platform/IniFile.h"
#include "platform/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>

namespace {

constexpr int kMaxToken = 99;

QString ByLanguage(const QString &simplified, const QString &traditional, const QString &english)
{
    const QString lang = GetLangText().m_strLanguage;
    QString name;
    if (lang == QLatin1String("ChineseS"))
        name = simplified;
    else if (lang == QLatin1String("ChineseT"))
        name = traditional;
    else if (lang == QLatin1String("EnglishUS"))
        name = english;
    return name.isEmpty() ? QString() : ScopeConfigDir() + name;
}

// The rows after the header line, each split at white space. False when the file does not
// open. Rows with a token longer than the tables allow are left out.
bool ReadTable(const QString &path, std::vector<QStringList> &rows)
{
    if (path.isEmpty())
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<QByteArray> lines = f.readAll().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> raw = lines[i].simplified().split(' ');
        QStringList tokens;
        bool tooLong = false;
        for (const QByteArray &t : raw) {
            if (t.isEmpty())
                continue;
            if (t.size() > kMaxToken)
                tooLong = true;
            tokens << AnsiToCString(t.toStdString());
        }
        if (!tooLong && !tokens.isEmpty())
            rows.push_back(tokens);
    }
    return true;
}

int Int(const QString &s)
{
    return std::atoi(s.toLatin1().constData());
}

}

QString ScopeConfigDir()
{
    return QDir(GetProgramDir()).filePath(QStringLiteral("config/Scope")) + QLatin1Char('/');
}

QString ScopeIniPath()
{
    return ScopeConfigDir() + QStringLiteral("scope.ini");
}

QString ScopeChannelTablePath()
{
    return ByLanguage(QStringLiteral("NewChannel.set"), QStringLiteral("NewChannel_T.set"),
                      QStringLiteral("NewChannel_E.set"));
}

QString ScopeBitTablePath()
{
    return ByLanguage(QStringLiteral("ChBit.txt"), QStringLiteral("ChBit_T.txt"),
                      QStringLiteral("ChBit_E.txt"));
}

void ReadScopeIni(CScopeSettings &settings, ScopePanelIniValues &panel)
{
    const platform::IniFile ini(ScopeIniPath());
    // Without stored colours (a first run, or a file that lost its section) the traces take the
    // colours the program ships with: black would draw them invisible on the black screen.
    static constexpr COLORREF kShippedColours[4] = {RGB(255, 255, 0), RGB(0, 255, 0), RGB(0, 255, 255), RGB(255, 0, 255)};
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<COLORREF>(ini.ReadInt(QStringLiteral("NewScopeColor"), QStringLiteral("ch%1").arg(i + 1),
                                                         static_cast<int>(kShippedColours[i])));
        settings.m_clrChannel[i] = c;
        settings.m_clrCursorChannel[i] = c;
        panel.clrChannel[i] = c;
    }
    settings.m_clrBack = static_cast<COLORREF>(ini.ReadInt(QStringLiteral("NewScopeColor"), QStringLiteral("back"), 0));
    panel.clrBack = settings.m_clrBack;
    // Without a stored period the first capture still runs: 30 drive ticks is above the roll
    // minimum of every layout at 16 kHz on the default line.
    const int cycles = ini.ReadInt(QStringLiteral("NewScopeChannel"), QStringLiteral("cyclecount"), kDefaultPeriodCount);
    settings.m_nPeriodCount = cycles;
    settings.m_nCycleCount = cycles;
    panel.nCycleCount = static_cast<unsigned>(cycles);
    settings.m_nLayout = ini.ReadInt(QStringLiteral("NewScopeChannel"), QStringLiteral("mode"), 0);
    for (int i = 0; i < 4; ++i)
        settings.m_nChSel[i] =
            ini.ReadInt(QStringLiteral("NewScopeChannel"), QStringLiteral("ch%1sel").arg(i + 1), 0);
    settings.m_nSampleWords = ini.ReadInt(QStringLiteral("NewScopePoints"), QStringLiteral("count"), 4096);
    settings.m_strContinuousPath = CheckedRecordingFolder(
        ini.Read(QStringLiteral("NewScopeFilePath"), QStringLiteral("path"), QStringLiteral("C:\\")));
}

QString DefaultRecordingFolder()
{
    return QDir(GetProgramDir()).filePath(QStringLiteral("ScopeData"));
}

QString CheckedRecordingFolder(const QString &stored)
{
    QString path = platform::IniFile::NormalizePath(stored);
    if (path.isEmpty() || !QFileInfo(path).isDir()) {
        path = DefaultRecordingFolder();
        QDir().mkpath(path);
    }
    return path;
}

bool WriteScopeIni(CScopeSettings &settings, const ScopePanelIniValues &panel)
{
    platform::IniFile ini(ScopeIniPath());
    for (int i = 0; i < 4; ++i) {
        settings.m_clrChannel[i] = panel.clrChannel[i];
        ini.Write(QStringLiteral("NewScopeColor"), QStringLiteral("ch%1").arg(i + 1),
                  QString::number(static_cast<int>(panel.clrChannel[i])));
    }
    ini.Write(QStringLiteral("NewScopeColor"), QStringLiteral("back"),
              QString::number(static_cast<int>(settings.m_clrBack)));
    for (int i = 0; i < 4; ++i)
        settings.m_nChSel[i] = panel.nSourceSel[i];
    settings.m_nLayout = panel.nLayoutSel;
    settings.m_nPeriodCount = static_cast<int>(panel.nCycleCount);
    settings.m_nCycleCount = static_cast<int>(panel.nCycleCount);
    ini.Write(QStringLiteral("NewScopeChannel"), QStringLiteral("cyclecount"),
              QString::number(settings.m_nPeriodCount));
    ini.Write(QStringLiteral("NewScopeChannel"), QStringLiteral("mode"), QString::number(settings.m_nLayout));
    for (int i = 0; i < 4; ++i)
        ini.Write(QStringLiteral("NewScopeChannel"), QStringLiteral("ch%1sel").arg(i + 1),
                  QString::number(settings.m_nChSel[i]));
    return ini.Save();
}

void ReadChannelTable(CScopeSettings &settings)
{
    std::vector<QStringList> rows;
    if (!ReadTable(ScopeChannelTablePath(), rows))
        return;
    settings.m_arrChannelInfo.clear();
    for (const QStringList &t : rows) {
        if (t.size() < 9)
            continue;
        CChannelInfo c;
        c.nSourceCode = Int(t[0]);
        c.strName = t[1];
        c.bSigned = Int(t[2]) > 0 ? TRUE : FALSE;
        c.fScale = static_cast<float>(std::atof(t[3].toLatin1().constData()));
        const int type = Int(t[4]);
        c.nType = (type >= 0 && type <= 2) ? type : 3;
        c.nParam1 = Int(t[5]);
        c.nParam2 = Int(t[6]);
        c.nBits = Int(t[8]);
        settings.m_arrChannelInfo.push_back(c);
    }
}

int ReadBitTable(CScopeSettings &settings)
{
    std::vector<QStringList> rows;
    if (!ReadTable(ScopeBitTablePath(), rows))
        return 1;
    settings.m_arrChBit.clear();
    for (const QStringList &t : rows) {
        if (t.size() < 19 || Int(t[0]) != 0)
            continue;
        CHBit b;
        b.nId = Int(t[1]);
        b.strName = t[2];
        for (int i = 3; i < 19; ++i)
            b.arrBitNames << t[i];
        settings.m_arrChBit.push_back(b);
    }
    return 1;
}

void ReadBitSelections(CScopeSettings &settings)
{
    std::vector<QStringList> rows;
    if (!ReadTable(ScopeConfigDir() + QStringLiteral("NewChannelBitSelec.bss"), rows))
        return;
    settings.m_arrBitSetCh.clear();
    for (const QStringList &t : rows) {
        if (t.size() < 2)
            continue;
        BitSetCh e;
        e.nId = Int(t[0]);
        const QString bits = t[1].left(16);
        for (qsizetype i = 0; i < bits.size(); ++i) {
            // The last character is bit 0; anything but '1' leaves its bit clear.
            if (bits.at(bits.size() - 1 - i) == QLatin1Char('1'))
                e.bits.set(static_cast<std::size_t>(i));
        }
        settings.m_arrBitSetCh.push_back(e);
    }
}

bool WriteBitSelections(const CScopeSettings &settings)
{
    platform::SaveFile f(ScopeConfigDir() + QStringLiteral("NewChannelBitSelec.bss"));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write("ID\tbitset\r\n");
    for (const auto &e : settings.m_arrBitSetCh)
        f.write(QStringLiteral("%1\t%2\r\n").arg(e.nId).arg(QString::fromStdString(e.bits.to_string())).toLatin1());
    return f.commit();
}
