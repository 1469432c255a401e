#include "ApplicationFont.h"

#include <QApplication>
#include <QFontInfo>
#include <QScreen>
#include <QWidget>

#include <cmath>

TApplicationFont &TApplicationFont::Instance()
{
    static TApplicationFont font;
    return font;
}

TApplicationFont::TApplicationFont() : m_strFaceName(QStringLiteral("黑体"))
{
    const QFont status = QApplication::font("QStatusBar");
    QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    m_nHeight = status.pixelSize() > 0 ? status.pixelSize()
                                       : static_cast<int>(std::lround(QFontInfo(status).pointSizeF() * dpi / 72.0));
    m_nPointSize = static_cast<int>(std::lround(m_nHeight * 72.0 / dpi));
    m_font = status;
    m_font.setFamilies({m_strFaceName, QApplication::font().family()});
    m_font.setPixelSize(m_nHeight);
}

bool SetChildFontProc(QWidget *child, const QFont *font)
{
    if (child)
        child->setFont(font ? *font : QFont());
    return true;
}

void SetChildrenFont(QWidget *parent, const QFont *font)
{
    if (!parent)
        return;
    for (QWidget *w : parent->findChildren<QWidget *>())
        if (!SetChildFontProc(w, font))
            break;
}
