#pragma once
// Cells that show a picture scaled to fit, centred; the new-project list's variant adds a
// caption under the picture.
#include "platform/grid/Grid.h"

#include <QImage>

class CPictureGridItem : public platform::GridItem
{
public:
    explicit CPictureGridItem(const QImage &image);
    // A path of a file that does not exist gives a cell without a picture.
    explicit CPictureGridItem(const QString &path);
    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;
    bool HasPicture() const { return !m_image.isNull(); }
    // Where a picture of the given size is drawn in a cell.
    static QRect PictureRect(const QRect &cell, int width, int height);

    QImage m_image;
    double m_dAspect = 0;
};

class CPicNewDlgGridItem : public platform::GridItem
{
public:
    CPicNewDlgGridItem(const QImage &image, const QString &caption, int value);
    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;

    QImage m_image;
    double m_dAspect = 0;
    QString m_strCaption;
    int m_nValue = 0;
};
