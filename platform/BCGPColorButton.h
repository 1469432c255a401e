#pragma once
// A button that shows a colour box with a drop-down arrow and lets the user choose the colour.
// The colour may be "automatic" (kAutomaticColor), shown with the automatic text when there is
// one. After a choice the parent receives WM_COMMAND (control id, BN_CLICKED).
//
// Derived buttons change the drawing (OnDraw, given the area left of the arrow) and the way the
// colour is chosen (OnShowColorPopup, which ends by calling UpdateColor).
#include "platform/ColorRef.h"
#include "platform/ControlNotify.h"
#include "platform/WinTypes.h"

#include <QPushButton>

constexpr COLORREF kAutomaticColor = static_cast<COLORREF>(-1);

class CBCGPColorButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CBCGPColorButton(QWidget *parent = nullptr);
    ~CBCGPColorButton() override;

    COLORREF GetColor() const { return m_Color; }
    void SetColor(COLORREF color);
    // The automatic entry: its text and the colour it stands for.
    void EnableAutomaticButton(const QString &label, COLORREF colorAutomatic, BOOL enable = TRUE);
    COLORREF GetAutomaticColor() const { return m_ColorAutomatic; }
    // Text colour of the automatic text; kAutomaticColor for the default.
    void SetTextColor(COLORREF color);

    QSize sizeHint() const override;

    COLORREF m_Color = kAutomaticColor;
    COLORREF m_ColorAutomatic = 0;
    QString m_strAutoColorText;
    COLORREF m_clrText = kAutomaticColor;

protected:
    // Paints the content (colour box and automatic text) and the arrow. rect is the area left
    // of the arrow; uiState holds ODS_SELECTED, ODS_DISABLED and ODS_FOCUS.
    virtual void OnDraw(QPainter *pDC, const QRect &rect, UINT uiState);
    // Lets the user choose; the base asks the colour dialog of the UI services.
    virtual void OnShowColorPopup();
    // Takes a chosen colour and tells the parent.
    void UpdateColor(COLORREF color);
    // The arrow's area at the right of the button.
    QRect ArrowRect() const;
    void DrawArrow(QPainter *pDC, UINT uiState) const;

    void paintEvent(QPaintEvent *e) override;
};
