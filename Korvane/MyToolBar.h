#pragma once
// The main window's top toolbar, which is also its title bar: the logo, the command buttons
// with large images and their texts, the drive-series label and the seven-segment state
// display at the right end, and the minimise, maximise/restore and close glyphs drawn above
// them. The window is dragged by the logo or the empty toolbar, and a double-click there
// toggles it between maximised and normal.
#include "platform/Messages.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class CMyToolBar;
class CMyNumericIndicatorCtrl;

// Button style bits.
constexpr unsigned TBBS_CHECKED = 0x0001;
constexpr unsigned TBBS_PRESSED = 0x0002;
constexpr unsigned TBBS_DISABLED = 0x0004;

// System commands the caption glyphs post to the frame (as WM_SYSCOMMAND).
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr WPARAM SC_MINIMIZE = 0xF020;
constexpr WPARAM SC_MAXIMIZE = 0xF030;
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_RESTORE = 0xF120;

// Loads the program's picture of that id and type ("PNG"); false when there is none.
bool LoadResourceImage(int nResId, const char *lpszType, QImage *pImage);

// One toolbar button: command id, text, image index, style and place.
class CToolbarButtonBase
{
public:
    CToolbarButtonBase(UINT id, int image, const QString &text) : m_nID(id), m_iImage(image), m_strText(text) {}
    virtual ~CToolbarButtonBase() = default;

    virtual QSize OnCalculateSize(const CMyToolBar &bar) const;
    virtual void OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const;
    virtual void OnChangeParentWnd(CMyToolBar *) {}
    virtual void OnShow(bool) {}
    virtual void OnMove() {}
    virtual void OnSize(int) {}
    virtual bool HasToolTip() const { return true; }

    bool IsHorizontal() const { return true; }

    UINT m_nID;
    int m_iImage;
    QString m_strText;
    unsigned m_nStyle = 0;
    bool m_bText = false;   // the text is shown under the image
    bool m_bVisible = true;
    QRect m_rect;
};

// An ordinary command button.
class CMyToolBarButton : public CToolbarButtonBase
{
public:
    using CToolbarButtonBase::CToolbarButtonBase;
};

// Text only, bold and right-aligned; drawn as enabled whatever its command's state.
class CToolbarLabel : public CToolbarButtonBase
{
public:
    CToolbarLabel(UINT id, const QString &text);
    QSize OnCalculateSize(const CMyToolBar &bar) const override;
    void OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const override;
    void OnChangeParentWnd(CMyToolBar *bar) override;
    bool HasToolTip() const override { return false; }

    QFont m_font;
};

// A picture button (the logo).
class CToolbarImage : public CToolbarButtonBase
{
public:
    CToolbarImage(UINT id, int nResId, const QString &resType = QStringLiteral("PNG"));
    QSize OnCalculateSize(const CMyToolBar &bar) const override;
    void OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const override;
    void CopyFrom(const CToolbarImage &src);

    int m_nResId;
    QString m_strResType;
    std::unique_ptr<QImage> m_pImage;
};

// The button that holds the seven-segment display; its text is what the display shows.
class CMyToolBarNumericButton : public CToolbarButtonBase
{
public:
    CMyToolBarNumericButton(UINT id, int image, const QString &text);
    ~CMyToolBarNumericButton() override;

    // Hands the text to the display and repaints it at once, also when it did not change.
    void SetValueText(const QString &strText);

    QSize OnCalculateSize(const CMyToolBar &bar) const override;
    void OnDraw(QPainter &painter, const CMyToolBar &bar, bool hot) const override;
    void OnChangeParentWnd(CMyToolBar *bar) override;
    void OnShow(bool bShow) override;
    void OnMove() override;
    void OnSize(int iSize) override;

    int m_nWidth;
    CMyNumericIndicatorCtrl *m_pIndicator = nullptr;
    CMyToolBar *m_pBar = nullptr;

private:
    void PlaceIndicator();
};

// The right-aligned status pair: the last button (display) and the one before it (label) are
// laid out from the right edge; when the label then meets the button before it both are
// hidden, and every other button reaching the right edge is hidden from the right. `rects`
// and `visible` hold one entry per button after the plain left-to-right layout.
void LayoutStatusPair(std::vector<QRect> &rects, std::vector<bool> &visible, int clientRight);

class CMyToolBar : public QWidget
{
    Q_OBJECT
public:
    explicit CMyToolBar(QWidget *parent = nullptr);
    ~CMyToolBar() override;

    // Takes the button; answers its index.
    int InsertButton(std::unique_ptr<CToolbarButtonBase> button);
    int GetCount() const { return int(m_buttons.size()); }
    CToolbarButtonBase *GetButton(int index) const;
    int CommandToIndex(UINT id) const;
    int HitTest(const QPoint &point) const;

    // Sets a button's text and image and repaints.
    void SetButtonInfo(int index, const QString &text, int image);

    // The plain layout, then the right-aligned status pair.
    void AdjustLocations();
    // The three glyph squares (minimise, maximise/restore, close) in client coordinates.
    QRect GlyphRect(int which) const;

    // Images by button image index: the regular list, the hot list, and the list for checked
    // or pressed buttons.
    QList<QPixmap> m_imgToolBar;
    QList<QPixmap> m_imgToolBarHot;
    QList<QPixmap> m_imgToolBarExtra;
    const QPixmap *ImageFor(const CToolbarButtonBase &button, bool hot) const;

    QSize m_sizeImage = QSize(50, 50);
    int m_nButtonWidth = 64;
    bool m_bShowToolTips = true;
    std::function<QString(UINT)> m_fnToolTip;
    // Where commands and system commands go; the parent window when unset.
    platform::WindowRef m_target;

    static int Scaled(int pixels);

protected:
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;
    bool event(QEvent *e) override;

private:
    platform::WindowRef Target() const;
    void DrawCaptionGlyphs(QPainter &painter) const;

    std::vector<std::unique_ptr<CToolbarButtonBase>> m_buttons;
    int m_nHot = -1;
    int m_nPressed = -1;
};
