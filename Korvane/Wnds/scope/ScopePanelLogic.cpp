#include "Wnds/scope/ScopePanelLogic.h"

#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "platform/IniFile.h"
#include "platform/LanguageConf.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace scopepanel {

namespace {

int LeadingInt(const QString &s)
{
    return std::atoi(s.trimmed().toLatin1().constData());
}

QString Fixed(double v, int decimals)
{
    return QString::number(v, 'f', decimals);
}

}

int SourceWidthOfText(const QString &text)
{
    const qsizetype dash = text.lastIndexOf(QLatin1Char('-'));
    if (dash < 0)
        return 0;
    return LeadingInt(text.mid(dash + 1));
}

ChannelBits CheckChannelBits(const bool ticked[4], const QString text[4])
{
    ChannelBits r;
    std::vector<int> list16, list32;
    for (int k = 1; k <= 4; ++k) {
        if (!ticked[k - 1] || text[k - 1] == QLatin1String("NULL"))
            continue;
        const int w = SourceWidthOfText(text[k - 1]);
        r.total += w;
        if (w == 16) {
            list16.push_back(k);
            r.width[k] = 16;
        } else if (w == 32) {
            list32.push_back(k);
            r.width[k] = 32;
        }
        r.turnOn[k] = true;
    }
    if (r.total > 64)
        return r;
    r.accepted = true;
    const std::size_t a = list32.size();
    const std::size_t b = list16.size();
    if (a == 1 && (b == 1 || b == 2))
        r.layout = 1;
    else if (a == 1 && b == 0)
        r.layout = 4;
    else if (a == 2)
        r.layout = 2;
    else
        r.layout = 0;

    int *slot = r.slot;
    auto fixSlot1 = [&] {
        if (r.width[slot[1]] != 32 && !list32.empty())
            std::swap(slot[1], slot[list32.front()]);
    };
    switch (r.layout) {
    case 1:
        fixSlot1();
        if (r.width[slot[2]] != 0) {
            for (int s = 3; s <= 4; ++s) {
                if (r.width[slot[s]] == 0) {
                    std::swap(slot[2], slot[s]);
                    break;
                }
            }
        }
        break;
    case 2:
        fixSlot1();
        if (r.width[slot[3]] != 32) {
            for (int s = 2; s <= 4; ++s) {
                if (r.width[slot[s]] == 32) {
                    std::swap(slot[3], slot[s]);
                    break;
                }
            }
        }
        fixSlot1();
        break;
    case 3:
    case 4:
        fixSlot1();
        break;
    default:
        break;
    }
    return r;
}

ChselResult AssignChselSlots(const QStringList &ticked32, const QStringList &ticked16,
                             const QString before[4], int layoutBefore)
{
    ChselResult r;
    r.layout = layoutBefore;
    for (int i = 0; i < 4; ++i)
        r.names[i] = before[i];
    const qsizetype count32 = ticked32.size();
    const qsizetype count16 = ticked16.size();
    if (32 * count32 + 16 * count16 > kChselBudgetBits)
        return r;
    int slot = 0;
    if (count32 == 0) {
        r.layout = 0;
        for (const QString &n : ticked16)
            r.names[slot++] = n;
    } else if (count32 == 1) {
        r.layout = count16 == 2 ? 1 : count16 == 1 ? 2 : 4;
        r.names[0] = ticked32.front();
        slot = 2;
        for (const QString &n : ticked16)
            r.names[slot++] = n;
    } else {
        r.layout = 2;
        r.names[0] = ticked32[0];
        r.names[2] = ticked32[1];
    }
    // DI and DO are carried by the bit traces of channels 3 and 4.
    for (int i = 0; i < 4; ++i) {
        if (r.names[i] == QLatin1String("DI")) {
            std::swap(r.names[i], r.names[2]);
            break;
        }
    }
    for (int i = 0; i < 4; ++i) {
        if (r.names[i] == QLatin1String("DO")) {
            std::swap(r.names[i], r.names[3]);
            break;
        }
    }
    r.stored = true;
    return r;
}

int CapturePointCount(int sampleWords, int layout)
{
    const int p = (sampleWords / 4) / 1000 * 1000;
    if (layout == 3)
        return 4 * p;
    if (layout == 4)
        return 2 * p;
    return p;
}

const TriggerSource *FindTriggerSource(const std::vector<TriggerSource> &list, const QString &text)
{
    for (const auto &e : list)
        if (e.text == text)
            return &e;
    return list.empty() ? nullptr : &list.back();
}

TriggerRefusal MakeTriggerWords(const std::vector<TriggerSource> &list, const TriggerChoice &c,
                                WORD words[6])
{
    auto inRange = [](long long v) { return v >= kTriggerLevelMin && v <= kTriggerLevelMax; };
    if (c.posA > 0 && !inRange(c.levelA))
        return TriggerRefusal::LevelA;
    if (c.posB > 0 && !inRange(c.levelB))
        return TriggerRefusal::LevelB;
    if (c.percent < 0 || c.percent > 100)
        return TriggerRefusal::Percent;
    WORD w[6] = {};
    if (c.posA > 0) {
        const TriggerSource *s = FindTriggerSource(list, c.sourceA);
        const int code = s ? s->code : 0;
        w[0] = static_cast<WORD>(((code & 0xFF) << 8) | (c.condA & 0xFF));
        w[1] = static_cast<WORD>(c.levelA & 0xFFFF);
    }
    if (c.posB > 0) {
        const TriggerSource *s = FindTriggerSource(list, c.sourceB);
        const int code = s ? s->code : 0;
        w[2] = static_cast<WORD>(((code & 0xFF) << 8) | (c.condB & 0xFF));
        w[3] = static_cast<WORD>(c.levelB & 0xFFFF);
    }
    w[4] = static_cast<WORD>(c.combination);
    const unsigned long long pre =
        static_cast<unsigned long long>(c.pointCount) * static_cast<unsigned long long>(c.percent) / 100u;
    w[5] = static_cast<WORD>(pre & 0xFFFF);
    std::copy(w, w + 6, words);
    return TriggerRefusal::None;
}

std::vector<TriggerSource> ReadTriggerFile(const QString &path)
{
    std::vector<TriggerSource> rows;
    if (path.isEmpty())
        return rows;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return rows;
    bool header = true;
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        if (header) {
            header = false;
            continue;
        }
        const QList<QByteArray> raw = line.simplified().split(' ');
        QList<QByteArray> fields;
        for (const QByteArray &t : raw)
            if (!t.isEmpty())
                fields << t;
        if (fields.size() < 2)
            continue;
        if (fields[0].size() > 99 || fields[1].size() > 99)
            continue;
        TriggerSource s;
        s.code = std::atoi(fields[1].constData());
        s.kind = 1;
        s.hasLevel = 0;
        s.text = AnsiToCString(fields[1].toStdString()) + QStringLiteral(": ") +
                 AnsiToCString(fields[0].toStdString());
        rows.push_back(s);
    }
    return rows;
}

QString TriggerFilePath()
{
    const QString lang = GetLangText().m_strLanguage;
    const QDir dir(GetProgramDir());
    if (lang == QLatin1String("ChineseS"))
        return dir.filePath(QStringLiteral("config/Triger.txt"));
    if (lang == QLatin1String("ChineseT"))
        return dir.filePath(QStringLiteral("config/Scope/Triger_T.txt"));
    if (lang == QLatin1String("EnglishUS"))
        return dir.filePath(QStringLiteral("config/Scope/Triger_E.txt"));
    return QString();
}

QStringList TimeDivEntries(double baseMs, unsigned n)
{
    static const int kMul[] = {10,   20,   50,   100,  200,   300,   400,   500,   600,  700,
                               800,  900,  1000, 2000, 5000, 10000, 20000, 50000, 60000};
    QStringList out;
    for (int m : kMul)
        out << Fixed(baseMs * n * m, 3);
    return out;
}

int TimeDivSelection(const QStringList &entries, double baseMs, unsigned n, int &pointsPerDiv)
{
    const QString want = Fixed(baseMs * n * pointsPerDiv, 3);
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].startsWith(want))
            return i;
    pointsPerDiv = 100;
    return 3;
}

QStringList CaptureTimeDivEntries(int points, double msPerPoint, const QString &wholeText)
{
    QStringList out{wholeText};
    const int p = std::max(points / 100, 1);
    const int first = points % 100 == 0 ? 99 : 100;
    for (int k = first; k >= 1; --k)
        out << Fixed(static_cast<double>(k) * p * msPerPoint / 10.0, 4);
    return out;
}

int SamplesPerDivision(double msPerDiv, double msPerPoint)
{
    if (!(msPerPoint > 0))
        return 1;
    const double n = std::trunc(msPerDiv / msPerPoint);
    if (!(n >= 1))
        return 1;
    return n > 1e9 ? 1000000000 : static_cast<int>(n);
}

bool IsWholeRecord(const QString &timeDiv, const QString &wholeText)
{
    const QString t = timeDiv.trimmed();
    if (t.isEmpty() || t.compare(kWholeRecord, Qt::CaseInsensitive) == 0 || t == wholeText)
        return true;
    static const char *const kFiles[] = {"chinese_S.ini", "chinese_T.ini", "english_US.ini"};
    for (const char *f : kFiles) {
        const platform::IniFile ini(QDir(GetProgramDir()).filePath(QStringLiteral("config/") + QLatin1String(f)));
        const QString text = ini.Read(QStringLiteral("String"), QStringLiteral("IDS_NewScopeView_98"));
        if (!text.isEmpty() && t == text.trimmed())
            return true;
    }
    // Whatever is not a number cannot be a time per division either.
    bool ok = false;
    t.toDouble(&ok);
    return !ok;
}

const QStringList &ScaleEntries()
{
    static const QStringList entries = [] {
        QStringList l;
        double decade = 0.01;
        while (l.size() < 32) {
            for (int m : {1, 2, 5}) {
                if (l.size() < 32)
                    l << Fixed(decade * m, 3);
            }
            decade *= 10;
        }
        return l;
    }();
    return entries;
}

int FindScaleEntry(const QStringList &entries, double value)
{
    const QString want = Fixed(value, 3);
    for (int i = 0; i < entries.size(); ++i)
        if (entries[i].startsWith(want, Qt::CaseInsensitive))
            return i;
    return -1;
}

QString IoFunctionName(const QList<CDBDataSelects> &options, int value)
{
    for (const auto &o : options) {
        if (o.iValue != value)
            continue;
        // The database's names are source texts: the name without its "n-" in the language.
        const qsizetype dash = o.sDescription.indexOf(QLatin1Char('-'));
        return TrText(dash < 0 ? o.sDescription : o.sDescription.mid(dash + 1));
    }
    return QString();
}

QList<CDBDataSelects> ActiveAxisOptions(const QString &code)
{
    CSysParam *sys = GetSysParam();
    if (!sys)
        return {};
    const CDataAxisParameter *axis = sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID);
    if (!axis)
        return {};
    for (const auto &p : axis->m_arrParameter)
        if (p.sNum == code)
            return p.m_arrSelects;
    return {};
}

QStringList ReadIoFunctionNames(WORD first, int count, const QString &code,
                                const std::atomic<bool> &stop)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << QString();
    CSysParam *sys = GetSysParam();
    if (!sys)
        return names;
    const QList<CDBDataSelects> options = ActiveAxisOptions(code);
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        int value = 0;
        for (int attempt = 0; attempt < 10 && !ok; ++attempt) {
            if (stop || sys->IsDriveAbsent())
                return names;
            ok = sys->ReadReg(static_cast<WORD>(first + 2 * i), &value, CSysParam::LinkWait::Block);
        }
        if (ok)
            names[i] = IoFunctionName(options, value);
    }
    return names;
}

QString BasePeriodLabel(unsigned f)
{
    switch (f) {
    case 0: return QString();
    case 16000: return LoadLangString(QStringLiteral("IDS_NewScopeView_30"));
    case 8000: return LoadLangString(QStringLiteral("IDS_NewScopeView_31"));
    case 4000: return LoadLangString(QStringLiteral("IDS_NewScopeView_32"));
    default:
        return FillLangPlaces(LoadLangString(QStringLiteral("IDS_NewScopeView_33")),
                              {Fixed(1000000.0 / f, 3)});
    }
}

}
