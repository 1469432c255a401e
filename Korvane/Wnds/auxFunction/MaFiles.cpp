#include "Wnds/auxFunction/MaFiles.h"

#include "PathHelpers.h"
#include "platform/SaveFile.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <cmath>
#include <limits>
#include <memory>

namespace {

QString Fixed6(double v)
{
    return QString::number(v, 'f', 6);
}

bool WriteWhole(const QString &path, const QByteArray &bytes)
{
    platform::SaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

QStringList Tokens(const QString &path, bool *opened)
{
    QFile file(path);
    *opened = file.open(QIODevice::ReadOnly);
    if (!*opened)
        return {};
    return QString::fromLatin1(file.readAll()).split(QRegularExpression(QStringLiteral("\\s+")),
                                                     Qt::SkipEmptyParts);
}

}

int MaLeadingInt(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([+-]?\\d+)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return 0;
    bool ok = false;
    const long long v = m.captured(1).toLongLong(&ok);
    if (!ok)
        return m.captured(1).startsWith('-') ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

double MaLeadingDouble(const QString &text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch m = re.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

QString MaSettingsPath()
{
    return GetModulePath(QStringLiteral("config/Aid/MechanismAnalysis.ini"));
}

bool SaveMaSettings(const QString &path, const QString &amplitudeText, const QString &offsetText,
                    const QString &smoothingText)
{
    auto truncated = [](const QString &t) {
        const double v = std::trunc(MaLeadingDouble(t));
        if (!(std::abs(v) < 2147483648.0))
            return 0;
        return static_cast<int>(v);
    };
    const QString text = QStringLiteral("%1\r\n%2\r\n%3\r\n")
                             .arg(truncated(amplitudeText))
                             .arg(truncated(offsetText))
                             .arg(MaLeadingInt(smoothingText));
    return WriteWhole(path, text.toLatin1());
}

bool LoadMaSettings(const QString &path, MaSettings &out)
{
    bool opened = false;
    const QStringList t = Tokens(path, &opened);
    if (!opened)
        return false;
    out.nAmplitude = t.size() > 0 ? MaLeadingInt(t[0]) : 0;
    out.nOffset = t.size() > 1 ? MaLeadingInt(t[1]) : 0;
    out.nSmoothing = t.size() > 2 ? MaLeadingInt(t[2]) : 0;
    return true;
}

bool SaveMsfFile(const QString &path, const MaResult &r)
{
    QString text;
    text += QStringLiteral("%1\r\n%2\r\n%3\r\n%4\r\n").arg(r.nSampleRate).arg(r.nAmplitude).arg(r.nOffset).arg(r.nCount);
    text += Fixed6(r.dGainMax) + QStringLiteral("\r\n") + Fixed6(r.dGainMin) + QStringLiteral("\r\n");
    text += Fixed6(r.dPhaseMax) + QStringLiteral("\r\n") + Fixed6(r.dPhaseMin) + QStringLiteral("\r\n");
    text += Fixed6(r.dStopGain) + '\t' + Fixed6(r.dStopFreq) + QStringLiteral("\r\n");
    const int n = std::min(std::max(r.nCount, 0), kMaMaxPoints);
    for (int i = 0; i < n; ++i)
        text += Fixed6(r.freq[i]) + '\t' + Fixed6(r.phase[i]) + '\t' + Fixed6(r.gain[i]) + QStringLiteral("\r\n");
    return WriteWhole(path, text.toLatin1());
}

MsfLoad LoadMsfFile(const QString &path, MaResult &out)
{
    bool opened = false;
    const QStringList t = Tokens(path, &opened);
    if (!opened)
        return MsfLoad::CannotOpen;
    constexpr int kHeader = 10;
    if (t.size() < kHeader)
        return MsfLoad::Malformed;
    bool ok = true;
    auto integer = [&](int i) {
        bool good = false;
        const int v = t[i].toInt(&good);
        ok = ok && good;
        return v;
    };
    auto real = [&](int i) {
        bool good = false;
        const double v = t[i].toDouble(&good);
        // "nan" and "inf" read as numbers, but no analysis gives them.
        ok = ok && good && std::isfinite(v);
        return v;
    };
    auto r = std::make_unique<MaResult>();
    r->nSampleRate = integer(0);
    r->nAmplitude = integer(1);
    r->nOffset = integer(2);
    r->nCount = integer(3);
    r->dGainMax = real(4);
    r->dGainMin = real(5);
    r->dPhaseMax = real(6);
    r->dPhaseMin = real(7);
    r->dStopGain = real(8);
    r->dStopFreq = real(9);
    if (!ok || r->nCount < 0 || r->nCount > kMaMaxPoints || t.size() < kHeader + 3 * r->nCount)
        return MsfLoad::Malformed;
    for (int i = 0; i < r->nCount; ++i) {
        r->freq[i] = real(kHeader + 3 * i);
        r->phase[i] = real(kHeader + 3 * i + 1);
        r->gain[i] = real(kHeader + 3 * i + 2);
    }
    if (!ok)
        return MsfLoad::Malformed;
    out = *r;
    return MsfLoad::Ok;
}
