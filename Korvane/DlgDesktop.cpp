#include "DlgDesktop.h"

#include "DialogExMid.h"
#include "PathHelpers.h"
#include "Resources.h"
#include "controls/MFCDesktopAlertMid.h"
#include "platform/LanguageConf.h"
#include "platform/UiServices.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kAlertTransparency = 230;

}

CDlgDesktop::CDlgDesktop(QWidget *pParent) : QWidget(pParent), m_strText(QStringLiteral("恭喜您，操作成功！"))
{
    InitKorvaneResources();
    m_font = QFont(QStringLiteral("宋体"));
    m_font.setPixelSize(14);
    m_font.setBold(true);
    m_font.setStyleHint(QFont::SansSerif);
    m_imgIcon = QPixmap(QStringLiteral(":/res/253.png"));
    setMinimumSize(CDialogExMid::MapDialogRect(QRect(0, 0, 235, 70)).size());
}

void CDlgDesktop::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect client = rect();
    p.drawPixmap(client.right() + 1 - 5 - m_imgIcon.width(), client.bottom() + 1 - 5 - m_imgIcon.height(),
                 m_imgIcon);
    p.setFont(m_font);
    p.setPen(platform::ColorFromRef(m_clrText));
    QRect area(client.left(), client.top(), client.width() - m_imgIcon.height(), client.height());
    const int flags = Qt::AlignHCenter | Qt::TextWordWrap;
    const QRect needed = p.boundingRect(area, flags, m_strText);
    const int shrink = (area.height() - needed.height()) / 2;
    area.adjust(0, shrink, 0, -shrink);
    p.drawText(area, flags | Qt::AlignVCenter, m_strText);
}

void CDlgDesktop::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() == Qt::RightButton)
        CopyTextToClipboard(m_strText);
    QWidget::mouseDoubleClickEvent(e);
}

void ShowDesktopAlert(int seconds, const QString &text, COLORREF textColour, QWidget *pParent,
                      const QString &caption, int x, int y)
{
    QWidget *mainWindow = platform::MainWindow();
    QWidget *parent = pParent ? pParent : mainWindow;
    platform::DesktopAlertRequest r;
    r.seconds = seconds;
    r.text = text;
    r.textColour = textColour;
    r.caption = caption.isEmpty() ? TrText(QStringLiteral("温馨提示：")) : caption;
    if (x == 0 && y == 0) {
        QRect client;
        if (mainWindow)
            client = QRect(mainWindow->mapToGlobal(QPoint(0, 0)), mainWindow->size());
        else if (QScreen *s = QGuiApplication::primaryScreen())
            client = s->availableGeometry();
        r.pos = QPoint(client.left() + client.width() / 2 - 50, client.top());
    } else {
        r.pos = QPoint(x, y);
    }
    QPointer<QWidget> owner = parent;
    r.makeWindow = [r, owner]() -> QWidget * {
        auto *popup = new CMFCDesktopAlertMid(owner);
        popup->SetAutoCloseTime(r.seconds * 1000);
        popup->SetTransparency(kAlertTransparency);
        const int small = popup->style()->pixelMetric(QStyle::PM_SmallIconSize);
        popup->SetSmallIcon(QPixmap(QStringLiteral(":/res/128.png"))
                                .scaled(small, small, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        auto *content = new CDlgDesktop;
        content->m_strText = r.text;
        content->m_clrText = r.textColour;
        popup->SetContent(content);
        popup->SetCaption(r.caption);
        return popup;
    };
    platform::Ui().DesktopAlert(r);
}
