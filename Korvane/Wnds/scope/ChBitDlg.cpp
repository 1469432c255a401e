#include "Wnds/scope/ChBitDlg.h"

#include "LangText.h"
#include "platform/ControlId.h"

#include <QCheckBox>
#include <QPushButton>

namespace {

constexpr COLORREF kBitColours[16] = {0x008B8B, 0x32CD32, 0x00FFFF, 0x009300, 0x0000FF, 0xFFFF80,
                                      0xFF00FF, 0x808040, 0x0080FF, 0xFF2D96, 0x002AA5, 0xF04000,
                                      0x8000FF, 0x8080FF, 0xFF8000, 0x80FF00};

}

CChBitDlg::CChBitDlg(const DWORD *pBits, const QStringList *pNames)
    : CDialogExMid(IDD, nullptr), m_dwBits(pBits ? *pBits : 0)
{
    if (pNames)
        m_arrBitNames = *pNames;
    while (m_arrBitNames.size() < 16)
        m_arrBitNames << QString();
    m_strLangSection = QStringLiteral("CChBitDlg");
    setWindowTitle(QStringLiteral("通道比特位选择"));
    resize(MapDialogRect(QRect(0, 0, 285, 180)).size());
    for (int i = 0; i < 16; ++i) {
        auto *box = new QCheckBox(QStringLiteral("Check1"), this);
        platform::SetCtrlId(box, kFirstBox + i);
        box->setGeometry(MapDialogRect(QRect(12 + (i / 8) * 110, 8 + (i % 8) * 18, 105, 10)));
        m_boxes << box;
    }
    auto *ok = new QPushButton(QStringLiteral("确 定"), this);
    platform::SetCtrlId(ok, IDOK);
    ok->setGeometry(MapDialogRect(QRect(228, 8, 50, 14)));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取 消"), this);
    platform::SetCtrlId(cancel, IDCANCEL);
    cancel->setGeometry(MapDialogRect(QRect(228, 28, 50, 14)));
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

COLORREF CChBitDlg::BitColour(int bit)
{
    return bit >= 0 && bit < 16 ? kBitColours[bit] : 0;
}

void CChBitDlg::Chosen(DWORD bits, const QStringList &bitNames, QStringList &names, std::vector<COLORREF> &colours)
{
    names.clear();
    colours.clear();
    for (int i = 0; i < 16; ++i) {
        if ((bits >> i) & 1u) {
            names << bitNames.value(i);
            colours.push_back(kBitColours[i]);
        }
    }
}

QCheckBox *CChBitDlg::Box(int bit) const
{
    return bit >= 0 && bit < m_boxes.size() ? m_boxes[bit] : nullptr;
}

bool CChBitDlg::OnInitDialog()
{
    // The boxes carry the source's bit names, not template texts.
    for (int i = 0; i < 16; ++i)
        m_setNoTranslateIds.insert(static_cast<UINT>(kFirstBox + i));
    CDialogExMid::OnInitDialog();
    for (int i = 0; i < 16; ++i) {
        m_boxes[i]->setText(QStringLiteral("bit%1: %2").arg(i).arg(m_arrBitNames[i]));
        m_boxes[i]->setChecked((m_dwBits >> i) & 1u);
    }
    TranslateDialog(this, IDD);
    return true;
}

void CChBitDlg::OnOK()
{
    for (int i = 0; i < 16; ++i) {
        if (m_boxes[i]->isChecked())
            m_dwBits |= 1u << i;
        else
            m_dwBits &= ~(1u << i);
    }
    Chosen(m_dwBits, m_arrBitNames, m_arrSelNames, m_arrSelColours);
    CDialogExMid::OnOK();
}
