#pragma once
// A chart of named curves of (x, y) points over a grid: one labelled x axis and one y axis per
// curve, a logarithmic (decades from 1) or linear x scale, box zoom and wheel zoom, a read-out
// of the curve values under the mouse, and export of the picture as a BMP file. Two charts can
// be linked so that the mouse acts on both.
//
// Points may be added from any thread; everything else runs on the chart's thread. The chart's
// lock is held while points are added, while the curve list changes and while a curve's points
// are read.
#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <mutex>
#include <vector>

class QPainter;

namespace LHB {

// A rectangle with exclusive right and bottom edges, as the chart computes with them.
struct RECT
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const RECT &) const = default;
};

class CLHBMutex
{
public:
    std::mutex m_hMutex;
};

struct GridLine
{
    int x1 = -1, y1 = -1, x2 = -1, y2 = -1;
};

}

struct LHBPoint
{
    float x = 0;
    float y = 0;
    bool marker = false;
    int px = 0;  // pixel position at the last drawing
    int py = 0;
};

class CLHBCurve
{
public:
    QString GetName() const { return m_strName; }
    QString GetXUnit() const { return m_strXUnit; }
    QString GetYUnit() const { return m_strYUnit; }
    // The point the cursor's x reads on the last drawing. The caller holds the chart's lock.
    BOOL FindPointAt(QPoint cursor, LHBPoint &out) const;

    int m_bShowValue = 0;
    int m_bVisible = 1;
    int m_bXAxis = 1;
    int m_bYAxis = 1;
    QString m_strName;
    QString m_strXUnit;
    QString m_strYUnit;
    COLORREF m_crColor = 0;
    int m_nMarkerSize = 1;
    float m_fXStart = 0;
    float m_fXStep = 0;
    float m_fYStart = 0;
    float m_fYStep = 0;
    std::vector<LHBPoint> m_vecPoints;
};

class CLHBGraph : public QWidget, public LHB::CLHBMutex
{
public:
    explicit CLHBGraph(QWidget *parent = nullptr);
    ~CLHBGraph() override;

    // Places the chart as a child control with an id.
    bool Create(const QString &windowName, const QRect &rect, QWidget *parent, int id);

    // -1 for an empty or taken name; else the new number of curves.
    int AddCurve(const QString &name, const QString &xUnit, const QString &yUnit, COLORREF colour,
                 float yStart, float yStep, float xStart, float xStep);
    void AddPoint(const QString &name, float x, float y, bool marker);
    BOOL DeleteCurve(const QString &name);
    void DeleteAllCurves();
    void UpdateAxisRange();
    // The layout rectangle less a strip beside and under it for each shown curve's axes.
    LHB::RECT PlotWithAxisRoom() const;
    void ResetView();
    void SetCurvesFlag(bool show);
    void SaveBitmap(const QString &path);

    int CurveCount() const { return static_cast<int>(m_arrCurves.size()); }
    CLHBCurve *Curve(int i) const { return m_arrCurves[static_cast<size_t>(i)]; }

    // Pixel position of a value of the curve on the current data rectangle.
    int MapX(const CLHBCurve &c, double x) const;
    int MapY(const CLHBCurve &c, double y) const;
    // The x-axis labels of the curve, first to last.
    std::vector<QString> XAxisLabels(const CLHBCurve &c) const;
    // A frequency as the axis shows it: 999, 1k, 10k.
    static QString FormatFrequency(double v);

    // Paints the whole chart; the export picture shows one value box per curve instead of the
    // cursor read-out.
    void Render(QPainter &p, bool forExport);

    // The mouse actions, on this chart only (the events pass them to the linked chart first).
    void DoLButtonDown(QPoint pt);
    void DoLButtonUp(QPoint pt);
    void DoRButtonDown();
    void DoMouseMove(QPoint pt);
    void DoMouseWheel(int delta);

    LHB::RECT m_rcPlot;
    LHB::RECT m_rcData;
    LHB::RECT m_rcSaved;
    LHB::RECT m_rcLayout;
    int m_nMarginLeft = 30;
    int m_nMarginTop = 35;
    int m_nMarginRight = 30;
    int m_nMarginBottom = 30;
    COLORREF m_crBack = 0;
    COLORREF m_crFrame = 0x373737;
    int m_nXScale = 1;
    int m_nXDivisions = 4;
    int m_nYDivisions = 10;
    std::vector<LHB::GridLine> m_vecXGrid;
    std::vector<LHB::GridLine> m_vecYGrid;
    float m_fWheelStep = 0.02f;
    int m_nZoomMode = 2;
    bool m_bDragging = false;
    QPoint m_ptDragStart;
    QPoint m_ptCursor;
    bool m_bShowAxes = true;
    bool m_bShowGrid = true;
    bool m_bShowValues = false;
    bool m_bShowMarkers = false;
    BOOL m_bWheelZoom = FALSE;
    std::vector<CLHBCurve *> m_arrCurves;
    CLHBGraph *m_pLinked = nullptr;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void wheelEvent(QWheelEvent *e) override;

private:
    void DrawBackgroundAndGrid(QPainter &p);
    void DrawAxes(QPainter &p);
    void DrawCurve(QPainter &p, CLHBCurve &c);
    void DrawReadout(QPainter &p);
    void DrawExportBoxes(QPainter &p);
    BOOL FindLocked(CLHBCurve &c, QPoint cursor, LHBPoint &out);
};
