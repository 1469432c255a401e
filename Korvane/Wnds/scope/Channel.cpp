#include "Wnds/scope/Channel.h"

#include <cmath>
#include <stdexcept>

namespace {

void CheckIndex(int i)
{
    if (i < 0 || i >= kChannelCapacity)
        throw std::invalid_argument("sample index outside the channel");
}

constexpr double kSteps[] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200,
                             500, 1000, 2000, 5000, 10000, 20000, 50000, 100000, 200000,
                             500000, 1000000, 2000000, 5000000, 10000000, 20000000, 50000000,
                             100000000, 200000000};

const char *const kScaleTexts[] = {
    "0.010", "0.020", "0.050", "0.100", "0.200", "0.500", "1.000", "2.000", "5.000",
    "10.000", "20.000", "50.000", "100.000", "200.000", "500.000", "1000.000", "2000.000",
    "5000.000", "10000", "20000", "50000", "100000", "200000", "500000", "1000000", "2000000",
    "5000000", "10000000", "20000000", "50000000", "100000000", "200000000", "500000000",
    "1000000000"};

}

CChannel::CChannel() : m_arrData(kChannelCapacity, 0.0) {}

int CChannel::AppendFromArray(const std::vector<double> &source)
{
    return AppendFromVector(source, static_cast<int>(source.size()));
}

int CChannel::AppendFromVector(const std::vector<double> &source, int n)
{
    const int count = std::min(n, static_cast<int>(source.size()));
    for (int i = 0; i < count; ++i) {
        CheckIndex(m_nCount);
        m_arrData[static_cast<std::size_t>(m_nCount++)] = source[static_cast<std::size_t>(i)];
    }
    return m_nCount;
}

double CChannel::At(int i) const
{
    CheckIndex(i);
    return m_arrData[static_cast<std::size_t>(i)];
}

void CChannel::DataExtent(double &lo, double &hi) const
{
    lo = hi = m_arrData[0];
    for (int i = 0; i < m_nCount; ++i) {
        lo = std::min(lo, m_arrData[static_cast<std::size_t>(i)]);
        hi = std::max(hi, m_arrData[static_cast<std::size_t>(i)]);
    }
}

void CChannel::AutoScale()
{
    double lo, hi;
    DataExtent(lo, hi);
    const double range = hi - lo;
    const double perDiv = range * 2 / 10;
    double step = 1;
    if (range != 0) {
        for (double s : kSteps) {
            if (s >= perDiv) {
                step = s;
                break;
            }
        }
    }
    const double centre = (hi + lo) / 2;
    const double k = (m_nType >= 0 && m_nType <= 3) ? std::floor(centre / step) : 0.0;
    m_dMax = (k + 5) * step;
    m_dMin = (k - 5) * step;
}

void CChannel::SetRange(double lo, double hi)
{
    // A range without span would make every mapping divide by zero: it opens to lo - 1..lo + 1.
    if (hi == lo) {
        lo -= 1;
        hi += 1;
    }
    double dataLo, dataHi;
    DataExtent(dataLo, dataHi);
    if (hi >= dataHi && lo <= dataLo) {
        m_dMin = lo;
        m_dMax = hi;
        return;
    }
    const double span = hi - lo;
    const double mid = (dataHi + dataLo) / 2;
    m_dMin = mid - span / 2;
    m_dMax = mid + span / 2;
}

double CChannel::GetMax(int first, int last) const
{
    double v = At(first);
    for (int i = first; i <= last; ++i)
        v = std::max(v, At(i));
    return v;
}

double CChannel::GetMin(int first, int last) const
{
    double v = At(first);
    for (int i = first; i <= last; ++i)
        v = std::min(v, At(i));
    return v;
}

double CChannel::GetRms(int first, int end) const
{
    if (end <= first)
        return 0;
    const double n = end - first;
    double sum = 0;
    for (int i = first; i < end; ++i)
        sum += At(i) * At(i) / n;
    return std::sqrt(sum);
}

void CChannel::GetScaleList(QStringList &out) const
{
    out.clear();
    const double range = std::min(m_dMax - m_dMin, 1e9);
    if (!(range >= 0))
        return;
    // The range in hundredths, guarded against a quotient that lands a hair below a whole
    // number (0.3 / 0.01 is 29.999...).
    const double hundredths = std::floor(range / 0.01 + 1e-6);
    const QString digits = QString::number(static_cast<long long>(hundredths));
    const int d = static_cast<int>(digits.size());
    int count = 0;
    switch (digits.at(0).toLatin1()) {
    case '1': count = 3 * d - 2; break;
    case '2': count = 3 * d - 1; break;
    case '5': count = 3 * d; break;
    default: count = 0; break;
    }
    if (digits == QLatin1String("0"))
        count = 0;
    count = std::min<int>(count, static_cast<int>(std::size(kScaleTexts)));
    for (int i = 0; i < count; ++i)
        out << QString::fromLatin1(kScaleTexts[i]);
}

CDIDOChannel::CDIDOChannel() : m_arrData(kChannelCapacity, 0) {}

int CDIDOChannel::AppendFromVector(const std::vector<int> &source, int n)
{
    const int count = std::min(n, static_cast<int>(source.size()));
    for (int i = 0; i < count; ++i) {
        CheckIndex(m_nCount);
        m_arrData[static_cast<std::size_t>(m_nCount++)] = source[static_cast<std::size_t>(i)];
    }
    return m_nCount;
}

void CDIDOChannel::SetBits(const std::bitset<16> &bits, const QStringList &names,
                           const std::vector<COLORREF> &colors)
{
    m_bitsShown = bits;
    if (&names != &m_arrBitNames)
        m_arrBitNames = names;
    if (&colors != &m_arrBitColors)
        m_arrBitColors = colors;
}

void CDIDOChannel::Clear()
{
    m_arrData.assign(kChannelCapacity, 0);
    m_nCount = 0;
    m_bitsShown.reset();
    m_arrBitNames.clear();
    m_arrBitColors.clear();
}

QString CDIDOChannel::GetBitName(int row) const
{
    if (row < 0 || row >= m_arrBitNames.size())
        throw std::invalid_argument("row outside the bit names");
    return m_arrBitNames.at(row);
}

int CDIDOChannel::At(int i) const
{
    CheckIndex(i);
    return m_arrData[static_cast<std::size_t>(i)];
}

int CDIDOChannel::GetRowValue(int sample, int row) const
{
    int seen = 0;
    for (int bit = 0; bit < 16; ++bit) {
        if (!m_bitsShown.test(static_cast<std::size_t>(bit)))
            continue;
        if (++seen == row + 1)
            return (At(sample) >> bit) & 1;
    }
    return 0;
}
