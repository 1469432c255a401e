#include "DlgShowTip.h"

#include "LangText.h"

#include "AppFlags.h"
#include "Resources.h"
#include "platform/ControlId.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

CDlgShowTip::CDlgShowTip(QWidget *pParent)
    : CDialogExMid(IDD, pParent), m_strImagePath(QStringLiteral(":/res/JogTip.png"))
{
    InitKorvaneResources();
    m_strLangSection = QStringLiteral("CDlgShowTip");
    setWindowTitle(QStringLiteral("安全操作提示"));
    resize(MapDialogRect(QRect(0, 0, 407, 265)).size());

    m_pFrame = new QGroupBox(this);
    platform::SetCtrlId(m_pFrame, IDC_FRAME);
    m_pFrame->setGeometry(MapDialogRect(QRect(7, 7, 393, 222)));
    m_pPicture = new QLabel(this);
    platform::SetCtrlId(m_pPicture, IDC_PICTURE);
    m_pDontShow = new QCheckBox(QStringLiteral("下次不显示危险提醒"), this);
    platform::SetCtrlId(m_pDontShow, IDC_DONT_SHOW);
    m_pDontShow->setGeometry(MapDialogRect(QRect(7, 242, 160, 12)));
    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(289, 239, 50, 16)));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(350, 239, 50, 16)));

    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    connect(m_pDontShow, &QCheckBox::clicked, this, [this] { OnDontShowClicked(); });
}

bool CDlgShowTip::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    // The picture of the chosen language; a missing file leaves the picture empty.
    const QPixmap image(LanguageFilePath(m_strImagePath));
    m_pPicture->setPixmap(image);
    m_sizeImage = image.size();
    PlacePicture();
    return true;
}

void CDlgShowTip::OnSize(int cx, int cy)
{
    CDialogExMid::OnSize(cx, cy);
    PlacePicture();
}

void CDlgShowTip::PlacePicture()
{
    if (!m_pPicture)
        return;
    const QRect frame = m_pFrame->geometry();
    m_pPicture->setGeometry(frame.left() + (frame.width() - m_sizeImage.width()) / 2,
                            frame.top() + (frame.height() - m_sizeImage.height()) / 2, m_sizeImage.width(),
                            m_sizeImage.height());
    m_pPicture->show();
}

void CDlgShowTip::OnDontShowClicked()
{
    if (m_pDontShowAgain)
        *m_pDontShowAgain = m_pDontShow->isChecked() ? TRUE : FALSE;
    GetAppFlags()->UpdateDangerWnd();
}
