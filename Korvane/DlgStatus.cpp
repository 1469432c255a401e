#include "DlgStatus.h"

#include <QLabel>

CDlgStatus::CDlgStatus(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    m_strLangSection = QStringLiteral("CDlgStatus");
    auto *label = new QLabel(QStringLiteral("Static"), this);
    label->setGeometry(MapDialogRect(QRect(0, 0, 630, 42)));
}
