#include "BCGPDiagramControlObject.h"

#include "DiagramStyle.h"
#include "controls/EditDoubleNum.h"
#include "platform/ControlId.h"

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGraphicsProxyWidget>
#include <QLineEdit>
#include <QPainter>

#include <algorithm>
#include <cmath>

using namespace diagram_style;

namespace {

double ScaleOf(double sx, double sy)
{
    return sx == sy ? sx : (sx + sy) / 2.0;
}

// Whole-number edges, truncated as a rectangle of doubles becomes one of pixels.
struct IntEdges
{
    int left, top, right, bottom;
};

IntEdges Truncate(const QRectF &r)
{
    return {static_cast<int>(r.left()), static_cast<int>(r.top()), static_cast<int>(r.right()),
            static_cast<int>(r.bottom())};
}

void NotifySink(QWidget *parent, int id, int code)
{
    if (auto *sink = dynamic_cast<IDiagramControlSink *>(parent))
        sink->OnControlNotify(id, code);
}

void ConnectEdit(QLineEdit *edit, int id, QWidget *parent)
{
    QPointer<QWidget> owner(parent);
    QObject::connect(edit, &QLineEdit::textChanged, edit, [owner, id](const QString &) {
        NotifySink(owner, id, EN_CHANGE);
    });
    QObject::connect(edit, &QLineEdit::editingFinished, edit, [owner, id] {
        NotifySink(owner, id, EN_COMMIT);
    });
}

DiagramTextFormat DefaultGuiFormat()
{
    const QFont f = QApplication::font();
    DiagramTextFormat fmt;
    fmt.family = f.family();
    fmt.size = QFontInfo(f).pixelSize();
    fmt.weight = f.weight();
    return fmt;
}

}

// ---- pure geometry --------------------------------------------------------------------------

QRectF ControlRectOf(const QRectF &shape, double scaleX, double scaleY, bool showControl,
                     const ControlMargins &m, const QVector<double> &textHeights, int ownTextRects)
{
    if (!showControl)
        return QRectF(QPointF(0, 0), QPointF(0, 0));
    const double s = ScaleOf(scaleX, scaleY);
    const double l = shape.left() + m.left * s;
    const double r = shape.right() - m.right * s;
    if (ownTextRects > 0 && ownTextRects == textHeights.size())
        return QRectF(QPointF(l, shape.top() + m.top * s), QPointF(r, shape.bottom() - m.bottom * s));
    double y = shape.top();
    for (double h : textHeights)
        y += h + (m.top + m.bottom) * s;
    return QRectF(QPointF(l, y), QPointF(r, shape.bottom()));
}

QRect ControlWindowRect(HostedKind kind, const QRectF &controlRect, const QPointF &scrollOffset,
                        const ControlMargins &m, int comboHeight)
{
    IntEdges r = Truncate(controlRect);
    const int dx = -static_cast<int>(scrollOffset.x());
    const int dy = -static_cast<int>(scrollOffset.y());
    r = {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    switch (kind) {
    case HostedKind::Combo:
        if (comboHeight >= 0)
            return QRect(r.left, r.top + std::max(0, height - comboHeight) / 2, width, comboHeight);
        break;
    case HostedKind::Edit: {
        const int top = r.top + static_cast<int>(m.top * 0.5);
        const int bottom = r.bottom + static_cast<int>(-m.bottom * 0.5);
        return QRect(r.left, top, width, bottom - top);
    }
    case HostedKind::None:
        break;
    }
    return QRect(r.left, r.top, width, height);
}

// ---- the hosting shape ------------------------------------------------------------------------

CBCGPDiagramControlObject::CBCGPDiagramControlObject() = default;

CBCGPDiagramControlObject::CBCGPDiagramControlObject(const QRectF &rect, const QColor &fill,
                                                     const QColor &outline, const QColor &shadow)
    : DiagramShape(rect, fill, outline, kBox, shadow)
{
}

CBCGPDiagramControlObject::~CBCGPDiagramControlObject()
{
    // The proxy is a child item and goes with the shape; it deletes the widget. Deleting it
    // here first keeps the widget from outliving the shape's own members.
    delete m_pProxy;
    m_pProxy = nullptr;
}

ControlMargins CBCGPDiagramControlObject::Margins() const
{
    return {m_dblMarginTop, m_dblMarginBottom, m_dblMarginLeft, m_dblMarginRight};
}

QVector<double> CBCGPDiagramControlObject::TextHeights(bool measure) const
{
    QVector<double> heights;
    for (int i = 0; i < GetTextCount(); ++i) {
        const DiagramText *t = GetTextData(i);
        heights.append(measure ? t->Measure().height() : t->GetSize().height());
    }
    return heights;
}

QRectF CBCGPDiagramControlObject::GetControlRect(bool measure) const
{
    return ControlRectOf(GetRect(), ScaleX(), ScaleY(), m_bShowControl, Margins(),
                         TextHeights(measure), -1);
}

QWidget *CBCGPDiagramControlObject::CreateControl(const QRect &, int, QWidget *)
{
    return nullptr;
}

QWidget *CBCGPDiagramControlObject::GetControl()
{
    if (m_pWndControl)
        return m_pWndControl;
    DiagramScene *scene = Container();
    if (!scene || !scene->Owner())
        return m_pWndControl;
    const IntEdges e = Truncate(GetRect());
    QWidget *w = CreateControl(QRect(e.left, e.top, e.right - e.left, e.bottom - e.top), GetID(),
                               scene->Owner());
    if (!w)
        return nullptr;
    m_pWndControl = w;
    m_pProxy = new QGraphicsProxyWidget(this);
    m_pProxy->setZValue(kControlZ);
    m_pProxy->setWidget(w);
    m_pProxy->setGeometry(QRectF(w->geometry()));
    if (m_textFormatControl.IsEmpty()) {
        m_textFormatControl = DefaultGuiFormat();
        m_fontControl.reset();
        SetDirty(true, false);
    }
    SetDirty(true, true);
    return m_pWndControl;
}

void CBCGPDiagramControlObject::UpdateControlPosition()
{
    if (m_bPlacing)
        return;
    QWidget *w = GetControl();
    if (!w || !m_pProxy)
        return;
    m_bPlacing = true;
    const QRect r = ControlWindowRect(GetHostedKind(), GetControlRect(false), m_ptScrollOffset,
                                      Margins(), GetHostedKind() == HostedKind::Combo ? w->height() : -1);
    m_pProxy->setGeometry(QRectF(r));
    m_bPlacing = false;
    SetDirty(false, false);
}

void CBCGPDiagramControlObject::SetDirty(bool dirty, bool redraw)
{
    const bool changed = dirty != IsDirty();
    DiagramShape::SetDirty(dirty, redraw);
    if (changed)
        UpdateControlPosition();
}

void CBCGPDiagramControlObject::SetScrollOffset(const QPointF &pt)
{
    m_ptScrollOffset = pt;
    UpdateControlPosition();
}

void CBCGPDiagramControlObject::OnRectChanged(const QRectF &)
{
    UpdateControlPosition();
}

void CBCGPDiagramControlObject::OnAddToContainer(DiagramScene *)
{
    UpdateControlPosition();
}

void CBCGPDiagramControlObject::OnDraw(QPainter *p, const QRectF &clip)
{
    DrawBody(p, kShadowDepth);
    DrawTextData(p, clip);
    if (!m_fontControl) {
        const DiagramTextFormat fmt = m_textFormatControl.family.isEmpty() ? DefaultGuiFormat()
                                                                           : m_textFormatControl;
        m_fontControl = fmt.ToFont();
        if (m_pWndControl)
            m_pWndControl->setFont(*m_fontControl);
        const bool dirty = IsDirty();
        UpdateControlPosition();
        DiagramShape::SetDirty(dirty, false);
    }
}

void CBCGPDiagramControlObject::DrawStackedTexts(QPainter *p, const QRectF &clip)
{
    const QRectF rect = GetRect();
    if (!rect.intersects(clip))
        return;
    const double s = Scale();
    const QRectF visible = rect.intersected(clip);
    double y = rect.top();
    for (DiagramText &t : m_texts) {
        const QSizeF size = t.Measure();
        t.SetSize(size);
        if (!m_bShowControl) {
            t.Draw(p, rect, visible);
            continue;
        }
        const double band = size.height() + (m_dblMarginTop + m_dblMarginBottom) * s;
        t.Draw(p, QRectF(QPointF(rect.left() + m_dblMarginLeft * s, y),
                         QPointF(rect.right() - m_dblMarginRight * s, y + band)),
               visible);
        y += band;
    }
}

void CBCGPDiagramControlObject::DrawTextData(QPainter *p, const QRectF &clip)
{
    DrawStackedTexts(p, clip);
}

// ---- combo box and edit boxes ------------------------------------------------------------------

QWidget *CBCGPComboboxDiagramControlObject::CreateControl(const QRect &rect, int id, QWidget *parent)
{
    auto *combo = new QComboBox;
    platform::SetCtrlId(combo, id);
    // A drop-down list keeps the height of one line whatever rectangle it is given.
    combo->setGeometry(rect.x(), rect.y(), rect.width(), combo->sizeHint().height());
    QPointer<QWidget> owner(parent);
    QObject::connect(combo, &QComboBox::activated, combo, [owner, id](int) {
        NotifySink(owner, id, CBN_SELCHANGE);
    });
    return combo;
}

QWidget *CBCGPEditDiagramControlObject::CreateControl(const QRect &rect, int id, QWidget *parent)
{
    auto *edit = new QLineEdit;
    platform::SetCtrlId(edit, id);
    edit->setGeometry(rect);
    edit->setPlaceholderText(m_strPrompt);
    ConnectEdit(edit, id, parent);
    return edit;
}

QRectF CMyEditDiagramControlObject::GetControlRect(bool measure) const
{
    return ControlRectOf(GetRect(), ScaleX(), ScaleY(), m_bShowControl, Margins(),
                         TextHeights(measure), static_cast<int>(m_arTextRects.size()));
}

QWidget *CMyEditDiagramControlObject::CreateControl(const QRect &rect, int id, QWidget *parent)
{
    auto *edit = new CEditDoubleNum;
    edit->m_nMaxLen = 12;
    edit->m_nDecimals = 0;
    platform::SetCtrlId(edit, id);
    edit->setGeometry(rect);
    edit->setPlaceholderText(m_strPrompt);
    ConnectEdit(edit, id, parent);
    return edit;
}

void CMyEditDiagramControlObject::DrawTextData(QPainter *p, const QRectF &clip)
{
    if (m_arTextRects.isEmpty() || m_arTextRects.size() != m_texts.size()) {
        DrawStackedTexts(p, clip);
        return;
    }
    for (qsizetype i = 0; i < m_texts.size(); ++i) {
        m_texts[i].SetSize(m_texts[i].Measure());
        m_texts[i].Draw(p, m_arTextRects[i], m_arTextRects[i]);
    }
}
