#include "Wnds/scope/VScope.h"

#include "LangText.h"
#include "controls/BitmapFile.h"
#include "platform/ControlId.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

using vscope::Rect;

namespace {

const QColor kGrey(100, 100, 100);
const QColor kCursorA(0, 255, 255);
const QColor kCursorB(0, 255, 0);

QRect R(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

QFont LabelFont()
{
    QFont f(QStringLiteral("Arail"));
    f.setPixelSize(12);  // 9 points at 96 dpi, the same on the screen and in a saved picture
    return f;
}

QPen DotPen()
{
    return QPen(kGrey, 1, Qt::DotLine);
}

QColor Inverse(COLORREF c)
{
    return platform::ColorFromRef(c ^ 0xFFFFFFu);
}

// A language text shown as the system's formatter gives a text without arguments.
QString Unformatted(const QString &text)
{
    QString s = text;
    return s.replace(QStringLiteral("%%"), QStringLiteral("%"));
}

}

CVScope::CVScope(QWidget *parent)
    : QWidget(parent),
      platform::MessageTarget(this),
      m_ch(m_channels.m_ch),
      m_di(m_channels.m_di),
      m_do(m_channels.m_do),
      m_chCmp(m_channels.m_cmp),
      m_diCmp(m_channels.m_cmpDi),
      m_doCmp(m_channels.m_cmpDo),
      m_nXFirst(m_channels.m_nWindowStart),
      m_nXLast(m_channels.m_nWindowEnd),
      m_dSamplePeriod(m_channels.m_dTimePerPoint),
      m_bRolling(m_channels.m_bRoll)
{
    m_nXFirst = 0;
    m_nXLast = 10000;
    m_dSamplePeriod = 0.125;
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::ArrowCursor);
    platform::SetCtrlId(this, kCtrlId);
}

CVScope::~CVScope() = default;

BOOL CVScope::Create(const QString &windowName, const QRect &rect, QWidget *parent, int id)
{
    setParent(parent);
    setWindowTitle(windowName);
    setGeometry(rect);
    platform::SetCtrlId(this, id);
    setCursor(Qt::ArrowCursor);
    show();
    return TRUE;
}

// ---------------------------------------------------------------- counting

int CVScope::BitRows(const CDIDOChannel &d) const
{
    return d.m_nCount > 0 && d.m_bVisible ? d.GetShownBitCount() : 0;
}

void CVScope::CountAxes(int &nLeft, int &nRight) const
{
    nLeft = (HasAxis(m_ch[0]) ? 1 : 0) + (HasAxis(m_ch[2]) ? 1 : 0);
    nRight = (HasAxis(m_ch[1]) ? 1 : 0) + (HasAxis(m_ch[3]) ? 1 : 0);
}

int CVScope::GetSampleCount() const
{
    return m_channels.PointCount();
}

int CVScope::GetCompareSampleCount() const
{
    int n = 0;
    for (const CChannel &c : m_chCmp)
        n = std::max(n, c.m_nCount);
    return n;
}

void CVScope::CalcLayout()
{
    int nLeft, nRight;
    CountAxes(nLeft, nRight);
    const vscope::Layout l = vscope::CalcLayout(width(), height(), nLeft, nRight, BitRows(m_di) + BitRows(m_do));
    m_rcPlot = l.plot;
    m_rcBits = l.bits;
    m_nExtraYDivs = l.extraYDivs;
}

void CVScope::CalcExtraXDivs()
{
    int nLeft, nRight;
    CountAxes(nLeft, nRight);
    m_nExtraXDivs = vscope::CalcExtraXDivs(width(), nLeft, nRight);
}

// ---------------------------------------------------------------- coordinates

QPoint CVScope::ValueToPoint(int x0, int x1, int y0, int y1, int x, int y) const
{
    return vscope::ValueToPoint(m_rcPlot, x0, x1, y0, y1, x, y);
}

QPoint CVScope::ValueToPointD(double x0, double x1, double y0, double y1, double x, double y) const
{
    return vscope::ValueToPointD(m_rcPlot, x0, x1, y0, y1, x, y);
}

QPoint CVScope::PointToValue(int x0, int x1, int y0, int y1, int px, int py) const
{
    return vscope::PointToValue(m_rcPlot, x0, x1, y0, y1, px, py);
}

QPointF CVScope::PointToValueD(double x0, double x1, double y0, double y1, int px, int py) const
{
    return vscope::PointToValueD(m_rcPlot, x0, x1, y0, y1, px, py);
}

// ---------------------------------------------------------------- cursor readings

void CVScope::GetCursorSamples(int &a, int &b) const
{
    const int count = GetSampleCount();
    auto at = [&](int px) {
        const int i = m_bZoomed ? vscope::HalfUp(vscope::SampleAtX(m_rcPlot, m_dViewXFirst, m_dViewXLast, px))
                                : PointToValue(m_nXFirst, m_nXLast, 0, 1, px, 0).x();
        return i >= count ? count - 1 : i;
    };
    a = at(m_nCursorX1);
    b = at(m_nCursorX2);
}

void CVScope::GetCursorXPositions(double &a, double &b) const
{
    const int count = GetSampleCount();
    auto at = [&](int px) {
        const double i = vscope::SampleAtX(m_rcPlot, m_dViewXFirst, m_dViewXLast, px);
        return i >= count ? count - 1.0 : i;
    };
    a = at(m_nCursorX1);
    b = at(m_nCursorX2);
}

void CVScope::GetCursorValues(const CChannel &c, double &a, double &b) const
{
    const double lo = m_bZoomed ? c.m_dViewMin : c.m_dMin;
    const double hi = m_bZoomed ? c.m_dViewMax : c.m_dMax;
    a = vscope::ValueAtY(m_rcPlot, lo, hi, m_nCursorY2);
    b = vscope::ValueAtY(m_rcPlot, lo, hi, m_nCursorY1);
}

void CVScope::ResetCursorPositions()
{
    CalcExtraXDivs();
    CalcLayout();
    vscope::CursorPositions(m_rcPlot, m_nCursorX1, m_nCursorX2, m_nCursorY1, m_nCursorY2);
}

// ---------------------------------------------------------------- windows and scales

void CVScope::SetXWindow(int first, int last)
{
    const int count = GetSampleCount();
    if (last > count) {
        m_nXLast = count;
        m_nXFirst = count - ((last - first) / 10) * 10;
    } else {
        m_nXFirst = first;
        m_nXLast = last;
    }
    // A window holds at least one sample step, so that nothing maps through a zero span.
    if (m_nXLast <= m_nXFirst)
        m_nXFirst = m_nXLast - 1;
    update();
}

void CVScope::SetXWindowByDivision(int samplesPerDivision)
{
    CalcExtraXDivs();
    // A time per division below the sample period still shows one sample a division.
    const int span = (10 + m_nExtraXDivs) * std::max(samplesPerDivision, 1);
    const int count = GetSampleCount();
    // A window left before the first sample (by a roll, or an empty view) starts at the
    // capture's beginning: a new capture is never drawn off-screen.
    if (m_nXFirst < 0 || m_nXFirst >= count)
        m_nXFirst = 0;
    m_nXLast = m_nXFirst + span;
    if (m_nXLast > count) {
        m_nXLast = count;
        m_nXFirst = count - span;
    }
    update();
}

void CVScope::SetCompareWindow(int n)
{
    const int m = GetCompareSampleCount();
    if (n > m) {
        m_nCmpXLast = m;
        m_nCmpXFirst = m - (n / 10) * 10;
    } else {
        m_nCmpXFirst = 0;
        m_nCmpXLast = n;
    }
    if (m_nCmpXLast <= m_nCmpXFirst)
        m_nCmpXFirst = m_nCmpXLast - 1;
    update();
}

namespace {

// Moves a window [first, last] left by n samples, never past sample 0, or right by n.
template <class T>
void ShiftWindow(T &first, T &last, T n, bool left)
{
    if (left) {
        n = -std::clamp(n, T(0), std::max(first, T(0)));
    }
    first += n;
    last += n;
}

}

void CVScope::ScrollXLeft(int n)
{
    ShiftWindow(m_bCompare ? m_nCmpXFirst : m_nXFirst, m_bCompare ? m_nCmpXLast : m_nXLast, n, true);
    update();
}

void CVScope::ScrollXRight(int n)
{
    ShiftWindow(m_bCompare ? m_nCmpXFirst : m_nXFirst, m_bCompare ? m_nCmpXLast : m_nXLast, n, false);
    update();
}

void CVScope::ScrollViewXLeft(double d)
{
    ShiftWindow(m_bCompare ? m_dCmpViewXFirst : m_dViewXFirst, m_bCompare ? m_dCmpViewXLast : m_dViewXLast, d, true);
    update();
}

void CVScope::ScrollViewXRight(int n)
{
    ShiftWindow(m_bCompare ? m_dCmpViewXFirst : m_dViewXFirst, m_bCompare ? m_dCmpViewXLast : m_dViewXLast,
                static_cast<double>(n), false);
    update();
}

void CVScope::MoveRangeDown(CChannel *c, double d)
{
    if (!c || m_bZoomed)
        return;
    c->m_dMin -= d;
    c->m_dMax -= d;
    update();
}

void CVScope::MoveRangeUp(CChannel *c, double d)
{
    MoveRangeDown(c, -d);
}

void CVScope::StepRangeDown(CChannel *c)
{
    if (!c)
        return;
    double &lo = m_bZoomed ? c->m_dViewMin : c->m_dMin;
    double &hi = m_bZoomed ? c->m_dViewMax : c->m_dMax;
    const double d = (hi - lo) / 10;
    lo -= d;
    hi -= d;
    update();
}

void CVScope::StepRangeUp(CChannel *c)
{
    if (!c)
        return;
    double &lo = m_bZoomed ? c->m_dViewMin : c->m_dMin;
    double &hi = m_bZoomed ? c->m_dViewMax : c->m_dMax;
    const double d = (hi - lo) / 10;
    lo += d;
    hi += d;
    update();
}

// ---------------------------------------------------------------- drawing

void CVScope::update()
{
    m_bBaseStale = true;
    QWidget::update();
}

void CVScope::UpdateCursors()
{
    m_bOverlayPaint = true;
    QWidget::update();
}

void CVScope::paintEvent(QPaintEvent *)
{
    QPainter dc(this);
    // Only a paint a move asked for may reuse the picture: any other (an expose, a grab, a
    // change that did not go through update()) draws everything.
    const bool overlayOnly = m_bOverlayPaint && !m_bBaseStale;
    m_bOverlayPaint = false;
    // A roll redraws everything at every frame: keeping a picture would only cost a copy.
    if (m_bRolling) {
        m_imgBase = QImage();
        m_bBaseStale = true;
        Draw(dc);
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!overlayOnly || m_imgBase.size() != pixels) {
        m_bBaseStale = false;
        m_imgBase = QImage(pixels, QImage::Format_RGB32);
        m_imgBase.setDevicePixelRatio(ratio);
        QPainter base(&m_imgBase);
        if (!DrawBase(base)) {
            base.end();
            dc.drawImage(0, 0, m_imgBase);
            return;
        }
    }
    dc.drawImage(0, 0, m_imgBase);
    dc.setFont(LabelFont());
    DrawOverlays(dc);
}

QImage CVScope::Render()
{
    QImage picture(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    QPainter dc(&picture);
    Draw(dc);
    return picture;
}

void CVScope::SaveToBmp(const QString &path)
{
    const QImage picture = Render();
    update();
    const std::unique_ptr<BITMAPINFO> info = CreateBitmapInfo(picture, this);
    if (!info)
        return;
    SaveBitmapToBmpFile(path, this, info.get(), picture);
}

void CVScope::Draw(QPainter &dc)
{
    if (DrawBase(dc))
        DrawOverlays(dc);
}

bool CVScope::DrawBase(QPainter &dc)
{
    CalcExtraXDivs();
    CalcLayout();
    dc.fillRect(R(0, 0, width(), height()), platform::ColorFromRef(m_clrBack));
    // A client too small for a plot shows only its background.
    if (m_rcPlot.IsEmpty())
        return false;
    dc.setFont(LabelFont());
    if (!m_bZoomed) {
        DrawTraces(dc);
        MaskOutsidePlot(dc);
        DrawBitTraces(dc, false);
    } else {
        DrawTracesZoomed(dc);
        MaskOutsidePlot(dc);
        DrawBitTraces(dc, true);
    }
    MaskOutsideBits(dc);
    if (!m_bZoomed) {
        if (m_bRolling)
            DrawGridRolling(dc);
        else
            DrawGrid(dc);
    } else {
        DrawGridZoomed(dc);
    }
    DrawBitMarkers(dc);
    DrawChannelNames(dc);
    DrawBitNames(dc);
    return true;
}

void CVScope::DrawOverlays(QPainter &dc)
{
    if (!m_bRolling)
        DrawCursors(dc);
    if (m_bShowCoordTip) {
        if (m_bZoomed)
            DrawCoordTipZoomed(dc);
        else
            DrawCoordTip(dc);
    }
}

void CVScope::DrawTrace(QPainter &dc, const CChannel &c, double first, double last, int i0, int i1, double lo, double hi)
{
    i0 = std::max(i0, 0);
    i1 = std::min(i1, static_cast<int>(c.m_arrData.size()) - 1);
    if (i1 < i0)
        return;
    const Rect &p = m_rcPlot;
    const double xScale = p.Width() / (last - first == 0 ? 1.0 : last - first);
    const double yScale = p.Height() / (hi - lo == 0 ? 1.0 : hi - lo);
    const double *data = c.m_arrData.data();
    auto xOf = [&](int i) { return p.left + vscope::HalfUp((i - first) * xScale); };
    auto yOf = [&](int i) { return p.bottom - vscope::HalfUp((data[i] - lo) * yScale); };
    std::vector<QPoint> points;
    if (i1 - i0 > 2 * p.Width()) {
        // Many samples a pixel column: the column's first, lowest, highest and last sample
        // cover exactly the pixels the whole polyline covers.
        vscope::ThinToColumns(i0, i1, xOf, yOf, points);
    } else {
        points.reserve(static_cast<size_t>(i1 - i0 + 1));
        for (int i = i0; i <= i1; ++i)
            points.emplace_back(xOf(i), yOf(i));
    }
    dc.setPen(QPen(platform::ColorFromRef(c.m_clrTrace), m_nTraceWidth, Qt::SolidLine));
    if (points.size() == 1)
        dc.drawPoint(points.front());
    else
        dc.drawPolyline(points.data(), static_cast<int>(points.size()));
}

void CVScope::DrawTraces(QPainter &dc)
{
    for (int k = 0; k < 4; ++k) {
        if (!Shown(m_ch[k]))
            continue;
        const int count = GetSampleCount();
        DrawTrace(dc, m_ch[k], m_nXFirst, m_nXLast, m_nXFirst, count <= m_nXLast ? count - 1 : m_nXLast,
                  m_ch[k].m_dMin, m_ch[k].m_dMax);
        if (m_bCompare) {
            const int cmpCount = GetCompareSampleCount();
            DrawTrace(dc, m_chCmp[k], m_nCmpXFirst, m_nCmpXLast, m_nCmpXFirst,
                      cmpCount <= m_nCmpXLast ? cmpCount - 1 : m_nCmpXLast, m_chCmp[k].m_dMin, m_chCmp[k].m_dMax);
        }
    }
}

void CVScope::DrawTracesZoomed(QPainter &dc)
{
    for (int k = 0; k < 4; ++k) {
        if (!Shown(m_ch[k]))
            continue;
        // Through the sample after the window's end, so that the trace reaches the edge.
        DrawTrace(dc, m_ch[k], m_dViewXFirst, m_dViewXLast, static_cast<int>(m_dViewXFirst),
                  std::min(static_cast<int>(m_dViewXLast) + 1, GetSampleCount() - 1), m_ch[k].m_dViewMin,
                  m_ch[k].m_dViewMax);
        if (m_bCompare && m_chCmp[k].m_nCount > 0)
            DrawTrace(dc, m_chCmp[k], m_dCmpViewXFirst, m_dCmpViewXLast, static_cast<int>(m_dCmpViewXFirst),
                      std::min(static_cast<int>(m_dCmpViewXLast) + 1, GetCompareSampleCount() - 1),
                      m_chCmp[k].m_dViewMin, m_chCmp[k].m_dViewMax);
    }
}

void CVScope::MaskOutsidePlot(QPainter &dc)
{
    const QColor back = platform::ColorFromRef(m_clrBack);
    const Rect &p = m_rcPlot;
    const int cy = height();
    dc.fillRect(R(0, 0, p.left, cy), back);
    dc.fillRect(R(p.right, 0, p.right + 160, cy), back);
    dc.fillRect(R(0, 0, p.right + 160, 30), back);
    dc.fillRect(R(0, p.bottom, p.right + 160, cy), back);
}

void CVScope::MaskOutsideBits(QPainter &dc)
{
    if (m_rcBits.IsEmpty())
        return;
    const QColor back = platform::ColorFromRef(m_clrBack);
    const Rect &b = m_rcBits;
    dc.fillRect(R(0, b.top, b.left, b.bottom), back);
    dc.fillRect(R(b.right, b.top, b.right + 160, b.bottom), back);
}

void CVScope::DrawBitTraces(QPainter &dc, bool zoomed)
{
    const int count = GetSampleCount();
    const double first = zoomed ? m_dViewXFirst : m_nXFirst;
    const double last = zoomed ? m_dViewXLast : m_nXLast;
    int i0, i1, stride = 1;
    if (zoomed) {
        i0 = std::max(0, static_cast<int>(m_dViewXFirst));
        i1 = static_cast<int>(m_dViewXLast) + 1;
        if (i1 >= count)
            i1 = count - 1;
    } else {
        stride = std::max((m_nXLast - m_nXFirst) / 2000, 1);
        i0 = std::max(m_nXFirst, 0);
        i1 = (m_nXLast < count ? m_nXLast : count - 1) - 1;  // the end is not drawn
    }
    i1 = std::min(i1, kChannelCapacity - 1);
    if (i1 < i0)
        return;
    const Rect &p = m_rcPlot;
    const double xScale = p.Width() / (last - first == 0 ? 1.0 : last - first);
    auto xOf = [&](int i) { return p.left + vscope::HalfUp((i - first) * xScale); };

    std::vector<QPoint> levels, steps;
    auto drawRow = [&](const CDIDOChannel &word, int row, int slot, const QColor &colour) {
        const int limit = std::min(i1, std::max(word.m_nCount - 1, -1));
        if (limit < i0)
            return;
        // The row's bit: the row-th bit shown (none: the row reads 0).
        int bit = -1;
        for (int b = 0, seen = 0; b < 16 && bit < 0; ++b)
            if (word.m_bitsShown.test(static_cast<size_t>(b)) && seen++ == row)
                bit = b;
        const int *data = word.m_arrData.data();
        auto yOf = [&](int i) {
            const int level = bit < 0 ? 0 : (data[i] >> bit) & 1;
            return m_rcBits.bottom - (level + 2 * slot) * 10 - 5;
        };
        levels.clear();
        if (stride == 1 && limit - i0 > 2 * p.Width()) {
            vscope::ThinToColumns(i0, limit, xOf, yOf, levels);
        } else {
            for (int i = i0; i <= limit; i += stride)
                levels.emplace_back(xOf(i), yOf(i));
        }
        vscope::SquareSteps(levels, steps);
        dc.setPen(QPen(colour, m_nTraceWidth, Qt::SolidLine));
        if (steps.size() == 1)
            dc.drawPoint(steps.front());
        else
            dc.drawPolyline(steps.data(), static_cast<int>(steps.size()));
    };
    auto colourOf = [](const CDIDOChannel &word, int row, const CDIDOChannel *fallback) {
        if (row < static_cast<int>(word.m_arrBitColors.size()))
            return platform::ColorFromRef(word.m_arrBitColors[static_cast<size_t>(row)]);
        // A comparison row without a colour of its own takes the live row's.
        if (fallback && row < static_cast<int>(fallback->m_arrBitColors.size()))
            return platform::ColorFromRef(fallback->m_arrBitColors[static_cast<size_t>(row)]);
        return kGrey;
    };
    const int diRows = BitRows(m_di);
    auto drawWord = [&](const CDIDOChannel &word, const CDIDOChannel &cmp, int slotBase) {
        const int rows = BitRows(word);
        for (int r = 0; r < rows; ++r) {
            drawRow(word, r, slotBase + r, colourOf(word, r, nullptr));
            if (m_bCompare && cmp.m_nCount > 0)
                drawRow(cmp, r, slotBase + r, colourOf(cmp, r, &word));
        }
    };
    drawWord(m_di, m_diCmp, 0);
    drawWord(m_do, m_doCmp, diRows);
}

void CVScope::DrawValueLabel(QPainter &dc, int channel, int y, double v, bool decimals3, int halfHeight)
{
    const Rect &p = m_rcPlot;
    // CH3 and CH4 take the inner column when their partner has none.
    const bool zoomed = m_bZoomed != 0;
    auto partner = [&](int k) { return zoomed ? Shown(m_ch[k]) : HasAxis(m_ch[k]); };
    QRect box;
    int align = Qt::AlignVCenter;
    switch (channel) {
    case 0: box = R(p.left - 80, y - halfHeight, p.left - 5, y + halfHeight); align |= Qt::AlignRight; break;
    case 1: box = R(p.right + 5, y - halfHeight, p.right + 80, y + halfHeight); align |= Qt::AlignLeft; break;
    case 2:
        box = partner(0) ? R(p.left - 160, y - halfHeight, p.left - 85, y + halfHeight)
                         : R(p.left - 80, y - halfHeight, p.left - 5, y + halfHeight);
        align |= Qt::AlignRight;
        break;
    default:
        box = partner(1) ? R(p.right + 85, y - halfHeight, p.right + 160, y + halfHeight)
                         : R(p.right + 5, y - halfHeight, p.right + 80, y + halfHeight);
        align |= Qt::AlignLeft;
        break;
    }
    dc.setPen(platform::ColorFromRef(m_ch[channel].m_clrTrace));
    dc.drawText(box, align, vscope::FormatAxisValue(v, decimals3));
}

void CVScope::DrawFrame(QPainter &dc, bool marks)
{
    const Rect &p = m_rcPlot;
    const QPen grey(kGrey, 1, Qt::SolidLine);
    const QPen red(QColor(255, 0, 0), 1, Qt::SolidLine);
    dc.setPen(grey);
    dc.drawLine(p.left, p.top, p.right, p.top);
    dc.drawLine(p.right, p.top, p.right, p.bottom);
    dc.setPen(marks && m_nHitArea == 1 ? red : grey);
    dc.drawLine(p.left, p.bottom, p.right, p.bottom);
    dc.setPen(marks && m_nHitArea == 2 ? red : grey);
    dc.drawLine(p.left, p.top, p.left, p.bottom);
}

void CVScope::DrawGrid(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    const int xDivs = 10 + m_nExtraXDivs;
    const QColor labelColour = Inverse(m_clrBack);
    for (const vscope::GridLine &line : vscope::PlainTimeGrid(m_nXFirst, m_nXLast, xDivs)) {
        const int x = ValueToPoint(m_nXFirst, m_nXLast, 0, 1, line.index, 0).x();
        dc.setPen(DotPen());
        dc.drawLine(x, 30, x, p.bottom);
        if (!m_rcBits.IsEmpty())
            dc.drawLine(x, m_rcBits.top, x, m_rcBits.bottom);
        if (line.label) {
            dc.setPen(labelColour);
            dc.drawText(R(x - 40, p.bottom + 6, x + 40, p.bottom + 40), Qt::AlignHCenter | Qt::AlignTop,
                        QString::asprintf("%.1f", line.index * m_dSamplePeriod));
        }
    }
    const int n = 10 + m_nExtraYDivs;
    const std::vector<int> rows = vscope::PlainValueRows(p, n);
    for (size_t j = 0; j < rows.size(); ++j) {
        dc.setPen(DotPen());
        dc.drawLine(p.left, rows[j], p.right, rows[j]);
        for (int k = 0; k < 4; ++k) {
            if (!HasAxis(m_ch[k]))
                continue;
            const CChannel &c = m_ch[k];
            DrawValueLabel(dc, k, rows[j], c.m_dMax - static_cast<double>(j) * (c.m_dMax - c.m_dMin) / std::max(n, 1),
                           false, 12);
        }
    }
    DrawFrame(dc, true);
}

void CVScope::DrawGridRolling(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    const QColor labelColour = Inverse(m_clrBack);
    for (const vscope::GridLine &line : vscope::RollingTimeGrid(m_nXFirst, m_nXLast)) {
        const int x = ValueToPoint(m_nXFirst, m_nXLast, 0, 1, line.index, 0).x();
        dc.setPen(DotPen());
        dc.drawLine(x, 30, x, p.bottom);
        if (!m_rcBits.IsEmpty())
            dc.drawLine(x, m_rcBits.top, x, m_rcBits.bottom);
        if (line.label) {
            dc.setPen(labelColour);
            dc.drawText(R(x - 40, p.bottom + 6, x + 40, p.bottom + 40), Qt::AlignHCenter | Qt::AlignTop,
                        QString::asprintf("%.1f", line.index * m_dSamplePeriod));
        }
    }
    const std::vector<int> rows = vscope::PlainValueRows(p, 10);
    for (size_t j = 0; j < rows.size(); ++j) {
        dc.setPen(DotPen());
        dc.drawLine(p.left, rows[j], p.right, rows[j]);
        for (int k = 0; k < 4; ++k) {
            if (!HasAxis(m_ch[k]))
                continue;
            const CChannel &c = m_ch[k];
            DrawValueLabel(dc, k, rows[j], c.m_dMax - static_cast<double>(j) * (c.m_dMax - c.m_dMin) / 10, true, 12);
        }
    }
    DrawFrame(dc, false);
}

void CVScope::DrawGridZoomed(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    const QColor labelColour = Inverse(m_clrBack);
    const int step = std::max((m_nXLast - m_nXFirst) / std::max(10 + m_nExtraXDivs, 1), 1);
    const double span = m_dViewXLast - m_dViewXFirst == 0 ? 1.0 : m_dViewXLast - m_dViewXFirst;
    for (double tick : vscope::ZoomedTicks(m_dViewXFirst, m_dViewXLast, step, true)) {
        const int x = p.left + vscope::HalfUp((tick - m_dViewXFirst) * p.Width() / span);
        dc.setPen(DotPen());
        dc.drawLine(x, 30, x, p.bottom);
        if (!m_rcBits.IsEmpty())
            dc.drawLine(x, m_rcBits.top, x, m_rcBits.bottom);
        dc.setPen(labelColour);
        dc.drawText(R(x - 30, p.bottom + 6, x + 30, p.bottom + 20), Qt::AlignHCenter | Qt::AlignTop,
                    QString::asprintf("%.1f", tick * m_dSamplePeriod));
    }

    std::vector<int> rows;
    bool first = true;
    for (int k = 0; k < 4; ++k) {
        const CChannel &c = m_ch[k];
        if (!Shown(c))
            continue;
        const double step = (c.m_dMax - c.m_dMin) / 10;
        const std::vector<double> ticks = vscope::ZoomedTicks(c.m_dViewMin, c.m_dViewMax, step, false);
        if (first) {
            first = false;
            dc.setPen(DotPen());
            for (double t : ticks) {
                const int y = ValueToPointD(0, 1, c.m_dViewMin, c.m_dViewMax, 0, t).y();
                dc.setPen(DotPen());
                dc.drawLine(p.left, y, p.right, y);
                rows.push_back(y);
                DrawValueLabel(dc, k, y, t, false, 6);
            }
            continue;
        }
        if (ticks.empty())
            continue;
        for (size_t r = 0; r < rows.size(); ++r)
            DrawValueLabel(dc, k, rows[r], ticks.front() + static_cast<double>(r) * step, false, 6);
    }
    DrawFrame(dc, true);
}

namespace {

// A bit row's colour; grey for a row the word has no colour for.
QColor BitColour(const CDIDOChannel &word, int r)
{
    return r < static_cast<int>(word.m_arrBitColors.size())
               ? platform::ColorFromRef(word.m_arrBitColors[static_cast<size_t>(r)])
               : kGrey;
}

}

void CVScope::DrawBitMarkers(QPainter &dc)
{
    if (m_rcBits.IsEmpty())
        return;
    const Rect &b = m_rcBits;
    int row = 0;
    for (const CDIDOChannel *word : {&m_di, &m_do}) {
        const int rows = BitRows(*word);
        for (int r = 0; r < rows; ++r, ++row) {
            const int y = b.bottom - 20 * row - 5;
            dc.setPen(DotPen());
            dc.drawLine(b.left, y, b.right, y);
            const QColor colour = BitColour(*word, r);
            dc.setPen(QPen(colour, 1, Qt::SolidLine));
            dc.drawLine(b.left, y, b.left - 5, y - 2);
            dc.drawLine(b.left, y, b.left - 5, y + 2);
            dc.drawLine(b.left, y, b.left - 10, y);
        }
    }
    dc.setPen(QPen(kGrey, 1, Qt::SolidLine));
    dc.setBrush(Qt::NoBrush);
    dc.drawRect(b.left, b.top, b.Width(), b.Height());
}

void CVScope::DrawBitNames(QPainter &dc)
{
    if (m_rcBits.IsEmpty())
        return;
    const Rect &b = m_rcBits;
    int row = 0;
    for (const CDIDOChannel *word : {&m_di, &m_do}) {
        const int rows = BitRows(*word);
        for (int r = 0; r < rows; ++r, ++row) {
            const int y = b.bottom - 20 * row - 5;
            const QColor colour = BitColour(*word, r);
            const QString name = r < word->m_arrBitNames.size() ? word->GetBitName(r) : QString();
            dc.setPen(colour);
            dc.drawText(R(0, y - 12, b.left - 10, y), Qt::AlignRight | Qt::AlignTop, name);
        }
    }
}

void CVScope::DrawChannelNames(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    auto draw = [&](int k, const QRect &box, int align) {
        dc.setPen(platform::ColorFromRef(m_ch[k].m_clrTrace));
        dc.drawText(box, align | Qt::AlignTop, m_ch[k].m_strName);
    };
    const QRect place1 = R(p.left, 10, p.left + 160, 25);
    const QRect place2 = R(p.right - 300, 10, p.right + 160, 25);
    if (Shown(m_ch[0]))
        draw(0, place1, Qt::AlignHCenter);
    if (Shown(m_ch[1]))
        draw(1, place2, Qt::AlignHCenter);
    if (Shown(m_ch[2])) {
        if (Shown(m_ch[0]))
            draw(2, R(5, p.bottom + 12, p.left + 165, p.bottom + 24), Qt::AlignLeft);
        else
            draw(2, place1, Qt::AlignHCenter);
    }
    if (Shown(m_ch[3])) {
        if (Shown(m_ch[1]))
            draw(3, R(p.right - 165, p.bottom + 12, p.right + 155, p.bottom + 24), Qt::AlignRight);
        else
            draw(3, place2, Qt::AlignHCenter);
    }
}

void CVScope::DrawCursors(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    dc.setBrush(Qt::NoBrush);
    auto draw = [&](const QColor &colour, const QRect &box, const QString &letter, QPoint from, QPoint to) {
        dc.setPen(QPen(colour, 1, Qt::SolidLine));
        dc.drawRect(box.adjusted(0, 0, -1, -1));
        dc.drawText(box.adjusted(1, 1, -1, -1), Qt::AlignCenter, letter);
        dc.setPen(QPen(colour, 2, Qt::SolidLine));
        dc.drawLine(from, to);
    };
    if (m_nCursorMode == 1) {
        for (int i = 0; i < 2; ++i) {
            const int x = i == 0 ? m_nCursorX1 : m_nCursorX2;
            draw(i == 0 ? kCursorA : kCursorB, R(x - 5, 12, x + 5, 29), i == 0 ? QStringLiteral("A") : QStringLiteral("B"),
                 QPoint(x, 30), QPoint(x, p.bottom));
        }
    } else if (m_nCursorMode == 2) {
        for (int i = 0; i < 2; ++i) {
            const int y = i == 0 ? m_nCursorY2 : m_nCursorY1;
            draw(i == 0 ? kCursorA : kCursorB, R(p.right + 1, y - 8, p.right + 11, y + 9),
                 i == 0 ? QStringLiteral("A") : QStringLiteral("B"), QPoint(p.left, y), QPoint(p.right, y));
        }
    }
}

void CVScope::CoordTipTexts(int sample, const QString &firstName, QStringList &names, QStringList &values) const
{
    names = QStringList{firstName};
    values = QStringList{QString::asprintf("%.1f", sample * m_dSamplePeriod)};
    for (int k = 0; k < 4; ++k) {
        if (!Shown(m_ch[k]))
            continue;
        const double v = m_ch[k].m_arrData[static_cast<size_t>(sample)];
        names << m_ch[k].m_strName + QStringLiteral(":");
        values << QString::asprintf("%.1f", v);
        if (m_bCompare && m_chCmp[k].m_nCount > 0) {
            const double w = m_chCmp[k].m_arrData[static_cast<size_t>(sample)];
            names << m_chCmp[k].m_strName + QStringLiteral(":");
            values << QString::asprintf("%.1f", w) + QString::asprintf(" △=%.1f", w - v);
        }
    }
}

void CVScope::DrawTipLines(QPainter &dc, int sample, const QString &firstName, double x)
{
    QStringList names, values;
    CoordTipTexts(sample, firstName, names, values);
    const int px = vscope::HalfUp(x);
    dc.setPen(QPen(QColor(255, 255, 0), 1, Qt::SolidLine));
    dc.drawLine(px, m_rcPlot.top, px, m_rcPlot.bottom);
    if (!m_rcBits.IsEmpty())
        dc.drawLine(px, m_rcBits.top, px, m_rcBits.bottom);
    DrawTipBox(dc, names, values, m_ptMouse);
}

void CVScope::DrawCoordTip(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    if (!(m_ptMouse.x() > p.left && m_ptMouse.x() < p.right))
        return;
    const int i = PointToValue(m_nXFirst, m_nXLast, 0, 1, m_ptMouse.x(), 0).x();
    if (i < 0 || i >= std::min(GetSampleCount(), m_nXLast))
        return;
    const double x = ValueToPointD(m_nXFirst, m_nXLast, 0, 1, i, 0).x();
    DrawTipLines(dc, i, Unformatted(LoadLangString(QStringLiteral("IDS_VScope_1"))), x);
}

void CVScope::DrawCoordTipZoomed(QPainter &dc)
{
    const Rect &p = m_rcPlot;
    if (!(m_ptMouse.x() > p.left && m_ptMouse.x() < p.right))
        return;
    const int n = vscope::HalfUp(vscope::SampleAtX(p, m_dViewXFirst, m_dViewXLast, m_ptMouse.x()));
    if (n < 0 || n >= GetSampleCount() || n > m_dViewXLast + 0.000001)
        return;
    const double span = m_dViewXLast - m_dViewXFirst == 0 ? 1.0 : m_dViewXLast - m_dViewXFirst;
    const double x = p.left + (n - m_dViewXFirst) * p.Width() / span;
    DrawTipLines(dc, n, LoadLangString(QStringLiteral("IDS_VScope_2")), x);
}

void CVScope::DrawTipBox(QPainter &dc, const QStringList &names, const QStringList &values, QPoint at)
{
    const QFontMetrics fm(dc.font());
    int wName = 0, wValue = 0;
    for (const QString &s : names)
        wName = std::max(wName, fm.horizontalAdvance(s));
    for (const QString &s : values)
        wValue = std::max(wValue, fm.horizontalAdvance(s));
    const int w = wName + 4 + wValue;
    const int lh = fm.height();
    int left = at.x() + 5;
    if (left + w > width())
        left = width() - w;
    const int top = at.y() + 20;
    const int h = lh * static_cast<int>(names.size()) + 8;
    dc.setPen(QPen(Qt::black, 1, Qt::SolidLine));
    dc.setBrush(QColor(255, 255, 210));
    dc.drawRoundedRect(QRect(left, top, w, h), 4, 4);
    dc.setBrush(Qt::NoBrush);
    for (int i = 0; i < names.size(); ++i) {
        const int y = at.y() + 25 + i * lh;
        dc.drawText(QRect(left, y, wName, lh), Qt::AlignRight | Qt::AlignTop, names[i]);
        if (i < values.size())
            dc.drawText(QRect(left + wName + 2, y, wValue + 2, lh), Qt::AlignLeft | Qt::AlignTop, values[i]);
    }
}

// ---------------------------------------------------------------- zoom

void CVScope::TakeCursorValues()
{
    if (m_nCursorMode == 1) {
        GetCursorSamples(m_nCursorSampleA, m_nCursorSampleB);
        return;
    }
    for (int k = 0; k < 4; ++k)
        if (m_ch[k].m_nCount > 0)
            GetCursorValues(m_ch[k], m_dCursorValueA[k], m_dCursorValueB[k]);
}

void CVScope::PlaceCursorsFromValues()
{
    if (m_nCursorMode == 1) {
        const double first = m_bZoomed ? m_dViewXFirst : m_nXFirst;
        const double last = m_bZoomed ? m_dViewXLast : m_nXLast;
        m_nCursorX1 = ValueToPointD(first, last, 0, 1, m_nCursorSampleA, 0).x();
        m_nCursorX2 = ValueToPointD(first, last, 0, 1, m_nCursorSampleB, 0).x();
    } else if (m_nCursorMode == 2) {
        // The last channel with samples decides.
        for (int k = 0; k < 4; ++k) {
            const CChannel &c = m_ch[k];
            if (c.m_nCount <= 0)
                continue;
            const double lo = m_bZoomed ? c.m_dViewMin : c.m_dMin;
            const double hi = m_bZoomed ? c.m_dViewMax : c.m_dMax;
            m_nCursorY2 = ValueToPointD(0, 1, lo, hi, 0, m_dCursorValueA[k]).y();
            m_nCursorY1 = ValueToPointD(0, 1, lo, hi, 0, m_dCursorValueB[k]).y();
        }
    }
}

void CVScope::SetZoomed(BOOL zoomed)
{
    const int z = zoomed ? 1 : 0;
    m_nWheelRest = 0;  // a new range starts from whole steps
    if (z == m_bZoomed)
        return;
    TakeCursorValues();
    m_bZoomed = z;
    if (z) {
        m_dViewXFirst = m_nXFirst;
        m_dViewXLast = m_nXLast;
        m_dCmpViewXFirst = m_nCmpXFirst;
        m_dCmpViewXLast = m_nCmpXLast;
        for (int k = 0; k < 4; ++k) {
            if (m_ch[k].m_nCount > 0) {
                m_ch[k].m_dViewMin = m_ch[k].m_dMin;
                m_ch[k].m_dViewMax = m_ch[k].m_dMax;
            }
            if (m_bCompare && m_chCmp[k].m_nCount > 0) {
                m_chCmp[k].m_dViewMin = m_chCmp[k].m_dMin;
                m_chCmp[k].m_dViewMax = m_chCmp[k].m_dMax;
            }
        }
        return;
    }
    ClearZoomHistory();
    m_dViewXFirst = m_dViewXLast = 0;
    m_dCmpViewXFirst = m_dCmpViewXLast = 0;
    for (CChannel &c : m_ch)
        if (c.m_nCount > 0)
            c.m_dViewMin = c.m_dViewMax = 0;
    CalcExtraXDivs();
    CalcLayout();
    PlaceCursorsFromValues();
    update();
}

void CVScope::ClearZoomHistory()
{
    for (auto &stack : m_dqZoomHistory)
        stack.clear();
}

namespace {

// The ranges at a zoom rectangle's bottom and top edges, the old range pushed first.
void ZoomRange(std::deque<std::pair<double, double>> &stack, CChannel &c, const Rect &plot, const Rect &r)
{
    stack.emplace_back(c.m_dViewMin, c.m_dViewMax);
    const double lo = vscope::ValueAtY(plot, c.m_dViewMin, c.m_dViewMax, r.bottom);
    const double hi = vscope::ValueAtY(plot, c.m_dViewMin, c.m_dViewMax, r.top);
    c.m_dViewMin = lo;
    c.m_dViewMax = hi;
}

}

void CVScope::ZoomInAt(QPoint screenPoint)
{
    if (!m_bZoomed) {
        if (m_bRolling)
            return;
        SetZoomed(1);
    }
    CalcExtraXDivs();
    CalcLayout();
    const QPoint p = mapFromGlobal(screenPoint);
    const Rect &plot = m_rcPlot;
    if (plot.IsEmpty() || p.x() < plot.left || p.x() > plot.right || p.y() < plot.top || p.y() > plot.bottom)
        return;
    const Rect r = vscope::ZoomInRect(plot, p, m_nHitArea);
    double first, last;
    vscope::MapWindow(plot, m_dViewXFirst, m_dViewXLast, r.left, r.right, first, last);
    if (last - first < vscope::kMinZoomSpan) {
        platform::Ui().MessageBox(QStringLiteral("Further zooming not possible."), QStringLiteral("Zoom In"),
                                  MB_OK | MB_ICONINFORMATION, this);
        return;
    }
    PushZoom(plot, r, first, last);
}

void CVScope::ZoomOutAt(QPoint)
{
    if (!m_bZoomed) {
        if (m_bRolling)
            return;
        SetZoomed(1);
    }
    bool empty = m_dqZoomHistory[kStackWindow].empty();
    for (int k = 0; k < 4; ++k)
        empty = empty && m_dqZoomHistory[k].empty();
    if (empty) {
        SetZoomed(0);
        if (m_bMouseZoom)
            SetZoomed(1);
        return;
    }
    CalcExtraXDivs();
    CalcLayout();
    TakeCursorValues();
    auto pop = [](std::deque<std::pair<double, double>> &stack, double &a, double &b) {
        if (stack.empty())
            return;
        a = stack.back().first;
        b = stack.back().second;
        stack.pop_back();
    };
    for (int k = 0; k < 4; ++k) {
        pop(m_dqZoomHistory[k], m_ch[k].m_dViewMin, m_ch[k].m_dViewMax);
        pop(m_dqZoomHistory[kStackCmpChannel + k], m_chCmp[k].m_dViewMin, m_chCmp[k].m_dViewMax);
    }
    pop(m_dqZoomHistory[kStackWindow], m_dViewXFirst, m_dViewXLast);
    pop(m_dqZoomHistory[kStackCmpWindow], m_dCmpViewXFirst, m_dCmpViewXLast);
    PlaceCursorsFromValues();
    update();
}

void CVScope::PushZoom(const Rect &plot, const Rect &r, double first, double last)
{
    TakeCursorValues();
    m_dqZoomHistory[kStackWindow].emplace_back(m_dViewXFirst, m_dViewXLast);
    m_dViewXFirst = first;
    m_dViewXLast = last;
    if (m_bCompare) {
        vscope::MapWindow(plot, m_dCmpViewXFirst, m_dCmpViewXLast, r.left, r.right, first, last);
        if (last - first < vscope::kMinZoomSpan) {
            platform::Ui().MessageBox(platform::TrText(QStringLiteral("无法再放大了")), QStringLiteral("Zoom In"),
                                      MB_OK | MB_ICONINFORMATION, this);
        } else {
            m_dqZoomHistory[kStackCmpWindow].emplace_back(m_dCmpViewXFirst, m_dCmpViewXLast);
            m_dCmpViewXFirst = first;
            m_dCmpViewXLast = last;
        }
    }
    for (int k = 0; k < 4; ++k) {
        if (m_ch[k].m_nCount <= 0)
            continue;
        ZoomRange(m_dqZoomHistory[k], m_ch[k], plot, r);
        if (m_chCmp[k].m_nCount > 0)
            ZoomRange(m_dqZoomHistory[kStackCmpChannel + k], m_chCmp[k], plot, r);
    }
    PlaceCursorsFromValues();
    AlignChannelGrids();
    update();
}

bool CVScope::ZoomToRect(const Rect &rect)
{
    if (!m_bZoomed) {
        if (m_bRolling)
            return false;
        SetZoomed(1);
    }
    CalcExtraXDivs();
    CalcLayout();
    const Rect r = rect.Normalized();
    const Rect &plot = m_rcPlot;
    double first, last;
    vscope::MapWindow(plot, m_dViewXFirst, m_dViewXLast, r.left, r.right, first, last);
    if (last - first < vscope::kMinZoomSpan) {
        platform::Ui().MessageBox(platform::TrText(QStringLiteral("无法再放大了")), QStringLiteral("Zoom In"), MB_OK | MB_ICONINFORMATION,
                                  this);
        return false;
    }
    // Kept on the zoom stacks like a wheel step, so that a zoom-out step undoes it.
    PushZoom(plot, r, first, last);
    return true;
}

void CVScope::AlignChannelGrids()
{
    std::vector<vscope::AxisRange> ranges;
    std::vector<CChannel *> shown;
    for (CChannel &c : m_ch) {
        if (!Shown(c))
            continue;
        shown.push_back(&c);
        ranges.push_back(vscope::AxisRange{c.m_dMin, c.m_dMax, c.m_dViewMin, c.m_dViewMax});
    }
    vscope::AlignGrids(ranges);
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i]->m_dViewMin = ranges[i].viewMin;
        shown[i]->m_dViewMax = ranges[i].viewMax;
    }
}

CChannel *CVScope::HitTestTrace() const
{
    return HitTestTraceAt(m_ptMouse);
}

CChannel *CVScope::HitTestTraceAt(QPoint point) const
{
    const Rect &p = m_rcPlot;
    if (m_bZoomed || !(point.x() > p.left && point.x() < p.right))
        return nullptr;
    const int n = PointToValue(m_nXFirst, m_nXLast, 0, 1, point.x(), 0).x();
    if (n < 0 || n >= std::min(m_nXLast, GetSampleCount()))
        return nullptr;
    CChannel *best = nullptr;
    int bestDistance = 10;
    auto consider = [&](CChannel &c) {
        if (n >= c.m_nCount)  // no sample there to grab
            return;
        const int y = ValueToPointD(m_nXFirst, m_nXLast, c.m_dMin, c.m_dMax, n, c.m_arrData[static_cast<size_t>(n)]).y();
        const int d = std::abs(y - point.y());
        if (d < bestDistance) {
            bestDistance = d;
            best = &c;
        }
    };
    auto *self = const_cast<CVScope *>(this);
    for (CChannel &c : self->m_ch)
        consider(c);
    for (CChannel &c : self->m_chCmp)
        consider(c);
    return best;
}

// ---------------------------------------------------------------- mouse

WPARAM CVScope::KeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
{
    WPARAM f = 0;
    if (buttons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        f |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        f |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        f |= MK_CONTROL;
    return f;
}

void CVScope::Notify(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (QWidget *parent = parentWidget())
        platform::SendMessage(platform::WindowRef(static_cast<QObject *>(parent)), msg, wParam, lParam);
}

void CVScope::mousePressEvent(QMouseEvent *event)
{
    const QPoint p = event->position().toPoint();
    const WPARAM flags = KeyFlags(event->buttons(), event->modifiers());
    if (event->button() == Qt::LeftButton)
        OnLButtonDown(flags, p);
    else if (event->button() == Qt::RightButton)
        OnRButtonDown(flags, p);
}

void CVScope::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonUp(KeyFlags(event->buttons(), event->modifiers()), event->position().toPoint());
}

void CVScope::mouseMoveEvent(QMouseEvent *event)
{
    OnMouseMove(KeyFlags(event->buttons(), event->modifiers()), event->position().toPoint());
}

void CVScope::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        OnLButtonDblClk(KeyFlags(event->buttons(), event->modifiers()), event->position().toPoint());
}

void CVScope::wheelEvent(QWheelEvent *event)
{
    OnMouseWheel(KeyFlags(event->buttons(), event->modifiers()), event->angleDelta().y(),
                 event->globalPosition().toPoint());
    event->accept();
}

void CVScope::leaveEvent(QEvent *event)
{
    OnMouseLeave();
    QWidget::leaveEvent(event);
}

void CVScope::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && m_pRubber) {
        delete m_pRubber;  // a cancelled rubber band zooms nothing
        m_pRubber = nullptr;
        return;
    }
    QWidget::keyPressEvent(event);
}

void CVScope::OnLButtonDown(WPARAM, QPoint point)
{
    CalcExtraXDivs();
    CalcLayout();
    const Rect &p = m_rcPlot;
    m_nHitArea = point.x() < p.left ? 2 : point.y() > p.bottom ? 1 : 0;
    auto near = [](int v, int at) { return at - 10 < v && v < at + 10; };
    m_nDragCursor = 0;
    if (m_nCursorMode == 1) {
        if (near(point.x(), m_nCursorX1))
            m_nDragCursor = 1;
        else if (near(point.x(), m_nCursorX2))
            m_nDragCursor = 2;
    } else if (m_nCursorMode == 2) {
        if (near(point.y(), m_nCursorY1))
            m_nDragCursor = 3;
        else if (near(point.y(), m_nCursorY2))
            m_nDragCursor = 4;
    }
    if (!m_bMouseZoom) {
        m_bLButtonDown = 1;
        m_ptDown = m_ptLast = point;
        if (m_nGrabbedTrace) {
            m_dDownMin = m_nGrabbedTrace->m_dMin;
            m_dDownMax = m_nGrabbedTrace->m_dMax;
        }
        if (m_bZoomed) {
            m_dDownFirst = m_bCompare ? m_dCmpViewXFirst : m_dViewXFirst;
            m_dDownLast = m_bCompare ? m_dCmpViewXLast : m_dViewXLast;
        } else {
            m_dDownFirst = m_bCompare ? m_nCmpXFirst : m_nXFirst;
            m_dDownLast = m_bCompare ? m_nCmpXLast : m_nXLast;
        }
    } else if (m_nDragCursor == 0) {
        ZoomRubberBand(point);
    }
    update();
}

void CVScope::ZoomRubberBand(QPoint point)
{
    delete m_pRubber;
    m_pRubber = new QRubberBand(QRubberBand::Rectangle, this);
    m_ptRubberStart = point;
    m_pRubber->setGeometry(QRect(point, QSize()));
    m_pRubber->show();
}

void CVScope::FinishRubberBand(QPoint point)
{
    delete m_pRubber;
    m_pRubber = nullptr;
    const Rect r = Rect{m_ptRubberStart.x(), m_ptRubberStart.y(), point.x(), point.y()}.Normalized();
    // A band released below 20 x 20 pixels zooms nothing.
    if (r.Width() < 20 || r.Height() < 20)
        return;
    ZoomToRect(r);
    if (m_nCursorMode == 1 || m_nCursorMode == 2)
        Notify(UM_VSCOPE_NOTIFY);
}

void CVScope::OnLButtonUp(WPARAM flags, QPoint point)
{
    if (m_pRubber)
        FinishRubberBand(point);
    m_bLButtonDown = 0;
    m_nDragCursor = 0;
    m_nGrabbedTrace = nullptr;
    m_ptLast = QPoint(0, 0);
    QPoint at = point;
    Notify(UM_VSCOPE_LCLICK, flags, reinterpret_cast<LPARAM>(&at));
}

void CVScope::DragCursor(QPoint point)
{
    const Rect &p = m_rcPlot;
    const bool locked = m_bCursorsLocked != 0;
    switch (m_nDragCursor) {
    case 1: vscope::DragCursorPair(m_nCursorX1, m_nCursorX2, point.x(), p.left, p.right, locked); break;
    case 2: vscope::DragCursorPair(m_nCursorX2, m_nCursorX1, point.x(), p.left, p.right, locked); break;
    case 3: vscope::DragCursorPair(m_nCursorY1, m_nCursorY2, point.y(), p.top, p.bottom, locked); break;
    case 4: vscope::DragCursorPair(m_nCursorY2, m_nCursorY1, point.y(), p.top, p.bottom, locked); break;
    default: break;
    }
}

void CVScope::OnMouseMove(WPARAM, QPoint point)
{
    if (m_pRubber) {
        m_pRubber->setGeometry(QRect(m_ptRubberStart, point).normalized());
        return;
    }
    DragCursor(point);
    // One paint per move, however many parties ask for it; it redraws only the cursors and the
    // tip unless a party changed the view meanwhile (its update() asks for all of it).
    const bool cursorMoved = m_nCursorMode != 0 && m_nDragCursor != 0;
    if (cursorMoved)
        Notify(UM_VSCOPE_NOTIFY);
    if (m_bShowCoordTip)
        m_ptMouse = point.x() > m_rcPlot.left && point.x() < m_rcPlot.right ? point : QPoint(-1, -1);
    if (cursorMoved || m_bShowCoordTip)
        UpdateCursors();
    m_bTrackingLeave = 1;
    if (m_nDragCursor == 0)
        TrackMouseDrag(point);
}

void CVScope::TrackMouseDrag(QPoint point)
{
    setCursor(Qt::ArrowCursor);
    const Rect &p = m_rcPlot;
    if (!(point.x() > p.left && point.x() < p.right))
        return;
    if (!m_bLButtonDown) {
        m_nGrabbedTrace = HitTestTraceAt(point);
        if (m_nGrabbedTrace) {
            setCursor(Qt::PointingHandCursor);
            m_dDownMin = m_nGrabbedTrace->m_dMin;
            m_dDownMax = m_nGrabbedTrace->m_dMax;
        }
    } else if (m_nGrabbedTrace) {
        if (!m_bZoomed && p.Height() > 0) {
            const double k = (m_nGrabbedTrace->m_dMax - m_nGrabbedTrace->m_dMin) / p.Height();
            const double targetMin = m_dDownMin - (m_ptDown.y() - point.y()) * k;
            const double d = m_nGrabbedTrace->m_dMin - targetMin;
            if (d > 0)
                MoveRangeDown(m_nGrabbedTrace, d);
            else if (d < 0)
                MoveRangeUp(m_nGrabbedTrace, -d);
        }
    } else if (m_nDragCursor == 0 && p.Width() > 0) {
        const double k = (m_dDownLast - m_dDownFirst) / p.Width();
        const double shift = (point.x() - m_ptDown.x()) * k;  // toward earlier samples
        if (m_bZoomed) {
            const double now = m_bCompare ? m_dCmpViewXFirst : m_dViewXFirst;
            const double d = now - (m_dDownFirst - shift);
            if (d > 0)
                ScrollViewXLeft(d);
            else if (d <= -1)
                ScrollViewXRight(static_cast<int>(-d));
        } else {
            const int now = m_bCompare ? m_nCmpXFirst : m_nXFirst;
            const int d = now - static_cast<int>(std::lround(m_dDownFirst - shift));
            if (d > 0)
                ScrollXLeft(d);
            else if (d < 0)
                ScrollXRight(-d);
        }
    }
    m_ptLast = point;
}

void CVScope::OnMouseLeave()
{
    m_bTrackingLeave = 0;
    m_bLButtonDown = 0;
    m_nGrabbedTrace = nullptr;
    m_ptLast = QPoint(0, 0);
}

void CVScope::OnRButtonDown(WPARAM flags, QPoint point)
{
    QPoint at = point;
    Notify(UM_VSCOPE_RCLICK, flags, reinterpret_cast<LPARAM>(&at));
}

void CVScope::OnMouseWheel(WPARAM, int delta, QPoint screenPoint)
{
    // A sideways scroll (delta 0) zooms nothing; a touchpad's small deltas add up to one step
    // per notch of 120, as a wheel's.
    if (delta == 0)
        return;
    if ((delta > 0) != (m_nWheelRest > 0))
        m_nWheelRest = 0;
    m_nWheelRest += delta;
    while (m_nWheelRest >= kWheelNotch) {
        m_nWheelRest -= kWheelNotch;
        ZoomInAt(screenPoint);
    }
    while (m_nWheelRest <= -kWheelNotch) {
        m_nWheelRest += kWheelNotch;
        ZoomOutAt(screenPoint);
    }
}

void CVScope::OnLButtonDblClk(WPARAM, QPoint)
{
    if (!m_bZoomed)
        return;
    SetZoomed(0);
    if (m_bMouseZoom)
        SetZoomed(1);
}
