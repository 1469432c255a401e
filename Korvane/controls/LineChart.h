#pragma once
// A line chart of one series over a fixed vertical range: the points in the order added, drawn
// left to right at equal spacing (the newest at the right edge once the chart is full), with
// horizontal grid lines at every major unit and their values along the left edge.
#include <QVector>
#include <QWidget>

class CLineChart : public QWidget
{
public:
    explicit CLineChart(QWidget *parent = nullptr);

    void AddPoint(double value);
    void ClearPoints();
    const QVector<double> &Points() const { return m_points; }
    // The vertical axis: its range and the distance of its grid lines.
    void SetVerticalRange(double lowest, double highest, double majorUnit);
    double Lowest() const { return m_dLowest; }
    double Highest() const { return m_dHighest; }
    double MajorUnit() const { return m_dMajorUnit; }
    // Points the width shows (older ones scroll out to the left).
    int m_nVisiblePoints = 120;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QVector<double> m_points;
    double m_dLowest = -100;
    double m_dHighest = 100;
    double m_dMajorUnit = 20;
};
