#pragma once
// A small frameless popup on the desktop: a caption strip with a small icon and a close button
// over a content widget; it closes (and deletes) itself after its time.
#include <QPixmap>
#include <QWidget>

class QLabel;
class QTimer;
class QVBoxLayout;

namespace platform {

class PopupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PopupWindow(QWidget *parent = nullptr);

    // 0 = stays until closed by the user.
    void SetAutoCloseTime(int ms);
    int GetAutoCloseTime() const { return m_autoCloseMs; }
    // 0 (invisible) .. 255 (opaque).
    void SetTransparency(int alpha);
    void SetSmallIcon(const QPixmap &icon);
    void SetCaption(const QString &caption);
    QString GetCaption() const;
    // Takes ownership of the content; it fills the area below the caption.
    void SetContent(QWidget *content);
    QWidget *GetContent() const { return m_content; }
    // Shows the popup with its top-left corner at the screen point, without taking focus; the
    // auto-close time counts from here.
    void ShowAt(const QPoint &topLeft);

private:
    int m_autoCloseMs = 0;
    QTimer *m_closeTimer;
    QLabel *m_icon;
    QLabel *m_caption;
    QVBoxLayout *m_layout;
    QWidget *m_content = nullptr;
};

}
