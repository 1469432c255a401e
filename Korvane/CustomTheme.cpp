#include "CustomTheme.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <memory>

namespace {

std::unique_ptr<CCustomTheme> g_theme;

const QColor kToolbarText(220, 220, 220);
const QColor kCheckedTool(210, 1, 59);
const QColor kHotTool(29, 58, 88);

}

CCustomTheme::CCustomTheme() : CCustomTheme(QImage(QStringLiteral(":/res/352.png")))
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        m_nScreenDepth = screen->depth();
}

CCustomTheme::CCustomTheme(QImage background) : m_imgBackground(std::move(background)) {}

bool CCustomTheme::DrawBackground(QPainter &painter, const QRect &clip) const
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(clip), m_imgBackground);
    painter.restore();
    return true;
}

void CCustomTheme::PrepareCache(const QPaintDevice *device, const QSize &size)
{
    if (!device)
        return;
    const int depth = device->depth();
    if (m_nCacheDepth != 0 && m_nCacheDepth != depth) {
        m_bmpCache = QImage();
        m_nCacheDepth = 0;
    }
    if (m_nCacheDepth == 0) {
        m_nCacheDepth = depth;
        ++m_nContextsMade;
    }
    if (size != m_sizeCache || m_bmpCache.isNull()) {
        m_sizeCache = size;
        m_bmpCache = QImage(size.expandedTo(QSize(1, 1)),
                            depth <= 16 ? QImage::Format_RGB16 : QImage::Format_RGB32);
        m_bmpCache.fill(Qt::black);
        ++m_nBitmapsMade;
        m_bCacheValid = false;
    }
    if (!m_imgBackground.isNull()) {
        QPainter painter(&m_bmpCache);
        m_bCacheValid = DrawBackground(painter, QRect(QPoint(0, 0), m_sizeCache));
    }
}

void CCustomTheme::PaintFrameBorder(QWidget *, QPainter &painter) const
{
    if (m_bCacheValid)
        painter.drawImage(QPoint(0, 0), m_bmpCache);
    else if (!m_imgBackground.isNull())
        DrawBackground(painter, painter.viewport());
}

void CCustomTheme::OnFillBarBackground(QPainter &painter, const QWidget *bar, const QRect &client) const
{
    const QWidget *frame = bar ? bar->window() : nullptr;
    if (!frame || frame == bar) {
        painter.fillRect(client, QApplication::palette().window());
        return;
    }
    if (!m_bCacheValid)
        return;
    const QPoint offset = bar->mapTo(frame, QPoint(0, 0));
    painter.drawImage(client, m_bmpCache, client.translated(offset));
}

QColor CCustomTheme::GetToolbarButtonTextColor(bool ownButton, ButtonState state) const
{
    if (ownButton && state != ButtonState::Disabled)
        return kToolbarText;
    return state == ButtonState::Disabled ? QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText)
                                          : QApplication::palette().color(QPalette::ButtonText);
}

bool CCustomTheme::UseFallbackLook() const
{
    return m_nScreenDepth <= 8;
}

bool CCustomTheme::OnEraseToolBoxButton(QPainter &painter, const QRect &rect, bool checked, bool highlighted) const
{
    if (!checked && !highlighted)
        return false;
    const QPalette palette = QApplication::palette();
    if (UseFallbackLook())
        painter.fillRect(rect, checked ? palette.highlight() : palette.midlight());
    else
        painter.fillRect(rect, checked ? kCheckedTool : kHotTool);
    return true;
}

QColor CCustomTheme::GetToolBoxButtonTextColor(bool checked, bool highlighted) const
{
    const QPalette palette = QApplication::palette();
    if (UseFallbackLook())
        return checked ? palette.color(QPalette::HighlightedText) : palette.color(QPalette::WindowText);
    return checked || highlighted ? QColor(Qt::white) : QColor(230, 230, 230);
}

CCustomTheme *GetCustomTheme()
{
    return g_theme.get();
}

void InstallCustomTheme()
{
    if (!g_theme)
        g_theme = std::make_unique<CCustomTheme>();
}

void UninstallCustomTheme()
{
    g_theme.reset();
}
