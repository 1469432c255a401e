#pragma once
// What the trace view draws: an analog trace (CChannel) and a digital word of which chosen
// bits are drawn as rows (CDIDOChannel). Both hold a fixed array of 60,000 samples, allocated
// once, so that appending after a capture or a roll frame never reallocates.
#include "platform/ColorRef.h"

#include <QString>
#include <QStringList>

#include <bitset>
#include <vector>

constexpr int kChannelCapacity = 60000;

class CChannel {
public:
    CChannel();
    virtual ~CChannel() = default;

    // Append after m_nCount; return the new count. An append past the capacity throws
    // std::invalid_argument and writes nothing more.
    int AppendFromArray(const std::vector<double> &source);
    int AppendFromVector(const std::vector<double> &source, int n);
    void AutoScale();
    void SetRange(double lo, double hi);
    QString GetName() const { return m_strName; }
    // Largest and smallest of samples first..last, both included.
    double GetMax(int first, int last) const;
    double GetMin(int first, int last) const;
    // Root mean square of samples first..end-1; 0 when end <= first.
    double GetRms(int first, int end) const;
    // Per-division scale texts from 0.01 up to the current range.
    void GetScaleList(QStringList &out) const;
    // Sample i, range-checked like every other access.
    double At(int i) const;

    std::vector<double> m_arrData;
    QString m_strName;
    COLORREF m_clrTrace = 0;
    int m_bVisible = 1;
    int m_bShowAxis = 1;
    double m_dMin = 0.0;
    double m_dMax = 0.0;
    double m_dViewMin = 0.0;
    double m_dViewMax = 0.0;
    int m_nCount = 0;
    int m_nType = 0;

private:
    void DataExtent(double &lo, double &hi) const;
};

class CDIDOChannel {
public:
    CDIDOChannel();
    virtual ~CDIDOChannel() = default;

    int AppendFromVector(const std::vector<int> &source, int n);
    void SetBits(const std::bitset<16> &bits, const QStringList &names,
                 const std::vector<COLORREF> &colors);
    void Clear();
    int GetShownBitCount() const { return static_cast<int>(m_bitsShown.count()); }
    // Throws std::invalid_argument for a row outside the name list.
    QString GetBitName(int row) const;
    int GetRowValue(int sample, int row) const;
    int At(int i) const;

    std::bitset<16> m_bitsShown;
    QStringList m_arrBitNames;
    std::vector<COLORREF> m_arrBitColors;
    int m_nCount = 0;
    int m_bVisible = 1;
    std::vector<int> m_arrData;
};
