#pragma once
// The oscilloscope's trace view: up to four analog traces over a dotted grid, each with its own
// scale and labels, the chosen DI/DO bits as square-wave rows under the plot, an optional
// comparison capture over the first, two measuring cursors, a readout that follows the mouse,
// a zoomed view with its history, and the picture saved as a BMP file.
//
// The view owns the channel holder that the sampling panel's core fills (Channels()); the
// fields below that name the holder's window, time per point and roll flag are the holder's
// own, so that both always agree. The parent hears of cursor drags, zoom rectangles and clicks
// through UM_VSCOPE_NOTIFY, UM_VSCOPE_RCLICK and UM_VSCOPE_LCLICK.
#include "Wnds/scope/ScopeChannels.h"
#include "Wnds/scope/VScopeGeometry.h"
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QPoint>
#include <QWidget>

#include <deque>
#include <utility>
#include <vector>

class QImage;
class QPainter;
class QRubberBand;

// Key flags of a mouse message (wParam of UM_VSCOPE_RCLICK / _LCLICK).
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;
constexpr WPARAM MK_MBUTTON = 0x0010;

class CVScope : public QWidget, public platform::MessageTarget
{
    Q_OBJECT
public:
    static constexpr int kCtrlId = 0xBBBB;
    // The ten zoom stacks: CH1..CH4, the zoomed window, comparison CH1..CH4, its window.
    static constexpr int kStackWindow = 4;
    static constexpr int kStackCmpChannel = 5;
    static constexpr int kStackCmpWindow = 9;

    explicit CVScope(QWidget *parent = nullptr);
    ~CVScope() override;

    // Makes the view a child of the parent at the rectangle with the control id.
    BOOL Create(const QString &windowName, const QRect &rect, QWidget *parent, int id = kCtrlId);
    CScopeChannels &Channels() { return m_channels; }

    // ---- drawing
    void Draw(QPainter &dc);
    // Hides QWidget::update: a change made through the view repaints all of it, while a cursor
    // or tip moved by the mouse repaints only itself over the picture kept of the rest.
    void update();
    // Repaints the cursors and the tip only, over the picture kept of the rest (all of it when
    // a change asked for a full repaint meanwhile).
    void UpdateCursors();
    // Renders the view into a picture of the client size and writes it as a BMP file;
    // failures are told in boxes over the view.
    void SaveToBmp(const QString &path);
    QImage Render();
    void CalcLayout();
    void CalcExtraXDivs();

    // ---- windows and scales (each redraws the view)
    void SetXWindow(int first, int last);
    void SetXWindowByDivision(int samplesPerDivision);
    void SetCompareWindow(int n);
    void ScrollXLeft(int n);
    void ScrollXRight(int n);
    void ScrollViewXLeft(double d);
    void ScrollViewXRight(int n);
    void MoveRangeDown(CChannel *channel, double d);
    void MoveRangeUp(CChannel *channel, double d);
    void StepRangeDown(CChannel *channel);
    void StepRangeUp(CChannel *channel);
    int GetSampleCount() const;
    int GetCompareSampleCount() const;

    // ---- coordinates over m_rcPlot
    QPoint ValueToPoint(int x0, int x1, int y0, int y1, int x, int y) const;
    QPoint ValueToPointD(double x0, double x1, double y0, double y1, double x, double y) const;
    QPoint PointToValue(int x0, int x1, int y0, int y1, int px, int py) const;
    QPointF PointToValueD(double x0, double x1, double y0, double y1, int px, int py) const;

    // ---- cursor readings
    void GetCursorSamples(int &a, int &b) const;
    void GetCursorXPositions(double &a, double &b) const;
    void GetCursorValues(const CChannel &channel, double &a, double &b) const;
    void ResetCursorPositions();

    // ---- zoom
    void SetZoomed(BOOL zoomed);
    void ZoomInAt(QPoint screenPoint);
    void ZoomOutAt(QPoint screenPoint);
    // Zooms to a client rectangle (the end of a rubber band); false when refused.
    bool ZoomToRect(const vscope::Rect &rect);
    void ClearZoomHistory();
    void AlignChannelGrids();
    // The channel whose trace passes nearest the mouse (within 10 pixels), or null.
    CChannel *HitTestTrace() const;
    CChannel *HitTestTraceAt(QPoint point) const;
    // The readout's two columns at a sample: the first line's name, then each shown channel
    // (and its comparison partner with the difference).
    void CoordTipTexts(int sample, const QString &firstName, QStringList &names, QStringList &values) const;

    // ---- the holder's channels under the names the view has always used
    CScopeChannels m_channels;
    CChannel (&m_ch)[4];
    CDIDOChannel &m_di;
    CDIDOChannel &m_do;
    CChannel (&m_chCmp)[4];
    CDIDOChannel &m_diCmp;
    CDIDOChannel &m_doCmp;

    int m_nTraceWidth = 1;
    int m_bCompare = 0;
    int &m_nXFirst;
    int &m_nXLast;
    int m_nCmpXFirst = 0;
    int m_nCmpXLast = 10000;
    double m_dViewXFirst = 0.0;
    double m_dViewXLast = 10000.0;
    double m_dCmpViewXFirst = 0.0;
    double m_dCmpViewXLast = 10000.0;
    double &m_dSamplePeriod;
    vscope::Rect m_rcPlot;
    vscope::Rect m_rcBits;
    int m_nCursorX1 = 0;
    int m_nCursorX2 = 0;
    int m_nCursorY1 = 0;
    int m_nCursorY2 = 0;
    int m_nDragCursor = 0;
    int m_bCursorsLocked = 0;
    int m_bZoomed = 0;
    int m_bMouseZoom = 0;
    COLORREF m_clrBack = 0;
    int m_nCursorMode = 0;
    int m_bShowCoordTip = 0;
    QPoint m_ptMouse{0, 0};
    bool &m_bRolling;
    std::deque<std::pair<double, double>> m_dqZoomHistory[10];
    int m_bLButtonDown = 0;
    int m_bTrackingLeave = 0;
    CChannel *m_nGrabbedTrace = nullptr;
    QPoint m_ptLast{0, 0};
    QPoint m_ptDown{0, 0};
    int m_nExtraXDivs = 0;
    int m_nExtraYDivs = 0;
    int m_nHitArea = 0;

    // ---- the mouse, as the window messages deliver it (client points)
    void OnLButtonDown(WPARAM flags, QPoint point);
    void OnLButtonUp(WPARAM flags, QPoint point);
    void OnMouseMove(WPARAM flags, QPoint point);
    void OnMouseLeave();
    void OnRButtonDown(WPARAM flags, QPoint point);
    void OnMouseWheel(WPARAM flags, int delta, QPoint screenPoint);
    void OnLButtonDblClk(WPARAM flags, QPoint point);
    bool RubberBandActive() const { return m_pRubber != nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // The traces, grid and names as last drawn (static captures only), and whether a change
    // since then asks for them to be drawn again.
    QImage m_imgBase;
    bool m_bBaseStale = true;
    bool m_bOverlayPaint = false;  // the paint asked for by a cursor or tip move
    bool DrawBase(QPainter &dc);
    void DrawOverlays(QPainter &dc);

    static constexpr int kWheelNotch = 120;
    int m_nWheelRest = 0;  // wheel delta not yet turned into a zoom step

    bool Shown(const CChannel &c) const { return c.m_nCount > 0 && c.m_bVisible; }
    bool HasAxis(const CChannel &c) const { return Shown(c) && c.m_bShowAxis; }
    int BitRows(const CDIDOChannel &d) const;
    void CountAxes(int &nLeft, int &nRight) const;

    void DrawTraces(QPainter &dc);
    void DrawTracesZoomed(QPainter &dc);
    void DrawTrace(QPainter &dc, const CChannel &c, double first, double last, int i0, int i1, double lo, double hi);
    void MaskOutsidePlot(QPainter &dc);
    void MaskOutsideBits(QPainter &dc);
    void DrawBitTraces(QPainter &dc, bool zoomed);
    void DrawGrid(QPainter &dc);
    void DrawGridRolling(QPainter &dc);
    void DrawGridZoomed(QPainter &dc);
    void DrawValueLabel(QPainter &dc, int channel, int y, double v, bool decimals3, int halfHeight);
    void DrawFrame(QPainter &dc, bool marks);
    void DrawBitMarkers(QPainter &dc);
    void DrawChannelNames(QPainter &dc);
    void DrawBitNames(QPainter &dc);
    void DrawCursors(QPainter &dc);
    void DrawCoordTip(QPainter &dc);
    void DrawCoordTipZoomed(QPainter &dc);
    void DrawTipLines(QPainter &dc, int sample, const QString &firstName, double x);
    void DrawTipBox(QPainter &dc, const QStringList &names, const QStringList &values, QPoint at);

    void TakeCursorValues();
    // Zooms every window and channel range to the plot rectangle `r` (the view's new window
    // [first, last] already checked), each step kept on its stack.
    void PushZoom(const vscope::Rect &plot, const vscope::Rect &r, double first, double last);
    void PlaceCursorsFromValues();
    void DragCursor(QPoint point);
    void TrackMouseDrag(QPoint point);
    void ZoomRubberBand(QPoint point);
    void FinishRubberBand(QPoint point);
    void Notify(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    static WPARAM KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);

    // Cursor values kept across view switches and zoom steps.
    int m_nCursorSampleA = 0;
    int m_nCursorSampleB = 0;
    double m_dCursorValueA[4] = {};
    double m_dCursorValueB[4] = {};
    // Ranges and windows at the press, for the trace drag and the pan.
    double m_dDownMin = 0;
    double m_dDownMax = 0;
    double m_dDownFirst = 0;
    double m_dDownLast = 0;
    QRubberBand *m_pRubber = nullptr;
    QPoint m_ptRubberStart;
};
