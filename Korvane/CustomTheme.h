#pragma once
// The program's own look: one large picture under the main window's border, toolbar and
// status bar (scaled once per window size into a cache, so the three show one continuous
// picture), light grey toolbar texts, no button borders or highlight fills on the toolbar, and
// crimson / dark blue for the selected / hovered tool of the navigation toolboxes. On a screen
// of 8 bits or less the plain look is used.
#include <QColor>
#include <QImage>
#include <QSize>

class QPaintDevice;
class QPainter;
class QRect;
class QWidget;

class CCustomTheme
{
public:
    CCustomTheme();
    // A theme over a given picture (tests); a null picture draws no background.
    explicit CCustomTheme(QImage background);

    // Stretches the whole picture over `clip`.
    bool DrawBackground(QPainter &painter, const QRect &clip) const;
    // Keeps the cache at the window's outer size for the given device: a device of another
    // colour depth drops the cache, a new size makes a new bitmap, and the picture is drawn
    // into it again every time. Nothing without a device.
    void PrepareCache(const QPaintDevice *device, const QSize &size);
    // The picture stretched over the whole frame window (only its border area stays visible
    // once the children paint).
    void PaintFrameBorder(QWidget *frame, QPainter &painter) const;
    // A toolbar or status bar of `frame`: the cached picture at the bar's place in the frame.
    // A floating bar (no frame) gets the plain fill.
    void OnFillBarBackground(QPainter &painter, const QWidget *bar, const QRect &client) const;

    enum class ButtonState { Regular, Pressed, Highlighted, Disabled };
    // Texts of the toolbar's command buttons and its label; `ownButton` says the button is one
    // of those two kinds.
    QColor GetToolbarButtonTextColor(bool ownButton, ButtonState state) const;
    // Fills a tool of a navigation toolbox; false when the tool is neither checked nor
    // highlighted (the caller erases it plainly).
    bool OnEraseToolBoxButton(QPainter &painter, const QRect &rect, bool checked, bool highlighted) const;
    QColor GetToolBoxButtonTextColor(bool checked, bool highlighted) const;

    // The plain look: a screen of 8 bits per pixel or less.
    bool UseFallbackLook() const;
    int m_nScreenDepth = 32;

    QImage m_imgBackground;
    QImage m_bmpCache;
    QSize m_sizeCache;
    int m_nCacheDepth = 0;  // 0: no cache context
    bool m_bCacheValid = false;
    // How often a cache context and a cache bitmap were made (tests watch the cache rule).
    int m_nContextsMade = 0;
    int m_nBitmapsMade = 0;
};

// The installed theme of the program; null until InstallCustomTheme (then the plain look).
CCustomTheme *GetCustomTheme();
void InstallCustomTheme();
void UninstallCustomTheme();
