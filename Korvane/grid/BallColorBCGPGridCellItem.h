#pragma once
// A cell cut into three coloured blocks, with a text on each when the cell is wide enough.
#include "platform/grid/Grid.h"

class CBallColorBCGPGridCellItem : public platform::GridItem
{
public:
    CBallColorBCGPGridCellItem(const QString &text1, const QString &text2, const QString &text3,
                               COLORREF color1, COLORREF color2);
    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;
    COLORREF OnFillBackground(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info) override;

    // The three blocks of a cell, and whether its texts are drawn.
    static void Parts(const QRect &cell, QRect parts[3]);
    static bool ShowsTexts(const QRect &cell);

    COLORREF m_color1;
    COLORREF m_color2;
    COLORREF m_color3 = 0xFFFFFFFF;
    QString m_text1;
    QString m_text2;
    QString m_text3;
};
