#pragma once
// The compact state grid of the digital input and output pages: rows at least a set height,
// fixed tool tips for the state and forced-write columns, the application's table colours,
// and a notice to the parent of the cell a left click was released on. CMiniRadioItem is a
// cell drawn as a green or red lamp with an optional caption.
#include "platform/grid/Grid.h"

class QFontMetrics;

// wParam of UM_MINIGRID_CLICK: the grid's own record, valid while the message is handled (it is
// sent, never posted), so a parent that ignores the notice leaks nothing.
struct MiniGridClick
{
    int nRow = -1;     // row of the hit cell, or -1
    int nColumn = -1;  // its column, or -1
};

class CMiniGridCtrl : public platform::GridCtrl
{
public:
    explicit CMiniGridCtrl(QWidget *parent = nullptr);

    void SetRowHeight() override;
    void GetItemCustomTooltip(const platform::GridItemID &id, QString &text, QString &description) override;
    // The main frame's custom table colours when that switch is on, else the visual manager's.
    void ApplyGridColors();
    void ApplyTableColors(bool custom, COLORREF text, COLORREF even, COLORREF odd);

    // The row height for a font height and screen resolution.
    static int RowHeightFor(int fontHeight, int dpi, bool useMin, int minHeight);

    int m_nMinRowHeight = 0;
    BOOL m_bUseMinRowHeight = FALSE;

protected:
    void OnCellLButtonUp(const platform::GridItemID &hit, const QPoint &pt) override;
};

class CMiniRadioItem : public platform::GridItem
{
public:
    CMiniRadioItem(const QString &normalText, const QString &altText, BYTE altState);

    void OnDrawValue(QPainter &p, const QRect &rect, const platform::GridPaintInfo &info,
                     COLORREF textColor) override;
    // The caption as drawn in this much room beside the lamp: whole when it fits, else cut at its
    // start so that the state at its end stays readable.
    static QString FitCaption(const QString &caption, const QFontMetrics &fm, int room);
    static constexpr int kMargin = 2;
    bool CanEditInPlace() const override { return false; }
    // The cell has no value: its text (sorting, filtering, export) is the caption of its state.
    QString FormatItem() const override { return m_bAltState ? m_strAltText : m_strNormalText; }

    QString m_strAltText;
    QString m_strNormalText;
    BYTE m_bAltState = 0;
};
