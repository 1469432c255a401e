#pragma once
// Diagram shapes that host a live control: the shape draws its body and text lines, and keeps a
// real edit box or combo box (a proxy widget child of the shape) on its control rectangle while
// the diagram is drawn, scrolled or rebuilt.
//
//   CBCGPDiagramControlObject            the hosting machinery; hosts nothing itself
//     CBCGPComboboxDiagramControlObject  a drop-down list (the mode selector)
//     CBCGPEditDiagramControlObject      a plain edit box
//       CMyEditDiagramControlObject      a whole-number edit box and one text rectangle per line
//                                        (the parameter box)
//
// Where the control goes is worked out by two pure functions, ControlRectOf and
// ControlWindowRect, which the shapes call with their own state.
#include "DiagramScene.h"

#include <QPointer>
#include <QRect>
#include <QVector>

#include <optional>

class QGraphicsProxyWidget;
class QWidget;

// Notification codes a hosted control sends to the window that shows the diagram.
constexpr int CBN_SELCHANGE = 1;     // the user picked another entry
constexpr int EN_CHANGE = 0x0300;    // the text changed
constexpr int EN_COMMIT = 0x0F01;    // Enter, or the box was left with a changed text

// What receives the hosted controls' notifications (the diagram container).
class IDiagramControlSink
{
public:
    virtual ~IDiagramControlSink() = default;
    virtual void OnControlNotify(int id, int code) = 0;
};

// Space around a hosted control, in unscaled diagram units.
struct ControlMargins
{
    double top = 2.0;
    double bottom = 2.0;
    double left = 0.0;
    double right = 0.0;
};

enum class HostedKind { None, Combo, Edit };

// Where a shape's control goes (its control rectangle), in diagram units.
//   textHeights    the height of each text line of the shape
//   ownTextRects   how many text rectangles of its own the shape has; -1 for shapes that
//                  have none (everything but the parameter box)
// Text lines stacked from the top push the control down; a parameter box whose text
// rectangles match its lines keeps the control within its margins instead.
QRectF ControlRectOf(const QRectF &shape, double scaleX, double scaleY, bool showControl,
                     const ControlMargins &m, const QVector<double> &textHeights, int ownTextRects);

// The control window's rectangle (x, y, width, height in whole pixels) for a control rectangle,
// the diagram's scroll offset and the shape's margins. A combo box keeps its own height
// (comboHeight) and is centred in the rectangle, never above its top; an edit box gives back half
// of each vertical margin, truncated to whole pixels.
QRect ControlWindowRect(HostedKind kind, const QRectF &controlRect, const QPointF &scrollOffset,
                        const ControlMargins &m, int comboHeight);

class CBCGPDiagramControlObject : public DiagramShape
{
public:
    CBCGPDiagramControlObject();
    CBCGPDiagramControlObject(const QRectF &rect, const QColor &fill, const QColor &outline,
                              const QColor &shadow);
    ~CBCGPDiagramControlObject() override;

    // Where the control goes; `measure` measures the text lines now, else their last sizes.
    virtual QRectF GetControlRect(bool measure = false) const;
    // Makes the control widget at the rectangle, with the id, its notifications going to
    // `parent` (the diagram's window). Hosts nothing here: null.
    virtual QWidget *CreateControl(const QRect &rect, int id, QWidget *parent);
    // The hosted control, created on first use once the shape is in a shown diagram; null
    // before.
    QWidget *GetControl();
    // Moves the control onto the shape.
    virtual void UpdateControlPosition();

    void SetDirty(bool dirty, bool redraw) override;
    // The diagram's scroll offset, for the control's window position.
    void SetScrollOffset(const QPointF &pt);

    // The control's font is made anew at the next draw.
    void ResetControlFont() { m_fontControl.reset(); }
    virtual HostedKind GetHostedKind() const { return HostedKind::None; }
    QGraphicsProxyWidget *ControlProxy() const { return m_pProxy; }

    bool m_bShowControl = true;
    double m_dblMarginTop = 2.0;
    double m_dblMarginBottom = 2.0;
    double m_dblMarginLeft = 0.0;
    double m_dblMarginRight = 0.0;
    DiagramTextFormat m_textFormatControl;

protected:
    void OnDraw(QPainter *p, const QRectF &clip) override;
    void OnRectChanged(const QRectF &oldRect) override;
    void OnAddToContainer(DiagramScene *scene) override;
    void DrawTextData(QPainter *p, const QRectF &clip) override;

    ControlMargins Margins() const;
    QVector<double> TextHeights(bool measure) const;
    void DrawStackedTexts(QPainter *p, const QRectF &clip);

    QString m_strPrompt;  // shown by nothing in this program
    QPointF m_ptScrollOffset;

private:
    QPointer<QWidget> m_pWndControl;
    QGraphicsProxyWidget *m_pProxy = nullptr;
    std::optional<QFont> m_fontControl;
    bool m_bPlacing = false;
};

class CBCGPComboboxDiagramControlObject : public CBCGPDiagramControlObject
{
public:
    using CBCGPDiagramControlObject::CBCGPDiagramControlObject;
    QWidget *CreateControl(const QRect &rect, int id, QWidget *parent) override;
    HostedKind GetHostedKind() const override { return HostedKind::Combo; }
};

class CBCGPEditDiagramControlObject : public CBCGPDiagramControlObject
{
public:
    using CBCGPDiagramControlObject::CBCGPDiagramControlObject;
    QWidget *CreateControl(const QRect &rect, int id, QWidget *parent) override;
    HostedKind GetHostedKind() const override { return HostedKind::Edit; }
};

class CMyEditDiagramControlObject : public CBCGPEditDiagramControlObject
{
public:
    CMyEditDiagramControlObject() = default;
    CMyEditDiagramControlObject(const QRectF &rect, const QColor &fill, const QColor &outline,
                                const QColor &shadow)
        : CBCGPEditDiagramControlObject(rect, fill, outline, shadow)
    {
    }

    void AddTextRect(const QRectF &rect) { m_arTextRects.append(rect); }
    void SetTextRect(int i, const QRectF &rect)
    {
        if (i >= 0 && i < m_arTextRects.size())
            m_arTextRects[i] = rect;
    }
    const QVector<QRectF> &TextRects() const { return m_arTextRects; }

    QRectF GetControlRect(bool measure = false) const override;
    QWidget *CreateControl(const QRect &rect, int id, QWidget *parent) override;

protected:
    void DrawTextData(QPainter *p, const QRectF &clip) override;

private:
    QVector<QRectF> m_arTextRects;
};
