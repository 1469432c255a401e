#pragma once
// A push button that paints itself: a flat face that lights up with a raised border while the
// mouse is over it and shows a sunken border while pressed, an optional icon left of, above or
// right of the caption, and state colours chosen by the owner. The hold-to-run buttons derive
// from it and stop their motor in OnPressEnd.
#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QPixmap>
#include <QPushButton>

// Button types of the window style (low five bits).
constexpr unsigned BS_PUSHBUTTON = 0x0;
constexpr unsigned BS_DEFPUSHBUTTON = 0x1;
constexpr unsigned BS_CHECKBOX = 0x2;
constexpr unsigned BS_AUTOCHECKBOX = 0x3;
constexpr unsigned BS_OWNERDRAW = 0xB;
constexpr unsigned BS_TYPEMASK = 0x1F;

// Check states.
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int BST_INDETERMINATE = 2;

class CButtonST : public QPushButton
{
    Q_OBJECT
public:
    // Entries of m_clrStates.
    enum { BTNST_COLOR_BK_IN = 0, BTNST_COLOR_FG_IN, BTNST_COLOR_BK_OUT, BTNST_COLOR_FG_OUT,
           BTNST_COLOR_BK_FOCUS, BTNST_COLOR_FG_FOCUS, BTNST_MAX_COLORS };
    // m_nIconAlign values.
    enum { ST_ALIGN_HORIZ = 0, ST_ALIGN_VERT = 1, ST_ALIGN_HORIZ_RIGHT = 2 };

    explicit CButtonST(QWidget *parent = nullptr);
    ~CButtonST() override;

    // Takes the button type the control was created with: a check-box type makes a check box,
    // the default push button type the dialog's default button.
    void PreSubclassWindow(unsigned style);
    // The type changed later: only the default-button flag follows it.
    void SetButtonStyle(unsigned style);

    // Icon shown while hovered or pressed, and icon shown at rest (null: the first in every
    // state). A null first icon only clears them. Answers 0.
    DWORD SetIcon(const QPixmap &in, const QPixmap &out = QPixmap());

    void SetCheck(int state);
    int GetCheck() const { return m_nCheckState; }

    // Where the icon and the caption go inside the item rectangle.
    struct Placement
    {
        QRect icon;
        QRect caption;
    };
    static Placement PlaceIcon(const QRect &item, const QSize &icon, int align, bool hasCaption,
                               bool pressed, bool checkBox);

    BOOL m_bHover = FALSE;
    BOOL m_bPressed = FALSE;
    BOOL m_bFocused = FALSE;
    BOOL m_bDisabled = FALSE;
    BOOL m_bDefaultButton = FALSE;
    BOOL m_bCheckBoxMode = FALSE;
    int m_nCheckState = BST_UNCHECKED;
    BYTE m_nIconAlign = ST_ALIGN_HORIZ;
    COLORREF m_clrStates[BTNST_MAX_COLORS];

    struct STRUCT_ICONS
    {
        QPixmap hIcon;
        int dwWidth = 0;
        int dwHeight = 0;
    };
    STRUCT_ICONS m_icons[2];

    // True from a left press on the button until that press ends.
    bool IsPressActive() const { return m_bPressActive; }

protected:
    virtual DWORD DrawFace(QPainter &p, const QRect &rect);
    virtual DWORD DrawFlatEdge(QPainter &p, const QRect &rect);
    // Runs once when a left press on the button ends, however it ends: release (anywhere),
    // focus loss, deactivation, hiding, disabling or loss of the mouse grab.
    virtual void OnPressEnd() {}

    void paintEvent(QPaintEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void hideEvent(QHideEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    void ClearHover();
    void EndPress();
    void OnClicked();

    bool m_bPressActive = false;
};
