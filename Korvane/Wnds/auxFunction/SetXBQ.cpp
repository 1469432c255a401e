#include "Wnds/auxFunction/SetXBQ.h"

#include "LangText.h"
#include "controls/ListCtrlUsabilityJog.h"
#include "platform/ControlId.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QPushButton>

const CSetXBQ::Row CSetXBQ::kRows[6] = {
    {"IDS_SetXBQ_5", 0x090C, 50, 8000, 8000, "1Hz"},
    {"IDS_SetXBQ_6", 0x090D, 0, 20, 2, "1"},
    {"IDS_SetXBQ_7", 0x090E, 0, 99, 0, "1"},
    {"IDS_SetXBQ_8", 0x090F, 50, 8000, 8000, "1Hz"},
    {"IDS_SetXBQ_9", 0x0910, 0, 20, 2, "1"},
    {"IDS_SetXBQ_10", 0x0911, 0, 99, 0, "1"},
};

namespace {

QString Text(const char *key)
{
    return LoadLangString(QString::fromLatin1(key));
}

void Tell(QWidget *owner, const char *key)
{
    platform::Ui().MessageBox(Text(key), QCoreApplication::applicationName(), MB_OK, owner);
}

}

CSetXBQ::CSetXBQ(QWidget *pParent) : CDialogExMid(IDD, pParent)
{
    // Its texts come from the language file once the drive has been read.
    m_bTranslateEnabled = false;
    setWindowTitle(QStringLiteral("设定陷波器"));
    resize(MapDialogRect(QRect(0, 0, 315, 161)).size());
    auto *group = new QGroupBox(QStringLiteral("陷波器参数"), this);
    platform::SetCtrlId(group, IDC_GROUP);
    group->setGeometry(MapDialogRect(QRect(17, 13, 279, 115)));
    m_pList = new CListCtrlUsabilityJog(this);
    platform::SetCtrlId(m_pList, IDC_LIST);
    m_pList->setGeometry(MapDialogRect(QRect(32, 25, 249, 95)));
    auto *write = new QPushButton(QStringLiteral("参数写入"), this);
    platform::SetCtrlId(write, IDC_WRITE);
    write->setGeometry(MapDialogRect(QRect(136, 134, 50, 14)));
    auto *read = new QPushButton(QStringLiteral("参数读取"), this);
    platform::SetCtrlId(read, IDC_READ);
    read->setGeometry(MapDialogRect(QRect(218, 134, 50, 14)));
    connect(write, &QPushButton::clicked, this, [this] { OnWrite(); });
    connect(read, &QPushButton::clicked, this, [this] { OnRead(); });
}

CSetXBQ::~CSetXBQ() = default;

bool CSetXBQ::OnInitDialog()
{
    CDialogExMid::OnInitDialog();
    m_pList->InsertColumn(0, Text("IDS_SetXBQ_1"), 150);
    m_pList->InsertColumn(1, Text("IDS_SetXBQ_2"), 80);
    m_pList->InsertColumn(2, Text("IDS_SetXBQ_3"), 100);
    m_pList->InsertColumn(3, Text("IDS_SetXBQ_4"), 100);
    for (const Row &row : kRows)
        m_pList->AddRow(Text(row.nameKey), row.initial, row.address, QString::fromLatin1(row.unit), 1, row.min,
                        row.max);
    if (!m_pList->ReadAll()) {
        Tell(this, "IDS_SetXBQ_13");
        return false;
    }
    TranslateDialog(this, IDD);
    return true;
}

void CSetXBQ::OnClose()
{
    hide();
}

void CSetXBQ::OnCancel()
{
    hide();
}

void CSetXBQ::OnOK()
{
}

void CSetXBQ::OnWrite()
{
    if (!m_pList->WriteAll())
        Tell(this, "IDS_SetXBQ_15");
}

void CSetXBQ::OnRead()
{
    if (!m_pList->ReadAll())
        Tell(this, "IDS_SetXBQ_16");
}
