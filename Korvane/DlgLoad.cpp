#include "DlgLoad.h"

#include "DialogExMid.h"
#include "Resources.h"
#include "platform/ControlId.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

CDlgLoad::CDlgLoad(QWidget *pParent)
    : QDialog(pParent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    InitKorvaneResources();
    resize(CDialogExMid::MapDialogRect(QRect(0, 0, 239, 118)).size());
    auto *picture = new QLabel(this);
    platform::SetCtrlId(picture, kPictureCtrlId);
    picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    picture->setGeometry(rect());
}

void CDlgLoad::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap splash(QStringLiteral(":/res/252.png"));
    p.drawPixmap(QPoint(0, 0), splash, QRect(0, 0, 600, 400));
}
