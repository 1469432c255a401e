#pragma once
// A push button showing a colour swatch with a drop-down arrow; a click drops the 40-colour
// palette below it. The parent learns of a finished choice from UM_COLOR_DONE and reads the
// colour back with GetColour; an abandoned palette leaves the colour as it was, silently.
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QPushButton>

class CColourPicker : public QPushButton, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CColourPicker(QWidget *parent = nullptr);
    ~CColourPicker() override;

    // The picker's colour: the caption colour when m_nColourTarget is 1, else the swatch.
    COLORREF GetColour() const;
    void SetColour(COLORREF cr);
    // Whether a click opens the palette (and an arrow is drawn). Each picker has its own switch:
    // a page that wants its pickers as plain swatches turns off only its own.
    void SetPopupEnabled(BOOL enabled);
    BOOL IsPopupEnabled() const { return m_bPopupEnabled; }
    // Sizes the button for its swatch and arrow, keeping its position.
    void AdjustButtonSize();

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    QSize sizeHint() const override;

    BOOL m_bPopupOpen = FALSE;
    BOOL m_bTrackHover = FALSE;
    COLORREF m_crBack;
    COLORREF m_crText;
    int m_nColourTarget = 2;
    QRect m_rcArrow;  // client coordinates; empty while the palette is switched off
    QString m_strCaption;

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void OnClicked();
    void PlaceArrow();

    BOOL m_bPopupEnabled = TRUE;
};
