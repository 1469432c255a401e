#include "Wnds/scope/WaveFile.h"

#include "LangFormat.h"
#include "LangText.h"
#include "PathHelpers.h"
#include "SYSPARAM/SysParam.h"
#include "Wnds/scope/CommaSubStr.h"
#include "database/ParamValueText.h"
#include "platform/LanguageConf.h"
#include "platform/SaveFile.h"
#include "platform/UiServices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <climits>
#include <cmath>
#include <optional>
#include <cstdlib>
#include <ctime>

namespace {

QString Lang(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

QString LocalTimeText(std::int64_t t, const QString &format)
{
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    char buf[128] = {};
    std::strftime(buf, sizeof buf, format.toUtf8().constData(), &tm);
    return QString::fromUtf8(buf);
}

class LineWriter {
public:
    explicit LineWriter(platform::SaveFile &file) : m_file(file) {}
    void Line(QString text)
    {
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        std::string bytes = CStringToAnsi(text);
        bytes.push_back('\n');
        m_file.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

private:
    platform::SaveFile &m_file;
};

// The file's lines as text, CR LF or LF; nothing when it cannot be read.
bool ReadLines(const QString &path, QStringList &lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray all = f.readAll();
    lines.clear();
    for (QByteArray line : all.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << AnsiToCString(line.toStdString());
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return true;
}

// The reasons a reader gives for a file it refuses, for the user.
QString EndsEarly(int line)
{
    return TrText(QStringLiteral("文件在第%1行之前结束。")).arg(line);
}

QString WrongFieldCount(int line, int have, int want)
{
    return TrText(QStringLiteral("第%1行有%2个字段，应为%3个。")).arg(line).arg(have).arg(want);
}

QString BadValue(int line, const QString &text)
{
    return TrText(QStringLiteral("第%1行的值“%2”无效。")).arg(line).arg(text);
}

class Lines {
public:
    explicit Lines(QStringList lines) : m_lines(std::move(lines)) {}
    // The next line; at the end of the file the reason is "ends early".
    bool Next(CCommaSubStr &out)
    {
        if (m_pos >= m_lines.size()) {
            Refuse(EndsEarly(static_cast<int>(m_pos) + 1));
            return false;
        }
        out = CCommaSubStr(m_lines.at(m_pos++), QLatin1Char(','));
        return true;
    }
    // The next line, which holds exactly `fields` fields: no value is taken from a line with
    // one more or one less, where every field would be another's.
    bool NextRow(CCommaSubStr &out, int fields)
    {
        if (!Next(out))
            return false;
        if (out.FieldCount() != fields) {
            Refuse(WrongFieldCount(Number(), out.FieldCount(), fields));
            return false;
        }
        return true;
    }
    bool AtEnd() const { return m_pos >= m_lines.size(); }
    // The number (from 1) of the line last taken.
    int Number() const { return static_cast<int>(m_pos); }
    // The first reason given stands.
    void Refuse(const QString &why)
    {
        if (m_why.isEmpty())
            m_why = why;
    }
    const QString &Why() const { return m_why; }

private:
    QStringList m_lines;
    qsizetype m_pos = 0;
    QString m_why;
};

// Fields of the rows a reader takes values from.
constexpr int kParamRowFields = 3;   // code, name, value
constexpr int kSampleRowFields = 6;  // four channels, DI, DO

int Int(const QString &s)
{
    return std::atoi(s.toLatin1().constData());
}

// A sample or a time: a finite number, the whole field; nothing for "", "abc", "nan", "inf".
std::optional<double> ExactReal(const QString &s)
{
    bool ok = false;
    const double v = s.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

// A time with its two-character unit behind it.
std::optional<double> TimeField(const QString &s)
{
    return ExactReal(s.left(std::max<qsizetype>(0, s.size() - 2)));
}

// The sample time is a whole number of base periods, as the header's four decimals give them
// (each value may be up to half a unit of the last decimal off, the base as often as it counts).
bool WholeBasePeriods(double timePerPoint, double baseTime)
{
    if (!(timePerPoint > 0) || !(baseTime > 0) || timePerPoint / baseTime >= double(INT_MAX))
        return false;
    const double n = std::round(timePerPoint / baseTime);
    return n >= 1 && std::fabs(timePerPoint - n * baseTime) <= 0.00005 * (n + 1) + 1e-12;
}

bool ParseTime(const QString &s, std::int64_t *out)
{
    if (s.size() != 19)
        return false;
    std::tm tm{};
    tm.tm_year = s.mid(0, 4).toInt() - 1900;
    tm.tm_mon = s.mid(5, 2).toInt() - 1;
    tm.tm_mday = s.mid(8, 2).toInt();
    tm.tm_hour = s.mid(11, 2).toInt();
    tm.tm_min = s.mid(14, 2).toInt();
    tm.tm_sec = s.mid(17, 2).toInt();
    tm.tm_isdst = -1;
    *out = static_cast<std::int64_t>(std::mktime(&tm));
    return true;
}

// The header up to and including the sample count, shared by the three readers.
struct Header {
    WORD config[10] = {};
    double timePerPoint = 0;
    double baseTime = 0;
    QString timeDiv;
    QString timeDivField;
    std::int64_t start = 0;
    QList<QPair<QString, int>> params;
    int rows = 0;
};

enum class HeaderResult { Ok, NotWaveFile, Short, BadTime };

HeaderResult ReadHeader(Lines &lines, const char *idKey, Header &h, bool needTime)
{
    CCommaSubStr f;
    if (!lines.Next(f) || f.GetSubStr(0) != Lang(idKey) || f.GetSubStr(1) != QLatin1String("1")) {
        lines.Refuse(TrText(QStringLiteral("这不是示波器数据文件。")));
        return HeaderResult::NotWaveFile;
    }
    if (!lines.Next(f) || !lines.Next(f))
        return HeaderResult::Short;
    for (int i = 0; i < 10; ++i)
        h.config[i] = static_cast<WORD>(Int(f.GetSubStr(i + 1)));
    if (!lines.Next(f))
        return HeaderResult::Short;
    const std::optional<double> timePerPoint = TimeField(f.GetSubStr(1));
    if (!lines.Next(f))
        return HeaderResult::Short;
    const std::optional<double> baseTime = TimeField(f.GetSubStr(1));
    // The period count is their whole ratio: a time that gives no count is no capture's.
    if (!timePerPoint || !baseTime || !WholeBasePeriods(*timePerPoint, *baseTime)) {
        lines.Refuse(TrText(QStringLiteral("采样时间或基本周期为0，或采样时间不是基本周期的整数倍。")));
        return HeaderResult::Short;
    }
    h.timePerPoint = *timePerPoint;
    h.baseTime = *baseTime;
    if (!lines.Next(f))
        return HeaderResult::Short;
    h.timeDivField = f.GetSubStr(1);
    h.timeDiv = h.timeDivField.section(QLatin1Char(' '), 0, 0);
    if (!lines.Next(f))
        return HeaderResult::Short;
    if (!ParseTime(f.GetSubStr(1), &h.start) && needTime) {
        lines.Refuse(BadValue(lines.Number(), f.GetSubStr(1)));
        return HeaderResult::BadTime;
    }
    if (!lines.Next(f))
        return HeaderResult::Short;
    const std::optional<std::int32_t> paramCount = ParseDecimalInt32(f.GetSubStr(1));
    if (!paramCount || *paramCount < 0) {
        lines.Refuse(BadValue(lines.Number(), f.GetSubStr(1)));
        return HeaderResult::Short;
    }
    for (int i = 0; i < *paramCount; ++i) {
        if (!lines.NextRow(f, kParamRowFields))
            return HeaderResult::Short;
        const std::optional<std::int32_t> value = ParseDecimalInt32(f.GetSubStr(2));
        if (!value) {
            lines.Refuse(BadValue(lines.Number(), f.GetSubStr(2)));
            return HeaderResult::Short;
        }
        h.params.append({f.GetSubStr(0), *value});
    }
    if (!lines.Next(f))
        return HeaderResult::Short;
    const std::optional<std::int32_t> rows = ParseDecimalInt32(f.GetSubStr(1));
    if (!rows) {
        lines.Refuse(BadValue(lines.Number(), f.GetSubStr(1)));
        return HeaderResult::Short;
    }
    h.rows = *rows;
    return HeaderResult::Ok;
}

struct Rows {
    std::vector<double> col[4];
    std::vector<int> di, dout;
};

// The channel-name line and N rows; false when the file ends before them or N is out of range.
bool ReadRows(Lines &lines, int n, Rows &rows)
{
    CCommaSubStr f;
    if (n <= 0 || n > kChannelCapacity || !lines.Next(f))
        return false;
    for (int r = 0; r < n; ++r) {
        if (!lines.NextRow(f, kSampleRowFields))
            return false;
        // A sample that is not a number makes the whole file unreadable, not a zero.
        for (int c = 0; c < 4; ++c) {
            const std::optional<double> v = ExactReal(f.GetSubStr(c));  // columns 1..4 are fields 0..3
            if (!v) {
                lines.Refuse(BadValue(lines.Number(), f.GetSubStr(c)));
                return false;
            }
            rows.col[c].push_back(*v);
        }
        const std::optional<std::int32_t> di = ParseDecimalInt32(f.GetSubStr(4));
        const std::optional<std::int32_t> dout = ParseDecimalInt32(f.GetSubStr(5));
        if (!di || !dout) {
            lines.Refuse(BadValue(lines.Number(), f.GetSubStr(di ? 5 : 4)));
            return false;
        }
        rows.di.push_back(*di);
        rows.dout.push_back(*dout);
    }
    return true;
}

void Codes(const WORD *config, int codes[4])
{
    codes[0] = config[2] >> 8;
    codes[1] = config[2] & 0xFF;
    codes[2] = config[3] >> 8;
    codes[3] = config[3] & 0xFF;
}

bool Analog(int channel, int code)
{
    return channel < 2 ? code != 0 : code >= kScopeFirstValueSource;
}

bool BitWord(int channel, int code)
{
    return channel >= 2 && code >= 1 && code < kScopeFirstValueSource;
}

// "code,\tname,\tvalue": a comma inside the code or the name would put the value in another
// field, and the readers refuse such a row; it is written as a full-width comma.
QString ParamRow(const CDBDataParameter &p)
{
    auto field = [](QString text) { return text.replace(QLatin1Char(','), QChar(0xFF0C)); };
    return QStringLiteral("%1,\t%2,\t%3").arg(field(p.sNum), field(p.sName)).arg(static_cast<int>(p.iCurValue));
}

void Box(const char *key)
{
    platform::Ui().MessageBox(Lang(key), QString(), MB_OK);
}

}

QList<CDBDataParameter> ScopeGroupParameters()
{
    QList<CDBDataParameter> rows;
    CSysParam *sys = GetSysParam();
    if (!sys)
        return rows;
    const CDataAxisParameter *axis = sys->FindActiveAxis(sys->m_ProjectDatabase.m_nCurDeviceID);
    if (!axis)
        return rows;
    for (qsizetype i = sys->m_arrParamUser.size() - 1; i >= 0; --i) {
        const CParamUser &pair = sys->m_arrParamUser.at(i);
        if (pair.sGroupName != QString::fromUtf8(kScopeGroupName))
            continue;
        for (const auto &p : axis->m_arrParameter)
            if (p.sNum == pair.sNum)
                rows.append(p);
    }
    return rows;
}

bool SaveWaveFile(const QString &path, int nKind, const CScopeChannels &channels,
                  const CScopeSettings &settings, const QList<CDBDataParameter> &scopeGroup)
{
    platform::SaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    LineWriter out(file);
    const WORD *w = settings.m_wDriveConfig;
    using A = std::vector<LangArg>;
    auto n64 = [](long long v) { return LangArg(v); };
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_80"), {n64(1)}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_81"), {n64(nKind)}));
    A config;
    for (int k = 0; k < 10; ++k)
        config.push_back(n64(w[k]));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_82"), config));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_83"), {channels.m_dTimePerPoint}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_84"), {settings.m_dBasePeriodMs}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_118"), {settings.m_strTimePerDiv}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_85"),
                            {LocalTimeText(settings.m_tStart, Lang("IDS_NewScopeView_86"))}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_87"), {n64(settings.m_arrCaptureParams.size())}));
    for (const auto &p : settings.m_arrCaptureParams)
        out.Line(ParamRow(p));
    const int n = channels.PointCount();
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_88"), {n64(n)}));
    out.Line(FillLangFormat(Lang("IDS_NewScopeView_89"), {channels.m_ch[0].m_strName, channels.m_ch[1].m_strName,
                                                          channels.m_ch[2].m_strName, channels.m_ch[3].m_strName}));
    auto analog = [&](int c, int i) {
        const CChannel &ch = channels.m_ch[c];
        return i < ch.m_nCount ? ch.m_arrData[static_cast<std::size_t>(i)] : 0.0;
    };
    auto word = [](const CDIDOChannel &ch, int i) {
        return i < ch.m_nCount ? ch.m_arrData[static_cast<std::size_t>(i)] : 0;
    };
    for (int i = 0; i < n; ++i) {
        char row[256];
        const int len = std::snprintf(row, sizeof row, "%.3f,%.3f,%.3f,%.3f,%d,%d\n", analog(0, i),
                                      analog(1, i), analog(2, i), analog(3, i),
                                      word(channels.m_di, i), word(channels.m_do, i));
        file.write(row, std::min<int>(len, static_cast<int>(sizeof row) - 1));
    }
    if (!scopeGroup.isEmpty()) {
        out.Line(FillLangFormat(Lang("IDS_NewScopeView_87"), {n64(scopeGroup.size())}));
        for (const auto &p : scopeGroup)
            out.Line(ParamRow(p));
    }
    return file.commit();
}

int OpenWaveFile(const QString &path, CScopeChannels &channels, CScopeSettings &settings,
                 WaveFileInfo *info)
{
    QStringList text;
    if (!ReadLines(path, text))
        return 0;
    Lines lines(text);
    Header h;
    const HeaderResult r = ReadHeader(lines, "IDS_NewScopeView_91", h, true);
    if (r == HeaderResult::NotWaveFile) {
        Box("IDS_NewScopeView_92");
        return 0;
    }
    // What the header gave is kept even when the rest fails, as before.
    std::copy(h.config, h.config + 10, settings.m_wDriveConfig);
    if (r == HeaderResult::Ok || r == HeaderResult::BadTime) {
        channels.m_dTimePerPoint = h.timePerPoint;
        settings.m_dBasePeriodMs = h.baseTime;
        if (h.baseTime > 0)
            // The header keeps four decimals (period 3 at 6 kHz is 0.5000 / 0.1667): the nearest
            // whole count, never the one below.
            settings.m_nPeriodCount = static_cast<int>(std::lround(h.timePerPoint / h.baseTime));
        settings.m_strTimePerDiv = h.timeDiv;
    }
    if (r != HeaderResult::Ok)
        return 0;
    settings.m_tStart = h.start;
    for (const auto &p : h.params)
        settings.SetLoadedParamValue(p.first, p.second);
    Rows rows;
    if (!ReadRows(lines, h.rows, rows))
        return 0;

    int codes[4];
    Codes(h.config, codes);
    settings.m_nLayout = h.config[0] % kScopeLayoutCount;
    channels.ResetLive();
    for (int c = 0; c < 4; ++c) {
        const QString name = settings.FindChannelName(codes[c]);
        if (info) {
            info->nCodes[c] = codes[c];
            info->strNames[c] = name;
        }
        if (Analog(c, codes[c])) {
            CChannel &ch = channels.m_ch[c];
            ch.AppendFromArray(rows.col[c]);
            ch.m_strName = name;
            ch.m_clrTrace = settings.m_clrChannel[c];
            ch.AutoScale();
            if (codes[c] >= kScopeFirstValueSource)
                ch.m_nType = settings.GetChannelType(name);
        } else if (BitWord(c, codes[c])) {
            CDIDOChannel &d = c == 2 ? channels.m_di : channels.m_do;
            const ScopeIoSelection &sel = c == 2 ? settings.m_selDI : settings.m_selDO;
            d.AppendFromVector(c == 2 ? rows.di : rows.dout, h.rows);
            d.SetBits(std::bitset<16>(static_cast<unsigned long>(sel.nBits & 0xFFFF)), sel.arrNames,
                      sel.arrColors);
        }
    }
    settings.m_bHasData = 1;
    if (info) {
        info->nLayout = settings.m_nLayout;
        info->nPeriodCount = settings.m_nPeriodCount;
    }
    return 1;
}

int OpenCompareFile(const QString &path, CScopeChannels &channels, CScopeSettings &settings)
{
    QStringList text;
    if (!ReadLines(path, text))
        return 0;
    Lines lines(text);
    Header h;
    const HeaderResult r = ReadHeader(lines, "IDS_NewScopeView_99", h, false);
    if (r == HeaderResult::NotWaveFile) {
        Box("IDS_NewScopeView_100");
        return 0;
    }
    if (r != HeaderResult::Ok)
        return 0;
    for (int i = 0; i < 10; ++i) {
        if (h.config[i] != settings.m_wDriveConfig[i]) {
            Box("IDS_NewScopeView_101");
            return 0;
        }
    }
    if (std::fabs(h.timePerPoint - channels.m_dTimePerPoint) > 0.001) {
        Box("IDS_NewScopeView_102");
        return 0;
    }
    if (std::fabs(settings.m_dBasePeriodMs - h.baseTime) > 0.001) {
        Box("IDS_NewScopeView_103");
        return 0;
    }
    Rows rows;
    if (!ReadRows(lines, h.rows, rows))
        return 0;
    int codes[4];
    Codes(h.config, codes);
    channels.ResetCompare();
    static const char *const kSuffix[4] = {"IDS_NewScopeView_104", "IDS_NewScopeView_105",
                                           "IDS_NewScopeView_106", "IDS_NewScopeView_107"};
    for (int c = 0; c < 4; ++c) {
        if (!Analog(c, codes[c]))
            continue;
        CChannel &ch = channels.m_cmp[c];
        ch.AppendFromArray(rows.col[c]);
        ch.m_strName = settings.FindChannelName(codes[c]) + Lang(kSuffix[c]);
        ch.m_clrTrace = RGB(128, 128, 128);
        ch.m_dMin = channels.m_ch[c].m_dMin;
        ch.m_dMax = channels.m_ch[c].m_dMax;
        if (codes[c] >= kScopeFirstValueSource)
            ch.m_nType = settings.GetChannelType(settings.FindChannelName(codes[c]));
    }
    return 1;
}

int ReadHistoryParams(const QString &path, QList<QPair<QString, QString>> &pairs,
                      CScopeSettings &settings, QString *why)
{
    auto refuse = [why](const QString &reason) {
        if (why)
            *why = reason;
        return 0;
    };
    QStringList text;
    if (!ReadLines(path, text))
        return refuse(TrText(QStringLiteral("文件无法读取。")));
    Lines lines(text);
    Header h;
    if (ReadHeader(lines, "IDS_NewScopeView_91", h, true) != HeaderResult::Ok)
        return refuse(lines.Why());
    std::copy(h.config, h.config + 10, settings.m_wDriveConfig);
    CCommaSubStr f;
    if (h.rows < 0 || h.rows > kChannelCapacity)
        return refuse(BadValue(lines.Number(), QString::number(h.rows)));
    // The rows are read as the other readers read them: a file they refuse gives no
    // parameters either.
    Rows rows;
    if (h.rows > 0 ? !ReadRows(lines, h.rows, rows) : !lines.Next(f))
        return refuse(lines.Why());
    QList<QPair<QString, QString>> read;
    if (lines.AtEnd()) {
        // No group section (the group was empty when the capture was saved): the capture's own
        // parameter rows are what the file tells of the drive's set-up.
        for (const auto &[code, value] : h.params)
            read.append({code, QString::number(value)});
        pairs.append(read);
        return 1;
    }
    lines.Next(f);
    const std::optional<std::int32_t> count = ParseDecimalInt32(f.GetSubStr(1));
    if (!count || *count < 0)
        return refuse(BadValue(lines.Number(), f.GetSubStr(1)));
    for (int i = 0; i < *count; ++i) {
        if (!lines.NextRow(f, kParamRowFields))
            return refuse(lines.Why());
        read.append({f.GetSubStr(0), f.GetSubStr(2)});
    }
    pairs.append(read);
    return 1;
}

QString RecordingFilePath(const QString &folder, std::int64_t when)
{
    const QString base = LocalTimeText(when, QStringLiteral("%Y_%m%d_%H-%M-%S"));
    QString path = QDir(folder).filePath(base + QStringLiteral(".csv"));
    for (int i = 2; QFileInfo::exists(path); ++i)
        path = QDir(folder).filePath(base + QStringLiteral("_%1.csv").arg(i));
    return path;
}
