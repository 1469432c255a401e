#include "platform/PopupWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace platform {

PopupWindow::PopupWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_closeTimer(new QTimer(this)),
      m_icon(new QLabel(this)),
      m_caption(new QLabel(this)),
      m_layout(new QVBoxLayout(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_closeTimer->setSingleShot(true);
    connect(m_closeTimer, &QTimer::timeout, this, &QWidget::close);

    auto *strip = new QHBoxLayout;
    strip->setContentsMargins(4, 2, 2, 2);
    auto *closeButton = new QToolButton(this);
    closeButton->setText(QStringLiteral("\u00D7"));
    closeButton->setAutoRaise(true);
    connect(closeButton, &QToolButton::clicked, this, &QWidget::close);
    strip->addWidget(m_icon);
    strip->addWidget(m_caption, 1);
    strip->addWidget(closeButton);
    m_layout->setContentsMargins(1, 1, 1, 1);
    m_layout->setSpacing(0);
    m_layout->addLayout(strip);
}

void PopupWindow::SetAutoCloseTime(int ms)
{
    m_autoCloseMs = ms;
}

void PopupWindow::SetTransparency(int alpha)
{
    setWindowOpacity(qBound(0, alpha, 255) / 255.0);
}

void PopupWindow::SetSmallIcon(const QPixmap &icon)
{
    m_icon->setPixmap(icon);
}

void PopupWindow::SetCaption(const QString &caption)
{
    m_caption->setText(caption);
    setWindowTitle(caption);
}

QString PopupWindow::GetCaption() const
{
    return m_caption->text();
}

void PopupWindow::SetContent(QWidget *content)
{
    if (m_content)
        m_content->deleteLater();
    m_content = content;
    if (content) {
        content->setParent(this);
        m_layout->addWidget(content, 1);
    }
}

void PopupWindow::ShowAt(const QPoint &topLeft)
{
    adjustSize();
    move(topLeft);
    show();
    if (m_autoCloseMs > 0)
        m_closeTimer->start(m_autoCloseMs);
}

}
