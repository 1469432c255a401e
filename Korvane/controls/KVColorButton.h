#pragma once
// The colour button of the program: the colour box (or, for the automatic colour, a box and the
// automatic text) painted its own way, and the program's 40-colour palette to choose from.
#include "platform/BCGPColorButton.h"
#include "platform/Messages.h"

class CKVColorButton : public CBCGPColorButton, public platform::MessageTarget
{
    Q_OBJECT
public:
    explicit CKVColorButton(QWidget *parent = nullptr);
    ~CKVColorButton() override;

    // Where the colour box and the automatic text go in the content rectangle.
    struct Layout
    {
        QRect box;   // before shrinking by 2 pixels
        QRect text;  // empty when no text is drawn
    };
    static Layout Arrange(const QRect &rect, bool automaticWithText);

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnDraw(QPainter *pDC, const QRect &rect, UINT uiState) override;
    void OnShowColorPopup() override;
};
