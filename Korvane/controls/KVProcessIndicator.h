#pragma once
// A big round button drawn as a circular progress indicator: it tells its parent when a mouse
// button goes down on it (UM_BUTTON_PRESSED) and comes up on it (UM_BUTTON_RELEASED), shows a
// label in its centre, and turns a marquee while its owner says something runs.
//
// Hold-to-run owners (a motor runs while the button is held) set m_bHoldToRun: after a press on
// it, the release is reported wherever the pointer is, and also when the button loses the
// focus, the mouse or its window, or is hidden, so that nothing keeps running unattended.
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QColor>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

// The indicator's look, as eight 32-bit words in this order.
struct CircularProgressIndicatorOptions
{
    int m_nShape = 0;             // 0 thin ring, 1 thick ring
    int m_nRingPercent = 12;      // ring width in percent of the radius (thin ring)
    int m_nMarqueeStep = 6;       // degrees the marquee turns per frame
    int m_nMarqueeArc = 90;       // degrees each marquee arc covers
    int m_nMarqueeArcs = 1;       // arcs turning together (0 counts as 1)
    int m_bHideCenterText = 0;    // hides text sub-gauge 0
    int m_bHideTexts = 0;         // hides every text sub-gauge
    int m_bCounterClockwise = 0;  // the marquee turns the other way
};

// One text drawn over the indicator.
struct IndicatorTextGauge
{
    QString text;
    QRectF rect;
    bool visible = true;
    double fontSize = 0.0;  // pixels
    int vAlign = 2;         // 0 top (leading), 1 bottom (trailing), 2 centre
    QColor colour;
};

// The drawing object: ring, marquee and text sub-gauges (0: the centre text, 1: the label).
class CCircularProgressIndicatorImpl : public QObject
{
public:
    CCircularProgressIndicatorImpl();
    ~CCircularProgressIndicatorImpl() override;

    const CircularProgressIndicatorOptions &GetOptions() const { return m_options; }
    void SetOptions(const CircularProgressIndicatorOptions &options, bool redraw = true);
    void StartMarquee(BOOL start, double reserved = 0.0);
    bool IsMarqueeRunning() const { return m_timer.isActive(); }
    void SetCenterText(const QString &text, bool redraw = true);
    QString GetCenterText() const { return m_strCenterText; }
    // A gauge's progress: the share of the ring from the top, clockwise, filled in green.
    void SetRange(double lo, double hi);
    void SetPos(double pos, bool redraw = true);
    double GetPos() const { return m_dPos; }

    void SetFrameRect(const QRectF &rc);
    QRectF GetFrameRect() const { return m_rcFrame; }
    // Width of each scale (ring); the indicator has one.
    std::vector<double> &Scales() { return m_scales; }
    std::vector<IndicatorTextGauge> &SubGauges() { return m_subGauges; }
    const std::vector<IndicatorTextGauge> &SubGauges() const { return m_subGauges; }

    // Marks the picture changed; with redraw the host repaints. Counts the redraws asked for.
    void SetDirty(bool dirty = true, bool redraw = false);
    int RedrawCount() const { return m_nRedraws; }
    void SetRedrawHandler(std::function<void()> f) { m_redraw = std::move(f); }

    // Places the text sub-gauges in the frame.
    virtual int ReposAllSubGauges();
    void Draw(QPainter &p);

protected:
    CircularProgressIndicatorOptions m_options;
    QString m_strCenterText;
    QRectF m_rcFrame;
    std::vector<double> m_scales{10.0};
    std::vector<IndicatorTextGauge> m_subGauges;
    bool m_bDirty = true;
    double m_dLo = 0.0;
    double m_dHi = 100.0;
    double m_dPos = 0.0;

private:
    void Tick();
    QTimer m_timer;
    double m_dAngle = 90.0;
    int m_nRedraws = 0;
    std::function<void()> m_redraw;
};

class CKVCircularProgressIndicatorImpl : public CCircularProgressIndicatorImpl
{
public:
    CKVCircularProgressIndicatorImpl();
    // Nothing when the text is the label already; else shows it in sub-gauge 1 and redraws.
    void SetLabel(const QString &text);
    QString GetLabel() const { return m_strLabel; }
    int ReposAllSubGauges() override;

private:
    QString m_strLabel;
    QColor m_brLabel{40, 40, 40};
};

class CKVProcessIndicator : public QWidget, public platform::MessageTarget
{
public:
    explicit CKVProcessIndicator(QWidget *parent = nullptr);
    ~CKVProcessIndicator() override;

    // The drawing object, made on first request and owned by the control.
    CKVCircularProgressIndicatorImpl *GetIndicatorImpl();
    void SetLabel(const QString &text) { GetIndicatorImpl()->SetLabel(text); }

    // Button number and point in client coordinates; answer as the messages describe.
    BOOL OnMouseDown(int button, const QPointF &pt);
    BOOL OnMouseUp(int button, const QPointF &pt);

    bool m_bHoldToRun = false;
    // Only the left button presses and releases (owners that move the motor or start a test).
    bool m_bLeftButtonOnly = false;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    LRESULT Notify(UINT msg);
    void ReleaseHeld();

    std::unique_ptr<CKVCircularProgressIndicatorImpl> m_pImpl;
    bool m_bPressed = false;
};
