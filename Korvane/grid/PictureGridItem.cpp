#include "grid/PictureGridItem.h"

#include <QFile>
#include <QPainter>

#include <algorithm>

namespace {

QImage OwnCopy(const QImage &source)
{
    return source.isNull() ? QImage() : source.convertToFormat(QImage::Format_ARGB32);
}

void DrawPicture(QPainter &p, const QRect &cell, const QImage &image, double &aspect)
{
    if (image.isNull() || cell.width() <= 0 || cell.height() <= 0)
        return;
    aspect = double(image.width()) / image.height();
    p.save();
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    p.drawImage(CPictureGridItem::PictureRect(cell, image.width(), image.height()), image);
    p.restore();
}

}

CPictureGridItem::CPictureGridItem(const QImage &image) : m_image(OwnCopy(image)) { AllowEdit(false); }

CPictureGridItem::CPictureGridItem(const QString &path)
{
    if (QFile::exists(path))
        m_image = OwnCopy(QImage(path));
    AllowEdit(false);
}

QRect CPictureGridItem::PictureRect(const QRect &cell, int width, int height)
{
    if (width <= 0 || height <= 0)
        return QRect();
    const double s = std::min(double(cell.width()) / width, double(cell.height()) / height);
    const int halfW = static_cast<int>(width * s * 0.5);
    const int halfH = static_cast<int>(height * s * 0.5 - 1.0);
    const int cx = (cell.left() + cell.left() + cell.width()) / 2;
    const int cy = (cell.top() + cell.top() + cell.height()) / 2;
    return QRect(cx - halfW, cy - halfH, 2 * halfW, 2 * halfH);
}

void CPictureGridItem::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &, COLORREF)
{
    DrawPicture(p, rect, m_image, m_dAspect);
}

CPicNewDlgGridItem::CPicNewDlgGridItem(const QImage &image, const QString &caption, int value)
    : m_image(OwnCopy(image)), m_strCaption(caption), m_nValue(value)
{
}

void CPicNewDlgGridItem::OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &,
                                     COLORREF textColor)
{
    DrawPicture(p, rect, m_image, m_dAspect);
    const QRect pic = m_image.isNull() ? QRect(rect.topLeft(), QSize(rect.width(), 0))
                                       : CPictureGridItem::PictureRect(rect, m_image.width(), m_image.height());
    const QRect band(rect.left(), pic.bottom() + 1, rect.width(), rect.bottom() - pic.bottom());
    p.setPen(platform::ColorFromRef(textColor));
    p.drawText(band, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_strCaption);
}
