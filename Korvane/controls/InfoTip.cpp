#include "controls/InfoTip.h"

#include "platform/CursorQuery.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

CInfoTip::CInfoTip(QWidget *owner)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), platform::MessageTarget(this)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
}

CInfoTip::~CInfoTip()
{
    m_mapTools.clear();
}

BOOL CInfoTip::Create(QWidget *owner)
{
    setParent(owner, Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    hide();
    return TRUE;
}

void CInfoTip::AddTool(QWidget *tool, const QString &text, const QPixmap &icon)
{
    if (tool)
        m_mapTools[tool] = Entry{tool, TipToolInfo{text, icon}};
}

void CInfoTip::RemoveTool(QWidget *tool)
{
    m_mapTools.erase(tool);
}

const CInfoTip::TipToolInfo *CInfoTip::FindTool(QWidget *w)
{
    const auto it = m_mapTools.find(w);
    if (it == m_mapTools.end())
        return nullptr;
    if (it->second.tool.data() != w) {
        // The tool was destroyed; another widget may have its address now.
        m_mapTools.erase(it);
        return nullptr;
    }
    return &it->second.info;
}

bool CInfoTip::eventFilter(QObject *watched, QEvent *e)
{
    RelayEvent(e);
    return QWidget::eventFilter(watched, e);
}

void CInfoTip::RelayEvent(QEvent *e)
{
    switch (e->type()) {
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::Enter:
    case QEvent::Leave: {
        QWidget *under = platform::WindowFromPoint(platform::GetCursorPos());
        if (under == this)
            break;  // the balloon's own pointer under the cursor changes nothing
        if (!under) {
            if (m_pCurrentTool)
                HideTip();
        } else if (under == m_pCurrentTool.data()) {
            // Resting on the same tool: the tip neither moves nor reschedules.
        } else if (const TipToolInfo *info = FindTool(under)) {
            m_pCurrentTool = under;
            SetTipIcon(info->hIcon);
            ScheduleShow(info->strText);
        } else {
            HideTip();
        }
        break;
    }
    case QEvent::MouseButtonPress: {
        const auto button = static_cast<QMouseEvent *>(e)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton)
            HideTip();
        break;
    }
    default:
        break;
    }
}

void CInfoTip::HideTip()
{
    KillTimer(kShowTimer);
    hide();
    m_pCurrentTool = nullptr;
}

void CInfoTip::ScheduleShow(const QString &text)
{
    m_ptCursor = platform::GetCursorPos();
    m_strText = text;
    SetTimer(kShowTimer, static_cast<UINT>(m_nShowDelay));
}

void CInfoTip::SetTipIcon(const QPixmap &icon)
{
    m_hIcon = icon;
    m_sizeIcon = icon.isNull() ? QSize(0, 0) : icon.size();
    if (isVisible())
        repaint();
}

const QFont &CInfoTip::TipFont() const
{
    return m_pFont ? *m_pFont : font();
}

QPainterPath CInfoTip::BalloonPath(int W, int H)
{
    QPainterPath box;
    box.addRoundedRect(QRectF(0, 0, W, H), 6, 5);
    QPainterPath pointer;
    pointer.moveTo(W - 12, H - 10);
    pointer.lineTo(W - 12, H + 15);
    pointer.lineTo(W - 37, H - 10);
    pointer.closeSubpath();
    return box.united(pointer);
}

CInfoTip::Balloon CInfoTip::BuildBalloonRegion(const QFont &font, const QString &text, const QSize &icon)
{
    const QFontMetrics fm(font);
    const QRect measured = fm.boundingRect(QRect(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    Balloon b;
    b.W = measured.width() + 24;
    b.H = measured.height() + 20;
    if (icon.width() > 0 && icon.height() > 0) {
        b.W += icon.width() + 5;
        if (b.H < icon.height())
            b.H = icon.height();
    }
    b.region = QRegion(BalloonPath(b.W, b.H).toFillPolygon().toPolygon());
    b.window = QSize(b.W, b.H + 25);
    return b;
}

void CInfoTip::OnTimer(UINT_PTR id)
{
    if (id == kShowTimer) {
        const Balloon b = BuildBalloonRegion(TipFont(), m_strText, m_sizeIcon);
        m_ptCursor = platform::GetCursorPos();
        // The pointer's point, at (W - 12, H + 15) in the window, lands on the cursor.
        setGeometry(m_ptCursor.x() - b.W + 12, m_ptCursor.y() - (b.H + 25) + 10, b.W, b.H + 25);
        setMask(b.region);
        show();
        raise();
        update();
        KillTimer(kShowTimer);
        SetTimer(kCheckTimer, static_cast<UINT>(m_nCheckPeriod));
    } else if (id == kCheckTimer) {
        QWidget *under = platform::WindowFromPoint(platform::GetCursorPos());
        if (under && under != this && under != m_pCurrentTool.data()) {
            hide();
            m_pCurrentTool = nullptr;
        }
    }
}

void CInfoTip::paintEvent(QPaintEvent *)
{
    const Balloon b = BuildBalloonRegion(TipFont(), m_strText, m_sizeIcon);
    QPainter p(this);
    p.setClipRegion(b.region);
    const QPainterPath path = BalloonPath(b.W, b.H);
    const QPalette &pal = palette();
    p.fillPath(path, pal.color(QPalette::Base));
    // Strokes are centred on the outline: twice the width gives the width inside.
    p.strokePath(path, QPen(pal.color(QPalette::Midlight), 6));
    p.strokePath(path, QPen(pal.color(QPalette::WindowText), 2));

    int left = 12;
    if (!m_hIcon.isNull()) {
        p.drawPixmap(QRect(QPoint(12, 10), m_sizeIcon), m_hIcon);
        left += m_sizeIcon.width() + 5;
    }
    p.setFont(TipFont());
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(rect().adjusted(left, 10, 0, 0), Qt::AlignLeft | Qt::AlignTop, m_strText);
}
