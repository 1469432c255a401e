#pragma once
// The palette that a colour picker (or colour button) drops: 40 named colours in 8 columns and 5
// rows under an optional text button that opens the colour dialog for any other colour. It
// holds the mouse and keyboard from opening to the first accept or cancel, tells its owner
// (a message target) of each step, and deletes itself at the end.
#include "platform/ColorRef.h"
#include "platform/Messages.h"
#include "platform/WinTypes.h"

#include <QFont>
#include <QPointer>
#include <QStringList>
#include <QWidget>

struct ColourTableEntry
{
    COLORREF crColour;
    int nNameId;  // the name is the language text "IDS_ColourPopup_<nNameId>"
};

class CColourPopup : public QWidget
{
    Q_OBJECT
public:
    // Opens at once at the screen point (clamped to the owner's screen). A null custom text
    // leaves out the custom-colour button; an automatic text adds a button under the grid
    // that chooses kAutomaticChoice (the owner's default colour).
    CColourPopup(COLORREF crInitial, QWidget *pOwner, const QString *pCustomText, int x, int y,
                 const QString *pAutomaticText = nullptr);
    static constexpr COLORREF kAutomaticChoice = static_cast<COLORREF>(-1);
    ~CColourPopup() override;

    static const ColourTableEntry *ColourTable();
    static constexpr int kColourCount = 40;

    // Cell rectangle in client coordinates; null for a cell out of range.
    QRect GetCellRect(int row, int col) const;
    // The cell under a client point, (-2, -2) for the custom button, (-3, -3) for the
    // automatic one; false over nothing.
    bool HitTest(const QPoint &client, int &row, int &col) const;
    // The hover after an arrow key (Qt::Key_Down/Up/Right/Left) from (row, col).
    static void NextHover(int key, int &row, int &col, int rows, int cols, bool hasCustomButton);
    // The window rectangle kept on the screen: pushed left off the right edge, right off the
    // left edge, and above the owner (of height ownerHeight) off the bottom.
    static QRect ClampToScreen(QRect window, const QRect &screen, int ownerHeight);

    int m_nColours = kColourCount;
    int m_nColumns = 8;
    int m_nRows = 5;
    int m_nCellSize = 18;
    int m_nMargin = 2;
    int m_nHoverRow = -1, m_nHoverCol = -1;
    int m_nMarkedRow = -1, m_nMarkedCol = -1;
    BOOL m_bHasCustomButton = FALSE;
    QString m_strCustomText;
    QRect m_rcCustomButton;  // client coordinates
    BOOL m_bHasAutomaticButton = FALSE;
    QString m_strAutomaticText;
    QRect m_rcAutomaticButton;  // client coordinates, under the grid
    QRect m_rcWindow;        // screen coordinates
    QFont m_font;
    COLORREF m_crInitial = 0;
    COLORREF m_crCurrent = 0;
    QPointer<QWidget> m_pPicker;

protected:
    void paintEvent(QPaintEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    bool event(QEvent *e) override;

private:
    void InitPalette();
    void Open(int x, int y);
    void LayoutWindow(int x, int y);
    void AddCellTips();
    void MarkInitialCell();
    void MoveHover(int row, int col);
    void Accept();
    void Cancel();
    LRESULT SendToOwner(UINT msg, WPARAM wParam);
    int GridTop() const;
    int CustomButtonHeight() const;

    QStringList m_cellTips;
    bool m_bEnded = false;
};
