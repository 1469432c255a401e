#pragma once
// The desktop alert: a small popup with a short outcome ("恭喜您，操作成功！") that closes
// itself after a few seconds.
#include "platform/ColorRef.h"

#include <QFont>
#include <QPixmap>
#include <QWidget>

// The alert's content: the text centred beside an icon in the bottom-right corner.
class CDlgDesktop : public QWidget
{
    Q_OBJECT
public:
    static constexpr int IDD = 257;

    explicit CDlgDesktop(QWidget *pParent = nullptr);

    QString m_strText;
    COLORREF m_clrText = RGB(255, 0, 0);
    QFont m_font;
    QPixmap m_imgIcon;

protected:
    void paintEvent(QPaintEvent *e) override;
    // A right-button double click copies the text.
    void mouseDoubleClickEvent(QMouseEvent *e) override;
};

// Shows an alert for `seconds`. Without a parent it belongs to the main window; an empty caption
// becomes the translated "温馨提示："; at (0, 0) it opens at the top of the main window's client
// area, 50 pixels left of its middle.
void ShowDesktopAlert(int seconds, const QString &text, COLORREF textColour, QWidget *pParent = nullptr,
                      const QString &caption = QString(), int x = 0, int y = 0);
