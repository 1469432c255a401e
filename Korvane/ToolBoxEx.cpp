#include "ToolBoxEx.h"

#include "CustomTheme.h"
#include "platform/ControlId.h"

#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

namespace {

const QColor kPaneBackground(24, 36, 52);

LPARAM MakeLong(int low, int high)
{
    return LPARAM(std::uint32_t((std::uint32_t(high) & 0xFFFFu) << 16 | (std::uint32_t(low) & 0xFFFFu)));
}

}

// ---- CToolBoxPageEx -------------------------------------------------------------------------

CToolBoxPageEx::CToolBoxPageEx(CToolBoxEx *box, int index, QWidget *parent)
    : QWidget(parent), m_nIndex(index), m_pBox(box)
{
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

bool CToolBoxPageEx::Init(const QStringList &labels)
{
    m_tools.clear();
    for (int i = 0; i < labels.size(); ++i) {
        Tool tool;
        tool.id = i + 1;
        tool.label = labels[i];
        m_tools.push_back(tool);
    }
    updateGeometry();
    update();
    return true;
}

CToolBoxPageEx::Tool *CToolBoxPageEx::GetTool(int index)
{
    return index >= 0 && index < GetToolCount() ? &m_tools[size_t(index)] : nullptr;
}

void CToolBoxPageEx::SetToolData(int index, int data)
{
    if (Tool *t = GetTool(index))
        t->data = data;
}

int CToolBoxPageEx::GetSelected() const
{
    for (int i = 0; i < GetToolCount(); ++i) {
        if (m_tools[size_t(i)].checked)
            return i;
    }
    return -1;
}

void CToolBoxPageEx::SetSelected(int index)
{
    for (int i = 0; i < GetToolCount(); ++i)
        m_tools[size_t(i)].checked = i == index;
    update();
}

void CToolBoxPageEx::ClearSelection()
{
    for (Tool &t : m_tools) {
        t.checked = false;
        t.highlighted = false;
    }
    repaint();
}

int CToolBoxPageEx::ToolHeight() const
{
    return fontMetrics().height() + 12;
}

QRect CToolBoxPageEx::ToolRect(int index) const
{
    return QRect(0, index * ToolHeight(), width(), ToolHeight());
}

int CToolBoxPageEx::HitTest(const QPoint &point) const
{
    if (point.x() < 0 || point.x() >= width() || point.y() < 0)
        return -1;
    const int index = point.y() / ToolHeight();
    return index < GetToolCount() ? index : -1;
}

QSize CToolBoxPageEx::sizeHint() const
{
    return QSize(160, std::max(1, GetToolCount()) * ToolHeight());
}

void CToolBoxPageEx::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kPaneBackground);
    const CCustomTheme *theme = GetCustomTheme();
    for (int i = 0; i < GetToolCount(); ++i) {
        const Tool &t = m_tools[size_t(i)];
        const QRect r = ToolRect(i);
        QColor text = palette().color(QPalette::WindowText);
        if (theme) {
            theme->OnEraseToolBoxButton(painter, r, t.checked, t.highlighted);
            text = theme->GetToolBoxButtonTextColor(t.checked, t.highlighted);
        } else if (t.checked || t.highlighted) {
            painter.fillRect(r, t.checked ? palette().highlight() : palette().midlight());
        }
        painter.setPen(text);
        painter.drawText(r.adjusted(24, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, t.label);
    }
}

void CToolBoxPageEx::mouseMoveEvent(QMouseEvent *e)
{
    const int hit = HitTest(e->position().toPoint());
    bool changed = false;
    for (int i = 0; i < GetToolCount(); ++i) {
        const bool hot = i == hit;
        changed |= m_tools[size_t(i)].highlighted != hot;
        m_tools[size_t(i)].highlighted = hot;
    }
    if (changed)
        update();
}

void CToolBoxPageEx::leaveEvent(QEvent *)
{
    for (Tool &t : m_tools)
        t.highlighted = false;
    update();
}

void CToolBoxPageEx::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const int hit = HitTest(e->position().toPoint());
    if (hit < 0)
        return;
    SetSelected(hit);
    m_pBox->OnToolClick(m_nIndex, hit);
}

void CToolBoxPageEx::contextMenuEvent(QContextMenuEvent *e)
{
    m_pBox->OnToolboxMenu(e->globalPos(), this, HitTest(e->pos()));
}

bool CToolBoxPageEx::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const Tool *t = GetTool(HitTest(help->pos()));
        if (t && fontMetrics().horizontalAdvance(t->label) > width() - 28)
            QToolTip::showText(help->globalPos(), t->label, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(e);
}

// ---- CToolBoxEx -----------------------------------------------------------------------------

CToolBoxEx::CToolBoxEx(const QString &caption, int ctrlId, QWidget *parent) : QDockWidget(caption, parent)
{
    platform::SetCtrlId(this, ctrlId);
    setObjectName(QStringLiteral("toolbox%1").arg(ctrlId));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    m_pContent = new QWidget(scroll);
    m_pContent->setAutoFillBackground(true);
    QPalette pal = m_pContent->palette();
    pal.setColor(QPalette::Window, kPaneBackground);
    pal.setColor(QPalette::WindowText, QColor(230, 230, 230));
    m_pContent->setPalette(pal);
    m_pLayout = new QVBoxLayout(m_pContent);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    m_pLayout->setSpacing(0);
    m_pLayout->addStretch(1);
    scroll->setWidget(m_pContent);
    setWidget(scroll);
    CreateCaption();
}

namespace {

// The pin of the caption: a head and a needle, drawn in the caption's text colour.
QIcon PinIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(220, 220, 220), 1.5));
    p.drawLine(QPointF(8, 9), QPointF(8, 15));
    p.drawLine(QPointF(3.5, 9), QPointF(12.5, 9));
    p.setBrush(QColor(220, 220, 220));
    p.drawRect(QRectF(5.5, 1.5, 5, 7));
    return QIcon(pixmap);
}

}

void CToolBoxEx::CreateCaption()
{
    // Our own caption, so that it can carry the pin: the text, the pin and the close button.
    // Presses elsewhere on it fall through to the dock, which moves and floats the pane.
    auto *caption = new QWidget(this);
    caption->setObjectName(QStringLiteral("paneCaption"));
    caption->setAttribute(Qt::WA_StyledBackground, true);
    caption->setStyleSheet(QStringLiteral(
        "#paneCaption { background: rgba(16, 32, 56, 220); }"
        "QLabel { color: rgb(220, 220, 220); padding-left: 4px; }"
        "QToolButton { border: none; color: rgb(220, 220, 220); padding: 1px; }"
        "QToolButton:hover { background: rgb(36, 54, 78); }"));
    auto *row = new QHBoxLayout(caption);
    row->setContentsMargins(0, 1, 2, 1);
    row->setSpacing(1);
    auto *title = new QLabel(windowTitle(), caption);
    title->setObjectName(QStringLiteral("paneTitle"));
    connect(this, &QWidget::windowTitleChanged, title, &QLabel::setText);
    row->addWidget(title, 1);
    m_pPin = new QToolButton(caption);
    m_pPin->setObjectName(QStringLiteral("pinButton"));
    m_pPin->setIcon(PinIcon());
    row->addWidget(m_pPin);
    m_pClose = new QToolButton(caption);
    m_pClose->setObjectName(QStringLiteral("closeButton"));
    m_pClose->setText(QStringLiteral("\u2715"));
    row->addWidget(m_pClose);
    // QAbstractButton::clicked comes on a release over the button that was pressed.
    connect(m_pPin, &QToolButton::clicked, this, [this] { Q_EMIT pinClicked(this); });
    connect(m_pClose, &QToolButton::clicked, this, [this] { close(); });
    setTitleBarWidget(caption);
}

CToolBoxPageEx *CToolBoxEx::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[size_t(index)] : nullptr;
}

bool CToolBoxEx::AddToolsPage(const QString &name, const QStringList &labels)
{
    auto *page = new CToolBoxPageEx(this, GetPageCount(), m_pContent);
    page->setWindowTitle(name);
    if (!page->Init(labels)) {
        delete page;
        return false;
    }
    // A collapsible group named like the page, holding it.
    auto *header = new QToolButton(m_pContent);
    header->setText(name);
    header->setCheckable(true);
    header->setChecked(true);
    header->setArrowType(Qt::DownArrow);
    header->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    header->setAutoRaise(true);
    header->setStyleSheet(QStringLiteral("QToolButton { color: rgb(230,230,230); font-weight: bold; "
                                         "background: rgb(36,54,78); border: none; padding: 4px; text-align: left; }"));
    connect(header, &QToolButton::toggled, page, [header, page](bool open) {
        header->setArrowType(open ? Qt::DownArrow : Qt::RightArrow);
        page->setVisible(open);
    });
    const int at = m_pLayout->count() - 1;  // before the stretch
    m_pLayout->insertWidget(at, header);
    m_pLayout->insertWidget(at + 1, page);
    m_pages.push_back(page);
    m_headers.push_back(header);
    return true;
}

void CToolBoxEx::RemoveAllToolsPages()
{
    for (CToolBoxPageEx *page : m_pages)
        delete page;
    for (QToolButton *header : m_headers)
        delete header;
    m_pages.clear();
    m_headers.clear();
}

void CToolBoxEx::RecalcLayout()
{
    m_pLayout->invalidate();
    m_pContent->adjustSize();
    update();
}

platform::WindowRef CToolBoxEx::Owner() const
{
    if (m_owner)
        return m_owner;
    return platform::WindowRef(static_cast<QObject *>(window()));
}

void CToolBoxEx::OnToolClick(int nPage, int nIndex)
{
    CToolBoxPageEx *page = GetPage(nPage);
    CToolBoxPageEx::Tool *tool = page ? page->GetTool(nIndex) : nullptr;
    if (tool && m_nClickMessage != 0)
        platform::PostMessage(Owner(), m_nClickMessage, WPARAM(tool->data), 0);
    for (CToolBoxPageEx *other : m_pages) {
        if (other != page)
            other->ClearSelection();
    }
}

bool CToolBoxEx::OnToolboxMenu(const QPoint &screenPoint, CToolBoxPageEx *pPage, int nHit)
{
    if (m_nMenuMessage == 0 || !Owner())
        return true;
    WPARAM wParam = WPARAM(-1);
    if (nHit >= 0) {
        CToolBoxPageEx::Tool *tool = pPage ? pPage->GetTool(nHit) : nullptr;
        if (!tool)
            return true;
        wParam = WPARAM(tool->data);
    }
    platform::PostMessage(Owner(), m_nMenuMessage, wParam, MakeLong(screenPoint.x(), screenPoint.y()));
    return true;
}
